#pragma once
// Static triangle models with at most one texture: the car bodies, the desk objects and the road
// surface. Loaded from .mdl files (format below), given vertex normals, welded into one vertex list
// shared by positions, normals and texture coordinates, drawn with one indexed call.
//
// .mdl, little-endian, no signature: int32 V, F, T; F x 3 int32 vertex indices; T x (u, v) floats;
// F x 3 int32 texture-coordinate indices; V x (x, y, z) floats; V x (x, y, z) normal floats (read
// only when the normals are not computed). Bytes after the last block read are ignored.

#include "math/dMath.h"

#include <cstdint>
#include <string>
#include <vector>

struct TFace {
    int32_t V[3];
};

struct TTexCoord {
    float u = 0;
    float v = 0;
};

// The contents of a .mdl file, as stored. The one definition of the format: the game's loader and
// the content generator's writer both go through ParseMdl / SerializeMdl.
struct TMdlData {
    std::vector<TFace> Faces;
    std::vector<TTexCoord> TexCoords;
    std::vector<TFace> FaceTexCoords;
    std::vector<TVec3> Vertices;
    std::vector<TVec3> Normals; // empty when the file's normals were not read
};

// Parses and validates the bytes of a .mdl file; throws TFileError naming FileName and the fault
// (negative counts, counts beyond the file's size, indices out of range, NaN or infinite numbers).
// With ReadNormals false the normal block is neither required nor read.
TMdlData ParseMdl(const std::vector<uint8_t>& Bytes, const std::string& FileName, bool ReadNormals);
// The bytes of a .mdl file; the normal block is written only when Data.Normals is not empty.
std::vector<uint8_t> SerializeMdl(const TMdlData& Data);

class TMesh {
public:
    // A field added here belongs in SwapGeometry (unless it is the texture's) and in Clear.
    int Texture = 0; // texture handle, 0 while none has been loaded
    int32_t VertexCount = 0;
    int32_t TexCoordCount = 0; // as in the file; stale after welding
    int32_t FaceCount = 0;
    bool Textured = false;
    std::vector<TVec3> Vertices;
    std::vector<TVec3> Normals;
    std::vector<TFace> Faces;
    std::vector<TTexCoord> TexCoords;
    std::vector<TFace>
        FaceTexCoords; // indices into the file's texture coordinates; stale after welding

    TMesh() = default;
    virtual ~TMesh() = default;

    // Replaces the contents with the model in the file, then welds. A file that cannot be read or
    // is refused throws TFileError and leaves the mesh empty.
    void Load(const std::string& FileName, bool ComputeNormals);
    // The same for a file's bytes already in memory; FileName only names it in the faults.
    void Load(const std::vector<uint8_t>& Bytes, const std::string& FileName, bool ComputeNormals);
    // Textured := true, then the handle of Textures->Load(FileName, 0, 1, 0).
    void SetTexture(const std::string& FileName);
    // Exchanges everything but the texture (Texture, Textured) with Other.
    void SwapGeometry(TMesh& Other);
    // Empties the lists and counts, releases the texture if there is one, Textured := false.
    void Clear();
    // Normals[i] := sum of the unit normals of the triangles using vertex i (not normalised).
    void CalcNormals();
    // One vertex per distinct (position, texture coordinate) pair, in order of first use.
    virtual void Weld();
    // Draws in the current model-view transformation (models/dMeshesDraw.cpp); nothing at all when
    // VertexCount is 0.
    virtual void Draw();

private:
    // Takes the parsed file's geometry, gives it normals and welds.
    void Assign(TMdlData&& Data, bool ComputeNormals);
};
