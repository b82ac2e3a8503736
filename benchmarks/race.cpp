// A race of six cars (the player's car idle, five computer cars) on the largest track: updates per
// second, with the map's edge index and with every edge tested. The tracks are the generated
// data/maps/*.map of the working directory or of the program's folder; without them a large
// generated loop stands in.
#include "app/Game.h"
#include "app/dGameManager.h"
#include "app/variables.h"
#include "cars/dCars.h"
#include "engine/EngineHeadless.h"
#include "engine/Files.h"
#include "world/dMap.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int WARM_UP_UPDATES = 320; // the countdown, and past the start, where the cars bunch

// The .map with the most road points, or "" when there is none.
std::string LargestTrack(std::string& Name) {
    std::vector<std::filesystem::path> Folders = {"data/maps"};
    std::error_code Error;
    const auto Exe = std::filesystem::read_symlink("/proc/self/exe", Error);
    if (!Error) Folders.push_back(Exe.parent_path() / "data" / "maps");
    std::string Best;
    size_t BestPoints = 0;
    for (const auto& Folder : Folders) {
        if (!std::filesystem::is_directory(Folder, Error)) continue;
        for (const auto& Entry : std::filesystem::directory_iterator(Folder, Error)) {
            if (Entry.path().extension() != ".map") continue;
            try {
                const std::string File = Entry.path().string();
                const size_t Points = ParseMap(ReadWholeFile(File), File).Points.size();
                if (Points > BestPoints) {
                    BestPoints = Points;
                    Best = File;
                    Name = Entry.path().filename().string();
                }
            } catch (const TFileError&) {
            }
        }
        if (!Best.empty()) break;
    }
    return Best;
}

// A winding loop of 400 points, about 14 000 units round, written as a .map file.
std::string GeneratedTrack() {
    constexpr int Points = 400;
    TMapData Data;
    for (int I = 0; I < Points; ++I) {
        const double T = 2 * std::numbers::pi * I / Points;
        const double R = 2200 + 500 * std::sin(5 * T);
        TRoadPoint P;
        P.Pos = Vec3(float(R * std::cos(T)), float(0.7 * R * std::sin(T)), 0);
        P.HalfWidth = float(60 + 15 * std::cos(3 * T));
        Data.Points.push_back(P);
    }
    Data.LapCount = 3;
    const std::string File = (std::filesystem::temp_directory_path() / "bench_race.map").string();
    const std::vector<uint8_t> Bytes = SerializeMap(Data);
    std::ofstream(File, std::ios::binary)
        .write(reinterpret_cast<const char*>(Bytes.data()), std::streamsize(Bytes.size()));
    return File;
}

// The game's objects on the headless engine, a level loaded by the race manager.
struct TRaceSetup {
    THeadlessEngine Engine;
    std::string TrackName = "generated loop";

    explicit TRaceSetup(bool UseEdgeIndex) {
        UseEngine(&Engine);
        CreateGameObjects();
        std::string Name;
        std::string File = LargestTrack(Name);
        if (File.empty())
            File = GeneratedTrack();
        else
            TrackName = Name;
        if (!static_cast<TGameManager&>(*GameManager).LoadLevelFile(File, TrackName))
            throw std::runtime_error(File + ": the race manager refuses it");
        Map->UseEdgeIndex = UseEdgeIndex;
    }

    void Step() {
        Engine.AdvanceTime(MS_PER_UPDATE);
        UpdateRace();
    }

    ~TRaceSetup() {
        DestroyObjects();
        UseEngine(nullptr);
    }
};

void RaceUpdates(benchmark::State& State) {
    const bool UseEdgeIndex = State.range(0) != 0;
    TRaceSetup Setup(UseEdgeIndex);
    for (int I = 0; I < WARM_UP_UPDATES; ++I)
        Setup.Step();
    for (auto _ : State) {
        Setup.Step();
        benchmark::DoNotOptimize(GameManager->Cars[1]->Pos);
    }
    State.SetItemsProcessed(State.iterations()); // race updates, six cars each
    State.SetLabel(Setup.TrackName + ", " + std::to_string(Map->PointCount) + " points, " +
                   std::to_string(Map->Edges.size()) + " edges" +
                   (UseEdgeIndex ? ", edge index" : ", every edge"));
}

} // namespace

BENCHMARK(RaceUpdates)->ArgName("edge_index")->Arg(1)->Arg(0);

BENCHMARK_MAIN();
