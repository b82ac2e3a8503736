#include "cars/dPhysics.h"

#include <cmath>

void VerletStep(TPointMass& M) {
    const TVec3 Was = M.Pos;
    M.Pos = VecSub(VecScale(M.Pos, 2), M.OldPos);
    M.OldPos = Was;
    M.Pos.z = 0;
    M.OldPos.z = 0;
}

void Push(TPointMass& M, const TVec3& V) {
    M.OldPos = VecSub(M.OldPos, V);
}

void SetMass(TPointMass& M, float Mass) {
    M.InvMass = 1 / Mass;
}

float MassSpeed(const TPointMass& M) {
    return VecDist(M.Pos, M.OldPos);
}

void LimitSpeed(TPointMass& M, float Max) {
    M.OldPos = VecSub(M.Pos, VecScale(VecNormalize(VecSub(M.Pos, M.OldPos)), Max));
}

void KeepDistance(TPointMass& A, TPointMass& B, float Rest) {
    if (VecEqual(A.Pos, B.Pos)) return; // no direction to push along
    const TVec3 D = VecSub(B.Pos, A.Pos);
    const float L = std::sqrt(VecDot(D, D));
    const float K = float((double(A.InvMass) + B.InvMass) * L);
    const float F = K != 0 ? float((double(L) - Rest) / K) : 0.0f;
    // Each mass takes half of the error, in proportion to its share of the inverse masses.
    A.Pos = VecAdd(A.Pos, VecScale(D, float(double(A.InvMass) * 0.5 * F)));
    B.Pos = VecSub(B.Pos, VecScale(D, float(double(B.InvMass) * 0.5 * F)));
}
