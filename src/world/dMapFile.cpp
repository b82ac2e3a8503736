// The .map file format: the bytes of a track, read with every check the builder relies on, and
// written back.
#include "world/dMap.h"

#include "engine/Files.h"
#include "engine/Text1251.h"
#include "world/dMapShared.h"

#include <bit>
#include <cmath>
#include <limits>

namespace {

constexpr size_t MAP_HEADER_BYTES = 16;
constexpr size_t MAP_POINT_BYTES = 16;
constexpr size_t MAP_OBJECT_BYTES = 20;
// Six road mesh vertices per file point must still be counted in an int32.
constexpr int32_t MAX_ROAD_POINTS = std::numeric_limits<int32_t>::max() / 6;
// The two start flags are added to the file's objects.
constexpr int32_t MAX_DESK_OBJECTS = std::numeric_limits<int32_t>::max() - 2;

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
    // x, y, z in that order (a braced list is evaluated from left to right).
    TVec3 Vec() { return TVec3{Float(), Float(), Float()}; }

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
void PutVec(std::vector<uint8_t>& Out, const TVec3& V) {
    PutFloat(Out, V.x);
    PutFloat(Out, V.y);
    PutFloat(Out, V.z);
}

// Points and objects both store a position and one more float after it.
bool AllFinite(const TVec3& Pos, float After) {
    return VecIsFinite(Pos) && std::isfinite(After);
}

std::string NotFinite(const std::string& What, int32_t I) {
    return What + " " + std::to_string(I) + " holds a number that is not finite";
}

bool SameSpotXY(const TVec3& A, const TVec3& B) {
    return A.x == B.x && A.y == B.y;
}

} // namespace

TMapData ParseMap(const std::vector<uint8_t>& Bytes, const std::string& FileName) {
    if (Bytes.size() < MAP_HEADER_BYTES)
        RefuseMap(FileName, "file ends inside the header", Win1251("файл обрывается в заголовке"));
    TMapReader In(Bytes);
    const int32_t N = In.Int();
    const int32_t M = In.Int();
    TMapData Data;
    Data.StartPoint = In.Int();
    Data.LapCount = In.Int();
    const std::string NText = std::to_string(N), MText = std::to_string(M);
    if (N < 2)
        RefuseMap(FileName, "needs at least 2 road points, has " + NText,
                  Win1251("нужно не меньше 2 точек дороги, а их ") + NText);
    if (N > MAX_ROAD_POINTS)
        RefuseMap(FileName, "too many road points: " + NText,
                  Win1251("слишком много точек дороги: ") + NText);
    if (M < 0)
        RefuseMap(FileName, "negative desk object count " + MText,
                  Win1251("отрицательное число предметов: ") + MText);
    if (M > MAX_DESK_OBJECTS)
        RefuseMap(FileName, "too many desk objects: " + MText,
                  Win1251("слишком много предметов: ") + MText);
    // Both counts are below 2^31, so these sums cannot overflow 64 bits.
    const uint64_t PointsEnd = MAP_HEADER_BYTES + uint64_t(N) * MAP_POINT_BYTES;
    const uint64_t ObjectsEnd = PointsEnd + uint64_t(M) * MAP_OBJECT_BYTES;
    if (Bytes.size() < PointsEnd)
        RefuseMap(FileName, "file ends inside the road points",
                  Win1251("файл обрывается в точках дороги"));
    if (Bytes.size() < ObjectsEnd)
        RefuseMap(FileName, "file ends inside the desk objects",
                  Win1251("файл обрывается в предметах"));
    if (Data.StartPoint < 0 || Data.StartPoint >= N) {
        const std::string Start = std::to_string(Data.StartPoint);
        RefuseMap(FileName, "start point " + Start + " is not one of the " + NText + " road points",
                  Win1251("старт ") + Start + Win1251(" не из ") + NText +
                      Win1251(" точек дороги"));
    }

    Data.Points.resize(size_t(N));
    for (int32_t I = 0; I < N; ++I) {
        TRoadPoint& P = Data.Points[size_t(I)];
        P.Pos = In.Vec();
        P.HalfWidth = In.Float();
        if (!AllFinite(P.Pos, P.HalfWidth))
            RefuseMap(FileName, NotFinite("road point", I),
                      Win1251("в точке дороги ") + std::to_string(I) + Win1251(" не число"));
    }
    Data.Objects.resize(size_t(M));
    for (int32_t I = 0; I < M; ++I) {
        TDeskObject& O = Data.Objects[size_t(I)];
        O.Pos = In.Vec();
        O.Angle = In.Float();
        O.Kind = In.Int();
        if (!AllFinite(O.Pos, O.Angle))
            RefuseMap(FileName, NotFinite("desk object", I),
                      Win1251("в предмете ") + std::to_string(I) + Win1251(" не число"));
        if (O.Kind < 0 || O.Kind >= OBJECT_KIND_COUNT) {
            const std::string Object = std::to_string(I), Kind = std::to_string(O.Kind),
                              Last = std::to_string(OBJECT_KIND_COUNT - 1);
            RefuseMap(FileName,
                      "desk object " + Object + " has kind " + Kind + ", not 0 to " + Last,
                      Win1251("у предмета ") + Object + Win1251(" вид ") + Kind +
                          Win1251(", а не от 0 до ") + Last);
        }
    }

    // The builder normalises each segment's perpendicular and each point's sum of two of them.
    const std::vector<TRoadPoint>& P = Data.Points;
    for (size_t I = 0; I < P.size(); ++I) {
        const size_t Next = (I + 1) % P.size();
        if (SameSpotXY(P[I].Pos, P[Next].Pos)) {
            const std::string Two = std::to_string(I) + " and " + std::to_string(Next);
            RefuseMap(FileName, "road points " + Two + " lie on the same spot",
                      Win1251("точки дороги ") + std::to_string(I) + Win1251(" и ") +
                          std::to_string(Next) + Win1251(" совпадают"));
        }
    }
    // Point 0's side comes from its first segment alone (its predecessor is its own closing copy).
    for (size_t I = 1; I < P.size(); ++I) {
        const TVec3 Sum = RoadSideSum(P[I - 1].Pos, P[I].Pos, P[(I + 1) % P.size()].Pos);
        if (Sum.x == 0 && Sum.y == 0)
            RefuseMap(FileName, "the road doubles back on itself at point " + std::to_string(I),
                      Win1251("дорога разворачивается назад в точке ") + std::to_string(I));
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
        PutVec(Out, P.Pos);
        PutFloat(Out, P.HalfWidth);
    }
    for (const TDeskObject& O : Data.Objects) {
        PutVec(Out, O.Pos);
        PutFloat(Out, O.Angle);
        PutInt(Out, O.Kind);
    }
    return Out;
}
