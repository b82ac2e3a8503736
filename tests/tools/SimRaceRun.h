#pragma once
// Runs `marvolin-sim race` as a program in a scratch folder and reads back its output and trace.

#include "ToolRun.h"

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace simrace {

// The maps the content generator writes into the build folder, where the tests run.
constexpr int MAP_COUNT = 11;
inline std::string MapFile(int Number) {
    return "data/maps/map" + std::to_string(Number) + ".map";
}

// The race's clock: update k at 25 k ms; the countdown's third step comes at the first update
// strictly more than 3 x 1000 ms after its steps began: updates 41, 82 and 123.
constexpr int START_UPDATE = 123;

constexpr int CAR_COUNT = 6;
constexpr int TRACE_FIELDS = 14;

struct TRow {
    long Update = 0;
    int Car = 0;
    double X = 0, Y = 0, Angle = 0, Speed = 0;
    int RoadPoint = 0, Laps = 0, Place = 0, Finished = 0;
    double Fx = 0, Fy = 0, Rx = 0, Ry = 0;
};

inline std::vector<std::string> SplitLines(const std::string& Text) {
    std::vector<std::string> Lines;
    std::istringstream In(Text);
    for (std::string Line; std::getline(In, Line);)
        Lines.push_back(Line);
    return Lines;
}

inline std::vector<std::string> SplitFields(const std::string& Line) {
    std::vector<std::string> Fields;
    std::string Field;
    std::istringstream In(Line);
    while (std::getline(In, Field, ','))
        Fields.push_back(Field);
    if (!Line.empty() && Line.back() == ',') Fields.emplace_back();
    return Fields;
}

// Parses the rows after the header; false at the first malformed one.
inline bool ParseRows(const std::vector<std::string>& Lines, std::vector<TRow>& Rows) {
    for (size_t I = 1; I < Lines.size(); ++I) {
        const std::vector<std::string> F = SplitFields(Lines[I]);
        if (F.size() != TRACE_FIELDS) return false;
        TRow R;
        try {
            R.Update = std::stol(F[0]);
            R.Car = std::stoi(F[1]);
            R.X = std::stod(F[2]);
            R.Y = std::stod(F[3]);
            R.Angle = std::stod(F[4]);
            R.Speed = std::stod(F[5]);
            R.RoadPoint = std::stoi(F[6]);
            R.Laps = std::stoi(F[7]);
            R.Place = std::stoi(F[8]);
            R.Finished = std::stoi(F[9]);
            R.Fx = std::stod(F[10]);
            R.Fy = std::stod(F[11]);
            R.Rx = std::stod(F[12]);
            R.Ry = std::stod(F[13]);
        } catch (const std::exception&) {
            return false;
        }
        Rows.push_back(R);
    }
    return true;
}

// 64-bit FNV-1a of the bytes.
inline uint64_t Fnv1a(const std::string& Bytes) {
    uint64_t H = 14695981039346656037ull;
    for (unsigned char C : Bytes) {
        H ^= C;
        H *= 1099511628211ull;
    }
    return H;
}

class TSimRaceTest : public TSimTest {
protected:
    TSimRaceTest() : TSimTest("marvolin-sim-race") {}

    std::string TracePath() const { return (Folder / "trace.csv").string(); }

    // The last line of stdout.
    std::string LastLine() const {
        const std::vector<std::string> Lines = SplitLines(Out);
        return Lines.empty() ? std::string() : Lines.back();
    }
};

} // namespace simrace
