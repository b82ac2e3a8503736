#include "cars/dCars.h"

#include "app/variables.h"
#include "cars/dRace.h"
#include "engine/EngineHeadless.h"
#include "engine/Files.h"
#include "engine/GL.h"
#include "models/dMeshes.h"
#include "world/dMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <numbers>
#include <vector>

// Every allocation of this test program is counted, so that a test can show that racing allocates
// nothing.
namespace {
std::atomic<long> AllocationCount{0};
}

// Out of line, so that the compiler does not pair the inlined malloc with a delete elsewhere.
[[gnu::noinline]] void* operator new(std::size_t Size) {
    ++AllocationCount;
    if (void* P = std::malloc(Size ? Size : 1)) return P;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* P) noexcept {
    std::free(P);
}
[[gnu::noinline]] void operator delete(void* P, std::size_t) noexcept {
    std::free(P);
}

namespace {

constexpr float TOLERANCE = 1e-4f;
// The contact distance comes from the law of cosines in floats, a few thousandths off the exact
// one.
constexpr float PROBE_TOLERANCE = 1e-2f;

// The race as the cars see it: the lap count, the running order, and a record of every finish.
class TTestRace final : public TRace {
public:
    struct TFinishCall {
        TBasicCar* Car;
        bool WasFinished;
    };
    std::vector<TFinishCall> FinishCalls;

    TTestRace() { FinishCalls.reserve(1024); } // room enough: recording must not allocate
    bool LoadLevel(const std::string&) override { return false; }
    void CarFinished(TBasicCar* Car) override {
        if (FinishCalls.size() < FinishCalls.capacity())
            FinishCalls.push_back({Car, Car->Finished});
    }
    void Update() override {
        for (TBasicCar* Car : Cars)
            Car->Update();
    }
    void Draw() override {}
};

class CarTest : public ::testing::Test {
protected:
    THeadlessEngine TheEngine;
    TTestRace Race;
    std::unique_ptr<TMap> TheMap;
    std::vector<std::unique_ptr<TBasicCar>> Owned;

    void SetUp() override {
        UseEngine(&TheEngine);
        TheMap = std::make_unique<TMap>();
        Map = TheMap.get();
        GameManager = &Race;
        CarList.clear();
        FrameAlpha = 0;
        OpenGround();
    }

    void TearDown() override {
        CarList.clear();
        GameManager = nullptr;
        Map = nullptr;
        TheMap.reset();
        std::fill(std::begin(CarMeshes), std::end(CarMeshes), nullptr);
        UseEngine(nullptr);
    }

    // One far road point and no edges: the car rolls free.
    void OpenGround() {
        Map->Points.assign(1, TRoadPoint{Vec3(1e4, 1e4, 0), Vec3(0, 1, 0), 50});
        Map->PointCount = 1;
        Map->Edges.clear();
        Map->UseEdgeIndex = false;
    }

    // A closed road through the centre points, built the way a loaded track is.
    void BuildRoad(const std::vector<TVec3>& Centre, float HalfWidth, int32_t Start, int32_t Laps) {
        Map->Points.clear();
        for (const TVec3& P : Centre)
            Map->Points.push_back(TRoadPoint{P, {}, HalfWidth});
        Map->Points.push_back(Map->Points[0]);
        Map->PointCount = int32_t(Map->Points.size());
        Map->StartPoint = Start;
        Map->LapCount = Laps;
        Map->BuildEdges();
        Map->UseEdgeIndex = true;
        Race.LapCount = Laps;
    }

    static std::vector<TVec3> Oval(int Count, float RadiusX, float RadiusY) {
        std::vector<TVec3> Points;
        for (int I = 0; I < Count; ++I) {
            const double T = 2 * std::numbers::pi * I / Count;
            Points.push_back(Vec3(float(RadiusX * std::cos(T)), float(RadiusY * std::sin(T)), 0));
        }
        return Points;
    }

    template <class T> T& AddCar() {
        Owned.push_back(std::make_unique<T>());
        T& Car = static_cast<T&>(*Owned.back());
        Race.Cars.push_back(&Car);
        Race.Order.push_back(&Car);
        Race.CarCount = int32_t(Race.Cars.size());
        CarList.push_back(&Car);
        return Car;
    }

    // The race manager's starting grid: six cars across the road at the start point.
    void LineUp() {
        const TRoadPoint& P = Map->Points[size_t(Map->StartPoint)];
        const TVec3 S = VecNormalize(P.Side);
        const float W = P.HalfWidth;
        const TVec3 Base = VecSub(P.Pos, VecScale(S, float(double(W) * 0.8)));
        const TVec3 Back = VecNormalize(Perp2D(Vec3(0, 0, 0), P.Side));
        for (int32_t I = 0; I < Race.CarCount; ++I) {
            const TVec3 D = VecScale(
                VecDiv(VecScale(VecScale(VecScale(S, W), float(I)), 2), float(Race.CarCount)), 0.8);
            const TVec3 Spot = VecAdd(Base, D);
            Race.Cars[size_t(I)]->PlaceAt(Back, Spot.x, Spot.y);
            if (I > 0) Race.Cars[size_t(I)]->SetPersonality(I - 1);
            Race.Cars[size_t(I)]->Model = I;
        }
        for (TBasicCar* Car : Race.Cars)
            Car->ApplyModelPreset(Car->Model);
    }

    void StepRace() {
        TheEngine.AdvanceTime(MS_PER_UPDATE);
        Race.Update();
    }

    void Hold(std::initializer_list<int> Keys) {
        TheEngine.ReleaseAllKeys();
        for (int Key : Keys)
            TheEngine.SetKeyDown(Key, true);
    }
};

TVec3 Velocity(const TPointMass& M) {
    return VecSub(M.Pos, M.OldPos);
}

// Both masses at rest at the given places, and Pos between them, without running an update.
void Pose(TBasicCar& Car, const TVec3& Front, const TVec3& Rear) {
    Car.Masses[0].Pos = Car.Masses[0].OldPos = Front;
    Car.Masses[1].Pos = Car.Masses[1].OldPos = Rear;
    Car.Pos = VecDiv(VecAdd(Front, Rear), 2);
}

// XY distance of P from the road's centre line and the half-width there.
bool OnRoad(const TVec3& P, float Margin) {
    for (int32_t K = 0; K + 1 < Map->PointCount; ++K) {
        const TRoadPoint& A = Map->Points[size_t(K)];
        const TRoadPoint& B = Map->Points[size_t(K) + 1];
        const double Dx = double(B.Pos.x) - A.Pos.x, Dy = double(B.Pos.y) - A.Pos.y;
        const double T = std::clamp(
            ((P.x - A.Pos.x) * Dx + (P.y - A.Pos.y) * Dy) / (Dx * Dx + Dy * Dy), 0.0, 1.0);
        const double Ex = A.Pos.x + T * Dx - P.x, Ey = A.Pos.y + T * Dy - P.y;
        if (std::sqrt(Ex * Ex + Ey * Ey) <= std::max(A.HalfWidth, B.HalfWidth) + Margin)
            return true;
    }
    return false;
}

// A scripted driver at the keys: steer towards the road two points ahead, hold a moderate speed.
void DriveByKeys(THeadlessEngine& E, const TBasicCar& Car, float CruiseSpeed) {
    const TVec3& Target = Map->Points[size_t(Car.WrapPoint(Car.RoadPoint + 2))].Pos;
    const TVec3 To = VecSub(Target, Car.Pos);
    const double Cross = double(Car.Dir.x) * To.y - double(Car.Dir.y) * To.x;
    E.ReleaseAllKeys();
    if (Cross > 0) E.SetKeyDown('D', true); // target to the left in XY
    if (Cross < 0) E.SetKeyDown('A', true);
    if (Car.Speed < CruiseSpeed) E.SetKeyDown('W', true);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The body

TEST_F(CarTest, NewCarHasTheDefaultTuning) {
    TPlayerCar Car;
    EXPECT_EQ(Car.Wheelbase, 25);
    EXPECT_EQ(Car.Radius, 12.5f);
    EXPECT_EQ(Car.MaxSpeed, 14);
    EXPECT_EQ(Car.SteerStep, 0.01f);
    EXPECT_EQ(Car.MaxSteer, 0.2f);
    EXPECT_EQ(Car.GripDivisor, 5);
    EXPECT_EQ(Car.Accel, 0.5f);
    EXPECT_EQ(Car.Model, 5); // the player's car; the race manager sets the final model
    EXPECT_EQ(Car.Masses[0].InvMass, 1);
}

TEST_F(CarTest, CarWithoutCommandsStaysWherePlaced) {
    TPlayerCar& Car = AddCar<TPlayerCar>();
    const TVec3 Back = Vec3(0, -1, 0);
    Car.PlaceAt(Back, 100, 200);
    for (int I = 0; I < 50; ++I)
        Car.Update();
    EXPECT_EQ(Car.Speed, 0);
    EXPECT_EQ(Car.Pos.x, 100);
    EXPECT_EQ(Car.Pos.y, 200);
    EXPECT_EQ(Car.Masses[0].Pos.y, 212.5f); // the front lies opposite to Back
    EXPECT_EQ(Car.Dir.x, 0);
    EXPECT_EQ(Car.Dir.y, 1);
    EXPECT_EQ(Car.Angle, 90);
    EXPECT_EQ(Car.PrevAngle, 90);
    EXPECT_EQ(Car.Right.x, 1);
}

TEST_F(CarTest, FirstUpdateWithoutHeadingStaysFinite) {
    // The first update runs inside PlaceAt with Dir and Right zero: a front grip line of no length
    // must not turn into NaNs.
    TPlayerCar& Car = AddCar<TPlayerCar>();
    Hold({'D', 'W'});
    Car.PlaceAt(Vec3(-1, 0, 0), 0, 0);
    for (const TPointMass& M : Car.Masses) {
        EXPECT_TRUE(std::isfinite(M.Pos.x) && std::isfinite(M.OldPos.x));
        EXPECT_TRUE(std::isfinite(M.Pos.y) && std::isfinite(M.OldPos.y));
    }
    EXPECT_EQ(Car.Dir.x, 1);
    EXPECT_EQ(Car.Speed, 0); // the throttle pushed along the zero heading
    // The grip lines of that update came from the state before it.
    EXPECT_EQ(Car.GripDir[0].x, 0);
    EXPECT_EQ(Car.GripDir[0].y, 0);
    EXPECT_EQ(Car.GripDir[1].x, 25);
}

TEST_F(CarTest, GripCorrectsAlongRightAlsoForTheTurnedFrontLine) {
    TPlayerCar Car;
    Car.Dir = Vec3(1, 0, 0);
    Car.Right = Vec3(0, -1, 0);
    Car.GripDir[0] = Vec3(1, 0.2, 0); // the front line turned left by Steer 0.2
    Car.GripDir[1] = Vec3(25, 0, 0);
    Car.Masses[0].Pos = Vec3(0, 0, 0);
    Car.Masses[0].OldPos = Vec3(-1, 0, 0); // moving along the heading, across the turned line
    Car.Masses[1].Pos = Car.Masses[1].OldPos = Vec3(-25, 0, 0);
    Car.ApplyGrip();
    const double Drift = 0.2 / std::sqrt(1.04); // left of the turned line
    EXPECT_EQ(Car.Masses[0].OldPos.x, -1);
    EXPECT_NEAR(Car.Masses[0].OldPos.y, -Drift / 5, TOLERANCE);
    EXPECT_EQ(Car.Masses[1].OldPos.y, 0); // on its line: no drift, nothing done
}

TEST_F(CarTest, SteeringRampsClampsAndStartsAReversalFromStraight) {
    TPlayerCar& Car = AddCar<TPlayerCar>();
    Car.PlaceAt(Vec3(-1, 0, 0), 0, 0);
    for (int I = 0; I < 25; ++I) {
        Car.SteerCommand(+1);
        Car.Update();
    }
    EXPECT_EQ(Car.Steer, Car.MaxSteer);
    Car.SteerCommand(-1);
    EXPECT_EQ(Car.Steer, -0.01f); // not 0.19
    Car.Update();
    EXPECT_EQ(Car.Steer, -0.01f);
    Car.Update(); // no command: straight at once
    EXPECT_EQ(Car.Steer, 0);
}

TEST_F(CarTest, OnePushRollsOnWithoutFriction) {
    TPlayerCar& Car = AddCar<TPlayerCar>();
    Car.PlaceAt(Vec3(-1, 0, 0), 0, 0);
    Car.Accelerate(+1);
    EXPECT_EQ(Velocity(Car.Masses[1]).x, 0.5f); // the rear mass alone
    EXPECT_EQ(Velocity(Car.Masses[0]).x, 0);
    Car.Update();
    EXPECT_GT(Car.Masses[0].Pos.x, 12.5f); // the relaxations pull the front along
    for (int I = 0; I < 400; ++I)
        Car.Update();
    // The push is shared between the two masses and nothing takes it away.
    EXPECT_NEAR(Car.Speed, 0.25f, TOLERANCE);
    const float X = Car.Pos.x;
    for (int I = 0; I < 400; ++I)
        Car.Update();
    EXPECT_NEAR(Car.Pos.x - X, 100, 0.01);
    EXPECT_NEAR(Car.Pos.y, 0, TOLERANCE);
}

TEST_F(CarTest, HoldingThrottleReachesTheSpeedLimitAndNoMore) {
    TPlayerCar& Car = AddCar<TPlayerCar>();
    Car.PlaceAt(Vec3(-1, 0, 0), 0, 0);
    float Top = 0;
    for (int I = 0; I < 200; ++I) {
        Car.Accelerate(+1);
        Car.Update();
        EXPECT_LE(Car.Speed, Car.MaxSpeed);
        Top = std::max(Top, Car.Speed);
    }
    EXPECT_EQ(Top, Car.MaxSpeed);
    EXPECT_EQ(Car.Speed, 14);
}

TEST_F(CarTest, SpeedLimitAppliesToEachMassAfterTheRelaxations) {
    TPlayerCar& Car = AddCar<TPlayerCar>();
    Car.PlaceAt(Vec3(-1, 0, 0), 0, 0);
    Push(Car.Masses[0], Vec3(30, 0, 0));
    Push(Car.Masses[1], Vec3(30, 0, 0));
    Car.Update();
    EXPECT_EQ(Car.Speed, 14);
    EXPECT_NEAR(MassSpeed(Car.Masses[0]), 14, TOLERANCE);
    EXPECT_NEAR(MassSpeed(Car.Masses[1]), 14, TOLERANCE);
}

TEST_F(CarTest, SpeedLimitComesAfterTheCollisionsAndRelaxations) {
    TPlayerCar& Car = AddCar<TPlayerCar>();
    TPlayerCar& Behind = AddCar<TPlayerCar>();
    Car.PlaceAt(Vec3(-1, 0, 0), 0, 0);
    Push(Car.Masses[0], Vec3(14, 0, 0)); // at the limit already
    Push(Car.Masses[1], Vec3(14, 0, 0));
    Pose(Behind, Vec3(-15, 0, 0), Vec3(-40, 0, 0)); // the rear mass runs into its front
    Car.Update();
    // The contact pushes the rear mass on to about 16 per update, the relaxations pass that on to
    // the front; both are cut back to the limit afterwards.
    EXPECT_EQ(Car.Speed, Car.MaxSpeed);
    EXPECT_NEAR(MassSpeed(Car.Masses[0]), 14, TOLERANCE);
    EXPECT_NEAR(MassSpeed(Car.Masses[1]), 14, TOLERANCE);
    EXPECT_LT(Behind.Masses[0].Pos.x, -15);
}

TEST_F(CarTest, HandbrakeRemovesAFifteenthOfTheDriftInsteadOfAFifth) {
    for (const bool Handbrake : {false, true}) {
        TPlayerCar Car;
        Car.PlaceAt(Vec3(-1, 0, 0), 0, 0); // facing +x, Right is -y
        Push(Car.Masses[0], Vec3(0, 1, 0));
        Push(Car.Masses[1], Vec3(0, 1, 0));
        if (Handbrake) Car.ApplyHandbrake();
        Car.Update();
        const float Kept = Handbrake ? float(1 - 1 / 15.0) : float(1 - 1 / 5.0);
        EXPECT_NEAR(Velocity(Car.Masses[0]).y, Kept, TOLERANCE) << Handbrake;
        EXPECT_NEAR(Velocity(Car.Masses[1]).y, Kept, TOLERANCE) << Handbrake;
        EXPECT_FALSE(Car.HandbrakeOn); // one update only
    }
}

TEST_F(CarTest, SteeredCarTurnsLeftAndTheFrontIsCorrectedAlongRight) {
    TPlayerCar& Car = AddCar<TPlayerCar>();
    Car.PlaceAt(Vec3(-1, 0, 0), 0, 0);
    for (int I = 0; I < 60; ++I) {
        Car.Accelerate(+1);
        if (I >= 20) Car.SteerCommand(+1);
        Car.Update();
    }
    EXPECT_GT(Car.Angle, 10); // positive Steer turns from +x towards +y
    EXPECT_GT(Car.Pos.y, 0);
}

TEST_F(CarTest, MassesOfHeavyModelsChangeNothingOnTheirOwn) {
    TPlayerCar Light, Heavy;
    SetMass(Heavy.Masses[0], 1.3);
    SetMass(Heavy.Masses[1], 1.3);
    Light.PlaceAt(Vec3(-1, 0, 0), 0, 0);
    Heavy.PlaceAt(Vec3(-1, 0, 0), 0, 0);
    for (int I = 0; I < 300; ++I) {
        for (TBasicCar* Car : {static_cast<TBasicCar*>(&Light), static_cast<TBasicCar*>(&Heavy)}) {
            Car->Accelerate(+1);
            Car->SteerCommand(I % 80 < 40 ? +1 : -1);
            Car->Update();
        }
    }
    // Equal inverse masses cancel in the wheelbase relaxation, and the push ignores the mass; only
    // the roundings of 1 / 1.3 differ.
    EXPECT_NEAR(Light.Pos.x, Heavy.Pos.x, 0.01);
    EXPECT_NEAR(Light.Pos.y, Heavy.Pos.y, 0.01);
    EXPECT_NEAR(Light.Angle, Heavy.Angle, 0.01);
}

TEST_F(CarTest, WrapPointSkipsTheClosingCopyBackwards) {
    BuildRoad(Oval(12, 500, 300), 50, 0, 3);
    TPlayerCar Car;
    const int32_t N = Map->PointCount;
    EXPECT_EQ(N, 13);
    EXPECT_EQ(Car.WrapPoint(-1), N - 2);
    EXPECT_EQ(Car.WrapPoint(N), 0);
    EXPECT_EQ(Car.WrapPoint(N - 1), N - 1);
    EXPECT_EQ(Car.WrapPoint(N + 1), 1);
    EXPECT_EQ(Car.WrapPoint(0), 0);
}

TEST_F(CarTest, NearestPointTiesGoToTheLowerIndex) {
    BuildRoad({Vec3(0, 0, 0), Vec3(100, 0, 0), Vec3(100, 100, 0), Vec3(0, 100, 0)}, 30, 0, 3);
    TPlayerCar Car;
    Car.Pos = Vec3(50, 0, 0); // as near to point 0 as to point 1
    Car.FindNearestPoint();
    EXPECT_EQ(Car.RoadPoint, 0);
    Car.Pos = Vec3(1, -1, 0); // the closing copy is as near as point 0
    Car.FindNearestPoint();
    EXPECT_EQ(Car.RoadPoint, 0);
    Car.Pos = Vec3(100, 60, 0);
    Car.FindNearestPoint();
    EXPECT_EQ(Car.RoadPoint, 2);
}

TEST_F(CarTest, LapGainedAndLostAtTheStartLine) {
    const std::vector<TVec3> Centre = Oval(12, 500, 300);
    BuildRoad(Centre, 50, 0, 3);
    TPlayerCar& Car = AddCar<TPlayerCar>();
    const TVec3 Back = Vec3(0, -1, 0);
    const int32_t Last = int32_t(Centre.size()) - 1; // the last point before the start
    auto VisitPoint = [&](int32_t I) {
        Car.PlaceAt(Back, Centre[size_t(I)].x, Centre[size_t(I)].y);
    };
    VisitPoint(1);
    VisitPoint(Last);
    EXPECT_EQ(Car.Laps, 0);
    VisitPoint(0);
    EXPECT_EQ(Car.Laps, 1);
    EXPECT_EQ(Car.LastPoint, Last);
    VisitPoint(Last);
    EXPECT_EQ(Car.Laps, 0);
    VisitPoint(1);
    VisitPoint(0); // not across the line
    EXPECT_EQ(Car.Laps, 0);
    EXPECT_TRUE(Race.FinishCalls.empty());
}

TEST_F(CarTest, FirstUpdateComparesAgainstRoadPointZero) {
    const std::vector<TVec3> Centre = Oval(12, 500, 300);
    BuildRoad(Centre, 50, 0, 3);
    TPlayerCar& Car = AddCar<TPlayerCar>();
    Car.PlaceAt(Vec3(0, -1, 0), Centre.back().x, Centre.back().y);
    EXPECT_EQ(Car.Laps, -1); // from point 0 to the point before it: backwards over the line
}

TEST_F(CarTest, FinishIsReportedThroughTheWholeNextLap) {
    const std::vector<TVec3> Centre = Oval(12, 500, 300);
    const int32_t Start = 3;
    BuildRoad(Centre, 50, Start, 1);
    TPlayerCar& Car = AddCar<TPlayerCar>();
    auto VisitPoint = [&](size_t I) { Car.PlaceAt(Vec3(0, -1, 0), Centre[I].x, Centre[I].y); };
    for (size_t I = 1; I <= size_t(Start); ++I)
        VisitPoint(I);
    ASSERT_EQ(Car.Laps, 1);
    ASSERT_EQ(Race.FinishCalls.size(), 1u);
    EXPECT_FALSE(Race.FinishCalls[0].WasFinished);
    EXPECT_EQ(Race.FinishCalls[0].Car, &Car);
    EXPECT_TRUE(Car.Finished);
    // Every change of point while Laps is LapCount: points 4 .. 11, 0 .. 2.
    for (size_t I = size_t(Start) + 1; I < Centre.size() + size_t(Start); ++I)
        VisitPoint(I % Centre.size());
    EXPECT_EQ(Race.FinishCalls.size(), Centre.size());
    EXPECT_TRUE(std::all_of(Race.FinishCalls.begin() + 1, Race.FinishCalls.end(),
                            [](const TTestRace::TFinishCall& C) { return C.WasFinished; }));
    VisitPoint(size_t(Start)); // the next lap: no more calls
    EXPECT_EQ(Car.Laps, 2);
    EXPECT_EQ(Race.FinishCalls.size(), Centre.size());
    VisitPoint(size_t(Start)); // the same point again: RoadPoint does not change
    EXPECT_EQ(Race.FinishCalls.size(), Centre.size());
}

TEST_F(CarTest, PlaceIsTheIndexInTheRunningOrder) {
    TPlayerCar& A = AddCar<TPlayerCar>();
    TPlayerCar& B = AddCar<TPlayerCar>();
    std::swap(Race.Order[0], Race.Order[1]);
    A.PlaceAt(Vec3(-1, 0, 0), 0, 0);
    B.PlaceAt(Vec3(-1, 0, 0), 0, 100);
    EXPECT_EQ(A.Place, 1);
    EXPECT_EQ(B.Place, 0);
    TPlayerCar Stranger;
    EXPECT_EQ(Stranger.FindPlace(), 0);
    Race.CarCount = 6; // more than the order holds: only the entries that exist are searched
    EXPECT_EQ(A.FindPlace(), 1);
}

// ---------------------------------------------------------------------------------------------
// Collisions

class EdgeTest : public CarTest {
protected:
    // One wall along the x axis; the road lies at negative y (right of A -> B).
    void SetUp() override {
        CarTest::SetUp();
        TRoadEdge Wall{Vec3(-100, 0, 0), Vec3(100, 0, 0), {}};
        Wall.Normal = VecNormalize(Perp2D(Wall.B, Wall.A));
        Map->Edges = {Wall};
    }
};

TEST_F(EdgeTest, FastMassIsCaughtBeforeItsCentreCrossesTheEdge) {
    TPlayerCar& Car = AddCar<TPlayerCar>();
    Car.PlaceAt(Vec3(-1, 0, 0), 0, -10); // along the wall, 10 from its line
    Push(Car.Masses[0], Vec3(0, 14, 0)); // straight at the wall, at the speed limit
    Push(Car.Masses[1], Vec3(0, 14, 0));
    Car.Update();
    // Unchecked, both centres would end at y = 4, beyond the line. The probe pushes them back.
    for (const TPointMass& M : Car.Masses)
        EXPECT_LT(M.Pos.y, -5);
    for (int I = 0; I < 20; ++I)
        Car.Update();
    EXPECT_LT(VecSub(Car.Masses[0].Pos, Car.Masses[0].OldPos).y, 0); // bounced back into the road
    EXPECT_LT(Car.Masses[0].Pos.y, -12.5f);
}

TEST_F(EdgeTest, ProbeValuesFollowTheFiveStepWalk) {
    TPlayerCar Car;
    Pose(Car, Vec3(12.5, -20, 0), Vec3(-12.5, -5, 0));
    Car.Masses[0].Pos.y = -6; // moved 14 towards the wall in this update
    Car.CollideWorld();
    EXPECT_EQ(Car.Masses[0].OldPos.y, -20); // the push becomes velocity
    // Steps of 2.8 from -20: -17.2, -14.4, then inside the radius at -11.6 (pushed by 12.5 / 11.6),
    // and so on; the walk ends at the last pushed probe.
    float Q = -20;
    for (int I = 0; I < 5; ++I) {
        Q = float(double(Q) + 2.8f);
        if (-Q <= 12.5f) Q = float(double(Q) - double(float(12.5 / double(-Q))));
    }
    EXPECT_NEAR(Car.Masses[0].Pos.y, Q, PROBE_TOLERANCE);
    EXPECT_EQ(Car.Masses[1].Pos.y, -5); // at rest within the radius: no direction, never tested
}

// The push is Radius / depth with the depth taken as at least 0.7: a probe 0.5 from the line is
// pushed 12.5 / 0.7 = 17.857 units, one at 1 is pushed 12.5.
TEST_F(EdgeTest, PushOfAProbeCloserThanSevenTenthsIsClampedToRadiusOverSevenTenths) {
    TPlayerCar Car;
    Pose(Car, Vec3(12.5, -1, 0), Vec3(-12.5, -1.5, 0));
    Car.Masses[0].Pos.y = 1.5; // probe steps of 0.5: the first at -0.5, then pushed clear
    Car.Masses[1].Pos.y = 1;   // the first probe at -1
    Car.CollideWorld();
    EXPECT_NEAR(Car.Masses[0].Pos.y, -0.5 - 12.5 / 0.7, 1e-4); // the clamp hides how near
    EXPECT_NEAR(Car.Masses[1].Pos.y, -1 - 12.5, PROBE_TOLERANCE);
}

TEST_F(EdgeTest, MassBeyondTheEdgeLineIsNotPushed) {
    TPlayerCar Car;
    Pose(Car, Vec3(12.5, 3, 0), Vec3(-12.5, 3, 0));
    Car.Masses[0].Pos = Vec3(14.5, 3, 0); // sliding along, within the radius but on the far side
    Car.CollideWorld();
    EXPECT_EQ(Car.Masses[0].Pos.x, 14.5f);
    EXPECT_EQ(Car.Masses[0].Pos.y, 3);
}

TEST_F(EdgeTest, EdgeFarFromTheCarCentreIsNotTested) {
    TPlayerCar Car;
    // The front mass touches the wall, but the centre is more than 35 from it: the coarse test.
    Pose(Car, Vec3(0, -12, 0), Vec3(0, -60, 0));
    Car.Masses[0].OldPos = Vec3(0, -14, 0);
    Car.CollideWorld();
    EXPECT_EQ(Car.Masses[0].Pos.y, -12);
}

TEST_F(CarTest, CollideCarPushesTouchingMassesApart) {
    TPlayerCar& A = AddCar<TPlayerCar>();
    TPlayerCar& B = AddCar<TPlayerCar>();
    Pose(A, Vec3(0, 0, 0), Vec3(-25, 0, 0));
    Pose(B, Vec3(20, 0, 0), Vec3(45, 0, 0)); // nose to nose, 20 apart
    A.CollideCar(B);
    EXPECT_EQ(A.Masses[0].Pos.x, -1.25f);
    EXPECT_EQ(B.Masses[0].Pos.x, 21.25f);
    EXPECT_EQ(A.Masses[1].Pos.x, -25);
    EXPECT_EQ(B.Masses[1].Pos.x, 45);
    A.CollideCar(B);
    EXPECT_EQ(VecDist(A.Masses[0].Pos, B.Masses[0].Pos), 23.75f);
}

TEST_F(CarTest, HeavierMassMovesLessAgainstAnotherCar) {
    for (const auto& [Model, Mass] : {std::pair{3, 1.3}, std::pair{4, 1.2}}) {
        TPlayerCar A, B;
        A.ApplyModelPreset(Model);
        B.ApplyModelPreset(0);
        Pose(A, Vec3(0, 0, 0), Vec3(-25, 0, 0));
        Pose(B, Vec3(20, 0, 0), Vec3(45, 0, 0));
        A.CollideCar(B);
        EXPECT_NEAR(-A.Masses[0].Pos.x / (B.Masses[0].Pos.x - 20), 1 / Mass, TOLERANCE) << Model;
    }
}

TEST_F(CarTest, UnknownModelKeepsTheDefaults) {
    TPlayerCar Car;
    Car.ApplyModelPreset(6);
    Car.ApplyModelPreset(-1);
    EXPECT_EQ(Car.MaxSpeed, 14);
    EXPECT_EQ(Car.GripDivisor, 5);
    EXPECT_EQ(Car.Accel, 0.5f);
    EXPECT_EQ(Car.Masses[1].InvMass, 1);
}

TEST_F(CarTest, CarDoesNotCollideWithItself) {
    TPlayerCar& Car = AddCar<TPlayerCar>();
    Pose(Car, Vec3(0, 0, 0), Vec3(-20, 0, 0)); // masses closer than twice the radius
    Car.CollideWorld();
    EXPECT_EQ(Car.Masses[0].Pos.x, 0);
    EXPECT_EQ(Car.Masses[1].Pos.x, -20);
}

TEST_F(CarTest, OverlappingCarsSeparate) {
    TPlayerCar& A = AddCar<TPlayerCar>();
    TPlayerCar& B = AddCar<TPlayerCar>();
    A.PlaceAt(Vec3(-1, 0, 0), 0, 0);
    B.PlaceAt(Vec3(-1, 0, 0), 5, 8);
    for (int I = 0; I < 100; ++I)
        StepRace();
    for (const TPointMass& I : A.Masses)
        for (const TPointMass& J : B.Masses)
            EXPECT_GE(VecDist(I.Pos, J.Pos), 24.9f);
    EXPECT_NEAR(VecDist(A.Masses[0].Pos, A.Masses[1].Pos), 25, 0.01);
}

TEST_F(CarTest, RoadWithoutEdgesStillHasCarContacts) {
    Map->Edges.clear();
    Map->UseEdgeIndex = true; // an index with nothing in it
    TPlayerCar& A = AddCar<TPlayerCar>();
    TPlayerCar& B = AddCar<TPlayerCar>();
    Pose(A, Vec3(0, 0, 0), Vec3(-25, 0, 0));
    Pose(B, Vec3(20, 0, 0), Vec3(45, 0, 0));
    A.Update();
    EXPECT_GT(B.Masses[0].Pos.x, 20);
}

// ---------------------------------------------------------------------------------------------
// The player

TEST_F(CarTest, HoldingWFromRestAddsHalfAUnitPerUpdate) {
    TPlayerCar& Car = AddCar<TPlayerCar>();
    Car.PlaceAt(Vec3(-1, 0, 0), 0, 0);
    Hold({'W'});
    Car.Update();
    EXPECT_NEAR(Velocity(Car.Masses[0]).x + Velocity(Car.Masses[1]).x, 0.5, TOLERANCE);
    Car.Update();
    EXPECT_NEAR(Velocity(Car.Masses[0]).x + Velocity(Car.Masses[1]).x, 1.0, TOLERANCE);
    Hold({'S'});
    Car.Update();
    EXPECT_NEAR(Velocity(Car.Masses[0]).x + Velocity(Car.Masses[1]).x, 0.5, TOLERANCE);
    Hold({'W', 'S'}); // the pushes cancel
    Car.Update();
    EXPECT_NEAR(Velocity(Car.Masses[0]).x + Velocity(Car.Masses[1]).x, 0.5, TOLERANCE);
}

TEST_F(CarTest, HoldingASteersRightToTheLimitAndReleasingStraightens) {
    TPlayerCar& Car = AddCar<TPlayerCar>();
    Car.PlaceAt(Vec3(-1, 0, 0), 0, 0);
    Hold({'A'});
    for (int I = 0; I < 30; ++I)
        Car.Update();
    EXPECT_EQ(Car.Steer, -Car.MaxSteer);
    Hold({});
    Car.Update();
    EXPECT_EQ(Car.Steer, 0);
}

TEST_F(CarTest, HoldingAAndDGivesTheSmallestLeftTurn) {
    TPlayerCar& Car = AddCar<TPlayerCar>();
    Car.PlaceAt(Vec3(-1, 0, 0), 0, 0);
    Hold({'A', 'D'});
    for (int I = 0; I < 10; ++I) {
        Car.Update();
        EXPECT_EQ(Car.Steer, 0.01f);
    }
}

TEST_F(CarTest, HandbrakeKeyWeakensTheGripAfterTheThrottle) {
    TPlayerCar& Car = AddCar<TPlayerCar>();
    Car.PlaceAt(Vec3(-1, 0, 0), 0, 0);
    Push(Car.Masses[0], Vec3(0, 1, 0));
    Push(Car.Masses[1], Vec3(0, 1, 0));
    Hold({VK_SPACE, 'W'});
    Car.Update();
    EXPECT_NEAR(Velocity(Car.Masses[1]).y, float(1 - 1 / 15.0), TOLERANCE);
    EXPECT_NEAR(Velocity(Car.Masses[0]).x + Velocity(Car.Masses[1]).x, 0.5, TOLERANCE);
}

TEST_F(CarTest, KeysAreIgnoredOnceFinished) {
    TPlayerCar& Car = AddCar<TPlayerCar>();
    Car.PlaceAt(Vec3(-1, 0, 0), 0, 0);
    Car.Finished = true;
    Hold({'W', 'D'});
    for (int I = 0; I < 10; ++I)
        Car.Update();
    EXPECT_EQ(Car.Speed, 0);
    EXPECT_EQ(Car.Steer, 0);
}

TEST_F(CarTest, KeyHeldDuringPlacementActsOnce) {
    TPlayerCar& Car = AddCar<TPlayerCar>();
    Hold({'A'});
    Car.PlaceAt(Vec3(-1, 0, 0), 0, 0);
    EXPECT_EQ(Car.Steer, -0.01f); // one command, inside PlaceAt's update
    EXPECT_FALSE(Car.Steered);
    Hold({});
    Car.Update();
    EXPECT_EQ(Car.Steer, 0);
}

// ---------------------------------------------------------------------------------------------
// The computer driver

class DriverTest : public CarTest {
protected:
    // A long straight along +x from the origin, points every 500 units, and back. The tests drive
    // near point 1, where the road runs straight between y = -60 and y = 60.
    void SetUp() override {
        CarTest::SetUp();
        BuildRoad({Vec3(0, 0, 0), Vec3(500, 0, 0), Vec3(1000, 0, 0), Vec3(1500, 0, 0),
                   Vec3(1500, 1000, 0), Vec3(0, 1000, 0)},
                  60, 0, 3);
    }
};

TEST_F(DriverTest, NewDriverHasTheDefaultTuning) {
    TheEngine.SetTime(1234);
    TAICar Car;
    EXPECT_EQ(Car.DistFromCenter, 0.3f);
    EXPECT_EQ(Car.ToCenterKoef, 0.01f);
    EXPECT_EQ(Car.MinTurn, 5);
    EXPECT_EQ(Car.LastCheckTime, 1234);
    EXPECT_EQ(Car.CheckInterval, 1000);
    EXPECT_EQ(Car.StuckDist, 200);
}

TEST_F(DriverTest, PersonalityTableAndUnknownRows) {
    TAICar Car;
    Car.SetPersonality(2);
    EXPECT_EQ(Car.DistFromCenter, 0.4f);
    EXPECT_EQ(Car.ToCenterKoef, 0.2f);
    EXPECT_EQ(Car.MinTurn, 4);
    Car.SetPersonality(7);
    Car.SetPersonality(-1);
    EXPECT_EQ(Car.DistFromCenter, 0.4f);
    EXPECT_EQ(Car.ToCenterKoef, 0.2f);
    EXPECT_EQ(Car.MinTurn, 4);
    Car.SetPersonality(5);
    EXPECT_EQ(Car.DistFromCenter, 0.9f);
    EXPECT_EQ(Car.MinTurn, 8);
}

TEST_F(DriverTest, FirstUpdateInsidePlacementAlreadyGivesThrottle) {
    TAICar& Car = AddCar<TAICar>();
    Car.PlaceAt(Vec3(-1, 0, 0), 600, 0);
    // The throttle pushed along the zero heading of that first update: no motion yet.
    EXPECT_EQ(Car.Speed, 0);
    Car.Update();
    EXPECT_GT(Car.Speed, 0);
    EXPECT_EQ(Car.Steer, 0); // heading along the road: no steering
    EXPECT_EQ(Car.AheadDir.x, 1);
}

TEST_F(DriverTest, GoalFarBehindReadsAsTheSineOfTheAngle) {
    // Goal along +x, heading 135 degrees to its left: the arcsine gives an error of 45.
    for (const float MinTurn : {44.9f, 45.1f}) {
        TAICar Car;
        Car.MinTurn = MinTurn;
        const float C = float(std::sqrt(0.5));
        Car.PlaceAt(Vec3(C, -C, 0), 600, 0);
        Car.Update();
        EXPECT_EQ(Car.Steer, MinTurn < 45 ? -0.01f : 0.0f) << MinTurn; // steers right, or not
    }
}

TEST_F(DriverTest, CarFacingExactlyBackwardsDoesNotSteer) {
    TAICar Car;
    Car.PlaceAt(Vec3(1, 0, 0), 600, 0);
    Car.Update();
    EXPECT_EQ(Car.Steer, 0);
    EXPECT_LT(Car.Dir.x, 0);
}

TEST_F(DriverTest, CarRightOfTheCentreLineAimsLeft) {
    TAICar Car;
    Car.SetPersonality(5); // a correction of 0.6 outside 0.9 of the half-width
    Car.MinTurn = 1;
    Car.PlaceAt(Vec3(-1, 0, 0), 600, -58); // right of the road (y below the line along +x)
    Car.Update();
    EXPECT_GT(Car.Offset, 0);
    EXPECT_EQ(Car.Steer, 0.01f); // turns left, towards the centre
    TAICar Inside;
    Inside.SetPersonality(5);
    Inside.MinTurn = 1;
    Inside.PlaceAt(Vec3(-1, 0, 0), 600, -50); // within the band: along the road alone
    Inside.Update();
    EXPECT_EQ(Inside.Steer, 0);
}

TEST_F(DriverTest, LookAheadIsUndefinedAtTheLastPoint) {
    // At the last point before the start, the two look-ahead points are the closing copy of point 0
    // and point 0 itself: throttle, and no steering.
    TAICar Car;
    Car.MinTurn = 0;
    Car.PlaceAt(Vec3(0.6, 0.8, 0), 0, 900); // nearest to point 5, heading off at an angle
    ASSERT_EQ(Car.RoadPoint, Map->PointCount - 2);
    Car.Update();
    EXPECT_TRUE(std::isnan(Car.AheadDir.x));
    EXPECT_EQ(Car.Steer, 0);
    EXPECT_GT(Car.Speed, 0);
}

class StuckCheck : public DriverTest, public ::testing::WithParamInterface<int32_t> {};

// The checks run on the engine's clock, also across its wrap from INT_MAX to INT_MIN (the second
// start puts the wrap between the first and the second check).
TEST_P(StuckCheck, StuckCarBacksUpForOneInterval) {
    const int32_t Start = GetParam();
    TheEngine.SetTime(Start);
    TAICar& Car = AddCar<TAICar>();
    Car.PlaceAt(Vec3(-1, 0, 0), 600, 0);
    Car.Accel = 0; // held in place: slow and not moving
    auto RunUntil = [&](int Ms) {
        while (ElapsedMs(Start, TheEngine.Time()) < Ms)
            StepRace();
    };
    // The first check compares with where the car was created, the origin, 600 away: not stuck.
    RunUntil(1000);
    EXPECT_FALSE(Car.Reversing);
    EXPECT_EQ(Car.CheckPos.x, 600);
    RunUntil(2000 - MS_PER_UPDATE);
    EXPECT_FALSE(Car.Reversing);
    StepRace(); // 2000 ms: slow, and moved less than 200 since the previous check
    EXPECT_TRUE(Car.Reversing);
    EXPECT_EQ(Car.LastCheckTime, MsAfter(Start, 2000));
    Car.Accel = 0.5;
    RunUntil(3000 - MS_PER_UPDATE);
    EXPECT_TRUE(Car.Reversing);
    EXPECT_LT(VecDot(Velocity(Car.Masses[1]), Car.Dir), 0); // backing up
    EXPECT_LT(Car.Pos.x, 600);
    StepRace(); // 3000 ms: forwards again, whatever the situation
    EXPECT_FALSE(Car.Reversing);
    const float Backwards = VecDot(Velocity(Car.Masses[1]), Car.Dir);
    StepRace();
    EXPECT_GT(VecDot(Velocity(Car.Masses[1]), Car.Dir), Backwards);
}

INSTANTIATE_TEST_SUITE_P(OnTheClock, StuckCheck, ::testing::Values(0, INT32_MAX - 1500));

TEST_F(DriverTest, SlowCarThatMovedTwoHundredUnitsIsNotStuck) {
    for (const float Moved : {200.0f, 199.99f}) {
        TheEngine.SetTime(0);
        TAICar Car;
        Car.PlaceAt(Vec3(-1, 0, 0), 600, 0);
        Car.Finished = true; // no commands: it stays at rest
        Car.CheckPos = Vec3(600 + Moved, 0, 0);
        TheEngine.SetTime(1000);
        Car.Update();
        EXPECT_EQ(Car.Reversing, Moved < 200) << Moved;
        EXPECT_EQ(Car.CheckPos.x, 600);
    }
}

TEST_F(DriverTest, FinishedDriverCoasts) {
    TAICar Car;
    Car.PlaceAt(Vec3(-1, 0, 0), 600, 0);
    Car.Finished = true;
    for (int I = 0; I < 10; ++I)
        Car.Update();
    EXPECT_EQ(Car.Speed, 0);
}

// ---------------------------------------------------------------------------------------------
// Drawing

TEST_F(CarTest, DrawnHeadingAcrossTheSeamDoesNotSweepAround) {
    TMesh Mesh; // no vertices: draws nothing
    CarMeshes[2] = &Mesh;
    struct TCase {
        float Before, After, Alpha, Drawn;
    };
    const TCase Cases[] = {
        {170, -170, 0.5f, 170}, {170, -170, 1, 170}, {10, -10, 0, 10},   {10, -10, 0.5f, 10},
        {10, -10, 1, 10},       {10, 30, 0.5f, 20},  {-20, -40, 1, -40}, {0, 90, 0.25f, 22.5f},
    };
    for (const TCase& C : Cases) {
        TPlayerCar Car;
        Car.Model = 2;
        Car.PrevAngle = C.Before;
        Car.Angle = C.After;
        FrameAlpha = C.Alpha;
        GLStartRecording();
        Car.Draw();
        GLStopRecording();
        std::vector<TGLCall> Rotations;
        for (const TGLCall& Call : GLRecordedCalls())
            if (Call.Name == "Rotatef") Rotations.push_back(Call);
        ASSERT_EQ(Rotations.size(), 2u);
        EXPECT_EQ(Rotations[0].Args, (std::vector<double>{180, 0, 1, 0}));
        EXPECT_FLOAT_EQ(float(Rotations[1].Args[0]), 90 - C.Drawn) << C.Before << " " << C.After;
        EXPECT_EQ(Rotations[1].Args[3], 1);
    }
}

TEST_F(CarTest, DrawnPositionBetweenTheLastTwoUpdates) {
    TMesh Mesh;
    CarMeshes[0] = &Mesh;
    TPlayerCar Car;
    Car.Model = 0;
    Car.PrevPos = Vec3(10, 20, 0);
    Car.Pos = Vec3(20, 40, 0);
    for (const float Alpha : {0.0f, 0.5f, 1.0f, 1.5f}) {
        FrameAlpha = Alpha;
        GLStartRecording();
        Car.Draw();
        GLStopRecording();
        const std::vector<TGLCall>& Calls = GLRecordedCalls();
        ASSERT_EQ(Calls.size(), 5u); // push, translate, two rotations, pop: nothing else
        EXPECT_EQ(Calls.front().Name, "PushMatrix");
        EXPECT_EQ(Calls.back().Name, "PopMatrix");
        EXPECT_EQ(Calls[1].Name, "Translatef");
        EXPECT_EQ(Calls[1].Args, (std::vector<double>{10 + 10 * Alpha, 20 + 20 * Alpha, 0}));
    }
}

// ---------------------------------------------------------------------------------------------
// Whole races

class RaceTest : public CarTest {
protected:
    void StartSixCars() {
        TheEngine.SetTime(0);
        AddCar<TPlayerCar>();
        for (int I = 1; I < 6; ++I)
            AddCar<TAICar>();
        LineUp();
    }
};

TEST_F(RaceTest, ScriptedPlayerStaysOnTheRoadAndLaps) {
    BuildRoad(Oval(40, 900, 500), 70, 0, 3);
    TPlayerCar& Car = AddCar<TPlayerCar>();
    Race.CarCount = 1;
    const TRoadPoint& Start = Map->Points[0];
    Car.PlaceAt(VecNormalize(Perp2D(Vec3(0, 0, 0), Start.Side)), Start.Pos.x, Start.Pos.y);
    for (int I = 0; I < 3000 && Car.Laps < 2; ++I) {
        DriveByKeys(TheEngine, Car, 9);
        StepRace();
        ASSERT_TRUE(OnRoad(Car.Pos, 0)) << "update " << I;
    }
    EXPECT_EQ(Car.Laps, 2);
}

TEST_F(RaceTest, ComputerCarsDriveLaps) {
    BuildRoad(Oval(40, 900, 500), 70, 0, 3);
    StartSixCars();
    std::vector<int32_t> MostLaps(Race.Cars.size());
    for (int I = 0; I < 4000; ++I) {
        StepRace();
        for (size_t C = 0; C < Race.Cars.size(); ++C) {
            ASSERT_TRUE(OnRoad(Race.Cars[C]->Pos, 0)) << "update " << I << " car " << C;
            MostLaps[C] = std::max(MostLaps[C], Race.Cars[C]->Laps);
        }
    }
    // A car spun round by a crash may drive on the wrong way: a goal behind it reads as ahead.
    int32_t TwoLaps = 0;
    for (size_t C = 1; C < Race.Cars.size(); ++C) {
        EXPECT_GE(MostLaps[C], 1) << C;
        TwoLaps += MostLaps[C] >= 2;
    }
    EXPECT_GE(TwoLaps, 3);
}

TEST_F(RaceTest, ScriptedPlayerDrivesTheFirstTrack) {
    if (!FileExists("data/maps/map1.map")) GTEST_SKIP() << "no generated data/maps/map1.map";
    Map->LoadFromFile("data\\maps\\map1.map");
    Race.LapCount = Map->LapCount;
    TPlayerCar& Car = AddCar<TPlayerCar>();
    const TRoadPoint& Start = Map->Points[size_t(Map->StartPoint)];
    Car.PlaceAt(VecNormalize(Perp2D(Vec3(0, 0, 0), Start.Side)), Start.Pos.x, Start.Pos.y);
    const int32_t Laps = std::min(Map->LapCount, 2);
    for (int I = 0; I < 20000 && Car.Laps < Laps; ++I) {
        DriveByKeys(TheEngine, Car, 7);
        StepRace();
        ASSERT_TRUE(OnRoad(Car.Pos, 0)) << "update " << I;
    }
    EXPECT_EQ(Car.Laps, Laps);
}

// The full state of a car, bit for bit.
std::vector<uint32_t> StateBits(const TBasicCar& Car) {
    std::vector<uint32_t> Bits;
    auto F = [&](float V) {
        uint32_t B;
        std::memcpy(&B, &V, sizeof B);
        Bits.push_back(B);
    };
    auto V = [&](const TVec3& X) {
        F(X.x);
        F(X.y);
        F(X.z);
    };
    auto I = [&](int64_t X) { Bits.push_back(uint32_t(X)); };
    V(Car.Pos), V(Car.PrevPos), F(Car.PrevAngle), F(Car.Wheelbase), F(Car.Speed), F(Car.MaxSpeed);
    V(Car.Dir), V(Car.Right), F(Car.SteerStep), F(Car.GripDivisor), F(Car.MaxSteer), F(Car.Angle);
    F(Car.Accel), I(Car.Steered), I(Car.HandbrakeOn), I(Car.Model), I(Car.PrevPoint);
    I(Car.LastPoint), I(Car.Finished), I(Car.RoadPoint);
    for (const TPointMass& M : Car.Masses)
        V(M.Pos), V(M.OldPos), F(M.InvMass);
    V(Car.GripDir[0]), V(Car.GripDir[1]), F(Car.Radius), F(Car.Steer), I(Car.Laps), I(Car.Place);
    if (const auto* AI = dynamic_cast<const TAICar*>(&Car)) {
        V(AI->AheadDir), F(AI->Offset), F(AI->DistFromCenter), F(AI->ToCenterKoef);
        F(AI->MinTurn), I(AI->LastCheckTime), I(AI->CheckInterval), I(AI->Reversing);
        I(AI->StuckDist), V(AI->CheckPos);
    }
    return Bits;
}

TEST_F(RaceTest, EdgeIndexGivesTheSameRaceAsEveryEdge) {
    // A winding road of varying width, so that cars meet walls and each other.
    std::vector<TVec3> Centre;
    const int Count = 90;
    for (int I = 0; I < Count; ++I) {
        const double T = 2 * std::numbers::pi * I / Count;
        const double R = 900 + 250 * std::sin(3 * T);
        Centre.push_back(Vec3(float(R * std::cos(T)), float(0.7 * R * std::sin(T)), 0));
    }
    BuildRoad(Centre, 55, 5, 50);
    constexpr int Updates = 5000;
    std::vector<std::vector<uint32_t>> Trace;
    int WallContacts = 0;
    for (const bool UseIndex : {true, false}) {
        Owned.clear();
        Race.Cars.clear();
        Race.Order.clear();
        CarList.clear();
        Map->UseEdgeIndex = UseIndex;
        StartSixCars();
        for (int U = 0; U < Updates; ++U) {
            // The player weaves and scrapes the walls.
            if (U % 90 < 45)
                Hold({'W', 'D'});
            else
                Hold({'W', 'A'});
            StepRace();
            for (size_t C = 0; C < Race.Cars.size(); ++C) {
                const TBasicCar& Car = *Race.Cars[C];
                std::vector<uint32_t> Bits = StateBits(Car);
                const size_t Row = size_t(U) * Race.Cars.size() + C;
                if (UseIndex) {
                    Trace.push_back(std::move(Bits));
                    float Dist;
                    for (const TRoadEdge& E : Map->Edges)
                        for (const TPointMass& M : Car.Masses)
                            if (NearSegment(E.A, E.B, M.Pos, Dist, Car.Radius)) ++WallContacts;
                } else {
                    ASSERT_EQ(Bits, Trace[Row]) << "update " << U << " car " << C;
                }
            }
        }
    }
    EXPECT_GT(WallContacts, 100);
}

TEST_F(RaceTest, RacingAllocatesNothing) {
    BuildRoad(Oval(64, 1200, 700), 60, 0, 3);
    StartSixCars();
    for (int U = 0; U < 50; ++U)
        StepRace();
    const long Before = AllocationCount;
    for (int U = 0; U < 3000; ++U) {
        Hold({}); // releasing keys allocates nothing
        StepRace();
    }
    EXPECT_EQ(AllocationCount - Before, 0);
    for (TBasicCar* Car : Race.Cars)
        EXPECT_GE(Car->Laps, 0);
}
