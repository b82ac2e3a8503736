// The game program itself: its command line, the one line it gives when no display opens, and on
// an X server of the test's own (Xvfb) the keys the engine keeps for itself: Alt+Enter and F11
// between full screen and a window, and F12 for a screenshot, pressed for real with xdotool.
#ifdef MARVOLIN_GAME
#include "engine/Engine.h"
#include "tools/ToolRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The game's output with no display server named and no SDL driver asked for.
const std::vector<std::string> NO_DISPLAY = {"-u", "DISPLAY",        "-u", "WAYLAND_DISPLAY",
                                             "-u", "SDL_VIDEODRIVER"};

class GameProgram : public TToolTest {
protected:
    GameProgram() : TToolTest("marvolin-game") {}
    // Runs the game in the scratch folder with no display.
    int RunWithoutDisplay(const std::vector<std::string>& Args) {
        std::vector<std::string> Words = {"-C", Folder.string()};
        Words.insert(Words.end(), NO_DISPLAY.begin(), NO_DISPLAY.end());
        Words.push_back(MARVOLIN_GAME);
        Words.insert(Words.end(), Args.begin(), Args.end());
        return RunProgram("env", Words);
    }
};

TEST_F(GameProgram, VersionAndHelpNeedNoDisplay) {
    EXPECT_EQ(RunWithoutDisplay({"--version"}), 0);
    EXPECT_EQ(Out, "marvolin " MARVOLIN_VERSION "\n");
    EXPECT_EQ(RunWithoutDisplay({"--help"}), 0);
    for (const char* Option :
         {"--window", "--fps", "--shots", "--shot-every", "--quit-after", "--version", "--help"})
        EXPECT_NE(Out.find(Option), std::string::npos) << Option;
    EXPECT_EQ(RunWithoutDisplay({"--fps", "-1"}), 1);
    EXPECT_NE(Err.find("--fps"), std::string::npos);
}

TEST_F(GameProgram, WithoutADisplayItSaysSoInOneLineAndFails) {
    EXPECT_EQ(RunWithoutDisplay({"--quit-after", "1"}), 1);
    EXPECT_EQ(std::count(Err.begin(), Err.end(), '\n'), 1) << Err;
    EXPECT_EQ(Err.rfind("error: cannot open a display: neither DISPLAY nor WAYLAND_DISPLAY", 0), 0u)
        << Err;
}

// A program started in the background, ended (SIGTERM, then SIGKILL) when the object goes.
// ExtraFd above 2: the child's descriptor of that number is the write end of a pipe whose read
// end is Output.
class TChild {
public:
    TChild(const std::vector<std::string>& Argv, const std::vector<std::string>& Environment,
           const fs::path& Dir, int ExtraFd = -1) {
        int Pipe[2] = {-1, -1};
        if (ExtraFd > 2 && pipe(Pipe) != 0) return;
        Pid = fork();
        if (Pid == 0) {
            if (ExtraFd > 2) {
                close(Pipe[0]); // first: it may hold the very number asked for
                if (Pipe[1] != ExtraFd) {
                    dup2(Pipe[1], ExtraFd);
                    close(Pipe[1]);
                }
            }
            const int Null = open("/dev/null", O_WRONLY);
            dup2(Null, 1);
            dup2(Null, 2);
            if (chdir(Dir.c_str()) != 0) _exit(127);
            for (const std::string& Setting : Environment)
                putenv(const_cast<char*>(Setting.c_str()));
            std::vector<char*> Args;
            for (const std::string& A : Argv)
                Args.push_back(const_cast<char*>(A.c_str()));
            Args.push_back(nullptr);
            execvp(Args[0], Args.data());
            _exit(127);
        }
        if (ExtraFd > 2) {
            close(Pipe[1]);
            Output = Pipe[0];
        }
    }
    ~TChild() {
        if (Output >= 0) close(Output);
        if (Pid > 0 && Wait(0) < 0) {
            kill(Pid, SIGTERM);
            if (Wait(5000) < 0) {
                kill(Pid, SIGKILL);
                waitpid(Pid, nullptr, 0);
            }
        }
    }
    TChild(const TChild&) = delete;
    TChild& operator=(const TChild&) = delete;

    // The exit status once the child has ended within TimeoutMs; -1 while it runs.
    int Wait(int TimeoutMs) {
        const auto Until = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
        do {
            int Status = 0;
            if (waitpid(Pid, &Status, WNOHANG) == Pid) {
                Pid = -1;
                return WIFEXITED(Status) ? WEXITSTATUS(Status) : 128;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } while (std::chrono::steady_clock::now() < Until);
        return -1;
    }
    // One line the child writes on its pipe within TimeoutMs, without its newline.
    std::string ReadLine(int TimeoutMs) {
        std::string Line;
        char C = 0;
        pollfd Poll{Output, POLLIN, 0};
        while (poll(&Poll, 1, TimeoutMs) > 0 && read(Output, &C, 1) == 1 && C != '\n')
            Line += C;
        return Line;
    }

    pid_t Pid = -1;
    int Output = -1;
};

// What a shell command printed.
std::string Shell(const std::string& Command) {
    std::string Text;
    if (std::FILE* Pipe = popen(Command.c_str(), "r")) {
        char Buffer[256];
        while (std::fgets(Buffer, sizeof Buffer, Pipe))
            Text += Buffer;
        pclose(Pipe);
    }
    return Text;
}

// Asks again every 50 ms until the answer is the one wanted (any but an empty one when Wanted is
// empty) or TimeoutMs have passed; the last answer.
std::string Await(const std::function<std::string()>& Ask, const std::string& Wanted,
                  int TimeoutMs) {
    auto Done = [&](const std::string& Answer) {
        return Wanted.empty() ? !Answer.empty() : Answer == Wanted;
    };
    std::string Answer = Ask();
    for (int Ms = 0; !Done(Answer) && Ms < TimeoutMs; Ms += 50) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        Answer = Ask();
    }
    return Answer;
}

constexpr int SCREEN_WIDTH = 1280, SCREEN_HEIGHT = 1024;
constexpr int WAIT_MS = 10000; // for the game to start, or to act on a key

bool HasProgram(const char* Name) {
    return !Shell(std::string("command -v ") + Name).empty();
}

// The width and height of a PNG file from its header, "W x H".
std::string PngSize(const fs::path& File) {
    const std::string Bytes = Slurp(File);
    if (Bytes.size() < 24) return "not a PNG";
    auto Word = [&](size_t At) {
        return (uint32_t(uint8_t(Bytes[At])) << 24) | (uint32_t(uint8_t(Bytes[At + 1])) << 16) |
               (uint32_t(uint8_t(Bytes[At + 2])) << 8) | uint32_t(uint8_t(Bytes[At + 3]));
    };
    return std::to_string(Word(16)) + " x " + std::to_string(Word(20));
}

TEST_F(GameProgram, AltEnterAndF11SwitchFullScreenAndWindowAndF12SavesTheGamesPicture) {
    if (!HasProgram("Xvfb") || !HasProgram("xdotool"))
        GTEST_SKIP() << "needs Xvfb and xdotool (scripts/setup.sh installs them)";
    const std::string Screen = std::to_string(SCREEN_WIDTH) + "x" + std::to_string(SCREEN_HEIGHT);
    constexpr int DISPLAY_FD = 3;
    TChild Server({"Xvfb", "-displayfd", std::to_string(DISPLAY_FD), "-nolisten", "tcp", "-screen",
                   "0", Screen + "x24"},
                  {}, Folder, DISPLAY_FD);
    const std::string Display = ":" + Server.ReadLine(WAIT_MS);
    ASSERT_NE(Display, ":") << "Xvfb did not start";
    fs::create_symlink(fs::current_path() / "data", Folder / "data");
    TChild Game({MARVOLIN_GAME, "--quit-after", "120000"}, {"DISPLAY=" + Display}, Folder);
    const std::string X = "DISPLAY=" + Display + " xdotool ";
    std::string Id = Await(
        [&] { return Shell(X + "search --pid " + std::to_string(Game.Pid) + " | head -n 1"); }, "",
        WAIT_MS);
    ASSERT_FALSE(Id.empty()) << "the game's window did not show";
    Id.pop_back(); // the newline
    auto Size = [&] {
        const std::string Shelled = Shell(X + "getwindowgeometry --shell " + Id);
        auto Field = [&](const std::string& Name) {
            const size_t At = Shelled.find(Name + "=");
            return At == std::string::npos
                       ? std::string("?")
                       : Shelled.substr(At + Name.size() + 1,
                                        Shelled.find('\n', At) - At - Name.size() - 1);
        };
        return Field("WIDTH") + " x " + Field("HEIGHT");
    };
    const std::string Full = std::to_string(SCREEN_WIDTH) + " x " + std::to_string(SCREEN_HEIGHT);
    const std::string Windowed =
        std::to_string(GAME_SCREEN_WIDTH) + " x " + std::to_string(GAME_SCREEN_HEIGHT);
    EXPECT_EQ(Await(Size, Full, WAIT_MS), Full) << "full screen at the desktop's size";
    Shell(X + "windowfocus --sync " + Id + " key F11");
    EXPECT_EQ(Await(Size, Windowed, WAIT_MS), Windowed) << "F11: a window";
    Shell(X + "key alt+Return");
    EXPECT_EQ(Await(Size, Full, WAIT_MS), Full) << "Alt+Enter: full screen again";
    Shell(X + "key alt+Return");
    EXPECT_EQ(Await(Size, Windowed, WAIT_MS), Windowed) << "Alt+Enter: the window again";

    Shell(X + "windowsize " + Id + " 640 600 key F12");
    const fs::path Shots = Folder / "screenshots";
    auto Saved = [&] {
        std::error_code Error;
        for (const auto& Entry : fs::directory_iterator(Shots, Error))
            return Entry.path().filename().string();
        return std::string();
    };
    const std::string Name = Await(Saved, "", WAIT_MS);
    ASSERT_EQ(Name.rfind("marvolin-", 0), 0u) << Name;
    EXPECT_EQ(Name.size(), std::string("marvolin-YYYYMMDD-HHMMSS.png").size()) << Name;
    EXPECT_EQ(Await([&] { return PngSize(Shots / Name); }, Windowed, WAIT_MS), Windowed)
        << "the game's own picture, whatever the window's size";
    EXPECT_EQ(Game.Wait(0), -1) << "the game runs on";
}

} // namespace
#endif
