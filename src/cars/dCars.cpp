#include "cars/dCars.h"

#include "app/variables.h"
#include "cars/dRace.h"
#include "world/dMap.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

// The body: two masses of radius 12.5 whose discs would overlap at 50 apart, held 25 apart.
constexpr float CAR_LENGTH = 50;
constexpr float MASS_RADIUS = 12.5;
constexpr float DEFAULT_MAX_SPEED = 14;    // per mass, world units per update
constexpr float DEFAULT_STEER_STEP = 0.01; // per steering command
constexpr float DEFAULT_GRIP_DIVISOR = 5;
constexpr float DEFAULT_MAX_STEER = 0.2;
constexpr float DEFAULT_ACCEL = 0.5;        // world units per update, per throttle command
constexpr int DISTANCE_RELAXATIONS = 4;     // wheelbase constraint passes per update
constexpr double HANDBRAKE_GRIP_FACTOR = 3; // the handbrake leaves a third of the grip

// Collisions with the road edges.
constexpr float EDGE_COARSE_REACH = 35; // car centre to edge, world units
constexpr int EDGE_PROBE_STEPS = 5;     // the probe walks the mass's motion in this many steps
constexpr double EDGE_PROBE_STEP_SHARE = 0.2; // of the mass's motion per probe step
constexpr double EDGE_MIN_DEPTH = 0.7;        // the push Radius / depth is at most Radius / 0.7

// The computer driver.
constexpr float AI_DIST_FROM_CENTER = 0.3;
constexpr float AI_TO_CENTER_KOEF = 0.01;
constexpr float AI_MIN_TURN_DEG = 5;
constexpr int32_t AI_CHECK_INTERVAL_MS = 1000;
constexpr int32_t AI_STUCK_DIST = 200;    // world units between two checks
constexpr float AI_STUCK_SPEED_SHARE = 8; // stuck below MaxSpeed / 8

struct TPersonality {
    float DistFromCenter, ToCenterKoef, MinTurn;
};
constexpr TPersonality PERSONALITIES[] = {
    {0.05, 0.1, 5}, {0.1, 0.1, 5}, {0.4, 0.2, 4}, {0.15, 0.1, 6}, {0.08, 0.15, 7}, {0.9, 0.6, 8},
};

const TRoadPoint& RoadPointAt(int32_t I) {
    return Map->Points[std::size_t(I)];
}

int32_t NowMs() {
    return Engine ? Engine->Time() : 0;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TBasicCar

TBasicCar::TBasicCar() {
    SetMass(Masses[0], 1);
    SetMass(Masses[1], 1);
    Model = 0;
    Wheelbase = CAR_LENGTH;
    Radius = MASS_RADIUS;
    Wheelbase = float(double(Wheelbase) - 2.0 * Radius);
    MaxSpeed = DEFAULT_MAX_SPEED;
    SteerStep = DEFAULT_STEER_STEP;
    GripDivisor = DEFAULT_GRIP_DIVISOR;
    MaxSteer = DEFAULT_MAX_STEER;
    Accel = DEFAULT_ACCEL;
}

void TBasicCar::ApplyModelPreset(int32_t NewModel) {
    switch (NewModel) {
    case 1:
        SteerStep = 0.018;
        MaxSteer = 0.12;
        break;
    case 2:
        Accel = 0.68;
        MaxSpeed = 13.5;
        break;
    case 3:
        SetMass(Masses[0], 1.3);
        SetMass(Masses[1], 1.3);
        MaxSteer = 0.17;
        Accel = 0.37;
        break;
    case 4:
        SetMass(Masses[0], 1.2);
        SetMass(Masses[1], 1.2);
        GripDivisor = 5.5;
        break;
    case 5:
        MaxSpeed = 14.13;
        GripDivisor = 7;
        break;
    default: // model 0 and unknown models keep the defaults
        break;
    }
}

void TBasicCar::PlaceAt(const TVec3& Back, float X, float Y) {
    Pos = Vec3(X, Y, 0);
    Masses[0].Pos = VecSub(Pos, VecScale(Back, Radius));
    Masses[1].Pos = VecAdd(Pos, VecScale(Back, Radius));
    Masses[0].OldPos = Masses[0].Pos;
    Masses[1].OldPos = Masses[1].Pos;
    Update();          // the driver's step too; settles Dir, Right and Angle
    PrevAngle = Angle; // the first frames must not turn the car from 0
}

void TBasicCar::Update() {
    PrevPoint = RoadPoint;
    FindNearestPoint();
    if (RoadPoint != PrevPoint) {
        LastPoint = PrevPoint;
        const int32_t Start = Map->StartPoint;
        const int32_t BeforeStart = WrapPoint(Start - 1);
        if (LastPoint == BeforeStart && RoadPoint == Start) ++Laps;
        if (LastPoint == Start && RoadPoint == BeforeStart) --Laps;
        if (GameManager && Laps == GameManager->LapCount) {
            GameManager->CarFinished(this); // sees Finished still false on the first call
            Finished = true;
        }
    }
    if (!Steered) Steer = 0; // no command this update: the front wheels straighten at once
    PrevPos = Pos;
    PrevAngle = Angle;
    Move();
    Steered = false;
    Place = FindPlace();
}

void TBasicCar::SteerCommand(int32_t D) {
    if ((D < 0 && Steer > 0) || (D > 0 && Steer < 0)) Steer = 0; // a reversal starts from straight
    Steer = float(double(Steer) + double(D) * SteerStep);
    if (Steer < -MaxSteer) Steer = -MaxSteer;
    if (Steer > MaxSteer) Steer = MaxSteer;
    Steered = true;
}

void TBasicCar::Accelerate(int32_t D) {
    Push(Masses[1], VecScale(VecScale(Dir, float(D)), Accel)); // rear-wheel drive
}

void TBasicCar::ApplyHandbrake() {
    HandbrakeOn = true;
}

void TBasicCar::FindNearestPoint() {
    const int32_t N = Map->PointCount;
    if (N <= 0) return; // no road at all
    auto Dist2 = [this](int32_t I) {
        const TVec3& P = RoadPointAt(I).Pos;
        const double Dx = double(P.x) - Pos.x;
        const double Dy = double(P.y) - Pos.y;
        return float(Dx * Dx + Dy * Dy);
    };
    int32_t Best = 0;
    float BestDist2 = Dist2(0);
    for (int32_t I = 1; I < N; ++I) {
        const float D2 = Dist2(I);
        if (D2 < BestDist2) { // ties keep the lower index: the closing copy never beats point 0
            BestDist2 = D2;
            Best = I;
        }
    }
    RoadPoint = Best;
}

int32_t TBasicCar::WrapPoint(int32_t I) const {
    const int32_t N = Map->PointCount;
    if (I < 0) return I + N - 1; // skips the closing copy: -1 is the last point before the start
    if (I > N - 1) return I - N;
    return I;
}

int32_t TBasicCar::FindPlace() const {
    if (!GameManager) return 0;
    const std::size_t Count =
        std::min(std::size_t(std::max(GameManager->CarCount, 0)), GameManager->Order.size());
    for (std::size_t I = 0; I < Count; ++I)
        if (GameManager->Order[I] == this) return int32_t(I);
    return 0;
}

void TBasicCar::Move() {
    HardestPush = 0;
    // Both grip lines come from the state before the step.
    GripDir[1] = VecSub(Masses[0].Pos, Masses[1].Pos);
    GripDir[0] = VecSub(Dir, VecScale(Right, Steer));

    VerletStep(Masses[0]);
    VerletStep(Masses[1]);
    CollideWorld();
    for (int I = 0; I < DISTANCE_RELAXATIONS; ++I)
        KeepDistance(Masses[0], Masses[1], Wheelbase);

    Pos = VecDiv(VecAdd(Masses[0].Pos, Masses[1].Pos), 2);
    Dir = VecNormalize(VecSub(Masses[0].Pos, Masses[1].Pos));
    Right = VecNormalize(Perp2D(Dir, Vec3(0, 0, 0)));

    float S0 = MassSpeed(Masses[0]);
    float S1 = MassSpeed(Masses[1]);
    if (S0 > MaxSpeed) {
        LimitSpeed(Masses[0], MaxSpeed);
        S0 = MaxSpeed;
    }
    if (S1 > MaxSpeed) {
        LimitSpeed(Masses[1], MaxSpeed);
        S1 = MaxSpeed;
    }
    Speed = float((double(S0) + S1) / 2);
    Angle = float(ArcTan2(Masses[0].Pos.y - Masses[1].Pos.y, Masses[0].Pos.x - Masses[1].Pos.x) *
                  RadToDeg);

    ApplyGrip();
    Braked = HandbrakeOn;
    HandbrakeOn = false;
}

void TBasicCar::ApplyGrip() {
    const float G = HandbrakeOn ? float(HANDBRAKE_GRIP_FACTOR * GripDivisor) : GripDivisor;
    for (int I = 0; I < 2; ++I) {
        TPointMass& M = Masses[I];
        const TVec3 A = VecAdd(M.Pos, GripDir[I]);
        const TVec3 B = VecSub(M.Pos, GripDir[I]);
        const float Drift = LineDist2D(B, A, M.OldPos);
        if (Drift == 0) continue;
        // Always along Right, also for the front mass whose grip line is turned.
        M.OldPos = VecAdd(M.OldPos, VecScale(Right, Drift / G));
    }
}

void TBasicCar::CollideWorld() {
    // An edge whose coarse test fails does nothing, so walking only the edges the map's index hands
    // out (in increasing order) gives exactly the result of walking them all.
    auto Collide = [this](const TRoadEdge& E) {
        float Dist = 0;
        // Pos is still the centre from before this update's step.
        if (!NearSegment(E.A, E.B, Pos, Dist, EDGE_COARSE_REACH)) return;
        for (TPointMass& M : Masses) {
            const TVec3 Unpushed = M.Pos;
            // Taken afresh for every edge: a mass pushed by an earlier edge is probed along its
            // pushed motion. A mass at rest has no direction (NaNs) and is never pushed.
            const TVec3 N = VecNormalize(VecSub(M.Pos, M.OldPos));
            const float Step = float(EDGE_PROBE_STEP_SHARE * MassSpeed(M));
            TVec3 Q = M.OldPos;
            for (int I = 0; I < EDGE_PROBE_STEPS; ++I) {
                Q = VecAdd(Q, VecScale(N, Step));
                if (Cross2D(E.A, E.B, Q) < 0 && NearSegment(E.A, E.B, Q, Dist, Radius)) {
                    float K = Dist;
                    if (K == 0) K = 1;
                    if (K < EDGE_MIN_DEPTH) K = float(EDGE_MIN_DEPTH);
                    Q = VecAdd(Q, VecScale(E.Normal, Radius / K));
                    M.Pos = Q; // OldPos stays: the push becomes a bounce
                }
            }
            NotePush(Unpushed, M.Pos);
        }
    };
    const std::vector<TRoadEdge>& Edges = Map->Edges;
    if (Map->UseEdgeIndex) {
        for (const int32_t I : Map->EdgesNear(Pos.x, Pos.y))
            Collide(Edges[std::size_t(I)]);
    } else {
        for (const TRoadEdge& E : Edges)
            Collide(E);
    }

    for (TBasicCar* Other : CarList)
        if (Other != this) CollideCar(*Other);
}

void TBasicCar::CollideCar(TBasicCar& Other) {
    const float Contact = float(2.0 * Radius);
    for (TPointMass& I : Masses)
        for (TPointMass& J : Other.Masses)
            if (VecDist(I.Pos, J.Pos) < Contact) {
                const TVec3 Unpushed = I.Pos;
                KeepDistance(I, J, Contact); // only ever pushes
                NotePush(Unpushed, I.Pos);
            }
}

void TBasicCar::NotePush(const TVec3& From, const TVec3& To) {
    HardestPush = std::max(HardestPush, VecDist(From, To));
}

void TRace::RestartStuckChecks(int32_t Now) {
    // Entries 1 and on are the computer cars.
    for (int32_t I = 1; I < CarCount && size_t(I) < Cars.size(); ++I)
        static_cast<TAICar*>(Cars[size_t(I)])->LastCheckTime = Now;
}

// ---------------------------------------------------------------------------------------------
// TPlayerCar

TPlayerCar::TPlayerCar() {
    Model = 5; // the race manager gives the final model
    SetMass(Masses[0], 1);
    SetMass(Masses[1], 1);
}

void TPlayerCar::Update() {
    if (!Finished && Input) {
        // Every key in every update, in this order, so held keys combine: A + D gives +SteerStep.
        if (Input->Down('A')) SteerCommand(-1);
        if (Input->Down('D')) SteerCommand(+1);
        if (Input->Down('W')) Accelerate(+1);
        if (Input->Down('S')) Accelerate(-1);
        if (Input->Down(VK_SPACE)) ApplyHandbrake();
    }
    TBasicCar::Update();
}

// ---------------------------------------------------------------------------------------------
// TAICar

TAICar::TAICar() {
    DistFromCenter = AI_DIST_FROM_CENTER;
    ToCenterKoef = AI_TO_CENTER_KOEF;
    MinTurn = AI_MIN_TURN_DEG;
    LastCheckTime = NowMs();
    CheckInterval = AI_CHECK_INTERVAL_MS;
    StuckDist = AI_STUCK_DIST;
    CheckPos = Pos;
}

void TAICar::SetPersonality(int32_t Index) {
    if (Index < 0 || Index >= int32_t(std::size(PERSONALITIES))) return;
    const TPersonality& P = PERSONALITIES[Index];
    DistFromCenter = P.DistFromCenter;
    ToCenterKoef = P.ToCenterKoef;
    MinTurn = P.MinTurn;
}

void TAICar::Update() {
    if (Map->PointCount >= 2) {
        // RoadPoint is the previous update's: the search runs again in the inherited Update.
        const int32_t RP = RoadPoint;
        const TRoadPoint& Near = RoadPointAt(WrapPoint(RP + 1));
        const TVec3& P0 = RoadPointAt(WrapPoint(RP)).Pos;
        const TVec3& P2 = RoadPointAt(WrapPoint(RP + 2)).Pos;
        Offset = LineDist2D(Near.Pos, P0, Pos); // against the road's direction: positive is right
        // Undefined (NaNs) where RP + 1 is the closing copy of point RP + 2: then no steering.
        AheadDir = VecNormalize(VecSub(P2, Near.Pos));

        const int32_t Now = NowMs();
        if (ElapsedMs(LastCheckTime, Now) >= CheckInterval) {
            if (Reversing)
                Reversing = false; // one interval of backing up
            else if (Speed < MaxSpeed / AI_STUCK_SPEED_SHARE && VecDist(Pos, CheckPos) < StuckDist)
                Reversing = true;
            LastCheckTime = Now;
            CheckPos = Pos;
        }

        const float Band = float(double(Near.HalfWidth) * DistFromCenter);
        TVec3 Corr;
        if (std::fabs(Offset) > Band)
            Corr = VecScale(VecScale(VecNormalize(Near.Side), ToCenterKoef), float(Sign(Offset)));
        const TVec3 Goal = VecNormalize(VecAdd(AheadDir, Corr));
        // The arcsine folds an error beyond 90 degrees back: 135 degrees reads as 45.
        const float Err = float(double(ArcSin(VecCross(Goal, Dir).z)) * RadToDeg);

        if (!Finished) {
            Accelerate(Reversing ? -1 : +1);
            if (std::fabs(Err) > MinTurn) SteerCommand(-Sign(Err));
        }
    }
    TBasicCar::Update();
}
