#include "world/dMap.h"

#include "app/variables.h"
#include "engine/Files.h"
#include "models/dMeshes.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr size_t MAP_HEADER_BYTES = 16;
constexpr size_t MAP_POINT_BYTES = 16;
constexpr size_t MAP_OBJECT_BYTES = 20;
// Six road mesh vertices per file point must still be counted in an int32.
constexpr int32_t MAX_ROAD_POINTS = std::numeric_limits<int32_t>::max() / 6;
// The two start flags are added to the file's objects.
constexpr int32_t MAX_DESK_OBJECTS = std::numeric_limits<int32_t>::max() - 2;

// The edge index never uses cells smaller than this, nor more than this many across the track.
constexpr double INDEX_MIN_CELL = 64;
constexpr double INDEX_MAX_CELLS_PER_AXIS = 256;
// A track whose edges would fill more cell entries than this gets coarser cells instead.
constexpr int64_t INDEX_MAX_ENTRIES = int64_t(1) << 22;
// Each edge's box is widened by a unit more than the reach promised, so that no rounding of a
// coordinate near a cell border can leave an edge out.
constexpr double INDEX_WIDENING = double(TMap::EDGE_INDEX_REACH) + 1;

[[noreturn]] void Refuse(const std::string& FileName, const std::string& Fault) {
    throw TFileError(FileName + ": " + Fault);
}

class TMapReader {
public:
    explicit TMapReader(const std::vector<uint8_t>& Bytes) : Bytes(Bytes) {}
    uint32_t Word() {
        const uint32_t W = ReadWordLE(Bytes.data() + At);
        At += 4;
        return W;
    }
    int32_t Int() { return std::bit_cast<int32_t>(Word()); }
    float Float() { return std::bit_cast<float>(Word()); }

private:
    const std::vector<uint8_t>& Bytes;
    size_t At = 0;
};

void PutInt(std::vector<uint8_t>& Out, int32_t V) {
    AppendWordLE(Out, std::bit_cast<uint32_t>(V));
}
void PutFloat(std::vector<uint8_t>& Out, float V) {
    AppendWordLE(Out, std::bit_cast<uint32_t>(V));
}

bool SameSpotXY(const TVec3& A, const TVec3& B) {
    return A.x == B.x && A.y == B.y;
}

// The sum of the perpendiculars of the road arriving at and leaving Pos: the side vector before
// it is normalised.
TVec3 SideSum(const TVec3& Prev, const TVec3& Pos, const TVec3& Next) {
    return VecAdd(Perp2D(Pos, Next), Perp2D(Prev, Pos));
}

// Pos + Side * Width, rounded once per component.
TVec3 Offset(const TVec3& Pos, const TVec3& Side, float Width) {
    return {float(double(Pos.x) + double(Side.x) * Width),
            float(double(Pos.y) + double(Side.y) * Width),
            float(double(Pos.z) + double(Side.z) * Width)};
}

TVec3 Mean(const TVec3& A, const TVec3& B) {
    return {float((double(A.x) + B.x) / 2), float((double(A.y) + B.y) / 2),
            float((double(A.z) + B.z) / 2)};
}

} // namespace

TMapData ParseMap(const std::vector<uint8_t>& Bytes, const std::string& FileName) {
    if (Bytes.size() < MAP_HEADER_BYTES) Refuse(FileName, "file ends inside the header");
    TMapReader In(Bytes);
    const int32_t N = In.Int();
    const int32_t M = In.Int();
    TMapData Data;
    Data.StartPoint = In.Int();
    Data.LapCount = In.Int();
    if (N < 2) Refuse(FileName, "needs at least 2 road points, has " + std::to_string(N));
    if (N > MAX_ROAD_POINTS) Refuse(FileName, "too many road points: " + std::to_string(N));
    if (M < 0) Refuse(FileName, "negative desk object count " + std::to_string(M));
    if (M > MAX_DESK_OBJECTS) Refuse(FileName, "too many desk objects: " + std::to_string(M));
    // Both counts are below 2^31, so these sums cannot overflow 64 bits.
    const uint64_t PointsEnd = MAP_HEADER_BYTES + uint64_t(N) * MAP_POINT_BYTES;
    const uint64_t ObjectsEnd = PointsEnd + uint64_t(M) * MAP_OBJECT_BYTES;
    if (Bytes.size() < PointsEnd) Refuse(FileName, "file ends inside the road points");
    if (Bytes.size() < ObjectsEnd) Refuse(FileName, "file ends inside the desk objects");
    if (Data.StartPoint < 0 || Data.StartPoint >= N)
        Refuse(FileName, "start point " + std::to_string(Data.StartPoint) + " is not one of the " +
                             std::to_string(N) + " road points");

    Data.Points.resize(size_t(N));
    for (int32_t I = 0; I < N; ++I) {
        TRoadPoint& P = Data.Points[size_t(I)];
        P.Pos.x = In.Float();
        P.Pos.y = In.Float();
        P.Pos.z = In.Float();
        P.HalfWidth = In.Float();
        if (!VecIsFinite(P.Pos) || !std::isfinite(P.HalfWidth))
            Refuse(FileName,
                   "road point " + std::to_string(I) + " holds a number that is not finite");
    }
    Data.Objects.resize(size_t(M));
    for (int32_t I = 0; I < M; ++I) {
        TDeskObject& O = Data.Objects[size_t(I)];
        O.Pos.x = In.Float();
        O.Pos.y = In.Float();
        O.Pos.z = In.Float();
        O.Angle = In.Float();
        O.Kind = In.Int();
        if (!VecIsFinite(O.Pos) || !std::isfinite(O.Angle))
            Refuse(FileName,
                   "desk object " + std::to_string(I) + " holds a number that is not finite");
        if (O.Kind < 0 || O.Kind >= OBJECT_KIND_COUNT)
            Refuse(FileName, "desk object " + std::to_string(I) + " has kind " +
                                 std::to_string(O.Kind) + ", not 0 to " +
                                 std::to_string(OBJECT_KIND_COUNT - 1));
    }

    // The builder normalises each segment's perpendicular and each point's sum of two of them.
    const std::vector<TRoadPoint>& P = Data.Points;
    for (size_t I = 0; I < P.size(); ++I) {
        const size_t Next = (I + 1) % P.size();
        if (SameSpotXY(P[I].Pos, P[Next].Pos))
            Refuse(FileName, "road points " + std::to_string(I) + " and " + std::to_string(Next) +
                                 " lie on the same spot");
    }
    // Point 0's side comes from its first segment alone (its predecessor is its own closing copy).
    for (size_t I = 1; I < P.size(); ++I) {
        const TVec3 Sum = SideSum(P[I - 1].Pos, P[I].Pos, P[(I + 1) % P.size()].Pos);
        if (Sum.x == 0 && Sum.y == 0)
            Refuse(FileName, "the road doubles back on itself at point " + std::to_string(I));
    }
    return Data;
}

std::vector<uint8_t> SerializeMap(const TMapData& Data) {
    std::vector<uint8_t> Out;
    Out.reserve(MAP_HEADER_BYTES + Data.Points.size() * MAP_POINT_BYTES +
                Data.Objects.size() * MAP_OBJECT_BYTES);
    PutInt(Out, int32_t(Data.Points.size()));
    PutInt(Out, int32_t(Data.Objects.size()));
    PutInt(Out, Data.StartPoint);
    PutInt(Out, Data.LapCount);
    for (const TRoadPoint& P : Data.Points) {
        PutFloat(Out, P.Pos.x);
        PutFloat(Out, P.Pos.y);
        PutFloat(Out, P.Pos.z);
        PutFloat(Out, P.HalfWidth);
    }
    for (const TDeskObject& O : Data.Objects) {
        PutFloat(Out, O.Pos.x);
        PutFloat(Out, O.Pos.y);
        PutFloat(Out, O.Pos.z);
        PutFloat(Out, O.Angle);
        PutInt(Out, O.Kind);
    }
    return Out;
}

TMap::TMap() : RoadMesh(new TMesh) {
    RoadMesh->SetTexture("data\\textures\\road.jpg");
    TableTexture = Textures->Load("data\\textures\\table.jpg", 0, 1, 0);
}

TMap::TMap(TUnloaded) : RoadMesh(new TMesh) {}

TMap::~TMap() {
    delete RoadMesh;
}

void TMap::LoadFromFile(const std::string& FileName) {
    TMap Track{TUnloaded{}};
    Track.Assign(ParseMap(ReadWholeFile(FileName), FileName));
    Track.BuildEdges();
    Track.BuildRoadMesh();
    Track.CheckBuilt(FileName);
    SwapTrack(Track);
}

void TMap::Assign(TMapData&& Data) {
    PointCount = int32_t(Data.Points.size());
    ObjectCount = int32_t(Data.Objects.size());
    StartPoint = Data.StartPoint;
    LapCount = Data.LapCount;
    Points = std::move(Data.Points);
    Objects = std::move(Data.Objects);
    // The closing point: a copy of point 0, so that the last segment ends where the loop began.
    ++PointCount;
    Points.push_back(Points[0]);
}

void TMap::CheckBuilt(const std::string& FileName) const {
    for (size_t I = 0; I < Points.size(); ++I)
        if (!VecIsFinite(Points[I].Side))
            Refuse(FileName, "no side vector can be formed at road point " + std::to_string(I));
    for (size_t J = 0; J < Edges.size(); ++J) {
        const TRoadEdge& E = Edges[J];
        if (!VecIsFinite(E.A) || !VecIsFinite(E.B) || !VecIsFinite(E.Normal))
            Refuse(FileName, "road edge " + std::to_string(J) +
                                 " has no length or lies beyond the range of numbers");
    }
    for (const TDeskObject& O : Objects)
        if (!VecIsFinite(O.Pos) || !std::isfinite(O.Angle))
            Refuse(FileName, "a start flag cannot be placed");
    for (const TTexCoord& T : RoadMesh->TexCoords)
        if (!std::isfinite(T.u) || !std::isfinite(T.v))
            Refuse(FileName, "the road surface lies beyond the range of numbers");
}

// Everything but the road mesh's texture and the settings (UseEdgeIndex, the table).
void TMap::SwapTrack(TMap& Other) {
    std::swap(PointCount, Other.PointCount);
    std::swap(ObjectCount, Other.ObjectCount);
    std::swap(LapCount, Other.LapCount);
    std::swap(StartPoint, Other.StartPoint);
    Points.swap(Other.Points);
    Edges.swap(Other.Edges);
    Objects.swap(Other.Objects);
    TMesh& Mine = *RoadMesh;
    TMesh& Theirs = *Other.RoadMesh;
    std::swap(Mine.VertexCount, Theirs.VertexCount);
    std::swap(Mine.FaceCount, Theirs.FaceCount);
    Mine.Vertices.swap(Theirs.Vertices);
    Mine.Normals.swap(Theirs.Normals);
    Mine.Faces.swap(Theirs.Faces);
    Mine.TexCoords.swap(Theirs.TexCoords);
    std::swap(IndexOriginX, Other.IndexOriginX);
    std::swap(IndexOriginY, Other.IndexOriginY);
    std::swap(IndexCellSize, Other.IndexCellSize);
    std::swap(IndexColumns, Other.IndexColumns);
    std::swap(IndexRows, Other.IndexRows);
    IndexCellStart.swap(Other.IndexCellStart);
    IndexEdges.swap(Other.IndexEdges);
}

void TMap::BuildEdges() {
    const int32_t Segments = PointCount - 1;
    for (int32_t I = 0; I < Segments; ++I) {
        // Point 0's predecessor is the closing copy of itself, so its side is its first segment's.
        const TVec3& Prev = Points[size_t(I == 0 ? PointCount - 1 : I - 1)].Pos;
        TRoadPoint& P = Points[size_t(I)];
        P.Side = VecNormalize(SideSum(Prev, P.Pos, Points[size_t(I) + 1].Pos));
    }
    Points[size_t(Segments)].Side = Points[0].Side;

    Edges.assign(size_t(2) * size_t(Segments), TRoadEdge{});
    for (size_t K = 0; K < size_t(Segments); ++K) {
        const TRoadPoint& P0 = Points[K];
        const TRoadPoint& P1 = Points[K + 1];
        const TVec3& S = P0.Side; // both ends use the side of the segment's first point
        TVec3 L0 = Offset(P0.Pos, S, P0.HalfWidth);
        const TVec3 L1 = Offset(P1.Pos, S, P1.HalfWidth);
        // Adjacent segments share one edge point at their joint: the mean of their own two.
        if (K > 0) L0 = Edges[2 * K - 2].B = Mean(L0, Edges[2 * K - 2].B);
        Edges[2 * K].A = L0;
        Edges[2 * K].B = L1;
        TVec3 R0 = Offset(P0.Pos, S, -P0.HalfWidth);
        const TVec3 R1 = Offset(P1.Pos, S, -P1.HalfWidth);
        if (K > 0) R0 = Edges[2 * K - 1].A = Mean(R0, Edges[2 * K - 1].A);
        Edges[2 * K + 1].A = R1; // right edges run backwards, so that every normal points inwards
        Edges[2 * K + 1].B = R0;
    }
    // The same join across the seam at point 0.
    const size_t H = Edges.size() - 1;
    Edges[H - 1].B = Edges[0].A = Mean(Edges[0].A, Edges[H - 1].B);
    Edges[H].A = Edges[1].B = Mean(Edges[1].B, Edges[H].A);
    for (TRoadEdge& E : Edges)
        E.Normal = VecNormalize(Perp2D(E.B, E.A));

    PlaceStartFlags();
    BuildEdgeIndex();
}

void TMap::PlaceStartFlags() {
    const size_t S = size_t(StartPoint);
    const TVec3& Side = Points[S].Side;
    const double Theta = ArcTan2(Side.y, Side.x) * 180.0 / std::numbers::pi;
    const float FlagAngle = float(360.0 - Theta);
    ObjectCount += 2;
    TDeskObject Right;
    Right.Pos = Edges[2 * S + 1].B;
    Right.Angle = float(double(FlagAngle) + 180.0);
    Right.Kind = START_FLAG_KIND;
    TDeskObject Left;
    Left.Pos = Edges[2 * S].A;
    Left.Angle = FlagAngle;
    Left.Kind = START_FLAG_KIND;
    Objects.push_back(Right);
    Objects.push_back(Left);
}

void TMap::BuildRoadMesh() {
    const size_t E = Edges.size();
    TMesh& Mesh = *RoadMesh;
    Mesh.Vertices.resize(3 * E);
    Mesh.TexCoords.resize(3 * E);
    Mesh.Normals.resize(3 * E); // never written: the road is drawn unlit
    Mesh.Faces.resize(E);
    Mesh.FaceCount = int32_t(E);
    Mesh.VertexCount = int32_t(3 * E);
    for (size_t J = 0; J < E; ++J) {
        Mesh.Faces[J] = {{int32_t(3 * J), int32_t(3 * J + 1), int32_t(3 * J + 2)}};
        Mesh.Vertices[3 * J] = Edges[J].B;
        Mesh.Vertices[3 * J + 1] = Edges[J].A;
        if (J + 1 == E)
            Mesh.Vertices[3 * J + 2] = Edges[0].A;
        else
            Mesh.Vertices[3 * J + 2] = J % 2 == 0 ? Edges[J + 1].B : Edges[J + 1].A;
    }
    // Laid flat in world space: two repeats per RoadScale units, whole units only.
    for (size_t I = 0; I < 3 * E; ++I) {
        const TVec3& P = Mesh.Vertices[I];
        Mesh.TexCoords[I] = {float(2.0 * std::trunc(P.x) / RoadScale),
                             float(2.0 * std::trunc(P.y) / RoadScale)};
    }
}

// A uniform grid over the edges' boxes widened by INDEX_WIDENING. A point's cell and an edge's
// cell range come from the same monotonic expression, so a point inside an edge's widened box
// always lands in one of that edge's cells. Edges with a coordinate that is not finite are left
// out: NearSegment is never true for them.
void TMap::BuildEdgeIndex() {
    IndexColumns = IndexRows = 0;
    IndexCellStart.clear();
    IndexEdges.clear();

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
        Boxes[J] = {double(std::min(A.x, B.x)) - INDEX_WIDENING,
                    double(std::min(A.y, B.y)) - INDEX_WIDENING,
                    double(std::max(A.x, B.x)) + INDEX_WIDENING,
                    double(std::max(A.y, B.y)) + INDEX_WIDENING};
        MinX = std::min(MinX, Boxes[J].X0);
        MinY = std::min(MinY, Boxes[J].Y0);
        MaxX = std::max(MaxX, Boxes[J].X1);
        MaxY = std::max(MaxY, Boxes[J].Y1);
    }
    if (MinX > MaxX) return; // nothing to index

    IndexOriginX = MinX;
    IndexOriginY = MinY;
    const double ExtentX = MaxX - MinX;
    const double ExtentY = MaxY - MinY;
    IndexCellSize = std::max(INDEX_MIN_CELL, std::max(ExtentX, ExtentY) / INDEX_MAX_CELLS_PER_AXIS);
    const auto Cell = [&](double V, double Origin, int32_t Count) {
        const double C = std::floor((V - Origin) / IndexCellSize);
        return int32_t(std::clamp(C, 0.0, double(Count - 1)));
    };
    const auto CountEntries = [&] {
        int64_t Entries = 0;
        for (size_t J = 0; J < Edges.size(); ++J)
            if (Indexed[J])
                Entries +=
                    int64_t(Cell(Boxes[J].X1, MinX, IndexColumns) -
                            Cell(Boxes[J].X0, MinX, IndexColumns) + 1) *
                    (Cell(Boxes[J].Y1, MinY, IndexRows) - Cell(Boxes[J].Y0, MinY, IndexRows) + 1);
        return Entries;
    };
    for (;;) {
        IndexColumns = int32_t(std::floor(ExtentX / IndexCellSize)) + 1;
        IndexRows = int32_t(std::floor(ExtentY / IndexCellSize)) + 1;
        if ((IndexColumns == 1 && IndexRows == 1) || CountEntries() <= INDEX_MAX_ENTRIES) break;
        IndexCellSize *= 2; // long diagonal edges: coarser cells until the entries fit
    }

    const size_t Cells = size_t(IndexColumns) * size_t(IndexRows);
    IndexCellStart.assign(Cells + 1, 0);
    const auto ForEachCell = [&](size_t J, auto&& Visit) {
        const int32_t C0 = Cell(Boxes[J].X0, MinX, IndexColumns);
        const int32_t C1 = Cell(Boxes[J].X1, MinX, IndexColumns);
        const int32_t R0 = Cell(Boxes[J].Y0, MinY, IndexRows);
        const int32_t R1 = Cell(Boxes[J].Y1, MinY, IndexRows);
        for (int32_t R = R0; R <= R1; ++R)
            for (int32_t C = C0; C <= C1; ++C)
                Visit(size_t(R) * size_t(IndexColumns) + size_t(C));
    };
    for (size_t J = 0; J < Edges.size(); ++J)
        if (Indexed[J]) ForEachCell(J, [&](size_t I) { ++IndexCellStart[I + 1]; });
    for (size_t I = 0; I < Cells; ++I)
        IndexCellStart[I + 1] += IndexCellStart[I];
    IndexEdges.resize(size_t(IndexCellStart[Cells]));
    std::vector<int32_t> Fill(IndexCellStart.begin(), IndexCellStart.end() - 1);
    // Edges in increasing order, so every cell's list is increasing.
    for (size_t J = 0; J < Edges.size(); ++J)
        if (Indexed[J])
            ForEachCell(J, [&](size_t I) { IndexEdges[size_t(Fill[I]++)] = int32_t(J); });
}

std::span<const int32_t> TMap::EdgesNear(float X, float Y) const {
    if (IndexCellStart.empty()) return {};
    const double C = std::floor((double(X) - IndexOriginX) / IndexCellSize);
    const double R = std::floor((double(Y) - IndexOriginY) / IndexCellSize);
    // Outside the grid (or not a number): outside every edge's widened box.
    if (!(C >= 0 && C < IndexColumns && R >= 0 && R < IndexRows)) return {};
    const size_t I = size_t(R) * size_t(IndexColumns) + size_t(C);
    return {IndexEdges.data() + IndexCellStart[I], IndexEdges.data() + IndexCellStart[I + 1]};
}
