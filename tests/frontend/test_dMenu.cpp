// The main menu on the headless engine, over a stand-in race manager that records its level loads.
#include "frontend/dMenu.h"

#include "app/variables.h"
#include "cars/dCars.h"
#include "cars/dRace.h"
#include "engine/EngineHeadless.h"
#include "engine/GL.h"
#include "engine/Text1251.h"
#include "models/dMeshes.h"

#include "RecordedCalls.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Records the names it is asked to load; refuses them while Refuse is set.
class TStandInRace final : public TRace {
public:
    ~TStandInRace() override { DropCars(); }
    bool LoadLevel(const std::string& Name) override {
        Loaded.push_back(Name);
        if (Refuse) return false;
        State = 1;
        RaceOver = false;
        return true;
    }
    void CarFinished(TBasicCar*) override {}
    void Update() override {}
    void Draw() override {}

    void MakeCars() {
        DropCars();
        Cars.push_back(new TPlayerCar());
        for (int I = 1; I < 6; ++I)
            Cars.push_back(new TAICar());
        CarCount = 6;
        Order = Cars;
    }
    void DropCars() {
        for (TBasicCar* Car : Cars)
            delete Car;
        Cars.clear();
        Order.clear();
        CarCount = 0;
    }

    std::vector<std::string> Loaded;
    bool Refuse = false;
};

// A car model that only notes that it was drawn.
class TNotedMesh final : public TMesh {
public:
    explicit TNotedMesh(int Id) : Id(Id) {}
    void Draw() override { GLRecordCall({"Mesh.Draw", {double(Id)}, {}}); }
    int Id;
};

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories("data/maps");
        for (int L = 1; L <= 3; ++L) // the next button only asks whether the file is there
            std::ofstream("data/maps/map" + std::to_string(L) + ".map") << "x";

        UseEngine(&E);
        for (int I = 0; I < CAR_MODEL_COUNT; ++I)
            CarMeshes[I] = new TNotedMesh(I);
        GameManager = &Race;
        Menu = new TMenu();
    }
    void TearDown() override {
        GLStopRecording();
        delete Menu;
        Menu = nullptr;
        GameManager = nullptr;
        for (TMesh*& Mesh : CarMeshes) {
            delete Mesh;
            Mesh = nullptr;
        }
        UseEngine(nullptr);
    }

    // One menu update with the cursor at (X, Y), with or without a click of the left button.
    void UpdateAt(int X, int Y, bool Clicked) {
        E.SetCursor(X, Y);
        if (Clicked) E.QueuePress(VK_MOUSE_LEFT);
        E.StepUpdate();
        Menu->Update();
    }
    void Click(int X, int Y) { UpdateAt(X, Y, true); }
    void Idle() { UpdateAt(0, 0, false); }

    std::vector<TGLCall> DrawAt(int X, int Y) {
        E.SetCursor(X, Y);
        GLStartRecording();
        Menu->Draw();
        GLStopRecording();
        return GLRecordedCalls();
    }
    // The pictures bound on unit 0, in order.
    static std::vector<int> Pictures(const std::vector<TGLCall>& Calls) {
        std::vector<int> Bound;
        for (const TGLCall& C : Calls)
            if (C.Name == "Textures.Enable" && C.Args[1] == 0) Bound.push_back(int(C.Args[0]));
        return Bound;
    }

    THeadlessEngine E;
    TStandInRace Race;
    const TScratchWorkingDirectory Scratch{"marvolin-menu"};
};

// Button centres (x, y) as laid out on the 1024 x 768 screen.
constexpr int NEW_GAME[] = {100, 400};
constexpr int CONTINUE[] = {100, 450};
constexpr int ABOUT[] = {100, 500};
constexpr int QUIT[] = {100, 550};
constexpr int LEFT[] = {375, 650};
constexpr int RIGHT[] = {675, 650};
constexpr int NEXT[] = {525, 650};
constexpr int RACE_NEXT[] = {525, 450};

// --- Construction ------------------------------------------------------------------------------

TEST_F(MenuTest, LoadsEachPictureOnceInItsOrderAndSharesThePairs) {
    const std::string B = "data\\textures\\buttons\\";
    const std::vector<std::string> Expected = {B + "newgame.jpg",
                                               B + "newgameover.jpg",
                                               B + "continue.jpg",
                                               B + "continueover.jpg",
                                               B + "about.jpg",
                                               B + "aboutover.jpg",
                                               B + "quit.jpg",
                                               B + "quitover.jpg",
                                               B + "arr1.jpg",
                                               B + "arr2.jpg",
                                               B + "next.jpg",
                                               B + "nextover.jpg",
                                               "data\\textures\\cursor.tga"};
    ASSERT_EQ(E.TextureLog.size(), Expected.size());
    for (size_t I = 0; I < Expected.size(); ++I)
        EXPECT_EQ(E.TextureLog[I].Name, Expected[I]);
    EXPECT_EQ(Menu->Images[0].Normal, 1);
    EXPECT_EQ(Menu->Images[0].Over, 2);
    EXPECT_EQ(Menu->Images[3].Over, 8);
    EXPECT_EQ(Menu->Images[4].Normal, 9);
    EXPECT_EQ(Menu->Images[5].Normal, 9);
    EXPECT_EQ(Menu->Images[5].Over, 10);
    EXPECT_EQ(Menu->Images[6].Normal, 11);
    EXPECT_EQ(Menu->Images[7].Over, 12);
    EXPECT_EQ(Menu->CursorTexture, 13);
    EXPECT_EQ(Menu->Page, PAGE_MAIN);
    EXPECT_EQ(Menu->CarSpin, 90);
    EXPECT_EQ(Menu->SelectedCar, 0);
    EXPECT_EQ(Menu->SelectedMap, 1);
}

// --- Hit test ----------------------------------------------------------------------------------

TEST_F(MenuTest, PointOnTheBorderIsOutside) {
    const TButtonRect& R = Menu->Buttons[0]; // 128 x 32 around (100, 400)
    EXPECT_TRUE(TMenu::InButton(R, Vec3(100, 400, 0)));
    EXPECT_FALSE(TMenu::InButton(R, Vec3(36, 400, 0)));
    EXPECT_FALSE(TMenu::InButton(R, Vec3(164, 400, 0)));
    EXPECT_FALSE(TMenu::InButton(R, Vec3(100, 384, 0)));
    EXPECT_FALSE(TMenu::InButton(R, Vec3(100, 416, 0)));
    EXPECT_TRUE(TMenu::InButton(R, Vec3(36.001f, 384.001f, 0)));
    EXPECT_TRUE(TMenu::InButton(R, Vec3(163.999f, 415.999f, 0)));
}

TEST_F(MenuTest, ClickExactlyOnABorderDoesNothing) {
    for (const auto& [X, Y] : {std::pair{36, 400}, {164, 400}, {100, 384}, {100, 416}}) {
        Click(X, Y);
        EXPECT_EQ(Menu->Page, PAGE_MAIN) << X << ", " << Y;
    }
    Click(37, 385);
    EXPECT_EQ(Menu->Page, PAGE_CAR) << "one pixel inside the corner";
}

TEST_F(MenuTest, CursorWithoutAClickDoesNothing) {
    UpdateAt(NEW_GAME[0], NEW_GAME[1], false);
    EXPECT_EQ(Menu->Page, PAGE_MAIN);
    E.QueuePress(VK_ESCAPE); // another key is no click either
    UpdateAt(NEW_GAME[0], NEW_GAME[1], false);
    EXPECT_EQ(Menu->Page, PAGE_MAIN);
}

// --- The pages ---------------------------------------------------------------------------------

TEST_F(MenuTest, MainPageButtonsLeadToTheirPages) {
    Click(NEW_GAME[0], NEW_GAME[1]);
    EXPECT_EQ(Menu->Page, PAGE_CAR);
    Menu->Page = PAGE_MAIN;
    Click(ABOUT[0], ABOUT[1]);
    EXPECT_EQ(Menu->Page, PAGE_ABOUT);
    Menu->Page = PAGE_MAIN;
    EXPECT_FALSE(E.QuitRequested);
    Click(QUIT[0], QUIT[1]);
    EXPECT_TRUE(E.QuitRequested);
}

TEST_F(MenuTest, ButtonsOfOtherPagesAreInactive) {
    // The arrows and next on the main page.
    for (const int* B : {LEFT, RIGHT, NEXT, RACE_NEXT})
        Click(B[0], B[1]);
    EXPECT_EQ(Menu->Page, PAGE_MAIN);
    EXPECT_EQ(Menu->SelectedCar, 0);
    EXPECT_TRUE(Race.Loaded.empty());
    // The main page's buttons on the car page.
    Menu->Page = PAGE_CAR;
    for (const int* B : {NEW_GAME, CONTINUE, ABOUT, QUIT, RACE_NEXT})
        Click(B[0], B[1]);
    EXPECT_EQ(Menu->Page, PAGE_CAR);
    EXPECT_FALSE(E.QuitRequested);
    // Nothing acts on the about page.
    Menu->Page = PAGE_ABOUT;
    for (const int* B : {NEW_GAME, QUIT, LEFT, RIGHT, NEXT, RACE_NEXT})
        Click(B[0], B[1]);
    EXPECT_EQ(Menu->Page, PAGE_ABOUT);
    EXPECT_FALSE(E.QuitRequested);
    // Only the result's next button acts on the race page.
    Menu->Page = PAGE_RACE;
    for (const int* B : {NEW_GAME, QUIT, LEFT, RIGHT, NEXT})
        Click(B[0], B[1]);
    EXPECT_EQ(Menu->Page, PAGE_RACE);
    EXPECT_TRUE(Race.Loaded.empty());
    EXPECT_FALSE(E.QuitRequested);
}

TEST_F(MenuTest, CarChoiceWrapsAroundBothWays) {
    Menu->Page = PAGE_CAR;
    Click(LEFT[0], LEFT[1]);
    EXPECT_EQ(Menu->SelectedCar, 5);
    Click(RIGHT[0], RIGHT[1]);
    EXPECT_EQ(Menu->SelectedCar, 0);
    for (int I = 0; I < 5; ++I)
        Click(RIGHT[0], RIGHT[1]);
    EXPECT_EQ(Menu->SelectedCar, 5);
    Click(RIGHT[0], RIGHT[1]);
    EXPECT_EQ(Menu->SelectedCar, 0);
    EXPECT_EQ(Menu->SelectedMap, 1) << "the map choice is not touched";
}

TEST_F(MenuTest, MapChoiceWrapsAroundBothWays) {
    Menu->Page = PAGE_MAP;
    Click(LEFT[0], LEFT[1]);
    EXPECT_EQ(Menu->SelectedMap, 11);
    Click(RIGHT[0], RIGHT[1]);
    EXPECT_EQ(Menu->SelectedMap, 1);
    Menu->SelectedMap = 10;
    Click(RIGHT[0], RIGHT[1]);
    Click(RIGHT[0], RIGHT[1]);
    EXPECT_EQ(Menu->SelectedMap, 1);
    EXPECT_EQ(Menu->SelectedCar, 0) << "the car choice is not touched";
}

TEST_F(MenuTest, ArrowsOutsideTheChoicePagesChangeNothing) {
    Menu->Page = PAGE_ABOUT;
    ArrowLeftClick();
    ArrowRightClick();
    Menu->Page = PAGE_RACE;
    ArrowLeftClick();
    EXPECT_EQ(Menu->SelectedCar, 0);
    EXPECT_EQ(Menu->SelectedMap, 1);
}

TEST_F(MenuTest, PreviewTurnsOneDegreePerUpdateOnlyOnTheCarPage) {
    Idle();
    EXPECT_EQ(Menu->CarSpin, 90) << "main page";
    Menu->Page = PAGE_CAR;
    for (int I = 0; I < 40; ++I)
        Idle();
    EXPECT_EQ(Menu->CarSpin, 130) << "forty degrees in a second";
    Click(NEXT[0], NEXT[1]); // this update still turns it, then leaves the page
    EXPECT_EQ(Menu->Page, PAGE_MAP);
    EXPECT_EQ(Menu->CarSpin, 131);
    for (int I = 0; I < 10; ++I)
        Idle();
    EXPECT_EQ(Menu->CarSpin, 131) << "the angle is kept off the page";
    Menu->Page = PAGE_ABOUT;
    Idle();
    EXPECT_EQ(Menu->CarSpin, 131);
}

TEST_F(MenuTest, NextOnTheMapPageLoadsTheChosenMapAndStaysThere) {
    Menu->Page = PAGE_CAR;
    Click(NEXT[0], NEXT[1]);
    ASSERT_EQ(Menu->Page, PAGE_MAP);
    Menu->SelectedMap = 7;
    Click(NEXT[0], NEXT[1]);
    EXPECT_EQ(Race.Loaded, std::vector<std::string>{"map7"}) << "the choice is not tested on disk";
    EXPECT_EQ(Race.Level, 7);
    EXPECT_EQ(Race.State, 1);
    EXPECT_EQ(Menu->Page, PAGE_MAP);
}

TEST_F(MenuTest, RefusedMapLeavesTheLevelAndThePage) {
    Race.Refuse = true;
    Menu->Page = PAGE_MAP;
    Menu->SelectedMap = 11;
    Click(NEXT[0], NEXT[1]);
    EXPECT_EQ(Race.Loaded.size(), 1u);
    EXPECT_EQ(Race.Level, 1);
    EXPECT_EQ(Race.State, 0);
    EXPECT_EQ(Menu->Page, PAGE_MAP);
}

// --- The race page after the finish ------------------------------------------------------------

class FinishPage : public MenuTest {
protected:
    void Finish(int Place, int Level) {
        Race.MakeCars();
        Race.State = 2;
        Race.RaceOver = true;
        Race.FinishPlace = Place;
        Race.Level = Level;
        Menu->Page = PAGE_RACE;
    }
};

TEST_F(FinishPage, FirstOrSecondGoesOnToTheNextLevel) {
    Finish(2, 1);
    Click(RACE_NEXT[0], RACE_NEXT[1]);
    EXPECT_EQ(Race.Loaded, std::vector<std::string>{"map2"});
    EXPECT_EQ(Race.Level, 2);
    Finish(1, 2);
    Click(RACE_NEXT[0], RACE_NEXT[1]);
    EXPECT_EQ(Race.Loaded.back(), "map3");
}

TEST_F(FinishPage, ThirdOrWorseRacesTheSameLevelAgain) {
    Finish(3, 2);
    Click(RACE_NEXT[0], RACE_NEXT[1]);
    EXPECT_EQ(Race.Loaded, std::vector<std::string>{"map2"});
    EXPECT_EQ(Race.Level, 2);
    Finish(6, 2);
    Click(RACE_NEXT[0], RACE_NEXT[1]);
    EXPECT_EQ(Race.Loaded.back(), "map2");
}

TEST_F(FinishPage, AfterTheLastMapFileTheLevelsStartOverAtOne) {
    Finish(1, 3); // there is no map4 file
    Click(RACE_NEXT[0], RACE_NEXT[1]);
    EXPECT_EQ(Race.Loaded, std::vector<std::string>{"map1"});
    EXPECT_EQ(Race.Level, 1);
}

TEST_F(FinishPage, RefusedLoadKeepsTheLevelAndTheResult) {
    Finish(1, 1);
    Race.Refuse = true;
    Click(RACE_NEXT[0], RACE_NEXT[1]);
    EXPECT_EQ(Race.Loaded, std::vector<std::string>{"map2"});
    EXPECT_EQ(Race.Level, 1);
    EXPECT_EQ(Race.State, 2);
    EXPECT_EQ(Menu->Page, PAGE_RACE);
}

TEST_F(FinishPage, EscapeDoesNothingOverTheResult) {
    Finish(2, 1);
    Menu->EscapePressed();
    EXPECT_EQ(Race.State, 2);
    EXPECT_EQ(Menu->Page, PAGE_RACE);
}

// --- Continue and Escape -----------------------------------------------------------------------

TEST_F(MenuTest, ContinueDoesNothingBeforeTheFirstLevel) {
    Click(CONTINUE[0], CONTINUE[1]);
    EXPECT_EQ(Race.State, 0);
    EXPECT_EQ(Menu->Page, PAGE_MAIN);
    Menu->EscapePressed();
    EXPECT_EQ(Race.State, 0);
    EXPECT_EQ(Menu->Page, PAGE_MAIN);
}

TEST_F(MenuTest, ContinueResumesThePausedRaceWithFreshStuckChecks) {
    Race.MakeCars();
    E.SetTime(12345);
    Click(CONTINUE[0], CONTINUE[1]);
    EXPECT_EQ(Race.State, 1);
    EXPECT_EQ(Menu->Page, PAGE_RACE);
    for (int I = 1; I < 6; ++I)
        EXPECT_EQ(static_cast<TAICar*>(Race.Cars[size_t(I)])->LastCheckTime, 12345) << I;
}

TEST_F(MenuTest, ContinueAfterTheFinishShowsTheResult) {
    Race.MakeCars();
    Race.RaceOver = true;
    E.SetTime(500);
    Click(CONTINUE[0], CONTINUE[1]);
    EXPECT_EQ(Race.State, 2);
    EXPECT_EQ(static_cast<TAICar*>(Race.Cars[1])->LastCheckTime, 0) << "no stuck check restarts";
}

TEST_F(MenuTest, EscapeWalksBackThroughThePages) {
    Menu->Page = PAGE_ABOUT;
    Menu->EscapePressed();
    EXPECT_EQ(Menu->Page, PAGE_MAIN);
    Menu->Page = PAGE_MAP;
    Menu->EscapePressed();
    EXPECT_EQ(Menu->Page, PAGE_CAR);
    Menu->EscapePressed();
    EXPECT_EQ(Menu->Page, PAGE_MAIN);
    Menu->EscapePressed();
    EXPECT_EQ(Menu->Page, PAGE_MAIN) << "nothing to resume";
    EXPECT_EQ(Race.State, 0);
}

TEST_F(MenuTest, EscapePausesARunningRaceFromAnyPageAndResumesIt) {
    Race.MakeCars();
    Race.State = 1;
    Menu->Page = PAGE_MAP; // the page the race was started from
    Menu->EscapePressed();
    EXPECT_EQ(Race.State, 0);
    EXPECT_EQ(Menu->Page, PAGE_MAIN);
    Menu->EscapePressed();
    EXPECT_EQ(Race.State, 1);
    EXPECT_EQ(Menu->Page, PAGE_RACE);
}

// --- Drawing -----------------------------------------------------------------------------------

TEST_F(MenuTest, MainPageHighlightsTheButtonUnderTheCursor) {
    const std::vector<TGLCall> Calls = DrawAt(CONTINUE[0], CONTINUE[1]);
    const std::vector<int> Bound = Pictures(Calls);
    ASSERT_EQ(Bound.size(), 5u);
    EXPECT_EQ(Bound[0], Menu->Images[0].Normal);
    EXPECT_EQ(Bound[1], Menu->Images[1].Over);
    EXPECT_EQ(Bound[2], Menu->Images[2].Normal);
    EXPECT_EQ(Bound[3], Menu->Images[3].Normal);
    EXPECT_EQ(Bound[4], Menu->CursorTexture);
    EXPECT_EQ(Calls.front().Name, "Disable");
    EXPECT_EQ(Calls.front().Args[0], GL_LIGHTING);
    // On the border there is no highlight.
    EXPECT_EQ(Pictures(DrawAt(164, 450))[1], Menu->Images[1].Normal);
}

TEST_F(MenuTest, ButtonQuadRunsAroundItsRectangleAndTheLeftArrowIsMirrored) {
    Menu->Page = PAGE_MAP;
    const std::vector<TGLCall> Calls = DrawAt(0, 0);
    // The first quad is the left arrow, 64 x 64 around (375, 650).
    std::vector<std::vector<double>> Coords, Vertices;
    for (const TGLCall& C : Calls) {
        if (C.Name == "End") break;
        if (C.Name == "TexCoord2f") Coords.push_back(C.Args);
        if (C.Name == "Vertex2f") Vertices.push_back(C.Args);
    }
    EXPECT_EQ(Vertices,
              (std::vector<std::vector<double>>{{343, 618}, {343, 682}, {407, 682}, {407, 618}}));
    EXPECT_EQ(Coords, (std::vector<std::vector<double>>{{1, 0}, {1, 1}, {0, 1}, {0, 0}}));
    // The right arrow is not mirrored.
    std::vector<std::vector<double>> Second;
    int Quads = 0;
    for (const TGLCall& C : Calls) {
        if (C.Name == "Begin") ++Quads;
        if (Quads == 2 && C.Name == "TexCoord2f") Second.push_back(C.Args);
    }
    EXPECT_EQ(Second, (std::vector<std::vector<double>>{{0, 0}, {0, 1}, {1, 1}, {1, 0}}));
}

TEST_F(MenuTest, CursorIsDrawnLastOverEverything) {
    const std::vector<TGLCall> Calls = DrawAt(300, 200);
    auto Clear = std::find_if(Calls.begin(), Calls.end(),
                              [](const TGLCall& C) { return C.Name == "Clear"; });
    ASSERT_NE(Clear, Calls.end());
    EXPECT_EQ(Clear->Args[0], GL_DEPTH_BUFFER_BIT);
    std::vector<std::string> Names;
    for (auto It = Clear; It != Calls.end(); ++It)
        Names.push_back(It->Name);
    const std::vector<std::string> Expected = {
        "Clear",           "PushMatrix", "Enable",     "Translatef",
        "Textures.Enable", "Begin",      "TexCoord2f", "Vertex2f",
        "TexCoord2f",      "Vertex2f",   "TexCoord2f", "Vertex2f",
        "TexCoord2f",      "Vertex2f",   "End",        "Textures.Disable",
        "Disable",         "PopMatrix",  "Enable"};
    ASSERT_EQ(Names, Expected);
    const TGLCall& Blend = *(Clear + 2);
    EXPECT_EQ(Blend.Args[0], GL_BLEND);
    EXPECT_EQ((Clear + 3)->Args, (std::vector<double>{8, 17, 0}));
    EXPECT_EQ((Clear + 4)->Args[0], Menu->CursorTexture);
    EXPECT_EQ((Clear + 7)->Args, (std::vector<double>{284, 184})) << "32 x 32 around the mouse";
    EXPECT_EQ((Clear + 11)->Args, (std::vector<double>{316, 216}));
    EXPECT_EQ((Clear + 16)->Args[0], GL_BLEND);
    EXPECT_EQ(Calls.back().Args[0], GL_LIGHTING);
    EXPECT_EQ(std::count_if(Calls.begin(), Calls.end(),
                            [](const TGLCall& C) { return C.Name == "BlendFunc"; }),
              0);
}

TEST_F(MenuTest, CarPageShowsTheChosenCarTurningInItsOwnView) {
    Menu->Page = PAGE_CAR;
    Menu->SelectedCar = 3;
    Menu->CarSpin = 125;
    const std::vector<TGLCall> Calls = DrawAt(0, 0);
    std::vector<std::string> Names;
    for (const TGLCall& C : Calls)
        Names.push_back(C.Name);
    auto At = [&](const std::string& Name) {
        return size_t(std::find(Names.begin(), Names.end(), Name) - Names.begin());
    };
    const size_t View = At("Render.Set3D");
    ASSERT_LT(View + 8, Calls.size());
    EXPECT_EQ(Calls[View].Args, (std::vector<double>{60, 10, 1000}));
    EXPECT_EQ(Calls[View + 1].Name, "Enable");
    EXPECT_EQ(Calls[View + 1].Args[0], GL_LIGHTING);
    EXPECT_EQ(Calls[View + 2].Args, (std::vector<double>{0, 0, -100}));
    EXPECT_EQ(Calls[View + 3].Args, (std::vector<double>{-60, 1, 0, 0}));
    EXPECT_EQ(Calls[View + 4].Args, (std::vector<double>{125, 0, 0, 1}));
    EXPECT_EQ(Calls[View + 5].Name, "Mesh.Draw");
    EXPECT_EQ(Calls[View + 5].Args[0], 3);
    EXPECT_EQ(Calls[View + 6].Name, "Disable");
    EXPECT_EQ(Calls[View + 7].Name, "Render.Set2D");
    EXPECT_EQ(Calls[View + 7].Args, (std::vector<double>{0, 0, 1024, 768}));
    const TGLCall* Title = FindText(Calls, "Выбери машину");
    ASSERT_NE(Title, nullptr);
    EXPECT_EQ(Title->Args, (std::vector<double>{0, 20, 20}));
    EXPECT_EQ(Pictures(Calls).size(), 4u) << "two arrows, next, the cursor";
}

TEST_F(MenuTest, MapPageWritesTheChosenNumber) {
    Menu->Page = PAGE_MAP;
    Menu->SelectedMap = 11;
    const std::vector<TGLCall> Calls = DrawAt(0, 0);
    const TGLCall* Line = FindText(Calls, "Выбранная карта: 11");
    ASSERT_NE(Line, nullptr);
    EXPECT_EQ(Line->Args, (std::vector<double>{0, 100, 400}));
}

TEST_F(MenuTest, AboutPageShowsTheTitleAndCreditLinesThatFitTheScreen) {
    Menu->Page = PAGE_ABOUT;
    const std::vector<TGLCall> Calls = DrawAt(0, 0);
    std::vector<const TGLCall*> Texts;
    for (const TGLCall& C : Calls)
        if (C.Name == "Render.TextOut") Texts.push_back(&C);
    ASSERT_GE(Texts.size(), 3u);
    EXPECT_EQ(Texts[0]->Text, "Marvolin");
    EXPECT_EQ(Texts[0]->Args, (std::vector<double>{0, 700, 595}));
    EXPECT_EQ(Texts[1]->Args, (std::vector<double>{0, 580, 620})) << "the heading";
    constexpr double LINE_STEP = 15;
    for (size_t I = 1; I < Texts.size(); ++I) {
        const std::string Line = Texts[I]->Text;
        if (I >= 2) {
            EXPECT_EQ(Texts[I]->Args,
                      (std::vector<double>{0, 600, 635 + LINE_STEP * double(I - 2)}));
        }
        EXPECT_FALSE(Line.empty());
        EXPECT_EQ(Line.find('?'), std::string::npos) << "every letter is in the code page";
        EXPECT_EQ(Win1251(Utf8From1251(Line)), Line);
        EXPECT_LE(Texts[I]->Args[1] + double(Line.size() * THeadlessEngine::CHAR_WIDTH_PX),
                  GAME_SCREEN_WIDTH)
            << Utf8From1251(Line) << ": runs off the screen";
    }
    EXPECT_LE(Texts.back()->Args[2] + LINE_STEP, GAME_SCREEN_HEIGHT) << "the last line shows";
    EXPECT_EQ(Pictures(Calls), std::vector<int>{Menu->CursorTexture}) << "no buttons";
}

TEST_F(MenuTest, RacePageDrawsItsNextButtonOnly) {
    Menu->Page = PAGE_RACE;
    const std::vector<int> Bound = Pictures(DrawAt(RACE_NEXT[0], RACE_NEXT[1]));
    EXPECT_EQ(Bound, (std::vector<int>{Menu->Images[7].Over, Menu->CursorTexture}));
}

} // namespace
