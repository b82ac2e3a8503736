// The game's sounds written down by the headless engine: which sound the race, the menu and the
// console start in which update, and how the voices are set.
#include "app/GameRig.h"
#include "sound/dSound.h"

#include <algorithm>
#include <cmath>

using namespace rig;

namespace {

using TVoice = THeadlessEngine::TVoiceRecord;

class RaceSounds : public TGameRig {
protected:
    std::vector<const TVoice*> VoicesOf(int Sound) const {
        std::vector<const TVoice*> Found;
        for (const TVoice& V : E.VoiceLog)
            if (V.Name == SOUND_ASSETS[Sound]) Found.push_back(&V);
        return Found;
    }
    std::vector<int> TimesOf(int Sound) const {
        std::vector<int> Times;
        for (const TVoice* V : VoicesOf(Sound))
            Times.push_back(V->Time);
        return Times;
    }
    TBasicCar& Car(int I) { return *Race().Cars[size_t(I)]; }
    // The computer cars stay where they are.
    void ParkComputerCars() {
        for (int I = 1; I < Race().CarCount; ++I)
            Car(I).Finished = true;
    }
};

} // namespace

TEST_F(RaceSounds, CountdownBeepsAtEachOfItsThreeStepsAndTheStartToneAtTheStart) {
    ASSERT_TRUE(Race().LoadLevel("map1"));
    std::vector<int> StepTimes; // the clock of the updates that show a new number
    int32_t Shown = -1;
    int StartTime = -1;
    for (int I = 0; I < 200 && !Race().Started; ++I) {
        Tick();
        if (Race().Started) StartTime = E.Time();
        if (!Race().Started && Race().Countdown != Shown) {
            Shown = Race().Countdown;
            StepTimes.push_back(E.Time());
        }
    }
    ASSERT_EQ(StepTimes.size(), 3u);
    EXPECT_EQ(TimesOf(SOUND_BEEP), StepTimes);
    EXPECT_EQ(TimesOf(SOUND_START), std::vector<int>{StartTime});
}

TEST_F(RaceSounds, EveryCarsEngineIsQuieterFurtherFromTheFollowedCarAndSoundsFromItsSide) {
    ASSERT_TRUE(Race().LoadLevel("map1"));
    Tick(); // the grid at rest: every engine idles
    const std::vector<const TVoice*> Engines = VoicesOf(SOUND_ENGINE);
    ASSERT_EQ(Engines.size(), 6u);
    for (size_t I = 0; I + 1 < Engines.size(); ++I) {
        EXPECT_TRUE(Engines[I]->Loop);
        // The grid runs from the player's car across the road.
        EXPECT_GT(Engines[I]->Settings.Gain, Engines[I + 1]->Settings.Gain) << I;
    }
    const double Across = double(Car(5).Pos.x) - Car(0).Pos.x;
    for (size_t I = 1; I < Engines.size(); ++I)
        EXPECT_EQ(std::signbit(Engines[I]->Settings.Pan), std::signbit(Across)) << I;

    Camera->Target = &Race().Cars[5];
    Tick();
    for (size_t I = 0; I + 1 < Engines.size(); ++I)
        EXPECT_LT(Engines[I]->Settings.Gain, Engines[I + 1]->Settings.Gain) << I;
    EXPECT_EQ(VoicesOf(SOUND_ENGINE).size(), 6u) << "each car's engine is one voice for good";
}

TEST_F(RaceSounds, ThePlayersEnginePitchRisesWithItsSpeedWhileWIsHeld) {
    StartRace("map1");
    const TVoice& Engine = *VoicesOf(SOUND_ENGINE)[0];
    E.SetKeyDown('W', true);
    float Pitch = Engine.Settings.Pitch;
    for (int I = 0; I < 30; ++I) {
        Tick();
        EXPECT_EQ(Engine.Settings.Pitch, TGameSounds::EnginePitch(Car(0)));
        EXPECT_GE(Engine.Settings.Pitch, Pitch);
        Pitch = Engine.Settings.Pitch;
    }
    EXPECT_GT(Pitch, 2 * Engine.Started.Pitch);
}

TEST_F(RaceSounds, ARoadEdgePushingTheCarBumpsLouderForAHarderPush) {
    // The player's car slides sideways into the road edge beside its grid spot.
    auto BumpGain = [this](float SidewaysSpeed) {
        StartRace("map1");
        ParkComputerCars();
        const size_t Before = VoicesOf(SOUND_BUMP).size();
        const TVec3 Slide = VecScale(Car(0).Right, SidewaysSpeed);
        for (TPointMass& M : Car(0).Masses)
            Push(M, Slide);
        Ticks(10);
        float Loudest = 0;
        const std::vector<const TVoice*> Bumps = VoicesOf(SOUND_BUMP);
        for (size_t I = Before; I < Bumps.size(); ++I)
            Loudest = std::max(Loudest, Bumps[I]->Started.Gain);
        return Loudest;
    };
    const float Soft = BumpGain(2), Hard = BumpGain(9);
    EXPECT_GT(Soft, 0);
    EXPECT_GT(Hard, Soft);
}

TEST_F(RaceSounds, SlidingOrTheHandbrakeSquealsTheTyres) {
    StartRace("map1");
    ParkComputerCars();
    E.SetKeyDown('W', true);
    Ticks(20);
    const TVoice& Tyres = *VoicesOf(SOUND_TYRES)[0];
    EXPECT_EQ(Tyres.Settings.Gain, 0) << "straight ahead, nothing slides";
    E.SetKeyDown(VK_SPACE, true);
    Tick();
    EXPECT_GT(Tyres.Settings.Gain, 0);
}

// However far to one side a car is, it pans only PAN_SHARE of the way; however hard a car slides,
// its tyres squeal no louder than their full gain.
TEST_F(RaceSounds, PanAndTyreLoudnessStopAtTheirLimits) {
    StartRace("map1");
    ParkComputerCars();
    const TVec3 Away = Vec3(5000, 0, 0); // far right of every other car, off the road
    for (TPointMass& M : Car(0).Masses) {
        M.Pos = VecAdd(M.Pos, Away);
        M.OldPos = VecAdd(M.OldPos, Away);
    }
    Tick();
    const TVec3 Slide = VecScale(Car(0).Right, 9); // sideways at 9 units per update: past loud
    for (TPointMass& M : Car(0).Masses)
        Push(M, Slide);
    Tick();
    const std::vector<const TVoice*> Engines = VoicesOf(SOUND_ENGINE);
    for (size_t I = 1; I < Engines.size(); ++I)
        EXPECT_EQ(Engines[I]->Settings.Pan, float(-TGameSounds::PAN_SHARE)) << I;
    EXPECT_EQ(VoicesOf(SOUND_TYRES)[0]->Settings.Gain, float(TGameSounds::TYRES_GAIN));
}

TEST_F(RaceSounds, BehindTheMenuTheRacePausesWhileClicksAndTheConsoleStillSound) {
    StartRace("map1");
    Tick();
    Press(VK_ESCAPE);
    ASSERT_EQ(Race().State, STATE_MENU);
    for (const TVoice* V : VoicesOf(SOUND_ENGINE))
        EXPECT_TRUE(V->Paused);
    Click(100, 400); // New game
    ASSERT_EQ(Menu->Page, PAGE_CAR);
    EXPECT_EQ(TimesOf(SOUND_CLICK), std::vector<int>{E.Time()});

    Press(VK_OEM_3);
    Ticks(30); // fully open
    Press(VK_OEM_3);
    const std::vector<const TVoice*> Swishes = VoicesOf(SOUND_CONSOLE);
    ASSERT_EQ(Swishes.size(), 2u);
    EXPECT_GT(Swishes[0]->Started.Pitch, Swishes[1]->Started.Pitch)
        << "opening rises, shutting falls";

    Ticks(30);
    Press(VK_ESCAPE); // back to the main page
    Press(VK_ESCAPE); // and on with the race
    ASSERT_EQ(Race().State, STATE_RACING);
    for (const TVoice* V : VoicesOf(SOUND_ENGINE))
        EXPECT_FALSE(V->Paused);
}

TEST_F(RaceSounds, ThePlayersNewLapChimesAndTheResultPagePlaysTheJingle) {
    StartRace("map2"); // two laps
    Car(1).Laps = 1;
    Tick();
    EXPECT_TRUE(VoicesOf(SOUND_LAP).empty()) << "a computer car's lap";
    Car(0).Laps = 1;
    Tick();
    EXPECT_EQ(TimesOf(SOUND_LAP), std::vector<int>{E.Time()});
    Car(0).Laps = 2;
    Race().CarFinished(&Car(0));
    Tick();
    EXPECT_EQ(VoicesOf(SOUND_LAP).size(), 1u) << "the last lap ends in the jingle instead";
    EXPECT_EQ(TimesOf(SOUND_FINISH), std::vector<int>{E.Time()});
}
