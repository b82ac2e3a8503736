#pragma once
// The vector type of the game and the helpers every other module uses on it.
//
// Numbers: every stored value is a 32-bit float, and each helper computes its expression in double
// from its float arguments and rounds the result to float once, when it returns. Callers follow the
// same rule: an expression of more than one operation is written with explicit double promotion
// (`double(a) + double(b) * c`) and rounded once when it is stored. Nothing here guards against a
// zero length; dividing by zero gives an infinity or a NaN (floating-point exceptions stay masked).

#include <cstdint>

struct TVec3 {
    float x = 0;
    float y = 0;
    float z = 0;
};

constexpr double RadToDeg = 57.29577951308232; // 180 / pi, as the race code writes it

TVec3 Vec3(float X, float Y, float Z);
TVec3 VecAdd(const TVec3& A, const TVec3& B);
TVec3 VecSub(const TVec3& A, const TVec3& B);
TVec3 VecScale(const TVec3& V, float S);
TVec3 VecDiv(const TVec3& V, float S);
float VecDot(const TVec3& A, const TVec3& B);
TVec3 VecCross(const TVec3& A, const TVec3& B);
// Three-dimensional distance; the root is taken in double and rounded once.
float VecDist(const TVec3& A, const TVec3& B);
// V divided by its length (the length rounded to float first). The zero vector gives NaNs.
TVec3 VecNormalize(const TVec3& V);
// Exact componentwise equality, no tolerance.
bool VecEqual(const TVec3& A, const TVec3& B);
// No component is a NaN or an infinity.
bool VecIsFinite(const TVec3& V);

// The direction A -> B turned 90 degrees to the left in the XY plane, not normalised; z is 0.
// Perp2D(V, 0) turns V to the right, Perp2D(0, V) turns it to the left.
TVec3 Perp2D(const TVec3& A, const TVec3& B);
// Signed XY distance of P from the line through A and B: positive left of A -> B. A and B equal in
// x and y give 0 (there is no line, so there is no distance).
float LineDist2D(const TVec3& A, const TVec3& B, const TVec3& P);
// z of (A - C) x (B - C): positive when C lies left of A -> B.
float Cross2D(const TVec3& A, const TVec3& B, const TVec3& C);
// Whether P (dropped onto z = 0) lies within R of the line through A and B, inside the segment's
// bounding box widened by R. Dist always receives the distance from the line.
bool NearSegment(const TVec3& A, const TVec3& B, const TVec3& P, float& Dist, float R);

// Angle of the point (X, Y) in radians, in (-pi, pi]; note Y first. Returned in double.
double ArcTan2(float Y, float X);
// Arcsine in radians; 0 outside [-1, 1].
float ArcSin(float X);
// -1, 0 or 1; 0 also for -0.
int32_t Sign(float X);
