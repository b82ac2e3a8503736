#include "world/dCamera.h"

#include "app/variables.h"
#include "cars/dCars.h"
#include "cars/dRace.h"

void TCamera::Update() {
    PrevPos = NextPos;
    if (!GameManager || GameManager->CarCount == 0 || !Target) return; // no level loaded yet

    // A positive wheel step brings the camera closer; the height has no limit.
    const int64_t Climb = int64_t(WHEEL_STEP) * Input->Wheel();
    NextPos.z = float(double(NextPos.z) - double(Climb));

    const TBasicCar& Car = **Target;
    LeadGoal.x = float(double(Car.Dir.x) * Car.Speed * LEAD_PER_SPEED);
    LeadGoal.y = float(double(Car.Dir.y) * Car.Speed * LEAD_PER_SPEED);
    Lead.x = float(double(Lead.x) + (double(LeadGoal.x) - Lead.x) / LEAD_SMOOTHING);
    Lead.y = float(double(Lead.y) + (double(LeadGoal.y) - Lead.y) / LEAD_SMOOTHING);
    Lead.z = float(double(Lead.z) + (double(LeadGoal.z) - Lead.z) / LEAD_SMOOTHING);
    // Only the look-ahead is smoothed: a new Target makes the camera jump to it.
    NextPos.x = float(double(Car.Pos.x) + Lead.x);
    NextPos.y = float(double(Car.Pos.y) + Lead.y);
}

void TCamera::Interpolate() {
    // FrameAlpha above 1 (a late frame) extrapolates beyond NextPos.
    const double A = FrameAlpha;
    Pos.x = float(double(PrevPos.x) + (double(NextPos.x) - PrevPos.x) * A);
    Pos.y = float(double(PrevPos.y) + (double(NextPos.y) - PrevPos.y) * A);
    Pos.z = float(double(PrevPos.z) + (double(NextPos.z) - PrevPos.z) * A);
}
