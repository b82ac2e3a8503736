#include "Image.h"

#include "engine/sdl/FontRaster.h"

#include <algorithm>
#include <cmath>

namespace {

double Clamp01(double V) {
    return V < 0 ? 0 : V > 1 ? 1 : V;
}

int HexDigit(char C) {
    if (C >= '0' && C <= '9') return C - '0';
    if (C >= 'a' && C <= 'f') return C - 'a' + 10;
    if (C >= 'A' && C <= 'F') return C - 'A' + 10;
    return 0;
}

double SegmentDistance(TVec2D P, TVec2D A, TVec2D B) {
    const double DX = B.x - A.x, DY = B.y - A.y;
    const double L2 = DX * DX + DY * DY;
    double T = L2 > 0 ? ((P.x - A.x) * DX + (P.y - A.y) * DY) / L2 : 0;
    T = std::clamp(T, 0.0, 1.0);
    const double EX = P.x - (A.x + DX * T), EY = P.y - (A.y + DY * T);
    return std::sqrt(EX * EX + EY * EY);
}

// The pixel rectangle [X0, X1) x [Y0, Y1) covering the points grown by Grow, within the picture
// and the clip.
void Bounds(const TImage& Img, const std::vector<TVec2D>& Points, double Grow,
            const TPixelClip& Clip, int& X0, int& Y0, int& X1, int& Y1) {
    const TBounds2D B = BoundsOf(Points);
    X0 = std::max({0, Clip.X0, int(std::floor(B.X0 - Grow))});
    Y0 = std::max({0, Clip.Y0, int(std::floor(B.Y0 - Grow))});
    X1 = std::min({Img.Width(), Clip.X1, int(std::ceil(B.X1 + Grow)) + 1});
    Y1 = std::min({Img.Height(), Clip.Y1, int(std::ceil(B.Y1 + Grow)) + 1});
}

} // namespace

TColor Hex(const char* Text, double Alpha) {
    const char* H = Text[0] == '#' ? Text + 1 : Text;
    const auto Byte = [&](int I) {
        return (HexDigit(H[2 * I]) * 16 + HexDigit(H[2 * I + 1])) / 255.0;
    };
    return {Byte(0), Byte(1), Byte(2), Alpha};
}

TColor Mix(TColor A, TColor B, double T) {
    return {A.r + (B.r - A.r) * T, A.g + (B.g - A.g) * T, A.b + (B.b - A.b) * T,
            A.a + (B.a - A.a) * T};
}

TColor Shade(TColor C, double Factor) {
    return {C.r * Factor, C.g * Factor, C.b * Factor, C.a};
}

TColor Gray(double V) {
    return {V, V, V, 1};
}

// ---------------------------------------------------------------- TImage

TImage::TImage(int Width, int Height, TColor Fill)
    : W(Width), H(Height),
      Pixels(size_t(Width) * size_t(Height),
             TPixel{float(Fill.r), float(Fill.g), float(Fill.b), float(Fill.a)}) {}

TImage TImage::Blank(int Width, int Height) {
    TImage I(0, 0);
    I.W = Width;
    I.H = Height;
    return I;
}

TColor TImage::Get(int X, int Y) const {
    if (Blank()) return {};
    const TPixel& P = Pixels[size_t(Y) * size_t(W) + size_t(X)];
    return {P.r, P.g, P.b, P.a};
}

void TImage::Set(int X, int Y, TColor C) {
    if (Blank()) return;
    Pixels[size_t(Y) * size_t(W) + size_t(X)] = {float(C.r), float(C.g), float(C.b), float(C.a)};
}

void TImage::Blend(int X, int Y, TColor C, double Alpha) {
    if (X < 0 || Y < 0 || X >= W || Y >= H || Blank()) return;
    const double A = Clamp01(Alpha * C.a);
    if (A <= 0) return;
    TPixel& P = Pixels[size_t(Y) * size_t(W) + size_t(X)];
    P.r = float(P.r + (C.r - P.r) * A);
    P.g = float(P.g + (C.g - P.g) * A);
    P.b = float(P.b + (C.b - P.b) * A);
    P.a = float(P.a + (1 - P.a) * A);
}

void TImage::Fill(int X0, int Y0, int X1, int Y1,
                  const std::function<TColor(double, double)>& Paint) {
    if (Blank()) return;
    X0 = std::max(X0, 0);
    Y0 = std::max(Y0, 0);
    X1 = std::min(X1, W);
    Y1 = std::min(Y1, H);
    for (int Y = Y0; Y < Y1; ++Y)
        for (int X = X0; X < X1; ++X) {
            const TColor C = Paint(X + 0.5, Y + 0.5);
            if (C.a >= 1)
                Set(X, Y, C);
            else
                Blend(X, Y, {C.r, C.g, C.b, 1}, C.a);
        }
}

std::vector<uint8_t> TImage::Bytes(int Channels) const {
    std::vector<uint8_t> Out;
    Out.reserve(Pixels.size() * size_t(Channels));
    const auto Q = [](double V) { return uint8_t(std::lround(Clamp01(V) * 255.0)); };
    for (const TPixel& P : Pixels) {
        Out.push_back(Q(P.r));
        Out.push_back(Q(P.g));
        Out.push_back(Q(P.b));
        if (Channels == 4) Out.push_back(Q(P.a));
    }
    return Out;
}

// ---------------------------------------------------------------- noise

uint32_t Hash(int X, int Y, uint32_t Seed) {
    uint32_t H = Seed * 0x9E3779B9u ^ uint32_t(X) * 0x85EBCA6Bu ^ uint32_t(Y) * 0xC2B2AE35u;
    H ^= H >> 16;
    H *= 0x7FEB352Du;
    H ^= H >> 15;
    H *= 0x846CA68Bu;
    H ^= H >> 16;
    return H;
}

double Random01(int X, int Y, uint32_t Seed) {
    return Hash(X, Y, Seed) / 4294967296.0;
}

double ValueNoise(double X, double Y, int PeriodX, int PeriodY, uint32_t Seed) {
    const double FX = std::floor(X), FY = std::floor(Y);
    const double TX = X - FX, TY = Y - FY;
    const double SX = Smoothstep(TX), SY = Smoothstep(TY);
    const int PX = std::max(PeriodX, 1), PY = std::max(PeriodY, 1);
    int X0 = int(std::fmod(FX, PX)), Y0 = int(std::fmod(FY, PY));
    if (X0 < 0) X0 += PX;
    if (Y0 < 0) Y0 += PY;
    const int X1 = X0 + 1 == PX ? 0 : X0 + 1, Y1 = Y0 + 1 == PY ? 0 : Y0 + 1;
    const double A = Random01(X0, Y0, Seed), B = Random01(X1, Y0, Seed), C = Random01(X0, Y1, Seed),
                 D = Random01(X1, Y1, Seed);
    return A + (B - A) * SX + (C - A) * SY + (A - B - C + D) * SX * SY;
}

double Fractal(double X, double Y, int PeriodX, int PeriodY, int Octaves, double Gain,
               uint32_t Seed) {
    double Sum = 0, Weight = 1, Total = 0;
    for (int O = 0; O < Octaves; ++O) {
        Sum += ValueNoise(X, Y, PeriodX, PeriodY, Seed + uint32_t(O) * 1013u) * Weight;
        Total += Weight;
        Weight *= Gain;
        X *= 2;
        Y *= 2;
        PeriodX *= 2;
        PeriodY *= 2;
    }
    return Sum / Total;
}

// ---------------------------------------------------------------- pixel painting

void FillPolygonPx(TImage& Img, const std::vector<TVec2D>& Points, TColor C,
                   const TPixelClip& Clip) {
    if (Points.size() < 3 || Img.Blank()) return;
    int X0, Y0, X1, Y1;
    Bounds(Img, Points, 1, Clip, X0, Y0, X1, Y1);
    const size_t N = Points.size();
    for (int Y = Y0; Y < Y1; ++Y)
        for (int X = X0; X < X1; ++X) {
            const TVec2D P{X + 0.5, Y + 0.5};
            bool Inside = false;
            double D = 1e30;
            for (size_t I = 0, J = N - 1; I < N; J = I++) {
                const TVec2D A = Points[I], B = Points[J];
                if ((A.y > P.y) != (B.y > P.y) &&
                    P.x < (B.x - A.x) * (P.y - A.y) / (B.y - A.y) + A.x)
                    Inside = !Inside;
                D = std::min(D, SegmentDistance(P, A, B));
            }
            const double Cover = Inside ? Clamp01(0.5 + D) : Clamp01(0.5 - D);
            if (Cover > 0) Img.Blend(X, Y, C, Cover);
        }
}

void StrokePx(TImage& Img, const std::vector<TVec2D>& Points, double Width, TColor C, bool Closed,
              const TPixelClip& Clip) {
    if (Points.size() < 2 || Img.Blank()) return;
    int X0, Y0, X1, Y1;
    Bounds(Img, Points, Width / 2 + 1, Clip, X0, Y0, X1, Y1);
    const size_t Segments = Closed ? Points.size() : Points.size() - 1;
    for (int Y = Y0; Y < Y1; ++Y)
        for (int X = X0; X < X1; ++X) {
            const TVec2D P{X + 0.5, Y + 0.5};
            double D = 1e30;
            for (size_t I = 0; I < Segments; ++I)
                D = std::min(D, SegmentDistance(P, Points[I], Points[(I + 1) % Points.size()]));
            const double Cover = Clamp01(Width / 2 + 0.5 - D);
            if (Cover > 0) Img.Blend(X, Y, C, Cover);
        }
}

void TextMetrics(const std::string& Family, int SizePx, int& LineHeight, int& Baseline) {
    const TTextImage T = RasterizeText(Family, SizePx, "");
    LineHeight = T.Height;
    Baseline = T.BaselineY;
}

int DrawTextPx(TImage& Img, const std::string& Family, int SizePx, const std::string& Text1251,
               double X, double Y, TColor C, int Align, const TPixelClip& Clip) {
    if (Img.Blank()) return 0;
    const TTextImage T = RasterizeText(Family, SizePx, Text1251);
    double Left = X;
    if (Align == 1) Left = X - T.Width / 2.0;
    if (Align == 2) Left = X - T.Width;
    const int OX = int(std::lround(Left)), OY = int(std::lround(Y));
    for (int R = 0; R < T.Height; ++R)
        for (int K = 0; K < T.Width; ++K) {
            const int PX = OX + K, PY = OY + R;
            if (PX < Clip.X0 || PY < Clip.Y0 || PX >= Clip.X1 || PY >= Clip.Y1) continue;
            const uint8_t A = T.Alpha[size_t(R) * size_t(T.Width) + size_t(K)];
            if (A) Img.Blend(PX, PY, C, A / 255.0);
        }
    return T.Width;
}

// ---------------------------------------------------------------- TCanvas

TCanvas::TCanvas(TImage& Img, int PX0, int PY0, int PX1, int PY1, double UX0, double UY0,
                 double UX1, double UY1, int Bleed)
    : Image(Img), PX0(PX0), PY0(PY0), PX1(PX1), PY1(PY1), UX0(UX0), UY0(UY0), UX1(UX1), UY1(UY1) {
    Clip = {std::max(0, PX0 - Bleed), std::max(0, PY0 - Bleed), std::min(Img.Width(), PX1 + Bleed),
            std::min(Img.Height(), PY1 + Bleed)};
}

TCanvas TCanvas::Cell(TImage& Img, int CX0, int CY0, int CX1, int CY1, double UX0, double UY0,
                      double UX1, double UY1, int Pad) {
    return TCanvas(Img, CX0 + Pad, CY0 + Pad, CX1 - Pad, CY1 - Pad, UX0, UY0, UX1, UY1, Pad);
}

TCanvas TCanvas::Whole(TImage& Img, double UX0, double UY0, double UX1, double UY1) {
    return TCanvas(Img, 0, 0, Img.Width(), Img.Height(), UX0, UY0, UX1, UY1, 0);
}

TVec2D TCanvas::Px(double X, double Y) const {
    return {PX0 + (X - UX0) / (UX1 - UX0) * (PX1 - PX0),
            PY0 + (UY1 - Y) / (UY1 - UY0) * (PY1 - PY0)};
}

double TCanvas::Scale() const {
    return ((PX1 - PX0) / (UX1 - UX0) + (PY1 - PY0) / (UY1 - UY0)) / 2;
}

TRegion TCanvas::Region() const {
    return {double(PX0) / Image.Width(), double(PY0) / Image.Height(), double(PX1) / Image.Width(),
            double(PY1) / Image.Height()};
}

void TCanvas::FillAll(TColor C) {
    Image.Fill(Clip.X0, Clip.Y0, Clip.X1, Clip.Y1, [&](double, double) { return C; });
}

void TCanvas::Paint(const std::function<TColor(double, double)>& Fn) {
    const double SX = (UX1 - UX0) / (PX1 - PX0), SY = (UY1 - UY0) / (PY1 - PY0);
    Image.Fill(Clip.X0, Clip.Y0, Clip.X1, Clip.Y1,
               [&](double X, double Y) { return Fn(UX0 + (X - PX0) * SX, UY1 - (Y - PY0) * SY); });
}

void TCanvas::Polygon(const std::vector<TVec2D>& Points, TColor C) {
    std::vector<TVec2D> P;
    for (const TVec2D& Q : Points)
        P.push_back(Px(Q.x, Q.y));
    FillPolygonPx(Image, P, C, Clip);
}

void TCanvas::Rect(double X0, double Y0, double X1, double Y1, TColor C) {
    Polygon({{X0, Y0}, {X1, Y0}, {X1, Y1}, {X0, Y1}}, C);
}

void TCanvas::RoundRect(double X0, double Y0, double X1, double Y1, double Radius, TColor C) {
    const double R = std::min({Radius, (X1 - X0) / 2, (Y1 - Y0) / 2});
    Polygon(RoundedRectOutline(X0, Y0, X1, Y1, R, 8), C);
}

void TCanvas::Ellipse(double CX, double CY, double RX, double RY, TColor C) {
    if (Image.Blank()) return;
    const TVec2D Centre = Px(CX, CY);
    const double SX = (PX1 - PX0) / (UX1 - UX0), SY = (PY1 - PY0) / (UY1 - UY0);
    const double AX = RX * SX, AY = RY * SY; // radii in pixels
    const int X0 = std::max(Clip.X0, int(std::floor(Centre.x - AX - 1)));
    const int X1 = std::min(Clip.X1, int(std::ceil(Centre.x + AX + 1)) + 1);
    const int Y0 = std::max(Clip.Y0, int(std::floor(Centre.y - AY - 1)));
    const int Y1 = std::min(Clip.Y1, int(std::ceil(Centre.y + AY + 1)) + 1);
    for (int Y = Y0; Y < Y1; ++Y)
        for (int X = X0; X < X1; ++X) {
            const double DX = X + 0.5 - Centre.x, DY = Y + 0.5 - Centre.y;
            const double K = std::sqrt(DX * DX / (AX * AX) + DY * DY / (AY * AY));
            const double GX = DX / (AX * AX), GY = DY / (AY * AY);
            const double Grad = K > 1e-9 ? std::hypot(GX, GY) / K : 1 / std::min(AX, AY);
            const double D = (1 - K) / Grad; // signed distance in pixels, positive inside
            const double Cover = Clamp01(0.5 + D);
            if (Cover > 0) Image.Blend(X, Y, C, Cover);
        }
}

void TCanvas::Ring(double CX, double CY, double R, double Width, TColor C) {
    std::vector<TVec2D> P;
    for (int I = 0; I < 96; ++I) {
        const double A = 2 * PI * I / 96;
        P.push_back(Px(CX + R * std::cos(A), CY + R * std::sin(A)));
    }
    StrokePx(Image, P, Width * Scale(), C, true, Clip);
}

void TCanvas::Line(double X0, double Y0, double X1, double Y1, double Width, TColor C) {
    StrokePx(Image, {Px(X0, Y0), Px(X1, Y1)}, Width * Scale(), C, false, Clip);
}

void TCanvas::Polyline(const std::vector<TVec2D>& Points, double Width, TColor C, bool Closed) {
    std::vector<TVec2D> P;
    for (const TVec2D& Q : Points)
        P.push_back(Px(Q.x, Q.y));
    StrokePx(Image, P, Width * Scale(), C, Closed, Clip);
}

void TCanvas::Text(const std::string& Family, double SizeUnits, const std::string& Text1251,
                   double CX, double CY, TColor C) {
    if (Image.Blank()) return;
    const int SizePx = std::max(4, int(std::lround(SizeUnits * (PY1 - PY0) / (UY1 - UY0))));
    int LineHeight = 0, Baseline = 0;
    TextMetrics(Family, SizePx, LineHeight, Baseline);
    const TVec2D P = Px(CX, CY);
    DrawTextPx(Image, Family, SizePx, Text1251, P.x, P.y - LineHeight / 2.0, C, 1, Clip);
}
