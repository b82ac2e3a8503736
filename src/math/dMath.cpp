#include "math/dMath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
double Sqr(double X) {
    return X * X;
}
} // namespace

TVec3 Vec3(float X, float Y, float Z) {
    return {X, Y, Z};
}

TVec3 VecAdd(const TVec3& A, const TVec3& B) {
    return {float(double(A.x) + B.x), float(double(A.y) + B.y), float(double(A.z) + B.z)};
}

TVec3 VecSub(const TVec3& A, const TVec3& B) {
    return {float(double(A.x) - B.x), float(double(A.y) - B.y), float(double(A.z) - B.z)};
}

TVec3 VecScale(const TVec3& V, float S) {
    return {float(double(V.x) * S), float(double(V.y) * S), float(double(V.z) * S)};
}

TVec3 VecDiv(const TVec3& V, float S) {
    return {float(double(V.x) / S), float(double(V.y) / S), float(double(V.z) / S)};
}

float VecDot(const TVec3& A, const TVec3& B) {
    return float(double(A.x) * B.x + double(A.y) * B.y + double(A.z) * B.z);
}

TVec3 VecCross(const TVec3& A, const TVec3& B) {
    return {float(double(A.y) * B.z - double(A.z) * B.y),
            float(double(A.z) * B.x - double(A.x) * B.z),
            float(double(A.x) * B.y - double(A.y) * B.x)};
}

float VecDist(const TVec3& A, const TVec3& B) {
    return float(
        std::sqrt(Sqr(double(A.x) - B.x) + Sqr(double(A.y) - B.y) + Sqr(double(A.z) - B.z)));
}

TVec3 VecNormalize(const TVec3& V) {
    const float L = VecDist(V, Vec3(0, 0, 0));
    return {V.x / L, V.y / L, V.z / L};
}

bool VecEqual(const TVec3& A, const TVec3& B) {
    return A.x == B.x && A.y == B.y && A.z == B.z;
}

bool VecIsFinite(const TVec3& V) {
    return std::isfinite(V.x) && std::isfinite(V.y) && std::isfinite(V.z);
}

TVec3 Perp2D(const TVec3& A, const TVec3& B) {
    return {A.y - B.y, B.x - A.x, 0};
}

float LineDist2D(const TVec3& A, const TVec3& B, const TVec3& P) {
    const double Len = std::sqrt(Sqr(double(B.x) - A.x) + Sqr(double(B.y) - A.y));
    if (Len == 0) return 0;
    const double Num = (double(A.y) - B.y) * P.x + (double(B.x) - A.x) * P.y +
                       (double(A.x) * B.y - double(B.x) * A.y);
    return float(Num / Len);
}

float Cross2D(const TVec3& A, const TVec3& B, const TVec3& C) {
    return float((double(A.x) - C.x) * (double(B.y) - C.y) -
                 (double(A.y) - C.y) * (double(B.x) - C.x));
}

bool NearSegment(const TVec3& A, const TVec3& B, const TVec3& P, float& Dist, float R) {
    const TVec3 Q = Vec3(P.x, P.y, 0);
    const float AB = VecDist(B, A);
    const float AQ = VecDist(A, Q);
    const float BQ = VecDist(B, Q);
    const float T = float((Sqr(BQ) + Sqr(AB) - Sqr(AQ)) / (2.0 * AB));
    const double Foot2 = Sqr(BQ) - Sqr(T);
    Dist = Foot2 < 0 ? 0.0f : float(std::sqrt(Foot2));
    return Dist <= R && double(P.x) >= double(std::min(A.x, B.x)) - R &&
           double(P.x) <= double(std::max(A.x, B.x)) + R &&
           double(P.y) >= double(std::min(A.y, B.y)) - R &&
           double(P.y) <= double(std::max(A.y, B.y)) + R;
}

double ArcTan2(float Y, float X) {
    const double A = std::atan2(double(Y), double(X));
    // atan2 gives -pi for a negative zero Y and a negative X; the range is (-pi, pi].
    return A == -std::numbers::pi ? std::numbers::pi : A;
}

float ArcSin(float X) {
    if (std::fabs(X) > 1) return 0;
    const double A = std::atan2(double(X), std::sqrt((1.0 + X) * (1.0 - X)));
    return float(A);
}

int32_t Sign(float X) {
    if (X < 0) return -1;
    if (X > 0) return 1;
    return 0;
}
