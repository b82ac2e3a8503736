// marvolin-sim race MAPFILE [--car M] [--keys KEYFILE] [--updates N] [--trace CSVFILE]
//                  [--sound WAVFILE]
//
// The game's own race on the headless engine: the race manager's LoadLevel path on MAPFILE at
// virtual time 0, then N updates of the race part of the update callback (race manager, then
// camera) and of the game's sounds, update k at k * MS_PER_UPDATE ms, with the player's keys
// scripted from KEYFILE. With --sound, the sounds are mixed through OpenAL's loopback device, an
// update's worth after each update, into a stereo WAV file (the sounds from data/sounds in the
// working folder); the mix's loudest sample is printed.
#include "Sim.h"

#include "app/Game.h"
#include "app/RaceTrace.h"
#include "app/dGameManager.h"
#include "app/variables.h"
#include "cars/dCars.h"
#include "engine/EngineHeadless.h"
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
    std::string SoundFile;
};

// From update From on (inclusive), the keys in Keys are held and no others.
struct TKeyChange {
    long From = 0;
    std::vector<int> Keys;
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
        } else if (Word == "--sound") {
            if (!Value(Options.SoundFile)) return "--sound wants a file";
#ifndef MARVOLIN_SIM_SOUND
            return "--sound needs the OpenAL back-end, which this build lacks";
#endif
        } else if (Word.rfind("--", 0) == 0) {
            return "unknown option " + Word;
        } else if (Options.MapFile.empty()) {
            Options.MapFile = Word;
        } else {
            return "more than one map file given";
        }
    }
    if (Options.MapFile.empty()) return "no map file given";
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
        if (Keys != "-") {
            // The held keys are the letters of KEYS among W A S D, with '_' for Space; any other
            // character holds nothing.
            for (char C : Keys) {
                if (C == 'W' || C == 'A' || C == 'S' || C == 'D') Change.Keys.push_back(C);
                if (C == '_') Change.Keys.push_back(VK_SPACE);
            }
        }
        Changes.push_back(std::move(Change));
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

// Holds the keys that the script gives for update Update.
class TKeyScript {
public:
    TKeyScript(THeadlessEngine& E, const std::vector<TKeyChange>& Changes)
        : Headless(E), Changes(Changes) {}
    void Apply(long Update) {
        size_t Next = Applied;
        while (Next < Changes.size() && Changes[Next].From <= Update)
            ++Next;
        if (Next == Applied) return;
        Applied = Next;
        Headless.ReleaseAllKeys();
        for (int Key : Changes[Next - 1].Keys)
            Headless.SetKeyDown(Key, true);
    }

private:
    THeadlessEngine& Headless;
    const std::vector<TKeyChange>& Changes;
    size_t Applied = 0;
};

struct TCloseFile {
    void operator()(std::FILE* F) const { std::fclose(F); }
};

// The game objects on a headless engine for the length of one run, their sounds played through
// Listen when there is one (else written down by the headless engine).
class TSimGame {
public:
    explicit TSimGame(TSounds* Listen) {
        UseEngine(&Headless);
        if (Listen) Sounds = Listen;
        Headless.SetTime(0);
        CreateGameObjects();
        Camera->NextPos.z = TCamera::START_HEIGHT;
    }
    ~TSimGame() {
        DestroyObjects();
        UseEngine(nullptr);
    }
    TSimGame(const TSimGame&) = delete;
    TSimGame& operator=(const TSimGame&) = delete;
    THeadlessEngine Headless;
};

} // namespace

int SimRace(const TSimArgs& Args) {
    TRaceOptions Options;
    if (const std::string Fault = ParseOptions(Args, Options); !Fault.empty())
        return UsageError(Fault);
    std::vector<TKeyChange> Changes;
    if (!Options.KeyFile.empty())
        if (const std::string Fault = ReadKeyFile(Options.KeyFile, Changes); !Fault.empty())
            return FileError(Fault);
    std::unique_ptr<std::FILE, TCloseFile> Trace;
    if (!Options.TraceFile.empty()) {
        Trace.reset(std::fopen(Options.TraceFile.c_str(), "w"));
        if (!Trace) return FileError(Options.TraceFile + ": cannot write the file");
    }

#ifdef MARVOLIN_SIM_SOUND
    std::unique_ptr<TOpenAlSounds> Mixer;
    std::vector<float> Mix;
    if (!Options.SoundFile.empty()) {
        Mixer = std::make_unique<TOpenAlSounds>();
        if (!Mixer->OpenLoopback(MIX_RATE)) return FileError("no OpenAL loopback device to mix on");
    }
    TSimGame Game(Mixer.get());
#else
    TSimGame Game(nullptr);
#endif
    Menu->SelectedCar = Options.Car;
    auto& Race = static_cast<TGameManager&>(*GameManager);
    TKeyScript Keys(Game.Headless, Changes);
    Keys.Apply(0); // update 0 is the one PlaceAt runs inside the level load
    if (!Race.LoadLevelFile(Options.MapFile, LevelNameOf(Options.MapFile)))
        return FileError(Race.LastLoadError);

    TRaceTrace Rows(Trace.get());
    Rows.AddUpdate(0, Race);
    for (long K = 1; K <= Options.Updates; ++K) {
        Game.Headless.SetTime(int(K * MS_PER_UPDATE));
        Keys.Apply(K);
        UpdateRace();
        GameSounds->Update();
        Rows.AddUpdate(K, Race);
#ifdef MARVOLIN_SIM_SOUND
        if (Mixer) {
            Mix.resize(Mix.size() + 2 * MIX_FRAMES_PER_UPDATE);
            Mixer->Mix(Mix.data() + Mix.size() - 2 * MIX_FRAMES_PER_UPDATE, MIX_FRAMES_PER_UPDATE);
        }
#endif
    }
    if (Trace && (std::fflush(Trace.get()) != 0 || std::ferror(Trace.get())))
        return FileError(Options.TraceFile + ": cannot write the file");

#ifdef MARVOLIN_SIM_SOUND
    if (Mixer) {
        std::ofstream Out(Options.SoundFile, std::ios::binary | std::ios::trunc);
        const std::vector<uint8_t> Bytes = EncodeWav(Mix, 2, MIX_RATE);
        Out.write(reinterpret_cast<const char*>(Bytes.data()), std::streamsize(Bytes.size()));
        if (!Out) return FileError(Options.SoundFile + ": cannot write the file");
    }
#endif

    std::printf("updates=%ld state=%d finish_place=%d laps=", Options.Updates, int(Race.State),
                int(Race.FinishPlace));
    for (size_t I = 0; I < Race.Cars.size(); ++I)
        std::printf("%s%d", I ? "," : "", int(Race.Cars[I]->Laps));
#ifdef MARVOLIN_SIM_SOUND
    if (Mixer) {
        float Peak = 0;
        for (const float S : Mix)
            Peak = std::max(Peak, std::fabs(S));
        std::printf(" sound_peak=%.3f", double(Peak));
    }
#endif
    std::printf("\n");
    return SIM_OK;
}
