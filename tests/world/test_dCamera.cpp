#include "world/dCamera.h"

#include "app/variables.h"
#include "cars/dCars.h"
#include "cars/dRace.h"
#include "engine/EngineHeadless.h"
#include "engine/GL.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Positions after hundreds of float updates.
constexpr float SETTLED = 1e-3;

// A car whose fields the test sets by hand.
class TStillCar : public TBasicCar {
public:
    void SetPersonality(int32_t) override {}
};

class TStandInRace : public TRace {
public:
    bool LoadLevel(const std::string&) override { return true; }
    void CarFinished(TBasicCar*) override {}
    void Update() override {}
    void Draw() override {}
};

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseEngine(&E);
        GameManager = &Race;
        Race.Cars = {&First, &Second};
        Race.CarCount = 2;
        View.NextPos.z = TCamera::START_HEIGHT;
        View.Target = &Race.Cars[0];
    }
    void TearDown() override {
        GLStopRecording();
        FrameAlpha = 0;
        GameManager = nullptr;
        UseEngine(nullptr);
    }
    // One update with Steps wheel steps, as the engine would hand them to the camera.
    void Update(int Steps = 0) {
        E.QueueWheel(Steps);
        E.StepUpdate();
        View.Update();
    }

    THeadlessEngine E;
    TStandInRace Race;
    TStillCar First, Second;
    TCamera View;
};

TEST_F(CameraTest, SettlesSevenTimesTheSpeedAheadOfACarAtConstantSpeed) {
    const TVec3 Dir = Vec3(0.6f, -0.8f, 0);
    const float V = 9;
    First.Dir = Dir;
    First.Speed = V;
    First.Pos = Vec3(100, 200, 0);
    for (int I = 0; I < 500; ++I) {
        First.Pos = Vec3(First.Pos.x + Dir.x * V, First.Pos.y + Dir.y * V, 0);
        Update();
    }
    EXPECT_NEAR(View.NextPos.x - First.Pos.x, 7 * V * Dir.x, SETTLED);
    EXPECT_NEAR(View.NextPos.y - First.Pos.y, 7 * V * Dir.y, SETTLED);
    EXPECT_EQ(View.NextPos.z, 850);
    EXPECT_EQ(View.LeadGoal.x, float(double(Dir.x) * V * 7));
    EXPECT_EQ(View.LeadGoal.z, 0);
}

TEST_F(CameraTest, StationaryCarsLeadDecaysByFourteenFifteenthsPerUpdate) {
    First.Pos = Vec3(-40, 75, 0);
    View.Lead = Vec3(30, -15, 0);
    float Expected = 30;
    for (int I = 0; I < 5; ++I) {
        Update();
        Expected = float(double(Expected) * 14 / 15);
        EXPECT_NEAR(View.Lead.x, Expected, 1e-5) << I;
        EXPECT_EQ(View.NextPos.x, float(double(First.Pos.x) + View.Lead.x)) << I;
    }
    EXPECT_EQ(View.LeadGoal.x, 0);
    for (int I = 0; I < 400; ++I)
        Update();
    EXPECT_NEAR(View.NextPos.x, -40, SETTLED);
    EXPECT_NEAR(View.NextPos.y, 75, SETTLED);
}

// Each of x, y and z of the lead closes a fifteenth of its own gap to the goal in one update (the
// goal's z is always 0); the camera stands over the car plus the lead.
TEST_F(CameraTest, EveryComponentOfTheLeadClosesAFifteenthOfItsGapPerUpdate) {
    First.Dir = Vec3(0.6f, -0.8f, 0);
    First.Speed = 9;
    First.Pos = Vec3(100, 200, 0);
    View.Lead = Vec3(30, -15, 6);
    Update();
    EXPECT_NEAR(View.LeadGoal.y, -50.4, 1e-5);
    EXPECT_NEAR(View.Lead.x, 30.52, 1e-5);  // 30 + (37.8 - 30) / 15
    EXPECT_NEAR(View.Lead.y, -17.36, 1e-5); // -15 + (-50.4 + 15) / 15
    EXPECT_NEAR(View.Lead.z, 5.6, 1e-5);    // 6 - 6 / 15
    EXPECT_NEAR(View.NextPos.x, 130.52, 1e-4);
    EXPECT_NEAR(View.NextPos.y, 182.64, 1e-4);
    EXPECT_EQ(View.NextPos.z, 850);
}

TEST_F(CameraTest, EachWheelStepMovesFortyUnitsWithoutLimit) {
    Update(1);
    EXPECT_EQ(View.NextPos.z, 810);
    Update();
    EXPECT_EQ(View.NextPos.z, 810);
    Update(-3);
    EXPECT_EQ(View.NextPos.z, 930);
    Update(25); // below the near plane: nothing stops it
    EXPECT_EQ(View.NextPos.z, -70);
    Update(-40);
    EXPECT_EQ(View.NextPos.z, 1530);
    EXPECT_EQ(View.PrevPos.z, -70);
}

TEST_F(CameraTest, WithoutALevelOnlyThePreviousPositionMoves) {
    Race.CarCount = 0;
    View.NextPos = Vec3(5, 6, 850);
    First.Pos = Vec3(100, 100, 0);
    Update(2);
    EXPECT_TRUE(VecEqual(View.PrevPos, Vec3(5, 6, 850)));
    EXPECT_TRUE(VecEqual(View.NextPos, Vec3(5, 6, 850)));
}

TEST_F(CameraTest, FirstUpdateSweepsToTheCarAndATargetSwitchJumps) {
    First.Pos = Vec3(300, -120, 0);
    Second.Pos = Vec3(-900, 400, 0);
    Update();
    EXPECT_TRUE(VecEqual(View.PrevPos, Vec3(0, 0, 850)));
    EXPECT_TRUE(VecEqual(View.NextPos, Vec3(300, -120, 850)));

    View.Target = &Race.Cars[1];
    Update();
    EXPECT_TRUE(VecEqual(View.NextPos, Vec3(-900, 400, 850)));

    // The camera reads the car through the list entry: a new car there is followed at once.
    TStillCar Third;
    Third.Pos = Vec3(12, 34, 0);
    Race.Cars[1] = &Third;
    Update();
    EXPECT_TRUE(VecEqual(View.NextPos, Vec3(12, 34, 850)));
}

TEST_F(CameraTest, InterpolatesBetweenUpdatesAndExtrapolatesLateFrames) {
    View.PrevPos = Vec3(100, 200, 850);
    View.NextPos = Vec3(110, 180, 810);
    const struct {
        float Alpha;
        TVec3 Pos;
    } Frames[] = {
        {0, Vec3(100, 200, 850)},
        {0.5, Vec3(105, 190, 830)},
        {1, Vec3(110, 180, 810)},
        {1.5, Vec3(115, 170, 790)}, // half an update beyond: not clamped
    };
    for (const auto& Frame : Frames) {
        FrameAlpha = Frame.Alpha;
        View.Interpolate();
        EXPECT_TRUE(VecEqual(View.Pos, Frame.Pos)) << Frame.Alpha;
    }
}

TEST_F(CameraTest, ViewTurnsHalfAboutZThenYThenMovesToTheCamera) {
    View.Pos = Vec3(12.5f, -30, 850);
    GLStartRecording();
    View.ApplyView();
    GLStopRecording();
    const std::vector<TGLCall>& Calls = GLRecordedCalls();
    ASSERT_EQ(Calls.size(), 3u);
    EXPECT_EQ(Calls[0].Name, "Rotatef");
    EXPECT_EQ(Calls[0].Args, (std::vector<double>{180, 0, 0, 1}));
    EXPECT_EQ(Calls[1].Name, "Rotatef");
    EXPECT_EQ(Calls[1].Args, (std::vector<double>{180, 0, 1, 0}));
    EXPECT_EQ(Calls[2].Name, "Translatef");
    EXPECT_EQ(Calls[2].Args, (std::vector<double>{-12.5, 30, 850}));
}

} // namespace
