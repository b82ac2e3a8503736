#pragma once
// Which road edges lie near a point of the desk, for the car collisions: a uniform grid over the
// edges' boxes, built once per track.

#include <cstdint>
#include <span>
#include <vector>

struct TRoadEdge;

class TEdgeIndex {
public:
    // The collision code's coarse test radius: what Near promises to cover.
    static constexpr float REACH = 35;

    // Replaces whatever was indexed before. Edges with a coordinate that is not finite are left
    // out: NearSegment is never true for them.
    void Build(const std::vector<TRoadEdge>& Edges);
    // The indices, in increasing order, of every edge whose bounding box widened by REACH may
    // contain the point (X, Y). Every edge for which NearSegment(A, B, (X, Y), Dist, R) with
    // R <= REACH can be true is among them; a point outside all of them gets an empty list.
    std::span<const int32_t> Near(float X, float Y) const;

private:
    // Square cells of CellSize world units from (OriginX, OriginY); cell (c, r),
    // i = r * Columns + c, holds Entries[CellStart[i] .. CellStart[i + 1]).
    double OriginX = 0;
    double OriginY = 0;
    double CellSize = 1;
    int32_t Columns = 0;
    int32_t Rows = 0;
    std::vector<int32_t> CellStart;
    std::vector<int32_t> Entries;
};
