#include "models/dMeshes.h"

#include "app/variables.h"
#include "engine/Files.h"

#include <bit>
#include <cmath>
#include <stdexcept>
#include <unordered_map>
#include <utility>

namespace {

constexpr size_t MDL_FACE_BYTES = 12;     // three int32 indices
constexpr size_t MDL_TEX_COORD_BYTES = 8; // u, v
constexpr size_t MDL_VECTOR_BYTES = 12;   // x, y, z

// Reads a .mdl file front to back. Every fault is thrown as a TFileError naming the file, so a bad
// model never reaches the game half-read.
class TMdlReader {
public:
    TMdlReader(const std::vector<uint8_t>& Bytes, const std::string& FileName)
        : Bytes(Bytes), FileName(FileName) {}

    [[noreturn]] void Fail(const std::string& Fault) const {
        throw TFileError(FileName + ": " + Fault);
    }

    int32_t Count(const std::string& What) {
        if (Bytes.size() - Pos < 4) Fail("file ends inside the header");
        const int32_t N = int32_t(Word());
        if (N < 0) Fail("negative " + What + " count " + std::to_string(N));
        return N;
    }

    // Fails unless Count records of RecordBytes each fit in the bytes left; divides rather than
    // multiplies, so no count can overflow the check.
    void Need(int32_t Count, size_t RecordBytes, const std::string& Block) const {
        if (size_t(Count) > (Bytes.size() - Pos) / RecordBytes)
            Fail("file ends inside the " + Block + " (" + std::to_string(Count) + " announced)");
    }

    // Count triangles of three indices, each below Limit.
    std::vector<TFace> Faces(int32_t Count, int32_t Limit, const std::string& Block,
                             const std::string& Target) {
        Need(Count, MDL_FACE_BYTES, Block);
        std::vector<TFace> Result(static_cast<size_t>(Count));
        for (int32_t F = 0; F < Count; ++F)
            for (int32_t& Index : Result[size_t(F)].V) {
                Index = int32_t(Word());
                if (Index < 0 || Index >= Limit)
                    Fail("triangle " + std::to_string(F) + " uses " + Target + " " +
                         std::to_string(Index) + " of " + std::to_string(Limit));
            }
        return Result;
    }

    std::vector<TTexCoord> TexCoords(int32_t Count) {
        const std::string Block = "texture coordinates";
        Need(Count, MDL_TEX_COORD_BYTES, Block);
        std::vector<TTexCoord> Result(static_cast<size_t>(Count));
        for (int32_t I = 0; I < Count; ++I) {
            TTexCoord& T = Result[size_t(I)];
            T.u = Float();
            T.v = Float();
            if (!std::isfinite(T.u) || !std::isfinite(T.v)) NotFinite(Block, I);
        }
        return Result;
    }

    std::vector<TVec3> Vectors(int32_t Count, const std::string& Block) {
        Need(Count, MDL_VECTOR_BYTES, Block);
        std::vector<TVec3> Result(static_cast<size_t>(Count));
        for (int32_t I = 0; I < Count; ++I) {
            TVec3& V = Result[size_t(I)];
            V.x = Float();
            V.y = Float();
            V.z = Float();
            if (!VecIsFinite(V)) NotFinite(Block, I);
        }
        return Result;
    }

private:
    [[noreturn]] void NotFinite(const std::string& Block, int32_t Index) const {
        Fail(Block + ": entry " + std::to_string(Index) + " is not a finite number");
    }

    // The caller has checked that four bytes are left.
    uint32_t Word() {
        const uint32_t W = ReadWordLE(Bytes.data() + Pos);
        Pos += 4;
        return W;
    }
    float Float() { return std::bit_cast<float>(Word()); }

    const std::vector<uint8_t>& Bytes;
    const std::string& FileName;
    size_t Pos = 0;
};

class TMdlWriter {
public:
    void Int(int32_t N) { AppendWordLE(Bytes, uint32_t(N)); }
    void Float(float X) { AppendWordLE(Bytes, std::bit_cast<uint32_t>(X)); }
    void Faces(const std::vector<TFace>& List) {
        for (const TFace& F : List)
            for (int32_t Index : F.V)
                Int(Index);
    }
    void Vectors(const std::vector<TVec3>& List) {
        for (const TVec3& V : List) {
            Float(V.x);
            Float(V.y);
            Float(V.z);
        }
    }
    std::vector<uint8_t> Bytes;
};

int32_t CountOf(size_t Size, const char* What) {
    if (Size > size_t(INT32_MAX)) throw std::invalid_argument(std::string("too many ") + What);
    return int32_t(Size);
}

// Welding compares positions and texture coordinates as floats, so the key holds their exact bits
// with -0 read as +0 (the two compare equal). A NaN equals nothing and never gets a key.
struct TWeldKey {
    uint32_t Bits[5];
    bool operator==(const TWeldKey&) const = default;
};

uint32_t KeyBits(float X) {
    return std::bit_cast<uint32_t>(X == 0 ? 0.0f : X);
}

TWeldKey WeldKey(const TVec3& P, const TTexCoord& T) {
    return {{KeyBits(P.x), KeyBits(P.y), KeyBits(P.z), KeyBits(T.u), KeyBits(T.v)}};
}

bool Comparable(const TVec3& P, const TTexCoord& T) {
    return !(std::isnan(P.x) || std::isnan(P.y) || std::isnan(P.z) || std::isnan(T.u) ||
             std::isnan(T.v));
}

struct TWeldKeyHash {
    size_t operator()(const TWeldKey& K) const {
        uint64_t H = 0;
        for (uint32_t B : K.Bits)
            H = (H ^ B) * 0x9E3779B97F4A7C15u;
        return size_t(H ^ H >> 29);
    }
};

} // namespace

TMdlData ParseMdl(const std::vector<uint8_t>& Bytes, const std::string& FileName,
                  bool ReadNormals) {
    TMdlReader In(Bytes, FileName);
    const int32_t V = In.Count("vertex");
    const int32_t F = In.Count("triangle");
    const int32_t T = In.Count("texture coordinate");
    // Welding reads a texture coordinate at every corner.
    if (F > 0 && T == 0) In.Fail("triangles but no texture coordinates");

    TMdlData Data;
    Data.Faces = In.Faces(F, V, "triangles", "vertex");
    Data.TexCoords = In.TexCoords(T);
    Data.FaceTexCoords = In.Faces(F, T, "triangle texture indices", "texture coordinate");
    Data.Vertices = In.Vectors(V, "vertex positions");
    if (ReadNormals) Data.Normals = In.Vectors(V, "vertex normals");
    return Data;
}

std::vector<uint8_t> SerializeMdl(const TMdlData& Data) {
    if (Data.FaceTexCoords.size() != Data.Faces.size())
        throw std::invalid_argument("a .mdl needs texture indices for every triangle");
    if (!Data.Normals.empty() && Data.Normals.size() != Data.Vertices.size())
        throw std::invalid_argument("a .mdl needs a normal for every vertex or none");
    TMdlWriter Out;
    Out.Int(CountOf(Data.Vertices.size(), "vertices"));
    Out.Int(CountOf(Data.Faces.size(), "triangles"));
    Out.Int(CountOf(Data.TexCoords.size(), "texture coordinates"));
    Out.Faces(Data.Faces);
    for (const TTexCoord& T : Data.TexCoords) {
        Out.Float(T.u);
        Out.Float(T.v);
    }
    Out.Faces(Data.FaceTexCoords);
    Out.Vectors(Data.Vertices);
    Out.Vectors(Data.Normals);
    return std::move(Out.Bytes);
}

void TMesh::Load(const std::string& FileName, bool ComputeNormals) {
    Clear();
    Assign(ParseMdl(ReadWholeFile(FileName), FileName, !ComputeNormals), ComputeNormals);
}

void TMesh::Load(const std::vector<uint8_t>& Bytes, const std::string& FileName,
                 bool ComputeNormals) {
    Clear();
    Assign(ParseMdl(Bytes, FileName, !ComputeNormals), ComputeNormals);
}

void TMesh::Assign(TMdlData&& Data, bool ComputeNormals) {
    VertexCount = int32_t(Data.Vertices.size());
    FaceCount = int32_t(Data.Faces.size());
    TexCoordCount = int32_t(Data.TexCoords.size());
    Vertices = std::move(Data.Vertices);
    Faces = std::move(Data.Faces);
    TexCoords = std::move(Data.TexCoords);
    FaceTexCoords = std::move(Data.FaceTexCoords);
    if (ComputeNormals)
        CalcNormals();
    else
        Normals = std::move(Data.Normals);
    Weld();
}

void TMesh::SetTexture(const std::string& FileName) {
    Textured = true;
    Texture = Textures->Load(FileName, 0, 1, 0);
}

void TMesh::SwapGeometry(TMesh& Other) {
    std::swap(VertexCount, Other.VertexCount);
    std::swap(TexCoordCount, Other.TexCoordCount);
    std::swap(FaceCount, Other.FaceCount);
    Vertices.swap(Other.Vertices);
    Normals.swap(Other.Normals);
    Faces.swap(Other.Faces);
    TexCoords.swap(Other.TexCoords);
    FaceTexCoords.swap(Other.FaceTexCoords);
}

void TMesh::Clear() {
    Vertices.clear();
    Normals.clear();
    Faces.clear();
    TexCoords.clear();
    FaceTexCoords.clear();
    VertexCount = TexCoordCount = FaceCount = 0;
    if (Texture != 0) Textures->Free(Texture);
    Texture = 0;
    Textured = false;
}

void TMesh::CalcNormals() {
    Normals.assign(Vertices.size(), TVec3{});
    for (const TFace& F : Faces) {
        const TVec3& P0 = Vertices[size_t(F.V[0])];
        const TVec3& P1 = Vertices[size_t(F.V[1])];
        const TVec3& P2 = Vertices[size_t(F.V[2])];
        const TVec3 Unit = VecNormalize(VecCross(VecSub(P0, P1), VecSub(P0, P2)));
        // A triangle without area has no direction; its NaNs would spoil every neighbour's normal.
        if (!VecIsFinite(Unit)) continue;
        for (int32_t I : F.V)
            Normals[size_t(I)] = VecAdd(Normals[size_t(I)], Unit);
    }
}

void TMesh::Weld() {
    // A corner's texture coordinate is the one its face's texture index names where the mesh has
    // one for that face (a loaded model has one for every face), else its vertex's own (a mesh
    // built with one per vertex, as the road is); one out of range is (0, 0), and so is a missing
    // normal. A corner naming no vertex is refused.
    for (const TFace& Face : Faces)
        for (const int32_t Corner : Face.V)
            if (Corner < 0 || size_t(Corner) >= Vertices.size())
                throw std::out_of_range("TMesh::Weld: a face names vertex " +
                                        std::to_string(Corner) + " of " +
                                        std::to_string(Vertices.size()));
    const auto TexCoordAt = [&](size_t F, int C, int32_t Corner) {
        const size_t T = F < FaceTexCoords.size() ? size_t(FaceTexCoords[F].V[C]) : size_t(Corner);
        return T < TexCoords.size() ? TexCoords[T] : TTexCoord{};
    };
    std::vector<TVec3> WeldedVertices, WeldedNormals;
    std::vector<TTexCoord> WeldedTexCoords;
    std::unordered_map<TWeldKey, int32_t, TWeldKeyHash> Found; // key -> its first vertex
    Found.reserve(Faces.size() * 3);
    for (size_t F = 0; F < Faces.size(); ++F)
        for (int C = 0; C < 3; ++C) {
            int32_t& Corner = Faces[F].V[C];
            const TVec3& P = Vertices[size_t(Corner)];
            const TTexCoord T = TexCoordAt(F, C, Corner);
            int32_t Welded = int32_t(WeldedVertices.size());
            if (Comparable(P, T)) Welded = Found.try_emplace(WeldKey(P, T), Welded).first->second;
            if (Welded == int32_t(WeldedVertices.size())) {
                WeldedVertices.push_back(P);
                WeldedNormals.push_back(size_t(Corner) < Normals.size() ? Normals[size_t(Corner)]
                                                                        : TVec3{});
                WeldedTexCoords.push_back(T);
            }
            Corner = Welded;
        }
    VertexCount = int32_t(WeldedVertices.size());
    Vertices = std::move(WeldedVertices);
    Normals = std::move(WeldedNormals);
    TexCoords = std::move(WeldedTexCoords);
}
