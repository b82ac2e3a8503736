// The race manager walked update by update with the real game objects on the headless engine.
#include "GameRig.h"

#include <algorithm>
#include <set>

using namespace rig;

namespace {

constexpr int LOAD_TIME_MS = 1000;

class RaceManager : public TGameRig {
protected:
    // Loads the level at LOAD_TIME_MS on the virtual clock.
    void LoadAt(const std::string& Name) {
        E.SetTime(LOAD_TIME_MS);
        ASSERT_TRUE(Race().LoadLevel(Name));
    }
    void UpdateAt(int Ms) {
        E.SetTime(Ms);
        E.StepUpdate();
    }
    std::string CountdownDigit() {
        for (const TGLCall& C : Frame())
            if (C.Name == "Render.TextOut" && int(C.Args[0]) == CountdownFont) return C.Text;
        return {};
    }
};

// --- Loading a level ---------------------------------------------------------------------------

TEST_F(RaceManager, LoadLevelStartsTheCountdownWithSixCarsAndAnnouncesTheMap) {
    LoadAt("map2");
    TGameManager& R = Race();
    EXPECT_EQ(R.State, 1);
    EXPECT_EQ(R.CarCount, 6);
    ASSERT_EQ(R.Cars.size(), 6u);
    EXPECT_NE(dynamic_cast<TPlayerCar*>(R.Cars[0]), nullptr);
    for (int I = 1; I < 6; ++I)
        EXPECT_NE(dynamic_cast<TAICar*>(R.Cars[size_t(I)]), nullptr);
    EXPECT_EQ(R.LapCount, 2);
    EXPECT_FALSE(R.Started);
    EXPECT_FALSE(R.RaceOver);
    EXPECT_EQ(R.Countdown, 3);
    EXPECT_EQ(R.LastTick, LOAD_TIME_MS);
    EXPECT_EQ(R.Order, R.Cars);
    EXPECT_EQ(CarList, R.Cars);
    EXPECT_EQ(Camera->Target, &R.Cars[0]);
    EXPECT_EQ(R.Level, 1) << "only the menu chooses the level";
    ASSERT_GE(Console->LineCount, 1);
    EXPECT_EQ(Utf8From1251(Console->Lines[0]), "Карта map2 загружена");
}

TEST_F(RaceManager, GridStandsAcrossTheStartPointExactlyAsTheChainOfRoundingsGives) {
    LoadAt("map1");
    const TRoadPoint& P = Map->Points[TRACK_START_POINT];
    ASSERT_EQ(P.Side.x, 0);
    ASSERT_EQ(P.Side.y, 1) << "the test track's start point has a side along +y";
    // Each step rounded to float as the race start does it: Base = Pos - S * float(W * 0.8), then
    // S*W, *i, *2, /6, *float(0.8), each a float. With S = (0, 1, 0) only y carries the chain.
    const float W = P.HalfWidth;
    const float BaseY = float(double(P.Pos.y) - double(float(double(W) * 0.8)));
    const double FloatPoint8 = double(float(0.8));
    std::set<float> Ys;
    for (int I = 0; I < 6; ++I) {
        float D = W;
        D = float(double(D) * I);
        D = float(double(D) * 2);
        D = float(double(D) / 6);
        D = float(double(D) * FloatPoint8);
        const float SpotY = float(double(BaseY) + double(D));
        const TBasicCar& Car = *Race().Cars[size_t(I)];
        // The grid spots are more than two radii apart and clear of the edges, and the first
        // update inside PlaceAt pushes along a heading that is still zero: nothing moves.
        EXPECT_EQ(Car.Pos.x, P.Pos.x) << "car " << I;
        EXPECT_EQ(Car.Pos.y, SpotY) << "car " << I;
        EXPECT_EQ(Car.Dir.x, 1) << "car " << I << " faces along the road";
        EXPECT_EQ(Car.Dir.y, 0) << "car " << I;
        Ys.insert(Car.Pos.y);
    }
    EXPECT_EQ(Ys.size(), 6u);
    // Car 0 stands 0.8 W right of the centre line (towards -y here), car 5 0.8 W * 4/6 left of it.
    constexpr float GRID_TOLERANCE = 1e-3;
    EXPECT_NEAR(Race().Cars[0]->Pos.y, P.Pos.y - 0.8 * W, GRID_TOLERANCE);
    EXPECT_NEAR(Race().Cars[5]->Pos.y, P.Pos.y + 0.8 * W * 4 / 6, GRID_TOLERANCE);
}

TEST_F(RaceManager, ComputerCarsGetPersonalitiesZeroToFour) {
    LoadAt("map1");
    // DistFromCenter of the personality table, rows 0 to 4.
    const float Expected[] = {0.05f, 0.1f, 0.4f, 0.15f, 0.08f};
    for (int I = 1; I < 6; ++I)
        EXPECT_EQ(static_cast<TAICar*>(Race().Cars[size_t(I)])->DistFromCenter, Expected[I - 1])
            << "car " << I;
}

TEST_F(RaceManager, PlayerDrivesTheChosenModelAndEveryModelIsUsedOnce) {
    // MaxSpeed and MaxSteer of the six model presets.
    const float PresetMaxSpeed[] = {14, 14, 13.5, 14, 14, 14.13f};
    const float PresetMaxSteer[] = {0.2f, 0.12f, 0.2f, 0.17f, 0.2f, 0.2f};
    for (int Chosen = 0; Chosen < 6; ++Chosen) {
        Menu->SelectedCar = Chosen;
        LoadAt("map1");
        std::set<int> Models;
        for (int I = 0; I < 6; ++I) {
            const TBasicCar& Car = *Race().Cars[size_t(I)];
            const int ExpectedModel = I == 0 ? Chosen : (I == Chosen ? 0 : I);
            EXPECT_EQ(Car.Model, ExpectedModel) << "chosen " << Chosen << ", car " << I;
            EXPECT_EQ(Car.MaxSpeed, PresetMaxSpeed[Car.Model]) << "chosen " << Chosen;
            EXPECT_EQ(Car.MaxSteer, PresetMaxSteer[Car.Model]) << "chosen " << Chosen;
            Models.insert(Car.Model);
        }
        EXPECT_EQ(Models.size(), 6u) << "chosen " << Chosen;
    }
}

TEST_F(RaceManager, LoadingDuringARaceReplacesTheCarsAndFollowsTheNewPlayerCar) {
    StartRace("map1");
    Console->Execute("Follow 3");
    ASSERT_EQ(Camera->Target, &Race().Cars[3]);
    Console->Execute("LoadLevel map3");
    EXPECT_EQ(Race().State, 1);
    EXPECT_FALSE(Race().Started);
    EXPECT_EQ(Race().Countdown, 3);
    EXPECT_EQ(Race().LapCount, 3);
    EXPECT_EQ(Camera->Target, &Race().Cars[0]);
    EXPECT_EQ(CarList, Race().Cars);
    EXPECT_EQ(Race().Level, 1) << "a console load leaves the level alone";
}

// --- A map that cannot be loaded ---------------------------------------------------------------

TEST_F(RaceManager, MissingMapChangesNothingAndSaysSo) {
    StartRace("map2");
    Ticks(10);
    const TGameManager& R = Race();
    const std::vector<TBasicCar*> Cars = R.Cars;
    const TVec3 PlayerPos = R.Cars[0]->Pos;
    const int32_t Points = Map->PointCount;
    EXPECT_FALSE(Race().LoadLevel("map42"));
    EXPECT_EQ(Utf8From1251(Console->Lines[0]), "Карты map42 не существует");
    EXPECT_EQ(R.Cars, Cars);
    EXPECT_EQ(R.State, 1);
    EXPECT_TRUE(R.Started);
    EXPECT_EQ(R.LapCount, 2);
    EXPECT_EQ(R.Cars[0]->Pos.x, PlayerPos.x);
    EXPECT_EQ(Map->PointCount, Points);
    EXPECT_EQ(Camera->Target, &R.Cars[0]);
}

TEST_F(RaceManager, InvalidMapChangesNothingAndNamesTheFault) {
    LoadAt("map1");
    const std::vector<TBasicCar*> Cars = Race().Cars;
    const int32_t Points = Map->PointCount;
    EXPECT_FALSE(Race().LoadLevel("map9"));
    // The console names the fault in Russian; the loader's English message is kept for the log.
    EXPECT_EQ(Utf8From1251(Console->Lines[0]),
              "Карта map9 не загружена: файл обрывается в заголовке");
    EXPECT_NE(Race().LastLoadError.find("header"), std::string::npos) << Race().LastLoadError;
    EXPECT_EQ(Race().Cars, Cars);
    EXPECT_EQ(Race().Countdown, 3);
    EXPECT_EQ(Map->PointCount, Points);
}

// The name typed in the console is Windows-1251 already: it reaches the line as typed.
TEST_F(RaceManager, RefusedMapWithACyrillicNameTypedInTheConsoleShowsTheNameAndTheFaultInRussian) {
    WriteBytes(Dir / "data" / "maps" / (Win1251("трасса") + ".map"), {0, 0, 0, 0, 9, 9, 9, 9});
    Console->Execute("LoadLevel " + Win1251("трасса"));
    ASSERT_GE(Console->LineCount, 1);
    EXPECT_EQ(Utf8From1251(Console->Lines[0]),
              "Карта трасса не загружена: файл обрывается в заголовке");
}

TEST_F(RaceManager, RefusedMapFromTheMenuKeepsTheMenuOnItsPageAndTheLevel) {
    Click(100, 400); // new game
    Click(525, 650); // next: the map choice
    ASSERT_EQ(Menu->Page, PAGE_MAP);
    Menu->SelectedMap = BROKEN_LEVEL;
    Click(525, 650);
    EXPECT_EQ(Race().State, 0);
    EXPECT_EQ(Race().Level, 1);
    EXPECT_EQ(Menu->Page, PAGE_MAP);
    Menu->SelectedMap = 4; // no such file
    Click(525, 650);
    EXPECT_EQ(Utf8From1251(Console->Lines[0]), "Карты map4 не существует");
    EXPECT_EQ(Race().Level, 1);
    Menu->SelectedMap = 2;
    Click(525, 650);
    EXPECT_EQ(Race().State, 1);
    EXPECT_EQ(Race().Level, 2);
}

TEST_F(RaceManager, MissingMapBeforeTheFirstRaceLeavesTheMenuInFront) {
    EXPECT_FALSE(Race().LoadLevel("map42"));
    EXPECT_EQ(Race().State, 0);
    EXPECT_EQ(Race().CarCount, 0);
    EXPECT_TRUE(Race().Cars.empty());
    EXPECT_EQ(Camera->Target, nullptr);
}

// --- The countdown -----------------------------------------------------------------------------

TEST_F(RaceManager, CountdownStepsOnlyAfterStrictlyMoreThanASecond) {
    LoadAt("map1");
    EXPECT_EQ(CountdownDigit(), "3");
    UpdateAt(LOAD_TIME_MS + 1000);
    EXPECT_EQ(Race().Countdown, 3) << "1000 ms exactly is not enough";
    UpdateAt(LOAD_TIME_MS + 1001);
    EXPECT_EQ(Race().Countdown, 2);
    EXPECT_EQ(Race().LastTick, LOAD_TIME_MS + 1001);
    EXPECT_EQ(CountdownDigit(), "2");
    UpdateAt(LOAD_TIME_MS + 2001);
    EXPECT_EQ(Race().Countdown, 2);
    UpdateAt(LOAD_TIME_MS + 2002);
    EXPECT_EQ(Race().Countdown, 1);
    EXPECT_EQ(CountdownDigit(), "1");
    EXPECT_FALSE(Race().Started);
    UpdateAt(LOAD_TIME_MS + 3003);
    EXPECT_EQ(Race().Countdown, 0);
    EXPECT_TRUE(Race().Started);
    EXPECT_EQ(CountdownDigit(), "") << "no digit once the race runs";
    for (int I = 1; I < 6; ++I)
        EXPECT_EQ(static_cast<TAICar*>(Race().Cars[size_t(I)])->LastCheckTime, LOAD_TIME_MS + 3003);
}

TEST_F(RaceManager, CarsStandStillDuringTheCountdownAndMoveAfterIt) {
    LoadAt("map1");
    std::vector<TVec3> Grid;
    for (TBasicCar* Car : Race().Cars)
        Grid.push_back(Car->Pos);
    E.SetKeyDown('W', true);
    for (int Ms = LOAD_TIME_MS; Ms < LOAD_TIME_MS + 3000; Ms += MS_PER_UPDATE)
        UpdateAt(Ms);
    ASSERT_FALSE(Race().Started);
    for (size_t I = 0; I < Grid.size(); ++I) {
        EXPECT_EQ(Race().Cars[I]->Pos.x, Grid[I].x) << "car " << I;
        EXPECT_EQ(Race().Cars[I]->Pos.y, Grid[I].y) << "car " << I;
    }
    Ticks(10);
    ASSERT_TRUE(Race().Started);
    for (size_t I = 0; I < Grid.size(); ++I)
        EXPECT_GT(Race().Cars[I]->Pos.x, Grid[I].x) << I;
}

TEST_F(RaceManager, EscapePausesTheCountdownWhoseClockKeepsRunning) {
    LoadAt("map1");
    UpdateAt(LOAD_TIME_MS + 1001);
    ASSERT_EQ(Race().Countdown, 2);
    E.SetTime(LOAD_TIME_MS + 1100);
    E.QueuePress(VK_ESCAPE);
    E.StepUpdate();
    EXPECT_EQ(Race().State, 0);
    EXPECT_EQ(Menu->Page, PAGE_MAIN);
    for (int Ms = LOAD_TIME_MS + 1200; Ms < LOAD_TIME_MS + 5000; Ms += MS_PER_UPDATE)
        UpdateAt(Ms);
    EXPECT_EQ(Race().Countdown, 2) << "nothing of a paused race is updated";
    // Escape on the main page resumes; the step overdue during the pause comes at once.
    E.SetTime(LOAD_TIME_MS + 5000);
    E.QueuePress(VK_ESCAPE);
    E.StepUpdate();
    EXPECT_EQ(Race().State, 1);
    EXPECT_EQ(Menu->Page, PAGE_RACE);
    EXPECT_EQ(Race().Countdown, 1);
    EXPECT_EQ(Race().LastTick, LOAD_TIME_MS + 5000);
}

TEST_F(RaceManager, PausedRaceIsDrawnBehindTheMainPageOnly) {
    StartRace("map1");
    Press(VK_ESCAPE);
    ASSERT_EQ(Race().State, 0);
    EXPECT_NE(FindText(Frame(), "Круг: 1/1"), nullptr);
    Click(100, 400); // new game: the car choice hides the race
    ASSERT_EQ(Menu->Page, PAGE_CAR);
    EXPECT_EQ(FindText(Frame(), "Круг: 1/1"), nullptr);
}

// --- The finish --------------------------------------------------------------------------------

TEST_F(RaceManager, PlayerDrivingOverTheLastLapFinishesWithItsPlace) {
    StartRace("map1");
    TBasicCar& Player = *Race().Cars[0];
    Player.Laps = Race().LapCount; // as if the laps were done: the next road point ends the race
    E.SetKeyDown('W', true);
    for (int I = 0; I < 400 && Race().State == 1; ++I)
        Tick();
    ASSERT_EQ(Race().State, 2);
    EXPECT_TRUE(Race().RaceOver);
    EXPECT_TRUE(Player.Finished);
    EXPECT_EQ(Race().FinishPlace, 1) << "a lap ahead of every computer car";
    EXPECT_EQ(Menu->Page, PAGE_RACE);
    Ticks(20);
    EXPECT_EQ(Race().FinishPlace, 1) << "the place is fixed at the first finish";
}

TEST_F(RaceManager, PlayerSecondSeesNoHintAndGoesOnToTheNextLevel) {
    StartRace("map1");
    TBasicCar* Player = Race().Cars[0];
    Player->Place = 1;
    Race().CarFinished(Player);
    EXPECT_EQ(Race().State, 2);
    EXPECT_EQ(Race().FinishPlace, 2);
    EXPECT_EQ(Menu->Page, PAGE_RACE);
    const std::vector<TGLCall> Calls = Frame();
    const TGLCall* Result = FindText(Calls, "Вы приехали 2");
    ASSERT_NE(Result, nullptr);
    EXPECT_EQ(Result->Args[1], 400);
    EXPECT_EQ(Result->Args[2], 300);
    EXPECT_EQ(FindText(Calls, "Финишируйте хотя бы вторым, чтобы пройти дальше"), nullptr);
    EXPECT_EQ(FindText(Calls, "Круг: 1/1"), nullptr) << "no lap text over the result";
    Click(525, 450);
    EXPECT_EQ(Race().Level, 2);
    EXPECT_EQ(Race().LapCount, 2) << "map2 is loaded";
    EXPECT_EQ(Race().State, 1);
}

TEST_F(RaceManager, PlayerThirdSeesTheHintAndRacesTheSameLevelAgain) {
    StartRace("map1");
    Race().Cars[0]->Place = 2;
    Race().CarFinished(Race().Cars[0]);
    EXPECT_EQ(Race().FinishPlace, 3);
    const std::vector<TGLCall> Calls = Frame();
    EXPECT_NE(FindText(Calls, "Вы приехали 3"), nullptr);
    const TGLCall* Hint = FindText(Calls, "Финишируйте хотя бы вторым, чтобы пройти дальше");
    ASSERT_NE(Hint, nullptr);
    EXPECT_EQ(Hint->Args[1], 200);
    EXPECT_EQ(Hint->Args[2], 500);
    Click(525, 450);
    EXPECT_EQ(Race().Level, 1);
    EXPECT_EQ(Race().LapCount, 1);
    EXPECT_EQ(Race().State, 1);
    EXPECT_FALSE(Race().RaceOver);
}

TEST_F(RaceManager, ComputerCarsFinishingFirstChangeNothing) {
    StartRace("map1");
    for (int I = 1; I < 6; ++I)
        Race().Cars[size_t(I)]->Laps = Race().LapCount;
    Ticks(120);
    for (int I = 1; I < 6; ++I)
        EXPECT_TRUE(Race().Cars[size_t(I)]->Finished) << "car " << I;
    EXPECT_EQ(Race().State, 1);
    EXPECT_FALSE(Race().RaceOver);
    EXPECT_EQ(Race().FinishPlace, 0);
    // The player's place is its own Place + 1 at its finish, whatever the others did.
    Race().Cars[0]->Place = 5;
    Race().CarFinished(Race().Cars[0]);
    EXPECT_EQ(Race().FinishPlace, 6);
}

TEST_F(RaceManager, OnlyTheFirstFinishOfThePlayerCounts) {
    StartRace("map1");
    TBasicCar* Player = Race().Cars[0];
    Player->Place = 1;
    Race().CarFinished(Player);
    Player->Finished = true;
    Player->Place = 4;
    Race().CarFinished(Player);
    EXPECT_EQ(Race().FinishPlace, 2);
    // A car that is not in the race is ignored too.
    Race().RaceOver = false;
    TPlayerCar Stranger;
    Race().CarFinished(&Stranger);
    EXPECT_FALSE(Race().RaceOver);
}

TEST_F(RaceManager, LevelIsUntouchedByAConsoleLoadSoNextGoesOnFromIt) {
    StartRace("map1");
    Console->Execute("LoadLevel map3");
    ASSERT_EQ(Race().LapCount, 3);
    EXPECT_EQ(Race().Level, 1);
    Ticks(200);
    Race().Cars[0]->Place = 0;
    Race().CarFinished(Race().Cars[0]);
    Click(525, 450);
    EXPECT_EQ(Race().Level, 2);
    EXPECT_EQ(Race().LapCount, 2);
}

TEST_F(RaceManager, AfterTheLastMapPresentTheLevelsStartOver) {
    StartRace("map3");
    Race().Level = 3;
    Race().Cars[0]->Place = 0;
    Race().CarFinished(Race().Cars[0]);
    Click(525, 450); // there is no map4
    EXPECT_EQ(Race().Level, 1);
    EXPECT_EQ(Race().LapCount, 1);
}

// --- Running order -----------------------------------------------------------------------------

class RunningOrder : public RaceManager {
protected:
    void SetUp() override {
        RaceManager::SetUp();
        LoadAt("map1");
    }
    // Sets laps and road points of the cars in Order's present order, then one pass.
    std::vector<int> PassOver(const std::vector<std::pair<int, int>>& LapsAndPoints) {
        TGameManager& R = Race();
        for (size_t I = 0; I < LapsAndPoints.size(); ++I) {
            R.Order[I] = R.Cars[I];
            R.Order[I]->Laps = LapsAndPoints[I].first;
            R.Order[I]->RoadPoint = LapsAndPoints[I].second;
        }
        R.SortOrder();
        std::vector<int> Indices;
        for (TBasicCar* Car : R.Order)
            Indices.push_back(int(std::find(R.Cars.begin(), R.Cars.end(), Car) - R.Cars.begin()));
        return Indices;
    }
};

TEST_F(RunningOrder, OnePassMovesACarAtMostOnePlaceUp) {
    // Car 5 is a lap ahead of everyone: one pass carries it one place up only.
    EXPECT_EQ(PassOver({{0, 5}, {0, 5}, {0, 5}, {0, 5}, {0, 5}, {1, 5}}),
              (std::vector<int>{0, 1, 2, 3, 5, 4}));
    // Car 0 a lap behind everyone sinks to the back in one pass.
    EXPECT_EQ(PassOver({{0, 5}, {1, 5}, {1, 5}, {1, 5}, {1, 5}, {1, 5}}),
              (std::vector<int>{1, 2, 3, 4, 5, 0}));
}

TEST_F(RunningOrder, WithinALapFurtherRoadPointsLeadAcrossTheStartPoint) {
    const int S = TRACK_START_POINT;
    // Both at or after S: the higher road point leads.
    EXPECT_EQ(PassOver({{0, S}, {0, S + 4}, {0, 9}, {0, 9}, {0, 9}, {0, 9}})[0], 1);
    // A car past the last point (index below S) leads one above S.
    EXPECT_EQ(PassOver({{0, 1}, {0, S + 4}, {0, 9}, {0, 9}, {0, 9}, {0, 9}})[0], 0);
    // Two cars both below S: the higher index leads.
    EXPECT_EQ(PassOver({{0, 0}, {0, 1}, {0, 9}, {0, 9}, {0, 9}, {0, 9}})[0], 1);
    // Equal road points: no swap.
    EXPECT_EQ(PassOver({{0, 7}, {0, 7}, {0, 7}, {0, 7}, {0, 7}, {0, 7}}),
              (std::vector<int>{0, 1, 2, 3, 4, 5}));
}

// --- Drawing -----------------------------------------------------------------------------------

TEST_F(RaceManager, RaceTextsFollowTheCameraCar) {
    StartRace("map2");
    Tick();
    std::vector<TGLCall> Calls = Frame();
    const TGLCall* Lap = FindText(Calls, "Круг: 1/2");
    ASSERT_NE(Lap, nullptr);
    EXPECT_EQ(Lap->Args[0], 0);
    EXPECT_EQ(Lap->Args[1], 10);
    EXPECT_EQ(Lap->Args[2], 30);
    const int Place = Race().Cars[0]->Place + 1;
    const TGLCall* PlaceText = FindText(Calls, "Ваша позиция: " + std::to_string(Place));
    ASSERT_NE(PlaceText, nullptr);
    EXPECT_EQ(PlaceText->Args[1], 10);
    EXPECT_EQ(PlaceText->Args[2], 50);
    Console->Execute("Follow 4");
    Race().Cars[4]->Laps = 1;
    Calls = Frame();
    EXPECT_NE(FindText(Calls, "Круг: 2/2"), nullptr);
}

TEST_F(RaceManager, NothingOfTheRaceIsDrawnBeforeTheFirstLevel) {
    const std::vector<TGLCall> Calls = Frame();
    for (const std::string& Text : TextsOf(Calls))
        EXPECT_EQ(Text.find("Круг"), std::string::npos) << Text;
}

TEST_F(RaceManager, CountdownDigitIsDrawnInTheCountdownFontAtItsPlace) {
    LoadAt("map1");
    const std::vector<TGLCall> Calls = Frame();
    auto Digit = std::find_if(Calls.begin(), Calls.end(), [](const TGLCall& C) {
        return C.Name == "Render.TextOut" && int(C.Args[0]) == CountdownFont;
    });
    ASSERT_NE(Digit, Calls.end());
    EXPECT_NE(CountdownFont, 0);
    EXPECT_EQ(Digit->Text, "3");
    EXPECT_EQ(Digit->Args[1], 500);
    EXPECT_EQ(Digit->Args[2], 250);
    ASSERT_NE(Digit + 1, Calls.end());
    EXPECT_EQ((Digit + 1)->Name, "Textures.Disable");
    EXPECT_EQ((Digit - 1)->Name, "Render.Set2D");
}

TEST_F(RaceManager, DestroyingTheRaceManagerLeavesNoCarBehind) {
    LoadAt("map1");
    Camera->Target = &Race().Cars[5]; // its last entry
    delete GameManager;
    GameManager = nullptr;
    EXPECT_TRUE(CarList.empty());
    EXPECT_EQ(Camera->Target, nullptr);
    GameManager = new TGameManager();

    // A camera following an entry of some other list keeps it.
    LoadAt("map1");
    const std::vector<TBasicCar*> Other(1);
    Camera->Target = Other.data();
    delete GameManager;
    GameManager = nullptr;
    EXPECT_EQ(Camera->Target, Other.data());
    Camera->Target = nullptr;
    GameManager = new TGameManager();
}

} // namespace
