#pragma once
// Plane geometry for the content generator: points and outlines in the XY plane (a model seen from
// above, a cross-section, a track's road), their building, insetting and filling, and the tests a
// track is checked by (crossing edges, overlapping footprints).

#include "Maths.h"

#include <array>
#include <cmath>
#include <vector>

struct TVec2D {
    double x = 0, y = 0;
};
using TOutline = std::vector<TVec2D>; // a simple polygon, counter-clockwise seen from +z

inline TVec2D Sub(TVec2D A, TVec2D B) {
    return {A.x - B.x, A.y - B.y};
}
inline double Dist(TVec2D A, TVec2D B) {
    return std::hypot(A.x - B.x, A.y - B.y);
}
inline double Dot2(TVec2D A, TVec2D B) {
    return A.x * B.x + A.y * B.y;
}
inline double Cross2(TVec2D A, TVec2D B) {
    return A.x * B.y - A.y * B.x;
}
// Twice the signed area of the triangle A, B, C: positive when it turns counter-clockwise.
inline double Cross2(TVec2D A, TVec2D B, TVec2D C) {
    return Cross2(Sub(B, A), Sub(C, A));
}

// Turn at corner C of the path P, C, Q, in degrees (0 for a straight continuation).
double TurnDegrees(TVec2D P, TVec2D C, TVec2D Q);
// Turn at outline corner I.
double TurnDegrees(const TOutline& Outline, size_t I);

// The smallest axis-aligned rectangle holding some points (at least one).
struct TBounds2D {
    double X0, Y0, X1, Y1;
};
TBounds2D BoundsOf(const std::vector<TVec2D>& Points);

TOutline RectOutline(double X0, double Y0, double X1, double Y1);
TOutline RoundedRectOutline(double X0, double Y0, double X1, double Y1, double Radius,
                            int CornerSteps);
TOutline EllipseOutline(double CX, double CY, double RX, double RY, int Steps);
// The outline moved inwards by Distance (each corner along its bisector); outwards when negative.
TOutline InsetOutline(const TOutline& Outline, double Distance);
double OutlineArea(const TOutline& Outline); // positive when counter-clockwise
// Triangles (index triples) filling a simple counter-clockwise outline.
std::vector<std::array<int, 3>> TriangulateOutline(const TOutline& Outline);

// The counter-clockwise convex hull of some points (fewer than three come back sorted by x).
TOutline ConvexHull(std::vector<TVec2D> Points);
// Whether segments AB and CD cross properly: touching at an end or lying along each other is no
// crossing.
bool SegmentsCross(TVec2D A, TVec2D B, TVec2D C, TVec2D D);
// Whether two convex polygons (either winding) overlap; touching along an edge is no overlap.
bool ConvexOverlap(const std::vector<TVec2D>& A, const std::vector<TVec2D>& B);
