#include "app/RaceTrace.h"

#include "cars/dCars.h"
#include "cars/dRace.h"

#include <cinttypes>
#include <cstring>

namespace {

constexpr uint64_t FNV_OFFSET = 14695981039346656037ull;
constexpr uint64_t FNV_PRIME = 1099511628211ull;

uint64_t Mix(uint64_t State, const char* Text, size_t Length) {
    for (size_t I = 0; I < Length; ++I) {
        State ^= static_cast<unsigned char>(Text[I]);
        State *= FNV_PRIME;
    }
    return State;
}

} // namespace

TRaceTrace::TRaceTrace(std::FILE* Out) : Out(Out), State(FNV_OFFSET) {
    Add(HEADER, std::strlen(HEADER));
}

void TRaceTrace::AddUpdate(long Update, const TRace& Race) {
    char Row[512];
    for (size_t I = 0; I < Race.Cars.size(); ++I) {
        const TBasicCar& C = *Race.Cars[I];
        // Floats with 9 significant digits read back to the same float.
        const int Length = std::snprintf(
            Row, sizeof Row, "%ld,%zu,%.9g,%.9g,%.9g,%.9g,%d,%d,%d,%d,%.9g,%.9g,%.9g,%.9g\n",
            Update, I, double(C.Pos.x), double(C.Pos.y), double(C.Angle), double(C.Speed),
            int(C.RoadPoint), int(C.Laps), int(C.Place), C.Finished ? 1 : 0,
            double(C.Masses[0].Pos.x), double(C.Masses[0].Pos.y), double(C.Masses[1].Pos.x),
            double(C.Masses[1].Pos.y));
        Add(Row, size_t(Length));
    }
}

std::string TRaceTrace::HashHex(uint64_t Hash) {
    char Text[17];
    std::snprintf(Text, sizeof Text, "%016" PRIx64, Hash);
    return Text;
}

uint64_t TRaceTrace::HashBytes(const std::string& Bytes) {
    return Mix(FNV_OFFSET, Bytes.data(), Bytes.size());
}

void TRaceTrace::Add(const char* Text, size_t Length) {
    State = Mix(State, Text, Length);
    if (Out) std::fwrite(Text, 1, Length, Out);
}
