#include "models/dMeshes.h"

#include "app/variables.h"
#include "engine/EngineHeadless.h"
#include "engine/Files.h"
#include "engine/GL.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>

namespace fs = std::filesystem;

namespace {

constexpr float UNIT_TOLERANCE = 1e-6f;

// Little-endian bytes written by hand, independent of SerializeMdl.
struct TBytes {
    std::vector<uint8_t> Data;
    TBytes& Int(int32_t N) {
        for (int Shift = 0; Shift < 32; Shift += 8)
            Data.push_back(uint8_t(uint32_t(N) >> Shift));
        return *this;
    }
    TBytes& Float(float X) { return Int(std::bit_cast<int32_t>(X)); }
};

TFace Face(int32_t A, int32_t B, int32_t C) {
    return {{A, B, C}};
}

// One triangle in the XY plane, counter-clockwise seen from +z.
TMdlData SingleTriangle() {
    TMdlData D;
    D.Vertices = {{0, 0, 0}, {4, 0, 0}, {0, 2, 0}};
    D.Faces = {Face(0, 1, 2)};
    D.TexCoords = {{0, 0}, {1, 0}, {0, 1}};
    D.FaceTexCoords = {Face(0, 1, 2)};
    return D;
}

// A unit cube of 8 file vertices and 12 outward triangles; every face has texture coordinates of
// its own, so no corner shares one with another face. FaceNormals holds each triangle's normal.
struct TCube {
    TMdlData Data;
    std::vector<TVec3> FaceNormals;
};

TCube Cube() {
    TCube C;
    for (int I = 0; I < 8; ++I)
        C.Data.Vertices.push_back(Vec3(I & 1, (I >> 1) & 1, (I >> 2) & 1));
    // Each side: its corners counter-clockwise seen from outside, and its outward normal.
    const struct {
        int32_t Corners[4];
        TVec3 Normal;
    } Sides[6] = {{{0, 2, 3, 1}, {0, 0, -1}}, {{4, 5, 7, 6}, {0, 0, 1}},
                  {{0, 1, 5, 4}, {0, -1, 0}}, {{2, 6, 7, 3}, {0, 1, 0}},
                  {{0, 4, 6, 2}, {-1, 0, 0}}, {{1, 3, 7, 5}, {1, 0, 0}}};
    for (int S = 0; S < 6; ++S) {
        const int32_t* K = Sides[S].Corners;
        const int32_t T = int32_t(C.Data.TexCoords.size());
        for (int I = 0; I < 4; ++I)
            C.Data.TexCoords.push_back({float(S), float(I)});
        C.Data.Faces.push_back(Face(K[0], K[1], K[2]));
        C.Data.FaceTexCoords.push_back(Face(T, T + 1, T + 2));
        C.Data.Faces.push_back(Face(K[0], K[2], K[3]));
        C.Data.FaceTexCoords.push_back(Face(T, T + 2, T + 3));
        C.FaceNormals.push_back(Sides[S].Normal);
        C.FaceNormals.push_back(Sides[S].Normal);
    }
    return C;
}

bool SameBits(float A, float B) {
    return std::bit_cast<uint32_t>(A) == std::bit_cast<uint32_t>(B);
}
bool SameBits(const TVec3& A, const TVec3& B) {
    return SameBits(A.x, B.x) && SameBits(A.y, B.y) && SameBits(A.z, B.z);
}
bool SameBits(const TTexCoord& A, const TTexCoord& B) {
    return SameBits(A.u, B.u) && SameBits(A.v, B.v);
}

void ExpectVec(const TVec3& V, float X, float Y, float Z, float Tolerance = UNIT_TOLERANCE) {
    EXPECT_NEAR(V.x, X, Tolerance);
    EXPECT_NEAR(V.y, Y, Tolerance);
    EXPECT_NEAR(V.z, Z, Tolerance);
}

void ExpectEmpty(const TMesh& M) {
    EXPECT_EQ(M.VertexCount, 0);
    EXPECT_EQ(M.FaceCount, 0);
    EXPECT_EQ(M.TexCoordCount, 0);
    EXPECT_FALSE(M.Textured);
    EXPECT_EQ(M.Texture, 0);
    EXPECT_TRUE(M.Vertices.empty() && M.Normals.empty() && M.Faces.empty() && M.TexCoords.empty() &&
                M.FaceTexCoords.empty());
}

// After welding every corner of the file still sees its own position and texture coordinate, and
// the three vertex lists are as long as VertexCount.
void ExpectCornersKept(const TMdlData& File, const TMesh& M) {
    ASSERT_EQ(M.Vertices.size(), size_t(M.VertexCount));
    ASSERT_EQ(M.Normals.size(), size_t(M.VertexCount));
    ASSERT_EQ(M.TexCoords.size(), size_t(M.VertexCount));
    ASSERT_EQ(M.Faces.size(), File.Faces.size());
    for (size_t F = 0; F < File.Faces.size(); ++F)
        for (int C = 0; C < 3; ++C) {
            const int32_t W = M.Faces[F].V[C];
            ASSERT_TRUE(W >= 0 && W < M.VertexCount);
            EXPECT_TRUE(VecEqual(M.Vertices[size_t(W)], File.Vertices[size_t(File.Faces[F].V[C])]));
            const TTexCoord& T = File.TexCoords[size_t(File.FaceTexCoords[F].V[C])];
            EXPECT_EQ(M.TexCoords[size_t(W)].u, T.u);
            EXPECT_EQ(M.TexCoords[size_t(W)].v, T.v);
        }
}

class MeshTest : public ::testing::Test {
protected:
    void SetUp() override { UseEngine(&Engine); }
    void TearDown() override {
        GLStopRecording();
        GLLoadStubs();
        UseEngine(nullptr);
    }
    TMesh Loaded(const TMdlData& Data, bool ComputeNormals = true) {
        TMesh M;
        M.Load(Folder.Write("model.mdl", SerializeMdl(Data)), ComputeNormals);
        return M;
    }
    THeadlessEngine Engine;
    const TScratchFolder Folder{"marvolin-models"};
};

} // namespace

// --- The file format --------------------------------------------------------------------------

TEST(MdlFormat, SingleTriangleTakes96BytesWithComputedNormalsAnd132WithStoredOnes) {
    TMdlData D = SingleTriangle();
    EXPECT_EQ(SerializeMdl(D).size(), 96u);
    D.Normals = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    EXPECT_EQ(SerializeMdl(D).size(), 132u);
}

TEST(MdlFormat, BlocksFollowTheHeaderTrianglesFirstPositionsLast) {
    // Three different counts, so that a reader taking them in another order goes wrong.
    TBytes B;
    B.Int(4).Int(1).Int(2);                           // V, F, T
    B.Int(3).Int(1).Int(0);                           // triangle
    B.Float(0.25f).Float(0.5f).Float(0.75f).Float(1); // texture coordinates
    B.Int(1).Int(0).Int(1);                           // triangle texture indices
    for (int I = 0; I < 4; ++I)
        B.Float(float(I)).Float(10).Float(-1); // positions
    for (int I = 0; I < 4; ++I)
        B.Float(0).Float(float(I)).Float(1); // normals
    TMdlData D;
    D.Faces = {Face(3, 1, 0)};
    D.TexCoords = {{0.25f, 0.5f}, {0.75f, 1}};
    D.FaceTexCoords = {Face(1, 0, 1)};
    for (int I = 0; I < 4; ++I) {
        D.Vertices.push_back(Vec3(float(I), 10, -1));
        D.Normals.push_back(Vec3(0, float(I), 1));
    }
    EXPECT_EQ(SerializeMdl(D), B.Data);

    B.Int(12345); // bytes after the last block are ignored
    const TMdlData Read = ParseMdl(B.Data, "hand.mdl", true);
    EXPECT_EQ(SerializeMdl(Read), SerializeMdl(D));
    const TMdlData WithoutNormals = ParseMdl(B.Data, "hand.mdl", false);
    EXPECT_TRUE(WithoutNormals.Normals.empty());
    EXPECT_EQ(WithoutNormals.Vertices.size(), 4u);
}

TEST(MdlFormat, WriterRefusesInconsistentModels) {
    TMdlData D = SingleTriangle();
    D.FaceTexCoords.clear();
    EXPECT_THROW(SerializeMdl(D), std::invalid_argument);
    D = SingleTriangle();
    D.Normals = {{0, 0, 1}};
    EXPECT_THROW(SerializeMdl(D), std::invalid_argument);
}

// --- Refused files ----------------------------------------------------------------------------

namespace {

struct TBadFile {
    const char* Name;
    std::vector<uint8_t> Bytes;
    bool ComputeNormals;
    const char* Fault; // part of the message
};

std::vector<uint8_t> Bytes(const TMdlData& D) {
    return SerializeMdl(D);
}

std::vector<uint8_t> Patched(std::vector<uint8_t> Bytes, size_t Offset, int32_t Value) {
    for (int I = 0; I < 4; ++I)
        Bytes[Offset + size_t(I)] = uint8_t(uint32_t(Value) >> (8 * I));
    return Bytes;
}

std::vector<uint8_t> Truncated(std::vector<uint8_t> Bytes, size_t Size) {
    Bytes.resize(Size);
    return Bytes;
}

std::vector<TBadFile> BadFiles() {
    const std::vector<uint8_t> Good = Bytes(SingleTriangle()); // 96 bytes, V = 3, F = 1, T = 3
    TMdlData WithNormals = SingleTriangle();
    WithNormals.Normals = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    const float NaN = std::numeric_limits<float>::quiet_NaN();
    const float Inf = std::numeric_limits<float>::infinity();
    TMdlData NoTexCoords = SingleTriangle();
    NoTexCoords.TexCoords.clear();
    return {
        {"empty", {}, true, "header"},
        {"short_header", Truncated(Good, 8), true, "header"},
        {"negative_vertices", Patched(Good, 0, -3), true, "negative vertex count -3"},
        {"negative_triangles", Patched(Good, 4, -1), true, "negative triangle count -1"},
        {"negative_texcoords", Patched(Good, 8, -7), true, "negative texture coordinate count -7"},
        {"huge_triangles", Patched(Good, 4, INT32_MAX), true, "ends inside the triangles"},
        {"huge_texcoords", Patched(Good, 8, INT32_MAX), true,
         "ends inside the texture coordinates"},
        {"huge_vertices", Patched(Good, 0, INT32_MAX), true, "ends inside the vertex positions"},
        {"truncated_positions", Truncated(Good, 95), true, "ends inside the vertex positions"},
        {"missing_normals", Good, false, "ends inside the vertex normals"},
        {"vertex_index_too_big", Patched(Good, 12 + 4, 3), true, "triangle 0 uses vertex 3 of 3"},
        {"vertex_index_negative", Patched(Good, 12, -1), true, "triangle 0 uses vertex -1"},
        {"texcoord_index_too_big", Patched(Good, 48 + 8, 3), true,
         "triangle 0 uses texture coordinate 3 of 3"},
        {"nan_position", Patched(Good, 60 + 12, std::bit_cast<int32_t>(NaN)), true,
         "vertex positions: entry 1 is not a finite number"},
        {"infinite_texcoord", Patched(Good, 24 + 4, std::bit_cast<int32_t>(-Inf)), true,
         "texture coordinates: entry 0 is not a finite number"},
        {"nan_normal", Patched(Bytes(WithNormals), 96 + 32, std::bit_cast<int32_t>(NaN)), false,
         "vertex normals: entry 2 is not a finite number"},
        {"no_texcoords", Truncated(Patched(Good, 8, 0), 12), true,
         "triangles but no texture coordinates"},
    };
}

} // namespace

TEST_F(MeshTest, EveryKindOfBadFileIsRefusedNamingFileAndFaultAndLeavesTheMeshEmpty) {
    for (const TBadFile& Bad : BadFiles()) {
        SCOPED_TRACE(Bad.Name);
        TMesh M = Loaded(Cube().Data);
        M.SetTexture("data\\textures\\objects\\cube.jpg");
        const int Handle = M.Texture;
        const std::string File = Folder.Write(std::string(Bad.Name) + ".mdl", Bad.Bytes);
        try {
            M.Load(File, Bad.ComputeNormals);
            ADD_FAILURE() << "loaded";
        } catch (const TFileError& Error) {
            const std::string Message = Error.what();
            EXPECT_EQ(Message.rfind(File + ": ", 0), 0u) << Message;
            EXPECT_NE(Message.find(Bad.Fault), std::string::npos) << Message;
            EXPECT_EQ(Message.find('\n'), std::string::npos) << Message;
        }
        ExpectEmpty(M);
        EXPECT_TRUE(Engine.TextureLog[size_t(Handle) - 1].Freed);
    }
}

TEST_F(MeshTest, MissingFileIsRefusedNamingIt) {
    TMesh M = Loaded(SingleTriangle());
    const std::string File = (Folder.Path / "absent.mdl").string();
    try {
        M.Load(File, true);
        ADD_FAILURE() << "loaded";
    } catch (const TFileError& Error) {
        EXPECT_NE(std::string(Error.what()).find(File), std::string::npos) << Error.what();
    }
    ExpectEmpty(M);
}

TEST_F(MeshTest, ModelWithoutTrianglesNeedsNoTextureCoordinates) {
    TMdlData D;
    D.Vertices = {{1, 2, 3}};
    const TMesh M = Loaded(D);
    EXPECT_EQ(M.VertexCount, 0); // no triangle uses the vertex
    EXPECT_EQ(M.FaceCount, 0);
}

// --- Normals ----------------------------------------------------------------------------------

TEST_F(MeshTest, SingleTriangleVerticesGetItsUnitNormal) {
    const TMesh M = Loaded(SingleTriangle());
    ASSERT_EQ(M.VertexCount, 3);
    for (const TVec3& N : M.Normals)
        EXPECT_TRUE(VecEqual(N, Vec3(0, 0, 1)));
}

TEST_F(MeshTest, ComputedNormalsAreSumsOfUnitNormalsNotNormalised) {
    // A square of two coplanar triangles, and a third one hanging down from the edge 1-2.
    TMdlData D;
    D.Vertices = {{0, 0, 0}, {3, 0, 0}, {0, 3, 0}, {3, 3, 0}, {0, 0, -3}};
    D.Faces = {Face(0, 1, 2), Face(2, 1, 3), Face(2, 1, 4)};
    D.TexCoords = {{0, 0}};
    D.FaceTexCoords = {Face(0, 0, 0), Face(0, 0, 0), Face(0, 0, 0)};
    TMesh M;
    M.Vertices = D.Vertices;
    M.Faces = D.Faces;
    M.CalcNormals();
    ASSERT_EQ(M.Normals.size(), 5u);
    const float Third = float(1 / std::sqrt(3.0));
    ExpectVec(M.Normals[0], 0, 0, 1);
    ExpectVec(M.Normals[3], 0, 0, 1);
    // Vertices 1 and 2: the square's two unit normals plus the third triangle's (1, 1, -1) /
    // sqrt 3.
    ExpectVec(M.Normals[1], Third, Third, 2 - Third);
    ExpectVec(M.Normals[2], Third, Third, 2 - Third);
    ExpectVec(M.Normals[4], Third, Third, -Third);
}

TEST_F(MeshTest, ZeroAreaTriangleContributesNothingToItsNeighbours) {
    TMdlData D = SingleTriangle();
    D.Vertices.push_back({8, 0, 0}); // on the line through 0 and 1
    D.Faces.push_back(Face(0, 1, 3));
    D.FaceTexCoords.push_back(Face(0, 1, 2));
    D.Faces.push_back(Face(2, 2, 2)); // a single point
    D.FaceTexCoords.push_back(Face(2, 2, 2));
    const TMesh M = Loaded(D);
    ASSERT_EQ(M.VertexCount, 4);
    EXPECT_TRUE(VecEqual(M.Normals[0], Vec3(0, 0, 1)));
    EXPECT_TRUE(VecEqual(M.Normals[1], Vec3(0, 0, 1)));
    EXPECT_TRUE(VecEqual(M.Normals[2], Vec3(0, 0, 1)));
    EXPECT_TRUE(VecEqual(M.Normals[3], Vec3(0, 0, 0)));
}

TEST_F(MeshTest, StoredNormalsComeThroughExactly) {
    TMdlData D = SingleTriangle();
    D.Normals = {{7, -3, 0.1f}, {0, 0, 0}, {-1e-30f, 2, 3}};
    const TMesh M = Loaded(D, false);
    ASSERT_EQ(M.VertexCount, 3);
    for (int I = 0; I < 3; ++I)
        EXPECT_TRUE(SameBits(M.Normals[size_t(I)], D.Normals[size_t(I)]));
}

// --- Welding ----------------------------------------------------------------------------------

TEST_F(MeshTest, TextureSeamSplitsAPositionThatKeepsOneNormal) {
    // Two triangles folded along the edge 1-2; the second uses other texture coordinates there.
    TMdlData D;
    D.Vertices = {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {2, 2, 1}};
    D.Faces = {Face(0, 1, 2), Face(2, 1, 3)};
    D.TexCoords = {{0, 0}, {0.5f, 0}, {0, 0.5f}, {1, 0.5f}, {0.5f, 1}, {1, 1}};
    D.FaceTexCoords = {Face(0, 1, 2), Face(3, 4, 5)};
    const TMesh M = Loaded(D);
    ASSERT_EQ(M.VertexCount, 6);
    ExpectCornersKept(D, M);
    // The file vertices 1 and 2 each became two vertices with the same normal, the sum over both
    // triangles.
    EXPECT_TRUE(SameBits(M.Normals[1], M.Normals[4]));
    EXPECT_TRUE(SameBits(M.Normals[2], M.Normals[3]));
    EXPECT_GT(M.Normals[1].z, 1.5f);
    EXPECT_LT(M.Normals[1].x, -0.1f);
}

TEST_F(MeshTest, DuplicateVerticesMergeTakingTheFirstCornersNormal) {
    TMdlData D = SingleTriangle();
    D.Vertices.push_back(D.Vertices[0]); // 3 repeats 0
    D.Faces = {Face(3, 1, 2), Face(0, 2, 1)};
    D.FaceTexCoords = {Face(0, 1, 2), Face(0, 2, 1)};
    D.Normals = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {5, 5, 5}};
    const TMesh M = Loaded(D, false);
    ASSERT_EQ(M.VertexCount, 3);
    ExpectCornersKept(D, M);
    EXPECT_TRUE(VecEqual(M.Normals[0], Vec3(5, 5, 5))); // the normal of file vertex 3
    EXPECT_EQ(M.Faces[1].V[0], 0);
}

TEST_F(MeshTest, CubeWeldsIntoTwentyFourVerticesWithTheirFileVertexNormals) {
    const TCube C = Cube();
    const TMesh M = Loaded(C.Data);
    ASSERT_EQ(M.VertexCount, 24);
    ExpectCornersKept(C.Data, M);
    // The normal of a file vertex: the sum of the normals of the triangles touching it.
    std::vector<TVec3> Expected(8);
    for (size_t F = 0; F < C.Data.Faces.size(); ++F)
        for (int32_t I : C.Data.Faces[F].V)
            Expected[size_t(I)] = VecAdd(Expected[size_t(I)], C.FaceNormals[F]);
    for (size_t F = 0; F < C.Data.Faces.size(); ++F)
        for (int Corner = 0; Corner < 3; ++Corner) {
            const TVec3& E = Expected[size_t(C.Data.Faces[F].V[Corner])];
            ExpectVec(M.Normals[size_t(M.Faces[F].V[Corner])], E.x, E.y, E.z);
        }
}

TEST_F(MeshTest, NegativeZeroEqualsPositiveZero) {
    TMdlData D;
    D.Vertices = {{-0.0f, 1, 0}, {1, 0, 0}, {0, 1, -0.0f}, {1, -0.0f, 0}};
    D.TexCoords = {{-0.0f, 0.5f}, {0, 0.5f}, {1, 0}, {1, -0.0f}};
    D.Faces = {Face(0, 1, 3), Face(2, 3, 1)};
    D.FaceTexCoords = {Face(0, 2, 3), Face(1, 2, 3)};
    D.Normals = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 1}};
    const TMesh M = Loaded(D, false);
    // (-0, 1, 0) / (-0, 0.5) meets (0, 1, -0) / (0, 0.5); (1, 0, 0) / (1, 0) meets (1, -0, 0) / (1,
    // -0).
    ASSERT_EQ(M.VertexCount, 2);
    ExpectCornersKept(D, M);
    EXPECT_TRUE(std::signbit(M.Vertices[0].x)); // the first corner's own numbers are kept
    EXPECT_TRUE(VecEqual(M.Normals[0], Vec3(1, 0, 0)));
}

TEST_F(MeshTest, VerticesComeInOrderOfFirstUseAndUnusedOnesVanish) {
    TMdlData D;
    D.Vertices = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}};
    D.Normals = {{0, 0, 0}, {0, 0, 1}, {0, 0, 2}, {0, 0, 3}, {0, 0, 4}};
    D.Faces = {Face(4, 2, 0), Face(1, 2, 4)};
    D.TexCoords = {{0, 0}};
    D.FaceTexCoords = {Face(0, 0, 0), Face(0, 0, 0)};
    const TMesh M = Loaded(D, false);
    ASSERT_EQ(M.VertexCount, 4);
    const float Order[4] = {4, 2, 0, 1};
    for (int I = 0; I < 4; ++I) {
        EXPECT_EQ(M.Vertices[size_t(I)].x, Order[I]);
        EXPECT_EQ(M.Normals[size_t(I)].z, Order[I]);
    }
    EXPECT_EQ(M.Faces[0].V[0], 0);
    EXPECT_EQ(M.Faces[0].V[1], 1);
    EXPECT_EQ(M.Faces[0].V[2], 2);
    EXPECT_EQ(M.Faces[1].V[0], 3);
    EXPECT_EQ(M.Faces[1].V[1], 1);
    EXPECT_EQ(M.Faces[1].V[2], 0);
    EXPECT_EQ(M.TexCoordCount, 1); // the file's count stays
}

TEST_F(MeshTest, WeldMatchesTheCornerByCornerSearchOnAMeshFullOfRepeats) {
    // Positions and texture coordinates drawn from small sets (zeros of both signs among them), so
    // most corners meet an earlier vertex; the result must be the linear search's to the bit.
    TMdlData D;
    uint32_t Seed = 12345;
    auto Next = [&Seed](uint32_t Range) {
        Seed = Seed * 1103515245u + 12345u;
        return (Seed >> 16) % Range;
    };
    const float Values[4] = {0.0f, -0.0f, 0.5f, 1};
    for (int I = 0; I < 60; ++I) {
        D.Vertices.push_back(Vec3(Values[Next(4)], Values[Next(4)], Values[Next(2)]));
        D.Normals.push_back(Vec3(float(I), float(Next(100)), 1));
    }
    for (int I = 0; I < 8; ++I)
        D.TexCoords.push_back({Values[Next(4)], Values[Next(3)]});
    for (int F = 0; F < 400; ++F) {
        D.Faces.push_back(Face(int32_t(Next(60)), int32_t(Next(60)), int32_t(Next(60))));
        D.FaceTexCoords.push_back(Face(int32_t(Next(8)), int32_t(Next(8)), int32_t(Next(8))));
    }
    std::vector<TVec3> P, N;
    std::vector<TTexCoord> T;
    std::vector<int32_t> Corners;
    for (size_t F = 0; F < D.Faces.size(); ++F)
        for (int C = 0; C < 3; ++C) {
            const TVec3& Pos = D.Vertices[size_t(D.Faces[F].V[C])];
            const TTexCoord& Tex = D.TexCoords[size_t(D.FaceTexCoords[F].V[C])];
            size_t I = 0;
            while (I < P.size() && !(VecEqual(P[I], Pos) && T[I].u == Tex.u && T[I].v == Tex.v))
                ++I;
            if (I == P.size()) {
                P.push_back(Pos);
                N.push_back(D.Normals[size_t(D.Faces[F].V[C])]);
                T.push_back(Tex);
            }
            Corners.push_back(int32_t(I));
        }
    const TMesh M = Loaded(D, false);
    ASSERT_EQ(M.VertexCount, int32_t(P.size()));
    for (size_t I = 0; I < P.size(); ++I) {
        EXPECT_TRUE(SameBits(M.Vertices[I], P[I]));
        EXPECT_TRUE(SameBits(M.Normals[I], N[I]));
        EXPECT_TRUE(SameBits(M.TexCoords[I], T[I]));
    }
    for (size_t K = 0; K < Corners.size(); ++K)
        EXPECT_EQ(M.Faces[K / 3].V[K % 3], Corners[K]);
}

TEST_F(MeshTest, NaNCornersNeverMerge) {
    // Loading refuses NaNs, but a mesh filled by hand may hold one: like the float comparison, the
    // weld never finds it equal to anything.
    TMesh M;
    const float NaN = std::numeric_limits<float>::quiet_NaN();
    M.Vertices = {{NaN, 0, 0}};
    M.Normals = {{0, 0, 1}};
    M.TexCoords = {{0, 0}};
    M.Faces = {Face(0, 0, 0)};
    M.FaceTexCoords = {Face(0, 0, 0)};
    M.FaceCount = 1;
    M.Weld();
    EXPECT_EQ(M.VertexCount, 3);
}

// A mesh built by hand with no texture coordinates or normals at all welds by position alone; one
// whose face names a vertex it lacks is refused, before anything changes.
TEST_F(MeshTest, MeshWithoutTextureCoordinatesWeldsByPositionAndAMissingVertexIsRefused) {
    TMesh M;
    M.Vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, 0}};
    M.Faces = {Face(0, 1, 2), Face(3, 2, 0)};
    M.FaceCount = 2;
    M.Weld();
    EXPECT_EQ(M.VertexCount, 3);
    EXPECT_EQ(M.Faces[1].V[0], 1);
    ASSERT_EQ(M.TexCoords.size(), 3u);
    EXPECT_EQ(M.TexCoords[2].u, 0);
    EXPECT_TRUE(SameBits(M.Normals[0], TVec3{}));

    M.Faces[1].V[2] = 3;
    EXPECT_THROW(M.Weld(), std::out_of_range);
    EXPECT_EQ(M.VertexCount, 3);
}

// --- Texture ----------------------------------------------------------------------------------

TEST_F(MeshTest, LoadReleasesTheTextureUntilSetTextureIsCalledAgain) {
    TMesh M = Loaded(SingleTriangle());
    EXPECT_FALSE(M.Textured);
    M.SetTexture("data\\textures\\cars\\jeep.jpg");
    EXPECT_TRUE(M.Textured);
    ASSERT_NE(M.Texture, 0);
    EXPECT_EQ(Engine.TextureLog[size_t(M.Texture) - 1].Name, "data\\textures\\cars\\jeep.jpg");
    const int First = M.Texture;

    M.Load(Folder.Write("again.mdl", SerializeMdl(SingleTriangle())), true);
    EXPECT_FALSE(M.Textured);
    EXPECT_EQ(M.Texture, 0);
    EXPECT_TRUE(Engine.TextureLog[size_t(First) - 1].Freed);
    EXPECT_EQ(M.VertexCount, 3);
}

TEST_F(MeshTest, ClearWithoutTextureReleasesNothing) {
    TMesh M = Loaded(SingleTriangle());
    GLStartRecording();
    M.Clear();
    EXPECT_TRUE(GLRecordedCalls().empty());
    ExpectEmpty(M);
}

// The road mesh is rebuilt beside the displayed one and swapped in; its texture stays.
TEST_F(MeshTest, SwapGeometryLeavesEachTextureWhereItWas) {
    const TCube Box = Cube();
    TMesh Shown = Loaded(SingleTriangle());
    Shown.SetTexture("data\\textures\\road.jpg");
    const int Texture = Shown.Texture;
    TMesh Built = Loaded(Box.Data);
    Shown.SwapGeometry(Built);
    EXPECT_EQ(Shown.Texture, Texture);
    EXPECT_TRUE(Shown.Textured);
    EXPECT_EQ(Built.Texture, 0);
    EXPECT_FALSE(Built.Textured);
    ExpectCornersKept(Box.Data, Shown);
    ExpectCornersKept(SingleTriangle(), Built);
    EXPECT_EQ(Shown.TexCoordCount, 24);
    EXPECT_EQ(Shown.FaceTexCoords.size(), 12u);
    EXPECT_EQ(Built.TexCoordCount, 3);
    EXPECT_EQ(Built.FaceTexCoords.size(), 1u);
}

// --- Drawing ----------------------------------------------------------------------------------

namespace {

struct TCall {
    std::string Name;
    std::vector<double> Args;
};

void ExpectCalls(const std::vector<TCall>& Expected) {
    const std::vector<TGLCall>& Calls = GLRecordedCalls();
    ASSERT_EQ(Calls.size(), Expected.size());
    for (size_t I = 0; I < Calls.size(); ++I) {
        EXPECT_EQ(Calls[I].Name, Expected[I].Name) << "call " << I;
        EXPECT_EQ(Calls[I].Args, Expected[I].Args) << "call " << Calls[I].Name;
    }
}

} // namespace

TEST_F(MeshTest, FileWithoutTrianglesLoadsEmptyAndDrawsNothingAtAll) {
    TMdlData D = SingleTriangle();
    D.Faces.clear();
    D.FaceTexCoords.clear();
    TMesh M = Loaded(D);
    EXPECT_EQ(M.VertexCount, 0);
    EXPECT_TRUE(M.Vertices.empty() && M.Normals.empty() && M.TexCoords.empty());
    M.SetTexture("data\\textures\\objects\\cube.jpg");
    GLStartRecording();
    M.Draw();
    EXPECT_TRUE(GLRecordedCalls().empty());
}

TEST_F(MeshTest, TexturedMeshDrawsWithThreeArraysAndOneIndexedCall) {
    TMesh M = Loaded(Cube().Data);
    M.SetTexture("data\\textures\\objects\\cube.jpg");
    GLStartRecording();
    M.Draw();
    ExpectCalls({{"Textures.Enable", {double(M.Texture), 0}},
                 {"EnableClientState", {GL_VERTEX_ARRAY}},
                 {"EnableClientState", {GL_NORMAL_ARRAY}},
                 {"EnableClientState", {GL_TEXTURE_COORD_ARRAY}},
                 {"TexCoordPointer", {2, GL_FLOAT, 0, 0}},
                 {"VertexPointer", {3, GL_FLOAT, 0, 0}},
                 {"NormalPointer", {GL_FLOAT, 0, 0}},
                 {"DrawElements", {GL_TRIANGLES, 36, GL_UNSIGNED_INT, 0}},
                 {"DisableClientState", {GL_VERTEX_ARRAY}},
                 {"DisableClientState", {GL_NORMAL_ARRAY}},
                 {"DisableClientState", {GL_TEXTURE_COORD_ARRAY}},
                 {"Textures.Disable", {0}}});
}

TEST_F(MeshTest, UntexturedMeshTurnsTexturingOffAndLeavesItOff) {
    TMesh M = Loaded(SingleTriangle());
    GLStartRecording();
    M.Draw();
    ExpectCalls({{"Disable", {GL_TEXTURE_2D}},
                 {"EnableClientState", {GL_VERTEX_ARRAY}},
                 {"EnableClientState", {GL_NORMAL_ARRAY}},
                 {"VertexPointer", {3, GL_FLOAT, 0, 0}},
                 {"NormalPointer", {GL_FLOAT, 0, 0}},
                 {"DrawElements", {GL_TRIANGLES, 3, GL_UNSIGNED_INT, 0}},
                 {"DisableClientState", {GL_VERTEX_ARRAY}},
                 {"DisableClientState", {GL_NORMAL_ARRAY}}});
}

namespace {
const void* SeenVertices;
const void* SeenNormals;
const void* SeenTexCoords;
const void* SeenIndices;
} // namespace

TEST_F(MeshTest, DrawHandsItsOwnListsToOpenGL) {
    TMesh M = Loaded(Cube().Data);
    M.SetTexture("data\\textures\\objects\\cube.jpg");
    GL.VertexPointer = [](GLint, GLenum, GLsizei, const void* P) { SeenVertices = P; };
    GL.NormalPointer = [](GLenum, GLsizei, const void* P) { SeenNormals = P; };
    GL.TexCoordPointer = [](GLint, GLenum, GLsizei, const void* P) { SeenTexCoords = P; };
    GL.DrawElements = [](GLenum, GLsizei, GLenum, const void* P) { SeenIndices = P; };
    M.Draw();
    EXPECT_EQ(SeenVertices, M.Vertices.data());
    EXPECT_EQ(SeenNormals, M.Normals.data());
    EXPECT_EQ(SeenTexCoords, M.TexCoords.data());
    EXPECT_EQ(SeenIndices, M.Faces.data());
}
