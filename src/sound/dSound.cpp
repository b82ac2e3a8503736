#include "sound/dSound.h"

#include "app/variables.h"
#include "cars/dCars.h"
#include "cars/dRace.h"
#include "console/dConsole.h"
#include "frontend/dMenu.h"
#include "world/dCamera.h"

#include <algorithm>
#include <cmath>

namespace {

double Clamp01(double V) {
    return std::clamp(V, 0.0, 1.0);
}

// How much of its top speed the car drives at, 0 ... 1.
double SpeedShare(const TBasicCar& Car) {
    return Car.MaxSpeed > 0 ? Clamp01(double(Car.Speed) / Car.MaxSpeed) : 0.0;
}

} // namespace

TGameSounds::TGameSounds() {
    if (!Sounds) return;
    for (int I = 0; I < SOUND_COUNT; ++I)
        Handles[I] = Sounds->Load(SOUND_ASSETS[I]);
}

TGameSounds::~TGameSounds() {
    if (!Sounds) return;
    for (const TCarVoices& C : Cars) {
        Sounds->Stop(C.Engine);
        Sounds->Stop(C.Tyres);
    }
    for (const int Voice : RaceVoices)
        Sounds->Stop(Voice);
}

float TGameSounds::EnginePitch(const TBasicCar& Car) {
    const double Model =
        Car.Model >= 0 && Car.Model < CAR_MODEL_COUNT ? MODEL_PITCH[Car.Model] : 1.0;
    return float(Model *
                 (ENGINE_IDLE_PITCH + (ENGINE_TOP_PITCH - ENGINE_IDLE_PITCH) * SpeedShare(Car)));
}

float TGameSounds::SidewaysSlip(const TBasicCar& Car) {
    const double Dx = double(Car.Pos.x) - Car.PrevPos.x, Dy = double(Car.Pos.y) - Car.PrevPos.y;
    return float(std::fabs(Dx * Car.Dir.y - Dy * Car.Dir.x));
}

void TGameSounds::Update() {
    if (!Sounds) return;
    ++Updates;
    ListenToMenuAndConsole();
    ListenToRace();
}

void TGameSounds::ListenToMenuAndConsole() {
    if (Menu && Menu->ButtonPresses != SeenPresses) {
        SeenPresses = Menu->ButtonPresses;
        Sounds->Play(Handles[SOUND_CLICK], {float(CLICK_GAIN), 1, 0}, false);
    }
    if (Console && Console->State != SeenConsole) {
        SeenConsole = Console->State;
        if (SeenConsole == csOpening || SeenConsole == csClosing) {
            const double Pitch = SeenConsole == csOpening ? CONSOLE_OPEN_PITCH : CONSOLE_SHUT_PITCH;
            Sounds->Play(Handles[SOUND_CONSOLE], {float(CONSOLE_GAIN), float(Pitch), 0}, false);
        }
    }
}

void TGameSounds::ListenToRace() {
    if (!GameManager || GameManager->CarCount <= 0 || GameManager->Cars.empty()) return;
    const TRace& Race = *GameManager;
    PauseRace(Race.State == STATE_MENU);
    if (RacePaused) return;

    // The race manager moves LastTick on each step of the countdown and when it loads a level.
    if (Race.LastTick != SeenTick) {
        SeenTick = Race.LastTick;
        if (!Race.Started && Race.Countdown > 0) PlayRaceSound(SOUND_BEEP, SIGNAL_GAIN, 1, 0);
    }
    if (Race.Started && !SeenStarted) PlayRaceSound(SOUND_START, SIGNAL_GAIN, 1, 0);
    SeenStarted = Race.Started;

    // Nobody moves before the start: the laps on the grid are none begun.
    const TBasicCar& Player = *Race.Cars[0];
    if (!Race.Started) BestLap = Player.Laps;
    if (Player.Laps > BestLap) {
        BestLap = Player.Laps;
        if (BestLap < Race.LapCount) PlayRaceSound(SOUND_LAP, SIGNAL_GAIN, 1, 0);
    }
    // The result page's jingle belongs to the page: nothing pauses it.
    if (Race.State == STATE_FINISHED && SeenState != STATE_FINISHED)
        Sounds->Play(Handles[SOUND_FINISH], {float(SIGNAL_GAIN), 1, 0}, false);
    SeenState = Race.State;

    const size_t Count = std::min(size_t(Race.CarCount), Race.Cars.size());
    const TBasicCar& Listener =
        Camera && Camera->Target && *Camera->Target ? **Camera->Target : Player;
    Cars.resize(std::max(Cars.size(), Count));
    for (size_t I = 0; I < Count; ++I)
        ListenToCar(I, *Race.Cars[I], Listener);
    std::erase_if(RaceVoices, [](int Voice) { return !Sounds->Playing(Voice); });
}

void TGameSounds::ListenToCar(size_t Index, const TBasicCar& Car, const TBasicCar& Listener) {
    TCarVoices& V = Cars[Index];
    const double Dx = double(Car.Pos.x) - Listener.Pos.x, Dy = double(Car.Pos.y) - Listener.Pos.y;
    const double Near = HALF_LOUDNESS_DISTANCE / (HALF_LOUDNESS_DISTANCE + std::hypot(Dx, Dy));
    // World x runs to the right of the screen.
    const float Pan = float(PAN_SHARE * std::clamp(Dx / FULL_PAN_DISTANCE, -1.0, 1.0));
    const double Speed = SpeedShare(Car);

    const double Engine = ENGINE_IDLE_GAIN + (ENGINE_TOP_GAIN - ENGINE_IDLE_GAIN) * Speed;
    KeepLooping(V.Engine, SOUND_ENGINE, float(Engine * Near), EnginePitch(Car), Pan);

    const double Slip = (SidewaysSlip(Car) - SLIP_QUIET) / (SLIP_LOUD - SLIP_QUIET);
    const double Brake = Car.Braked ? double(Car.Speed) / HANDBRAKE_LOUD_SPEED : 0.0;
    V.TyresLevel =
        float(std::max({Clamp01(Slip), Clamp01(Brake), V.TyresLevel * TYRES_FADE_PER_UPDATE}));
    KeepLooping(V.Tyres, SOUND_TYRES, float(TYRES_GAIN * V.TyresLevel * Near),
                float(0.9 + 0.2 * Speed), Pan);

    // A hit often grazes in one update and strikes in the next: a push much harder than the
    // latest bump's is heard even within the gap.
    const bool Harder = Car.HardestPush > BUMP_HARDER_SHARE * V.BumpPush;
    if (Car.HardestPush >= BUMP_MIN_PUSH && (Updates >= V.QuietUntil || Harder)) {
        V.QuietUntil = Updates + BUMP_GAP_UPDATES;
        V.BumpPush = Car.HardestPush;
        const double Hard = Clamp01(double(Car.HardestPush) / BUMP_FULL_PUSH);
        // A harder push sounds deeper as well as louder.
        PlayRaceSound(SOUND_BUMP, BUMP_GAIN * (0.2 + 0.8 * Hard) * Near, 1.15 - 0.3 * Hard, Pan);
    }
}

void TGameSounds::KeepLooping(int& Voice, int Sound, float Gain, float Pitch, float Pan) {
    const TVoiceSettings Settings{Gain, Pitch, Pan};
    if (Sounds->Playing(Voice))
        Sounds->Set(Voice, Settings);
    else
        Voice = Sounds->Play(Handles[Sound], Settings, true);
}

void TGameSounds::PlayRaceSound(int Sound, double Gain, double Pitch, float Pan) {
    const TVoiceSettings Settings{float(Gain), float(Pitch), Pan};
    if (const int Voice = Sounds->Play(Handles[Sound], Settings, false))
        RaceVoices.push_back(Voice);
}

void TGameSounds::PauseRace(bool Paused) {
    if (Paused == RacePaused) return;
    RacePaused = Paused;
    for (const TCarVoices& C : Cars) {
        Sounds->Pause(C.Engine, Paused);
        Sounds->Pause(C.Tyres, Paused);
    }
    for (const int Voice : RaceVoices)
        Sounds->Pause(Voice, Paused);
}
