// The track builder: a loaded track's side vectors, road edges, start flags and road mesh, built
// beside the current track and swapped in only once all of it is sound.
#include "world/dMap.h"

#include "app/variables.h"
#include "engine/Files.h"
#include "engine/Text1251.h"
#include "models/dMeshes.h"
#include "world/dMapShared.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace {

// The joint of two segments' edge points, each component rounded once.
TVec3 Mean(const TVec3& A, const TVec3& B) {
    return {float((double(A.x) + B.x) / 2), float((double(A.y) + B.y) / 2),
            float((double(A.z) + B.z) / 2)};
}

} // namespace

TMap::TMap() : RoadMesh(new TMesh) {
    RoadMesh->SetTexture("data\\textures\\road.jpg");
    TableTexture = Textures->Load("data\\textures\\table.jpg", 0, 1, 0);
}

TMap::TMap(TUnloaded) : RoadMesh(new TMesh) {}

TMap::~TMap() {
    delete RoadMesh;
}

void TMap::LoadFromFile(const std::string& FileName) {
    LoadFromBytes(ReadWholeFile(FileName), FileName);
}

void TMap::LoadFromBytes(const std::vector<uint8_t>& Bytes, const std::string& FileName) {
    TMap Track{TUnloaded{}};
    Track.Assign(ParseMap(Bytes, FileName));
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
            RefuseMap(FileName, "no side vector can be formed at road point " + std::to_string(I),
                      Win1251("у точки дороги ") + std::to_string(I) +
                          Win1251(" не найти направления вбок"));
    for (size_t J = 0; J < Edges.size(); ++J) {
        const TRoadEdge& E = Edges[J];
        if (!VecIsFinite(E.A) || !VecIsFinite(E.B) || !VecIsFinite(E.Normal))
            RefuseMap(FileName,
                      "road edge " + std::to_string(J) +
                          " has no length or lies beyond the range of numbers",
                      Win1251("край дороги ") + std::to_string(J) +
                          Win1251(" без длины или за пределами чисел"));
    }
    for (const TDeskObject& O : Objects)
        if (!VecIsFinite(O.Pos) || !std::isfinite(O.Angle))
            RefuseMap(FileName, "a start flag cannot be placed",
                      Win1251("стартовый флажок не поставить"));
    for (const TTexCoord& T : RoadMesh->TexCoords)
        if (!std::isfinite(T.u) || !std::isfinite(T.v))
            RefuseMap(FileName, "the road surface lies beyond the range of numbers",
                      Win1251("покрытие дороги за пределами чисел"));
}

void TMap::SwapTrack(TMap& Other) {
    std::swap(PointCount, Other.PointCount);
    std::swap(ObjectCount, Other.ObjectCount);
    std::swap(LapCount, Other.LapCount);
    std::swap(StartPoint, Other.StartPoint);
    Points.swap(Other.Points);
    Edges.swap(Other.Edges);
    Objects.swap(Other.Objects);
    RoadMesh->SwapGeometry(*Other.RoadMesh);
    std::swap(EdgeIndex, Other.EdgeIndex);
}

void TMap::BuildEdges() {
    // A loop needs two points and the closing copy (as every loaded track has); with fewer, or a
    // count the list does not hold, there is no road: no edges and no start flags.
    if (PointCount < 3 || size_t(PointCount) > Points.size()) {
        Edges.clear();
        EdgeIndex.Build(Edges);
        return;
    }
    const int32_t Segments = PointCount - 1;
    for (int32_t I = 0; I < Segments; ++I) {
        // Point 0's predecessor is the closing copy of itself, so its side is its first segment's.
        const TVec3& Prev = Points[size_t(I == 0 ? PointCount - 1 : I - 1)].Pos;
        TRoadPoint& P = Points[size_t(I)];
        P.Side = VecNormalize(RoadSideSum(Prev, P.Pos, Points[size_t(I) + 1].Pos));
    }
    Points[size_t(Segments)].Side = Points[0].Side;

    Edges.assign(size_t(2) * size_t(Segments), TRoadEdge{});
    for (size_t K = 0; K < size_t(Segments); ++K) {
        const TRoadPoint& P0 = Points[K];
        const TRoadPoint& P1 = Points[K + 1];
        const TVec3& S = P0.Side; // both ends use the side of the segment's first point
        TVec3 L0 = VecAdd(P0.Pos, VecScale(S, P0.HalfWidth));
        const TVec3 L1 = VecAdd(P1.Pos, VecScale(S, P1.HalfWidth));
        // Adjacent segments share one edge point at their joint: the mean of their own two.
        if (K > 0) L0 = Edges[2 * K - 2].B = Mean(L0, Edges[2 * K - 2].B);
        Edges[2 * K].A = L0;
        Edges[2 * K].B = L1;
        TVec3 R0 = VecSub(P0.Pos, VecScale(S, P0.HalfWidth));
        const TVec3 R1 = VecSub(P1.Pos, VecScale(S, P1.HalfWidth));
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
    EdgeIndex.Build(Edges);
}

void TMap::PlaceStartFlags() {
    // The flags stand at the start segment's edges: none without them.
    if (StartPoint < 0 || size_t(StartPoint) >= Points.size() ||
        size_t(2) * size_t(StartPoint) + 1 >= Edges.size())
        return;
    const size_t S = size_t(StartPoint);
    const TVec3& Side = Points[S].Side;
    // Times 180, then divided by pi, in double: not ArcTan2 * RadToDeg, whose constant is 180 / pi
    // already rounded and can move the flags' angle by an ulp.
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
