#pragma once
// The game's objects on a headless engine, in a scratch folder of their own that holds data/maps
// with small test tracks, so that level names resolve the way the game resolves them.

#include "app/Game.h"
#include "app/dGameManager.h"
#include "app/variables.h"
#include "cars/dCars.h"
#include "console/dConsole.h"
#include "engine/EngineHeadless.h"
#include "engine/GL.h"
#include "engine/Text1251.h"
#include "frontend/dMenu.h"
#include "world/dCamera.h"
#include "world/dMap.h"

#include "RecordedCalls.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace rig {

// A rectangular loop, driven anticlockwise in the XY plane: along +x on y = 200 first. Points are
// 100 apart; the start point lies on the first straight at (500, 200), where the side vector is
// exactly (0, 1, 0). The half width keeps the six grid spots more than two car radii apart and
// every car clear of the edges.
constexpr float TRACK_HALF_WIDTH = 99.9; // where the roundings of the grid's chain show
constexpr int32_t TRACK_START_POINT = 3;

inline TMapData RectangleTrack(int32_t LapCount, float HalfWidth = TRACK_HALF_WIDTH) {
    TMapData Data;
    Data.StartPoint = TRACK_START_POINT;
    Data.LapCount = LapCount;
    auto Add = [&](float X, float Y) {
        TRoadPoint P;
        P.Pos = Vec3(X, Y, 0);
        P.HalfWidth = HalfWidth;
        Data.Points.push_back(P);
    };
    for (int X = 200; X < 1400; X += 100)
        Add(float(X), 200);
    for (int Y = 200; Y < 800; Y += 100)
        Add(1400, float(Y));
    for (int X = 1400; X > 200; X -= 100)
        Add(float(X), 800);
    for (int Y = 800; Y > 200; Y -= 100)
        Add(200, float(Y));
    TDeskObject Stapler;
    Stapler.Pos = Vec3(800, 500, 0);
    Stapler.Kind = 4;
    Data.Objects.push_back(Stapler);
    return Data;
}

inline void WriteBytes(const std::filesystem::path& File, const std::vector<uint8_t>& Bytes) {
    std::filesystem::create_directories(File.parent_path());
    std::ofstream Out(File, std::ios::binary);
    Out.write(reinterpret_cast<const char*>(Bytes.data()), std::streamsize(Bytes.size()));
}

// The game in a scratch folder with data/maps/map1.map ... map3.map (laps 1, 2, 3) and a broken
// data/maps/map9.map.
class TGameRig : public ::testing::Test {
protected:
    static constexpr int LEVELS_PRESENT = 3;
    static constexpr int BROKEN_LEVEL = 9;

    void SetUp() override {
        for (int L = 1; L <= LEVELS_PRESENT; ++L)
            WriteBytes(Dir / "data" / "maps" / ("map" + std::to_string(L) + ".map"),
                       SerializeMap(RectangleTrack(L)));
        WriteBytes(Dir / "data" / "maps" / ("map" + std::to_string(BROKEN_LEVEL) + ".map"),
                   {1, 2, 3, 4, 5});

        ShowFPS = 0;
        FrameAlpha = 0;
        LastUpdateTime = 0;
        FrameTime = 0;
        UseEngine(&E);
        E.SetCallback(CALLBACK_UPDATE, UpdateProc);
        E.SetCallback(CALLBACK_RENDER, RenderProc);
        CreateGameObjects();
        Camera->NextPos.z = TCamera::START_HEIGHT;
        CountdownFont = Fonts->Create("Arial", 20, 0, 512); // as the asset loading makes it
    }

    void TearDown() override {
        GLStopRecording();
        DestroyObjects();
        CountdownFont = 0;
        UseEngine(nullptr);
    }

    TGameManager& Race() { return static_cast<TGameManager&>(*GameManager); }

    // One update of the game, 25 ms after the previous one.
    void Tick() {
        E.AdvanceTime(MS_PER_UPDATE);
        E.StepUpdate();
    }
    void Ticks(int Count) {
        for (int I = 0; I < Count; ++I)
            Tick();
    }
    void Press(int Key) {
        E.QueuePress(Key);
        Tick();
    }
    void Click(int X, int Y) {
        E.SetCursor(X, Y);
        Press(VK_MOUSE_LEFT);
    }
    // The calls one frame makes.
    std::vector<TGLCall> Frame() {
        GLStartRecording();
        E.StepFrame();
        GLStopRecording();
        return GLRecordedCalls();
    }

    // Loads a level and runs the countdown out, one update every 25 ms.
    void StartRace(const std::string& Name) {
        ASSERT_TRUE(Race().LoadLevel(Name));
        for (int I = 0; I < 200 && !Race().Started; ++I)
            Tick();
        ASSERT_TRUE(Race().Started);
    }

    THeadlessEngine E;
    const TScratchWorkingDirectory Scratch{"marvolin-app"};
    const std::filesystem::path Dir = Scratch.Folder.Path;
};

// The texture handle the headless engine gave the file, 0 if none.
inline int TextureOf(const THeadlessEngine& E, const std::string& File) {
    for (size_t I = 0; I < E.TextureLog.size(); ++I)
        if (E.TextureLog[I].Name == File) return int(I) + 1;
    return 0;
}

} // namespace rig
