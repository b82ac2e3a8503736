// The game's sounds, made of oscillators, deterministic noise, filters and envelopes: the same
// samples on every run.
//
// Every sound starts and ends at rest (short fades), so that none clicks when it starts or stops.
// The two loops hold whole periods of everything in them (tones, wobbles, and noise filtered
// around the loop), so that the end joins the beginning without a seam.

#include "Content.h"
#include "Maths.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace {

using TSamples = std::vector<double>;
using TSoundBuilder = TSamples (*)();

constexpr double RATE = SOUND_SAMPLE_RATE;
constexpr double TAU = 2 * PI;

size_t FramesOf(double Seconds) {
    return size_t(std::lround(Seconds * RATE));
}

// White noise in [-1, 1).
double Noise(size_t Frame, uint32_t Seed) {
    return 2 * Random01(int(Frame), 0, Seed) - 1;
}

// From 0 at T = 0 to 1 at T = Seconds along a half cosine (no corner that would click); 1 after.
double Rise(double T, double Seconds) {
    return T < Seconds ? 0.5 - 0.5 * std::cos(PI * std::max(0.0, T) / Seconds) : 1.0;
}

// Rises over Attack seconds and falls back to 0 over the last Release seconds of Length.
double Fade(double T, double Length, double Attack, double Release) {
    return Rise(T, Attack) * Rise(Length - T, Release);
}

// Takes away the mean, which a speaker cannot play (and which would thump as a voice starts).
void Centre(TSamples& S) {
    double Sum = 0;
    for (double V : S)
        Sum += V;
    for (double& V : S)
        V -= Sum / double(S.size());
}

// Scales the samples so that the loudest one is Peak.
void Normalise(TSamples& S, double Peak) {
    double Max = 0;
    for (double V : S)
        Max = std::max(Max, std::fabs(V));
    if (Max > 0)
        for (double& V : S)
            V *= Peak / Max;
}

// A second-order filter (the usual biquad forms, normalised so that A0 is 1).
struct TBiquad {
    double B0 = 1, B1 = 0, B2 = 0, A1 = 0, A2 = 0;
    double X1 = 0, X2 = 0, Y1 = 0, Y2 = 0;

    static TBiquad LowPass(double Hz, double Q) {
        const double W = TAU * Hz / RATE, Alpha = std::sin(W) / (2 * Q), C = std::cos(W);
        return Normalised((1 - C) / 2, 1 - C, (1 - C) / 2, 1 + Alpha, -2 * C, 1 - Alpha);
    }
    // A peak gain of 1 at Hz.
    static TBiquad BandPass(double Hz, double Q) {
        const double W = TAU * Hz / RATE, Alpha = std::sin(W) / (2 * Q), C = std::cos(W);
        return Normalised(Alpha, 0, -Alpha, 1 + Alpha, -2 * C, 1 - Alpha);
    }
    static TBiquad Normalised(double B0, double B1, double B2, double A0, double A1, double A2) {
        TBiquad F;
        F.B0 = B0 / A0;
        F.B1 = B1 / A0;
        F.B2 = B2 / A0;
        F.A1 = A1 / A0;
        F.A2 = A2 / A0;
        return F;
    }
    // Takes another filter's coefficients and keeps this one's memory (a filter that moves).
    void Retune(const TBiquad& F) {
        B0 = F.B0;
        B1 = F.B1;
        B2 = F.B2;
        A1 = F.A1;
        A2 = F.A2;
    }
    double operator()(double X) {
        const double Y = B0 * X + B1 * X1 + B2 * X2 - A1 * Y1 - A2 * Y2;
        X2 = X1;
        X1 = X;
        Y2 = Y1;
        Y1 = Y;
        return Y;
    }
};

// Noise of Frames samples filtered as if it went round and round: the filter runs over it twice
// and the second pass is kept, so that its end leads into its beginning.
TSamples LoopedNoise(size_t Frames, TBiquad Filter, uint32_t Seed) {
    TSamples Out(Frames);
    for (int Pass = 0; Pass < 2; ++Pass)
        for (size_t I = 0; I < Frames; ++I)
            Out[I] = Filter(Noise(I, Seed));
    return Out;
}

// ---- the loops --------------------------------------------------------------------------------

// A toy car's little motor: a buzzing row of harmonics of the firing rate, clipped soft, swelling
// on every second firing, with a rattle of noise on each firing stroke. At pitch 1 it fires
// ENGINE_HZ times a second; the game raises the pitch with the car's speed.
constexpr double ENGINE_HZ = 100;
constexpr double ENGINE_LOOP_S = 0.5; // 50 firings, 25 swells
constexpr int ENGINE_HARMONICS = 48;

TSamples EngineLoop() {
    const size_t N = FramesOf(ENGINE_LOOP_S);
    TSamples Tone(N, 0.0);
    for (int K = 1; K <= ENGINE_HARMONICS; ++K) {
        // Odd harmonics a little stronger (the buzz of a pulse), phases scattered.
        const double Level = (K % 2 ? 1.0 : 0.7) / std::pow(K, 0.9);
        const double Phase = TAU * Random01(K, 1, 301);
        for (size_t I = 0; I < N; ++I)
            Tone[I] += Level * std::sin(TAU * K * ENGINE_HZ * (double(I) / RATE) + Phase);
    }
    Normalise(Tone, 1);
    const TSamples Rattle = LoopedNoise(N, TBiquad::LowPass(3000, 0.7), 303);
    TSamples Out(N);
    for (size_t I = 0; I < N; ++I) {
        const double T = double(I) / RATE;
        const double Swell = 0.8 + 0.2 * std::cos(TAU * ENGINE_HZ / 2 * T);
        const double Stroke = std::pow(0.5 + 0.5 * std::cos(TAU * ENGINE_HZ * T), 6);
        Out[I] = std::tanh(1.8 * Tone[I]) * Swell + 0.6 * Rattle[I] * Stroke;
    }
    Centre(Out);
    Normalise(Out, 0.5);
    return Out;
}

// Rubber sliding on the desk: a wavering whistle near 1.2 kHz with its fifth and octave, over a
// hiss around 2.5 kHz.
constexpr double TYRES_HZ = 1150;
constexpr double TYRES_LOOP_S =
    1; // whole periods of the whistle (1150), its waver (5) and tremble (7)
constexpr double TYRES_WAVER_HZ = 5, TYRES_WAVER_DEPTH_HZ = 40, TYRES_TREMBLE_HZ = 7;

TSamples TyresLoop() {
    const size_t N = FramesOf(TYRES_LOOP_S);
    const TSamples Hiss = LoopedNoise(N, TBiquad::BandPass(2500, 3), 311);
    TSamples Out(N);
    for (size_t I = 0; I < N; ++I) {
        const double T = double(I) / RATE;
        const double Phase = TAU * TYRES_HZ * T + TYRES_WAVER_DEPTH_HZ / TYRES_WAVER_HZ *
                                                      std::sin(TAU * TYRES_WAVER_HZ * T);
        const double Whistle =
            std::sin(Phase) + 0.45 * std::sin(1.5 * Phase) + 0.2 * std::sin(2 * Phase);
        const double Tremble = 0.8 + 0.2 * std::sin(TAU * TYRES_TREMBLE_HZ * T);
        Out[I] = Whistle * Tremble + 1.5 * Hiss[I];
    }
    Normalise(Out, 0.5);
    return Out;
}

// ---- the short sounds -------------------------------------------------------------------------

// A low thud: a tone falling from 120 to 45 Hz, a burst of dull noise and a brief crack.
TSamples Bump() {
    constexpr double LENGTH_S = 0.35, FALL_S = 0.04, LOW_HZ = 45, DROP_HZ = 75;
    const size_t N = FramesOf(LENGTH_S);
    TBiquad Dull = TBiquad::LowPass(700, 0.7), Crack = TBiquad::BandPass(3000, 1);
    TSamples Out(N);
    for (size_t I = 0; I < N; ++I) {
        const double T = double(I) / RATE;
        const double Cycles = LOW_HZ * T + DROP_HZ * FALL_S * (1 - std::exp(-T / FALL_S));
        const double Body = std::sin(TAU * Cycles) * std::exp(-T / 0.08);
        const double Thud = Dull(Noise(I, 321)) * std::exp(-T / 0.03);
        const double Snap = Crack(Noise(I, 323)) * std::exp(-T / 0.006);
        Out[I] = (Body + 0.6 * Thud + 0.25 * Snap) * Fade(T, LENGTH_S, 0.002, 0.05);
    }
    Normalise(Out, 0.9);
    return Out;
}

// A clean tone with its octave, held for Length with soft edges, at Peak.
TSamples Tone(double Hz, double LengthS, double ReleaseS, double Peak) {
    const size_t N = FramesOf(LengthS);
    TSamples Out(N);
    for (size_t I = 0; I < N; ++I) {
        const double T = double(I) / RATE;
        const double Ring = 0.6 + 0.4 * std::exp(-T / 0.25);
        Out[I] = (std::sin(TAU * Hz * T) + 0.2 * std::sin(TAU * 2 * Hz * T)) * Ring *
                 Fade(T, LengthS, 0.005, ReleaseS);
    }
    Normalise(Out, Peak);
    return Out;
}

constexpr double BEEP_HZ = 880;   // A5, each step of the countdown
constexpr double START_HZ = 1760; // an octave higher: go
TSamples Beep() {
    return Tone(BEEP_HZ, 0.16, 0.03, 0.6);
}
TSamples StartTone() {
    return Tone(START_HZ, 0.55, 0.12, 0.6);
}

// A small bell struck at Start seconds: partials with their own decays.
void AddBell(TSamples& Out, double Hz, double Start) {
    constexpr double RATIOS[] = {1, 2, 3, 4.2}, LEVELS[] = {1, 0.5, 0.25, 0.12},
                     DECAYS_S[] = {0.35, 0.2, 0.12, 0.08};
    for (size_t I = FramesOf(Start); I < Out.size(); ++I) {
        const double T = double(I) / RATE - Start;
        const double Strike = Rise(T, 0.003);
        for (int P = 0; P < 4; ++P)
            Out[I] += LEVELS[P] * std::sin(TAU * RATIOS[P] * Hz * T) * std::exp(-T / DECAYS_S[P]) *
                      Strike;
    }
}

// Two bell notes a sixth apart, rising: a new lap.
TSamples LapChime() {
    constexpr double LENGTH_S = 0.9;
    TSamples Out(FramesOf(LENGTH_S), 0.0);
    AddBell(Out, 1318.51, 0);    // E6
    AddBell(Out, 1975.53, 0.11); // B6
    for (size_t I = 0; I < Out.size(); ++I)
        Out[I] *= Rise(LENGTH_S - double(I) / RATE, 0.05);
    Normalise(Out, 0.55);
    return Out;
}

// A toy's square-ish note (odd harmonics) from Start for Length seconds, at Level.
void AddNote(TSamples& Out, double Hz, double Start, double LengthS, double Level) {
    const size_t First = FramesOf(Start), Last = std::min(Out.size(), FramesOf(Start + LengthS));
    for (size_t I = First; I < Last; ++I) {
        const double T = double(I) / RATE - Start;
        double V = 0;
        for (int K = 1; K <= 9; K += 2)
            V += std::sin(TAU * K * Hz * T) / K;
        Out[I] += Level * V * std::exp(-T / (0.4 * LengthS + 0.05)) * Fade(T, LengthS, 0.005, 0.04);
    }
}

// Up the C major chord and a held chord on top: the race is over.
TSamples FinishJingle() {
    constexpr double LENGTH_S = 2.0;
    constexpr double C5 = 523.25, E5 = 659.26, G5 = 783.99, C6 = 1046.50, E6 = 1318.51;
    TSamples Out(FramesOf(LENGTH_S), 0.0);
    const double Steps[] = {C5, E5, G5, C6};
    for (int I = 0; I < 4; ++I)
        AddNote(Out, Steps[I], 0.14 * I, 0.16, 1);
    for (const double Hz : {C5, G5, C6, E6})
        AddNote(Out, Hz, 0.62, LENGTH_S - 0.62, 0.6);
    Normalise(Out, 0.65);
    return Out;
}

// A short tick: a bright ping that dies in milliseconds, with a speck of noise.
TSamples Click() {
    constexpr double LENGTH_S = 0.05;
    const size_t N = FramesOf(LENGTH_S);
    TBiquad Speck = TBiquad::BandPass(4000, 1.5);
    TSamples Out(N);
    for (size_t I = 0; I < N; ++I) {
        const double T = double(I) / RATE;
        Out[I] = (std::sin(TAU * 2400 * T) * std::exp(-T / 0.004) +
                  0.3 * Speck(Noise(I, 331)) * std::exp(-T / 0.002)) *
                 Fade(T, LENGTH_S, 0.0005, 0.01);
    }
    Normalise(Out, 0.5);
    return Out;
}

// Air rushing past: noise through a band that sweeps up from 400 Hz to 3.5 kHz, swelling and
// dying away. The game plays it lower for the console shutting.
TSamples Swish() {
    constexpr double LENGTH_S = 0.32, FROM_HZ = 400, TO_HZ = 3500;
    const size_t N = FramesOf(LENGTH_S);
    TBiquad Band;
    TSamples Out(N);
    for (size_t I = 0; I < N; ++I) {
        const double T = double(I) / RATE;
        Band.Retune(TBiquad::BandPass(FROM_HZ * std::pow(TO_HZ / FROM_HZ, T / LENGTH_S), 1.5));
        const double Swell = std::sin(PI * T / LENGTH_S);
        Out[I] = Band(Noise(I, 341)) * Swell * Swell;
    }
    Normalise(Out, 0.4);
    return Out;
}

// How each sound of the asset table is made.
struct TSoundRecipe {
    int Sound; // its index in SOUND_ASSETS
    TSoundBuilder Build;
};
constexpr TSoundRecipe RECIPES[] = {
    {SOUND_ENGINE, EngineLoop},   {SOUND_TYRES, TyresLoop}, {SOUND_BUMP, Bump},
    {SOUND_BEEP, Beep},           {SOUND_START, StartTone}, {SOUND_LAP, LapChime},
    {SOUND_FINISH, FinishJingle}, {SOUND_CLICK, Click},     {SOUND_CONSOLE, Swish},
};

} // namespace

void BuildSounds(TContent& Content) {
    for (int Sound = 0; Sound < SOUND_COUNT; ++Sound) {
        const auto Count =
            std::count_if(std::begin(RECIPES), std::end(RECIPES),
                          [Sound](const TSoundRecipe& R) { return R.Sound == Sound; });
        if (Count != 1)
            throw std::logic_error(std::string("the sound ") + SOUND_ASSETS[Sound] + " has " +
                                   std::to_string(Count) + " recipes");
    }
    for (const TSoundRecipe& R : RECIPES) {
        const TSamples Samples = R.Build();
        Content.Sounds.push_back({DataRelativePath(SOUND_ASSETS[R.Sound]),
                                  std::vector<float>(Samples.begin(), Samples.end())});
    }
}
