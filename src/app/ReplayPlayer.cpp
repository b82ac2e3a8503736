#include "app/ReplayPlayer.h"

#include "app/dGameManager.h"
#include "app/variables.h"
#include "console/dConsole.h"
#include "engine/Text1251.h"
#include "frontend/dMenu.h"

#include <cstdio>

bool TReplayPlayer::TReplayInput::Down(int Key) {
    if (Driving)
        for (uint8_t Bit = 1; Bit & HELD_KEYS_ALL; Bit = uint8_t(Bit << 1))
            if (KeyOfHeld(Bit) == Key) return (Keys & Bit) != 0;
    return Real->Down(Key);
}

int TReplayPlayer::TReplayEngine::Time() {
    if (InUpdate) return ReplayMs;
    return MsAfter(ReplayMs, ElapsedMs(RealMs, Real->Time()));
}

TReplayPlayer::TReplayPlayer(TEngine& Real, TReplay Played) : Replay(std::move(Played)) {
    Wrapped.Real = &Real;
    Wrapped.ReplayInput.Real = Real.Input();
    Wrapped.ReplayMs = Replay.LoadTimeMs;
    Wrapped.RealMs = Real.Time();
}

bool TReplayPlayer::Start() {
    ReplayDrives = true;
    Menu->SelectedCar = Replay.Car;
    Wrapped.InUpdate = true;
    Wrapped.ReplayInput.Keys = Replay.LoadKeys;
    auto& Race = static_cast<TGameManager&>(*GameManager);
    const bool Loaded = Race.LoadLevel(Replay.Level);
    Wrapped.InUpdate = false;
    Wrapped.RealMs = Wrapped.Real->Time();
    if (!Loaded) {
        exLog("error: replay: the level " + Replay.Level + " is refused: " + Race.LastLoadError);
        ReplayDrives = false;
        return false;
    }
    Trace.emplace();
    Trace->AddUpdate(0, Race);
    exLog("replay: playing " + std::to_string(Replay.Updates) + " updates of " + Replay.Level);
    return true;
}

bool TReplayPlayer::BeforeUpdate() {
    if (Finished) return false;
    int32_t TimeMs = 0;
    uint8_t Keys = 0;
    if (!Cursor.NextUpdate(*GameManager, TimeMs, Keys)) {
        Conclude();
        return false;
    }
    Wrapped.ReplayMs = TimeMs;
    Wrapped.ReplayInput.Keys = Keys;
    Wrapped.InUpdate = true;
    return true;
}

void TReplayPlayer::AfterUpdate() {
    Wrapped.InUpdate = false;
    Wrapped.RealMs = Wrapped.Real->Time();
    Trace->AddUpdate(Cursor.UpdatesRun(), *GameManager);
    if (Cursor.UpdatesRun() == Replay.Updates) Conclude();
}

void TReplayPlayer::Conclude() {
    if (Finished) return;
    Finished = true;
    ReplayDrives = false;
    Wrapped.ReplayInput.Driving = false;
    const bool Same = Matched();
    exLog(std::string(Same ? "replay: the race matches its recording"
                           : "error: replay: the race differs from its recording") +
          " (race hash " + Trace->HashText() + ", recorded " +
          TRaceTrace::HashHex(Replay.RaceHash) + ")");
    if (Console)
        Console->AddLine(
            Win1251(Same ? "Повтор окончен: гонка та же" : "Повтор окончен: гонка другая"));
}
