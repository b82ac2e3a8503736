// The desk-object table: kind numbers, model and texture files, and the builders.

#include "Objects.h"

#include <algorithm>

namespace {

struct TObjectRecipe {
    int Kind;
    TObjectBuilder Build;
    int TextureWidth, TextureHeight; // 0: the object paints no texture of its own
};

constexpr TObjectRecipe RECIPES[] = {
    {0, BuildTapeMeasure, 512, 512},  {1, BuildPenCap, 128, 128},      {2, BuildCalendar, 512, 512},
    {3, BuildTelephone, 512, 512},    {4, BuildStapler, 512, 256},     {5, BuildClipBox, 512, 256},
    {6, BuildPaperClip, 64, 64},      {7, BuildCigarette, 256, 64},    {8, BuildPen, 256, 64},
    {9, BuildPenHolder, 512, 256},    {10, BuildCigaretteBox, 256, 256}, {11, BuildFolder, 512, 512},
    {12, BuildScissors, 256, 256},    {13, BuildMonitor, 512, 512},    {14, BuildRuler, 1024, 128},
    {15, BuildEraser, 256, 128},      {16, BuildBook, 512, 512},       {17, BuildDisc, 256, 256},
    {18, BuildPaper, 256, 512},       {19, BuildCrumpledPaper, 0, 0},  {20, BuildCube, 256, 256},
    {22, BuildFlag, 128, 128},
};

} // namespace

TColor Plastic(TColor Base, double X, double Y, uint32_t Seed, double Grain) {
    return Shade(Base, 1.0 + (Fractal(X, Y, 1 << 16, 3, 0.5, Seed) - 0.5) * Grain * 2);
}

TColor BrushedMetal(double X, double Y, uint32_t Seed, double Level) {
    const double Brush = Fractal(X * 0.05, Y * 3.0, 1 << 16, 3, 0.6, Seed) - 0.5;
    return Gray(Level + Brush * 0.16);
}

TColor Cardboard(TColor Base, double X, double Y, uint32_t Seed) {
    const double Fibre = Fractal(X * 0.4, Y * 0.4, 1 << 16, 4, 0.55, Seed) - 0.5;
    return Shade(Base, 1.0 + Fibre * 0.14);
}

TXform LyingAlongX(double X0, double AxisZ) {
    return TXform::Along({X0, 0, AxisZ}, {1, 0, 0}, {0, 0, -1});
}

TLatheUV AlongUV(TRegion R, double Length) {
    return [R, Length](double Around, double, TVecD Local) {
        return TVec2D{R.U(std::clamp(Local.z / Length, 0.0, 1.0)), R.V(Around)};
    };
}

void BuildObjects(TContent& Content, bool Paint) {
    for (const TObjectRecipe& R : RECIPES) {
        const std::string Name = ObjectModelName(R.Kind);
        TModel Model(Name + ".mdl");
        const bool Own = R.TextureWidth > 0;
        TImage Texture = Paint && Own ? TImage(R.TextureWidth, R.TextureHeight, Gray(0.5))
                                      : TImage::Blank(std::max(R.TextureWidth, 1), std::max(R.TextureHeight, 1));
        R.Build(Model, Texture);
        Content.Models.push_back({DataRelativePath(OBJECT_ASSETS[R.Kind].Model), std::move(Model)});
        if (Paint && Own)
            Content.Pictures.push_back({DataRelativePath(OBJECT_ASSETS[R.Kind].Texture), std::move(Texture), TPictureFormat::Jpeg});
    }
}
