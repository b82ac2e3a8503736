#include "Tracks.h"

#include "Content.h"
#include "models/dMeshes.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

struct TControlPoint {
    TVec2D Pos;
    double HalfWidth = 0;
    int Line = 0;
};

// Samples per spline piece for measuring its length.
constexpr int ARC_SAMPLES = 256;
constexpr double CATMULL_ROM_ALPHA = 0.5; // centripetal: no cusps or loops within a piece

std::string Lower(std::string S) {
    for (char& C : S) C = char(std::tolower(static_cast<unsigned char>(C)));
    return S;
}

bool ParseNumber(const std::string& Word, double& Value) {
    std::istringstream In(Word);
    In.imbue(std::locale::classic());
    In >> Value;
    return In && In.peek() == std::char_traits<char>::eof() && std::isfinite(Value);
}

int ParseKind(const std::string& Word) {
    double Number = 0;
    if (ParseNumber(Word, Number)) {
        if (Number != std::floor(Number) || Number < 0 || Number >= OBJECT_KIND_COUNT) return -1;
        return int(Number);
    }
    const std::string W = Lower(Word);
    for (int K = 0; K < OBJECT_KIND_COUNT; ++K)
        if (W == OBJECT_KINDS[K].Name || (OBJECT_KINDS[K].Model[0] && W == OBJECT_KINDS[K].Model)) return K;
    return -1;
}

std::string KindList() {
    std::string S;
    for (int K = 0; K < OBJECT_KIND_COUNT; ++K) S += (K ? ", " : "") + std::string(OBJECT_KINDS[K].Name);
    return S;
}

// The centripetal Catmull-Rom piece from P1 to P2 at T in [0, 1].
TVec2D CatmullRom(TVec2D P0, TVec2D P1, TVec2D P2, TVec2D P3, double T) {
    const auto Knot = [](TVec2D A, TVec2D B) { return std::pow(std::max(Dist(A, B), 1e-9), CATMULL_ROM_ALPHA); };
    const double T0 = 0, T1 = T0 + Knot(P0, P1), T2 = T1 + Knot(P1, P2), T3 = T2 + Knot(P2, P3);
    const double U = T1 + (T2 - T1) * T;
    const auto L = [](TVec2D A, TVec2D B, double TA, double TB, double X) {
        const double F = (X - TA) / (TB - TA);
        return TVec2D{A.x + (B.x - A.x) * F, A.y + (B.y - A.y) * F};
    };
    const TVec2D A1 = L(P0, P1, T0, T1, U), A2 = L(P1, P2, T1, T2, U), A3 = L(P2, P3, T2, T3, U);
    const TVec2D B1 = L(A1, A2, T0, T2, U), B2 = L(A2, A3, T1, T3, U);
    return L(B1, B2, T1, T2, U);
}

TVec2D XY(const TVec3& V) { return {double(V.x), double(V.y)}; }

std::vector<TVec2D> DeskFootprint(const TDeskObject& O, const TOutline& Hull, double Grow) {
    const TOutline Grown = Grow > 0 ? InsetOutline(Hull, -Grow) : Hull;
    std::vector<TVec2D> R;
    for (const TVec2D& P : Grown) R.push_back(ObjectToDesk(O, P));
    return R;
}

std::string Describe(int Kind) { return std::string(OBJECT_KINDS[Kind].Name); }

std::string Units(double V) { return std::to_string(int(std::lround(V))); }

} // namespace

// ---------------------------------------------------------------- compiling

TCompiledTrack CompileTrack(const std::string& SourcePath) {
    std::ifstream In(SourcePath);
    if (!In) throw TTrackError(SourcePath, 0, "cannot be read");
    TCompiledTrack Track;
    Track.Source = SourcePath;
    std::vector<TControlPoint> Controls;
    int StartControl = -1, LapsLine = 0, LineNo = 0;
    Track.Map.LapCount = 0;
    std::string Line;
    while (std::getline(In, Line)) {
        ++LineNo;
        if (const size_t Hash = Line.find('#'); Hash != std::string::npos) Line.erase(Hash);
        std::istringstream Words(Line);
        std::vector<std::string> W;
        for (std::string S; Words >> S;) W.push_back(S);
        if (W.empty()) continue;
        const std::string Key = Lower(W[0]);
        const auto Need = [&](size_t Min, size_t Max, const char* Form) {
            if (W.size() < Min || W.size() > Max)
                throw TTrackError(SourcePath, LineNo, std::string("expected \"") + Form + "\"");
        };
        const auto Number = [&](size_t I, const char* What) {
            double V = 0;
            if (!ParseNumber(W[I], V))
                throw TTrackError(SourcePath, LineNo, std::string(What) + " \"" + W[I] + "\" is not a number");
            return V;
        };
        if (Key == "laps") {
            Need(2, 2, "laps COUNT");
            const double L = Number(1, "lap count");
            if (L < 1 || L != std::floor(L) || L > 1000)
                throw TTrackError(SourcePath, LineNo, "lap count must be a whole number from 1 to 1000");
            if (LapsLine) throw TTrackError(SourcePath, LineNo, "a second lap count (the first is on line " +
                                                                    std::to_string(LapsLine) + ")");
            Track.Map.LapCount = int32_t(L);
            LapsLine = LineNo;
        } else if (Key == "point") {
            Need(4, 5, "point X Y HALFWIDTH [start]");
            TControlPoint P{{Number(1, "x"), Number(2, "y")}, Number(3, "half-width"), LineNo};
            if (P.HalfWidth <= 0) throw TTrackError(SourcePath, LineNo, "half-width must be above 0");
            if (W.size() == 5) {
                if (Lower(W[4]) != "start")
                    throw TTrackError(SourcePath, LineNo, "unknown marker \"" + W[4] + "\" (only \"start\")");
                if (StartControl >= 0)
                    throw TTrackError(SourcePath, LineNo, "a second start point (the first is on line " +
                                                              std::to_string(Controls[size_t(StartControl)].Line) + ")");
                StartControl = int(Controls.size());
            }
            if (!Controls.empty() && Controls.back().Pos.x == P.Pos.x && Controls.back().Pos.y == P.Pos.y)
                throw TTrackError(SourcePath, LineNo, "point repeats the previous point");
            Controls.push_back(P);
        } else if (Key == "object") {
            Need(5, 5, "object KIND X Y ANGLE");
            const int Kind = ParseKind(W[1]);
            if (Kind < 0)
                throw TTrackError(SourcePath, LineNo, "unknown object kind \"" + W[1] + "\" (0 to 22 or one of: " +
                                                          KindList() + ")");
            TDeskObject O;
            O.Pos = {float(Number(2, "x")), float(Number(3, "y")), 0};
            O.Angle = float(Number(4, "angle"));
            O.Kind = Kind;
            Track.Map.Objects.push_back(O);
            Track.ObjectLines.push_back(LineNo);
        } else {
            throw TTrackError(SourcePath, LineNo, "unknown keyword \"" + W[0] + "\" (laps, point, object)");
        }
    }
    const int LastLine = std::max(LineNo, 1);
    if (Controls.size() < 2)
        throw TTrackError(SourcePath, Controls.empty() ? LastLine : Controls[0].Line,
                          "a track needs at least two points, this one has " + std::to_string(Controls.size()));
    if (Controls.back().Pos.x == Controls[0].Pos.x && Controls.back().Pos.y == Controls[0].Pos.y)
        throw TTrackError(SourcePath, Controls.back().Line,
                          "last point repeats the first (the loop closes by itself)");
    if (!LapsLine) throw TTrackError(SourcePath, LastLine, "no lap count (\"laps COUNT\")");
    if (StartControl < 0) throw TTrackError(SourcePath, LastLine, "no start point (mark one point \"start\")");
    Track.StartLine = Controls[size_t(StartControl)].Line;

    // Lay the road points along the spline, piece by piece.
    const size_t N = Controls.size();
    for (size_t I = 0; I < N; ++I) {
        const TControlPoint& C0 = Controls[(I + N - 1) % N];
        const TControlPoint& C1 = Controls[I];
        const TControlPoint& C2 = Controls[(I + 1) % N];
        const TControlPoint& C3 = Controls[(I + 2) % N];
        std::vector<double> Arc(ARC_SAMPLES + 1, 0);
        TVec2D Prev = C1.Pos;
        for (int S = 1; S <= ARC_SAMPLES; ++S) {
            const TVec2D P = CatmullRom(C0.Pos, C1.Pos, C2.Pos, C3.Pos, double(S) / ARC_SAMPLES);
            Arc[size_t(S)] = Arc[size_t(S) - 1] + Dist(P, Prev);
            Prev = P;
        }
        const double Length = Arc.back();
        int Pieces = std::max(1, int(std::lround(Length / ROAD_POINT_SPACING)));
        if (Length / Pieces > MAX_ROAD_POINT_SPACING) ++Pieces;
        if (Pieces > 1 && Length / Pieces < MIN_ROAD_POINT_SPACING) --Pieces;
        if (Length / Pieces < MIN_ROAD_POINT_SPACING)
            Track.Warnings.push_back(SourcePath + ":" + std::to_string(C1.Line) +
                                     ": warning: the road to the next point is only " + Units(Length) +
                                     " long (road points are best " + Units(MIN_ROAD_POINT_SPACING) + " or more apart)");
        if (int(I) == StartControl) Track.Map.StartPoint = int32_t(Track.Map.Points.size());
        for (int K = 0; K < Pieces; ++K) {
            // The parameter at which the arc reaches K / Pieces of the piece's length.
            const double Goal = Length * K / Pieces;
            size_t S = 0;
            while (S < ARC_SAMPLES && Arc[S + 1] < Goal) ++S;
            const double Span = Arc[S + 1] - Arc[S];
            const double T = (double(S) + (Span > 0 ? (Goal - Arc[S]) / Span : 0)) / ARC_SAMPLES;
            const TVec2D P = K == 0 ? C1.Pos : CatmullRom(C0.Pos, C1.Pos, C2.Pos, C3.Pos, T);
            TRoadPoint R;
            R.Pos = {float(P.x), float(P.y), 0};
            R.HalfWidth = float(SmoothMix(C1.HalfWidth, C2.HalfWidth, double(K) / Pieces));
            Track.Map.Points.push_back(R);
            Track.PointLines.push_back(C1.Line);
        }
    }
    return Track;
}

std::string MapFileOf(const std::string& SourcePath) {
    return "maps/" + Lower(std::filesystem::path(SourcePath).stem().string()) + ".map";
}

// ---------------------------------------------------------------- footprints

TVec2D ObjectToDesk(const TDeskObject& Object, TVec2D M) {
    // The game draws a desk object translated to its position, turned half a turn about x (the
    // model's up towards the camera, its y mirrored), then Angle + 180 degrees about z.
    const double A = (double(Object.Angle) + 180.0) * DEG;
    const double C = std::cos(A), S = std::sin(A);
    const double X = M.x * C - M.y * S, Y = M.x * S + M.y * C;
    return {double(Object.Pos.x) + X, double(Object.Pos.y) - Y};
}

double LapLength(const TMap& Built) {
    double L = 0;
    for (int32_t I = 0; I + 1 < Built.PointCount; ++I)
        L += Dist(XY(Built.Points[size_t(I)].Pos), XY(Built.Points[size_t(I) + 1].Pos));
    return L;
}

// ---------------------------------------------------------------- checking

void CheckTrack(TCompiledTrack& Track, const TMap& Built, const TFootprints& Footprints) {
    const std::string& File = Track.Source;
    const size_t N = size_t(Built.PointCount - 1); // road points without the closing copy
    const auto LineOfPoint = [&](size_t I) { return Track.PointLines[I % N]; };

    // Edges: each boundary must run the way the road runs, and no two may cross.
    std::vector<TVec2D> Left(N), Right(N);
    for (size_t K = 0; K < N; ++K) {
        Left[K] = XY(Built.Edges[2 * K].A);
        Right[K] = XY(Built.Edges[2 * K + 1].B);
    }
    for (size_t K = 0; K < N; ++K) {
        const TVec2D Dir = Sub(XY(Built.Points[K + 1].Pos), XY(Built.Points[K].Pos));
        const TVec2D L = Sub(Left[(K + 1) % N], Left[K]), R = Sub(Right[(K + 1) % N], Right[K]);
        if (Dot2(L, Dir) <= 0)
            throw TTrackError(File, LineOfPoint(K), "the road's left edge folds over (the bend is too tight for its width)");
        if (Dot2(R, Dir) <= 0)
            throw TTrackError(File, LineOfPoint(K), "the road's right edge folds over (the bend is too tight for its width)");
    }
    const auto CrossCheck = [&](const std::vector<TVec2D>& A, const std::vector<TVec2D>& B, bool Same,
                                const char* What) {
        for (size_t I = 0; I < N; ++I)
            for (size_t J = Same ? I + 2 : 0; J < N; ++J) {
                if (Same && I == 0 && J == N - 1) continue; // neighbours across the seam
                if (SegmentsCross(A[I], A[(I + 1) % N], B[J], B[(J + 1) % N]))
                    throw TTrackError(File, LineOfPoint(I),
                                      std::string(What) + " (the stretch from line " + std::to_string(LineOfPoint(J)) + ")");
            }
    };
    CrossCheck(Left, Left, true, "the road's left edge crosses itself");
    CrossCheck(Right, Right, true, "the road's right edge crosses itself");
    CrossCheck(Left, Right, false, "the road's left edge crosses its right edge");

    // Two passes of the road must keep a verge between them (the cars find their place on the
    // road by the nearest road point).
    std::vector<double> Along(N + 1, 0);
    for (size_t I = 0; I < N; ++I) Along[I + 1] = Along[I] + Dist(XY(Built.Points[I].Pos), XY(Built.Points[I + 1].Pos));
    const double Lap = Along[N];
    for (size_t I = 0; I < N; ++I)
        for (size_t J = I + 1; J < N; ++J) {
            const double WI = Built.Points[I].HalfWidth, WJ = Built.Points[J].HalfWidth;
            const double ArcGap = std::min(Along[J] - Along[I], Lap - (Along[J] - Along[I]));
            const double Need = WI + WJ + ROAD_SELF_GAP;
            if (ArcGap < 2.5 * Need) continue; // the same stretch of road, or a bend of it
            const double D = Dist(XY(Built.Points[I].Pos), XY(Built.Points[J].Pos));
            if (D < Need)
                throw TTrackError(File, LineOfPoint(J), "the road comes within " + Units(D - WI - WJ) +
                                                            " units of itself (the stretch from line " +
                                                            std::to_string(LineOfPoint(I)) + "); keep " +
                                                            Units(ROAD_SELF_GAP) + " between its edges");
        }

    // The start grid: six cars side by side on a straight.
    const size_t S = size_t(Built.StartPoint);
    if (Built.Points[S].HalfWidth < MIN_START_HALF_WIDTH)
        throw TTrackError(File, Track.StartLine, "the start grid needs a half-width of at least " +
                                                     Units(MIN_START_HALF_WIDTH) + " at the start point");
    // The race manager creates all six cars at the desk's origin and then places them one by one;
    // a grid spot near the origin would collide with the cars still waiting there.
    const double OriginGap = Length(TVecD{Built.Points[S].Pos.x, Built.Points[S].Pos.y, 0}) -
                             Built.Points[S].HalfWidth;
    if (OriginGap < START_ORIGIN_CLEARANCE)
        throw TTrackError(File, Track.StartLine,
                          "the start grid lies within " + Units(START_ORIGIN_CLEARANCE) +
                              " units of the desk's origin, where the cars wait to be placed");
    const TVec2D StartDir = Sub(XY(Built.Points[S + 1].Pos), XY(Built.Points[S].Pos));
    const double StartAngle = std::atan2(StartDir.y, StartDir.x);
    for (int Way = -1; Way <= 1; Way += 2) {
        double Covered = 0;
        for (size_t Step = 0; Step < N && Covered < (Way < 0 ? START_STRAIGHT_BEHIND : START_STRAIGHT_AHEAD); ++Step) {
            const size_t K = Way > 0 ? (S + Step) % N : (S + N - 1 - Step) % N;
            const TVec2D D = Sub(XY(Built.Points[K + 1].Pos), XY(Built.Points[K].Pos));
            double Turn = std::fabs(std::atan2(D.y, D.x) - StartAngle);
            if (Turn > PI) Turn = 2 * PI - Turn;
            if (Turn > START_STRAIGHT_TOLERANCE_DEG * DEG)
                throw TTrackError(File, Track.StartLine,
                                  "the start is not on a straight: the road turns " + Units(Turn / DEG) +
                                      " degrees within " + Units(Covered + Length(TVecD{D.x, D.y, 0})) +
                                      " units " + (Way > 0 ? "after" : "before") + " it");
            Covered += std::hypot(D.x, D.y);
        }
    }

    // Desk objects stand clear of the road surface.
    const TMesh& Road = *Built.RoadMesh;
    std::vector<std::vector<TVec2D>> Placed(Built.Objects.size());
    for (size_t I = 0; I < Built.Objects.size(); ++I) {
        const TDeskObject& O = Built.Objects[I];
        const TOutline& Hull = Footprints[size_t(O.Kind)];
        if (Hull.size() < 3) continue;
        Placed[I] = DeskFootprint(O, Hull, 0);
        if (I >= Track.ObjectLines.size()) continue; // a start flag: it stands on the edge by design
        const std::vector<TVec2D> Grown = DeskFootprint(O, Hull, ROAD_CLEARANCE);
        for (int32_t T = 0; T < Road.FaceCount; ++T) {
            std::vector<TVec2D> Tri;
            for (int32_t V : Road.Faces[size_t(T)].V) Tri.push_back(XY(Road.Vertices[size_t(V)]));
            if (ConvexOverlap(Grown, Tri))
                throw TTrackError(File, Track.ObjectLines[I],
                                  "the " + Describe(O.Kind) + " stands on the road or within " +
                                      Units(ROAD_CLEARANCE) + " units of it (near the road of line " +
                                      std::to_string(LineOfPoint(size_t(T) / 2)) + ")");
        }
    }
    // Overlapping objects are allowed but look wrong; say so.
    for (size_t I = 0; I < Track.ObjectLines.size(); ++I)
        for (size_t J = I + 1; J < Built.Objects.size(); ++J) {
            if (Placed[I].size() < 3 || Placed[J].size() < 3 || !ConvexOverlap(Placed[I], Placed[J])) continue;
            const std::string Other = J < Track.ObjectLines.size()
                                          ? "the " + Describe(Built.Objects[J].Kind) + " of line " +
                                                std::to_string(Track.ObjectLines[J])
                                          : std::string("a start flag");
            Track.Warnings.push_back(File + ":" + std::to_string(Track.ObjectLines[I]) + ": warning: the " +
                                     Describe(Built.Objects[I].Kind) + " overlaps " + Other);
        }
}
