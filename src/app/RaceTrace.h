#pragma once
// The race written down: after every update one CSV row per car, in the race manager's Cars order
// (the simulator's --trace format), and the 64-bit FNV-1a hash of exactly those bytes, the header
// included. Two races are the same race when their hashes are equal; the stored race hashes, the
// replays and the simulator all use this one fingerprint.

#include <cstdint>
#include <cstdio>
#include <string>

class TRace;

class TRaceTrace {
public:
    static constexpr const char* HEADER =
        "update,car,x,y,angle,speed,roadpoint,laps,place,finished,fx,fy,rx,ry\n";

    // Starts a trace with its header; Out (optional, not owned) receives the text as well.
    explicit TRaceTrace(std::FILE* Out = nullptr);
    // The rows of the race's cars after update Update (0: just after the level was loaded).
    void AddUpdate(long Update, const TRace& Race);
    uint64_t Hash() const { return State; }
    // Hash as 16 lower-case hex digits.
    std::string HashText() const { return HashHex(State); }
    static std::string HashHex(uint64_t Hash);

    static uint64_t HashBytes(const std::string& Bytes);

private:
    void Add(const char* Text, size_t Length);
    std::FILE* Out;
    uint64_t State;
};
