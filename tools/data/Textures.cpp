// The large tiling surfaces (road, desk, console panel) and the particle shader.
//
// Road and desk are laid in world space by the game: the road texture repeats every 256 units in
// both directions and has no direction of its own; the desk repeats every 500 units. Both tile
// seamlessly: every pattern is built from noise that is periodic over the picture.

#include "Content.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int ROAD_TEXTURE_SIZE = 512;
constexpr int TABLE_TEXTURE_SIZE = 512;
constexpr int CONSOLE_TEXTURE_SIZE = 256;

double Clamp01(double V) {
    return std::clamp(V, 0.0, 1.0);
}

// Asphalt of a toy race track: fine grey grain, scattered light and dark stones, faint wear.
TImage PaintRoad() {
    const int N = ROAD_TEXTURE_SIZE;
    TImage Img(N, N);
    constexpr int BASE_CELLS = 8; // coarse noise cells across the picture
    Img.Fill(0, 0, N, N, [&](double X, double Y) {
        const double U = X / N * BASE_CELLS, V = Y / N * BASE_CELLS;
        const double Wear = Fractal(U, V, BASE_CELLS, 4, 0.55, 101);
        const double Fine = Fractal(U * 8, V * 8, BASE_CELLS * 8, 2, 0.5, 103);
        const int PX = int(X) % N, PY = int(Y) % N;
        const double Grain = Random01(PX, PY, 105) - 0.5;
        double L = 0.33 + (Wear - 0.5) * 0.10 + (Fine - 0.5) * 0.10 + Grain * 0.07;
        // Stones: a few pixels-wide flecks, lighter or darker than the binder.
        const int CX = PX / 3, CY = PY / 3;
        const double Stone = Random01(CX, CY, 107);
        if (Stone > 0.965)
            L += 0.16 * (Random01(CX, CY, 109) + 0.3);
        else if (Stone < 0.03)
            L -= 0.10;
        const double Warm = 0.012 * (Wear - 0.5);
        return TColor{Clamp01(L + Warm), Clamp01(L), Clamp01(L + 0.012 - Warm), 1};
    });
    return Img;
}

// Varnished oak veneer: fine, nearly straight grain lines along x with slow sweeps, darker late-
// wood lines, long fibre streaks and pores, and a slow change of tone. A whole number of grain
// lines fits across the picture and every noise repeats over it, so it tiles.
TImage PaintTable() {
    const int N = TABLE_TEXTURE_SIZE;
    TImage Img(N, N);
    constexpr int GRAIN_LINES = 28;
    constexpr int SWEEP_CELLS = 2, WOBBLE_CELLS = 8;
    const TColor Light = Hex("#c59c68"), Mid = Hex("#a97a4c"), Dark = Hex("#74492a");
    Img.Fill(0, 0, N, N, [&](double X, double Y) {
        const double U = X / N, V = Y / N;
        const double Sweep =
            (Fractal(U * SWEEP_CELLS, V * SWEEP_CELLS, SWEEP_CELLS, 3, 0.5, 201) - 0.5) * 5.0;
        const double Wobble = (Fractal(U * WOBBLE_CELLS, V * WOBBLE_CELLS * 2, WOBBLE_CELLS,
                                       WOBBLE_CELLS * 2, 2, 0.5, 203) -
                               0.5) *
                              0.6;
        const double Phase = V * GRAIN_LINES + Sweep + Wobble;
        const double Ring = Phase - std::floor(Phase);
        // Some late-wood lines strong, some faint, a few doubled.
        const double Strength = Fractal(U * 4, Phase / GRAIN_LINES * 8, 4, 8, 2, 0.5, 211);
        const double LateWood =
            std::exp(-std::pow((Ring - 0.5) / 0.05, 2)) * (0.2 + 0.8 * Strength) +
            std::exp(-std::pow((Ring - 0.62) / 0.03, 2)) * 0.35 * Strength;
        const double Band = 0.5 + 0.5 * std::sin(2 * PI * Phase);
        const double Fibre = Fractal(U * 128, V * 16, 128, 16, 2, 0.5, 205) - 0.5;
        const double Tone = Fractal(U * 2, V * 2, 2, 2, 0.5, 207) - 0.5;
        TColor C = Mix(Light, Mid, Clamp01(0.3 + 0.3 * Band + Tone * 0.9));
        C = Mix(C, Dark, Clamp01(LateWood * 0.5 + Fibre * 0.2));
        const double Pore = Random01(int(X) % N, int(Y) % N, 209) > 0.985 ? 0.84 : 1.0;
        return Shade(C, (1.0 + Fibre * 0.10) * Pore);
    });
    return Img;
}

// Blue-grey instrument panel: brushed horizontal grain, a grid of panel seams with rivets. The
// console lays the picture over itself twice (multiplied), so it is painted light.
TImage PaintConsole() {
    const int N = CONSOLE_TEXTURE_SIZE;
    TImage Img(N, N);
    constexpr int PANELS = 2;
    const TColor Base = Hex("#8ea3c2");
    Img.Fill(0, 0, N, N, [&](double X, double Y) {
        const double U = X / N, V = Y / N;
        const double Brush = Fractal(U * 64, V * 2, 64, 2, 3, 0.6, 301);
        const double Cloud = Fractal(U * 4, V * 4, 4, 3, 0.5, 303);
        double L = 0.86 + (Brush - 0.5) * 0.14 + (Cloud - 0.5) * 0.16;
        const double PU = std::fmod(U * PANELS, 1.0), PV = std::fmod(V * PANELS, 1.0);
        const double SeamDist = std::min({PU, 1 - PU, PV, 1 - PV}) * N / PANELS;
        if (SeamDist < 1.0)
            L *= 0.78;
        else if (SeamDist < 2.2)
            L *= 1.05;
        // Rivets in the corners of each panel.
        const double RU = std::min(PU, 1 - PU) * N / PANELS, RV = std::min(PV, 1 - PV) * N / PANELS;
        const double Rivet = std::hypot(RU - 8, RV - 8);
        if (Rivet < 3.2) L *= 0.8 + 0.35 * (1 - Rivet / 3.2);
        return Shade(Base, L * 1.08);
    });
    return Img;
}

// The particle billboard program: each particle is a quad whose four corners share the particle's
// centre (gl_Vertex) and carry their offset from it in eye space (texture unit 1's coordinate,
// x and y in world units), so the quad always faces the camera.
const char* const BILLBOARD_SHADER = R"(// Billboard particles: quads that always face the camera.
[vertex]
#version 120
varying vec2 PictureCoord;
varying vec4 Tint;
void main()
{
    vec4 Centre = gl_ModelViewMatrix * gl_Vertex;
    Centre.xy += gl_MultiTexCoord1.xy;
    gl_Position = gl_ProjectionMatrix * Centre;
    PictureCoord = gl_MultiTexCoord0.xy;
    Tint = gl_Color;
}
[fragment]
#version 120
uniform sampler2D Picture;
varying vec2 PictureCoord;
varying vec4 Tint;
void main()
{
    gl_FragColor = texture2D(Picture, PictureCoord) * Tint;
}
)";

} // namespace

void BuildSurfaces(TContent& Content) {
    Content.Pictures.push_back({"textures/road.jpg", PaintRoad(), TPictureFormat::Jpeg});
    Content.Pictures.push_back({"textures/table.jpg", PaintTable(), TPictureFormat::Jpeg});
    Content.Pictures.push_back({"textures/console.jpg", PaintConsole(), TPictureFormat::Jpeg});
    Content.Texts.push_back({"shaders/billboard.txt", BILLBOARD_SHADER});
}
