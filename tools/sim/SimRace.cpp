// marvolin-sim race MAPFILE [--car M] [--keys KEYFILE] [--updates N] [--trace CSVFILE]
//                  [--sound WAVFILE]
// marvolin-sim race MAPFILE [--car M] --driver bot --keys-out KEYFILE [--updates N] [--trace ...]
// marvolin-sim race --replay REPLAYFILE [--trace CSVFILE]
//
// The game's own race on the headless engine: the race manager's LoadLevel path at virtual time 0,
// then N updates of the race part of the update callback (race manager, then camera), update k at
// k * MS_PER_UPDATE ms, with the player's keys scripted from KEYFILE or decided by the keyboard
// driver; or a replay recorded by the game, its updates at the times and with the keys it holds.
// Every update runs the game's sounds too. With --sound, they are mixed through OpenAL's loopback
// device, an update's worth after each update, into a stereo WAV file (the sounds from data/sounds
// in the working folder); the mix's loudest sample is printed.
#include "KeyboardBot.h"
#include "Sim.h"
#include "SimGame.h"

#include "app/Game.h"
#include "app/RaceTrace.h"
#include "app/Replay.h"
#include "app/dGameManager.h"
#include "app/variables.h"
#include "cars/dCars.h"
#include "engine/EngineHeadless.h"
#include "engine/Files.h"
#include "frontend/dMenu.h"
#include "sound/dSound.h"
#include "world/dCamera.h"

#ifdef MARVOLIN_SIM_SOUND
#include "engine/WavFile.h"
#include "engine/sdl/OpenAlSounds.h"
#endif

#include <algorithm>
#include <cmath>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr long DEFAULT_UPDATES = 20000;
constexpr long MAX_UPDATES = INT_MAX / MS_PER_UPDATE; // the clock is an int of milliseconds
constexpr int MIX_RATE = 48000;                       // frames per second of --sound's mix
constexpr int MIX_FRAMES_PER_UPDATE = MIX_RATE / UPDATES_PER_SECOND;
static_assert(MIX_RATE % UPDATES_PER_SECOND == 0, "an update mixes a whole number of frames");

struct TRaceOptions {
    std::string MapFile;
    int Car = 0;
    std::string KeyFile;
    long Updates = DEFAULT_UPDATES;
    std::string TraceFile;
    std::string Driver;  // "bot": the keyboard driver drives
    std::string KeysOut; // where the driver's keys are written
    std::string ReplayFile;
    std::string SoundFile;
};

// From update From on (inclusive), the keys in Keys are held and no others.
struct TKeyChange {
    long From = 0;
    uint8_t Keys = 0;
};

int UsageError(const std::string& Message) {
    std::fprintf(stderr, "marvolin-sim race: %s\n", Message.c_str());
    return SIM_USAGE;
}

int FileError(const std::string& Message) {
    std::fprintf(stderr, "marvolin-sim race: %s\n", Message.c_str());
    return SIM_BAD_FILE;
}

bool ParseWhole(const std::string& Text, long& Value) {
    if (Text.empty()) return false;
    char* End = nullptr;
    errno = 0;
    Value = std::strtol(Text.c_str(), &End, 10);
    return errno == 0 && End && *End == '\0';
}

// Returns an empty string on success, else the fault.
std::string ParseOptions(const TSimArgs& Args, TRaceOptions& Options) {
    for (size_t I = 0; I < Args.size(); ++I) {
        const std::string& Word = Args[I];
        auto Value = [&](std::string& Out) {
            if (I + 1 >= Args.size()) return false;
            Out = Args[++I];
            return true;
        };
        std::string Text;
        long Number = 0;
        if (Word == "--car") {
            if (!Value(Text) || !ParseWhole(Text, Number) || Number < 0 ||
                Number >= TMenu::CAR_CHOICES)
                return "--car wants a car model from 0 to 5";
            Options.Car = int(Number);
        } else if (Word == "--keys") {
            if (!Value(Options.KeyFile)) return "--keys wants a file";
        } else if (Word == "--updates") {
            if (!Value(Text) || !ParseWhole(Text, Number) || Number < 0 || Number > MAX_UPDATES)
                return "--updates wants a count of updates from 0 to " +
                       std::to_string(MAX_UPDATES);
            Options.Updates = Number;
        } else if (Word == "--trace") {
            if (!Value(Options.TraceFile)) return "--trace wants a file";
        } else if (Word == "--driver") {
            if (!Value(Options.Driver) || Options.Driver != "bot")
                return "--driver wants a driver: bot";
        } else if (Word == "--keys-out") {
            if (!Value(Options.KeysOut)) return "--keys-out wants a file";
        } else if (Word == "--sound") {
            if (!Value(Options.SoundFile)) return "--sound wants a file";
#ifndef MARVOLIN_SIM_SOUND
            return "--sound needs the OpenAL back-end, which this build lacks";
#endif
        } else if (Word == "--replay") {
            if (!Value(Options.ReplayFile)) return "--replay wants a replay file";
        } else if (Word.rfind("--", 0) == 0) {
            return "unknown option " + Word;
        } else if (Options.MapFile.empty()) {
            Options.MapFile = Word;
        } else {
            return "more than one map file given";
        }
    }
    const bool Flag = [&] {
        for (const std::string& W : Args)
            if (W == "--car" || W == "--keys" || W == "--updates" || W == "--driver" ||
                W == "--keys-out")
                return true;
        return false;
    }();
    if (!Options.ReplayFile.empty()) {
        if (!Options.MapFile.empty() || Flag)
            return "--replay takes only --trace: the replay holds the map, the car and the keys";
        return {};
    }
    if (Options.MapFile.empty()) return "no map file given";
    if (!Options.Driver.empty() && !Options.KeyFile.empty())
        return "--driver and --keys both drive the player's car";
    if (Options.Driver.empty() != Options.KeysOut.empty())
        return "--driver bot and --keys-out go together";
    return {};
}

// Lines "U KEYS": the letters W A S D and _ for Space, or - for none; # comments and blank lines
// ignored.
// Returns an empty string on success, else the fault.
std::string ReadKeyFile(const std::string& FileName, std::vector<TKeyChange>& Changes) {
    std::ifstream In(FileName);
    if (!In) return FileName + ": cannot open the file";
    std::string Line;
    for (int LineNo = 1; std::getline(In, Line); ++LineNo) {
        if (!Line.empty() && Line.back() == '\r') Line.pop_back();
        const size_t First = Line.find_first_not_of(" \t");
        if (First == std::string::npos || Line[First] == '#') continue;
        std::istringstream Words(Line);
        std::string UText, Keys, Extra;
        Words >> UText >> Keys;
        const std::string Where = FileName + ":" + std::to_string(LineNo) + ": ";
        long From = 0;
        if (!ParseWhole(UText, From) || From < 0) return Where + "the update number is invalid";
        if (Keys.empty()) return Where + "the keys are missing";
        if (Words >> Extra) return Where + "more than one word of keys";
        if (!Changes.empty() && From < Changes.back().From)
            return Where + "the update numbers go down";
        TKeyChange Change;
        Change.From = From;
        // The held keys are the letters of KEYS among W A S D, with '_' for Space; any other
        // character (the '-' of none among them) holds nothing.
        for (char C : Keys) {
            uint8_t Bit = 0;
            if (ParseHeldKeys(std::string(1, C), Bit)) Change.Keys |= Bit;
        }
        Changes.push_back(Change);
    }
    return {};
}

// The level's name for the console's line: the file's name without folder and extension.
std::string LevelNameOf(const std::string& FileName) {
    std::string Name = FileName;
    const size_t Slash = Name.find_last_of("/\\");
    if (Slash != std::string::npos) Name = Name.substr(Slash + 1);
    const size_t Dot = Name.rfind('.');
    if (Dot != std::string::npos && Dot > 0) Name = Name.substr(0, Dot);
    return Name;
}

// The keys the script gives for update Update (asked in increasing order).
class TKeyScript {
public:
    explicit TKeyScript(const std::vector<TKeyChange>& Changes) : Changes(Changes) {}
    uint8_t KeysAt(long Update) {
        while (Applied < Changes.size() && Changes[Applied].From <= Update)
            ++Applied;
        return Applied ? Changes[Applied - 1].Keys : 0;
    }

private:
    const std::vector<TKeyChange>& Changes;
    size_t Applied = 0;
};

struct TCloseFile {
    void operator()(std::FILE* F) const { std::fclose(F); }
};

// --sound: the game's sounds mixed through OpenAL's loopback device, an update's worth at a time.
class TSoundMix {
public:
#ifdef MARVOLIN_SIM_SOUND
    bool Open() {
        return Mixer.OpenLoopback(MIX_RATE);
    }
    TSounds* Listener() {
        return &Mixer;
    }
    void AfterUpdate() {
        Mix.resize(Mix.size() + 2 * MIX_FRAMES_PER_UPDATE);
        Mixer.Mix(Mix.data() + Mix.size() - 2 * MIX_FRAMES_PER_UPDATE, MIX_FRAMES_PER_UPDATE);
    }
    bool Write(const std::string& File) const {
        std::ofstream Out(File, std::ios::binary | std::ios::trunc);
        const std::vector<uint8_t> Bytes = EncodeWav(Mix, 2, MIX_RATE);
        Out.write(reinterpret_cast<const char*>(Bytes.data()), std::streamsize(Bytes.size()));
        return bool(Out);
    }
    float Peak() const {
        float Peak = 0;
        for (const float S : Mix)
            Peak = std::max(Peak, std::fabs(S));
        return Peak;
    }

private:
    TOpenAlSounds Mixer;
    std::vector<float> Mix;
#else
    bool Open() {
        return false;
    }
    TSounds* Listener() {
        return nullptr;
    }
    void AfterUpdate() {}
    bool Write(const std::string&) const {
        return false;
    }
    float Peak() const {
        return 0;
    }
#endif
};

// What one update of a run sees: its engine time and the keys held. False: the run is over.
using TNextUpdate = std::function<bool(long Update, int32_t& TimeMs, uint8_t& Keys)>;

// The level already loaded, raced update by update as Next says; the trace and the last line.
void RunRace(TSimGame& Game, TRaceTrace& Rows, const TNextUpdate& Next, TSoundMix* Mix = nullptr) {
    TGameManager& Race = Game.Race();
    Rows.AddUpdate(0, Race);
    long K = 1;
    for (int32_t TimeMs = 0; true; ++K) {
        uint8_t Keys = 0;
        if (!Next(K, TimeMs, Keys)) break;
        Game.Headless.SetTime(TimeMs);
        Game.Hold(Keys);
        UpdateRace();
        GameSounds->Update();
        Rows.AddUpdate(K, Race);
        if (Mix) Mix->AfterUpdate();
    }
    std::printf("updates=%ld state=%d finish_place=%d laps=", K - 1, int(Race.State),
                int(Race.FinishPlace));
    for (size_t I = 0; I < Race.Cars.size(); ++I)
        std::printf("%s%d", I ? "," : "", int(Race.Cars[I]->Laps));
    if (Mix) std::printf(" sound_peak=%.3f", double(Mix->Peak()));
    std::printf("\n");
}

std::unique_ptr<std::FILE, TCloseFile> OpenTrace(const std::string& FileName) {
    std::unique_ptr<std::FILE, TCloseFile> Trace;
    if (!FileName.empty()) Trace.reset(std::fopen(FileName.c_str(), "w"));
    return Trace;
}

bool TraceWritten(std::FILE* Trace) {
    return !Trace || (std::fflush(Trace) == 0 && !std::ferror(Trace));
}

int SimReplay(const TRaceOptions& Options) {
    TReplay Replay;
    try {
        Replay = ReadReplay(Options.ReplayFile);
        CheckReplayMap(Replay);
    } catch (const TFileError& Error) {
        return FileError(Error.what());
    }
    const auto Trace = OpenTrace(Options.TraceFile);
    if (!Options.TraceFile.empty() && !Trace)
        return FileError(Options.TraceFile + ": cannot write the file");

    TSimGame Game;
    Menu->SelectedCar = Replay.Car;
    Game.Headless.SetTime(Replay.LoadTimeMs);
    Game.Hold(Replay.LoadKeys);
    if (!Game.Race().LoadLevel(Replay.Level)) return FileError(Game.Race().LastLoadError);
    TRaceTrace Rows(Trace.get());
    TReplayCursor Cursor(Replay);
    RunRace(Game, Rows, [&](long, int32_t& TimeMs, uint8_t& Keys) {
        return Cursor.NextUpdate(*GameManager, TimeMs, Keys);
    });
    if (!TraceWritten(Trace.get())) return FileError(Options.TraceFile + ": cannot write the file");
    if (Rows.Hash() != Replay.RaceHash) {
        std::fprintf(stderr,
                     "marvolin-sim race: %s: the race differs from its recording (race hash %s, "
                     "recorded %s)\n",
                     Options.ReplayFile.c_str(), Rows.HashText().c_str(),
                     TRaceTrace::HashHex(Replay.RaceHash).c_str());
        return SIM_DIFFERS;
    }
    return SIM_OK;
}

} // namespace

int SimRace(const TSimArgs& Args) {
    TRaceOptions Options;
    if (const std::string Fault = ParseOptions(Args, Options); !Fault.empty())
        return UsageError(Fault);
    if (!Options.ReplayFile.empty()) return SimReplay(Options);
    std::vector<TKeyChange> Changes;
    if (!Options.KeyFile.empty())
        if (const std::string Fault = ReadKeyFile(Options.KeyFile, Changes); !Fault.empty())
            return FileError(Fault);
    const auto Trace = OpenTrace(Options.TraceFile);
    if (!Options.TraceFile.empty() && !Trace)
        return FileError(Options.TraceFile + ": cannot write the file");
    std::unique_ptr<std::FILE, TCloseFile> KeysOut;
    if (!Options.KeysOut.empty()) {
        KeysOut.reset(std::fopen(Options.KeysOut.c_str(), "w"));
        if (!KeysOut) return FileError(Options.KeysOut + ": cannot write the file");
    }

    std::unique_ptr<TSoundMix> Mix;
    if (!Options.SoundFile.empty()) {
        Mix = std::make_unique<TSoundMix>();
        if (!Mix->Open()) return FileError("no OpenAL loopback device to mix on");
    }
    TSimGame Game(Mix ? Mix->Listener() : nullptr);
    Menu->SelectedCar = Options.Car;
    TKeyScript Script(Changes);
    TKeyboardBot Bot;
    const bool ByBot = Options.Driver == "bot";
    // Update 0 is the one PlaceAt runs inside the level load.
    uint8_t Held = ByBot ? 0 : Script.KeysAt(0);
    Game.Hold(Held);
    if (!Game.Race().LoadLevelFile(Options.MapFile, LevelNameOf(Options.MapFile)))
        return FileError(Game.Race().LastLoadError);
    if (KeysOut) std::fprintf(KeysOut.get(), "0 %s\n", HeldKeysText(Held).c_str());

    TRaceTrace Rows(Trace.get());
    RunRace(
        Game, Rows,
        [&](long K, int32_t& TimeMs, uint8_t& Keys) {
            if (K > Options.Updates) return false;
            TimeMs = int32_t(K * MS_PER_UPDATE);
            if (!ByBot) {
                Keys = Script.KeysAt(K);
                return true;
            }
            std::vector<TVec3> Others;
            for (size_t I = 1; I < GameManager->Cars.size(); ++I)
                Others.push_back(GameManager->Cars[I]->Pos);
            Keys = Bot.Decide(*GameManager->Cars[0], Others, *Map, GameManager->Started);
            if (Keys != Held && KeysOut)
                std::fprintf(KeysOut.get(), "%ld %s\n", K, HeldKeysText(Keys).c_str());
            Held = Keys;
            return true;
        },
        Mix.get());
    if (!TraceWritten(Trace.get())) return FileError(Options.TraceFile + ": cannot write the file");
    if (KeysOut && (std::fflush(KeysOut.get()) != 0 || std::ferror(KeysOut.get())))
        return FileError(Options.KeysOut + ": cannot write the file");
    if (Mix && !Mix->Write(Options.SoundFile))
        return FileError(Options.SoundFile + ": cannot write the file");
    return SIM_OK;
}
