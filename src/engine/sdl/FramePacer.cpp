#include "engine/sdl/FramePacer.h"

#include <algorithm>
#include <cmath>

void TFramePacer::Start(double NowMs, int CapFps, bool VSyncAsked, bool CapAlwaysAsked) {
    FrameMs = CapFps > 0 ? 1000.0 / CapFps : 0;
    NextFrameMs = NowMs + FrameMs;
    VSyncTrusted = VSyncAsked;
    CapAlways = CapAlwaysAsked;
    JustDistrusted = false;
    CheckFrames = 0;
    CheckStartMs = NowMs;
}

double TFramePacer::SleepAfterFrame(double NowMs) {
    if (FrameMs <= 0) return 0;
    if (VSyncTrusted && ++CheckFrames == VSYNC_CHECK_FRAMES) {
        const double MeanMs = (NowMs - CheckStartMs) / VSYNC_CHECK_FRAMES;
        if (MeanMs < VSYNC_WAIT_SHARE * FrameMs) {
            VSyncTrusted = false;
            JustDistrusted = true;
            NextFrameMs = NowMs + FrameMs;
        }
        CheckFrames = 0;
        CheckStartMs = NowMs;
    }
    if (!LoopPaces()) return 0;
    // A frame late by less than an interval keeps the grid (the next one comes sooner); one later
    // than that starts the grid again from now rather than hurrying frames out to catch up.
    if (NowMs - NextFrameMs > FrameMs) NextFrameMs = NowMs;
    const double SleepMs = std::max(0.0, NextFrameMs - NowMs);
    NextFrameMs += FrameMs;
    return SleepMs;
}

bool TFramePacer::TakeVSyncDistrusted() {
    const bool Was = JustDistrusted;
    JustDistrusted = false;
    return Was;
}

void TIntervalStats::Add(double Ms) {
    Min = N == 0 ? Ms : std::min(Min, Ms);
    Max = N == 0 ? Ms : std::max(Max, Ms);
    ++N;
    Sum += Ms;
    SumSquares += Ms * Ms;
}

double TIntervalStats::Mean() const {
    return N > 0 ? Sum / N : 0;
}

double TIntervalStats::Deviation() const {
    if (N < 2) return 0;
    const double M = Mean();
    return std::sqrt(std::max(0.0, SumSquares / N - M * M));
}
