// Whole races on every track of the game, run with marvolin-sim race: every computer car gets
// round every track, and a long scripted race gives the same trace, bit for bit, on every run and
// with every compiler.
//
// Regenerating the race hashes (after an intended change of a track, of the car code or of the
// race manager): run
//     MARVOLIN_PRINT_RACE_HASHES=1 ./test_tools --gtest_filter='RaceHashes.*'
// in the build folder and paste the printed table over RACE_HASHES below. Both builds of
// scripts/test.sh (g++, and clang++ with sanitizers) must then agree with it.
#include "SimRaceRun.h"

#include "engine/Files.h"
#include "world/dMap.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>

using namespace simrace;

namespace {

// --- Every track can be raced ------------------------------------------------------------------

// The slowest average a computer car may drive and still count as getting round: two sevenths of
// the top speed of 14 world units per update (a car that keeps to the road averages about 12).
constexpr double MIN_AVERAGE_SPEED = 4; // world units per update

double LoopLength(const TMapData& Track) {
    double Length = 0;
    for (size_t I = 0; I < Track.Points.size(); ++I) {
        const TVec3& A = Track.Points[I].Pos;
        const TVec3& B = Track.Points[(I + 1) % Track.Points.size()].Pos;
        Length += std::hypot(double(B.x) - A.x, double(B.y) - A.y);
    }
    return Length;
}

// Where a car lost the most time: the road point it stood nearest to for the longest unbroken
// run of updates, and where it stood then.
std::string WhereItStuck(const std::vector<TRow>& Rows, int Car) {
    long BestRun = 0, Run = 0;
    const TRow* Best = nullptr;
    const TRow* Previous = nullptr;
    for (const TRow& R : Rows) {
        if (R.Car != Car || R.Update <= START_UPDATE) continue;
        Run = Previous && Previous->RoadPoint == R.RoadPoint ? Run + 1 : 1;
        if (Run > BestRun) {
            BestRun = Run;
            Best = &R;
        }
        Previous = &R;
    }
    if (!Best) return "no update after the start";
    char Text[200];
    std::snprintf(Text, sizeof Text,
                  "longest at road point %d: %ld updates, up to update %ld at (%.1f, %.1f)",
                  Best->RoadPoint, BestRun, Best->Update, Best->X, Best->Y);
    return Text;
}

// The update by which a race on the track must be over: every lap at the slowest average speed.
long RaceLimit(const TMapData& Track) {
    return START_UPDATE + long(std::ceil(Track.LapCount * LoopLength(Track) / MIN_AVERAGE_SPEED));
}

class EveryTrack : public TSimRaceTest {
protected:
    TMapData Track(int Number) {
        const std::string File = MapFile(Number);
        EXPECT_TRUE(FileExists(File)) << File << " is written by the content generator";
        return ParseMap(ReadWholeFile(File), File);
    }
};

// Drivable: with the idle player on the grid and each car choice (the computer cars then drive
// the other models), all five computer cars finish.
TEST_F(EveryTrack, AllComputerCarsCompleteTheLapsWithTheIdlePlayerOnTheGridWithEveryCarChoice) {
    for (int Number = 1; Number <= MAP_COUNT; ++Number) {
        const TMapData Map = Track(Number);
        const long Limit = RaceLimit(Map);
        for (int Choice = 0; Choice < CAR_COUNT; ++Choice) {
            SCOPED_TRACE("map" + std::to_string(Number) + ", car " + std::to_string(Choice));
            ASSERT_EQ(Run({"race", MapFile(Number), "--car", std::to_string(Choice), "--updates",
                           std::to_string(Limit), "--trace", TracePath()}),
                      0)
                << Err;
            std::vector<TRow> Rows;
            ASSERT_TRUE(ParseRows(SplitLines(Slurp(TracePath())), Rows));
            ASSERT_EQ(Rows.size(), size_t(Limit + 1) * CAR_COUNT);
            for (int Car = 1; Car < CAR_COUNT; ++Car) {
                long FinishedAt = -1;
                for (const TRow& R : Rows)
                    if (R.Car == Car && R.Finished) {
                        FinishedAt = R.Update;
                        break;
                    }
                const TRow& Last = Rows[size_t(Limit) * CAR_COUNT + size_t(Car)];
                EXPECT_GE(FinishedAt, 0)
                    << "car " << Car << " did " << Last.Laps << " of " << Map.LapCount
                    << " laps in " << Limit << " updates (track " << long(LoopLength(Map))
                    << " units long); it ended at road point " << Last.RoadPoint << " (" << Last.X
                    << ", " << Last.Y << "); " << WhereItStuck(Rows, Car);
            }
        }
    }
}

// Winnable: the keyboard driver finishes first or second with every car choice, and the key file
// it writes, raced again as a player's key file, is the same race.
TEST_F(EveryTrack, TheKeyboardDriverFinishesInTheTopTwoAndItsKeyFileIsTheSameRace) {
    const std::string Keys = (Folder / "bot.keys").string();
    const std::string Again = (Folder / "again.csv").string();
    for (int Number = 1; Number <= MAP_COUNT; ++Number) {
        const std::string Limit = std::to_string(RaceLimit(Track(Number)));
        for (int Choice = 0; Choice < CAR_COUNT; ++Choice) {
            SCOPED_TRACE("map" + std::to_string(Number) + ", car " + std::to_string(Choice));
            const std::string Car = std::to_string(Choice);
            ASSERT_EQ(Run({"race", MapFile(Number), "--car", Car, "--driver", "bot", "--keys-out",
                           Keys, "--updates", Limit, "--trace", TracePath()}),
                      0)
                << Err;
            const std::string Result = LastLine();
            int State = 0, Place = 0;
            ASSERT_EQ(
                std::sscanf(Result.c_str(), "updates=%*d state=%d finish_place=%d", &State, &Place),
                2)
                << Result;
            EXPECT_EQ(State, 2) << "the driver did not finish: " << Result;
            EXPECT_GE(Place, 1);
            EXPECT_LE(Place, 2) << Result;
            ASSERT_EQ(Run({"race", MapFile(Number), "--car", Car, "--keys", Keys, "--updates",
                           Limit, "--trace", Again}),
                      0)
                << Err;
            EXPECT_EQ(LastLine(), Result);
            EXPECT_TRUE(Slurp(Again) == Slurp(TracePath())) << "the key file drives another race";
        }
    }
}

// --- The same race every time ------------------------------------------------------------------

// A long race with the player at the wheel: off the line, weaving, braking, sliding.
const char* const PLAYER_SCRIPT = "0 -\n"
                                  "124 W\n"
                                  "300 WA\n"
                                  "340 W\n"
                                  "520 WD\n"
                                  "560 W\n"
                                  "800 W_\n"
                                  "830 S\n"
                                  "900 WA\n"
                                  "1000 W\n"
                                  "1500 WD\n"
                                  "1540 W\n"
                                  "2200 SA\n"
                                  "2260 W\n"
                                  "3000 WAD\n"
                                  "3100 W\n";
constexpr int HASHED_UPDATES = 5000;

// FNV-1a of the whole trace of the scripted race on map1 ... map11, driving car model 3.
const uint64_t RACE_HASHES[MAP_COUNT] = {
    0x9e043b44674a7363ull, // map1
    0xa2fd4638fb16a4adull, // map2
    0x045bc2f7618f7fbbull, // map3
    0x60fdec82e742ef64ull, // map4
    0xc57206d32aa90391ull, // map5
    0x5060d4e02119422full, // map6
    0xc2224a8182adf439ull, // map7
    0x351b7dad501214a7ull, // map8
    0x67393385bd382ccaull, // map9
    0xab5df81287344af9ull, // map10
    0x1a7e547f3df0e604ull, // map11
};

class RaceHashes : public TSimRaceTest {
protected:
    uint64_t HashOf(int Number, const std::string& Keys) {
        EXPECT_EQ(Run({"race", MapFile(Number), "--car", "3", "--keys", Keys, "--updates",
                       std::to_string(HASHED_UPDATES), "--trace", TracePath()}),
                  0)
            << Err;
        return Fnv1a(Slurp(TracePath()));
    }
};

TEST_F(RaceHashes, ScriptedRaceOnEveryTrackIsTheSameEveryTimeAndWithEveryCompiler) {
    const std::string Keys = Write("keys", PLAYER_SCRIPT);
    const bool Print = std::getenv("MARVOLIN_PRINT_RACE_HASHES") != nullptr;
    if (Print) std::printf("const uint64_t RACE_HASHES[MAP_COUNT] = {\n");
    for (int Number = 1; Number <= MAP_COUNT; ++Number) {
        SCOPED_TRACE("map" + std::to_string(Number));
        ASSERT_TRUE(FileExists(MapFile(Number))) << "written by the content generator";
        const uint64_t First = HashOf(Number, Keys);
        const uint64_t Second = HashOf(Number, Keys);
        EXPECT_EQ(First, Second) << "two runs of one race differ";
        if (Print) {
            std::printf("    0x%016" PRIx64 "ull, // map%d\n", First, Number);
            continue;
        }
        EXPECT_EQ(First, RACE_HASHES[Number - 1])
            << "the race differs from the stored one; if a track or the car code changed on "
               "purpose, regenerate the hashes (see the top of this file)";
    }
    if (Print) std::printf("};\n");
}

// --- Replays ----------------------------------------------------------------------------------

// The scripted race of RaceHashes on map1 as the game would record it: the level loaded at
// LoadMs, update k at k * 25 ms after it on the engine's wrapping 32-bit clock.
std::string ScriptedReplay(const std::string& MapHash, const std::string& RaceHash, int Updates,
                           int32_t LoadMs = 0) {
    std::vector<std::pair<int, std::string>> Changes;
    for (const std::string& Line : SplitLines(PLAYER_SCRIPT)) {
        int From = 0;
        char Keys[16] = {};
        if (std::sscanf(Line.c_str(), "%d %15s", &From, Keys) == 2) Changes.push_back({From, Keys});
    }
    const auto KeysAt = [&](int Update) {
        std::string Held = "-";
        for (const auto& [From, Keys] : Changes)
            if (From <= Update) Held = Keys;
        return Held;
    };
    std::string Text = "marvolin-replay 1\nmap map1 " + MapHash + "\ncar 3\nload " +
                       std::to_string(LoadMs) + " " + KeysAt(0) + "\n";
    for (int K = 1; K <= Updates; ++K)
        Text += std::to_string(K) + " " +
                std::to_string(int32_t(uint32_t(LoadMs) + uint32_t(K * 25))) + " " + KeysAt(K) +
                "\n";
    return Text + "end " + std::to_string(Updates) + " " + RaceHash + " quit\n";
}

std::string Hex(uint64_t Value) {
    char Text[17];
    std::snprintf(Text, sizeof Text, "%016" PRIx64, Value);
    return Text;
}

// FNV-1a of the bytes of map1's file.
uint64_t Map1Hash() {
    uint64_t Hash = 14695981039346656037ull;
    for (const unsigned char C : Slurp(MapFile(1))) {
        Hash ^= C;
        Hash *= 1099511628211ull;
    }
    return Hash;
}

TEST_F(RaceHashes, AReplayOfTheScriptedRaceHoldsTheStoredHashAndAnotherHashIsRefused) {
    const uint64_t MapHash = Map1Hash();
    const std::string Good =
        Write("good.replay", ScriptedReplay(Hex(MapHash), Hex(RACE_HASHES[0]), HASHED_UPDATES));
    ASSERT_EQ(Run({"race", "--replay", Good, "--trace", TracePath()}), 0) << Err;
    EXPECT_EQ(Fnv1a(Slurp(TracePath())), RACE_HASHES[0]);

    const std::string Other =
        Write("other.replay", ScriptedReplay(Hex(MapHash), Hex(RACE_HASHES[0] ^ 1), 200));
    EXPECT_EQ(Run({"race", "--replay", Other}), 1);
    EXPECT_NE(Err.find("differs from its recording"), std::string::npos) << Err;

    const std::string WrongMap =
        Write("map.replay", ScriptedReplay(Hex(MapHash ^ 1), Hex(RACE_HASHES[0]), 200));
    EXPECT_EQ(Run({"race", "--replay", WrongMap}), 2);
    EXPECT_NE(Err.find("not the map the replay was recorded on"), std::string::npos) << Err;

    const std::string Text = ScriptedReplay(Hex(MapHash), Hex(RACE_HASHES[0]), 200);
    const size_t Half = Text.find('\n', Text.size() / 2) + 1;
    EXPECT_EQ(Run({"race", "--replay", Write("cut.replay", Text.substr(0, Half))}), 2);
    EXPECT_NE(Err.find("cut short"), std::string::npos) << Err;
    EXPECT_EQ(std::count(Err.begin(), Err.end(), '\n'), 1) << "one line: " << Err;
    EXPECT_EQ(Run({"race", "--replay", Write("torn.replay", Text.substr(0, Half - 3))}), 2);
}

// The engine's clock wraps from INT_MAX to INT_MIN. The race reads only intervals of it, so the
// scripted race loaded 3 s before the wrap (its countdown, its stuck checks and its laps running
// across it) is the stored race.
TEST_F(RaceHashes, TheScriptedRaceAcrossTheClocksWrapIsTheStoredRace) {
    const std::string Replay =
        Write("wrap.replay", ScriptedReplay(Hex(Map1Hash()), Hex(RACE_HASHES[0]), HASHED_UPDATES,
                                            INT32_MAX - 3000));
    EXPECT_EQ(Run({"race", "--replay", Replay}), 0) << Err;
}

} // namespace
