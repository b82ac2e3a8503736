#include "app/Replay.h"

#include "app/variables.h"
#include "cars/dCars.h"
#include "cars/dRace.h"
#include "console/ConsoleFunctions.h"
#include "engine/Engine.h"
#include "engine/Files.h"

#include <charconv>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <typeinfo>

namespace {

constexpr const char* MAGIC = "marvolin-replay";

struct THeldKeyName {
    uint8_t Bit;
    char Letter;
    int Key;
};
constexpr THeldKeyName HELD_KEY_NAMES[] = {
    {HELD_W, 'W', 'W'}, {HELD_A, 'A', 'A'},          {HELD_S, 'S', 'S'},
    {HELD_D, 'D', 'D'}, {HELD_SPACE, '_', VK_SPACE},
};

// Whole words only: "12x" is no number.
template <typename T> bool ParseWhole(const std::string& Word, T& Value, int Base = 10) {
    const auto [End, Error] = std::from_chars(Word.data(), Word.data() + Word.size(), Value, Base);
    return Error == std::errc() && End == Word.data() + Word.size();
}

std::string FloatText(float Value) {
    char Text[32];
    std::snprintf(Text, sizeof Text, "%.9g", double(Value)); // reads back to the same float
    return Text;
}

bool KnownTuning(const std::string& Command) {
    return Command == "ai_dfc" || Command == "ai_tck" || Command == "ai_minturn";
}

} // namespace

uint8_t HeldKeysOf(TInput& In) {
    uint8_t Keys = 0;
    for (const THeldKeyName& K : HELD_KEY_NAMES)
        if (In.Down(K.Key)) Keys |= K.Bit;
    return Keys;
}

int KeyOfHeld(uint8_t Bit) {
    for (const THeldKeyName& K : HELD_KEY_NAMES)
        if (K.Bit == Bit) return K.Key;
    return VK_NONE;
}

std::string HeldKeysText(uint8_t Keys) {
    std::string Text;
    for (const THeldKeyName& K : HELD_KEY_NAMES)
        if (Keys & K.Bit) Text += K.Letter;
    return Text.empty() ? "-" : Text;
}

bool ParseHeldKeys(const std::string& Word, uint8_t& Keys) {
    if (Word == "-") {
        Keys = 0;
        return true;
    }
    uint8_t Parsed = 0;
    for (const char C : Word) {
        const THeldKeyName* Found = nullptr;
        for (const THeldKeyName& K : HELD_KEY_NAMES)
            if (K.Letter == C) Found = &K;
        if (!Found || (Parsed & Found->Bit)) return false;
        Parsed |= Found->Bit;
    }
    if (Word.empty()) return false;
    Keys = Parsed;
    return true;
}

std::string SerializeReplay(const TReplay& R) {
    std::ostringstream Out;
    Out << MAGIC << ' ' << TReplay::VERSION << '\n'
        << "# A race recorded by Marvolin; marvolin-sim race --replay FILE plays it back.\n"
        << "map " << R.Level << ' ' << TRaceTrace::HashHex(R.MapHash) << '\n'
        << "car " << R.Car << '\n'
        << "load " << R.LoadTimeMs << ' ' << HeldKeysText(R.LoadKeys) << '\n';
    long Update = 0;
    for (const TReplayStep& S : R.Steps) {
        switch (S.Kind) {
        case TReplayStep::TKind::Update:
            Out << ++Update << ' ' << S.TimeMs << ' ' << HeldKeysText(S.Keys) << '\n';
            break;
        case TReplayStep::TKind::Resume:
            Out << "resume " << S.TimeMs << '\n';
            break;
        case TReplayStep::TKind::Tune:
            Out << "tune " << S.Car << ' ' << S.Command << ' ' << FloatText(S.Value) << '\n';
            break;
        }
    }
    Out << "end " << R.Updates << ' ' << TRaceTrace::HashHex(R.RaceHash) << ' ' << R.EndReason
        << '\n';
    return Out.str();
}

TReplay ParseReplay(const std::string& Text, const std::string& FileName) {
    TReplay R;
    std::istringstream In(Text);
    std::string Line;
    int LineNo = 0;
    enum class TPart { Magic, Map, Car, Load, Steps, Done } Part = TPart::Magic;
    const auto Refuse = [&](const std::string& Fault) {
        throw TFileError(FileName + ":" + std::to_string(LineNo) + ": " + Fault);
    };
    while (std::getline(In, Line)) {
        ++LineNo;
        if (!Line.empty() && Line.back() == '\r') Line.pop_back();
        std::istringstream Words(Line);
        std::vector<std::string> W;
        for (std::string Word; Words >> Word;)
            W.push_back(Word);
        if (W.empty() || W[0][0] == '#') continue;
        if (Part == TPart::Done) Refuse("text after the end line");
        const auto Want = [&](size_t Count, const char* Form) {
            if (W.size() != Count) Refuse(std::string("expected \"") + Form + "\"");
        };
        switch (Part) {
        case TPart::Magic: {
            int Version = 0;
            if (W.size() != 2 || W[0] != MAGIC || !ParseWhole(W[1], Version))
                Refuse("not a Marvolin replay (no \"marvolin-replay 1\" line)");
            if (Version != TReplay::VERSION)
                Refuse("replay version " + W[1] + ", this game reads version " +
                       std::to_string(TReplay::VERSION));
            Part = TPart::Map;
            break;
        }
        case TPart::Map:
            Want(3, "map NAME HASH");
            if (W[0] != "map" || !ParseWhole(W[2], R.MapHash, 16))
                Refuse("expected \"map NAME HASH\"");
            R.Level = W[1];
            Part = TPart::Car;
            break;
        case TPart::Car:
            Want(2, "car MODEL");
            if (W[0] != "car" || !ParseWhole(W[1], R.Car) || R.Car < 0 || R.Car >= CAR_MODEL_COUNT)
                Refuse("expected \"car MODEL\" with a model from 0 to " +
                       std::to_string(CAR_MODEL_COUNT - 1));
            Part = TPart::Load;
            break;
        case TPart::Load:
            Want(3, "load MS KEYS");
            if (W[0] != "load" || !ParseWhole(W[1], R.LoadTimeMs) ||
                !ParseHeldKeys(W[2], R.LoadKeys))
                Refuse("expected \"load MS KEYS\"");
            Part = TPart::Steps;
            break;
        case TPart::Steps: {
            TReplayStep S;
            if (W[0] == "resume") {
                Want(2, "resume MS");
                S.Kind = TReplayStep::TKind::Resume;
                if (!ParseWhole(W[1], S.TimeMs)) Refuse("expected \"resume MS\"");
            } else if (W[0] == "tune") {
                Want(4, "tune CAR COMMAND VALUE");
                S.Kind = TReplayStep::TKind::Tune;
                S.Command = W[2];
                if (!ParseWhole(W[1], S.Car) || S.Car < 1 || !KnownTuning(S.Command) ||
                    !ParseConsoleFloat(W[3], '.', S.Value))
                    Refuse("expected \"tune CAR COMMAND VALUE\" (a computer car and ai_dfc, "
                           "ai_tck or ai_minturn)");
            } else if (W[0] == "end") {
                Want(4, "end UPDATES HASH REASON");
                long Updates = 0;
                if (!ParseWhole(W[1], Updates) || !ParseWhole(W[2], R.RaceHash, 16))
                    Refuse("expected \"end UPDATES HASH REASON\"");
                if (Updates != R.Updates)
                    Refuse("the end line counts " + W[1] + " updates, the replay holds " +
                           std::to_string(R.Updates));
                R.EndReason = W[3];
                Part = TPart::Done;
                continue;
            } else {
                Want(3, "UPDATE MS KEYS");
                long Update = 0;
                if (!ParseWhole(W[0], Update) || !ParseWhole(W[1], S.TimeMs) ||
                    !ParseHeldKeys(W[2], S.Keys))
                    Refuse(
                        "expected \"UPDATE MS KEYS\", \"resume MS\", \"tune ...\" or \"end ...\"");
                if (Update != R.Updates + 1)
                    Refuse("update " + W[0] + " where update " + std::to_string(R.Updates + 1) +
                           " was due");
                ++R.Updates;
            }
            R.Steps.push_back(S);
            break;
        }
        case TPart::Done:
            break;
        }
    }
    if (Part != TPart::Done) {
        ++LineNo;
        Refuse("the replay ends before its end line (the file is cut short)");
    }
    return R;
}

TReplay ReadReplay(const std::string& FileName) {
    const std::vector<uint8_t> Bytes = ReadWholeFile(FileName);
    return ParseReplay(std::string(Bytes.begin(), Bytes.end()), FileName);
}

std::string CheckReplayMap(const TReplay& Replay) {
    const std::string File = LevelFile(Replay.Level);
    const std::vector<uint8_t> Bytes = ReadWholeFile(File);
    const uint64_t Hash = TRaceTrace::HashBytes(std::string(Bytes.begin(), Bytes.end()));
    if (Hash != Replay.MapHash)
        throw TFileError(ResolvePath(File) +
                         ": not the map the replay was recorded on (its bytes "
                         "hash to " +
                         TRaceTrace::HashHex(Hash) + ", the replay's map to " +
                         TRaceTrace::HashHex(Replay.MapHash) + ")");
    return File;
}

float* TunedField(TRace& Race, int32_t Car, const std::string& Command) {
    if (Car < 1 || Car >= Race.CarCount || size_t(Car) >= Race.Cars.size()) return nullptr;
    TBasicCar* Basic = Race.Cars[size_t(Car)];
    if (typeid(*Basic) != typeid(TAICar)) return nullptr;
    TAICar& AI = static_cast<TAICar&>(*Basic);
    if (Command == "ai_dfc") return &AI.DistFromCenter;
    if (Command == "ai_tck") return &AI.ToCenterKoef;
    if (Command == "ai_minturn") return &AI.MinTurn;
    return nullptr;
}

// ---- recording ---------------------------------------------------------------------------------

void TReplayRecorder::LevelLoaded(const std::string& Level, const std::string& MapFile, int32_t Car,
                                  int32_t Now, uint8_t Keys, const TRace& Race) {
    if (Started) {
        Finish("level");
        return;
    }
    const std::vector<uint8_t> Bytes = ReadWholeFile(MapFile);
    Replay.Level = Level;
    Replay.MapHash = TRaceTrace::HashBytes(std::string(Bytes.begin(), Bytes.end()));
    Replay.Car = Car;
    Replay.LoadTimeMs = Now;
    Replay.LoadKeys = Keys;
    Trace.emplace();
    Trace->AddUpdate(0, Race);
    Started = true;
}

void TReplayRecorder::Resumed(int32_t Now) {
    if (!Recording()) return;
    TReplayStep S;
    S.Kind = TReplayStep::TKind::Resume;
    S.TimeMs = Now;
    Replay.Steps.push_back(S);
}

void TReplayRecorder::Tuned(int32_t Car, const std::string& Command, float Value) {
    if (!Recording()) return;
    TReplayStep S;
    S.Kind = TReplayStep::TKind::Tune;
    S.Car = Car;
    S.Command = Command;
    S.Value = Value;
    Replay.Steps.push_back(S);
}

void TReplayRecorder::BeforeUpdate(int32_t Now, uint8_t Keys) {
    if (!Recording()) return;
    TReplayStep S;
    S.TimeMs = Now;
    S.Keys = Keys;
    Replay.Steps.push_back(S);
}

void TReplayRecorder::AfterUpdate(const TRace& Race) {
    if (!Recording()) return;
    Trace->AddUpdate(++Replay.Updates, Race);
    if (Race.State == STATE_FINISHED) Finish("finished");
}

bool TReplayRecorder::Finish(const std::string& Reason) {
    if (!Started || Ended) return true;
    Ended = true;
    Replay.RaceHash = Trace->Hash();
    Replay.EndReason = Reason;
    Trace.reset();
    std::ofstream Out(FileName, std::ios::binary | std::ios::trunc);
    Out << SerializeReplay(Replay);
    Out.close();
    if (!Out) {
        exLog("error: replay: cannot write " + FileName);
        return false;
    }
    exLog("replay: " + std::to_string(Replay.Updates) + " updates of " + Replay.Level +
          " recorded into " + FileName + " (" + Reason + "), race hash " +
          TRaceTrace::HashHex(Replay.RaceHash));
    return true;
}

// ---- playing back ------------------------------------------------------------------------------

bool TReplayCursor::NextUpdate(TRace& Race, int32_t& TimeMs, uint8_t& Keys) {
    while (At < Replay.Steps.size()) {
        const TReplayStep& S = Replay.Steps[At++];
        switch (S.Kind) {
        case TReplayStep::TKind::Resume:
            Race.RestartStuckChecks(S.TimeMs);
            break;
        case TReplayStep::TKind::Tune:
            if (float* Field = TunedField(Race, S.Car, S.Command)) *Field = S.Value;
            break;
        case TReplayStep::TKind::Update:
            TimeMs = S.TimeMs;
            Keys = S.Keys;
            ++Done;
            return true;
        }
    }
    return false;
}
