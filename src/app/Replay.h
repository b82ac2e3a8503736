#pragma once
// Replays: everything one race depends on, written down as text, and what plays it back.
//
// The race is a pure function of its map file, the player's car choice, the driving commands the
// player's car reads in each update and the engine time each update sees (the countdown and the
// computer drivers' stuck checks read the clock), plus the two things a player can do to it
// between updates: resuming it from the menu (every stuck check starts anew) and retuning a
// computer driver from the console. A replay holds exactly those, and closes with the race's hash
// (TRaceTrace) up to its last update, so that playing it back proves it is the same race.
//
//     marvolin-replay 1                       version line
//     map map3 1f2e3d4c5b6a7980               level name, FNV-1a of the map file's bytes
//     car 2                                   the menu's car choice
//     load 1234 -                             engine ms and keys of the level load (update 0)
//     1 1259 W                                update 1: engine ms, keys held (W A S D, _ for
//     2 1284 WA                               Space, - for none)
//     resume 5000                             the race resumed from the menu at 5000 ms
//     tune 3 ai_dfc 0.5                       a console command retuned computer car 3
//     end 4523 0123456789abcdef finished      updates, race hash, why the recording ended
//
// Blank lines and lines starting with # are ignored; updates are numbered from 1 without gaps.

#include "app/RaceTrace.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class TRace;
class TInput;

// The driving commands the player's car reads, as bits.
enum THeldKey : uint8_t {
    HELD_W = 1,
    HELD_A = 2,
    HELD_S = 4,
    HELD_D = 8,
    HELD_SPACE = 16,
};
constexpr uint8_t HELD_KEYS_ALL = HELD_W | HELD_A | HELD_S | HELD_D | HELD_SPACE;

// The held commands the input answers now.
uint8_t HeldKeysOf(TInput& In);
// The virtual key of each command bit, in W A S D Space order (for scripted inputs).
int KeyOfHeld(uint8_t Bit);
// "W", "WA_", "-": the key file's spelling.
std::string HeldKeysText(uint8_t Keys);
// False for a word that is not such a spelling.
bool ParseHeldKeys(const std::string& Word, uint8_t& Keys);

struct TReplayStep {
    enum class TKind { Update, Resume, Tune };
    TKind Kind = TKind::Update;
    int32_t TimeMs = 0;  // Update, Resume
    uint8_t Keys = 0;    // Update
    int32_t Car = 0;     // Tune: index into the race manager's Cars
    std::string Command; // Tune: ai_dfc, ai_tck or ai_minturn
    float Value = 0;     // Tune
};

struct TReplay {
    static constexpr int VERSION = 1;
    std::string Level;
    uint64_t MapHash = 0;
    int32_t Car = 0;
    int32_t LoadTimeMs = 0;
    uint8_t LoadKeys = 0;
    std::vector<TReplayStep> Steps; // in the order they happened
    long Updates = 0;               // update lines among Steps
    uint64_t RaceHash = 0;
    std::string EndReason; // finished, level, quit
};

std::string SerializeReplay(const TReplay& Replay);
// Throws TFileError "FILE:LINE: fault" for anything but a complete replay of this version.
TReplay ParseReplay(const std::string& Text, const std::string& FileName);
// The replay file, read and parsed; throws TFileError.
TReplay ReadReplay(const std::string& FileName);
// The map file the replay's level names, as the race manager loads it; throws TFileError when it
// is missing or its bytes are not the ones recorded.
std::string CheckReplayMap(const TReplay& Replay);

// The tuning command's field of a computer car, null for an unknown command.
float* TunedField(TRace& Race, int32_t Car, const std::string& Command);

// Records the first race loaded after it is made. The recording ends when the player finishes,
// when another level is loaded, or with Finish (at shutdown); the file is written then, complete.
class TReplayRecorder {
public:
    explicit TReplayRecorder(std::string FileName) : FileName(std::move(FileName)) {}
    ~TReplayRecorder() { Finish("quit"); }
    TReplayRecorder(const TReplayRecorder&) = delete;
    TReplayRecorder& operator=(const TReplayRecorder&) = delete;

    // A level was loaded (its update 0 has run) at Now with Keys held.
    void LevelLoaded(const std::string& Level, const std::string& MapFile, int32_t Car, int32_t Now,
                     uint8_t Keys, const TRace& Race);
    void Resumed(int32_t Now);
    void Tuned(int32_t Car, const std::string& Command, float Value);
    // Around one update of the race.
    void BeforeUpdate(int32_t Now, uint8_t Keys);
    void AfterUpdate(const TRace& Race);
    // Ends the recording (once) and writes the file; false when it cannot be written. Without a
    // race recorded there is nothing to write.
    bool Finish(const std::string& Reason);

    bool Recording() const { return Started && !Ended; }
    const std::string& File() const { return FileName; }

private:
    std::string FileName;
    TReplay Replay;
    std::optional<TRaceTrace> Trace; // while recording
    bool Started = false, Ended = false;
};

// Walks a replay's steps for whoever runs the race: applies the resumes and tunings that come
// before the next update to the race, and hands out that update's time and keys.
class TReplayCursor {
public:
    explicit TReplayCursor(const TReplay& Replay) : Replay(Replay) {}
    // False when no update is left.
    bool NextUpdate(TRace& Race, int32_t& TimeMs, uint8_t& Keys);
    long UpdatesRun() const { return Done; }

private:
    const TReplay& Replay;
    size_t At = 0;
    long Done = 0;
};
