#include "math/dMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr float SINGLE_TOLERANCE = 1e-6f;

void ExpectVec(const TVec3& V, float X, float Y, float Z, float Tolerance = SINGLE_TOLERANCE) {
    EXPECT_NEAR(V.x, X, Tolerance);
    EXPECT_NEAR(V.y, Y, Tolerance);
    EXPECT_NEAR(V.z, Z, Tolerance);
}

} // namespace

TEST(VecArithmetic, ComponentwiseResults) {
    ExpectVec(VecAdd(Vec3(1, 2, 3), Vec3(4, 5, 6)), 5, 7, 9);
    ExpectVec(VecSub(Vec3(1, 2, 3), Vec3(4, 5, 6)), -3, -3, -3);
    ExpectVec(VecScale(Vec3(1, -2, 3), 2), 2, -4, 6);
    ExpectVec(VecDiv(Vec3(1, -2, 3), 2), 0.5f, -1, 1.5f);
    EXPECT_EQ(VecDot(Vec3(1, 2, 3), Vec3(4, 5, 6)), 32);
    ExpectVec(VecCross(Vec3(1, 0, 0), Vec3(0, 1, 0)), 0, 0, 1);
    EXPECT_EQ(VecDist(Vec3(0, 0, 0), Vec3(3, 4, 12)), 13);
}

TEST(VecArithmetic, DivisionByZeroGivesInfinityWithoutTrapping) {
    const TVec3 V = VecDiv(Vec3(1, -1, 0), 0);
    EXPECT_TRUE(std::isinf(V.x) && V.x > 0);
    EXPECT_TRUE(std::isinf(V.y) && V.y < 0);
    EXPECT_TRUE(std::isnan(V.z));
}

TEST(VecArithmetic, RoundsOnceFromDouble) {
    // 1 + 2^-24 + 2^-24: adding the small parts one at a time in float would lose both.
    const float Tiny = std::ldexp(1.0f, -24);
    EXPECT_EQ(VecDot(Vec3(1, Tiny, Tiny), Vec3(1, 1, 1)), 1.0f + 2 * Tiny);
    // The distance's root is taken of the exact double sum.
    const float Big = 16777216; // 2^24: Big^2 + 1 is not a float, but is a double
    EXPECT_EQ(VecDist(Vec3(Big, 1, 0), Vec3(0, 0, 0)), Big);
}

TEST(VecNormalize, UnitVectorAndZeroVector) {
    ExpectVec(VecNormalize(Vec3(3, 4, 0)), 0.6f, 0.8f, 0);
    const TVec3 Z = VecNormalize(Vec3(0, 0, 0));
    EXPECT_TRUE(std::isnan(Z.x) && std::isnan(Z.y) && std::isnan(Z.z));
}

TEST(VecEqual, ExactWithoutTolerance) {
    EXPECT_TRUE(VecEqual(Vec3(1, 2, 3), Vec3(1, 2, 3)));
    EXPECT_FALSE(VecEqual(Vec3(1, 2, 3), Vec3(1, 2, 3.0000002f)));
    EXPECT_TRUE(VecEqual(Vec3(0, 0, 0), Vec3(-0.0f, 0, 0)));
}

TEST(VecIsFinite, RefusesNaNAndInfinityInAnyComponent) {
    EXPECT_TRUE(VecIsFinite(Vec3(1, -2, 3e38f)));
    EXPECT_FALSE(VecIsFinite(Vec3(std::nanf(""), 0, 0)));
    EXPECT_FALSE(VecIsFinite(Vec3(0, INFINITY, 0)));
    EXPECT_FALSE(VecIsFinite(Vec3(0, 0, -INFINITY)));
}

TEST(Perp2D, TurnsLeftAndDropsZ) {
    ExpectVec(Perp2D(Vec3(1, 0, 0), Vec3(0, 0, 0)), 0, -1, 0);
    ExpectVec(Perp2D(Vec3(0, 0, 0), Vec3(1, 0, 0)), 0, 1, 0);
    EXPECT_EQ(Perp2D(Vec3(0, 0, 7), Vec3(1, 2, -9)).z, 0);
}

TEST(LineDist2D, SignedDistanceIndependentOfSegmentLength) {
    EXPECT_FLOAT_EQ(LineDist2D(Vec3(0, 0, 0), Vec3(1, 0, 0), Vec3(0, 1, 0)), 1);
    EXPECT_FLOAT_EQ(LineDist2D(Vec3(0, 0, 0), Vec3(1, 0, 0), Vec3(0, -1, 0)), -1);
    EXPECT_FLOAT_EQ(LineDist2D(Vec3(0, 0, 0), Vec3(10, 0, 0), Vec3(0, 1, 0)), 1);
    EXPECT_FLOAT_EQ(LineDist2D(Vec3(0, 0, 0), Vec3(10, 0, 0), Vec3(0, -1, 0)), -1);
}

TEST(LineDist2D, CoincidentEndsGiveZeroNotNaN) {
    // A car's first update runs with a zero grip direction: its grip line has no length.
    EXPECT_EQ(LineDist2D(Vec3(5, 5, 0), Vec3(5, 5, 3), Vec3(1, 2, 0)), 0);
}

TEST(Cross2D, SignTellsTheSide) {
    EXPECT_FLOAT_EQ(Cross2D(Vec3(0, 0, 0), Vec3(1, 0, 0), Vec3(0.5f, 1, 0)), 1);
    EXPECT_FLOAT_EQ(Cross2D(Vec3(0, 0, 0), Vec3(1, 0, 0), Vec3(0.5f, -1, 0)), -1);
    EXPECT_EQ(Cross2D(Vec3(0, 0, 0), Vec3(1, 0, 0), Vec3(7, 0, 0)), 0);
}

TEST(NearSegment, StripCutByWidenedBox) {
    const TVec3 A = Vec3(0, 0, 0), B = Vec3(100, 0, 0);
    float Dist = -1;
    EXPECT_TRUE(NearSegment(A, B, Vec3(50, 10, 0), Dist, 12.5f));
    EXPECT_NEAR(Dist, 10, 1e-4);
    EXPECT_FALSE(NearSegment(A, B, Vec3(120, 5, 0), Dist, 12.5f)); // beyond the box in x
    EXPECT_NEAR(Dist, 5, 1e-4);                                    // Dist is written anyway
    EXPECT_TRUE(NearSegment(A, B, Vec3(110, 5, 0), Dist, 12.5f));  // inside the widened box
    EXPECT_FALSE(NearSegment(A, B, Vec3(50, 13, 0), Dist, 12.5f)); // too far from the line
}

TEST(NearSegment, BoxBoundsAreInclusive) {
    float Dist = -1;
    EXPECT_TRUE(NearSegment(Vec3(0, 0, 0), Vec3(100, 0, 0), Vec3(112.5f, 0, 0), Dist, 12.5f));
    EXPECT_TRUE(NearSegment(Vec3(0, 0, 0), Vec3(100, 0, 0), Vec3(-12.5f, 0, 0), Dist, 12.5f));
}

TEST(NearSegment, PointOnTheLineHasZeroDistance) {
    // For this point rounding makes BQ^2 - T^2 slightly negative: the distance is 0, never NaN.
    float Dist = -1;
    EXPECT_TRUE(NearSegment(Vec3(-103.232544f, 169.746033f, 0), Vec3(38.8167725f, 435.539062f, 0),
                            Vec3(16.985342f, 394.689575f, 0), Dist, 0));
    EXPECT_EQ(Dist, 0);
}

TEST(NearSegment, ProbeIsDroppedOntoTheDesk) {
    float Dist = -1;
    EXPECT_TRUE(NearSegment(Vec3(0, 0, 0), Vec3(100, 0, 0), Vec3(50, 10, 500), Dist, 12.5f));
    EXPECT_NEAR(Dist, 10, 1e-4);
}

TEST(ArcTan2, YFirstAndRangeUpToPi) {
    EXPECT_DOUBLE_EQ(ArcTan2(1, 0), std::numbers::pi / 2);
    EXPECT_DOUBLE_EQ(ArcTan2(0, -1), std::numbers::pi);
    EXPECT_DOUBLE_EQ(ArcTan2(-0.0f, -1), std::numbers::pi); // never -pi
    EXPECT_DOUBLE_EQ(ArcTan2(-1, 0), -std::numbers::pi / 2);
}

TEST(ArcTan2, ResultIsNotRoundedToSingle) {
    const double A = ArcTan2(1, 3);
    EXPECT_EQ(A, std::atan2(1.0, 3.0));
    EXPECT_NE(A, double(float(A)));
}

TEST(ArcSin, ZeroOutsideTheDomain) {
    EXPECT_EQ(ArcSin(1.5f), 0);
    EXPECT_EQ(ArcSin(-1.0001f), 0);
    EXPECT_FLOAT_EQ(ArcSin(1), float(std::numbers::pi / 2));
    EXPECT_FLOAT_EQ(ArcSin(-1), float(-std::numbers::pi / 2));
    EXPECT_FLOAT_EQ(ArcSin(0.5f), float(std::numbers::pi / 6));
}

TEST(Sign, NegativeZeroIsZero) {
    EXPECT_EQ(Sign(-0.0f), 0);
    EXPECT_EQ(Sign(0), 0);
    EXPECT_EQ(Sign(1e-30f), 1);
    EXPECT_EQ(Sign(-1e-30f), -1);
    EXPECT_EQ(Sign(std::nanf("")), 0);
}
