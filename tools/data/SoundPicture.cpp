#include "SoundPicture.h"

#include "Content.h"
#include "Maths.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace {

constexpr int WINDOW = 2048;        // samples per spectrum (a power of two)
constexpr double RANGE_DB = 80;     // from the loudest possible bin down to black
constexpr double WAVE_SHARE = 0.25; // of the picture's height

using TComplex = std::complex<double>;

// The discrete Fourier transform in place (radix 2; the size is a power of two).
void Fft(std::vector<TComplex>& A) {
    const size_t N = A.size();
    for (size_t I = 1, J = 0; I < N; ++I) {
        size_t Bit = N >> 1;
        for (; J & Bit; Bit >>= 1)
            J ^= Bit;
        J ^= Bit;
        if (I < J) std::swap(A[I], A[J]);
    }
    for (size_t Len = 2; Len <= N; Len <<= 1) {
        const TComplex Step = std::polar(1.0, -2 * PI / double(Len));
        for (size_t I = 0; I < N; I += Len) {
            TComplex W = 1;
            for (size_t K = 0; K < Len / 2; ++K) {
                const TComplex U = A[I + K], V = A[I + K + Len / 2] * W;
                A[I + K] = U + V;
                A[I + K + Len / 2] = U - V;
                W *= Step;
            }
        }
    }
}

// Dark blue through red and orange to pale yellow.
TColor Heat(double T) {
    const TColor Stops[] = {Hex("#05060f"), Hex("#2a1b5e"), Hex("#9c2a5a"), Hex("#f06a2b"),
                            Hex("#fde9a0")};
    const double At = std::clamp(T, 0.0, 1.0) * 4;
    const int I = std::min(3, int(At));
    return Mix(Stops[I], Stops[I + 1], At - I);
}

} // namespace

TImage SoundPicture(const std::vector<float>& Samples, int Width, int Height) {
    TImage Img(Width, Height, Hex("#0b0d12"));
    if (Samples.empty() || Width <= 0 || Height <= 0) return Img;
    const int WaveH = std::max(2, int(Height * WAVE_SHARE));
    const double Middle = WaveH / 2.0;
    const double PerColumn = double(Samples.size()) / Width;

    for (int X = 0; X < Width; ++X) {
        const size_t From = size_t(X * PerColumn);
        const size_t To = std::max(From + 1, std::min(Samples.size(), size_t((X + 1) * PerColumn)));
        double Low = 0, High = 0;
        for (size_t I = From; I < To; ++I) {
            Low = std::min(Low, double(Samples[I]));
            High = std::max(High, double(Samples[I]));
        }
        const int Top = int(std::floor(Middle - High * Middle)),
                  Bottom = int(std::ceil(Middle - Low * Middle));
        for (int Y = std::max(0, Top); Y <= std::min(WaveH - 1, Bottom); ++Y)
            Img.Set(X, Y, Hex("#7fd8a0"));
        Img.Set(X, int(Middle), Hex("#3a5a48"));
    }

    const int SpecTop = WaveH + 1, SpecH = Height - SpecTop;
    const double HzPerBin = SOUND_SAMPLE_RATE / double(WINDOW);
    // A full-scale sine through the window gives this magnitude in its bin.
    const double FullScale = WINDOW / 4.0;
    std::vector<TComplex> Bins(WINDOW);
    for (int X = 0; X < Width; ++X) {
        const double Centre = (X + 0.5) * PerColumn;
        for (int I = 0; I < WINDOW; ++I) {
            const long S = long(Centre) - WINDOW / 2 + I;
            const double V = S >= 0 && size_t(S) < Samples.size() ? double(Samples[size_t(S)]) : 0;
            const double Hann = 0.5 - 0.5 * std::cos(2 * PI * I / WINDOW);
            Bins[size_t(I)] = V * Hann;
        }
        Fft(Bins);
        for (int Row = 0; Row < SpecH; ++Row) {
            const double Hz = SPECTROGRAM_TOP_HZ * (SpecH - 1 - Row) / std::max(1, SpecH - 1);
            const size_t Bin = std::min(size_t(WINDOW / 2), size_t(std::lround(Hz / HzPerBin)));
            const double Db = 20 * std::log10(std::abs(Bins[Bin]) / FullScale + 1e-12);
            Img.Set(X, SpecTop + Row, Heat(1 + Db / RANGE_DB));
        }
    }
    return Img;
}
