// bench_frames: the game itself (src/app/main.cpp, compiled in by game_main.cpp with its engine
// watched) or an empty engine beside it, for scripts/bench.sh. It prints one line of figures:
//     frames=N seconds=S fps=F startup_ms=T cpu_percent=C peak_rss_kb=K
// for the frames drawn over a measured stretch after a warm-up, the time from the process's start
// to its first drawn frame, the CPU time over that stretch as a share of one core, and the peak
// resident memory.
//
// What runs is set by the environment, so that every command-line option goes to the game as it
// is (--window, and any option the game grows):
//     MARVOLIN_BENCH_MODE        menu (the game, left on its main page), race (the game, a race on
//                                the first track started as the map page's next button does), or
//                                empty (the engine alone: a 1024 x 768 window, frames cleared)
//     MARVOLIN_BENCH_WARM_UP_MS  from the first frame to the measured stretch (default 4000: past
//                                the race's countdown)
//     MARVOLIN_BENCH_MEASURE_MS  the measured stretch (default 5000)
//     MARVOLIN_BENCH_LAUNCH_NS   the launch, CLOCK_REALTIME in ns (date +%s%N), for start-up times
//                                finer than the kernel's 10 ms record of the process's start
#include "app/variables.h"
#include "engine/Engine.h"
#include "frontend/dMenu.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

// game_main.cpp: the game's main, and the exInit it calls.
int MarvolinMain(int Argc, char** Argv);
TEngine* WatchedExInit(const std::string& LogFile, int Flags);

namespace {

constexpr int DEFAULT_WARM_UP_MS = 4000, DEFAULT_MEASURE_MS = 5000;
constexpr int EXIT_BAD_MODE = 2;

enum class TMode { Menu, Race, Empty };

int EnvMs(const char* Name, int Default) {
    const char* Text = std::getenv(Name);
    return Text && std::atoi(Text) > 0 ? std::atoi(Text) : Default;
}

double NowNs(clockid_t Clock) {
    timespec T{};
    clock_gettime(Clock, &T);
    return double(T.tv_sec) * 1e9 + double(T.tv_nsec);
}

// Milliseconds since the launch: from MARVOLIN_BENCH_LAUNCH_NS when given, else from the
// process's start time in /proc (clock ticks after boot).
double MsSinceLaunch() {
    if (const char* Launch = std::getenv("MARVOLIN_BENCH_LAUNCH_NS"))
        return (NowNs(CLOCK_REALTIME) - std::strtod(Launch, nullptr)) / 1e6;
    std::ifstream Stat("/proc/self/stat");
    std::string Text((std::istreambuf_iterator<char>(Stat)), std::istreambuf_iterator<char>());
    const size_t Fields = Text.rfind(')'); // the command's name may hold blanks
    unsigned long long StartTicks = 0;
    if (Fields != std::string::npos)
        std::sscanf(Text.c_str() + Fields + 1,
                    " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d %*d %*d %*d "
                    "%llu",
                    &StartTicks);
    return NowNs(CLOCK_BOOTTIME) / 1e6 - double(StartTicks) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

double CpuMs() {
    rusage Usage{};
    getrusage(RUSAGE_SELF, &Usage);
    const auto Ms = [](const timeval& T) {
        return double(T.tv_sec) * 1e3 + double(T.tv_usec) / 1e3;
    };
    return Ms(Usage.ru_utime) + Ms(Usage.ru_stime);
}

// The run's measurements, kept by the frame callback. Lives for the whole process.
struct TWatch {
    TMode Mode = TMode::Menu;
    int WarmUpMs = DEFAULT_WARM_UP_MS, MeasureMs = DEFAULT_MEASURE_MS;
    TProc GameUpdate = nullptr, GameRender = nullptr;
    TEngine* Engine = nullptr;
    bool Started = false, RaceStarted = false, Done = false;
    double StartupMs = 0, FirstFrameMs = 0;
    long long Frames = 0, FramesAtStart = 0;
    double StretchStartMs = 0, CpuAtStartMs = 0;
} Watch;

double WallMs() {
    return NowNs(CLOCK_MONOTONIC) / 1e6;
}

void Report() {
    const double Seconds = (WallMs() - Watch.StretchStartMs) / 1000;
    const long long Frames = Watch.Frames - Watch.FramesAtStart;
    rusage Usage{};
    getrusage(RUSAGE_SELF, &Usage);
    std::printf("frames=%lld seconds=%.3f fps=%.1f startup_ms=%.1f cpu_percent=%.1f "
                "peak_rss_kb=%ld\n",
                Frames, Seconds, double(Frames) / Seconds, Watch.StartupMs,
                (CpuMs() - Watch.CpuAtStartMs) / (Seconds * 10), Usage.ru_maxrss);
    std::fflush(stdout);
}

// After every frame: the first one's time, then the measured stretch, then the end of the run.
void CountFrame() {
    const double Now = WallMs();
    ++Watch.Frames;
    if (Watch.Frames == 1) {
        Watch.StartupMs = MsSinceLaunch();
        Watch.FirstFrameMs = Now;
    }
    if (!Watch.Started && Now - Watch.FirstFrameMs >= Watch.WarmUpMs) {
        Watch.Started = true;
        Watch.FramesAtStart = Watch.Frames;
        Watch.StretchStartMs = Now;
        Watch.CpuAtStartMs = CpuMs();
    }
    if (Watch.Started && !Watch.Done && Now - Watch.StretchStartMs >= Watch.MeasureMs) {
        Watch.Done = true;
        Report();
        Watch.Engine->Quit();
    }
}

void WatchedRender() {
    if (Watch.GameRender) Watch.GameRender();
    CountFrame();
}

void WatchedUpdate() {
    if (Watch.Mode == TMode::Race && !Watch.RaceStarted) {
        Watch.RaceStarted = true;
        Menu->Page = PAGE_MAP; // as the player arrives there; the first track is chosen
        NextClick();
    }
    if (Watch.GameUpdate) Watch.GameUpdate();
}

void EmptyFrame() {
    Render->Clear(true, true, false);
}

// The engine as the game sees it, with its callbacks watched.
class TWatchedEngine final : public TEngine {
public:
    explicit TWatchedEngine(TEngine* Inner) : Inner(Inner) {}
    ~TWatchedEngine() override { delete Inner; }
    void SetCallback(int Kind, TProc Proc) override {
        if (Kind == CALLBACK_UPDATE) {
            Watch.GameUpdate = Proc;
            Inner->SetCallback(Kind, WatchedUpdate);
        } else if (Kind == CALLBACK_RENDER) {
            Watch.GameRender = Proc;
            Inner->SetCallback(Kind, WatchedRender);
        } else {
            Inner->SetCallback(Kind, Proc);
        }
    }
    void Run(int UpdatesPerSecond) override { Inner->Run(UpdatesPerSecond); }
    int Time() override { return Inner->Time(); }
    void Quit() override { Inner->Quit(); }
    TSetup* Setup() override { return Inner->Setup(); }
    TWindow* Window() override { return Inner->Window(); }
    TRender* Render() override { return Inner->Render(); }
    TInput* Input() override { return Inner->Input(); }
    TTextures* Textures() override { return Inner->Textures(); }
    TShaders* Shaders() override { return Inner->Shaders(); }
    TSounds* Sounds() override { return Inner->Sounds(); }

private:
    TEngine* Inner;
};

int RunEmpty() {
    TEngineOptions Options;
    Options.Windowed = true;
    exSetOptions(Options);
    TEngine* Started = exInit("bench-log.txt", 0);
    if (!Started) return 1;
    UseEngine(Started);
    Watch.Engine = Started;
    Started->SetCallback(CALLBACK_RENDER, WatchedRender);
    Watch.GameRender = EmptyFrame;
    Started->Run(UPDATES_PER_SECOND);
    UseEngine(nullptr);
    delete Started;
    return 0;
}

} // namespace

// The game's engine, watched.
TEngine* WatchedExInit(const std::string& LogFile, int Flags) {
    TEngine* Started = exInit(LogFile, Flags);
    if (!Started) return nullptr;
    Watch.Engine = new TWatchedEngine(Started);
    return Watch.Engine;
}

int main(int Argc, char** Argv) {
    const char* Mode = std::getenv("MARVOLIN_BENCH_MODE");
    const std::string Name = Mode ? Mode : "menu";
    if (Name == "race")
        Watch.Mode = TMode::Race;
    else if (Name == "empty")
        Watch.Mode = TMode::Empty;
    else if (Name != "menu") {
        std::fprintf(stderr, "bench_frames: MARVOLIN_BENCH_MODE is menu, race or empty\n");
        return EXIT_BAD_MODE;
    }
    Watch.WarmUpMs = EnvMs("MARVOLIN_BENCH_WARM_UP_MS", DEFAULT_WARM_UP_MS);
    Watch.MeasureMs = EnvMs("MARVOLIN_BENCH_MEASURE_MS", DEFAULT_MEASURE_MS);
    if (Watch.Mode == TMode::Empty) return RunEmpty();
    return MarvolinMain(Argc, Argv);
}
