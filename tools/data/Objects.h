#pragma once
// Desk objects at the desk's scale (1 unit is about 1 mm; a car is a 1:64 toy): each one a model
// standing on z = 0 and its texture atlas, built together so that the model's texture coordinates
// and the painting agree. Everything is made to be recognised from straight above, under a light
// from the camera (faces towards the camera bright, walls dark).

#include "Content.h"

#include <cmath>
#include <span>

// Builds one object: fills Model and paints Texture (already sized).
using TObjectBuilder = void (*)(TModel& Model, TImage& Texture);

// Surface finishes used across objects.
TColor Plastic(TColor Base, double X, double Y, uint32_t Seed, double Grain = 0.05);
TColor BrushedMetal(double X, double Y, uint32_t Seed, double Level = 0.72);
TColor Cardboard(TColor Base, double X, double Y, uint32_t Seed);

// Round things lying on the desk along x: the placement of a lathe whose axis starts at (X0, 0,
// AxisZ) and runs along +x, and its texture mapping, u along the first Length units of the axis
// and v around it (0.5 on top).
TXform LyingAlongX(double X0, double AxisZ);
TLatheUV AlongUV(TRegion R, double Length);

// How one desk-object kind is made: the kind by its name in the asset table (models/Assets.h),
// its builder and the size of the texture it paints (0 x 0: it paints none of its own and wears
// the texture the table names).
struct TObjectRecipe {
    const char* Kind;
    TObjectBuilder Build;
    int TextureWidth, TextureHeight;
};

// The recipes of each builder file: stationery (ObjectsStationery.cpp) and everything else on the
// desk (ObjectsDesk.cpp). Every kind with a model has exactly one recipe.
extern const std::span<const TObjectRecipe> STATIONERY_RECIPES;
extern const std::span<const TObjectRecipe> DESK_RECIPES;
