#pragma once
// Numbers shared by every part of the content generator. The generated files must come out the
// same to the byte on every machine, so whatever is computed in more than one place is computed
// here, in one order of operations.

constexpr double PI = 3.14159265358979323846;
constexpr double DEG = PI / 180.0;
