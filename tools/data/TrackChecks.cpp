// The checks of a compiled track against the road the game's own builder made of it. They run in a
// fixed order, and each refuses the track at the first fault it meets, so that a source with
// several faults is always refused for the same one.

#include "Tracks.h"

#include "Content.h"
#include "models/dMeshes.h"

#include <algorithm>
#include <cmath>

namespace {

TVec2D XY(const TVec3& V) {
    return {double(V.x), double(V.y)};
}

// The distance along the centre line from road point 0 to each road point, the closing copy
// included.
std::vector<double> DistancesAlong(const TMap& Built) {
    std::vector<double> Along(size_t(std::max(Built.PointCount, 1)), 0);
    for (size_t I = 0; I + 1 < Along.size(); ++I)
        Along[I + 1] = Along[I] + Dist(XY(Built.Points[I].Pos), XY(Built.Points[I + 1].Pos));
    return Along;
}

// A compiled track beside the road built from it, as every check reads them.
struct TBuiltTrack {
    const TCompiledTrack& Track;
    const TMap& Built;
    size_t N; // road points without the closing copy

    TVec2D Point(size_t I) const { return XY(Built.Points[I].Pos); }
    // The road from road point I to the next one.
    TVec2D Step(size_t I) const { return Sub(Point(I + 1), Point(I)); }
    int LineOfPoint(size_t I) const { return Track.PointLines[I % N]; }
    [[noreturn]] void Refuse(int Line, const std::string& Fault) const {
        throw TTrackError(Track.Source, Line, Fault);
    }
};

// The corners of the road's two boundaries, one at each road point.
struct TRoadEdges {
    std::vector<TVec2D> Left, Right;
};

TRoadEdges EdgesOf(const TBuiltTrack& T) {
    TRoadEdges E{std::vector<TVec2D>(T.N), std::vector<TVec2D>(T.N)};
    for (size_t K = 0; K < T.N; ++K) {
        E.Left[K] = XY(T.Built.Edges[2 * K].A);
        E.Right[K] = XY(T.Built.Edges[2 * K + 1].B);
    }
    return E;
}

// Each boundary runs the way the road runs; one running backwards has folded over in a bend.
void CheckEdgesRunForward(const TBuiltTrack& T, const TRoadEdges& E) {
    const size_t N = T.N;
    for (size_t K = 0; K < N; ++K) {
        const TVec2D Dir = T.Step(K);
        if (Dot2(Sub(E.Left[(K + 1) % N], E.Left[K]), Dir) <= 0)
            T.Refuse(T.LineOfPoint(K),
                     "the road's left edge folds over (the bend is too tight for its width)");
        if (Dot2(Sub(E.Right[(K + 1) % N], E.Right[K]), Dir) <= 0)
            T.Refuse(T.LineOfPoint(K),
                     "the road's right edge folds over (the bend is too tight for its width)");
    }
}

// No segment of boundary A crosses one of boundary B (Same: A is B, and a segment's neighbours
// share its ends without crossing it).
void CheckNoCrossing(const TBuiltTrack& T, const std::vector<TVec2D>& A,
                     const std::vector<TVec2D>& B, bool Same, const char* What) {
    const size_t N = T.N;
    for (size_t I = 0; I < N; ++I)
        for (size_t J = Same ? I + 2 : 0; J < N; ++J) {
            if (Same && I == 0 && J == N - 1) continue; // neighbours across the seam
            if (SegmentsCross(A[I], A[(I + 1) % N], B[J], B[(J + 1) % N]))
                T.Refuse(T.LineOfPoint(I), std::string(What) + " (the stretch from line " +
                                               std::to_string(T.LineOfPoint(J)) + ")");
        }
}

void CheckEdgesDoNotCross(const TBuiltTrack& T, const TRoadEdges& E) {
    CheckNoCrossing(T, E.Left, E.Left, true, "the road's left edge crosses itself");
    CheckNoCrossing(T, E.Right, E.Right, true, "the road's right edge crosses itself");
    CheckNoCrossing(T, E.Left, E.Right, false, "the road's left edge crosses its right edge");
}

// Two passes of the road keep a verge between them (the cars find their place on the road by the
// nearest road point).
void CheckRoadKeepsApart(const TBuiltTrack& T) {
    const size_t N = T.N;
    const std::vector<double> Along = DistancesAlong(T.Built);
    const double Lap = Along[N];
    for (size_t I = 0; I < N; ++I)
        for (size_t J = I + 1; J < N; ++J) {
            const double WI = T.Built.Points[I].HalfWidth, WJ = T.Built.Points[J].HalfWidth;
            const double ArcGap = std::min(Along[J] - Along[I], Lap - (Along[J] - Along[I]));
            const double Need = WI + WJ + ROAD_SELF_GAP;
            if (ArcGap < 2.5 * Need) continue; // the same stretch of road, or a bend of it
            const double D = Dist(T.Point(I), T.Point(J));
            if (D < Need)
                T.Refuse(T.LineOfPoint(J), "the road comes within " + Rounded(D - WI - WJ) +
                                               " units of itself (the stretch from line " +
                                               std::to_string(T.LineOfPoint(I)) + "); keep " +
                                               Rounded(ROAD_SELF_GAP) + " between its edges");
        }
}

// Six cars side by side fit on the start grid, clear of the desk's origin.
void CheckStartGrid(const TBuiltTrack& T) {
    const TRoadPoint& Start = T.Built.Points[size_t(T.Built.StartPoint)];
    if (Start.HalfWidth < MIN_START_HALF_WIDTH)
        T.Refuse(T.Track.StartLine, "the start grid needs a half-width of at least " +
                                        Rounded(MIN_START_HALF_WIDTH) + " at the start point");
    // The race manager creates all six cars at the desk's origin and then places them one by one;
    // a grid spot near the origin would collide with the cars still waiting there.
    const double OriginGap = Length(TVecD{Start.Pos.x, Start.Pos.y, 0}) - Start.HalfWidth;
    if (OriginGap < START_ORIGIN_CLEARANCE)
        T.Refuse(T.Track.StartLine,
                 "the start grid lies within " + Rounded(START_ORIGIN_CLEARANCE) +
                     " units of the desk's origin, where the cars wait to be placed");
}

// The road runs straight for a stretch behind the start and a longer one ahead of it.
void CheckStartStraight(const TBuiltTrack& T) {
    const size_t N = T.N, S = size_t(T.Built.StartPoint);
    const TVec2D StartDir = T.Step(S);
    const double StartAngle = std::atan2(StartDir.y, StartDir.x);
    for (int Way = -1; Way <= 1; Way += 2) {
        double Covered = 0;
        for (size_t Step = 0;
             Step < N && Covered < (Way < 0 ? START_STRAIGHT_BEHIND : START_STRAIGHT_AHEAD);
             ++Step) {
            const TVec2D D = T.Step(Way > 0 ? (S + Step) % N : (S + N - 1 - Step) % N);
            const double StepLength = std::hypot(D.x, D.y);
            double Turn = std::fabs(std::atan2(D.y, D.x) - StartAngle);
            if (Turn > PI) Turn = 2 * PI - Turn;
            if (Turn > START_STRAIGHT_TOLERANCE_DEG * DEG)
                T.Refuse(T.Track.StartLine, "the start is not on a straight: the road turns " +
                                                Rounded(Turn / DEG) + " degrees within " +
                                                Rounded(Covered + StepLength) + " units " +
                                                (Way > 0 ? "after" : "before") + " it");
            Covered += StepLength;
        }
    }
}

std::string Describe(int Kind) {
    return std::string(OBJECT_ASSETS[Kind].SourceName);
}

// An object's footprint on the desk, grown by Grow all round.
std::vector<TVec2D> DeskFootprint(const TDeskObject& O, const TOutline& Hull, double Grow) {
    const TOutline Grown = Grow > 0 ? InsetOutline(Hull, -Grow) : Hull;
    std::vector<TVec2D> R;
    for (const TVec2D& P : Grown)
        R.push_back(ObjectToDesk(O, P));
    return R;
}

// The source's desk objects stand clear of the road surface. The start flags after them stand on
// its edge by design.
void CheckObjectsOffRoad(const TBuiltTrack& T, const TFootprints& Footprints) {
    const TMesh& Road = *T.Built.RoadMesh;
    for (size_t I = 0; I < T.Track.ObjectLines.size(); ++I) {
        const TDeskObject& O = T.Built.Objects[I];
        const TOutline& Hull = Footprints[size_t(O.Kind)];
        if (Hull.size() < 3) continue;
        const std::vector<TVec2D> Grown = DeskFootprint(O, Hull, ROAD_CLEARANCE);
        for (int32_t F = 0; F < Road.FaceCount; ++F) {
            std::vector<TVec2D> Tri;
            for (int32_t V : Road.Faces[size_t(F)].V)
                Tri.push_back(XY(Road.Vertices[size_t(V)]));
            if (ConvexOverlap(Grown, Tri))
                T.Refuse(T.Track.ObjectLines[I],
                         "the " + Describe(O.Kind) + " stands on the road or within " +
                             Rounded(ROAD_CLEARANCE) + " units of it (near the road of line " +
                             std::to_string(T.LineOfPoint(size_t(F) / 2)) + ")");
        }
    }
}

// Overlapping objects are allowed but look wrong: a warning for each source object that overlaps
// a later one or a start flag.
std::vector<std::string> OverlapWarnings(const TBuiltTrack& T, const TFootprints& Footprints) {
    const std::vector<TDeskObject>& Objects = T.Built.Objects;
    const std::vector<int>& Lines = T.Track.ObjectLines;
    std::vector<std::vector<TVec2D>> Placed(Objects.size());
    for (size_t I = 0; I < Objects.size(); ++I) {
        const TOutline& Hull = Footprints[size_t(Objects[I].Kind)];
        if (Hull.size() >= 3) Placed[I] = DeskFootprint(Objects[I], Hull, 0);
    }
    std::vector<std::string> Warnings;
    for (size_t I = 0; I < Lines.size(); ++I)
        for (size_t J = I + 1; J < Objects.size(); ++J) {
            if (Placed[I].size() < 3 || Placed[J].size() < 3 ||
                !ConvexOverlap(Placed[I], Placed[J]))
                continue;
            const std::string Other = J < Lines.size() ? "the " + Describe(Objects[J].Kind) +
                                                             " of line " + std::to_string(Lines[J])
                                                       : std::string("a start flag");
            Warnings.push_back(T.Track.Source + ":" + std::to_string(Lines[I]) + ": warning: the " +
                               Describe(Objects[I].Kind) + " overlaps " + Other);
        }
    return Warnings;
}

} // namespace

void CheckTrack(TCompiledTrack& Track, const TMap& Built, const TFootprints& Footprints) {
    const TBuiltTrack T{Track, Built, size_t(Built.PointCount - 1)};
    const TRoadEdges Edges = EdgesOf(T);
    CheckEdgesRunForward(T, Edges);
    CheckEdgesDoNotCross(T, Edges);
    CheckRoadKeepsApart(T);
    CheckStartGrid(T);
    CheckStartStraight(T);
    CheckObjectsOffRoad(T, Footprints);
    for (std::string& W : OverlapWarnings(T, Footprints))
        Track.Warnings.push_back(std::move(W));
}

TVec2D ObjectToDesk(const TDeskObject& Object, TVec2D M) {
    // The game draws a desk object translated to its position, turned half a turn about x (the
    // model's up towards the camera, its y mirrored), then Angle + 180 degrees about z.
    const double A = (double(Object.Angle) + 180.0) * DEG;
    const double C = std::cos(A), S = std::sin(A);
    const double X = M.x * C - M.y * S, Y = M.x * S + M.y * C;
    return {double(Object.Pos.x) + X, double(Object.Pos.y) - Y};
}

double LapLength(const TMap& Built) {
    return DistancesAlong(Built).back();
}
