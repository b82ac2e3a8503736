// Welding a finely tessellated textured grid: 50 000 triangles whose positions are shared by their
// neighbours and whose texture repeats in tiles, so that every tile border is a seam; and welding
// the game's largest model (the generated data/meshes/*.mdl of the working folder with the most
// triangles) as the game loads it.
#include "engine/Files.h"
#include "models/dMeshes.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

constexpr int GRID_COLUMNS = 200;
constexpr int GRID_ROWS = 125;     // 200 x 125 quads, two triangles each
constexpr int TileQuads = 25;      // the texture repeats every 25 quads
constexpr float QuadSizeUnits = 2; // world units

TMesh TiledGrid() {
    TMesh M;
    const int Across = GRID_COLUMNS + 1;
    for (int Y = 0; Y <= GRID_ROWS; ++Y)
        for (int X = 0; X <= GRID_COLUMNS; ++X) {
            M.Vertices.push_back(Vec3(float(X * QuadSizeUnits), float(Y * QuadSizeUnits), 0));
            M.Normals.push_back(Vec3(0, 0, 1));
        }
    // One set of texture coordinates per tile position; a tile's far edge uses 1, the next tile's
    // near edge 0.
    const int TileAcross = TileQuads + 1;
    for (int V = 0; V <= TileQuads; ++V)
        for (int U = 0; U <= TileQuads; ++U)
            M.TexCoords.push_back({float(U) / TileQuads, float(V) / TileQuads});
    for (int Y = 0; Y < GRID_ROWS; ++Y)
        for (int X = 0; X < GRID_COLUMNS; ++X) {
            const int32_t P = Y * Across + X;
            const int32_t T = (Y % TileQuads) * TileAcross + X % TileQuads;
            M.Faces.push_back({{P, P + 1, P + Across + 1}});
            M.FaceTexCoords.push_back({{T, T + 1, T + TileAcross + 1}});
            M.Faces.push_back({{P, P + Across + 1, P + Across}});
            M.FaceTexCoords.push_back({{T, T + TileAcross + 1, T + TileAcross}});
        }
    M.VertexCount = int32_t(M.Vertices.size());
    M.FaceCount = int32_t(M.Faces.size());
    M.TexCoordCount = int32_t(M.TexCoords.size());
    return M;
}

// Welds a fresh copy of Model in every iteration; the counts of triangles and welded vertices go
// with the result.
void TimeWelds(benchmark::State& State, const TMesh& Model) {
    int32_t Welded = 0;
    for (auto _ : State) {
        State.PauseTiming();
        TMesh M = Model;
        State.ResumeTiming();
        M.Weld();
        Welded = M.VertexCount;
        benchmark::DoNotOptimize(M.Faces.data());
    }
    State.counters["triangles"] = double(Model.FaceCount);
    State.counters["vertices"] = double(Welded);
}

void WeldTiledGrid(benchmark::State& State) {
    const TMesh Grid = TiledGrid();
    TimeWelds(State, Grid);
    State.SetItemsProcessed(int64_t(State.iterations()) * 3 * Grid.FaceCount);
}

// The model of data/meshes with the most triangles, read and given its normals as TMesh::Load does
// before it welds.
TMesh LargestModel(std::string& Name) {
    std::error_code Error;
    TMdlData Best;
    for (const auto& Entry : std::filesystem::directory_iterator("data/meshes", Error)) {
        if (Entry.path().extension() != ".mdl") continue;
        const std::string File = Entry.path().string();
        TMdlData Data = ParseMdl(ReadWholeFile(File), File, false);
        if (Data.Faces.size() > Best.Faces.size()) {
            Best = std::move(Data);
            Name = Entry.path().filename().string();
        }
    }
    if (Best.Faces.empty())
        throw std::runtime_error(
            "no data/meshes/*.mdl in the working folder (run in the build folder)");
    TMesh M;
    M.VertexCount = int32_t(Best.Vertices.size());
    M.FaceCount = int32_t(Best.Faces.size());
    M.TexCoordCount = int32_t(Best.TexCoords.size());
    M.Vertices = std::move(Best.Vertices);
    M.Faces = std::move(Best.Faces);
    M.TexCoords = std::move(Best.TexCoords);
    M.FaceTexCoords = std::move(Best.FaceTexCoords);
    M.CalcNormals();
    return M;
}

void WeldLargestModel(benchmark::State& State) {
    std::string Name;
    TimeWelds(State, LargestModel(Name));
    State.SetLabel(Name);
}

} // namespace

BENCHMARK(WeldTiledGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(WeldLargestModel)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
