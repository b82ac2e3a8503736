#pragma once
// A replay played back in the running game: the race manager loads the recorded level as in live
// play, and every update of the race then sees the recorded engine time and driving commands
// instead of the clock and the keyboard (or pad). Everything else stays live: the camera follows
// the player's car, Escape pauses, the console works. The race shows at the pace it was driven,
// one recorded update per update of the game; at the end the race stands still and the log says
// whether its hash equals the recorded one.

#include "app/RaceTrace.h"
#include "app/Replay.h"
#include "engine/Engine.h"

#include <optional>

class TReplayPlayer {
public:
    // Real: the running engine, whose services the game keeps using but for the clock and the
    // driving keys. The replay's map must have been checked (CheckReplayMap).
    TReplayPlayer(TEngine& Real, TReplay Replay);
    TReplayPlayer(const TReplayPlayer&) = delete;
    TReplayPlayer& operator=(const TReplayPlayer&) = delete;

    // The engine the game is to use (UseEngine) while the player lives.
    TEngine* Engine() { return &Wrapped; }
    // Loads the recorded level with the recorded car at the recorded time; false (logged) when
    // the race manager refuses it.
    bool Start();
    // Before one update of the race: its recorded time and keys take over; false when the replay
    // has no update left (the race then stands still).
    bool BeforeUpdate();
    void AfterUpdate();

    bool Ended() const { return Finished; }
    bool Matched() const { return Finished && Trace->Hash() == Replay.RaceHash; }

private:
    class TReplayInput final : public TInput {
    public:
        void Switch(bool On) override { Real->Switch(On); }
        bool Down(int Key) override;
        int LastKey() override { return Real->LastKey(); }
        int LastChar() override { return Real->LastChar(); }
        int Wheel() override { return Real->Wheel(); }
        void CursorPos(int& X, int& Y) override { Real->CursorPos(X, Y); }
        void SetFocus(TInputFocus Focus) override { Real->SetFocus(Focus); }
        TInput* Real = nullptr;
        uint8_t Keys = 0;
        bool Driving = true; // the replay's keys answer for the driving keys
    };
    class TReplayEngine final : public TEngine {
    public:
        void SetCallback(int Kind, TProc Proc) override { Real->SetCallback(Kind, Proc); }
        void Run(int UpdatesPerSecond) override { Real->Run(UpdatesPerSecond); }
        int Time() override;
        void Quit() override { Real->Quit(); }
        TSetup* Setup() override { return Real->Setup(); }
        TWindow* Window() override { return Real->Window(); }
        TRender* Render() override { return Real->Render(); }
        TInput* Input() override { return &ReplayInput; }
        TTextures* Textures() override { return Real->Textures(); }
        TShaders* Shaders() override { return Real->Shaders(); }
        TSounds* Sounds() override { return Real->Sounds(); }
        TEngine* Real = nullptr;
        TReplayInput ReplayInput;
        // The recorded time of the latest replayed update, and the real time it was run at:
        // between updates the clock runs on from there at the real pace.
        int32_t ReplayMs = 0;
        int32_t RealMs = 0;
        bool InUpdate = false;
    };

    void Conclude();

    TReplay Replay;
    TReplayCursor Cursor{Replay};
    TReplayEngine Wrapped;
    std::optional<TRaceTrace> Trace;
    bool Finished = false;
};
