// marvolin: the game. Starts the engine, fixes the display and the OpenGL state, loads the models,
// creates the game objects, runs the main loop at 40 updates per second and tears everything down
// in order when the loop returns.
#include "app/Game.h"
#include "app/variables.h"
#include "engine/Engine.h"
#include "engine/Files.h"
#include "world/dCamera.h"

#include <cerrno>
#include <cfenv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int SCREEN_COLOUR_BITS = 32;
constexpr int SCREEN_REFRESH_HZ = 75;
constexpr int DEFAULT_SHOT_EVERY_MS = 1000;
constexpr int MAX_FRAME_CAP_FPS = 1000;

constexpr int EXIT_USAGE = 1;
constexpr int EXIT_START_FAILED = 1;

const char* const USAGE =
    "usage: marvolin [--window] [--fps N] [--shots DIR] [--shot-every MS] [--quit-after MS]\n"
    "                [--version] [--help]\n"
    "  --window          a 1024 x 768 window instead of the full screen\n"
    "  --fps N           at most N frames per second (0: no cap); by default the display's\n"
    "                    refresh rate where vsync does not pace the frames\n"
    "  --shots DIR       save the picture as DIR/frame_<engine ms>.png every second of play\n"
    "                    (or every --shot-every MS)\n"
    "  --shot-every MS   how often --shots saves a picture, in milliseconds of engine time\n"
    "  --quit-after MS   end the game by itself after MS milliseconds of engine time\n"
    "  --version         the game's version\n"
    "  --help            this text\n"
    "The game reads data/ from the working folder and writes log.txt there.\n"
    "Alt+Enter or F11 switches between full screen and a window; F12 saves a screenshot.\n";

// A whole number from Lowest to Highest, the whole text.
bool ParseInt(const char* Text, long Lowest, long Highest, int& Result) {
    char* End = nullptr;
    errno = 0;
    const long Value = std::strtol(Text, &End, 10);
    if (errno != 0 || End == Text || *End != '\0' || Value < Lowest || Value > Highest)
        return false;
    Result = int(Value);
    return true;
}

bool ParseMs(const char* Text, int& Ms) {
    return ParseInt(Text, 1, INT_MAX, Ms);
}

// Returns -1 to go on, else the exit status.
int ParseCommandLine(int Argc, char** Argv, TEngineOptions& Options) {
    bool ShotEveryGiven = false;
    for (int I = 1; I < Argc; ++I) {
        const std::string Arg = Argv[I];
        const bool HasValue = I + 1 < Argc;
        if (Arg == "--help" || Arg == "-h") {
            std::fputs(USAGE, stdout);
            return 0;
        } else if (Arg == "--version") {
            std::puts("marvolin " MARVOLIN_VERSION);
            return 0;
        } else if (Arg == "--fps" && HasValue &&
                   ParseInt(Argv[I + 1], 0, MAX_FRAME_CAP_FPS, Options.FrameCapFps)) {
            ++I;
        } else if (Arg == "--window") {
            Options.Windowed = true;
        } else if (Arg == "--shots" && HasValue) {
            Options.SaveFrameFolder = Argv[++I];
            if (!ShotEveryGiven) Options.SaveFrameEveryMs = DEFAULT_SHOT_EVERY_MS;
        } else if (Arg == "--shot-every" && HasValue &&
                   ParseMs(Argv[I + 1], Options.SaveFrameEveryMs)) {
            ++I;
            ShotEveryGiven = true;
        } else if (Arg == "--quit-after" && HasValue && ParseMs(Argv[I + 1], Options.QuitAfterMs)) {
            ++I;
        } else {
            std::fprintf(stderr, "marvolin: unknown or incomplete option %s\n%s", Arg.c_str(),
                         USAGE);
            return EXIT_USAGE;
        }
    }
    return -1;
}

void ShutDown(TEngine* Started) {
    FreeAssets();
    DestroyObjects();
    UseEngine(nullptr);
    delete Started; // the engine's services go last
}

} // namespace

int main(int Argc, char** Argv) {
    // Floating-point arithmetic never traps in this game: a division by zero gives an infinity or
    // a NaN that the race code tests for.
    std::feclearexcept(FE_ALL_EXCEPT);
    fedisableexcept(FE_ALL_EXCEPT);

    TEngineOptions Options;
    if (const int Status = ParseCommandLine(Argc, Argv, Options); Status >= 0) return Status;
    exSetOptions(Options);
    TEngine* Started = exInit("log.txt", 0);
    if (!Started) return EXIT_START_FAILED; // the engine has said why
    UseEngine(Started);

    Render->Switch(false);
    Window->SetMode(true, GAME_SCREEN_WIDTH, GAME_SCREEN_HEIGHT, SCREEN_COLOUR_BITS,
                    SCREEN_REFRESH_HZ);
    Setup->Switch(true);
    Window->SetCaption("PELTA", 0);
    Engine->SetCallback(CALLBACK_UPDATE, UpdateProc);
    Engine->SetCallback(CALLBACK_RENDER, RenderProc);
    Input->Switch(false);
    // OpenGL itself was loaded by the engine when it made its context.
    SetFixedGLState();
    Window->ShowCursor(false); // the menu draws its own cursor

    try {
        CreateObjects();
    } catch (const TFileError& Error) {
        // A model that cannot be read ends the start-up: said in the log and on stderr.
        exLog(std::string("error: ") + Error.what());
        ShutDown(Started);
        return EXIT_START_FAILED;
    }
    Camera->NextPos.z = TCamera::START_HEIGHT;

    Engine->Run(UPDATES_PER_SECOND);

    ShutDown(Started);
    return 0;
}
