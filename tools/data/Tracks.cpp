#include "Tracks.h"

#include "Content.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

namespace {

struct TControlPoint {
    TVec2D Pos;
    double HalfWidth = 0;
    int Line = 0;
};

// What a source says, every line read and the whole found complete.
struct TTrackSource {
    std::vector<TControlPoint> Controls; // in driving order
    int StartControl = -1;
    int LapCount = 0, LapsLine = 0;
    std::vector<TDeskObject> Objects;
    std::vector<int> ObjectLines;
};

// Samples per spline piece for measuring its length.
constexpr int ARC_SAMPLES = 256;
constexpr double CATMULL_ROM_ALPHA = 0.5; // centripetal: no cusps or loops within a piece

std::string Lower(std::string S) {
    for (char& C : S)
        C = char(std::tolower(static_cast<unsigned char>(C)));
    return S;
}

// ---------------------------------------------------------------- reading a source

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
        if (W == OBJECT_ASSETS[K].SourceName || (OBJECT_ASSETS[K].Model && W == ObjectModelName(K)))
            return K;
    return -1;
}

std::string KindList() {
    std::string S;
    for (int K = 0; K < OBJECT_KIND_COUNT; ++K)
        S += (K ? ", " : "") + std::string(OBJECT_ASSETS[K].SourceName);
    return S;
}

bool SamePlace(const TControlPoint& A, const TControlPoint& B) {
    return A.Pos.x == B.Pos.x && A.Pos.y == B.Pos.y;
}

// One line of a source split into words (comment removed), and the ways it is refused.
struct TSourceLine {
    const std::string& File;
    int Line;
    std::vector<std::string> Words;

    [[noreturn]] void Refuse(const std::string& Fault) const {
        throw TTrackError(File, Line, Fault);
    }
    // Refuses a line with fewer than Min or more than Max words, showing the form it should have.
    void Expect(size_t Min, size_t Max, const char* Form) const {
        if (Words.size() < Min || Words.size() > Max)
            Refuse(std::string("expected \"") + Form + "\"");
    }
    // Every number of a source ends up in a float of the .map.
    double Number(size_t I, const char* What) const {
        double V = 0;
        if (!ParseNumber(Words[I], V))
            Refuse(std::string(What) + " \"" + Words[I] + "\" is not a number");
        if (std::fabs(V) > double(std::numeric_limits<float>::max()))
            Refuse(std::string(What) + " \"" + Words[I] + "\" is beyond the range of a float");
        return V;
    }
    // A number from Min to Max; Range says so in the refusal.
    double Number(size_t I, const char* What, double Min, double Max,
                  const std::string& Range) const {
        const double V = Number(I, What);
        if (V < Min || V > Max)
            Refuse(std::string(What) + " " + Words[I] + " is out of range (" + Range + ")");
        return V;
    }
    double DeskCoordinate(size_t I, const char* What) const {
        return Number(I, What, -DESK_HALF_SIZE, DESK_HALF_SIZE,
                      "the desk: " + Rounded(-DESK_HALF_SIZE) + " to " + Rounded(DESK_HALF_SIZE));
    }
};

void ReadLaps(const TSourceLine& L, TTrackSource& S) {
    L.Expect(2, 2, "laps COUNT");
    const std::string Range = "a whole number from 1 to " + std::to_string(MAX_LAPS);
    const double Laps = L.Number(1, "lap count", 1, MAX_LAPS, Range);
    if (Laps != std::floor(Laps)) L.Refuse("lap count " + L.Words[1] + " is not " + Range);
    if (S.LapsLine)
        L.Refuse("a second lap count (the first is on line " + std::to_string(S.LapsLine) + ")");
    S.LapCount = int(Laps);
    S.LapsLine = L.Line;
}

void ReadPoint(const TSourceLine& L, TTrackSource& S) {
    L.Expect(4, 5, "point X Y HALFWIDTH [start]");
    if (S.Controls.size() >= size_t(MAX_CONTROL_POINTS))
        L.Refuse("too many points (a track has at most " + std::to_string(MAX_CONTROL_POINTS) +
                 ")");
    const TControlPoint P{{L.DeskCoordinate(1, "x"), L.DeskCoordinate(2, "y")},
                          L.Number(3, "half-width", MIN_HALF_WIDTH, MAX_HALF_WIDTH,
                                   Rounded(MIN_HALF_WIDTH) + " to " + Rounded(MAX_HALF_WIDTH)),
                          L.Line};
    if (L.Words.size() == 5) {
        if (Lower(L.Words[4]) != "start")
            L.Refuse("unknown marker \"" + L.Words[4] + "\" (only \"start\")");
        if (S.StartControl >= 0)
            L.Refuse("a second start point (the first is on line " +
                     std::to_string(S.Controls[size_t(S.StartControl)].Line) + ")");
        S.StartControl = int(S.Controls.size());
    }
    if (!S.Controls.empty() && SamePlace(S.Controls.back(), P))
        L.Refuse("point repeats the previous point");
    S.Controls.push_back(P);
}

void ReadObject(const TSourceLine& L, TTrackSource& S) {
    L.Expect(5, 5, "object KIND X Y ANGLE");
    if (S.Objects.size() >= size_t(MAX_SOURCE_OBJECTS))
        L.Refuse("too many objects (a track has at most " + std::to_string(MAX_SOURCE_OBJECTS) +
                 ")");
    const int Kind = ParseKind(L.Words[1]);
    if (Kind < 0)
        L.Refuse("unknown object kind \"" + L.Words[1] + "\" (0 to " +
                 std::to_string(OBJECT_KIND_COUNT - 1) + " or one of: " + KindList() + ")");
    TDeskObject O;
    O.Pos = {float(L.DeskCoordinate(2, "x")), float(L.DeskCoordinate(3, "y")), 0};
    O.Angle =
        float(L.Number(4, "angle", -MAX_ANGLE_DEG, MAX_ANGLE_DEG,
                       Rounded(-MAX_ANGLE_DEG) + " to " + Rounded(MAX_ANGLE_DEG) + " degrees"));
    O.Kind = Kind;
    S.Objects.push_back(O);
    S.ObjectLines.push_back(L.Line);
}

// What is missing from a source is blamed on its last line, or on the line that says too little.
void CheckComplete(const std::string& File, const TTrackSource& S, int LineCount) {
    const int LastLine = std::max(LineCount, 1);
    const std::vector<TControlPoint>& C = S.Controls;
    if (C.size() < 2)
        throw TTrackError(File, C.empty() ? LastLine : C[0].Line,
                          "a track needs at least two points, this one has " +
                              std::to_string(C.size()));
    if (SamePlace(C.back(), C[0]))
        throw TTrackError(File, C.back().Line,
                          "last point repeats the first (the loop closes by itself)");
    if (!S.LapsLine) throw TTrackError(File, LastLine, "no lap count (\"laps COUNT\")");
    if (S.StartControl < 0)
        throw TTrackError(File, LastLine, "no start point (mark one point \"start\")");
}

TTrackSource ReadSource(std::istream& In, const std::string& File) {
    TTrackSource S;
    int LineNo = 0;
    for (std::string Text; std::getline(In, Text);) {
        ++LineNo;
        if (const size_t Hash = Text.find('#'); Hash != std::string::npos) Text.erase(Hash);
        TSourceLine L{File, LineNo, {}};
        std::istringstream Words(Text);
        for (std::string W; Words >> W;)
            L.Words.push_back(W);
        if (L.Words.empty()) continue;
        const std::string Key = Lower(L.Words[0]);
        if (Key == "laps")
            ReadLaps(L, S);
        else if (Key == "point")
            ReadPoint(L, S);
        else if (Key == "object")
            ReadObject(L, S);
        else
            L.Refuse("unknown keyword \"" + L.Words[0] + "\" (laps, point, object)");
    }
    CheckComplete(File, S, LineNo);
    return S;
}

// ---------------------------------------------------------------- laying the road

// The spline piece from control point P1 to P2, shaped by the points before and after them.
struct TSplinePiece {
    TVec2D P0, P1, P2, P3;

    // The centripetal Catmull-Rom point at T in [0, 1].
    TVec2D At(double T) const {
        const auto Knot = [](TVec2D A, TVec2D B) {
            return std::pow(std::max(Dist(A, B), 1e-9), CATMULL_ROM_ALPHA);
        };
        const double T0 = 0, T1 = T0 + Knot(P0, P1), T2 = T1 + Knot(P1, P2), T3 = T2 + Knot(P2, P3);
        const double U = T1 + (T2 - T1) * T;
        const auto L = [](TVec2D A, TVec2D B, double TA, double TB, double X) {
            const double F = (X - TA) / (TB - TA);
            return TVec2D{A.x + (B.x - A.x) * F, A.y + (B.y - A.y) * F};
        };
        const TVec2D A1 = L(P0, P1, T0, T1, U), A2 = L(P1, P2, T1, T2, U),
                     A3 = L(P2, P3, T2, T3, U);
        const TVec2D B1 = L(A1, A2, T0, T2, U), B2 = L(A2, A3, T1, T3, U);
        return L(B1, B2, T1, T2, U);
    }

    // The length along the piece to each of ARC_SAMPLES + 1 evenly spaced parameters.
    std::vector<double> ArcLengths() const {
        std::vector<double> Arc(ARC_SAMPLES + 1, 0);
        TVec2D Prev = P1;
        for (int S = 1; S <= ARC_SAMPLES; ++S) {
            const TVec2D P = At(double(S) / ARC_SAMPLES);
            Arc[size_t(S)] = Arc[size_t(S) - 1] + Dist(P, Prev);
            Prev = P;
        }
        return Arc;
    }
};

// The parameter at which the measured arc reaches Goal.
double ParameterAtArc(const std::vector<double>& Arc, double Goal) {
    size_t S = 0;
    while (S < ARC_SAMPLES && Arc[S + 1] < Goal)
        ++S;
    const double Span = Arc[S + 1] - Arc[S];
    return (double(S) + (Span > 0 ? (Goal - Arc[S]) / Span : 0)) / ARC_SAMPLES;
}

// How many road points a piece of road of this length starts with: spaced as near
// ROAD_POINT_SPACING as a whole number allows, within the bounds where the length allows.
int RoadPointsAlong(double Length) {
    int Pieces = std::max(1, int(std::lround(Length / ROAD_POINT_SPACING)));
    if (Length / Pieces > MAX_ROAD_POINT_SPACING) ++Pieces;
    if (Pieces > 1 && Length / Pieces < MIN_ROAD_POINT_SPACING) --Pieces;
    return Pieces;
}

// Lays the road points along the closed spline, piece by piece, each control point the first road
// point of its piece.
void LayRoad(const TTrackSource& S, TCompiledTrack& Track) {
    const std::vector<TControlPoint>& C = S.Controls;
    const size_t N = C.size();
    for (size_t I = 0; I < N; ++I) {
        const TControlPoint &From = C[I], &To = C[(I + 1) % N];
        const TSplinePiece Piece{C[(I + N - 1) % N].Pos, From.Pos, To.Pos, C[(I + 2) % N].Pos};
        const std::vector<double> Arc = Piece.ArcLengths();
        const double Length = Arc.back();
        const int Count = RoadPointsAlong(Length);
        if (Track.Map.Points.size() + size_t(Count) > size_t(MAX_ROAD_POINTS))
            throw TTrackError(
                Track.Source, From.Line,
                "the road is too long: it needs more than " + std::to_string(MAX_ROAD_POINTS) +
                    " road points by here (at most " + std::to_string(MAX_ROAD_POINTS) +
                    ", about " + Rounded(MAX_ROAD_POINTS * ROAD_POINT_SPACING) + " units)");
        if (Length / Count < MIN_ROAD_POINT_SPACING)
            Track.Warnings.push_back(Track.Source + ":" + std::to_string(From.Line) +
                                     ": warning: the road to the next point is only " +
                                     Rounded(Length) + " long (road points are best " +
                                     Rounded(MIN_ROAD_POINT_SPACING) + " or more apart)");
        if (int(I) == S.StartControl) Track.Map.StartPoint = int32_t(Track.Map.Points.size());
        for (int K = 0; K < Count; ++K) {
            const TVec2D P = K == 0 ? From.Pos : Piece.At(ParameterAtArc(Arc, Length * K / Count));
            TRoadPoint R;
            R.Pos = {float(P.x), float(P.y), 0};
            R.HalfWidth = float(SmoothMix(From.HalfWidth, To.HalfWidth, double(K) / Count));
            Track.Map.Points.push_back(R);
            Track.PointLines.push_back(From.Line);
        }
    }
}

// Lays out what a source says.
TCompiledTrack Compile(const TTrackSource& Source, const std::string& SourcePath) {
    TCompiledTrack Track;
    Track.Source = SourcePath;
    Track.Map.LapCount = int32_t(Source.LapCount);
    Track.Map.Objects = Source.Objects;
    Track.ObjectLines = Source.ObjectLines;
    Track.StartLine = Source.Controls[size_t(Source.StartControl)].Line;
    LayRoad(Source, Track);
    return Track;
}

} // namespace

TCompiledTrack CompileTrack(const std::string& SourcePath) {
    std::ifstream In(SourcePath);
    if (!In) throw TTrackError(SourcePath, 0, "cannot be read");
    return Compile(ReadSource(In, SourcePath), SourcePath);
}

TCompiledTrack CompileTrackText(const std::string& Text, const std::string& SourcePath) {
    std::istringstream In(Text);
    return Compile(ReadSource(In, SourcePath), SourcePath);
}

std::string MapFileOf(const std::string& SourcePath) {
    return "maps/" + Lower(std::filesystem::path(SourcePath).stem().string()) + ".map";
}

std::string Rounded(double V) {
    return std::to_string(int(std::lround(V)));
}
