// The main program's pieces: the asset tables, the order of the game objects, and the update and
// render callbacks walked on the headless engine.
#include "GameRig.h"

#include "console/ConsoleFunctions.h"
#include "engine/Files.h"
#include "models/dMeshes.h"

#include <algorithm>

using namespace rig;

namespace {

// --- Assets ------------------------------------------------------------------------------------

class Assets : public TGameRig {
protected:
    // One textured triangle in every model file the game loads.
    void WriteModels() {
        TMdlData Triangle;
        Triangle.Vertices = {Vec3(0, 0, 0), Vec3(10, 0, 0), Vec3(0, 10, 0)};
        Triangle.Faces = {{{0, 1, 2}}};
        Triangle.TexCoords = {{0, 0}, {1, 0}, {0, 1}};
        Triangle.FaceTexCoords = {{{0, 1, 2}}};
        for (const char* Name :
             {"player",  "jeep",       "supra",   "izmeritel", "cap",    "calendar",  "telephone",
              "stepler", "skrepka_st", "skrepka", "cigaret",   "pen",    "podstavka", "cigaret_box",
              "papka",   "nojnici",    "monitor", "rooler",    "eracer", "book",      "disc",
              "paper",   "paper_m",    "cube",    "flag"})
            WriteBytes(Dir / "data" / "meshes" / (std::string(Name) + ".mdl"),
                       SerializeMdl(Triangle));
    }
    std::string TextureName(const TMesh* Mesh) {
        if (!Mesh || Mesh->Texture <= 0) return {};
        return E.TextureLog[size_t(Mesh->Texture) - 1].Name;
    }
    void TearDown() override {
        FreeAssets();
        TGameRig::TearDown();
    }
};

TEST_F(Assets, CarModelsGetTheirTexturesInIndexOrder) {
    WriteModels();
    LoadAssets();
    const char* const Textures[] = {"player.jpg", "player2.jpg", "player3.jpg",
                                    "jeep.jpg",   "supra2.jpg",  "supra.jpg"};
    for (int I = 0; I < CAR_MODEL_COUNT; ++I) {
        ASSERT_NE(CarMeshes[I], nullptr);
        EXPECT_EQ(CarMeshes[I]->VertexCount, 3) << I;
        EXPECT_EQ(TextureName(CarMeshes[I]), std::string("data\\textures\\cars\\") + Textures[I]);
    }
    for (int I = 1; I < CAR_MODEL_COUNT; ++I)
        EXPECT_GT(CarMeshes[I]->Texture, CarMeshes[I - 1]->Texture) << "loaded in index order";
}

TEST_F(Assets, DeskObjectModelsLeaveKind21EmptyAndShareThePaperTexture) {
    WriteModels();
    LoadAssets();
    for (int I = 0; I < OBJECT_KIND_COUNT; ++I)
        ASSERT_NE(ObjectMeshes[I], nullptr) << I;
    EXPECT_EQ(ObjectMeshes[EMPTY_OBJECT_KIND]->VertexCount, 0);
    EXPECT_EQ(ObjectMeshes[EMPTY_OBJECT_KIND]->Texture, 0);
    EXPECT_FALSE(ObjectMeshes[EMPTY_OBJECT_KIND]->Textured);
    EXPECT_EQ(TextureName(ObjectMeshes[0]), "data\\textures\\objects\\izmeritel.jpg");
    EXPECT_EQ(TextureName(ObjectMeshes[18]), "data\\textures\\objects\\paper.jpg");
    EXPECT_EQ(TextureName(ObjectMeshes[19]), "data\\textures\\objects\\paper.jpg");
    EXPECT_EQ(TextureName(ObjectMeshes[START_FLAG_KIND]), "data\\textures\\objects\\flag.jpg");
    EXPECT_GT(ObjectMeshes[0]->Texture, CarMeshes[CAR_MODEL_COUNT - 1]->Texture)
        << "the desk objects come after the cars";
    EXPECT_GT(ObjectMeshes[22]->Texture, ObjectMeshes[20]->Texture);
    ASSERT_GT(CountdownFont, 0);
    EXPECT_EQ(E.FontLog[size_t(CountdownFont)], "Arial");
}

TEST_F(Assets, MissingModelFileStopsTheLoadWithItsName) {
    WriteModels();
    std::filesystem::remove(Dir / "data" / "meshes" / "jeep.mdl");
    try {
        LoadAssets();
        FAIL() << "a missing model must stop the asset loading";
    } catch (const TFileError& Error) {
        EXPECT_NE(std::string(Error.what()).find("jeep.mdl"), std::string::npos) << Error.what();
    }
    EXPECT_EQ(CarMeshes[2]->VertexCount, 3) << "the models before it are loaded";
}

TEST_F(Assets, FreeAssetsEmptiesBothTables) {
    WriteModels();
    LoadAssets();
    FreeAssets();
    for (TMesh* Mesh : CarMeshes)
        EXPECT_EQ(Mesh, nullptr);
    for (TMesh* Mesh : ObjectMeshes)
        EXPECT_EQ(Mesh, nullptr);
}

// --- The game objects --------------------------------------------------------------------------

using GameObjects = TGameRig;

TEST_F(GameObjects, AreCreatedParticlesConsoleCameraMapCommandsRaceManagerMenu) {
    // The order shows in the pictures each one asks for on its creation.
    const int Blur = TextureOf(E, "DefaultBlur.tga");
    const int ConsoleBack = TextureOf(E, "DATA\\Textures\\console.jpg");
    const int Road = TextureOf(E, "data\\textures\\road.jpg");
    const int FirstButton = TextureOf(E, "data\\textures\\buttons\\newgame.jpg");
    ASSERT_GT(Blur, 0);
    EXPECT_LT(Blur, ConsoleBack);
    EXPECT_LT(ConsoleBack, Road);
    EXPECT_LT(Road, FirstButton);
    const bool Registered =
        std::any_of(Console->Procs.begin(), Console->Procs.end(),
                    [](const TProcRegistry& P) { return P.Name == "LoadLevel"; });
    EXPECT_TRUE(Registered);
    EXPECT_NE(GameManager, nullptr);
    EXPECT_NE(Menu, nullptr);
}

TEST_F(GameObjects, DestroyObjectsLeavesEveryGlobalNull) {
    DestroyObjects();
    EXPECT_EQ(GameManager, nullptr);
    EXPECT_EQ(Map, nullptr);
    EXPECT_EQ(Menu, nullptr);
    EXPECT_EQ(Camera, nullptr);
    EXPECT_EQ(Console, nullptr);
    EXPECT_EQ(ParticleEngine, nullptr);
    DestroyObjects(); // twice is harmless
    CreateGameObjects();
}

// --- The update callback -----------------------------------------------------------------------

using UpdateCallback = TGameRig;

TEST_F(UpdateCallback, UpdatesTheMenuWhileNoRaceIsInFront) {
    Click(100, 400);
    ASSERT_EQ(Menu->Page, PAGE_CAR);
    const float Spin = Menu->CarSpin;
    Tick();
    EXPECT_EQ(Menu->CarSpin, Spin + 1);
    EXPECT_EQ(LastUpdateTime, E.Time());
}

TEST_F(UpdateCallback, UpdatesTheRaceAndTheCameraWhileARaceRuns) {
    StartRace("map1");
    const TVec3 Before = Camera->NextPos;
    Tick();
    EXPECT_EQ(Camera->PrevPos.x, Before.x);
    EXPECT_NE(Camera->NextPos.x, 0) << "the camera follows the player's car";
    const float Spin = Menu->CarSpin;
    Ticks(3);
    EXPECT_EQ(Menu->CarSpin, Spin);
}

TEST_F(UpdateCallback, EscapeReachesTheMenuUnlessTheConsoleIsFullyOpen) {
    StartRace("map1");
    Console->State = csOpen;
    Press(VK_ESCAPE);
    EXPECT_EQ(Race().State, 1) << "the open console keeps Escape";
    Console->State = csOpening;
    Press(VK_ESCAPE);
    EXPECT_EQ(Race().State, 0) << "an opening console does not";
    Console->State = csClosing;
    Press(VK_ESCAPE);
    EXPECT_EQ(Race().State, 1) << "and neither does a closing one: Escape resumes";
}

TEST_F(UpdateCallback, EscapeDoesNothingOverTheResult) {
    StartRace("map1");
    Race().CarFinished(Race().Cars[0]);
    ASSERT_EQ(Race().State, 2);
    Press(VK_ESCAPE);
    EXPECT_EQ(Race().State, 2);
    EXPECT_EQ(Menu->Page, PAGE_RACE);
}

// The player's car after a race's first 20 updates with these keys held.
TEST_F(UpdateCallback, ArrowKeysDriveLikeWasdInARaceButNotWhileTheConsoleIsOpen) {
    auto Drive = [this](std::initializer_list<int> Keys, bool ConsoleOpen) {
        StartRace("map1");
        if (ConsoleOpen) Console->State = csOpen;
        for (const int Key : Keys)
            E.SetKeyDown(Key, true);
        Ticks(20);
        E.ReleaseAllKeys();
        return Race().Cars[0]->Pos;
    };
    const TVec3 Standing = Drive({}, false);
    const TVec3 ByLetters = Drive({'W', 'A'}, false);
    const TVec3 ByArrows = Drive({VK_UP, VK_LEFT}, false);
    EXPECT_NE(ByLetters.x, Standing.x);
    EXPECT_EQ(ByArrows.x, ByLetters.x);
    EXPECT_EQ(ByArrows.y, ByLetters.y);
    EXPECT_EQ(Drive({VK_DOWN, VK_RIGHT}, false).y, Drive({'S', 'D'}, false).y);
    const TVec3 UnderTheConsole = Drive({VK_UP, VK_LEFT}, true);
    EXPECT_EQ(UnderTheConsole.x, Standing.x) << "the open console keeps the arrows";
    EXPECT_EQ(UnderTheConsole.y, Standing.y);
}

TEST_F(UpdateCallback, F12SavesAScreenshotIntoItsFolderAndSaysWhereInTheConsole) {
    Press(VK_F12);
    ASSERT_EQ(E.SavedFrames.size(), 1u);
    const std::filesystem::path File = E.SavedFrames[0];
    EXPECT_EQ(File.parent_path(), ScreenshotFolder());
    EXPECT_TRUE(std::filesystem::is_directory(ScreenshotFolder())) << "made for it";
    EXPECT_EQ(File.filename().string().size(), ScreenshotName(0).size());
    EXPECT_EQ(Utf8From1251(Console->Lines[0]), "Снимок экрана: " + File.string());
}

TEST(Screenshots, AreNamedByTheLocalTimeToTheSecond) {
    const char* Zone = std::getenv("TZ");
    const std::string Saved = Zone ? Zone : "";
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(ScreenshotName(1700000000), "marvolin-20231114-221320.png");
    setenv("TZ", "EST5", 1);
    tzset();
    EXPECT_EQ(ScreenshotName(1700000000), "marvolin-20231114-171320.png");
    if (Zone)
        setenv("TZ", Saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

// --- The render callback -----------------------------------------------------------------------

using RenderCallback = TGameRig;

// Exact values of (frame - update) / 1000 * 40 in double, rounded to float once.
TEST_F(RenderCallback, FrameAlphaIsTheUnclampedShareOfTheUpdateInterval) {
    StartRace("map1");
    const int Updated = E.Time();
    Frame();
    EXPECT_EQ(FrameAlpha, 0);
    E.SetTime(Updated + 25);
    Frame();
    EXPECT_EQ(FrameAlpha, 1);
    E.SetTime(Updated + 10);
    Frame();
    EXPECT_EQ(FrameAlpha, float(10 / 1000.0 * 40));
    E.SetTime(Updated + 60);
    Frame();
    EXPECT_EQ(FrameAlpha, float(60 / 1000.0 * 40)) << "not clamped";
    EXPECT_GT(FrameAlpha, 2);
}

TEST_F(RenderCallback, FrameAlphaIsFrozenWhileTheMenuIsInFront) {
    StartRace("map1");
    E.SetTime(E.Time() + 15);
    Frame();
    const float Frozen = FrameAlpha;
    ASSERT_GT(Frozen, 0);
    Press(VK_ESCAPE);
    ASSERT_EQ(Race().State, 0);
    for (int Late : {0, 7, 40, 500}) {
        E.SetTime(LastUpdateTime + Late);
        Frame();
        EXPECT_EQ(FrameAlpha, Frozen) << Late;
    }
}

TEST_F(RenderCallback, FrameRateIsDrawnOnlyWhenShowFPSIsExactlyOne) {
    auto FpsTexts = [this]() {
        int N = 0;
        for (const TGLCall& C : Frame())
            N += C.Name == "Render.TextOut" && C.Args[0] == 0 && C.Args[1] == 10 && C.Args[2] == 10;
        return N;
    };
    for (int Value : {0, 2, -1, 100}) {
        ShowFPS = Value;
        EXPECT_EQ(FpsTexts(), 0) << "ShowFPS " << Value;
    }
    ShowFPS = 1;
    EXPECT_EQ(FpsTexts(), 1);
    Console->Execute("ShowFPS 2");
    EXPECT_EQ(FpsTexts(), 0);
}

TEST_F(RenderCallback, FrameSetsTheViewThenTheOverlayInOrder) {
    StartRace("map1");
    Tick();
    const std::vector<TGLCall> Calls = Frame();
    std::vector<std::string> Names;
    for (const TGLCall& C : Calls)
        Names.push_back(C.Name);
    ASSERT_GE(Calls.size(), 6u);
    EXPECT_EQ(Calls[0].Name, "Render.Clear");
    EXPECT_EQ(Calls[0].Args, (std::vector<double>{1, 1, 0}));
    EXPECT_EQ(Calls[1].Name, "Color3f");
    EXPECT_EQ(Calls[1].Args, (std::vector<double>{1, 1, 1}));
    EXPECT_EQ(Calls[2].Name, "Render.Set3D");
    EXPECT_EQ(Calls[2].Args, (std::vector<double>{45, 10, 1000}));
    EXPECT_EQ(Calls[3].Name, "Rotatef");
    EXPECT_EQ(Calls[3].Args, (std::vector<double>{180, 0, 0, 1}));
    EXPECT_EQ(Calls[4].Name, "Rotatef");
    EXPECT_EQ(Calls[4].Args, (std::vector<double>{180, 0, 1, 0}));
    EXPECT_EQ(Calls[5].Name, "Translatef");
    EXPECT_EQ(Calls[5].Args[0], -Camera->Pos.x);

    // The overlay: pixel space with y downward, then the colour reset before the console.
    auto Ortho = std::find_if(Calls.begin(), Calls.end(),
                              [](const TGLCall& C) { return C.Name == "Ortho"; });
    ASSERT_NE(Ortho, Calls.end());
    ASSERT_GE(Ortho - Calls.begin(), 2);
    EXPECT_EQ(Ortho->Args, (std::vector<double>{0, 1024, 768, 0, -1000, 100}));
    EXPECT_EQ((Ortho - 2)->Name, "MatrixMode");
    EXPECT_EQ((Ortho - 2)->Args[0], GL_PROJECTION);
    EXPECT_EQ((Ortho - 1)->Name, "LoadIdentity");
    ASSERT_GE(Calls.end() - Ortho, 5);
    EXPECT_EQ((Ortho + 1)->Name, "MatrixMode");
    EXPECT_EQ((Ortho + 1)->Args[0], GL_MODELVIEW);
    EXPECT_EQ((Ortho + 2)->Name, "LoadIdentity");
    EXPECT_EQ((Ortho + 3)->Name, "Viewport");
    EXPECT_EQ((Ortho + 3)->Args, (std::vector<double>{0, 0, 1024, 768}));
    EXPECT_EQ((Ortho + 4)->Name, "Color3f");
    EXPECT_EQ(CountCalls(Calls, "BlendFunc"), 0) << "the engine's blend function holds";
}

TEST_F(RenderCallback, MenuIsDrawnOnlyWhileNoRaceIsInFront) {
    const int Cursor = Menu->CursorTexture;
    auto CursorDrawn = [&](const std::vector<TGLCall>& Calls) {
        return std::any_of(Calls.begin(), Calls.end(), [&](const TGLCall& C) {
            return C.Name == "Textures.Enable" && C.Args[0] == Cursor;
        });
    };
    EXPECT_TRUE(CursorDrawn(Frame()));
    StartRace("map1");
    EXPECT_FALSE(CursorDrawn(Frame()));
    Race().CarFinished(Race().Cars[0]);
    EXPECT_TRUE(CursorDrawn(Frame())) << "the result page is drawn by the race manager";
}

TEST(FixedGLState, SevenCallsInOrder) {
    THeadlessEngine E;
    GLStartRecording();
    SetFixedGLState();
    GLStopRecording();
    const std::vector<TGLCall>& Calls = GLRecordedCalls();
    const std::vector<std::pair<std::string, double>> Expected = {
        {"Enable", GL_LIGHTING}, {"Enable", GL_LIGHT0},     {"Enable", GL_DEPTH_TEST},
        {"CullFace", GL_BACK},   {"Disable", GL_CULL_FACE}, {"ShadeModel", GL_SMOOTH},
        {"Enable", GL_NORMALIZE}};
    ASSERT_EQ(Calls.size(), Expected.size());
    for (size_t I = 0; I < Expected.size(); ++I) {
        EXPECT_EQ(Calls[I].Name, Expected[I].first) << I;
        EXPECT_EQ(Calls[I].Args, (std::vector<double>{Expected[I].second})) << I;
    }
}

} // namespace
