#pragma once
// What the .map reader and the track builder have in common: how a track is refused, and the rule
// for a road point's side vector, which the reader checks can be normalised and the builder
// normalises.

#include "engine/Files.h"
#include "math/dMath.h"

#include <string>

[[noreturn]] inline void RefuseMap(const std::string& FileName, const std::string& Fault) {
    throw TFileError(FileName + ": " + Fault);
}

// The sum of the perpendiculars of the road arriving at and leaving Pos: the side vector before
// it is normalised.
inline TVec3 RoadSideSum(const TVec3& Prev, const TVec3& Pos, const TVec3& Next) {
    return VecAdd(Perp2D(Pos, Next), Perp2D(Prev, Pos));
}
