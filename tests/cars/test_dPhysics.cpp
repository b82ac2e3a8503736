#include "cars/dPhysics.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float RATIO_TOLERANCE = 1e-6f;

TPointMass MassAt(float X, float Y, float OldX, float OldY) {
    TPointMass M;
    M.Pos = Vec3(X, Y, 0);
    M.OldPos = Vec3(OldX, OldY, 0);
    return M;
}

void ExpectVecEq(const TVec3& V, float X, float Y, float Z) {
    EXPECT_FLOAT_EQ(V.x, X);
    EXPECT_FLOAT_EQ(V.y, Y);
    EXPECT_FLOAT_EQ(V.z, Z);
}

} // namespace

TEST(VerletStep, KeepsVelocityWithoutDamping) {
    TPointMass Rest = MassAt(3, 4, 3, 4);
    for (int I = 0; I < 100; ++I)
        VerletStep(Rest);
    ExpectVecEq(Rest.Pos, 3, 4, 0);

    TPointMass Moving = MassAt(1, 0, 0, 0);
    for (int I = 0; I < 10; ++I)
        VerletStep(Moving);
    ExpectVecEq(Moving.Pos, 11, 0, 0);
    ExpectVecEq(Moving.OldPos, 10, 0, 0);
}

TEST(VerletStep, DropsHeightInsteadOfIntegratingIt) {
    TPointMass M;
    M.Pos = Vec3(0, 0, 5);
    VerletStep(M);
    ExpectVecEq(M.Pos, 0, 0, 0);
    ExpectVecEq(M.OldPos, 0, 0, 0);
}

TEST(Push, AddsVelocityThatLasts) {
    TPointMass M = MassAt(0, 0, 0, 0);
    Push(M, Vec3(0.5, 0, 0));
    ExpectVecEq(M.Pos, 0, 0, 0); // only the velocity changes until the next step
    VerletStep(M);
    EXPECT_EQ(M.Pos.x, 0.5f);
    VerletStep(M);
    EXPECT_EQ(M.Pos.x, 1.0f);
    EXPECT_EQ(MassSpeed(M), 0.5f);
}

TEST(SetMass, StoresTheInverse) {
    TPointMass M;
    SetMass(M, 1.3);
    EXPECT_EQ(M.InvMass, 1 / 1.3f);
    SetMass(M, 1);
    EXPECT_EQ(M.InvMass, 1.0f);
}

TEST(LimitSpeed, SetsExactlyTheLimitAlongTheMotion) {
    TPointMass M = MassAt(100, 50, 80, 50); // 20 per update along +x
    LimitSpeed(M, 14);
    ExpectVecEq(M.Pos, 100, 50, 0);
    ExpectVecEq(M.OldPos, 86, 50, 0);
    EXPECT_EQ(MassSpeed(M), 14.0f);
}

TEST(LimitSpeed, DoesNotTestTheSpeedItself) {
    TPointMass Slow = MassAt(3, 4, 0, 0); // speed 5: raised to the limit
    LimitSpeed(Slow, 14);
    EXPECT_FLOAT_EQ(MassSpeed(Slow), 14);
}

TEST(KeepDistance, MovesEachMassByAQuarterOfTheError) {
    TPointMass A = MassAt(0, 0, 0, 0), B = MassAt(30, 0, 30, 0);
    KeepDistance(A, B, 25);
    ExpectVecEq(A.Pos, 1.25, 0, 0);
    ExpectVecEq(B.Pos, 28.75, 0, 0);
    ExpectVecEq(A.OldPos, 0, 0, 0); // the correction becomes velocity
    ExpectVecEq(B.OldPos, 30, 0, 0);
    for (int I = 0; I < 3; ++I)
        KeepDistance(A, B, 25);
    EXPECT_EQ(VecDist(A.Pos, B.Pos), 25.3125f); // (1/2)^4 of the error is left
}

TEST(KeepDistance, PushesMassesThatAreTooClose) {
    TPointMass A = MassAt(0, 0, 0, 0), B = MassAt(20, 0, 20, 0);
    KeepDistance(A, B, 25);
    EXPECT_EQ(A.Pos.x, -1.25f);
    EXPECT_EQ(B.Pos.x, 21.25f);
}

TEST(KeepDistance, HeavierMassMovesLess) {
    TPointMass A = MassAt(0, 0, 0, 0), B = MassAt(20, 0, 20, 0);
    SetMass(A, 1.3);
    KeepDistance(A, B, 25);
    const float MoveA = -A.Pos.x, MoveB = B.Pos.x - 20;
    EXPECT_NEAR(MoveA / MoveB, 1 / 1.3f, RATIO_TOLERANCE);
    EXPECT_FLOAT_EQ(MoveA + MoveB, 2.5f); // half the error in total, whatever the masses
}

TEST(KeepDistance, NoDirectionOrNoInverseMassChangesNothing) {
    TPointMass A = MassAt(7, 7, 7, 7), B = MassAt(7, 7, 7, 7);
    KeepDistance(A, B, 25);
    ExpectVecEq(A.Pos, 7, 7, 0);
    ExpectVecEq(B.Pos, 7, 7, 0);

    TPointMass Fixed1 = MassAt(0, 0, 0, 0), Fixed2 = MassAt(10, 0, 10, 0);
    Fixed1.InvMass = Fixed2.InvMass = 0;
    KeepDistance(Fixed1, Fixed2, 25);
    ExpectVecEq(Fixed1.Pos, 0, 0, 0);
    ExpectVecEq(Fixed2.Pos, 10, 0, 0);
    EXPECT_FALSE(std::isnan(Fixed1.Pos.x));
}

TEST(KeepDistance, RoundsLengthAndFactorsToSingle) {
    // L, K, F and each scale factor are floats; one chain in double throughout would give
    // -1.16941738 here instead.
    TPointMass A = MassAt(0, 0, 0, 0), B = MassAt(13, 13, 13, 13);
    KeepDistance(A, B, 25);
    EXPECT_EQ(A.Pos.x, -1.16941714f);
    EXPECT_EQ(A.Pos.y, -1.16941714f);
    EXPECT_EQ(B.Pos.x, 14.1694174f);
}
