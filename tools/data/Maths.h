#pragma once
// Numbers shared across the content generator. The generated files must stay the same to the
// byte, so a formula used in more than one place is written once, here, and its order of
// operations is part of its contract.

constexpr double PI = 3.14159265358979323846;
constexpr double DEG = PI / 180.0;

// The smoothstep of T in [0, 1]: from 0 to 1 with a level start and end.
inline double Smoothstep(double T) {
    return T * T * (3 - 2 * T);
}
// From A at T = 0 to B at T = 1 along the smoothstep.
inline double SmoothMix(double A, double B, double T) {
    return A + (B - A) * Smoothstep(T);
}
