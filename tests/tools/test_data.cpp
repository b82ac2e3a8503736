// The content generator, marvolin-data, run as a program, and the data/ tree it wrote into the
// build folder, read back with the game's own loaders.
#include "app/variables.h"
#include "engine/EngineHeadless.h"
#include "engine/Files.h"
#include "models/Assets.h"
#include "models/dMeshes.h"
#include "world/dMap.h"

#include "ToolRun.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#if __has_include(<stb/stb_image.h>)
#include <stb/stb_image.h>
#else
#include <stb_image.h>
#endif

namespace fs = std::filesystem;

namespace {

// ---- what the game names ----------------------------------------------------------------------

// The files the game's asset tables name, each once (letter case and separators as written there).
std::vector<std::string> Unique(std::vector<std::string> Files) {
    std::vector<std::string> Once;
    for (std::string& F : Files)
        if (std::find(Once.begin(), Once.end(), F) == Once.end()) Once.push_back(std::move(F));
    return Once;
}
std::vector<std::string> CarModelFiles() {
    std::vector<std::string> Files;
    for (const TCarAsset& C : CAR_ASSETS)
        Files.push_back(C.Model);
    return Unique(Files);
}
std::vector<std::string> ModelFiles() {
    std::vector<std::string> Files = CarModelFiles();
    for (const TDeskObjectAsset& O : OBJECT_ASSETS)
        if (O.Model) Files.push_back(O.Model);
    return Unique(Files);
}
std::vector<std::string> TextureFiles() {
    std::vector<std::string> Files;
    for (const TCarAsset& C : CAR_ASSETS)
        Files.push_back(C.Texture);
    for (const TDeskObjectAsset& O : OBJECT_ASSETS)
        if (O.Texture) Files.push_back(O.Texture);
    return Unique(Files);
}
const char* const MENU_PICTURES[] = {"newgame", "newgameover", "continue", "continueover",
                                     "about",   "aboutover",   "quit",     "quitover",
                                     "next",    "nextover",    "arr1",     "arr2"};
constexpr int MAP_COUNT = 11;

// ---- how the shipped content must be -----------------------------------------------------------

constexpr double CAR_LENGTH_MIN = 46, CAR_LENGTH_MAX = 56; // along y, world units
constexpr double CAR_WIDTH_MIN = 23, CAR_WIDTH_MAX = 28;   // along x
constexpr double CAR_HEIGHT_MAX = 30;
constexpr int MAX_MODEL_TRIANGLES = 3000;
// A welded vertex normal may lean this far from a triangle using it; more means the loader merged
// a corner of a hard edge into the face beside it.
constexpr double MAX_NORMAL_LEAN_DEG = 75;
constexpr double DESK_TOLERANCE = 1e-4; // how far below z = 0 a model may reach (rounding)
constexpr double STANDS_ON_DESK = 1.0;  // the lowest point of every model is at most this high
constexpr int MIN_LAPS = 2, MAX_LAPS = 4;
constexpr double MIN_HALF_WIDTH = 95, MAX_HALF_WIDTH = 140, MIN_START_HALF_WIDTH = 100;
constexpr double MIN_SPACING = 40, MAX_SPACING = 80;
constexpr double MIN_LAP = 6000, MAX_LAP = 16000;
constexpr double STRAIGHT_BEHIND = 120, STRAIGHT_AHEAD = 300, STRAIGHT_TOLERANCE_DEG = 3;
// The cursor's tip: the pixel the menu puts on the mouse position.
constexpr int CURSOR_TIP_X = 8, CURSOR_TIP_Y = 0;

bool HasData() {
    return FileExists("data/meshes/player.mdl");
}

#define REQUIRE_DATA()                                                                             \
    if (!HasData())                                                                                \
    GTEST_SKIP() << "no data/ in the working folder (the content generator did not run)"

struct TPicture {
    int Width = 0, Height = 0, Channels = 0;
    std::vector<uint8_t> Pixels; // RGBA
    uint8_t At(int X, int Y, int C) const {
        return Pixels[(size_t(Y) * size_t(Width) + size_t(X)) * 4 + size_t(C)];
    }
};

TPicture LoadPicture(const std::string& GameName) {
    const std::vector<uint8_t> Bytes = ReadWholeFile(GameName);
    TPicture P;
    uint8_t* Data =
        stbi_load_from_memory(Bytes.data(), int(Bytes.size()), &P.Width, &P.Height, &P.Channels, 4);
    if (Data) {
        P.Pixels.assign(Data, Data + size_t(P.Width) * size_t(P.Height) * 4);
        stbi_image_free(Data);
    }
    return P;
}

bool PowerOfTwo(int N) {
    return N > 0 && (N & (N - 1)) == 0;
}

TVec3 Sub(const TVec3& A, const TVec3& B) {
    return {A.x - B.x, A.y - B.y, A.z - B.z};
}
double Len(const TVec3& V) {
    return std::sqrt(double(V.x) * V.x + double(V.y) * V.y + double(V.z) * V.z);
}

struct TBox {
    double X0 = 1e30, Y0 = 1e30, Z0 = 1e30, X1 = -1e30, Y1 = -1e30, Z1 = -1e30;
};
TBox BoundsOf(const TMesh& M) {
    TBox B;
    for (const TVec3& V : M.Vertices) {
        B.X0 = std::min(B.X0, double(V.x));
        B.Y0 = std::min(B.Y0, double(V.y));
        B.Z0 = std::min(B.Z0, double(V.z));
        B.X1 = std::max(B.X1, double(V.x));
        B.Y1 = std::max(B.Y1, double(V.y));
        B.Z1 = std::max(B.Z1, double(V.z));
    }
    return B;
}

// ---- running the generator
// ------------------------------------------------------------------------

class DataTool : public TToolTest {
protected:
    DataTool() : TToolTest("marvolin-data") {}
    void SetUp() override {
#ifndef MARVOLIN_DATA_TOOL
        GTEST_SKIP() << "built without the content generator";
#endif
    }

    // Runs the generator with the words; returns its exit status, its output in Out and Err.
    int Run(const std::vector<std::string>& Words) {
#ifdef MARVOLIN_DATA_TOOL
        return RunProgram(MARVOLIN_DATA_TOOL, Words);
#else
        (void)Words;
        return -1;
#endif
    }

    std::string WriteTrack(const std::string& Name, const std::string& Text) const {
        return Write(Name + ".track", Text);
    }

    // Compiles one track source into Folder/out-data; the exit status.
    int CompileTrack(const std::string& Name, const std::string& Text) {
        return Run({"--track", WriteTrack(Name, Text), "--out", (Folder / "out-data").string()});
    }
    fs::path MapOf(const std::string& Name) const {
        return Folder / "out-data" / "maps" / (Name + ".map");
    }
};

// A sound little track: a rounded loop with the start on its straight top side.
const std::string LOOP_POINTS = R"(point  -900 -500 120
point  -300 -500 120 start
point   300 -500 120
point   900 -500 120
point  1300 -300 120
point  1400  100 120
point  1200  450 120
point   700  600 120
point     0  600 120
point  -700  600 120
point -1200  450 120
point -1400  100 120
point -1300 -300 120
)";
const std::string LOOP = "# a test loop\nlaps 2\n" + LOOP_POINTS;
constexpr int LOOP_FIRST_FREE_LINE = 16; // the line after the loop's last point

std::map<std::string, std::string> FilesUnder(const fs::path& Root) {
    std::map<std::string, std::string> Files;
    for (const auto& E : fs::recursive_directory_iterator(Root))
        if (E.is_regular_file()) Files[fs::relative(E.path(), Root).string()] = Slurp(E.path());
    return Files;
}

// ================================================================================================

TEST_F(DataTool, TwoRunsWriteTheSameFilesByteForByte) {
    ASSERT_EQ(Run({"--out", (Folder / "a").string()}), 0) << Err;
    ASSERT_EQ(Run({"--out", (Folder / "b").string()}), 0) << Err;
    const auto A = FilesUnder(Folder / "a"), B = FilesUnder(Folder / "b");
    ASSERT_FALSE(A.empty());
    ASSERT_EQ(A.size(), B.size());
    for (const auto& [Name, Bytes] : A) {
        ASSERT_TRUE(B.count(Name)) << Name << " written only once";
        EXPECT_TRUE(B.at(Name) == Bytes) << Name << " differs between two runs";
    }
}

TEST_F(DataTool, SoundTrackCompilesAndObjectKindsGoByNumberOrName) {
    ASSERT_EQ(
        CompileTrack("good",
                     LOOP + "object 4 0 50 0\nobject stapler 0 150 0\nobject STEPLER 0 -150 90\n"),
        0)
        << Err;
    EXPECT_TRUE(Err.empty()) << Err;
    const TMapData Map = ParseMap(ReadWholeFile(MapOf("good").string()), "good.map");
    EXPECT_EQ(Map.LapCount, 2);
    ASSERT_EQ(Map.Objects.size(), 3u);
    for (const TDeskObject& O : Map.Objects)
        EXPECT_EQ(O.Kind, 4);
    // Every control point is a road point; the start is the marked one.
    EXPECT_FLOAT_EQ(Map.Points[size_t(Map.StartPoint)].Pos.x, -300);
    EXPECT_FLOAT_EQ(Map.Points[size_t(Map.StartPoint)].Pos.y, -500);
}

std::string Replace(std::string S, const std::string& From, const std::string& To) {
    S.replace(S.find(From), From.size(), To);
    return S;
}

// Crowded control points and overlapping objects make a track look wrong, not unsound: it is
// compiled, and the lines to look at are named.
TEST_F(DataTool, CrowdedPointsAndOverlappingObjectsAreWarnedOfNotRefused) {
    const std::string Crowded =
        Replace(LOOP, "1400  100 120\n", "1400  100 120\npoint  1395  130 110\n");
    ASSERT_EQ(CompileTrack("warned", Crowded + "object book 0 100 0\nobject stapler 20 110 30\n"),
              0)
        << Err;
    EXPECT_NE(Err.find("warned.track:8: warning: the road to the next point is only"),
              std::string::npos)
        << Err;
    EXPECT_NE(Err.find("warned.track:17: warning: the book overlaps the stapler of line 18"),
              std::string::npos)
        << Err;
    EXPECT_TRUE(fs::exists(MapOf("warned")));
}

// Each refusal names the file and the line at fault, exits with status 1 and writes no map.
struct TBadTrack {
    const char* Name;
    std::string Text;
    int Line;
    const char* Fault;
};

class RefusedTrack : public DataTool, public ::testing::WithParamInterface<TBadTrack> {};

TEST_P(RefusedTrack, IsRefusedWithFileLineAndFault) {
    const TBadTrack& T = GetParam();
    EXPECT_EQ(CompileTrack(T.Name, T.Text), 1) << Err;
    const std::string Where =
        (Folder / (std::string(T.Name) + ".track")).string() + ":" + std::to_string(T.Line) + ":";
    EXPECT_NE(Err.find(Where), std::string::npos) << "expected \"" << Where << "\" in: " << Err;
    EXPECT_NE(Err.find(T.Fault), std::string::npos) << "expected \"" << T.Fault << "\" in: " << Err;
    EXPECT_FALSE(fs::exists(MapOf(T.Name))) << "a refused track left its map behind";
}

// A figure of eight: its two lobes are gentle, but the road crosses itself in the middle.
std::string FigureEight() {
    std::string S = "laps 2\n";
    for (int I = 0; I < 24; ++I) {
        const double T = 2 * 3.14159265358979 * I / 24 + 0.3;
        S += "point " + std::to_string(int(1600 * std::cos(T))) + " " +
             std::to_string(int(900 * std::sin(T) * std::cos(T))) + " 100" +
             (I == 0 ? " start" : "") + "\n";
    }
    return S;
}

// The test loop moved so that its start point lies on the desk's origin.
const std::string START_AT_ORIGIN = R"(laps 2
point  -600    0 120
point     0    0 120 start
point   600    0 120
point  1200    0 120
point  1600  200 120
point  1700  600 120
point  1500  950 120
point  1000 1100 120
point   300 1100 120
point  -400 1100 120
point  -900  950 120
point -1100  600 120
point -1000  200 120
)";

// Two long legs joined by turns far too tight for the road's width.
const std::string HAIRPIN_TOO_TIGHT = R"(laps 2
point    0 -70 120 start
point  600 -70 120
point 1200 -70 120
point 1800 -70 120
point 1850   0 120
point 1800  70 120
point 1200  70 120
point  600  70 120
point    0  70 120
point  -50   0 120
)";

// A loop whose far side bends back to pass close beside its near side.
const std::string NEAR_MISS = R"(laps 2
point     0     0 100 start
point   400     0 100
point   800     0 100
point  1200     0 100
point  1600     0 100
point  2200   300 100
point  2300   900 100
point  1800  1400 100
point  1200  1300 100
point   900   500 100
point   600   240 100
point   200   240 100
point  -400   600 100
point  -900   300 100
point  -600     0 100
)";

// Count points of a zigzag across the whole desk: each leg is about 640 road points long.
std::string DeskZigzag(int Count) {
    std::string S = "laps 2\n";
    for (int I = 0; I < Count; ++I)
        S += "point " + std::to_string(I % 2 ? 19000 : -19000) + " " + std::to_string(I * 300) +
             " 120" + (I == 0 ? " start" : "") + "\n";
    return S;
}

// The loop followed by Count more lines made by Line(I).
std::string LoopWith(int Count, std::string (*Line)(int)) {
    std::string S = LOOP;
    for (int I = 0; I < Count; ++I)
        S += Line(I);
    return S;
}

INSTANTIATE_TEST_SUITE_P(
    EveryFault, RefusedTrack,
    ::testing::Values(
        TBadTrack{"one_point", "laps 2\npoint 0 0 120 start\n", 2, "at least two points"},
        TBadTrack{"no_points", "# nothing but a comment\nlaps 2\n", 2, "at least two points"},
        TBadTrack{"repeated_point", "laps 2\npoint 0 0 120 start\npoint 0 0 120\npoint 500 0 120\n",
                  3, "repeats the previous point"},
        TBadTrack{"closing_repeat", LOOP + "point -900 -500 120\n", LOOP_FIRST_FREE_LINE,
                  "repeats the first"},
        // Geometry faults name the stretch of road where the check first meets them.
        TBadTrack{"figure_eight", FigureEight(), 6, "crosses itself"},
        TBadTrack{"hairpin_too_tight", HAIRPIN_TOO_TIGHT, 5, "folds over"},
        TBadTrack{"near_miss", NEAR_MISS, 12, "comes within"},
        TBadTrack{"book_on_road", LOOP + "object book 0 600 0\n", LOOP_FIRST_FREE_LINE,
                  "stands on the road"},
        TBadTrack{"clip_at_edge", LOOP + "\nobject paper_clip 0 -366 0\n", LOOP_FIRST_FREE_LINE + 1,
                  "stands on the road"},
        TBadTrack{"start_at_origin", START_AT_ORIGIN, 3, "units of the desk's origin"},
        TBadTrack{"narrow_start", Replace(LOOP, "-300 -500 120 start", "-300 -500 90 start"), 4,
                  "half-width of at least 100"},
        TBadTrack{"start_on_bend",
                  Replace(Replace(LOOP, "-300 -500 120 start", "-300 -500 120"), "1400  100 120",
                          "1400  100 120 start"),
                  8, "not on a straight"},
        TBadTrack{"unknown_kind_name", LOOP + "object banana 0 50 0\n", LOOP_FIRST_FREE_LINE,
                  "unknown object kind \"banana\""},
        TBadTrack{"kind_out_of_range", LOOP + "object 23 0 50 0\n", LOOP_FIRST_FREE_LINE,
                  "unknown object kind \"23\""},
        TBadTrack{"negative_kind", LOOP + "object -1 0 50 0\n", LOOP_FIRST_FREE_LINE,
                  "unknown object kind"},
        TBadTrack{"no_start", Replace(LOOP, " start", ""), 15, "no start point"},
        TBadTrack{"no_laps", Replace(LOOP, "laps 2\n", "\n"), 15, "no lap count"},
        TBadTrack{"bad_number", Replace(LOOP, "1300 -300 120", "1300 -3OO 120"), 7,
                  "is not a number"},
        TBadTrack{"unknown_keyword", LOOP + "pointt 0 0 100\n", LOOP_FIRST_FREE_LINE,
                  "unknown keyword"},
        // Every number has a range, refused at once: a point far off the desk would otherwise
        // be laid out into billions of road points.
        TBadTrack{"point_off_the_desk", Replace(LOOP, "1300 -300 120", "99999999999 -300 120"), 7,
                  "x 99999999999 is out of range (the desk: -20000 to 20000)"},
        TBadTrack{"object_off_the_desk", LOOP + "object book 0 -20001 0\n", LOOP_FIRST_FREE_LINE,
                  "y -20001 is out of range (the desk: -20000 to 20000)"},
        TBadTrack{"zero_half_width", Replace(LOOP, "1300 -300 120", "1300 -300 0"), 7,
                  "half-width 0 is out of range (1 to 1000)"},
        TBadTrack{"huge_half_width", Replace(LOOP, "1300 -300 120", "1300 -300 1e9"), 7,
                  "half-width 1e9 is out of range (1 to 1000)"},
        TBadTrack{"huge_lap_count", Replace(LOOP, "laps 2", "laps 99999999999"), 2,
                  "lap count 99999999999 is out of range (a whole number from 1 to 1000)"},
        TBadTrack{"fractional_lap_count", Replace(LOOP, "laps 2", "laps 2.5"), 2,
                  "lap count 2.5 is not a whole number from 1 to 1000"},
        TBadTrack{"wild_angle", LOOP + "object book 0 50 361\n", LOOP_FIRST_FREE_LINE,
                  "angle 361 is out of range (-360 to 360 degrees)"},
        TBadTrack{"too_many_points",
                  LoopWith(1001 - 13, // the loop has 13
                           [](int I) { return "point " + std::to_string(I) + " 9000 120\n"; }),
                  LOOP_FIRST_FREE_LINE + 1000 - 13, "too many points (a track has at most 1000)"},
        TBadTrack{"too_many_objects",
                  LoopWith(501, [](int) { return std::string("object book 0 50 0\n"); }),
                  LOOP_FIRST_FREE_LINE + 500, "too many objects (a track has at most 500)"},
        TBadTrack{"road_too_long", DeskZigzag(12), 8,
                  "the road is too long: it needs more than 4000 road points"}),
    [](const ::testing::TestParamInfo<TBadTrack>& I) { return std::string(I.param.Name); });

// ================================================================================================
// The data/ tree the build wrote, read with the game's own loaders.

class GameData : public ::testing::Test {
protected:
    void SetUp() override { UseEngine(&Headless); }
    void TearDown() override { UseEngine(nullptr); }
    THeadlessEngine Headless;
};

TEST_F(GameData, EveryModelTheGameNamesLoadsSoundly) {
    REQUIRE_DATA();
    for (const std::string& F : ModelFiles()) {
        SCOPED_TRACE(F);
        ASSERT_TRUE(FileExists(F));
        TMesh M;
        ASSERT_NO_THROW(M.Load(F, true));
        ASSERT_GT(M.FaceCount, 0);
        EXPECT_LE(M.FaceCount, MAX_MODEL_TRIANGLES);
        EXPECT_GT(M.TexCoordCount, 0);
        const TBox B = BoundsOf(M);
        EXPECT_GE(B.Z0, -DESK_TOLERANCE) << "reaches below the desk";
        EXPECT_LE(B.Z0, STANDS_ON_DESK) << "floats above the desk";
        int Leaning = 0;
        for (const TFace& Face : M.Faces) {
            const TVec3 &A = M.Vertices[size_t(Face.V[0])], &B2 = M.Vertices[size_t(Face.V[1])],
                        &C = M.Vertices[size_t(Face.V[2])];
            const TVec3 N = VecCross(Sub(B2, A), Sub(C, A));
            const double NL = Len(N);
            if (NL < 1e-9) continue;
            for (int32_t V : Face.V) {
                const TVec3& VN = M.Normals[size_t(V)];
                const double L = Len(VN);
                ASSERT_TRUE(std::isfinite(L) && L > 0) << "a vertex without a normal";
                const double Cos =
                    (double(VN.x) * N.x + double(VN.y) * N.y + double(VN.z) * N.z) / (L * NL);
                if (Cos < std::cos(MAX_NORMAL_LEAN_DEG * 3.14159265358979 / 180)) ++Leaning;
            }
        }
        EXPECT_EQ(Leaning, 0)
            << "corners whose normal leans off their triangle (a hard edge welded smooth)";
        for (const TTexCoord& T : M.TexCoords) {
            EXPECT_TRUE(T.u >= -0.001 && T.u <= 1.001 && T.v >= -0.001 && T.v <= 1.001)
                << T.u << ", " << T.v;
        }
    }
}

TEST_F(GameData, CarsAreAboutFiftyLongAlongYAndTwentySixWideAlongX) {
    REQUIRE_DATA();
    for (const std::string& F : CarModelFiles()) {
        SCOPED_TRACE(F);
        TMesh M;
        M.Load(F, true);
        const TBox B = BoundsOf(M);
        EXPECT_GE(B.Y1 - B.Y0, CAR_LENGTH_MIN);
        EXPECT_LE(B.Y1 - B.Y0, CAR_LENGTH_MAX);
        EXPECT_GE(B.X1 - B.X0, CAR_WIDTH_MIN);
        EXPECT_LE(B.X1 - B.X0, CAR_WIDTH_MAX);
        EXPECT_LE(B.Z1, CAR_HEIGHT_MAX);
        // Centred on the car's middle on the desk plane.
        EXPECT_NEAR((B.X0 + B.X1) / 2, 0, 0.5);
        EXPECT_NEAR((B.Y0 + B.Y1) / 2, 0, 3);
        EXPECT_NEAR(B.Z0, 0, 0.05) << "the wheels stand on the desk";
    }
}

// The height of a car's last fifth (its tail) against its whole height.
double TailHeightShare(const char* File) {
    TMesh M;
    M.Load(File, true);
    const TBox B = BoundsOf(M);
    double Tail = 0;
    for (const TVec3& V : M.Vertices)
        if (V.y < B.Y0 + (B.Y1 - B.Y0) * 0.2) Tail = std::max(Tail, double(V.z));
    return Tail / B.Z1;
}
constexpr double SPOILER_TAIL_SHARE = 0.95; // the wing stands about as high as the roof
constexpr double PLAIN_TAIL_SHARE = 0.8;    // a boot lid well below it

TEST_F(GameData, SupraCarriesItsSpoilerAtTheRearWhereThePlayersCarHasABoot) {
    REQUIRE_DATA();
    EXPECT_GE(TailHeightShare("data\\meshes\\supra.mdl"), SPOILER_TAIL_SHARE);
    EXPECT_LT(TailHeightShare("data\\meshes\\player.mdl"), PLAIN_TAIL_SHARE);
    // Its nose is lower than its tail: the front is +y.
    TMesh M;
    M.Load("data\\meshes\\supra.mdl", true);
    const TBox B = BoundsOf(M);
    double Nose = 0;
    for (const TVec3& V : M.Vertices)
        if (V.y > B.Y1 - (B.Y1 - B.Y0) * 0.2) Nose = std::max(Nose, double(V.z));
    EXPECT_LT(Nose / B.Z1, PLAIN_TAIL_SHARE);
}

TEST_F(GameData, EveryTextureTheGameNamesIsAPowerOfTwoPicture) {
    REQUIRE_DATA();
    std::vector<std::string> Files = TextureFiles();
    Files.push_back("data\\textures\\road.jpg");
    Files.push_back("data\\textures\\table.jpg");
    Files.push_back("DATA\\Textures\\console.jpg");
    for (const std::string& F : Files) {
        SCOPED_TRACE(F);
        ASSERT_TRUE(FileExists(F));
        const TPicture P = LoadPicture(F);
        ASSERT_FALSE(P.Pixels.empty()) << "not a picture stb_image reads";
        EXPECT_TRUE(PowerOfTwo(P.Width) && PowerOfTwo(P.Height)) << P.Width << " x " << P.Height;
    }
}

// Left and right thirds, top and bottom thirds of a tiling picture look alike at the seam: the
// mean step across the seam is no bigger than the mean step between neighbouring columns inside.
double SeamStep(const TPicture& P, bool Across) {
    double Seam = 0, Inside = 0;
    const int N = Across ? P.Height : P.Width;
    for (int I = 0; I < N; ++I)
        for (int C = 0; C < 3; ++C) {
            if (Across) {
                Seam += std::abs(int(P.At(P.Width - 1, I, C)) - int(P.At(0, I, C)));
                Inside += std::abs(int(P.At(P.Width / 2, I, C)) - int(P.At(P.Width / 2 - 1, I, C)));
            } else {
                Seam += std::abs(int(P.At(I, P.Height - 1, C)) - int(P.At(I, 0, C)));
                Inside +=
                    std::abs(int(P.At(I, P.Height / 2, C)) - int(P.At(I, P.Height / 2 - 1, C)));
            }
        }
    return Seam / std::max(1.0, Inside);
}
constexpr double SEAM_RATIO_MAX = 2.0; // JPEG blocks and grain make the two differ a little

TEST_F(GameData, RoadDeskAndConsoleTileWithoutSeams) {
    REQUIRE_DATA();
    for (const char* F :
         {"data\\textures\\road.jpg", "data\\textures\\table.jpg", "DATA\\Textures\\console.jpg"}) {
        SCOPED_TRACE(F);
        const TPicture P = LoadPicture(F);
        ASSERT_FALSE(P.Pixels.empty());
        EXPECT_LT(SeamStep(P, true), SEAM_RATIO_MAX);
        EXPECT_LT(SeamStep(P, false), SEAM_RATIO_MAX);
    }
}

TEST_F(GameData, MenuPicturesHaveTheirSizesAndTheCursorItsTip) {
    REQUIRE_DATA();
    for (const char* N : MENU_PICTURES) {
        const std::string F = std::string("data\\textures\\buttons\\") + N + ".jpg";
        SCOPED_TRACE(F);
        const TPicture P = LoadPicture(F);
        ASSERT_FALSE(P.Pixels.empty());
        const bool Arrow = std::string(N).rfind("arr", 0) == 0;
        EXPECT_EQ(P.Width, Arrow ? 64 : 128);
        EXPECT_EQ(P.Height, Arrow ? 64 : 32);
    }
    // The highlighted look differs from the normal one.
    EXPECT_NE(LoadPicture("data\\textures\\buttons\\quit.jpg").Pixels,
              LoadPicture("data\\textures\\buttons\\quitover.jpg").Pixels);
    const TPicture C = LoadPicture("data\\textures\\cursor.tga");
    ASSERT_EQ(C.Width, 32);
    ASSERT_EQ(C.Height, 32);
    EXPECT_EQ(C.Channels, 4);
    EXPECT_GT(C.At(CURSOR_TIP_X, CURSOR_TIP_Y + 1, 3), 128) << "the tip is drawn";
    EXPECT_EQ(C.At(0, 0, 3), 0) << "left of the tip is clear";
    EXPECT_EQ(C.At(CURSOR_TIP_X - 2, CURSOR_TIP_Y, 3), 0) << "nothing left of the tip";
    EXPECT_EQ(C.At(31, 0, 3), 0);
    EXPECT_EQ(C.At(0, 31, 3), 0);
    // The arrow points right: the right arrow has more light on its right half's middle row.
    const TPicture A = LoadPicture("data\\textures\\buttons\\arr1.jpg");
    int Right = 0, Left = 0;
    for (int X = 0; X < 32; ++X) {
        Left += A.At(16 + X / 2, 32, 0) > 200;
        Right += A.At(32 + X / 2, 32, 0) > 200;
    }
    EXPECT_GE(Right, Left);
}

TEST_F(GameData, BillboardShaderHasAVertexAndAFragmentProgram) {
    REQUIRE_DATA();
    ASSERT_TRUE(FileExists("DATA\\Shaders\\BillBoard.txt"));
    const std::vector<uint8_t> Bytes = ReadWholeFile("DATA\\Shaders\\BillBoard.txt");
    const std::string Text(Bytes.begin(), Bytes.end());
    const size_t V = Text.find("\n[vertex]\n"), F = Text.find("\n[fragment]\n");
    ASSERT_NE(V, std::string::npos);
    ASSERT_NE(F, std::string::npos);
    const std::string Vertex = Text.substr(V, F - V), Fragment = Text.substr(F);
    for (const std::string* S : {&Vertex, &Fragment}) {
        EXPECT_NE(S->find("#version"), std::string::npos);
        EXPECT_NE(S->find("void main()"), std::string::npos);
    }
    EXPECT_NE(Vertex.find("gl_Position"), std::string::npos);
    EXPECT_NE(Fragment.find("gl_FragColor"), std::string::npos);
}

// ---- the eleven maps
// -------------------------------------------------------------------------------

double Heading(const TVec3& A, const TVec3& B) {
    return std::atan2(double(B.y) - A.y, double(B.x) - A.x);
}
double TurnDeg(double A, double B) {
    double D = std::fabs(A - B) * 180 / 3.14159265358979;
    return D > 180 ? 360 - D : D;
}

TEST_F(GameData, EveryMapLoadsAndKeepsTheTrackRules) {
    REQUIRE_DATA();
    for (int Number = 1; Number <= MAP_COUNT; ++Number) {
        const std::string File = "Data/Maps/map" + std::to_string(Number) + ".map";
        SCOPED_TRACE(File);
        ASSERT_TRUE(FileExists(File));
        TMap M;
        ASSERT_NO_THROW(M.LoadFromFile(File));
        const size_t N = size_t(M.PointCount - 1);
        EXPECT_GE(M.LapCount, MIN_LAPS);
        EXPECT_LE(M.LapCount, MAX_LAPS);
        double Lap = 0;
        for (size_t I = 0; I < N; ++I) {
            const TRoadPoint &P = M.Points[I], &Q = M.Points[I + 1];
            const double D = Len(Sub(Q.Pos, P.Pos));
            Lap += D;
            EXPECT_GE(D, MIN_SPACING) << "after road point " << I;
            EXPECT_LE(D, MAX_SPACING) << "after road point " << I;
            EXPECT_GE(P.HalfWidth, MIN_HALF_WIDTH) << "road point " << I;
            EXPECT_LE(P.HalfWidth, MAX_HALF_WIDTH) << "road point " << I;
            // Neither edge folds back against the way the road runs.
            const TVec3 Dir = Sub(Q.Pos, P.Pos);
            const TVec3 L = Sub(M.Edges[2 * ((I + 1) % N)].A, M.Edges[2 * I].A);
            const TVec3 R = Sub(M.Edges[2 * I + 1].A, M.Edges[2 * I + 1].B);
            EXPECT_GT(double(L.x) * Dir.x + double(L.y) * Dir.y, 0)
                << "left edge at road point " << I;
            EXPECT_GT(double(R.x) * Dir.x + double(R.y) * Dir.y, 0)
                << "right edge at road point " << I;
        }
        EXPECT_GE(Lap, MIN_LAP);
        EXPECT_LE(Lap, MAX_LAP);
        // The start: wide enough for the grid, on a straight.
        const size_t S = size_t(M.StartPoint);
        EXPECT_GE(M.Points[S].HalfWidth, MIN_START_HALF_WIDTH);
        const double StartHeading = Heading(M.Points[S].Pos, M.Points[S + 1].Pos);
        for (int Way : {-1, 1}) {
            double Covered = 0;
            for (size_t Step = 0; Covered < (Way < 0 ? STRAIGHT_BEHIND : STRAIGHT_AHEAD); ++Step) {
                const size_t K = Way > 0 ? (S + Step) % N : (S + N - 1 - Step) % N;
                EXPECT_LE(TurnDeg(Heading(M.Points[K].Pos, M.Points[K + 1].Pos), StartHeading),
                          STRAIGHT_TOLERANCE_DEG)
                    << "road point " << K << " near the start";
                Covered += Len(Sub(M.Points[K + 1].Pos, M.Points[K].Pos));
            }
        }
        // Desk objects: known kinds with models, none of them standing on the centre line's road.
        ASSERT_GE(M.ObjectCount, 2);
        for (int32_t I = 0; I + 2 < M.ObjectCount; ++I) {
            const TDeskObject& O = M.Objects[size_t(I)];
            EXPECT_TRUE(O.Kind >= 0 && O.Kind <= 20) << "object " << I << " kind " << O.Kind;
            for (size_t K = 0; K < N; ++K) {
                const TVec3 &A = M.Points[K].Pos, &B = M.Points[K + 1].Pos;
                const TVec3 AB = Sub(B, A), AO = Sub(O.Pos, A);
                const double T = std::clamp((double(AO.x) * AB.x + double(AO.y) * AB.y) /
                                                (double(AB.x) * AB.x + double(AB.y) * AB.y),
                                            0.0, 1.0);
                const double DX = AO.x - AB.x * T, DY = AO.y - AB.y * T;
                EXPECT_GT(std::hypot(DX, DY), M.Points[K].HalfWidth)
                    << "object " << I << " stands on the road";
            }
        }
        EXPECT_EQ(M.Objects[size_t(M.ObjectCount) - 1].Kind, START_FLAG_KIND);
    }
}

TEST(GameIcons, EverySizeIsTheCarOnATransparentSquare) {
    for (const int Size : {16, 32, 48, 64, 128, 256}) {
        const std::string S = std::to_string(Size);
        const std::string File = "icons/" + S + "x" + S + "/apps/marvolin.png";
        if (!FileExists(File)) GTEST_SKIP() << File << " is drawn by the content generator";
        const TPicture P = LoadPicture(File);
        ASSERT_EQ(P.Width, Size) << File;
        ASSERT_EQ(P.Height, Size) << File;
        EXPECT_EQ(P.At(0, 0, 3), 0) << File << ": the corner shows the desktop through";
        EXPECT_EQ(P.At(Size / 2, Size / 2, 3), 255) << File << ": the car fills the middle";
    }
}

// The samples of a 16-bit mono PCM WAV file at 44.1 kHz in [-1, 1]; empty when it is not one.
std::vector<double> ReadMonoWav(const std::string& GameName) {
    const std::vector<uint8_t> B = ReadWholeFile(GameName);
    std::vector<double> Samples;
    const auto Is = [&B](size_t At, const char* Tag) {
        return At + 4 <= B.size() && std::equal(Tag, Tag + 4, B.begin() + long(At));
    };
    const auto Half = [&B](size_t At) { return uint32_t(B[At]) | uint32_t(B[At + 1]) << 8; };
    if (!Is(0, "RIFF") || !Is(8, "WAVE")) return Samples;
    bool Mono16 = false;
    for (size_t At = 12; At + 8 <= B.size();) {
        const uint32_t Size = ReadWordLE(&B[At + 4]);
        if (Is(At, "fmt ") && Size >= 16)
            Mono16 = Half(At + 8) == 1 && Half(At + 10) == 1 && ReadWordLE(&B[At + 12]) == 44100 &&
                     Half(At + 22) == 16;
        if (Is(At, "data") && Mono16 && At + 8 + Size <= B.size())
            for (size_t I = At + 8; I + 1 < At + 8 + Size; I += 2)
                Samples.push_back(double(int16_t(Half(I))) / 32767);
        At += 8 + Size + (Size & 1);
    }
    return Samples;
}

TEST_F(GameData, EverySoundIsAudibleUnclippedMonoThatStartsAndEndsAtRestOrLoopsWithoutASeam) {
    REQUIRE_DATA();
    constexpr double MIN_PEAK = 0.2, MAX_PEAK = 0.95; // audible, with room to mix
    constexpr double AT_REST = 0.01, MAX_OFFSET = 0.01;
    for (int Sound = 0; Sound < SOUND_COUNT; ++Sound) {
        SCOPED_TRACE(SOUND_ASSETS[Sound]);
        const std::vector<double> S = ReadMonoWav(SOUND_ASSETS[Sound]);
        ASSERT_GE(S.size(), 44100u / 50) << "not a 16-bit mono WAV at 44.1 kHz, or too short";
        EXPECT_LE(S.size(), 44100u * 3);
        double Peak = 0, Sum = 0, Step = 0;
        for (size_t I = 0; I < S.size(); ++I) {
            Peak = std::max(Peak, std::fabs(S[I]));
            Sum += S[I];
            if (I) Step = std::max(Step, std::fabs(S[I] - S[I - 1]));
        }
        EXPECT_GE(Peak, MIN_PEAK);
        EXPECT_LE(Peak, MAX_PEAK);
        EXPECT_LE(std::fabs(Sum / double(S.size())), MAX_OFFSET);
        if (Sound == SOUND_ENGINE || Sound == SOUND_TYRES) {
            EXPECT_LE(std::fabs(S.front() - S.back()), Step) << "the loop's end jumps to its start";
        } else {
            EXPECT_LE(std::fabs(S.front()), AT_REST) << "clicks as it starts";
            EXPECT_LE(std::fabs(S.back()), AT_REST) << "clicks as it ends";
        }
    }
}

TEST_F(GameData, TheMenuCycleOfMapsEndsAtTheEleventh) {
    REQUIRE_DATA();
    // The menu's next button wraps to map 1 where no further map file exists.
    EXPECT_TRUE(FileExists("Data/Maps/map" + std::to_string(MAP_COUNT) + ".map"));
    EXPECT_FALSE(FileExists("Data/Maps/map" + std::to_string(MAP_COUNT + 1) + ".map"));
}

} // namespace
