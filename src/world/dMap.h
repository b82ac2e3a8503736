#pragma once
// The one track: a closed loop of centre-line points with half-widths, a lap count, a start point
// and the desk objects around the road, loaded from a .map file; plus what the track builder
// derives from it (side vectors, road edges, start flags, road mesh) and its drawing.
//
// .map, little-endian, no signature: int32 N, M, StartPoint, LapCount; N x (x, y, z, HalfWidth)
// floats; M x (x, y, z, Angle floats, Kind int32). Bytes after the objects are ignored.

#include "math/dMath.h"
#include "models/Assets.h"
#include "world/EdgeIndex.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class TMesh;

struct TRoadPoint {
    TVec3 Pos;
    TVec3 Side; // unit, towards the road's left edge; derived
    float HalfWidth = 0;
};

struct TRoadEdge {
    TVec3 A;
    TVec3 B;
    TVec3 Normal; // unit, in the XY plane, pointing into the road
};

struct TDeskObject {
    TVec3 Pos;
    float Angle = 0;  // degrees about the height axis
    int32_t Kind = 0; // index into ObjectMeshes
};

// The contents of a .map file, as stored. The one definition of the format: the game's loader and
// the content generator's writer both go through ParseMap / SerializeMap.
struct TMapData {
    int32_t StartPoint = 0;
    int32_t LapCount = 0;
    std::vector<TRoadPoint> Points; // Pos and HalfWidth; Side is not stored
    std::vector<TDeskObject> Objects;
};

// Parses and validates the bytes of a .map file (world/dMapFile.cpp); throws TFileError naming
// FileName and the fault.
TMapData ParseMap(const std::vector<uint8_t>& Bytes, const std::string& FileName);
std::vector<uint8_t> SerializeMap(const TMapData& Data);

// One desk object as the track draws it, with its ObjectMeshes model (world/dMapDraw.cpp); lighting
// is left on.
void DrawDeskObject(const TDeskObject& Object);

class TMap {
public:
    int32_t PointCount = 0;  // the file's points + the closing copy of point 0
    int32_t ObjectCount = 0; // the file's objects + the two start flags
    TMesh* RoadMesh = nullptr;
    int TableTexture = 0;
    int32_t TableScale = 512;
    int32_t RoadScale = 512;
    int32_t LapCount = 0;
    std::vector<TRoadPoint> Points;
    // 2 per road segment: [2k] left, [2k + 1] right (stored backwards)
    std::vector<TRoadEdge> Edges;
    std::vector<TDeskObject> Objects;
    int32_t StartPoint = 0;

    TMap();
    ~TMap();
    TMap(const TMap&) = delete;
    TMap& operator=(const TMap&) = delete;

    // Replaces the track with the file's and derives everything from it. A file that cannot be read
    // or is refused throws TFileError and leaves the map as it was.
    void LoadFromFile(const std::string& FileName);
    // The same for a file's bytes already in memory; FileName only names it in the faults.
    void LoadFromBytes(const std::vector<uint8_t>& Bytes, const std::string& FileName);
    // Safe on any track: one of fewer than three points (the closing copy included) gets no edges
    // and no flags, and a start point without edges no flags.
    void BuildEdges();
    void PlaceStartFlags();
    void BuildRoadMesh();

    // Drawing (world/dMapDraw.cpp): road, desk objects near the camera, desk surface.
    void Draw();
    void DrawRoad(); // unlit, in white
    void DrawTable();
    bool IsVisible(const TDeskObject& Object) const;
    static float DistSqrXY(const TVec3& A, const TVec3& B);

    // Edge lookup for the car collisions, built at load: see TEdgeIndex::Near.
    static constexpr float EDGE_INDEX_REACH = TEdgeIndex::REACH;
    std::span<const int32_t> EdgesNear(float X, float Y) const { return EdgeIndex.Near(X, Y); }
    // The collision code walks EdgesNear when true, every edge when false (the two give identical
    // races; the switch is for the test that proves it and for the benchmark).
    bool UseEdgeIndex = true;

private:
    struct TUnloaded {};
    // An empty track with a road mesh of its own and no textures: where a load is built and
    // checked before it replaces the current track.
    explicit TMap(TUnloaded);
    void Assign(TMapData&& Data);
    void CheckBuilt(const std::string& FileName) const;
    // Exchanges the tracks: what the file held, all that is derived from it and the road mesh's
    // geometry. The settings (UseEdgeIndex, the table, the scales) and the road mesh's texture
    // belong to the displayed map and stay.
    void SwapTrack(TMap& Other);

    TEdgeIndex EdgeIndex;
};
