// marvolin-sim track, run as a program.
#include "world/dMap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct TSimRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

std::string ReadText(const fs::path& Path) {
    std::ifstream In(Path, std::ios::binary);
    std::stringstream S;
    S << In.rdbuf();
    return S.str();
}

class SimTrackTest : public ::testing::Test {
protected:
    void SetUp() override {
        Folder = fs::temp_directory_path() /
                 ("marvolin_sim_track_" + std::to_string(getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(Folder);
    }
    void TearDown() override { fs::remove_all(Folder); }

    fs::path Write(const std::string& Name, const std::vector<uint8_t>& Bytes) {
        const fs::path Path = Folder / Name;
        std::ofstream(Path, std::ios::binary)
            .write(reinterpret_cast<const char*>(Bytes.data()), std::streamsize(Bytes.size()));
        return Path;
    }
    TSimRun Run(const std::string& Arguments) {
        const fs::path Out = Folder / "stdout.txt";
        const fs::path Err = Folder / "stderr.txt";
        const std::string Command = std::string("'") + MARVOLIN_SIM + "' " + Arguments + " >'" +
                                    Out.string() + "' 2>'" + Err.string() + "'";
        const int Raw = std::system(Command.c_str());
        TSimRun Result;
        Result.Status = WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1;
        Result.Out = ReadText(Out);
        Result.Err = ReadText(Err);
        return Result;
    }

    fs::path Folder;
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
    const TSimRun R =
        Run("track '" + Write("square.map", SerializeMap(SquareLoop())).string() + "'");
    EXPECT_EQ(R.Status, 0);
    EXPECT_EQ(R.Err, "");
    EXPECT_EQ(R.Out,
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
    const TSimRun R = Run("track '" + Write("one.map", SerializeMap(D)).string() + "'");
    ASSERT_EQ(R.Status, 0);
    EXPECT_NE(R.Out.find("objects 3\no 0 -250.5 40 3 33.25 21\no 1 "), std::string::npos) << R.Out;
    EXPECT_NE(R.Out.find(" 22\nstart 2 laps 3\n"), std::string::npos) << R.Out;
}

TEST_F(SimTrackTest, RefusedFilesGiveOneLineOnStderrAndStatus2) {
    std::vector<uint8_t> OnePoint = SerializeMap(SquareLoop());
    OnePoint[0] = 1;
    const std::vector<uint8_t> Square = SerializeMap(SquareLoop());
    const std::vector<uint8_t> Cut(Square.begin(), Square.begin() + 50);
    for (const fs::path& Path :
         {Write("one.map", OnePoint), Write("cut.map", Cut), Folder / "none.map"}) {
        const TSimRun R = Run("track '" + Path.string() + "'");
        EXPECT_EQ(R.Status, 2) << Path;
        EXPECT_EQ(R.Out, "") << Path;
        ASSERT_FALSE(R.Err.empty()) << Path;
        EXPECT_EQ(R.Err.find('\n'), R.Err.size() - 1) << R.Err;
        EXPECT_NE(R.Err.find(Path.string()), std::string::npos) << R.Err;
    }
}

TEST_F(SimTrackTest, MissingOrExtraArgumentsAreAUsageError) {
    EXPECT_EQ(Run("track").Status, 1);
    EXPECT_EQ(Run("track a.map b.map").Status, 1);
}

} // namespace
