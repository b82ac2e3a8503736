// The SDL engine's loop on a virtual clock (TEngineOptions::ClockMs and SleepMs): how updates and
// frames fall at a frame cap. Also the frame pacer without SDL.
#include "DisplayEngine.h"
#include "engine/sdl/FramePacer.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

double VirtualMs = 0;

// A test on an engine of its own that runs on the virtual clock at CapFps frames per second; the
// shared engine's plain options come back afterwards.
class VirtualClock : public ::testing::Test {
protected:
    explicit VirtualClock(int FrameCapFps = 30) : CapFps(FrameCapFps) {}
    void SetUp() override {
        VirtualMs = 0;
        TEngineOptions Options = PlainDisplayOptions();
        Options.FrameCapFps = CapFps;
        Options.ClockMs = [] { return VirtualMs; };
        Options.SleepMs = [](double Ms) { VirtualMs += Ms; };
        RestartSharedDisplayEngine(Options);
        E = SharedDisplayEngine();
        if (!E) GTEST_SKIP() << "no engine through SDL's offscreen driver";
    }
    void TearDown() override { RestartSharedDisplayEngine(PlainDisplayOptions()); }
    const int CapFps;
    TEngine* E = nullptr;
};

std::vector<int> UpdateTimes, FrameTimes;
std::vector<int> LatestUpdateAtFrame;

TEST_F(VirtualClock, AtThirtyFramesPerSecondTheLoopRunsFortyUpdatesAVirtualSecond) {
    UpdateTimes.clear();
    FrameTimes.clear();
    LatestUpdateAtFrame.clear();
    constexpr int RUN_MS = 3000;
    E->SetCallback(CALLBACK_UPDATE, [] { UpdateTimes.push_back(SharedDisplayEngine()->Time()); });
    E->SetCallback(CALLBACK_RENDER, [] {
        FrameTimes.push_back(SharedDisplayEngine()->Time());
        LatestUpdateAtFrame.push_back(UpdateTimes.empty() ? -1 : UpdateTimes.back());
        if (FrameTimes.back() >= RUN_MS) SharedDisplayEngine()->Quit();
    });
    E->Run(UPDATES_PER_SECOND);
    EXPECT_NEAR(double(UpdateTimes.size()), RUN_MS / 1000.0 * UPDATES_PER_SECOND, 1);
    EXPECT_NEAR(double(FrameTimes.size()), RUN_MS / 1000.0 * 30, 1);
    for (size_t K = 1; K < UpdateTimes.size(); ++K)
        ASSERT_EQ(UpdateTimes[K] - UpdateTimes[K - 1], MS_PER_UPDATE) << "update " << K;
    for (size_t K = 0; K < FrameTimes.size(); ++K) {
        // Where the frame lies after the latest update: within one update interval, never before.
        const int Lead = FrameTimes[K] - LatestUpdateAtFrame[K];
        ASSERT_GE(Lead, 0) << "frame " << K;
        ASSERT_LT(Lead, MS_PER_UPDATE) << "frame " << K;
        if (K > 0) {
            ASSERT_NEAR(FrameTimes[K] - FrameTimes[K - 1], 1000.0 / 30, 1) << "frame " << K;
        }
    }
}

// ---- pure parts --------------------------------------------------------------------------------

TEST(FramePacer, KeepsFramesOnTheCapsGridAndStartsItAgainAfterAFrameLateByMoreThanOne) {
    TFramePacer Pacer;
    Pacer.Start(0, 100, false, false); // frames due every 10 ms from 0
    EXPECT_DOUBLE_EQ(Pacer.SleepAfterFrame(3), 7);
    EXPECT_DOUBLE_EQ(Pacer.SleepAfterFrame(14), 6) << "the grid, not 10 ms after the frame";
    EXPECT_DOUBLE_EQ(Pacer.SleepAfterFrame(33), 0) << "late by 3: no sleep";
    EXPECT_DOUBLE_EQ(Pacer.SleepAfterFrame(36), 4) << "the grid still holds";
    EXPECT_DOUBLE_EQ(Pacer.SleepAfterFrame(75), 0) << "late by 25: no hurrying after that";
    EXPECT_DOUBLE_EQ(Pacer.SleepAfterFrame(80), 5) << "10 ms after the late frame";
    Pacer.Start(0, 0, false, false);
    EXPECT_EQ(Pacer.SleepAfterFrame(1), 0) << "no cap";
}

TEST(FramePacer, LeavesPacingToVSyncUntilFramesComeTooFastForASwapThatWaits) {
    TFramePacer Pacer;
    Pacer.Start(0, 100, true, false);
    double Now = 0;
    for (int I = 0; I < 2 * TFramePacer::VSYNC_CHECK_FRAMES; ++I)
        ASSERT_EQ(Pacer.SleepAfterFrame(Now += 10), 0) << "vsync paces at the cap's rate";
    EXPECT_FALSE(Pacer.TakeVSyncDistrusted());
    double Slept = 0;
    for (int I = 0; I < TFramePacer::VSYNC_CHECK_FRAMES; ++I)
        Slept += Pacer.SleepAfterFrame(Now += 1); // a swap that returns at once
    EXPECT_TRUE(Pacer.TakeVSyncDistrusted());
    EXPECT_FALSE(Pacer.TakeVSyncDistrusted()) << "said once";
    EXPECT_GT(Slept, 0);
    EXPECT_TRUE(Pacer.LoopPaces());
    Pacer.Start(0, 100, true, true);
    EXPECT_DOUBLE_EQ(Pacer.SleepAfterFrame(1), 9) << "a cap asked for holds with vsync too";
}

} // namespace
