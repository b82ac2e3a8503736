// marvolin: the game. Starts the engine, fixes the display and the OpenGL state, loads the models,
// creates the game objects (the sounds with them), runs the main loop at 40 updates per second and
// tears everything down in order when the loop returns.
#include "app/Game.h"
#include "app/Replay.h"
#include "app/ReplayPlayer.h"
#include "app/variables.h"
#include "engine/Engine.h"
#include "engine/Files.h"
#include "engine/Paths.h"
#include "world/dCamera.h"

#include <cerrno>
#include <cfenv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

constexpr int SCREEN_COLOUR_BITS = 32;
constexpr int SCREEN_REFRESH_HZ = 75;
constexpr int DEFAULT_SHOT_EVERY_MS = 1000;
constexpr int MAX_FRAME_CAP_FPS = 1000;

constexpr int EXIT_USAGE = 1;
constexpr int EXIT_START_FAILED = 1;

const char* const USAGE =
    "usage: marvolin [--window] [--mute] [--fps N] [--shots DIR] [--shot-every MS]\n"
    "                [--quit-after MS] [--record FILE | --replay FILE] [--version] [--help]\n"
    "  --window          a 1024 x 768 window instead of the full screen\n"
    "  --mute            start with the sound off (the console's Sound 1 turns it on)\n"
    "  --fps N           at most N frames per second (0: no cap); by default the display's\n"
    "                    refresh rate where vsync does not pace the frames\n"
    "  --shots DIR       save the picture as DIR/frame_<engine ms>.png every second of play\n"
    "                    (or every --shot-every MS)\n"
    "  --shot-every MS   how often --shots saves a picture, in milliseconds of engine time\n"
    "  --quit-after MS   end the game by itself after MS milliseconds of engine time\n"
    "  --record FILE     record the first race driven into the replay FILE\n"
    "  --replay FILE     play the race recorded in FILE (the keys then drive nothing)\n"
    "  --version         the game's version\n"
    "  --help            this text\n"
    "The game reads data/ from the working folder, else the data installed beside it\n"
    "(../share/marvolin/data), and writes log.txt into the working folder, else into\n"
    "$XDG_STATE_HOME/marvolin (~/.local/state/marvolin).\n"
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

// What the game itself takes from the command line.
struct TGameOptions {
    std::string RecordFile, ReplayFile;
    bool Mute = false;
};

// Returns -1 to go on, else the exit status.
int ParseCommandLine(int Argc, char** Argv, TEngineOptions& Options, TGameOptions& Game) {
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
        } else if (Arg == "--mute") {
            Game.Mute = true;
        } else if (Arg == "--shots" && HasValue) {
            Options.SaveFrameFolder = Argv[++I];
            if (!ShotEveryGiven) Options.SaveFrameEveryMs = DEFAULT_SHOT_EVERY_MS;
        } else if (Arg == "--shot-every" && HasValue &&
                   ParseMs(Argv[I + 1], Options.SaveFrameEveryMs)) {
            ++I;
            ShotEveryGiven = true;
        } else if (Arg == "--quit-after" && HasValue && ParseMs(Argv[I + 1], Options.QuitAfterMs)) {
            ++I;
        } else if (Arg == "--record" && HasValue && Game.ReplayFile.empty()) {
            Game.RecordFile = Argv[++I];
        } else if (Arg == "--replay" && HasValue && Game.RecordFile.empty()) {
            Game.ReplayFile = Argv[++I];
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
    TGameOptions Game;
    if (const int Status = ParseCommandLine(Argc, Argv, Options, Game); Status >= 0) return Status;
    exSetOptions(Options);
    const std::string InstalledData = InstalledDataFolder(ExecutableFolder());
    const std::string DataFolder = ChooseDataFolder(InstalledData);
    SetDataFolder(DataFolder);
    TEngine* Started = exInit(LogFolder() + "/log.txt", 0);
    if (!Started) return EXIT_START_FAILED; // the engine has said why
    UseEngine(Started);
    exLog(DataFolderLine(DataFolder, InstalledData));
    if (Game.Mute) Sounds->SetEnabled(false);

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

    std::optional<TReplayRecorder> Recording;
    if (!Game.RecordFile.empty()) Recorder = &Recording.emplace(Game.RecordFile);
    std::optional<TReplayPlayer> Playing;
    if (!Game.ReplayFile.empty()) {
        try {
            TReplay Replay = ReadReplay(Game.ReplayFile);
            CheckReplayMap(Replay);
            ReplayPlayer = &Playing.emplace(*Started, std::move(Replay));
        } catch (const TFileError& Error) {
            exLog(std::string("error: replay refused: ") + Error.what());
            ShutDown(Started);
            return EXIT_START_FAILED;
        }
        UseEngine(ReplayPlayer->Engine());
        if (!ReplayPlayer->Start()) {
            ReplayPlayer = nullptr;
            ShutDown(Started);
            return EXIT_START_FAILED;
        }
    }

    // Scripts that drive the game wait for this line before their first key.
    exLog("start-up: done after " + std::to_string(Started->Time()) + " ms; the loop runs");
    Engine->Run(UPDATES_PER_SECOND);

    // A race recorded up to the quit is still a complete replay.
    if (Recorder) Recorder->Finish("quit");
    Recorder = nullptr;
    ReplayPlayer = nullptr;
    ShutDown(Started);
    return 0;
}
