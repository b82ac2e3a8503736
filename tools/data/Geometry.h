#pragma once
// Model building for the content generator: a vector type in double, placements, and TModel, a
// triangle list kept the way a .mdl file stores it (positions and texture coordinates in their own
// index spaces), with the primitive shapes the cars and desk objects are made of.
//
// Conventions of every model: world units (1 unit is about 1 mm), z up, standing on z = 0;
// triangles wind counter-clockwise seen from outside (the game computes normals from the winding).
//
// How the game shades a model decides how shapes are built here. The game sums face normals per
// file vertex, then merges vertices whose position and texture coordinate are both equal, keeping
// the first one's normal. So a smooth surface shares its file vertices between neighbouring
// triangles, and every hard face (BeginFace) gets file vertices of its own plus texture coordinates
// that differ from its neighbours' by a few millionths (invisible; it only keeps the loader from
// merging a corner of one face into the corner of the face beside it).

#include "Outline.h"
#include "models/dMeshes.h"

#include <cmath>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

struct TVecD {
    double x = 0, y = 0, z = 0;
};
inline TVecD operator+(TVecD A, TVecD B) {
    return {A.x + B.x, A.y + B.y, A.z + B.z};
}
inline TVecD operator-(TVecD A, TVecD B) {
    return {A.x - B.x, A.y - B.y, A.z - B.z};
}
inline TVecD operator*(TVecD A, double S) {
    return {A.x * S, A.y * S, A.z * S};
}
inline TVecD operator*(double S, TVecD A) {
    return A * S;
}
inline double Dot(TVecD A, TVecD B) {
    return A.x * B.x + A.y * B.y + A.z * B.z;
}
inline TVecD Cross(TVecD A, TVecD B) {
    return {A.y * B.z - A.z * B.y, A.z * B.x - A.x * B.z, A.x * B.y - A.y * B.x};
}
inline double Length(TVecD A) {
    return std::sqrt(Dot(A, A));
}
inline TVecD Normalized(TVecD A) {
    return A * (1.0 / Length(A));
}
inline TVecD Lerp(TVecD A, TVecD B, double T) {
    return A + (B - A) * T;
}

// An affine placement: a rotation (columns X, Y, Z) and a translation.
struct TXform {
    TVecD X{1, 0, 0}, Y{0, 1, 0}, Z{0, 0, 1}, T{0, 0, 0};

    TVecD Point(TVecD P) const { return T + X * P.x + Y * P.y + Z * P.z; }
    TVecD Dir(TVecD D) const { return X * D.x + Y * D.y + Z * D.z; }
    TXform operator*(const TXform& Inner) const; // Inner first, then this
    bool Mirrors() const { return Dot(Cross(X, Y), Z) < 0; }

    static TXform Move(double X, double Y, double Z);
    static TXform Move(TVecD V) { return Move(V.x, V.y, V.z); }
    static TXform RotX(double Degrees);
    static TXform RotY(double Degrees);
    static TXform RotZ(double Degrees);
    static TXform Scale(double X, double Y, double Z);
    // A frame whose local z runs along Axis (any length); local x is Side made perpendicular.
    static TXform Along(TVecD Origin, TVecD Axis, TVecD Side);
};

// A rectangle of a texture atlas in texture coordinates: (U0, V0) is its top-left corner in the
// picture (v grows downward through the picture's rows).
struct TRegion {
    double U0 = 0, V0 = 0, U1 = 1, V1 = 1;
    double U(double Fraction) const { return U0 + (U1 - U0) * Fraction; }
    double V(double Fraction) const { return V0 + (V1 - V0) * Fraction; }
};
// The empty region: a face or wall showing it is left out.
constexpr TRegion NO_REGION{0, 0, 0, 0};

// Texture coordinate of a model-space point by a planar projection from above: the rectangle
// [X0, X1] x [Y0, Y1] of the XY plane fills Region, its +y edge at the region's top.
struct TPlanarMap {
    TRegion Region;
    double X0 = 0, Y0 = 0, X1 = 1, Y1 = 1;
    TVec2D At(double X, double Y) const {
        return {Region.U((X - X0) / (X1 - X0)), Region.V((Y1 - Y) / (Y1 - Y0))};
    }
};

class TModel {
public:
    explicit TModel(std::string Name) : Name(std::move(Name)) {}

    // Placement of everything added from now on (positions only; texture coordinates are given).
    TXform Place;

    // A file vertex at a point in the current placement.
    int Vertex(TVecD Local);
    // A texture coordinate, nudged by the current face's offset.
    int TexCoord(double U, double V);
    int TexCoord(TVec2D UV) { return TexCoord(UV.x, UV.y); }
    // Several in the order listed (function arguments have no order of evaluation, and the
    // indices must not depend on the compiler).
    std::vector<int> Vertices(std::initializer_list<TVecD> Local);
    std::vector<int> TexCoords(std::initializer_list<TVec2D> UVs);
    // A triangle, counter-clockwise seen from outside in local coordinates (a mirroring placement
    // is undone here). Refuses a triangle without area: it has no normal.
    void Triangle(int A, int B, int C, int TA, int TB, int TC);
    void Quad(int A, int B, int C, int D, int TA, int TB, int TC, int TD);
    // Starts a hard face: its texture coordinates differ from the previous face's.
    void BeginFace();

    int TriangleCount() const { return int(Faces.size()); }
    const std::string& ModelName() const { return Name; }
    const std::vector<TVecD>& Positions() const { return Points; }
    TMdlData Mdl() const;

private:
    std::string Name;
    std::vector<TVecD> Points;
    std::vector<TVec2D> UVs;
    std::vector<TFace> Faces, FaceUVs;
    int FaceNumber = 0;
};

// ---- Primitive shapes. Each is built in local coordinates and placed by Model.Place. ----

// A four-cornered flat face (corners counter-clockwise seen from its front) with its own vertices.
void AddFlatQuad(TModel& M, TVecD A, TVecD B, TVecD C, TVecD D, TVec2D TA, TVec2D TB, TVec2D TC,
                 TVec2D TD);
// A flat face seen from outside, corners bottom-left, bottom-right, top-right, top-left, showing
// the whole region upright.
void AddPictureQuad(TModel& M, TVecD BL, TVecD BR, TVecD TR, TVecD TL, const TRegion& R);

// Which region each face of a box shows; a face whose region is empty (U0 == U1), as every face
// not named is, is left out.
struct TBoxSkin {
    TRegion Top = NO_REGION, Bottom = NO_REGION;
    TRegion Front = NO_REGION, Back = NO_REGION; // Front faces +y
    TRegion Left = NO_REGION, Right = NO_REGION; // Right faces +x
    TRegion Bevel = NO_REGION;
    // Every face but the bottom.
    static TBoxSkin All(TRegion R) {
        return {.Top = R, .Front = R, .Back = R, .Left = R, .Right = R, .Bevel = R};
    }
};
// A box over [X0, X1] x [Y0, Y1] x [Z0, Z1]; Bevel > 0 cuts the four top edges at 45 degrees.
// Top and bevel faces map their region from above; the sides map it as seen from outside.
void AddBox(TModel& M, TVecD Min, TVecD Max, const TBoxSkin& Skin, double Bevel = 0);

// A prism over an outline, from Z0 to Z1, with a flat top (mapped by Top) and sides mapped by
// Side (u along the outline, v down the wall). Bevel > 0 cuts the top edge at 45 degrees (the
// bevel band maps through BevelMap, or through Top when BevelMap is null). Side corners whose turn
// is below SmoothDegrees share their vertices (a rounded wall); sharper ones stay hard.
struct TPrismSkin {
    TPlanarMap Top;
    TRegion Side;
    const TPlanarMap* BevelMap = nullptr;
    bool Bottom = false; // a bottom face (mapped by Top) for parts seen from below
};
void AddPrism(TModel& M, const TOutline& Outline, double Z0, double Z1, const TPrismSkin& Skin,
              double Bevel = 0, double SmoothDegrees = 30);

// A flat face filling an outline at height Z, facing +z (or -z when Down), mapped by Map.
void AddFlatOutline(TModel& M, const TOutline& Outline, double Z, const TPlanarMap& Map,
                    bool Down = false);

// A surface of revolution about local z through the profile points (radius, height), listed from
// the bottom up. Corners of the profile sharper than SmoothDegrees are creases. A profile point of
// radius 0 closes the surface there. UV maps a point (angle fraction 0..1 around, profile length
// fraction 0..1, local position) to a texture coordinate.
using TLatheUV = std::function<TVec2D(double AroundFraction, double AlongFraction, TVecD Local)>;
void AddLathe(TModel& M, const std::vector<TVec2D>& Profile, int Segments, const TLatheUV& UV,
              double SmoothDegrees = 40);
// Lathe texture mappings: wrapped around (u around, v along the profile) or projected from above.
TLatheUV WrapUV(TRegion R);
TLatheUV PlanarUV(const TPlanarMap& Map);

// A tube of Radius along a path (open unless Closed), smooth, with flat caps on an open path.
void AddTube(TModel& M, const std::vector<TVecD>& Path, double Radius, int Sides, TRegion Region,
             bool Closed = false);

// A smooth height field over [X0, X1] x [Y0, Y1]: a top surface of Nx x Ny cells at Height(x, y),
// mapped by Top, hanging down by Thickness along its border walls (mapped by Edge).
void AddSheet(TModel& M, double X0, double Y0, double X1, double Y1, int Nx, int Ny,
              const std::function<double(double, double)>& Height, double Thickness,
              const TPlanarMap& Top, TRegion Edge);

// A prism along x over a cross-section in the (y, z) plane, counter-clockwise seen from +x, from
// X0 to X1. Each edge of the section is a wall showing WallRegion(edge) (an empty region leaves
// the wall out); neighbouring walls with the same region that meet at less than SmoothDegrees
// form one smooth surface sharing the picture. A wall's picture stands upright as seen from
// outside: facing up, its top is towards +y; otherwise towards +z. The end faces show EndX0 (the
// face at X0, seen from -x) and EndX1, upright, or are left out when empty.
void AddExtrusionX(TModel& M, const TOutline& Section, double X0, double X1,
                   const std::function<TRegion(size_t Edge)>& WallRegion, TRegion EndX0,
                   TRegion EndX1, double SmoothDegrees = 30);

// A flat ring between two outlines (both counter-clockwise, the same number of corners, Inner
// inside Outer) from Z0 to Z1: top face mapped by Top, outer wall by Side, the wall of the hole by
// HoleSide.
void AddRing(TModel& M, const TOutline& Outer, const TOutline& Inner, double Z0, double Z1,
             const TPlanarMap& Top, TRegion Side, TRegion HoleSide, double SmoothDegrees = 30);
