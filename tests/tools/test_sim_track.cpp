// marvolin-sim track, run as a program.
#include "world/dMap.h"

#include "ToolRun.h"

namespace {

class SimTrackTest : public TSimTest {
protected:
    SimTrackTest() : TSimTest("marvolin-sim-track") {}
};

TMapData SquareLoop() {
    TMapData D;
    D.LapCount = 3;
    for (const auto& [X, Y] : {std::pair{0, 0}, {100, 0}, {100, 100}, {0, 100}}) {
        TRoadPoint P;
        P.Pos = Vec3(float(X), float(Y), 0);
        P.HalfWidth = 10;
        D.Points.push_back(P);
    }
    return D;
}

TEST_F(SimTrackTest, PrintsTheDerivedSquareLoop) {
    EXPECT_EQ(Run({"track", Write("square.map", SerializeMap(SquareLoop()))}), 0);
    EXPECT_EQ(Err, "");
    EXPECT_EQ(Out,
              "points 5\n"
              "p 0 0 0 0 0 1 0 10\n"
              "p 1 100 0 0 -0.707106769 0.707106769 0 10\n"
              "p 2 100 100 0 -0.707106769 -0.707106769 0 10\n"
              "p 3 0 100 0 0.707106769 -0.707106769 0 10\n"
              "p 4 0 0 0 0 1 0 10\n"
              "edges 8\n"
              "e 0 3.53553391 1.46446609 0 96.4644623 8.53553391 0 0.0758718178 -0.997117639 0\n"
              "e 1 103.535538 -8.53553391 0 -3.53553391 -1.46446609 0 0.0658973306 0.997826397 0\n"
              "e 2 96.4644623 8.53553391 0 92.9289322 100 0 0.99925375 0.0386258401 0\n"
              "e 3 107.071068 100 0 103.535538 -8.53553391 0 -0.999469817 0.0325575918 0\n"
              "e 4 92.9289322 100 0 0 92.9289322 0 -0.0758718103 0.997117639 0\n"
              "e 5 0 107.071068 0 107.071068 100 0 -0.0658973381 -0.997826397 0\n"
              "e 6 0 92.9289322 0 3.53553391 1.46446609 0 -0.99925375 -0.0386258811 0\n"
              "e 7 -3.53553391 -1.46446609 0 0 107.071068 0 0.999469817 -0.0325576253 0\n"
              "objects 2\n"
              "o 0 -3.53553391 -1.46446609 0 450 22\n"
              "o 1 3.53553391 1.46446609 0 270 22\n"
              "start 0 laps 3\n");
}

TEST_F(SimTrackTest, PrintsTheFilesObjectsBeforeTheFlags) {
    TMapData D = SquareLoop();
    D.StartPoint = 2;
    TDeskObject O;
    O.Pos = Vec3(-250.5f, 40, 3);
    O.Angle = 33.25f;
    O.Kind = 21;
    D.Objects = {O};
    ASSERT_EQ(Run({"track", Write("one.map", SerializeMap(D))}), 0);
    EXPECT_NE(Out.find("objects 3\no 0 -250.5 40 3 33.25 21\no 1 "), std::string::npos) << Out;
    EXPECT_NE(Out.find(" 22\nstart 2 laps 3\n"), std::string::npos) << Out;
}

TEST_F(SimTrackTest, RefusedFilesGiveOneLineOnStderrAndStatus2) {
    std::vector<uint8_t> OnePoint = SerializeMap(SquareLoop());
    OnePoint[0] = 1;
    const std::vector<uint8_t> Square = SerializeMap(SquareLoop());
    const std::vector<uint8_t> Cut(Square.begin(), Square.begin() + 50);
    for (const std::string& Path :
         {Write("one.map", OnePoint), Write("cut.map", Cut), (Folder / "none.map").string()}) {
        EXPECT_EQ(Run({"track", Path}), 2) << Path;
        EXPECT_EQ(Out, "") << Path;
        ASSERT_FALSE(Err.empty()) << Path;
        EXPECT_EQ(Err.find('\n'), Err.size() - 1) << Err;
        EXPECT_NE(Err.find(Path), std::string::npos) << Err;
    }
}

TEST_F(SimTrackTest, MissingOrExtraArgumentsAreAUsageError) {
    EXPECT_EQ(Run({"track"}), 1);
    EXPECT_EQ(Run({"track", "a.map", "b.map"}), 1);
}

} // namespace
