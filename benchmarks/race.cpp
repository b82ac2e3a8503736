// A race of six cars (the player's car idle, five computer cars) on the largest track: updates per
// second, with the map's edge index and with every edge tested. The tracks are the generated
// data/maps/*.map of the working directory or of the program's folder; without them a large
// generated loop stands in.
#include "app/variables.h"
#include "cars/dCars.h"
#include "cars/dRace.h"
#include "engine/EngineHeadless.h"
#include "engine/Files.h"
#include "world/dMap.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int CAR_COUNT = 6;
constexpr int UPDATE_MS = 25;
constexpr int WARM_UP_UPDATES = 200; // past the start, where the cars are bunched on the grid

class TBenchRace final : public TRace {
public:
    bool LoadLevel(const std::string&) override { return false; }
    void CarFinished(TBasicCar*) override {}
    void Update() override {
        for (TBasicCar* Car : Cars) Car->Update();
    }
    void Draw() override {}
};

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

// A winding loop of 400 points, about 14 000 units round.
void GeneratedTrack(TMap& M) {
    constexpr int Points = 400;
    M.Points.clear();
    for (int I = 0; I < Points; ++I) {
        const double T = 2 * std::numbers::pi * I / Points;
        const double R = 2200 + 500 * std::sin(5 * T);
        M.Points.push_back(TRoadPoint{Vec3(float(R * std::cos(T)), float(0.7 * R * std::sin(T)), 0),
                                      {}, float(60 + 15 * std::cos(3 * T))});
    }
    M.Points.push_back(M.Points[0]);
    M.PointCount = int32_t(M.Points.size());
    M.StartPoint = 0;
    M.LapCount = 3;
    M.BuildEdges();
}

struct TRaceSetup {
    THeadlessEngine Engine;
    bool EngineInUse = (UseEngine(&Engine), true); // the map's textures come from the engine
    TMap Track;
    TBenchRace Race;
    std::vector<std::unique_ptr<TBasicCar>> Cars;
    std::string TrackName = "generated loop";

    void Start(bool UseEdgeIndex) {
        Map = &Track;
        GameManager = &Race;
        std::string Name;
        if (const std::string File = LargestTrack(Name); !File.empty()) {
            Track.LoadFromFile(File);
            TrackName = Name;
        } else {
            GeneratedTrack(Track);
        }
        Track.UseEdgeIndex = UseEdgeIndex;
        Race.LapCount = Track.LapCount;
        Cars.push_back(std::make_unique<TPlayerCar>());
        for (int I = 1; I < CAR_COUNT; ++I) Cars.push_back(std::make_unique<TAICar>());
        CarList.clear();
        for (auto& Car : Cars) {
            Race.Cars.push_back(Car.get());
            Race.Order.push_back(Car.get());
            CarList.push_back(Car.get());
        }
        Race.CarCount = CAR_COUNT;
        // The race manager's starting grid.
        const TRoadPoint& P = Track.Points[size_t(Track.StartPoint)];
        const TVec3 S = VecNormalize(P.Side);
        const float W = P.HalfWidth;
        const TVec3 Base = VecSub(P.Pos, VecScale(S, float(double(W) * 0.8)));
        const TVec3 Back = VecNormalize(Perp2D(Vec3(0, 0, 0), P.Side));
        for (int I = 0; I < CAR_COUNT; ++I) {
            const TVec3 D =
                VecScale(VecDiv(VecScale(VecScale(VecScale(S, W), float(I)), 2), CAR_COUNT), 0.8);
            const TVec3 Spot = VecAdd(Base, D);
            Cars[size_t(I)]->PlaceAt(Back, Spot.x, Spot.y);
            if (I > 0) Cars[size_t(I)]->SetPersonality(I - 1);
            Cars[size_t(I)]->ApplyModelPreset(I);
        }
    }

    void Step() {
        Engine.AdvanceTime(UPDATE_MS);
        Race.Update();
    }

    ~TRaceSetup() {
        CarList.clear();
        GameManager = nullptr;
        Map = nullptr;
        UseEngine(nullptr);
    }
};

void RaceUpdates(benchmark::State& State) {
    const bool UseEdgeIndex = State.range(0) != 0;
    TRaceSetup Setup;
    Setup.Start(UseEdgeIndex);
    for (int I = 0; I < WARM_UP_UPDATES; ++I) Setup.Step();
    for (auto _ : State) {
        Setup.Step();
        benchmark::DoNotOptimize(Setup.Cars[1]->Pos);
    }
    State.SetItemsProcessed(State.iterations()); // race updates, six cars each
    State.SetLabel(Setup.TrackName + ", " + std::to_string(Setup.Track.PointCount) + " points, " +
                   std::to_string(Setup.Track.Edges.size()) + " edges" +
                   (UseEdgeIndex ? ", edge index" : ", every edge"));
}

} // namespace

BENCHMARK(RaceUpdates)->ArgName("edge_index")->Arg(1)->Arg(0);

BENCHMARK_MAIN();
