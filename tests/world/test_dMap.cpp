#include "world/dMap.h"

#include "app/variables.h"
#include "engine/EngineHeadless.h"
#include "engine/Files.h"
#include "engine/GL.h"
#include "models/dMeshes.h"
#include "world/dCamera.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <random>

namespace {

namespace fs = std::filesystem;

// The worked square loop's values, known to four decimals.
constexpr float FOUR_DECIMALS = 5e-5;

TRoadPoint Point(float X, float Y, float HalfWidth) {
    TRoadPoint P;
    P.Pos = Vec3(X, Y, 0);
    P.HalfWidth = HalfWidth;
    return P;
}

TDeskObject Object(float X, float Y, float Angle, int32_t Kind) {
    TDeskObject O;
    O.Pos = Vec3(X, Y, 0);
    O.Angle = Angle;
    O.Kind = Kind;
    return O;
}

TMapData SquareLoop() {
    TMapData D;
    D.StartPoint = 0;
    D.LapCount = 3;
    D.Points = {Point(0, 0, 10), Point(100, 0, 10), Point(100, 100, 10), Point(0, 100, 10)};
    return D;
}

// A closed, wobbly loop of N points around (CX, CY) with varying half-widths, like a real track.
TMapData WobblyLoop(int N, double CX, double CY, double RX, double RY) {
    TMapData D;
    D.StartPoint = N / 3;
    D.LapCount = 2;
    for (int I = 0; I < N; ++I) {
        const double A = 2 * std::numbers::pi * I / N;
        const double Wobble = 1 + 0.15 * std::sin(5 * A);
        D.Points.push_back(Point(float(CX + RX * Wobble * std::cos(A)),
                                 float(CY + RY * Wobble * std::sin(A)),
                                 float(30 + 15 * std::cos(3 * A))));
    }
    D.Objects = {Object(float(CX), float(CY), 45, 3), Object(float(CX + 10), float(CY), 0, 21)};
    return D;
}

// Long diagonal strokes back and forth across a large desk: many edges with huge boxes.
TMapData Zigzag() {
    TMapData D;
    D.LapCount = 1;
    for (int I = 0; I < 40; ++I)
        D.Points.push_back(I % 2 == 0 ? Point(float(I * 10), 0, 20)
                                      : Point(float(100000 + I * 10), 100000, 20));
    return D;
}

void ExpectNear(const TVec3& V, double X, double Y, double Z, float Tolerance = FOUR_DECIMALS) {
    EXPECT_NEAR(V.x, X, Tolerance);
    EXPECT_NEAR(V.y, Y, Tolerance);
    EXPECT_NEAR(V.z, Z, Tolerance);
}

bool Same(const TVec3& A, const TVec3& B) {
    return VecEqual(A, B);
}

TVec3 Mean2(const TVec3& A, const TVec3& B) {
    return Vec3(float((double(A.x) + B.x) / 2), float((double(A.y) + B.y) / 2), 0);
}

class MapTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseEngine(&E);
        Camera = &View;
    }
    void TearDown() override {
        GLStopRecording();
        Camera = nullptr;
        UseEngine(nullptr);
    }

    std::string WriteBytes(const std::string& Name, const std::vector<uint8_t>& Bytes) {
        return Scratch.Write(Name, Bytes);
    }
    std::string WriteMap(const std::string& Name, const TMapData& Data) {
        return WriteBytes(Name, SerializeMap(Data));
    }
    std::unique_ptr<TMap> Load(const TMapData& Data) {
        auto M = std::make_unique<TMap>();
        M->LoadFromFile(WriteMap("track.map", Data));
        return M;
    }

    THeadlessEngine E;
    TCamera View;
    const TScratchFolder Scratch{"marvolin-world"};
    const fs::path Folder = Scratch.Path;
};

// --- The file ---------------------------------------------------------------------------------

TEST_F(MapTest, FileOfFourPointsAndOneObjectIsHundredBytesAndReadsBack) {
    TMapData D = SquareLoop();
    D.StartPoint = 2;
    D.LapCount = 5;
    D.Points[1].Pos.z = -1.5;
    D.Objects = {Object(-20, 30, 12.5, 7)};
    const std::vector<uint8_t> Bytes = SerializeMap(D);
    ASSERT_EQ(Bytes.size(), 100u);
    // N, M, then the start point before the lap count, little-endian.
    EXPECT_EQ(std::vector<uint8_t>(Bytes.begin(), Bytes.begin() + 16),
              (std::vector<uint8_t>{4, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 5, 0, 0, 0}));

    const TMapData Back = ParseMap(Bytes, "x.map");
    EXPECT_EQ(Back.StartPoint, 2);
    EXPECT_EQ(Back.LapCount, 5);
    ASSERT_EQ(Back.Points.size(), 4u);
    for (size_t I = 0; I < 4; ++I) {
        EXPECT_TRUE(Same(Back.Points[I].Pos, D.Points[I].Pos));
        EXPECT_EQ(Back.Points[I].HalfWidth, D.Points[I].HalfWidth);
    }
    ASSERT_EQ(Back.Objects.size(), 1u);
    EXPECT_TRUE(Same(Back.Objects[0].Pos, D.Objects[0].Pos));
    EXPECT_EQ(Back.Objects[0].Angle, 12.5f);
    EXPECT_EQ(Back.Objects[0].Kind, 7);
}

TEST_F(MapTest, BytesAfterTheObjectsAreIgnored) {
    std::vector<uint8_t> Bytes = SerializeMap(SquareLoop());
    Bytes.insert(Bytes.end(), {1, 2, 3, 4, 5});
    TMap M;
    M.LoadFromFile(WriteBytes("tail.map", Bytes));
    EXPECT_EQ(M.PointCount, 5);
}

// --- The builder ------------------------------------------------------------------------------

TEST_F(MapTest, SquareLoopGivesTheWorkedSidesEdgesAndFlags) {
    const auto M = Load(SquareLoop());
    ASSERT_EQ(M->PointCount, 5);
    const double R = std::sqrt(0.5);
    ExpectNear(M->Points[0].Side, 0, 1, 0); // from the first segment alone
    ExpectNear(M->Points[1].Side, -R, R, 0);
    ExpectNear(M->Points[2].Side, -R, -R, 0);
    ExpectNear(M->Points[3].Side, R, -R, 0);
    ExpectNear(M->Points[4].Side, 0, 1, 0);

    ASSERT_EQ(M->Edges.size(), 8u);
    ExpectNear(M->Edges[0].A, 3.5355, 1.4645, 0);
    ExpectNear(M->Edges[0].B, 96.4645, 8.5355, 0);
    ExpectNear(M->Edges[0].Normal, 0.0759, -0.9971, 0);
    ExpectNear(M->Edges[1].A, 103.5355, -8.5355, 0);
    ExpectNear(M->Edges[1].B, -3.5355, -1.4645, 0);
    for (const TRoadEdge& Edge : M->Edges)
        EXPECT_NEAR(std::hypot(Edge.Normal.x, Edge.Normal.y), 1, 1e-6);
    // Each segment's own edge point is rounded to float before the two are averaged: at point 3
    // the halves -7.0710678 and +7.0710678 then cancel exactly.
    EXPECT_EQ(M->Edges[4].B.x, 0);
    EXPECT_EQ(M->Edges[0].B.x,
              float((double(float(100 + double(-float(std::sqrt(0.5))) * 10)) + 100) / 2));

    // The edges join without gaps, across the seam too.
    for (size_t K = 0; K < 4; ++K) {
        const size_t Next = (K + 1) % 4;
        EXPECT_TRUE(Same(M->Edges[2 * K].B, M->Edges[2 * Next].A)) << K;
        EXPECT_TRUE(Same(M->Edges[2 * K + 1].A, M->Edges[2 * Next + 1].B)) << K;
    }
    // Every normal points into the road: towards the centre of its own segment.
    for (size_t J = 0; J < 8; ++J) {
        const TRoadEdge& Edge = M->Edges[J];
        const TVec3 Mid = Mean2(Edge.A, Edge.B);
        const TVec3 Centre = Mean2(M->Points[J / 2].Pos, M->Points[J / 2 + 1].Pos);
        EXPECT_GT(
            double(Centre.x - Mid.x) * Edge.Normal.x + double(Centre.y - Mid.y) * Edge.Normal.y, 0)
            << J;
    }

    ASSERT_EQ(M->ObjectCount, 2);
    ASSERT_EQ(M->Objects.size(), 2u);
    ExpectNear(M->Objects[1].Pos, 3.5355, 1.4645, 0);
    EXPECT_EQ(M->Objects[1].Angle, 270);
    ExpectNear(M->Objects[0].Pos, -3.5355, -1.4645, 0);
    EXPECT_EQ(M->Objects[0].Angle, 450); // the half turn is not wrapped
    EXPECT_EQ(M->Objects[0].Kind, START_FLAG_KIND);
    EXPECT_EQ(M->Objects[1].Kind, START_FLAG_KIND);
    // On the drawn edges exactly.
    EXPECT_TRUE(Same(M->Objects[1].Pos, M->Edges[0].A));
    EXPECT_TRUE(Same(M->Objects[0].Pos, M->Edges[1].B));
    EXPECT_EQ(M->LapCount, 3);
    EXPECT_EQ(M->StartPoint, 0);
}

TEST_F(MapTest, CountsFollowThePointAndObjectCounts) {
    for (const int M : {0, 1, 4}) {
        TMapData D = WobblyLoop(17, 0, 0, 400, 300);
        D.Objects.assign(size_t(M), Object(5, 5, 0, 2));
        const auto Track = Load(D);
        EXPECT_EQ(Track->PointCount, 18);
        EXPECT_EQ(Track->Points.size(), 18u);
        EXPECT_EQ(Track->Edges.size(), 34u);
        EXPECT_EQ(Track->ObjectCount, M + 2);
        EXPECT_EQ(Track->Objects.size(), size_t(M + 2));
        EXPECT_EQ(Track->RoadMesh->VertexCount, 6 * 17);
        EXPECT_EQ(Track->RoadMesh->Vertices.size(), 6u * 17);
        EXPECT_EQ(Track->RoadMesh->TexCoords.size(), 6u * 17);
        EXPECT_EQ(Track->RoadMesh->Normals.size(), 6u * 17);
        EXPECT_EQ(Track->RoadMesh->FaceCount, 2 * 17);
        EXPECT_EQ(Track->RoadMesh->Faces.size(), 2u * 17);
        const TRoadPoint& First = Track->Points[0];
        const TRoadPoint& Closing = Track->Points[17];
        EXPECT_TRUE(Same(Closing.Pos, First.Pos));
        EXPECT_TRUE(Same(Closing.Side, First.Side));
        EXPECT_EQ(Closing.HalfWidth, First.HalfWidth);
        for (int I = 0; I < M; ++I)
            EXPECT_EQ(Track->Objects[size_t(I)].Kind, 2);
        // The flags come last, at the start point's edge points (start point 5 here).
        ASSERT_EQ(Track->StartPoint, 5);
        EXPECT_TRUE(Same(Track->Objects[size_t(M)].Pos, Track->Edges[11].B));
        EXPECT_TRUE(Same(Track->Objects[size_t(M) + 1].Pos, Track->Edges[10].A));
        EXPECT_EQ(Track->Objects[size_t(M)].Angle,
                  float(double(Track->Objects[size_t(M) + 1].Angle) + 180));
    }
}

TEST_F(MapTest, StraightStretchHasOneSideAndParallelEdgesFacingInwards) {
    // A long rectangle: the points along the bottom lie on one straight line.
    TMapData D;
    for (int I = 0; I <= 10; ++I)
        D.Points.push_back(Point(float(100 * I), 0, 25));
    D.Points.push_back(Point(1000, 300, 25));
    D.Points.push_back(Point(0, 300, 25));
    const auto M = Load(D);
    for (size_t I = 1; I < 10; ++I)
        EXPECT_TRUE(Same(M->Points[I].Side, Vec3(0, 1, 0))) << I;
    // Segments 1 to 8 lie between straight joints (segment 9 ends at the corner).
    for (size_t I = 1; I < 9; ++I) {
        const TRoadEdge& Left = M->Edges[2 * I];
        const TRoadEdge& Right = M->Edges[2 * I + 1];
        EXPECT_EQ(Left.A.y, 25);
        EXPECT_EQ(Left.B.y, 25);
        EXPECT_EQ(Right.A.y, -25);
        EXPECT_EQ(Right.B.y, -25);
        EXPECT_TRUE(Same(Left.Normal, Vec3(0, -1, 0))) << I; // -Side
        EXPECT_TRUE(Same(Right.Normal, Vec3(0, 1, 0))) << I; // +Side
    }
}

TEST_F(MapTest, BendJointIsTheMeanOfBothSegmentsAndNarrowsTheRoad) {
    const auto M = Load(SquareLoop());
    // At point 1 the first segment's own left point is (100, 10), the second's (92.93, 7.07).
    const double R = std::sqrt(0.5);
    ExpectNear(M->Edges[0].B, (100 + 100 - 10 * R) / 2, (10 + 10 * R) / 2, 0);
    const TVec3 Left = M->Edges[2].A;
    const TVec3 Right = M->Edges[3].B;
    EXPECT_LT(std::hypot(Left.x - Right.x, Left.y - Right.y), 2 * 10);
}

TEST_F(MapTest, RoadMeshTrianglesFollowTheEdges) {
    const auto M = Load(SquareLoop());
    const TMesh& Mesh = *M->RoadMesh;
    const std::vector<TRoadEdge>& Ed = M->Edges;
    EXPECT_TRUE(Mesh.Textured); // the road texture is kept
    for (size_t J = 0; J < Ed.size(); ++J) {
        EXPECT_EQ(Mesh.Faces[J].V[0], int32_t(3 * J));
        EXPECT_EQ(Mesh.Faces[J].V[2], int32_t(3 * J + 2));
        EXPECT_TRUE(Same(Mesh.Vertices[3 * J], Ed[J].B));
        EXPECT_TRUE(Same(Mesh.Vertices[3 * J + 1], Ed[J].A));
        const TVec3 Third = J + 1 == Ed.size() ? Ed[0].A : J % 2 == 0 ? Ed[J + 1].B : Ed[J + 1].A;
        EXPECT_TRUE(Same(Mesh.Vertices[3 * J + 2], Third)) << J;
    }
    for (const TVec3& N : Mesh.Normals)
        EXPECT_TRUE(Same(N, Vec3(0, 0, 0)));
    // World-space texture: (3.5355, 1.4645) truncates to (3, 1).
    EXPECT_EQ(Mesh.TexCoords[1].u, float(2.0 * 3 / 512));
    EXPECT_EQ(Mesh.TexCoords[1].v, float(2.0 * 1 / 512));
}

// The road mesh carries one texture coordinate per vertex and none per face: welded, it keeps
// them, one vertex per edge point (the square loop's 8).
TEST_F(MapTest, WeldedRoadMeshKeepsItsPositionsAndTextureCoordinates) {
    const auto M = Load(SquareLoop());
    TMesh& Mesh = *M->RoadMesh;
    const std::vector<TVec3> Positions = Mesh.Vertices;
    const std::vector<TTexCoord> Coords = Mesh.TexCoords;
    Mesh.Weld();
    EXPECT_EQ(Mesh.VertexCount, 8);
    for (size_t K = 0; K < 3 * Mesh.Faces.size(); ++K) {
        const size_t V = size_t(Mesh.Faces[K / 3].V[K % 3]);
        EXPECT_TRUE(Same(Mesh.Vertices[V], Positions[K])) << K;
        EXPECT_EQ(Mesh.TexCoords[V].u, Coords[K].u) << K;
        EXPECT_EQ(Mesh.TexCoords[V].v, Coords[K].v) << K;
    }
}

// Every loaded track has two points and the closing copy; a map filled by hand with fewer (or a
// count its list does not hold) gets no road at all.
TEST_F(MapTest, FewerThanThreePointsBuildNoEdgesNoFlagsAndNoRoad) {
    const std::pair<int32_t, int32_t> Cases[] = {{0, 0}, {1, 1}, {2, 2}, {5, 2}}; // count, held
    for (const auto& [Count, Held] : Cases) {
        TMap M;
        for (int32_t I = 0; I < Held; ++I)
            M.Points.push_back({Vec3(float(100 * I), 0, 0), {}, 10});
        M.PointCount = Count;
        M.BuildEdges();
        M.BuildRoadMesh();
        EXPECT_TRUE(M.Edges.empty()) << Count;
        EXPECT_TRUE(M.Objects.empty()) << Count;
        EXPECT_EQ(M.RoadMesh->FaceCount, 0) << Count;
        EXPECT_TRUE(M.EdgesNear(0, 0).empty()) << Count;
    }
}

TEST_F(MapTest, RoadTextureCoordinatesTruncateTowardsZero) {
    TMap M;
    TRoadEdge A, B;
    A.A = Vec3(0.9f, -0.9f, 0);
    A.B = Vec3(-0.99f, 0.5f, 0);
    B.A = Vec3(1, -1, 0);
    B.B = Vec3(300.7f, -1.5f, 0);
    M.Edges = {A, B};
    M.BuildRoadMesh();
    const std::vector<TTexCoord>& T = M.RoadMesh->TexCoords;
    // Vertices: 0 = A.B, 1 = A.A, 2 = B.B, 3 = B.B, 4 = B.A, 5 = A.A.
    EXPECT_EQ(T[0].u, 0);
    EXPECT_EQ(T[0].v, 0);
    EXPECT_EQ(T[1].u, 0);
    EXPECT_EQ(T[1].v, 0);
    EXPECT_EQ(T[2].u, float(600.0 / 512));
    EXPECT_EQ(T[2].v, float(-2.0 / 512));
    EXPECT_EQ(T[4].u, float(2.0 / 512));
    EXPECT_EQ(T[4].v, float(-2.0 / 512));
}

TEST_F(MapTest, ShorterSecondTrackLeavesNoTraceOfTheFirst) {
    TMap M;
    M.LoadFromFile(WriteMap("long.map", WobblyLoop(40, 0, 0, 800, 600)));
    const int Texture = M.RoadMesh->Texture;
    const int Table = M.TableTexture;
    M.LoadFromFile(WriteMap("square.map", SquareLoop()));

    const auto Fresh = Load(SquareLoop());
    EXPECT_EQ(M.PointCount, 5);
    EXPECT_EQ(M.ObjectCount, 2);
    ASSERT_EQ(M.Points.size(), 5u);
    ASSERT_EQ(M.Edges.size(), 8u);
    ASSERT_EQ(M.Objects.size(), 2u);
    for (size_t I = 0; I < 5; ++I)
        EXPECT_TRUE(Same(M.Points[I].Side, Fresh->Points[I].Side));
    for (size_t J = 0; J < 8; ++J) {
        EXPECT_TRUE(Same(M.Edges[J].A, Fresh->Edges[J].A));
        EXPECT_TRUE(Same(M.Edges[J].Normal, Fresh->Edges[J].Normal));
    }
    EXPECT_EQ(M.RoadMesh->VertexCount, 24);
    EXPECT_EQ(M.RoadMesh->Vertices.size(), 24u);
    EXPECT_EQ(M.RoadMesh->Faces.size(), 8u);
    EXPECT_EQ(M.RoadMesh->Texture, Texture);
    EXPECT_TRUE(M.RoadMesh->Textured);
    EXPECT_EQ(M.TableTexture, Table);
    // Nothing of the long track is left in the edge index either.
    EXPECT_TRUE(M.EdgesNear(800, 0).empty());
}

TEST_F(MapTest, CreateLoadsTheRoadAndTableTextures) {
    TMap M;
    EXPECT_EQ(M.PointCount, 0);
    EXPECT_EQ(M.ObjectCount, 0);
    EXPECT_EQ(M.TableScale, 512);
    EXPECT_EQ(M.RoadScale, 512);
    ASSERT_EQ(E.TextureLog.size(), 2u);
    EXPECT_EQ(E.TextureLog[0].Name, "data\\textures\\road.jpg");
    EXPECT_EQ(E.TextureLog[1].Name, "data\\textures\\table.jpg");
    EXPECT_EQ(M.RoadMesh->Texture, 1);
    EXPECT_EQ(M.TableTexture, 2);
    EXPECT_TRUE(M.EdgesNear(0, 0).empty());
}

// --- Refused files ----------------------------------------------------------------------------

std::vector<uint8_t> Patched(std::vector<uint8_t> Bytes, size_t At, uint32_t Word) {
    for (int I = 0; I < 4; ++I)
        Bytes[At + size_t(I)] = uint8_t(Word >> (8 * I));
    return Bytes;
}
uint32_t FloatBits(float F) {
    return std::bit_cast<uint32_t>(F);
}

TEST_F(MapTest, BadFilesAreRefusedNamingTheFileAndLeaveTheMapAsItWas) {
    TMapData WithObject = SquareLoop();
    WithObject.Objects = {Object(1, 2, 3, 5)};
    const std::vector<uint8_t> Good = SerializeMap(WithObject); // 100 bytes
    TRoadPoint Lifted = Point(50, 0, 5); // above point 1, on the same spot of the desk
    Lifted.Pos.z = 7;
    const auto Points = [](std::vector<TRoadPoint> P) {
        TMapData D;
        D.Points = std::move(P);
        return SerializeMap(D);
    };
    const struct {
        const char* Fault;
        std::vector<uint8_t> Bytes;
    } Cases[] = {
        {"empty", {}},
        {"short header", std::vector<uint8_t>(Good.begin(), Good.begin() + 15)},
        {"one point", Patched(Good, 0, 1)},
        {"no points", Patched(Good, 0, 0)},
        {"negative points", Patched(Good, 0, uint32_t(-3))},
        {"huge points", Patched(Good, 0, 0x7fffffff)},
        {"negative objects", Patched(Good, 4, uint32_t(-1))},
        {"huge objects", Patched(Good, 4, 0x7fffffff)},
        {"points cut", std::vector<uint8_t>(Good.begin(), Good.begin() + 79)},
        {"object cut", std::vector<uint8_t>(Good.begin(), Good.begin() + 99)},
        {"start negative", Patched(Good, 8, uint32_t(-1))},
        {"start past the points", Patched(Good, 8, 4)},
        {"kind 23", Patched(Good, 96, 23)},
        {"kind negative", Patched(Good, 96, uint32_t(-1))},
        {"NaN point", Patched(Good, 16 + 16 + 4, FloatBits(NAN))},
        {"infinite width", Patched(Good, 16 + 12, FloatBits(INFINITY))},
        {"infinite height", Patched(Good, 16 + 8, FloatBits(-INFINITY))},
        {"NaN angle", Patched(Good, 92, FloatBits(NAN))},
        {"NaN object", Patched(Good, 80, FloatBits(NAN))},
        {"two equal points",
         Points({Point(0, 0, 5), Point(50, 0, 5), Point(50, 0, 5), Point(0, 40, 5)})},
        {"equal but for height",
         Points({Point(0, 0, 5), Point(50, 0, 5), Lifted, Point(0, 40, 5)})},
        {"last equals first",
         Points({Point(0, 0, 5), Point(50, 0, 5), Point(0, 40, 5), Point(0, 0, 5)})},
        {"doubles back",
         Points({Point(0, 0, 5), Point(100, 0, 5), Point(0, 0.5f, 5), Point(100, 0, 5)})},
        {"objects beyond the file", Patched(Good, 4, 1000)},
        {"beyond the numbers",
         Points({Point(-3e38f, 0, 5), Point(3e38f, 0, 5), Point(0, 3e38f, 5)})},
        // The joints at both ends of the third segment's left edge fall on one spot.
        {"edge of no length",
         Points({Point(0, 2, 1), Point(0, 1, 1), Point(0, 0, 1), Point(1, 0, 1), Point(0, 1, 1)})},
    };
    TMap M;
    M.LoadFromFile(WriteMap("good.map", WobblyLoop(25, 50, 50, 300, 200)));
    const std::vector<TRoadPoint> PointsBefore = M.Points;
    const std::vector<TRoadEdge> EdgesBefore = M.Edges;
    const std::vector<TDeskObject> ObjectsBefore = M.Objects;
    const std::vector<TVec3> RoadBefore = M.RoadMesh->Vertices;
    const std::vector<int32_t> NearBefore(M.EdgesNear(350, 50).begin(), M.EdgesNear(350, 50).end());
    ASSERT_FALSE(NearBefore.empty());

    int Index = 0;
    for (const auto& Case : Cases) {
        const std::string Name = "bad" + std::to_string(Index++) + ".map";
        const std::string Path = WriteBytes(Name, Case.Bytes);
        try {
            M.LoadFromFile(Path);
            ADD_FAILURE() << Case.Fault << ": accepted";
        } catch (const TFileError& Error) {
            EXPECT_NE(std::string(Error.what()).find(Name), std::string::npos)
                << Case.Fault << ": " << Error.what();
        }
        EXPECT_EQ(M.PointCount, 26) << Case.Fault;
        EXPECT_EQ(M.ObjectCount, 4) << Case.Fault;
        EXPECT_EQ(M.StartPoint, 8) << Case.Fault;
        EXPECT_EQ(M.LapCount, 2) << Case.Fault;
        ASSERT_EQ(M.Points.size(), PointsBefore.size()) << Case.Fault;
        ASSERT_EQ(M.Edges.size(), EdgesBefore.size()) << Case.Fault;
        ASSERT_EQ(M.Objects.size(), ObjectsBefore.size()) << Case.Fault;
        ASSERT_EQ(M.RoadMesh->Vertices.size(), RoadBefore.size()) << Case.Fault;
        for (size_t I = 0; I < PointsBefore.size(); ++I)
            EXPECT_TRUE(Same(M.Points[I].Side, PointsBefore[I].Side)) << Case.Fault;
        for (size_t J = 0; J < EdgesBefore.size(); ++J)
            EXPECT_TRUE(Same(M.Edges[J].B, EdgesBefore[J].B)) << Case.Fault;
        for (size_t I = 0; I < RoadBefore.size(); ++I)
            EXPECT_TRUE(Same(M.RoadMesh->Vertices[I], RoadBefore[I])) << Case.Fault;
        const std::span<const int32_t> Near = M.EdgesNear(350, 50);
        EXPECT_TRUE(std::equal(Near.begin(), Near.end(), NearBefore.begin(), NearBefore.end()))
            << Case.Fault;
    }
}

TEST_F(MapTest, MissingFileIsAFileErrorAndChangesNothing) {
    TMap M;
    M.LoadFromFile(WriteMap("square.map", SquareLoop()));
    EXPECT_THROW(M.LoadFromFile((Folder / "nowhere.map").string()), TFileError);
    EXPECT_EQ(M.PointCount, 5);
    EXPECT_EQ(M.Edges.size(), 8u);
}

TEST_F(MapTest, ParseMapNamesTheFault) {
    const auto Message = [](const std::vector<uint8_t>& Bytes) {
        try {
            ParseMap(Bytes, "data/maps/x.map");
        } catch (const TFileError& Error) {
            return std::string(Error.what());
        }
        return std::string("accepted");
    };
    const std::vector<uint8_t> Good = SerializeMap(SquareLoop());
    EXPECT_EQ(Message(std::vector<uint8_t>(Good.begin(), Good.begin() + 40)),
              "data/maps/x.map: file ends inside the road points");
    EXPECT_EQ(Message(Patched(Good, 8, 9)),
              "data/maps/x.map: start point 9 is not one of the 4 road points");
}

// --- The edge index ---------------------------------------------------------------------------

// Whether the point lies in the edge's box widened by R, compared as NearSegment compares.
bool InWidenedBox(const TRoadEdge& Edge, float X, float Y, float R) {
    return double(X) >= double(std::min(Edge.A.x, Edge.B.x)) - R &&
           double(X) <= double(std::max(Edge.A.x, Edge.B.x)) + R &&
           double(Y) >= double(std::min(Edge.A.y, Edge.B.y)) - R &&
           double(Y) <= double(std::max(Edge.A.y, Edge.B.y)) + R;
}

void ExpectIndexCovers(const TMap& M, float X, float Y) {
    const std::span<const int32_t> Near = M.EdgesNear(X, Y);
    ASSERT_TRUE(std::adjacent_find(Near.begin(), Near.end(), std::greater_equal<>()) == Near.end())
        << "not increasing at " << X << ", " << Y;
    const float R = TMap::EDGE_INDEX_REACH;
    for (size_t J = 0; J < M.Edges.size(); ++J) {
        const TRoadEdge& Edge = M.Edges[J];
        float Dist = 0;
        if (!InWidenedBox(Edge, X, Y, R) && !NearSegment(Edge.A, Edge.B, Vec3(X, Y, 0), Dist, R))
            continue;
        ASSERT_TRUE(std::binary_search(Near.begin(), Near.end(), int32_t(J)))
            << "edge " << J << " missing at " << X << ", " << Y;
    }
}

// Points exactly on, just inside and just outside each edge's widened box.
void ExpectIndexCoversBorders(const TMap& M) {
    const float R = TMap::EDGE_INDEX_REACH;
    for (const TRoadEdge& Edge : M.Edges) {
        const double X0 = double(std::min(Edge.A.x, Edge.B.x)) - R;
        const double X1 = double(std::max(Edge.A.x, Edge.B.x)) + R;
        const double Y0 = double(std::min(Edge.A.y, Edge.B.y)) - R;
        const double Y1 = double(std::max(Edge.A.y, Edge.B.y)) + R;
        for (const double BX : {X0, X1})
            for (const double BY : {Y0, Y1, (Y0 + Y1) / 2}) {
                const float FX = float(BX), FY = float(BY);
                for (const float X :
                     {std::nextafter(FX, -INFINITY), FX, std::nextafter(FX, INFINITY)})
                    for (const float Y :
                         {std::nextafter(FY, -INFINITY), FY, std::nextafter(FY, INFINITY)}) {
                        ExpectIndexCovers(M, X, Y);
                        ExpectIndexCovers(M, Y == FY ? float((X0 + X1) / 2) : X, Y);
                    }
            }
    }
}

void ExpectIndexCoversRandomPoints(const TMap& M, int Count) {
    float MinX = INFINITY, MinY = INFINITY, MaxX = -INFINITY, MaxY = -INFINITY;
    for (const TRoadEdge& Edge : M.Edges)
        for (const TVec3& P : {Edge.A, Edge.B}) {
            MinX = std::min(MinX, P.x);
            MinY = std::min(MinY, P.y);
            MaxX = std::max(MaxX, P.x);
            MaxY = std::max(MaxY, P.y);
        }
    std::mt19937 Random(12345);
    std::uniform_real_distribution<double> UX(MinX - 100.0, MaxX + 100.0);
    std::uniform_real_distribution<double> UY(MinY - 100.0, MaxY + 100.0);
    std::uniform_int_distribution<size_t> Pick(0, M.Edges.size() - 1);
    std::uniform_real_distribution<double> Near(-40, 40);
    for (int I = 0; I < Count; ++I) {
        const float X = float(UX(Random));
        ExpectIndexCovers(M, X, float(UY(Random)));
        // Close to an edge, where the collisions look.
        const TRoadEdge& Edge = M.Edges[Pick(Random)];
        const float NearX = float(Edge.A.x + Near(Random));
        ExpectIndexCovers(M, NearX, float(Edge.A.y + Near(Random)));
    }
}

TEST_F(MapTest, EdgeIndexHoldsEveryEdgeWithinReachInIncreasingOrder) {
    const TMapData Tracks[] = {
        SquareLoop(), WobblyLoop(120, 0, 0, 1500, 900),
        WobblyLoop(60, 123456.7, -345678.9, 2000, 1200), // far from the origin: coarse floats
        Zigzag(),                                        // long diagonals: coarser cells
    };
    for (const TMapData& D : Tracks) {
        const auto M = Load(D);
        ExpectIndexCoversRandomPoints(*M, 3000);
        ExpectIndexCoversBorders(*M);
        if (HasFatalFailure()) return;
    }
}

TEST_F(MapTest, EdgeIndexIsSelectiveAndEmptyFarAway) {
    const auto M = Load(WobblyLoop(120, 0, 0, 1500, 900));
    // Near the road a few edges, not all of them.
    const std::span<const int32_t> OnRoad = M->EdgesNear(M->Points[10].Pos.x, M->Points[10].Pos.y);
    EXPECT_FALSE(OnRoad.empty());
    EXPECT_LT(OnRoad.size(), M->Edges.size() / 4);
    EXPECT_TRUE(M->EdgesNear(0, 0).empty()); // the middle of the loop
    EXPECT_TRUE(M->EdgesNear(1e6, 0).empty());
    EXPECT_TRUE(M->EdgesNear(-1e30f, 1e30f).empty());
    EXPECT_TRUE(M->EdgesNear(NAN, 0).empty());
    EXPECT_TRUE(M->EdgesNear(0, INFINITY).empty());
}

TEST(EdgeIndex, RebuildingForgetsTheEdgesIndexedBefore) {
    TRoadEdge Edge;
    Edge.A = Vec3(0, 0, 0);
    Edge.B = Vec3(100, 0, 0);
    TEdgeIndex Index;
    Index.Build({Edge});
    EXPECT_EQ(Index.Near(50, 0).size(), 1u);
    Edge.A = Vec3(5000, 5000, 0);
    Edge.B = Vec3(5100, 5000, 0);
    Index.Build({Edge, Edge});
    EXPECT_TRUE(Index.Near(50, 0).empty());
    EXPECT_EQ(Index.Near(5050, 5000).size(), 2u);
    Index.Build({});
    EXPECT_TRUE(Index.Near(5050, 5000).empty());
}

// --- Drawing ----------------------------------------------------------------------------------

// Stands in for a model: records that it was drawn.
class TProbeMesh : public TMesh {
public:
    explicit TProbeMesh(std::string Name) : Name(std::move(Name)) {}
    void Draw() override { GLRecordCall({"Mesh.Draw", {}, Name}); }
    std::string Name;
};

std::string Describe(const TGLCall& Call) {
    std::string S = Call.Name + "(";
    for (size_t I = 0; I < Call.Args.size(); ++I) {
        char Number[32];
        std::snprintf(Number, sizeof Number, "%s%.9g", I ? "," : "", Call.Args[I]);
        S += Number;
    }
    return S + (Call.Text.empty() ? ")" : ")" + Call.Text);
}

std::vector<std::string> Recorded() {
    std::vector<std::string> Out;
    for (const TGLCall& Call : GLRecordedCalls())
        Out.push_back(Describe(Call));
    return Out;
}

class MapDrawTest : public MapTest {
protected:
    void SetUp() override {
        MapTest::SetUp();
        for (int K = 0; K < OBJECT_KIND_COUNT; ++K)
            ObjectMeshes[K] =
                K == EMPTY_OBJECT_KIND ? new TMesh : new TProbeMesh("kind" + std::to_string(K));
    }
    void TearDown() override {
        for (TMesh*& Mesh : ObjectMeshes) {
            delete Mesh;
            Mesh = nullptr;
        }
        MapTest::TearDown();
    }
};

const std::string LIGHTING = std::to_string(GL_LIGHTING);

TEST_F(MapDrawTest, RoadUnlitObjectsLitFlagsUnlitTableLast) {
    TMapData D = SquareLoop();
    D.Objects = {Object(50, 50, 30, 3), Object(60, 50, 0, EMPTY_OBJECT_KIND)};
    const auto M = Load(D);
    delete M->RoadMesh;
    M->RoadMesh = new TProbeMesh("road");
    View.Pos = Vec3(40, 30, 850);

    GLStartRecording();
    M->Draw();
    GLStopRecording();

    const std::string L = LIGHTING;
    const std::string Flag0 =
        "Rotatef(" + std::to_string(int(M->Objects[2].Angle) + 180) + ",0,0,1)";
    const std::string Flag1 =
        "Rotatef(" + std::to_string(int(M->Objects[3].Angle) + 180) + ",0,0,1)";
    char FlagPos0[96], FlagPos1[96];
    std::snprintf(FlagPos0, sizeof FlagPos0, "Translatef(%.9g,%.9g,0)", M->Objects[2].Pos.x,
                  M->Objects[2].Pos.y);
    std::snprintf(FlagPos1, sizeof FlagPos1, "Translatef(%.9g,%.9g,0)", M->Objects[3].Pos.x,
                  M->Objects[3].Pos.y);
    const std::vector<std::string> Expected = {
        "Disable(" + L + ")",
        "Color3f(1,1,1)",
        "Mesh.Draw()road",
        "Enable(" + L + ")",
        // kind 3, lit
        "PushMatrix()",
        "Translatef(50,50,0)",
        "Rotatef(180,1,0,0)",
        "Rotatef(210,0,0,1)",
        "Mesh.Draw()kind3",
        "PopMatrix()",
        // kind 21: placed, but its empty model draws nothing
        "PushMatrix()",
        "Translatef(60,50,0)",
        "Rotatef(180,1,0,0)",
        "Rotatef(180,0,0,1)",
        "PopMatrix()",
        // the two start flags, unlit
        "Disable(" + L + ")",
        "PushMatrix()",
        FlagPos0,
        "Rotatef(180,1,0,0)",
        Flag0,
        "Mesh.Draw()kind22",
        "PopMatrix()",
        "Enable(" + L + ")",
        "Disable(" + L + ")",
        "PushMatrix()",
        FlagPos1,
        "Rotatef(180,1,0,0)",
        Flag1,
        "Mesh.Draw()kind22",
        "PopMatrix()",
        "Enable(" + L + ")",
        // the desk surface
        "DepthMask(0)",
        "Translatef(40,30,0.0199999996)",
        "Textures.Enable(" + std::to_string(M->TableTexture) + ",0)",
        "Color3f(1,1,1)",
        "Disable(" + L + ")",
        "Begin(" + std::to_string(GL_QUADS) + ")",
    };
    const std::vector<std::string> Calls = Recorded();
    ASSERT_GE(Calls.size(), Expected.size());
    for (size_t I = 0; I < Expected.size(); ++I)
        EXPECT_EQ(Calls[I], Expected[I]) << I;
}

TEST_F(MapDrawTest, DeskSurfaceFollowsTheCameraAndRestoresTheState) {
    TMap M;
    View.Pos = Vec3(1012, -253, 700);
    GLStartRecording();
    M.DrawTable();
    GLStopRecording();
    const float S0 = float(1012.0 / 506), T0 = float(-253.0 / 506);
    char Corner[4][160];
    const float S1 = float(double(S0) + 2), T1 = float(double(T0) + 2);
    std::snprintf(Corner[0], 160, "TexCoord2f(%.9g,%.9g)", S0, T0);
    std::snprintf(Corner[1], 160, "TexCoord2f(%.9g,%.9g)", S0, T1);
    std::snprintf(Corner[2], 160, "TexCoord2f(%.9g,%.9g)", S1, T1);
    std::snprintf(Corner[3], 160, "TexCoord2f(%.9g,%.9g)", S1, T0);
    const std::vector<std::string> Expected = {
        "DepthMask(0)",
        "Translatef(1012,-253,0.0199999996)",
        "Textures.Enable(" + std::to_string(M.TableTexture) + ",0)",
        "Color3f(1,1,1)",
        "Disable(" + LIGHTING + ")",
        "Begin(" + std::to_string(GL_QUADS) + ")",
        Corner[0],
        "Vertex3f(-500,-500,0)",
        Corner[1],
        "Vertex3f(-500,500,0)",
        Corner[2],
        "Vertex3f(500,500,0)",
        Corner[3],
        "Vertex3f(500,-500,0)",
        "End()",
        // Lighting on, texturing off, depth writes on; the translation stays.
        "Enable(" + LIGHTING + ")",
        "Textures.Disable(0)",
        "DepthMask(1)",
    };
    EXPECT_EQ(Recorded(), Expected);
    EXPECT_EQ(S0, 2);
}

TEST_F(MapDrawTest, ObjectsAreDrawnStrictlyWithin800UnitsOfTheCamera) {
    TMapData D = SquareLoop();
    D.Objects = {Object(-799.9f, 0, 0, 1), Object(800, 0, 0, 2), Object(480, 640, 0, 4),
                 Object(0, -799.9f, 0, 5)};
    const auto M = Load(D);
    View.Pos = Vec3(0, 0, 850);
    EXPECT_TRUE(M->IsVisible(M->Objects[0]));
    EXPECT_FALSE(M->IsVisible(M->Objects[1]));
    EXPECT_FALSE(M->IsVisible(M->Objects[2])); // 800 along a diagonal
    EXPECT_TRUE(M->IsVisible(M->Objects[3]));
    EXPECT_EQ(TMap::DistSqrXY(Vec3(3, 4, 100), Vec3(0, 0, -7)), 25);

    GLStartRecording();
    M->Draw();
    GLStopRecording();
    std::vector<std::string> Drawn;
    for (const std::string& Call : Recorded())
        if (Call.starts_with("Mesh.Draw()kind")) Drawn.push_back(Call.substr(11));
    EXPECT_EQ(Drawn, (std::vector<std::string>{"kind1", "kind5", "kind22", "kind22"}));
}

} // namespace
