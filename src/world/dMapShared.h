#pragma once
// What the .map reader and the track builder have in common: how a track is refused, and the rule
// for a road point's side vector, which the reader checks can be normalised and the builder
// normalises.

#include "engine/Files.h"
#include "math/dMath.h"

#include <string>
#include <utility>

// Fault in English for the log; Russian1251 the same fault for the console (see TFileError).
[[noreturn]] inline void RefuseMap(const std::string& FileName, const std::string& Fault,
                                   std::string Russian1251) {
    throw TFileError(FileName + ": " + Fault, std::move(Russian1251));
}

// The sum of the perpendiculars of the road arriving at and leaving Pos: the side vector before
// it is normalised.
inline TVec3 RoadSideSum(const TVec3& Prev, const TVec3& Pos, const TVec3& Next) {
    return VecAdd(Perp2D(Pos, Next), Perp2D(Prev, Pos));
}
