#include "Icons.h"

#include "Maths.h"
#include "Writer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

namespace {

// Samples per pixel along each axis: the edges come out anti-aliased by averaging.
constexpr int SUPERSAMPLING = 4;
// The car's heading turned from straight at the viewer, and the eye's height above the desk.
constexpr double TURN_DEG = 35, ELEVATION_DEG = 38;
constexpr double MARGIN_FRACTION = 0.06; // of the icon's side, on each side
// Lambert lighting: the share every face gets, and the share that follows the light.
constexpr double AMBIENT = 0.45, DIFFUSE = 0.7;
constexpr double SHADOW_ALPHA = 0.35;
constexpr double SHADOW_SHIFT_PER_HEIGHT = 0.35; // the light's slant across the desk

const TVecD LIGHT_DIRECTION = Normalized({-0.35, 0.55, 1.0}); // towards the light, world space

// A point in the picture's sample grid: x right, y down, depth towards the eye.
struct TScreen {
    double X, Y, Depth;
};

// The view: the car turned about z, then seen from in front (+y) and above.
TVecD Turned(TVecD P) {
    const double A = TURN_DEG * DEG;
    return {P.x * std::cos(A) - P.y * std::sin(A), P.x * std::sin(A) + P.y * std::cos(A), P.z};
}
TScreen Project(TVecD P) {
    const double E = ELEVATION_DEG * DEG;
    return {-P.x, -(P.z * std::cos(E) - P.y * std::sin(E)), P.y * std::cos(E) + P.z * std::sin(E)};
}
const TVecD TO_EYE = {0, std::cos(ELEVATION_DEG* DEG), std::sin(ELEVATION_DEG* DEG)};

// Calls Plot(x, y, a, b, c) for every sample centre inside the triangle, with its barycentric
// weights.
template <typename TPlot>
void Rasterise(const TScreen& P0, const TScreen& P1, const TScreen& P2, int Side, TPlot&& Plot) {
    const double Area = (P1.X - P0.X) * (P2.Y - P0.Y) - (P2.X - P0.X) * (P1.Y - P0.Y);
    if (std::abs(Area) < 1e-12) return;
    const int X0 = std::max(0, int(std::floor(std::min({P0.X, P1.X, P2.X}))));
    const int X1 = std::min(Side - 1, int(std::ceil(std::max({P0.X, P1.X, P2.X}))));
    const int Y0 = std::max(0, int(std::floor(std::min({P0.Y, P1.Y, P2.Y}))));
    const int Y1 = std::min(Side - 1, int(std::ceil(std::max({P0.Y, P1.Y, P2.Y}))));
    for (int Y = Y0; Y <= Y1; ++Y)
        for (int X = X0; X <= X1; ++X) {
            const double SX = X + 0.5, SY = Y + 0.5;
            const double A = ((P1.X - SX) * (P2.Y - SY) - (P2.X - SX) * (P1.Y - SY)) / Area;
            const double B = ((P2.X - SX) * (P0.Y - SY) - (P0.X - SX) * (P2.Y - SY)) / Area;
            const double C = 1 - A - B;
            if (A >= 0 && B >= 0 && C >= 0) Plot(X, Y, A, B, C);
        }
}

TColor Sample(const TImage& Picture, double U, double V) {
    const auto Wrap = [](double T, int Size) {
        const int I = int(std::floor((T - std::floor(T)) * Size));
        return std::clamp(I, 0, Size - 1);
    };
    return Picture.Get(Wrap(U, Picture.Width()), Wrap(V, Picture.Height()));
}

} // namespace

TImage RenderIcon(const TModel& Model, const TImage& Picture, int SizePx) {
    const TMdlData Mesh = Model.Mdl();
    std::vector<TVecD> World;
    for (const TVecD& P : Model.Positions())
        World.push_back(Turned(P));
    // The car's shadow: every point dropped onto the desk along the light.
    std::vector<TVecD> Ground;
    for (const TVecD& P : World)
        Ground.push_back(
            {P.x - LIGHT_DIRECTION.x / LIGHT_DIRECTION.z * P.z * SHADOW_SHIFT_PER_HEIGHT,
             P.y - LIGHT_DIRECTION.y / LIGHT_DIRECTION.z * P.z * SHADOW_SHIFT_PER_HEIGHT, 0});

    // Car and shadow fitted into the picture less its margins, centred.
    double MinX = 1e30, MinY = 1e30, MaxX = -1e30, MaxY = -1e30;
    for (const std::vector<TVecD>* Points : {&World, &Ground})
        for (const TVecD& P : *Points) {
            const TScreen S = Project(P);
            MinX = std::min(MinX, S.X), MaxX = std::max(MaxX, S.X);
            MinY = std::min(MinY, S.Y), MaxY = std::max(MaxY, S.Y);
        }
    const int Side = SizePx * SUPERSAMPLING;
    const double Room = Side * (1 - 2 * MARGIN_FRACTION);
    const double Scale = Room / std::max(MaxX - MinX, MaxY - MinY);
    const double OffsetX = (Side - (MaxX - MinX) * Scale) / 2 - MinX * Scale;
    const double OffsetY = (Side - (MaxY - MinY) * Scale) / 2 - MinY * Scale;
    const auto ToSamples = [&](TVecD P) {
        const TScreen S = Project(P);
        return TScreen{S.X * Scale + OffsetX, S.Y * Scale + OffsetY, S.Depth};
    };

    const size_t Samples = size_t(Side) * size_t(Side);
    std::vector<double> Depth(Samples, -1e30);
    std::vector<TColor> Colour(Samples, TColor{0, 0, 0, 0});
    std::vector<bool> Shadowed(Samples, false);
    for (const TFace& F : Mesh.Faces) {
        const std::array<TScreen, 3> S = {ToSamples(Ground[size_t(F.V[0])]),
                                          ToSamples(Ground[size_t(F.V[1])]),
                                          ToSamples(Ground[size_t(F.V[2])])};
        Rasterise(S[0], S[1], S[2], Side, [&](int X, int Y, double, double, double) {
            Shadowed[size_t(Y) * size_t(Side) + size_t(X)] = true;
        });
    }
    for (size_t I = 0; I < Mesh.Faces.size(); ++I) {
        const TFace& F = Mesh.Faces[I];
        const TFace& T = Mesh.FaceTexCoords[I];
        const TVecD A = World[size_t(F.V[0])], B = World[size_t(F.V[1])], C = World[size_t(F.V[2])];
        const TVecD Normal = Normalized(Cross(B - A, C - A)); // counter-clockwise from outside
        if (Dot(Normal, TO_EYE) <= 0) continue;               // its back is to the eye
        const double Light = AMBIENT + DIFFUSE * std::max(0.0, Dot(Normal, LIGHT_DIRECTION));
        const TTexCoord TA = Mesh.TexCoords[size_t(T.V[0])], TB = Mesh.TexCoords[size_t(T.V[1])],
                        TC = Mesh.TexCoords[size_t(T.V[2])];
        Rasterise(ToSamples(A), ToSamples(B), ToSamples(C), Side,
                  [&](int X, int Y, double WA, double WB, double WC) {
                      const size_t At = size_t(Y) * size_t(Side) + size_t(X);
                      const double Z = WA * ToSamples(A).Depth + WB * ToSamples(B).Depth +
                                       WC * ToSamples(C).Depth;
                      if (Z <= Depth[At]) return;
                      Depth[At] = Z;
                      const TColor P = Sample(Picture, WA * TA.u + WB * TB.u + WC * TC.u,
                                              WA * TA.v + WB * TB.v + WC * TC.v);
                      Colour[At] = {std::min(1.0, P.r * Light), std::min(1.0, P.g * Light),
                                    std::min(1.0, P.b * Light), 1};
                  });
    }

    // Each pixel the mean of its samples, colours weighted by their alpha.
    TImage Icon(SizePx, SizePx, TColor{0, 0, 0, 0});
    for (int Y = 0; Y < SizePx; ++Y)
        for (int X = 0; X < SizePx; ++X) {
            double R = 0, G = 0, Bl = 0, Alpha = 0;
            for (int SY = 0; SY < SUPERSAMPLING; ++SY)
                for (int SX = 0; SX < SUPERSAMPLING; ++SX) {
                    const size_t At = size_t(Y * SUPERSAMPLING + SY) * size_t(Side) +
                                      size_t(X * SUPERSAMPLING + SX);
                    TColor C = Colour[At];
                    if (C.a == 0 && Shadowed[At]) C = {0, 0, 0, SHADOW_ALPHA};
                    R += C.r * C.a, G += C.g * C.a, Bl += C.b * C.a, Alpha += C.a;
                }
            if (Alpha > 0)
                Icon.Set(
                    X, Y,
                    {R / Alpha, G / Alpha, Bl / Alpha, Alpha / (SUPERSAMPLING * SUPERSAMPLING)});
        }
    return Icon;
}

void WriteIcons(const TContent& Content, const std::string& Folder) {
    const std::string ModelPath = DataRelativePath(CAR_ASSETS[0].Model);
    const std::string PicturePath = DataRelativePath(CAR_ASSETS[0].Texture);
    const TModel* Model = Content.FindModel(ModelPath);
    const auto Picture = std::find_if(Content.Pictures.begin(), Content.Pictures.end(),
                                      [&](const TPictureFile& P) { return P.Path == PicturePath; });
    if (!Model || Picture == Content.Pictures.end())
        throw std::runtime_error("the icon's car (" + ModelPath + ", " + PicturePath +
                                 ") is not among the content");
    for (const int Size : ICON_SIZES_PX) {
        const std::string Name = std::to_string(Size) + "x" + std::to_string(Size);
        WriteBytes(Folder + "/" + Name + "/apps/marvolin.png",
                   EncodePng(RenderIcon(*Model, Picture->Image, Size)));
    }
}
