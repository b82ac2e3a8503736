// The desk objects: every recipe built under the model and texture names of the asset table.

#include "Objects.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

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

namespace {

// The kind of each recipe, in kind order; every kind with a model has exactly one.
std::vector<std::pair<int, const TObjectRecipe*>> RecipesByKind() {
    std::vector<std::pair<int, const TObjectRecipe*>> Kinds;
    for (const std::span<const TObjectRecipe> Recipes : {STATIONERY_RECIPES, DESK_RECIPES})
        for (const TObjectRecipe& R : Recipes) {
            int Kind = 0;
            while (Kind < OBJECT_KIND_COUNT &&
                   std::string(OBJECT_ASSETS[Kind].SourceName) != R.Kind)
                ++Kind;
            if (Kind == OBJECT_KIND_COUNT || !OBJECT_ASSETS[Kind].Model)
                throw std::logic_error(std::string("a recipe for \"") + R.Kind +
                                       "\", which is no desk-object kind with a model");
            Kinds.push_back({Kind, &R});
        }
    std::sort(Kinds.begin(), Kinds.end());
    for (int Kind = 0; Kind < OBJECT_KIND_COUNT; ++Kind) {
        const auto Count = std::count_if(Kinds.begin(), Kinds.end(),
                                         [Kind](const auto& K) { return K.first == Kind; });
        if (Count != (OBJECT_ASSETS[Kind].Model ? 1 : 0))
            throw std::logic_error(std::string("the desk object \"") +
                                   OBJECT_ASSETS[Kind].SourceName + "\" has " +
                                   std::to_string(Count) + " recipes");
    }
    return Kinds;
}

} // namespace

void BuildObjects(TContent& Content, bool Paint) {
    for (const auto& [Kind, R] : RecipesByKind()) {
        const std::string Name = ObjectModelName(Kind);
        TModel Model(Name + ".mdl");
        const bool Own = R->TextureWidth > 0;
        TImage Texture = Paint && Own ? TImage(R->TextureWidth, R->TextureHeight, Gray(0.5))
                                      : TImage::Blank(std::max(R->TextureWidth, 1),
                                                      std::max(R->TextureHeight, 1));
        R->Build(Model, Texture);
        Content.Models.push_back({DataRelativePath(OBJECT_ASSETS[Kind].Model), std::move(Model)});
        if (Paint && Own)
            Content.Pictures.push_back({DataRelativePath(OBJECT_ASSETS[Kind].Texture),
                                        std::move(Texture), TPictureFormat::Jpeg});
    }
}
