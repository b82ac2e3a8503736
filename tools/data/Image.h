#pragma once
// Pictures for the content generator: an RGBA image in floating point, deterministic noise, and
// anti-aliased painting (polygons, circles, lines, text) in pixel space or through a canvas that
// maps a model's own units onto a rectangle of the picture.

#include "Geometry.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TColor {
    double r = 0, g = 0, b = 0, a = 1;
};
// "#rrggbb" to a colour.
TColor Hex(const char* Text, double Alpha = 1);
TColor Mix(TColor A, TColor B, double T);
TColor Shade(TColor C, double Factor); // rgb scaled, alpha kept
TColor Gray(double V);

class TImage {
public:
    TImage(int Width, int Height, TColor Fill = {0, 0, 0, 1});
    // A picture that keeps its size but holds no pixels and ignores all painting: for building
    // models only for their shape, with the same texture layout.
    static TImage Blank(int Width, int Height);
    bool Blank() const { return Pixels.empty(); }
    int Width() const { return W; }
    int Height() const { return H; }
    TColor Get(int X, int Y) const;
    void Set(int X, int Y, TColor C);
    // Lays C over the pixel with coverage Alpha (times C's own alpha).
    void Blend(int X, int Y, TColor C, double Alpha);
    // Every pixel of the rectangle from Paint(x, y) (pixel centres at +0.5).
    void Fill(int X0, int Y0, int X1, int Y1, const std::function<TColor(double, double)>& Paint);
    // 8-bit samples, Channels 3 (RGB) or 4 (RGBA), rows from the top.
    std::vector<uint8_t> Bytes(int Channels) const;

private:
    struct TPixel {
        float r, g, b, a;
    };
    int W, H;
    std::vector<TPixel> Pixels;
};

// ---- Deterministic noise (the same numbers on every machine and every run) ----
uint32_t Hash(int X, int Y, uint32_t Seed);
double Random01(int X, int Y, uint32_t Seed); // in [0, 1)
// Smooth value noise in [0, 1] over a lattice of cells of size 1, periodic with PeriodX cells
// along x and PeriodY along y (so a picture that spans whole periods tiles).
double ValueNoise(double X, double Y, int PeriodX, int PeriodY, uint32_t Seed);
// Sum of Octaves noise layers, each twice as fine and Gain times as strong; in [0, 1].
double Fractal(double X, double Y, int PeriodX, int PeriodY, int Octaves, double Gain,
               uint32_t Seed);
// The same period both ways.
inline double Fractal(double X, double Y, int Period, int Octaves, double Gain, uint32_t Seed) {
    return Fractal(X, Y, Period, Period, Octaves, Gain, Seed);
}

// ---- Painting in pixel coordinates (anti-aliased over about one pixel) ----
struct TPixelClip {
    int X0 = 0, Y0 = 0, X1 = 1 << 30, Y1 = 1 << 30;
};
void FillPolygonPx(TImage& Img, const std::vector<TVec2D>& Points, TColor C,
                   const TPixelClip& Clip = {});
void StrokePx(TImage& Img, const std::vector<TVec2D>& Points, double Width, TColor C,
              bool Closed = false, const TPixelClip& Clip = {});
// Text (Windows-1251) in a font family at SizePx, with the top-left of its line box at (X, Y);
// Align 0 left, 1 centred on X, 2 right of X. Returns the drawn width in pixels.
int DrawTextPx(TImage& Img, const std::string& Family, int SizePx, const std::string& Text1251,
               double X, double Y, TColor C, int Align = 0, const TPixelClip& Clip = {});
// Height of a line of text in pixels and its baseline row.
void TextMetrics(const std::string& Family, int SizePx, int& LineHeight, int& Baseline);

// ---- A canvas: a rectangle of the picture showing [UX0, UX1] x [UY0, UY1] of some plane, with
// +y up (the picture's rows run the other way). Painting is clipped to the rectangle grown by
// Bleed pixels, so that texture filtering at a region's border finds the same colours.
class TCanvas {
public:
    TCanvas(TImage& Img, int PX0, int PY0, int PX1, int PY1, double UX0, double UY0, double UX1,
            double UY1, int Bleed = 3);
    // The cell [CX0, CX1) x [CY0, CY1) of an atlas: the region is the cell less Pad pixels on
    // every side, and painting stays inside the cell (the pad repeats the region's border colours
    // for texture filtering without reaching a neighbouring cell).
    static TCanvas Cell(TImage& Img, int CX0, int CY0, int CX1, int CY1, double UX0, double UY0,
                        double UX1, double UY1, int Pad = 3);
    // The whole picture as one canvas over [0, 1] x [0, 1].
    static TCanvas Whole(TImage& Img, double UX0 = 0, double UY0 = 0, double UX1 = 1,
                         double UY1 = 1);

    TVec2D Px(double X, double Y) const;
    double Scale() const; // pixels per unit (the mean of both axes)
    // The texture region of this canvas (without the bleed).
    TRegion Region() const;
    TPlanarMap Map() const { return {Region(), UX0, UY0, UX1, UY1}; }

    void FillAll(TColor C);
    // Per-pixel painting over the whole canvas: Paint(x, y) in canvas units.
    void Paint(const std::function<TColor(double, double)>& Paint);
    void Polygon(const std::vector<TVec2D>& Points, TColor C);
    void Rect(double X0, double Y0, double X1, double Y1, TColor C);
    void RoundRect(double X0, double Y0, double X1, double Y1, double Radius, TColor C);
    void Ellipse(double CX, double CY, double RX, double RY, TColor C);
    void Circle(double CX, double CY, double R, TColor C) { Ellipse(CX, CY, R, R, C); }
    void Ring(double CX, double CY, double R, double Width, TColor C);
    void Line(double X0, double Y0, double X1, double Y1, double Width, TColor C);
    void Polyline(const std::vector<TVec2D>& Points, double Width, TColor C, bool Closed = false);
    // Text with its line box centred on (CX, CY), SizeUnits tall (the font's em in canvas units).
    void Text(const std::string& Family, double SizeUnits, const std::string& Text1251, double CX,
              double CY, TColor C);

    TImage& Image;
    int PX0, PY0, PX1, PY1;
    double UX0, UY0, UX1, UY1;
    TPixelClip Clip;
};
