// The game's sounds as they are heard: the game on the headless engine with its sound service
// swapped for the OpenAL back-end on a loopback device, which mixes an update's worth of sound
// after every update into memory. The sounds are the content generator's, from data/ in the build
// folder.
#ifdef MARVOLIN_WITH_OPENAL

#include "app/Game.h"
#include "app/dGameManager.h"
#include "app/variables.h"
#include "cars/dCars.h"
#include "console/dConsole.h"
#include "engine/EngineHeadless.h"
#include "engine/Files.h"
#include "engine/sdl/OpenAlSounds.h"
#include "sound/dSound.h"
#include "world/dCamera.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numeric>

namespace {

constexpr int MIX_RATE = 48000;
constexpr size_t FRAMES_PER_UPDATE = MIX_RATE / UPDATES_PER_SECOND;
constexpr double PI = 3.14159265358979323846;

class SoundMix : public ::testing::Test {
protected:
    void SetUp() override {
        if (!FileExists(SOUND_ASSETS[SOUND_ENGINE]) || !FileExists(LevelFile("map1")))
            GTEST_SKIP() << "no data/ in the working folder (the content generator did not run)";
        if (!Mixer.OpenLoopback(MIX_RATE)) GTEST_SKIP() << "OpenAL offers no loopback device";
        UseEngine(&E);
        E.SetCallback(CALLBACK_UPDATE, UpdateProc);
        Sounds = &Mixer;
        CreateGameObjects();
        Camera->NextPos.z = TCamera::START_HEIGHT;
    }
    void TearDown() override {
        DestroyObjects();
        UseEngine(nullptr);
    }

    TRace& Race() { return *GameManager; }
    TBasicCar& Car(int I) { return *Race().Cars[size_t(I)]; }

    // One update of the game, then the sound of its 25 ms: window Windows() - 1 of Mono.
    void Tick() {
        E.AdvanceTime(MS_PER_UPDATE);
        E.StepUpdate();
        float Stereo[2 * FRAMES_PER_UPDATE];
        Mixer.Mix(Stereo, int(FRAMES_PER_UPDATE));
        for (size_t F = 0; F < FRAMES_PER_UPDATE; ++F)
            Mono.push_back((Stereo[2 * F] + Stereo[2 * F + 1]) / 2);
    }
    void Ticks(int Count) {
        for (int I = 0; I < Count; ++I)
            Tick();
    }
    size_t Windows() const { return Mono.size() / FRAMES_PER_UPDATE; }

    // The computer cars parked far off the desk, where nobody hears them.
    void ParkComputerCarsAway() {
        const TVec3 Away = Vec3(50000, 50000, 0);
        for (int I = 1; I < Race().CarCount; ++I) {
            TBasicCar& C = Car(I);
            C.Finished = true;
            for (TPointMass& M : C.Masses) {
                M.Pos = VecAdd(M.Pos, Away);
                M.OldPos = VecAdd(M.OldPos, Away);
            }
            C.Pos = C.PrevPos = VecAdd(C.Pos, Away);
        }
    }

    // Over Count windows from window First.
    double Rms(size_t First, size_t Count) const {
        double Sum = 0;
        for (size_t I = First * FRAMES_PER_UPDATE; I < (First + Count) * FRAMES_PER_UPDATE; ++I)
            Sum += double(Mono[I]) * Mono[I];
        return std::sqrt(Sum / double(Count * FRAMES_PER_UPDATE));
    }
    double Peak(size_t First, size_t Count) const {
        double Max = 0;
        for (size_t I = First * FRAMES_PER_UPDATE; I < (First + Count) * FRAMES_PER_UPDATE; ++I)
            Max = std::max(Max, std::fabs(double(Mono[I])));
        return Max;
    }
    // The amplitude of a sine at Hz through a Hann window over the windows.
    double Amplitude(size_t First, size_t Count, double Hz) const {
        const size_t From = First * FRAMES_PER_UPDATE, N = Count * FRAMES_PER_UPDATE;
        const std::complex<double> Step = std::polar(1.0, -2 * PI * Hz / MIX_RATE);
        std::complex<double> Turn = 1, Sum = 0;
        for (size_t I = 0; I < N; ++I, Turn *= Step)
            Sum += double(Mono[From + I]) * (0.5 - 0.5 * std::cos(2 * PI * double(I) / double(N))) *
                   Turn;
        return 4 * std::abs(Sum) / double(N);
    }
    // The strongest frequency between Low and High, to half a hertz.
    double DominantHz(size_t First, size_t Count, double Low, double High) const {
        double Best = Low, BestAmplitude = -1;
        for (double Hz = Low; Hz <= High; Hz += 0.5)
            if (const double A = Amplitude(First, Count, Hz); A > BestAmplitude) {
                BestAmplitude = A;
                Best = Hz;
            }
        return Best;
    }

    THeadlessEngine E;
    TOpenAlSounds Mixer;
    std::vector<float> Mono; // the mix so far, left and right averaged
};

// Engine fundamentals lie in this band (idle to top speed, every model).
constexpr double ENGINE_LOW_HZ = 50, ENGINE_HIGH_HZ = 400;

} // namespace

TEST_F(SoundMix, HoldingWTheEngineIsHeardToRiseInPitchWithTheCarsSpeed) {
    ASSERT_TRUE(Race().LoadLevel("map1"));
    ParkComputerCarsAway();
    while (!Race().Started && Windows() < 200)
        Tick();
    ASSERT_TRUE(Race().Started);
    // On the grid the engine idles: its heard pitch there is the yardstick.
    const double IdleHz = DominantHz(Windows() - 4, 4, ENGINE_LOW_HZ, ENGINE_HIGH_HZ);
    const double IdlePitch = TGameSounds::EnginePitch(Car(0));

    E.SetKeyDown('W', true);
    const size_t First = Windows();
    std::vector<double> Pitches;
    for (int I = 0; I < 40; ++I) {
        Tick();
        Pitches.push_back(TGameSounds::EnginePitch(Car(0)));
    }
    double Previous = IdleHz;
    for (size_t At = 4; At + 4 <= Pitches.size(); At += 8) {
        const double Pitch =
            std::accumulate(Pitches.begin() + long(At), Pitches.begin() + long(At) + 4, 0.0) / 4;
        const double Heard = DominantHz(First + At, 4, ENGINE_LOW_HZ, ENGINE_HIGH_HZ);
        EXPECT_NEAR(Heard, IdleHz * Pitch / IdlePitch, 0.02 * Heard) << "update " << At;
        EXPECT_GT(Heard, Previous) << "update " << At;
        Previous = Heard;
    }
    EXPECT_GT(Previous, 2 * IdleHz) << "at top speed";
    EXPECT_LT(Peak(0, Windows()), 1) << "nothing clips";
}

TEST_F(SoundMix, HittingTheRoadEdgeIsHeardAsABump) {
    ASSERT_TRUE(Race().LoadLevel("map1"));
    ParkComputerCarsAway();
    while (!Race().Started && Windows() < 200)
        Tick();
    Ticks(30); // the start tone has died away
    const TVec3 Slide = VecScale(Car(0).Right, 5);
    for (TPointMass& M : Car(0).Masses)
        Push(M, Slide);
    size_t Hit = 0;
    for (int I = 0; I < 10 && !Hit; ++I) {
        Tick();
        if (Car(0).HardestPush >= TGameSounds::BUMP_MIN_PUSH) Hit = Windows() - 1;
    }
    ASSERT_GE(Hit, 2u) << "the car never reached the edge, or at once";
    Ticks(4);
    // Before the hit the car slides (its engine and tyres sound) just as in it: what comes with
    // the hit is a low thud.
    auto Low = [this](size_t First) {
        double Loudest = 0;
        for (double Hz = 40; Hz <= 100; Hz += 5)
            Loudest = std::max(Loudest, Amplitude(First, 2, Hz));
        return Loudest;
    };
    EXPECT_GT(Low(Hit), 5 * Low(Hit - 2));
}

TEST_F(SoundMix, VolumeScalesTheMixAndSoundZeroSilencesItTillSoundOne) {
    ASSERT_TRUE(Race().LoadLevel("map1"));
    Ticks(30); // the first beep has died away; six engines idle on the grid
    const double Full = Rms(10, 20);
    ASSERT_GT(Full, 0.01);
    Console->Execute("Volume 50");
    Ticks(9);
    EXPECT_NEAR(Rms(31, 8), Full / 2, Full / 10);
    Console->Execute("Sound 0");
    Ticks(21); // the countdown beeps at update 41, unheard
    EXPECT_EQ(Peak(40, 20), 0);
    Console->Execute("Sound 1");
    Ticks(10);
    EXPECT_GT(Rms(61, 9), Full / 4);
}

TEST_F(SoundMix, CountdownIsHeardAsThreeBeepsAtItsStepsAndAHigherToneAtTheStart) {
    ASSERT_TRUE(Race().LoadLevel("map1"));
    std::vector<size_t> Steps; // the windows after the updates that showed a new number
    size_t Start = 0;
    int32_t Shown = -1;
    while (!Race().Started && Windows() < 200) {
        Tick();
        if (Race().Started) Start = Windows() - 1;
        if (!Race().Started && Race().Countdown != Shown) {
            Shown = Race().Countdown;
            Steps.push_back(Windows() - 1);
        }
    }
    ASSERT_EQ(Steps.size(), 3u);
    ASSERT_GT(Start, 0u);
    Ticks(10);

    const double BeepHz = DominantHz(Steps[0], 2, 500, 3000);
    const double Loud = Amplitude(Steps[0], 1, BeepHz) / 2;
    std::vector<size_t> Onsets;
    for (size_t W = 0; W < Windows(); ++W)
        if (Amplitude(W, 1, BeepHz) > Loud && (W == 0 || Amplitude(W - 1, 1, BeepHz) < Loud / 2))
            Onsets.push_back(W);
    EXPECT_EQ(Onsets, Steps);
    const double StartHz = DominantHz(Start, 2, 500, 4000);
    EXPECT_GT(StartHz, 1.5 * BeepHz);
    EXPECT_LT(Amplitude(Start - 1, 1, StartHz), Amplitude(Start, 1, StartHz) / 4)
        << "the start tone begins with the start";
}

TEST_F(SoundMix, ServiceSharesLoadedSoundsPausesVoicesWhereTheyAreAndLetsShortOnesEnd) {
    EXPECT_EQ(Mixer.Load("DATA/Sounds/BEEP.wav"), Mixer.Load(SOUND_ASSETS[SOUND_BEEP]));
    EXPECT_EQ(Mixer.Load("data\\sounds\\no_such_sound.wav"), 0);
    const int Click = Mixer.Load(SOUND_ASSETS[SOUND_CLICK]); // 50 ms long
    const int Voice = Mixer.Play(Click, {}, false);
    ASSERT_NE(Voice, 0);
    Mixer.Pause(Voice, true);
    Ticks(4);
    EXPECT_TRUE(Mixer.Playing(Voice));
    EXPECT_EQ(Peak(0, 4), 0);
    Mixer.Pause(Voice, false);
    Ticks(4);
    EXPECT_GT(Peak(4, 2), 0.1);
    EXPECT_FALSE(Mixer.Playing(Voice)) << "it ended";
    Mixer.Set(Voice, {}); // an ended voice is ignored
    EXPECT_FALSE(Mixer.Playing(Voice));
}

#endif
