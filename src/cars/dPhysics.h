#pragma once
// Verlet point masses: a car body is two of them held a fixed distance apart. There is no velocity
// field: the velocity is Pos - OldPos in world units per update, and every change of velocity is
// made by moving OldPos. All motion is in the desk plane.

#include "math/dMath.h"

struct TPointMass {
    TVec3 Pos;
    TVec3 OldPos;
    float InvMass = 1;
};

// Pos := 2 Pos - OldPos, OldPos := the old Pos; both z := 0. No damping.
void VerletStep(TPointMass& M);
// Adds V to the velocity (moves OldPos back by V).
void Push(TPointMass& M, const TVec3& V);
void SetMass(TPointMass& M, float Mass);
float MassSpeed(const TPointMass& M);
// Sets the speed to exactly Max along the present direction of motion (callers test first).
void LimitSpeed(TPointMass& M, float Max);
// One relaxation of the constraint holding A and B Rest apart; two-sided; moves only Pos.
void KeepDistance(TPointMass& A, TPointMass& B, float Rest);
