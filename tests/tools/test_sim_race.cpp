// marvolin-sim race, run as a program: its trace, its last line, its clock, its keys and its
// refusals.
#include "SimRaceRun.h"

#include "world/dMap.h"

#include <cstdio>
#include <cstdlib>

using namespace simrace;

namespace {

const std::string HEADER = "update,car,x,y,angle,speed,roadpoint,laps,place,finished,fx,fy,rx,ry";

class SimRace : public TSimRaceTest {
protected:
    // Runs map1 and reads the trace back; fails the test on a bad run.
    std::vector<TRow> Race(std::vector<std::string> Words) {
        Words.insert(Words.begin(), {"race", MapFile(1), "--trace", TracePath()});
        EXPECT_EQ(Run(Words), 0) << Err;
        const std::vector<std::string> Lines = SplitLines(Slurp(TracePath()));
        std::vector<TRow> Rows;
        EXPECT_FALSE(Lines.empty());
        if (Lines.empty()) return Rows;
        EXPECT_EQ(Lines[0], HEADER);
        EXPECT_TRUE(ParseRows(Lines, Rows)) << "every row has 14 numbers";
        return Rows;
    }
    static const TRow& At(const std::vector<TRow>& Rows, long Update, int Car) {
        return Rows[size_t(Update) * CAR_COUNT + size_t(Car)];
    }
};

TEST_F(SimRace, TraceHasSixRowsPerUpdateFromUpdateZeroInCarOrder) {
    const std::string Keys = Write("keys", "# the player drives off and turns\n"
                                           "\n"
                                           "0 -\n"
                                           "130 W\n"
                                           "200 WD\n"
                                           "240 W_\n");
    const std::vector<TRow> Rows = Race({"--keys", Keys, "--updates", "300"});
    ASSERT_EQ(Rows.size(), size_t(301 * CAR_COUNT));
    for (size_t I = 0; I < Rows.size(); ++I) {
        EXPECT_EQ(Rows[I].Update, long(I / CAR_COUNT)) << "row " << I;
        EXPECT_EQ(Rows[I].Car, int(I % CAR_COUNT)) << "row " << I;
    }
    // The last line: the counts, the race manager's state and each car's laps in Cars order.
    std::string Laps;
    for (int Car = 0; Car < CAR_COUNT; ++Car)
        Laps += (Car ? "," : "") + std::to_string(At(Rows, 300, Car).Laps);
    EXPECT_EQ(LastLine(), "updates=300 state=1 finish_place=0 laps=" + Laps);
}

TEST_F(SimRace, FloatsReadBackToTheSameFloat) {
    ASSERT_FALSE(Race({"--updates", "200"}).empty());
    const std::vector<std::string> Lines = SplitLines(Slurp(TracePath()));
    const size_t FloatFields[] = {2, 3, 4, 5, 10, 11, 12, 13};
    for (size_t I = 1; I < Lines.size(); ++I) {
        const std::vector<std::string> F = SplitFields(Lines[I]);
        ASSERT_EQ(F.size(), size_t(TRACE_FIELDS));
        for (size_t K : FloatFields) {
            char Again[32];
            std::snprintf(Again, sizeof Again, "%.9g", double(std::strtof(F[K].c_str(), nullptr)));
            ASSERT_EQ(F[K], Again) << "line " << I << ", field " << K;
        }
    }
}

TEST_F(SimRace, CarsStandOnTheGridUntilTheCountdownEnds) {
    const std::vector<TRow> Rows = Race({"--updates", std::to_string(START_UPDATE + 2)});
    ASSERT_EQ(Rows.size(), size_t(START_UPDATE + 3) * CAR_COUNT);
    for (int Car = 0; Car < CAR_COUNT; ++Car) {
        const TRow& Grid = At(Rows, 0, Car);
        const TRow& LastStill = At(Rows, START_UPDATE, Car);
        EXPECT_EQ(LastStill.X, Grid.X) << "car " << Car;
        EXPECT_EQ(LastStill.Y, Grid.Y) << "car " << Car;
        EXPECT_EQ(LastStill.Rx, Grid.Rx) << "car " << Car;
    }
    int Moved = 0;
    for (int Car = 1; Car < CAR_COUNT; ++Car)
        Moved += At(Rows, START_UPDATE + 1, Car).Rx != At(Rows, 0, Car).Rx;
    EXPECT_EQ(Moved, CAR_COUNT - 1)
        << "every computer car starts in the update after the third step";
    EXPECT_EQ(At(Rows, START_UPDATE + 1, 0).X, At(Rows, 0, 0).X) << "the idle player stays";
}

TEST_F(SimRace, KeysHoldFromTheirUpdateOn) {
    const std::string Keys = Write("keys", "124 W\n");
    const std::vector<TRow> Driven = Race({"--keys", Keys, "--updates", "140"});
    const std::vector<TRow> Idle = Race({"--updates", "140"});
    ASSERT_EQ(Driven.size(), Idle.size());
    EXPECT_EQ(At(Driven, 123, 0).X, At(Idle, 123, 0).X);
    EXPECT_EQ(At(Driven, 123, 0).Speed, 0);
    EXPECT_GT(At(Driven, 124, 0).Speed, 0) << "the first push comes in update 124";
    EXPECT_GT(At(Driven, 140, 0).Speed, 3) << "it gathers speed";
    EXPECT_EQ(At(Idle, 140, 0).Speed, 0);
}

TEST_F(SimRace, OnlyTheLettersWASDAndUnderscoreHoldKeys) {
    const std::vector<TRow> Plain = Race({"--keys", Write("k1", "124 W\n"), "--updates", "140"});
    const std::vector<TRow> Noisy = Race({"--keys", Write("k2", "124 xWq\n"), "--updates", "140"});
    const std::vector<TRow> Lower = Race({"--keys", Write("k3", "124 w\n"), "--updates", "140"});
    EXPECT_EQ(At(Noisy, 140, 0).X, At(Plain, 140, 0).X);
    EXPECT_EQ(At(Lower, 140, 0).Speed, 0) << "a lower-case w is no W";
}

TEST_F(SimRace, LaterKeyLinesReplaceEarlierOnesAndDashReleases) {
    const std::string Keys = Write("keys", "124 W\n134 -\n");
    const std::vector<TRow> Rows = Race({"--keys", Keys, "--updates", "150"});
    const double Coasting = At(Rows, 140, 0).Speed;
    EXPECT_GT(Coasting, 0);
    EXPECT_LE(At(Rows, 150, 0).Speed, Coasting) << "no more pushes after 134";
}

TEST_F(SimRace, ChosenCarChangesOnlyThePresetsNotTheGrid) {
    const std::vector<TRow> Model0 = Race({"--updates", "400"});
    const std::vector<TRow> Model2 = Race({"--car", "2", "--updates", "400"});
    ASSERT_EQ(Model0.size(), Model2.size());
    for (int Car = 0; Car < CAR_COUNT; ++Car)
        EXPECT_EQ(At(Model0, 0, Car).X, At(Model2, 0, Car).X);
    // Car 2 drives model 0 instead of model 2 (faster acceleration, lower top speed).
    EXPECT_NE(At(Model0, 200, 2).X, At(Model2, 200, 2).X);
}

TEST_F(SimRace, WithoutATraceOnlyTheLastLineIsWritten) {
    ASSERT_EQ(Run({"race", MapFile(1), "--updates", "0"}), 0) << Err;
    EXPECT_EQ(SplitLines(Out).size(), 1u);
    EXPECT_EQ(LastLine(), "updates=0 state=1 finish_place=0 laps=0,0,0,0,0,0");
}

// --- Refusals ----------------------------------------------------------------------------------

TEST_F(SimRace, MapThatCannotBeReadIsStatusTwoWithOneLine) {
    EXPECT_EQ(Run({"race", (Folder / "nothing.map").string()}), 2);
    EXPECT_EQ(SplitLines(Err).size(), 1u) << Err;
    EXPECT_NE(Err.find("nothing.map"), std::string::npos) << Err;
    EXPECT_TRUE(Out.empty());
}

TEST_F(SimRace, InvalidMapIsStatusTwoWithOneLine) {
    TMapData Bad;
    Bad.LapCount = 1;
    Bad.StartPoint = 5; // beyond the two points
    TRoadPoint P;
    P.HalfWidth = 50;
    Bad.Points = {P, P};
    Bad.Points[1].Pos.x = 100;
    const std::vector<uint8_t> Bytes = SerializeMap(Bad);
    const std::string File = Write("bad.map", std::string(Bytes.begin(), Bytes.end()));
    EXPECT_EQ(Run({"race", File, "--trace", TracePath()}), 2);
    EXPECT_EQ(SplitLines(Err).size(), 1u) << Err;
    EXPECT_NE(Err.find("start point"), std::string::npos) << Err;
    EXPECT_EQ(Run({"race", Write("short.map", "abc")}), 2);
    EXPECT_EQ(SplitLines(Err).size(), 1u) << Err;
}

TEST_F(SimRace, BadKeyFileIsStatusTwo) {
    EXPECT_EQ(Run({"race", MapFile(1), "--keys", (Folder / "none").string()}), 2);
    EXPECT_EQ(Run({"race", MapFile(1), "--keys", Write("k2", "9 W\n3 S\n")}), 2);
    EXPECT_EQ(Run({"race", MapFile(1), "--keys", Write("k3", "W 9\n")}), 2);
    EXPECT_EQ(SplitLines(Err).size(), 1u) << Err;
}

TEST_F(SimRace, UsageErrorsAreStatusOne) {
    EXPECT_EQ(Run({"race"}), 1);
    EXPECT_EQ(Run({"race", MapFile(1), "--car", "6"}), 1);
    EXPECT_EQ(Run({"race", MapFile(1), "--car", "-1"}), 1);
    EXPECT_EQ(Run({"race", MapFile(1), "--updates", "x"}), 1);
    EXPECT_EQ(Run({"race", MapFile(1), "--updates"}), 1);
    EXPECT_EQ(Run({"race", MapFile(1), "--speed", "2"}), 1);
    EXPECT_EQ(Run({"race", MapFile(1), MapFile(1)}), 1);
}

} // namespace
