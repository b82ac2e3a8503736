#include "world/EdgeIndex.h"

#include "world/dMap.h"

#include <algorithm>
#include <cmath>

namespace {

// The index never uses cells smaller than this, nor more than this many across the track.
constexpr double MIN_CELL = 64;
constexpr double MAX_CELLS_PER_AXIS = 256;
// A track whose edges would fill more cell entries than this gets coarser cells instead.
constexpr int64_t MAX_ENTRIES = int64_t(1) << 22;
// Each edge's box is widened by a unit more than the reach promised, so that no rounding of a
// coordinate near a cell border can leave an edge out.
constexpr double WIDENING = double(TEdgeIndex::REACH) + 1;

} // namespace

// A point's cell and an edge's cell range come from the same monotonic expression, so a point
// inside an edge's widened box always lands in one of that edge's cells.
void TEdgeIndex::Build(const std::vector<TRoadEdge>& Edges) {
    *this = TEdgeIndex{};

    struct TBox {
        double X0, Y0, X1, Y1; // widened
    };
    std::vector<TBox> Boxes(Edges.size());
    std::vector<bool> Indexed(Edges.size());
    double MinX = INFINITY, MinY = INFINITY, MaxX = -INFINITY, MaxY = -INFINITY;
    for (size_t J = 0; J < Edges.size(); ++J) {
        const TVec3& A = Edges[J].A;
        const TVec3& B = Edges[J].B;
        if (!VecIsFinite(A) || !VecIsFinite(B)) continue;
        Indexed[J] = true;
        Boxes[J] = {double(std::min(A.x, B.x)) - WIDENING, double(std::min(A.y, B.y)) - WIDENING,
                    double(std::max(A.x, B.x)) + WIDENING, double(std::max(A.y, B.y)) + WIDENING};
        MinX = std::min(MinX, Boxes[J].X0);
        MinY = std::min(MinY, Boxes[J].Y0);
        MaxX = std::max(MaxX, Boxes[J].X1);
        MaxY = std::max(MaxY, Boxes[J].Y1);
    }
    if (MinX > MaxX) return; // nothing to index

    OriginX = MinX;
    OriginY = MinY;
    const double ExtentX = MaxX - MinX;
    const double ExtentY = MaxY - MinY;
    CellSize = std::max(MIN_CELL, std::max(ExtentX, ExtentY) / MAX_CELLS_PER_AXIS);
    const auto Cell = [&](double V, double Origin, int32_t Count) {
        const double C = std::floor((V - Origin) / CellSize);
        return int32_t(std::clamp(C, 0.0, double(Count - 1)));
    };
    struct TCells {
        int32_t C0, C1, R0, R1; // inclusive
    };
    const auto CellsOf = [&](size_t J) {
        return TCells{Cell(Boxes[J].X0, MinX, Columns), Cell(Boxes[J].X1, MinX, Columns),
                      Cell(Boxes[J].Y0, MinY, Rows), Cell(Boxes[J].Y1, MinY, Rows)};
    };
    const auto CountEntries = [&] {
        int64_t Count = 0;
        for (size_t J = 0; J < Edges.size(); ++J)
            if (Indexed[J]) {
                const TCells G = CellsOf(J);
                Count += int64_t(G.C1 - G.C0 + 1) * (G.R1 - G.R0 + 1);
            }
        return Count;
    };
    for (;;) {
        Columns = int32_t(std::floor(ExtentX / CellSize)) + 1;
        Rows = int32_t(std::floor(ExtentY / CellSize)) + 1;
        if ((Columns == 1 && Rows == 1) || CountEntries() <= MAX_ENTRIES) break;
        CellSize *= 2; // long diagonal edges: coarser cells until the entries fit
    }

    const size_t Cells = size_t(Columns) * size_t(Rows);
    CellStart.assign(Cells + 1, 0);
    const auto ForEachCell = [&](size_t J, auto&& Visit) {
        const TCells G = CellsOf(J);
        for (int32_t R = G.R0; R <= G.R1; ++R)
            for (int32_t C = G.C0; C <= G.C1; ++C)
                Visit(size_t(R) * size_t(Columns) + size_t(C));
    };
    for (size_t J = 0; J < Edges.size(); ++J)
        if (Indexed[J]) ForEachCell(J, [&](size_t I) { ++CellStart[I + 1]; });
    for (size_t I = 0; I < Cells; ++I)
        CellStart[I + 1] += CellStart[I];
    Entries.resize(size_t(CellStart[Cells]));
    std::vector<int32_t> Fill(CellStart.begin(), CellStart.end() - 1);
    // Edges in increasing order, so every cell's list is increasing.
    for (size_t J = 0; J < Edges.size(); ++J)
        if (Indexed[J]) ForEachCell(J, [&](size_t I) { Entries[size_t(Fill[I]++)] = int32_t(J); });
}

std::span<const int32_t> TEdgeIndex::Near(float X, float Y) const {
    if (CellStart.empty()) return {};
    const double C = std::floor((double(X) - OriginX) / CellSize);
    const double R = std::floor((double(Y) - OriginY) / CellSize);
    // Outside the grid (or not a number): outside every edge's widened box.
    if (!(C >= 0 && C < Columns && R >= 0 && R < Rows)) return {};
    const size_t I = size_t(R) * size_t(Columns) + size_t(C);
    return {Entries.data() + CellStart[I], Entries.data() + CellStart[I + 1]};
}
