// The SDL engine's loop on a virtual clock (TEngineOptions::ClockMs and SleepMs): how updates and
// frames fall at a frame cap, and the game driven through it by the keyboard and by a gamepad (a
// virtual one of SDL's), race for race the same. Also the pad's meaning and the frame pacer
// without SDL.
#include "DisplayEngine.h"
#include "app/Game.h"
#include "app/RaceTrace.h"
#include "app/Replay.h"
#include "app/dGameManager.h"
#include "app/variables.h"
#include "cars/dCars.h"
#include "console/dConsole.h"
#include "engine/EngineHeadless.h"
#include "engine/sdl/FramePacer.h"
#include "engine/sdl/Gamepad.h"
#include "frontend/dMenu.h"
#include "world/dCamera.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <string>
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

// ---- the game on the loop ----------------------------------------------------------------------

// A game controller of SDL's virtual joystick driver, plugged in while the object lives (or until
// Unplug). Its axes and buttons are SDL's game-controller ones in order.
class TVirtualPad {
public:
    TVirtualPad() {
        Index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                          SDL_CONTROLLER_BUTTON_MAX, 0);
        Joystick = Index >= 0 ? SDL_JoystickOpen(Index) : nullptr;
    }
    ~TVirtualPad() { Unplug(); }
    TVirtualPad(const TVirtualPad&) = delete;
    TVirtualPad& operator=(const TVirtualPad&) = delete;
    bool Plugged() const { return Joystick != nullptr; }
    void Axis(SDL_GameControllerAxis Axis, Sint16 Value) {
        SDL_JoystickSetVirtualAxis(Joystick, Axis, Value);
    }
    // A trigger all the way in, or let go (the raw axis at its least).
    void Trigger(SDL_GameControllerAxis Trigger, bool Pulled) {
        Axis(Trigger, Pulled ? SDL_JOYSTICK_AXIS_MAX : SDL_JOYSTICK_AXIS_MIN);
    }
    void Button(SDL_GameControllerButton Button, bool Down) {
        SDL_JoystickSetVirtualButton(Joystick, Button, Down ? SDL_PRESSED : SDL_RELEASED);
    }
    void Unplug() {
        if (!Joystick) return;
        SDL_JoystickClose(Joystick);
        SDL_JoystickDetachVirtual(Index);
        Joystick = nullptr;
    }

private:
    int Index = -1;
    SDL_Joystick* Joystick = nullptr;
};

void PushKey(SDL_Scancode Scancode, bool Down) {
    SDL_Event Event{};
    Event.type = Down ? SDL_KEYDOWN : SDL_KEYUP;
    Event.key.state = Down ? SDL_PRESSED : SDL_RELEASED;
    Event.key.keysym.scancode = Scancode;
    SDL_PushEvent(&Event);
}

TGameManager& Race() {
    return static_cast<TGameManager&>(*GameManager);
}

// What the script does after the race's update of this number (1: the first after the
// countdown); it takes effect from the frame that follows.
std::map<int, std::function<void()>> Script;
int RaceUpdates = 0;
int UpdatesToRun = 0;
std::vector<float> Trace; // every car's x and y after every update of the race

void ScriptedUpdate() {
    UpdateProc();
    if (!Race().Started) return;
    if (GameManager->State != STATE_RACING) { // paused
        Engine->Quit();
        return;
    }
    ++RaceUpdates;
    for (const TBasicCar* Car : Race().Cars) {
        Trace.push_back(Car->Pos.x);
        Trace.push_back(Car->Pos.y);
    }
    if (const auto Step = Script.find(RaceUpdates); Step != Script.end()) Step->second();
    if (RaceUpdates >= UpdatesToRun) Engine->Quit();
}

// The game's objects on an engine of the virtual clock at 10 frames per second (four updates a
// frame: the software renderer draws each frame for real), racing on the generated map1.
class GameOnTheLoop : public VirtualClock {
protected:
    static constexpr int RACE_UPDATES = 32;

    GameOnTheLoop() : VirtualClock(10) {}
    void SetUp() override {
        VirtualClock::SetUp();
        if (!E) return;
        UseEngine(E);
        CreateGameObjects();
        Camera->NextPos.z = TCamera::START_HEIGHT;
        CountdownFont = Fonts->Create("Arial", 20, 0, 512);
    }
    void TearDown() override {
        if (E) {
            DestroyObjects();
            UseEngine(nullptr);
        }
        Script.clear();
        VirtualClock::TearDown();
    }
    // Races map1 from the start with the script until RACE_UPDATES updates of the race have run
    // or it is paused; the trace of the race.
    std::vector<float> RaceWith(std::map<int, std::function<void()>> Steps) {
        Script = std::move(Steps);
        RaceUpdates = 0;
        UpdatesToRun = RACE_UPDATES;
        Trace.clear();
        VirtualMs = 0;
        EXPECT_TRUE(Race().LoadLevel("map1"));
        E->SetCallback(CALLBACK_UPDATE, ScriptedUpdate);
        E->SetCallback(CALLBACK_RENDER, RenderProc);
        E->Run(UPDATES_PER_SECOND);
        return Trace;
    }
    // Accelerates and steers left, swaps the steering for the handbrake, and lets go of all.
    std::vector<float> RaceWithKeys() {
        return RaceWith({{1,
                          [] {
                              PushKey(SDL_SCANCODE_W, true);
                              PushKey(SDL_SCANCODE_A, true);
                          }},
                         {12,
                          [] {
                              PushKey(SDL_SCANCODE_A, false);
                              PushKey(SDL_SCANCODE_SPACE, true);
                          }},
                         {20, [] {
                              PushKey(SDL_SCANCODE_SPACE, false);
                              PushKey(SDL_SCANCODE_W, false);
                          }}});
    }
};

TVirtualPad* Pad = nullptr; // the script's pad

TEST_F(GameOnTheLoop, GamepadDrivesThePlayersCarExactlyAsTheKeysDoAndUnpluggedLeavesItCoasting) {
    const std::vector<float> ByKeys = RaceWithKeys();
    ASSERT_EQ(RaceUpdates, RACE_UPDATES);
    const size_t CarCount = Race().Cars.size();
    ASSERT_GT(ByKeys.size(), 2 * CarCount);
    EXPECT_NE(ByKeys[0], ByKeys[ByKeys.size() - 2 * CarCount]) << "the keys drove the car";

    TVirtualPad Plugged;
    ASSERT_TRUE(Plugged.Plugged()) << SDL_GetError();
    Pad = &Plugged;
    auto Drive = [] {
        Pad->Trigger(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, true);
        Pad->Axis(SDL_CONTROLLER_AXIS_LEFTX, SDL_JOYSTICK_AXIS_MIN);
    };
    auto Slide = [] {
        Pad->Axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
        Pad->Button(SDL_CONTROLLER_BUTTON_X, true);
    };
    const std::vector<float> ByPad = RaceWith(
        {{1, Drive}, {12, Slide}, {20, [] {
                                       Pad->Button(SDL_CONTROLLER_BUTTON_X, false);
                                       Pad->Trigger(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, false);
                                   }}});
    EXPECT_EQ(ByPad, ByKeys);

    // Pulled out with the trigger and X held: the car coasts on as if both were let go.
    const std::vector<float> Unplugged =
        RaceWith({{1, Drive}, {12, Slide}, {20, [] { Pad->Unplug(); }}});
    EXPECT_EQ(Unplugged, ByKeys);
    Pad = nullptr;
}

std::vector<int> Presses;
void RecordPresses() {
    Presses.push_back(Input->LastKey());
    UpdateProc();
}

TEST_F(GameOnTheLoop, GamepadStartPausesAndInTheMenuTheStickMovesTheCursorAndAClicks) {
    TVirtualPad Plugged;
    ASSERT_TRUE(Plugged.Plugged()) << SDL_GetError();
    Pad = &Plugged;
    RaceWith({{2, [] { Pad->Button(SDL_CONTROLLER_BUTTON_START, true); }}});
    EXPECT_EQ(GameManager->State, STATE_MENU) << "Start paused the race";
    EXPECT_EQ(Menu->Page, PAGE_MAIN);

    Pad->Button(SDL_CONTROLLER_BUTTON_START, false);
    int X0 = 0, Y0 = 0;
    Input->CursorPos(X0, Y0);
    Pad->Axis(SDL_CONTROLLER_AXIS_LEFTX, SDL_JOYSTICK_AXIS_MAX);
    Presses.clear();
    E->SetCallback(CALLBACK_UPDATE, RecordPresses);
    E->SetCallback(CALLBACK_RENDER, [] {
        if (Engine->Time() >= 500) Engine->Quit();
    });
    VirtualMs = 0;
    E->Run(UPDATES_PER_SECOND);
    int X1 = 0, Y1 = 0;
    Input->CursorPos(X1, Y1);
    // Half a second at full speed (a frame's worth of the first less: the loop's first frame
    // has no time before it).
    EXPECT_NEAR(X1 - X0, PAD_CURSOR_SPEED_PX_PER_S * 0.4, PAD_CURSOR_SPEED_PX_PER_S * 0.1 + 1);
    EXPECT_EQ(Y1, Y0);

    Pad->Axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    Pad->Button(SDL_CONTROLLER_BUTTON_A, true);
    VirtualMs = 0;
    E->Run(UPDATES_PER_SECOND);
    EXPECT_EQ(std::count(Presses.begin(), Presses.end(), VK_MOUSE_LEFT), 1) << "A clicked once";
    Pad = nullptr;
}

// ---- pure parts --------------------------------------------------------------------------------

TEST(Gamepad, StickBeyondTheDeadZoneOrTheDpadSteersTriggersAndButtonsDrive) {
    TPadState Pad;
    for (const int Key : {int('W'), int('A'), int('S'), int('D'), VK_SPACE, int('Q'), VK_UP})
        EXPECT_FALSE(PadHoldsKey(Pad, Key)) << "a pad at rest holds nothing: " << Key;
    Pad.Axes[SDL_CONTROLLER_AXIS_LEFTX] = -PAD_STICK_DEAD_ZONE;
    EXPECT_FALSE(PadHoldsKey(Pad, 'A')) << "the dead zone's edge is still rest";
    Pad.Axes[SDL_CONTROLLER_AXIS_LEFTX] = -PAD_STICK_DEAD_ZONE - 1;
    EXPECT_TRUE(PadHoldsKey(Pad, 'A'));
    EXPECT_FALSE(PadHoldsKey(Pad, 'D'));
    Pad.Axes[SDL_CONTROLLER_AXIS_LEFTX] = SDL_JOYSTICK_AXIS_MAX;
    EXPECT_TRUE(PadHoldsKey(Pad, 'D'));
    Pad.Axes[SDL_CONTROLLER_AXIS_LEFTX] = 0;
    Pad.Axes[SDL_CONTROLLER_AXIS_LEFTY] = SDL_JOYSTICK_AXIS_MAX;
    EXPECT_FALSE(PadHoldsKey(Pad, 'S')) << "the stick does not drive";

    const std::pair<SDL_GameControllerButton, int> Buttons[] = {
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, 'A'},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 'D'},
        {SDL_CONTROLLER_BUTTON_A, 'W'},
        {SDL_CONTROLLER_BUTTON_B, 'S'},
        {SDL_CONTROLLER_BUTTON_X, VK_SPACE},
        {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, VK_SPACE},
        {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, VK_SPACE}};
    for (const auto& [Button, Key] : Buttons) {
        TPadState One;
        One.Buttons[Button] = true;
        EXPECT_TRUE(PadHoldsKey(One, Key)) << "button " << Button;
    }
    TPadState Triggers;
    Triggers.Axes[SDL_CONTROLLER_AXIS_TRIGGERRIGHT] = PAD_TRIGGER_THRESHOLD;
    EXPECT_FALSE(PadHoldsKey(Triggers, 'W'));
    Triggers.Axes[SDL_CONTROLLER_AXIS_TRIGGERRIGHT] = PAD_TRIGGER_THRESHOLD + 1;
    Triggers.Axes[SDL_CONTROLLER_AXIS_TRIGGERLEFT] = SDL_JOYSTICK_AXIS_MAX;
    EXPECT_TRUE(PadHoldsKey(Triggers, 'W'));
    EXPECT_TRUE(PadHoldsKey(Triggers, 'S'));
}

TEST(Gamepad, CursorSpeedGrowsPastTheDeadZoneAndTheDpadGivesFullSpeed) {
    TPadState Pad;
    double X = 1, Y = 1;
    Pad.Axes[SDL_CONTROLLER_AXIS_LEFTX] = PAD_STICK_DEAD_ZONE;
    PadCursorVelocity(Pad, X, Y);
    EXPECT_EQ(X, 0);
    EXPECT_EQ(Y, 0);
    Pad.Axes[SDL_CONTROLLER_AXIS_LEFTX] = SDL_JOYSTICK_AXIS_MAX;
    Pad.Axes[SDL_CONTROLLER_AXIS_LEFTY] = (PAD_STICK_DEAD_ZONE + SDL_JOYSTICK_AXIS_MAX) / 2;
    PadCursorVelocity(Pad, X, Y);
    EXPECT_DOUBLE_EQ(X, PAD_CURSOR_SPEED_PX_PER_S);
    EXPECT_NEAR(Y, PAD_CURSOR_SPEED_PX_PER_S / 2, 1) << "halfway past the dead zone: half speed";
    TPadState Dpad;
    Dpad.Buttons[SDL_CONTROLLER_BUTTON_DPAD_UP] = true;
    PadCursorVelocity(Dpad, X, Y);
    EXPECT_EQ(X, 0);
    EXPECT_EQ(Y, -PAD_CURSOR_SPEED_PX_PER_S);
}

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

// ---- the same race at any frame rate -----------------------------------------------------------

std::mt19937 JitterSource;
constexpr double MAX_FRAME_JITTER_MS = 12; // a frame costs up to this much more than its sleep

// A frame that takes a random while, as frames do. (It draws nothing: what is drawn does not
// touch the race, and the software renderer would make this test slow.)
void JitteredFrame() {
    VirtualMs += std::uniform_real_distribution<double>(0, MAX_FRAME_JITTER_MS)(JitterSource);
}

// The game raced through the real loop at Fps frames per second, frames jittering, the race
// recorded; then the recording raced on the headless engine as the simulator races it.
template <int Fps> class RecordedAt : public VirtualClock {
protected:
    static constexpr int RACE_UPDATES = 400;

    RecordedAt() : VirtualClock(Fps) {}
    void SetUp() override {
        VirtualClock::SetUp();
        if (!E) return;
        UseEngine(E);
        CreateGameObjects();
        Camera->NextPos.z = TCamera::START_HEIGHT;
    }
    void TearDown() override {
        if (E) {
            DestroyObjects();
            UseEngine(nullptr);
        }
        Script.clear();
        Recorder = nullptr;
        VirtualClock::TearDown();
    }

    void RecordAndReplay() {
        JitterSource.seed(Fps);
        const std::string File =
            ::testing::TempDir() + "marvolin-at-" + std::to_string(Fps) + "-fps.replay";
        TReplayRecorder Recording(File);
        Recorder = &Recording;
        Script = {{1, [] { PushKey(SDL_SCANCODE_W, true); }},
                  {60, [] { PushKey(SDL_SCANCODE_D, true); }},
                  {75, [] { PushKey(SDL_SCANCODE_D, false); }},
                  {150, [] { PushKey(SDL_SCANCODE_SPACE, true); }},
                  {160,
                   [] {
                       PushKey(SDL_SCANCODE_SPACE, false);
                       PushKey(SDL_SCANCODE_A, true);
                   }},
                  {190, [] { PushKey(SDL_SCANCODE_A, false); }},
                  {300, [] { PushKey(SDL_SCANCODE_W, false); }}};
        RaceUpdates = 0;
        UpdatesToRun = RACE_UPDATES;
        VirtualMs = 0;
        ASSERT_TRUE(Race().LoadLevel("map1"));
        E->SetCallback(CALLBACK_UPDATE, ScriptedUpdate);
        E->SetCallback(CALLBACK_RENDER, JitteredFrame);
        E->Run(UPDATES_PER_SECOND);
        Recorder = nullptr;
        ASSERT_TRUE(Recording.Finish("quit"));
        for (int I = 0; I < 4; ++I)
            PushKey(SDL_SCANCODE_W, false); // nothing stays held
        PushKey(SDL_SCANCODE_A, false);
        PushKey(SDL_SCANCODE_D, false);

        const TReplay Replay = ReadReplay(File);
        ASSERT_GT(Replay.Updates, RACE_UPDATES);
        // However the frames fell, every update saw its own due time on the grid.
        int32_t Last = Replay.LoadTimeMs;
        for (const TReplayStep& S : Replay.Steps) {
            if (S.Kind != TReplayStep::TKind::Update) continue;
            EXPECT_EQ((S.TimeMs - Last) % MS_PER_UPDATE, 0) << S.TimeMs;
            Last = S.TimeMs;
        }

        // The simulator's way: the headless engine, the replay's times and keys.
        DestroyObjects();
        {
            THeadlessEngine Headless;
            UseEngine(&Headless);
            CreateGameObjects();
            Menu->SelectedCar = Replay.Car;
            const auto Hold = [&](uint8_t Keys) {
                Headless.ReleaseAllKeys();
                for (uint8_t Bit = 1; Bit & HELD_KEYS_ALL; Bit = uint8_t(Bit << 1))
                    if (Keys & Bit) Headless.SetKeyDown(KeyOfHeld(Bit), true);
            };
            Headless.SetTime(Replay.LoadTimeMs);
            Hold(Replay.LoadKeys);
            ASSERT_TRUE(Race().LoadLevel(Replay.Level));
            TRaceTrace Trace;
            Trace.AddUpdate(0, Race());
            TReplayCursor Cursor(Replay);
            int32_t TimeMs = 0;
            uint8_t Keys = 0;
            while (Cursor.NextUpdate(*GameManager, TimeMs, Keys)) {
                Headless.SetTime(TimeMs);
                Hold(Keys);
                UpdateRace();
                Trace.AddUpdate(Cursor.UpdatesRun(), Race());
            }
            EXPECT_EQ(Trace.Hash(), Replay.RaceHash) << "at " << Fps << " frames per second";
            DestroyObjects();
        }
        UseEngine(E);
        CreateGameObjects();
    }
};

using RecordedAt30 = RecordedAt<30>;
using RecordedAt60 = RecordedAt<60>;
using RecordedAt144 = RecordedAt<144>;
TEST_F(RecordedAt30, TheLoopsRaceIsTheSimulatorsRaceAtTheSameTimes) {
    RecordAndReplay();
}
TEST_F(RecordedAt60, TheLoopsRaceIsTheSimulatorsRaceAtTheSameTimes) {
    RecordAndReplay();
}
TEST_F(RecordedAt144, TheLoopsRaceIsTheSimulatorsRaceAtTheSameTimes) {
    RecordAndReplay();
}

} // namespace
