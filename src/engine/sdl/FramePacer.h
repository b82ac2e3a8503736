#pragma once
// When the loop shows its frames. Where the display's vsync makes each swap wait, the display
// paces the loop; otherwise the loop sleeps between frames so that they lie on a fixed grid at
// the frame cap: evenly spaced, never bunched to catch up after a late one, and a core is not
// burnt drawing frames nobody sees.

class TFramePacer {
public:
    // Frames in a row that vsync is watched over before it is trusted; and the share of the cap's
    // frame interval below which frames came too fast for a swap that waits.
    static constexpr int VSYNC_CHECK_FRAMES = 60;
    static constexpr double VSYNC_WAIT_SHARE = 0.75;

    // A new run of frames from NowMs. CapFps 0: no cap, the loop never sleeps. VSyncAsked: the
    // swap was asked to wait for the display, which then paces the loop unless frames come too
    // fast for that (a driver may accept the request and not wait) or CapAlways (a cap the player
    // asked for, kept with vsync too).
    void Start(double NowMs, int CapFps, bool VSyncAsked, bool CapAlways);
    // After a frame has been shown, at NowMs: how long to sleep before the next one, ms (0: none).
    double SleepAfterFrame(double NowMs);
    // Whether the loop sleeps to the cap (not the display).
    bool LoopPaces() const { return FrameMs > 0 && (!VSyncTrusted || CapAlways); }
    // True once, after the frames have shown that the swap does not wait.
    bool TakeVSyncDistrusted();
    double FrameIntervalMs() const { return FrameMs; }

private:
    double FrameMs = 0;     // the cap's frame interval; 0: no cap
    double NextFrameMs = 0; // when the next frame is due on the cap's grid
    bool VSyncTrusted = false;
    bool CapAlways = false;
    bool JustDistrusted = false;
    int CheckFrames = 0; // frames since the vsync watch began
    double CheckStartMs = 0;
};

// The spread of a series of intervals, ms (frame to frame).
class TIntervalStats {
public:
    void Add(double Ms);
    int Count() const { return N; }
    double Mean() const;
    double Deviation() const; // standard deviation
    double Longest() const { return Max; }
    double Shortest() const { return Min; }

private:
    int N = 0;
    double Sum = 0, SumSquares = 0, Max = 0, Min = 0;
};
