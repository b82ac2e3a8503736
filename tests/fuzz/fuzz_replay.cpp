// The replay file: parsed, written back, walked by the cursor over a race, and its map checked
// against the build's data/ (MARVOLIN_FUZZ_DATA).
#include "FuzzRace.h"
#include "FuzzTarget.h"

#include "app/Replay.h"
#include "engine/Files.h"

#include <bit>

namespace {

bool SameStep(const TReplayStep& A, const TReplayStep& B) {
    return A.Kind == B.Kind && A.TimeMs == B.TimeMs && A.Keys == B.Keys && A.Car == B.Car &&
           A.Command == B.Command &&
           std::bit_cast<uint32_t>(A.Value) == std::bit_cast<uint32_t>(B.Value);
}

bool SameReplay(const TReplay& A, const TReplay& B) {
    if (A.Steps.size() != B.Steps.size()) return false;
    for (size_t I = 0; I < A.Steps.size(); ++I)
        if (!SameStep(A.Steps[I], B.Steps[I])) return false;
    return A.Level == B.Level && A.MapHash == B.MapHash && A.Car == B.Car &&
           A.LoadTimeMs == B.LoadTimeMs && A.LoadKeys == B.LoadKeys && A.Updates == B.Updates &&
           A.RaceHash == B.RaceHash && A.EndReason == B.EndReason;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    static const bool DataFolderSet = [] {
        SetDataFolder(MARVOLIN_FUZZ_DATA);
        return true;
    }();
    (void)DataFolderSet;

    TReplay Replay;
    try {
        Replay = ParseReplay(FuzzText(Data, Size), "fuzz.replay");
    } catch (const TFileError&) {
        return 0;
    }
    ++FuzzAcceptedInputs;
    TReplay Again;
    try {
        Again = ParseReplay(SerializeReplay(Replay), "again.replay");
    } catch (const TFileError&) {
        FuzzExpect(false, "a parsed replay, written back, parses");
    }
    FuzzExpect(SameReplay(Replay, Again), "a parsed replay, written back, reads the same");

    THeadlessEngine E;
    UseEngine(&E);
    {
        TFuzzRace Race;
        TReplayCursor Cursor(Replay);
        int32_t TimeMs = 0;
        uint8_t Keys = 0;
        long Steps = 0;
        while (Cursor.NextUpdate(Race, TimeMs, Keys)) {
            FuzzExpect((Keys & ~HELD_KEYS_ALL) == 0, "an update holds only the driving keys");
            ++Steps;
        }
        FuzzExpect(Steps == Replay.Updates && Cursor.UpdatesRun() == Replay.Updates,
                   "the cursor hands out every update once");
    }
    UseEngine(nullptr);
    try {
        CheckReplayMap(Replay);
    } catch (const TFileError&) {
    }
    return 0;
}
