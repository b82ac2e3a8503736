#pragma once
// The chase camera: hovers at a height over a point slightly ahead of the followed car and looks
// straight down at the desk. Moved at the update rate, interpolated every frame.

#include "math/dMath.h"

class TBasicCar;

class TCamera {
public:
    TVec3 PrevPos;  // at the previous update
    TVec3 Pos;      // for the frame being drawn
    TVec3 NextPos;  // at the latest update: x, y the point looked at, z the height above the desk
    TVec3 LeadGoal; // how far ahead of the car the camera wants to be (z stays 0)
    TVec3 Lead;     // the look-ahead applied, following LeadGoal smoothly
    // The entry of the race manager's Cars list holding the followed car (read anew every update);
    // null until the first level is loaded.
    TBasicCar* const* Target = nullptr;

    // Once per update while a race is shown; reads Input->Wheel().
    void Update();
    // Once per frame: Pos between PrevPos and NextPos by FrameAlpha (unclamped).
    void Interpolate();
    // The view transformation on the model-view matrix (world/dCameraDraw.cpp).
    void ApplyView() const;

    static constexpr int WHEEL_STEP = 40; // height change per wheel step, world units
    static constexpr float START_HEIGHT = 850;
    static constexpr double LEAD_PER_SPEED = 7;  // look-ahead per unit of speed (per update)
    static constexpr double LEAD_SMOOTHING = 15; // the lead closes 1/15 of its gap per update
};
