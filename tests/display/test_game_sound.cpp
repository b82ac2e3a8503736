// The whole game with its sound on, on the real SDL engine that the display tests started:
// OpenAL Soft's null output (which their environment asks for) stands in for a sound card.
#include "app/Game.h"
#include "app/variables.h"
#include "cars/dCars.h"
#include "cars/dRace.h"
#include "engine/Engine.h"
#include "engine/Files.h"
#include "engine/sdl/EngineSdl.h"
#include "world/dCamera.h"

#include <gtest/gtest.h>

namespace {

constexpr int RACE_MS = 1500; // how long the race runs once it has started
constexpr int GIVE_UP_MS = 8000;
int StartedAt = 0, RunFrom = 0;

void RenderUntilTheRaceHasRun() {
    RenderProc();
    const int Now = Engine->Time();
    if (GameManager->Started && StartedAt == 0) StartedAt = Now;
    if ((StartedAt && Now - StartedAt > RACE_MS) || Now - RunFrom > GIVE_UP_MS) Engine->Quit();
}

} // namespace

TEST(GameWithSound, RunsARaceOnTheRealEngineWithEverySoundLoaded) {
    TEngine* Real = TSdlEngine::Current; // the display tests' engine
    if (!Real) GTEST_SKIP() << "no OpenGL context through SDL's offscreen driver";
    if (!FileExists(SOUND_ASSETS[SOUND_ENGINE]) || !FileExists(LevelFile("map1")))
        GTEST_SKIP() << "no data/ in the working folder (the content generator did not run)";
    UseEngine(Real);
    ASSERT_TRUE(Sounds->Enabled());
    SetFixedGLState();
    CreateObjects();
    Camera->NextPos.z = TCamera::START_HEIGHT;
    ASSERT_TRUE(GameManager->LoadLevel("map1"));
    GameManager->Countdown = 1; // the countdown's last second only
    const TVec3 Grid = GameManager->Cars[1]->Pos;
    Real->SetCallback(CALLBACK_UPDATE, UpdateProc);
    Real->SetCallback(CALLBACK_RENDER, RenderUntilTheRaceHasRun);
    RunFrom = Real->Time();
    Real->Run(UPDATES_PER_SECOND);
    Real->SetCallback(CALLBACK_UPDATE, nullptr);
    Real->SetCallback(CALLBACK_RENDER, nullptr);

    EXPECT_TRUE(GameManager->Started);
    EXPECT_GT(VecDist(GameManager->Cars[1]->Pos, Grid), 50) << "the computer cars drove off";
    // The game loaded every sound: asking again gives its handles, and a voice plays.
    for (const char* File : SOUND_ASSETS)
        EXPECT_GT(Sounds->Load(File), 0) << File;
    const int Voice = Sounds->Play(Sounds->Load(SOUND_ASSETS[SOUND_CLICK]), {}, false);
    EXPECT_NE(Voice, 0);
    DestroyObjects();
    FreeAssets();
    UseEngine(nullptr);
}
