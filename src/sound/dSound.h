#pragma once
// What the game sounds like. Once per update, after the race and the menu have moved, the game's
// sounds listen to the race manager, the menu and the console and play what happened through the
// engine's sound service (the global Sounds); nothing here reaches back into the race.
//
// The race: every car's engine, its pitch and loudness rising with the car's speed; its tyres
// while it slides sideways or the handbrake is held; a bump when a road edge or another car pushes
// it, louder for a harder push. Every car is quieter the further it is from the car the camera
// follows, and sounds left or right of it as the screen shows it. The countdown's three beeps, the
// start tone, a chime when the player begins a new lap, the jingle of the result page. While the
// race is paused behind the menu its voices pause; the menu's clicks and the console's swish sound
// whatever the race does.

#include "models/Assets.h"

#include <cstdint>
#include <vector>

class TBasicCar;

class TGameSounds {
public:
    TGameSounds();  // loads every sound of the asset table
    ~TGameSounds(); // stops every voice it started
    TGameSounds(const TGameSounds&) = delete;
    TGameSounds& operator=(const TGameSounds&) = delete;

    void Update();

    // The engine's pitch for the car as it is: from ENGINE_IDLE_PITCH at rest to ENGINE_TOP_PITCH
    // at its top speed, times its model's own pitch.
    static float EnginePitch(const TBasicCar& Car);
    // How far sideways the car moved in its latest update, world units.
    static float SidewaysSlip(const TBasicCar& Car);

    static constexpr double ENGINE_IDLE_PITCH = 0.75;
    static constexpr double ENGINE_TOP_PITCH = 2.6;
    // Each car model's engine, a little higher or lower than the others.
    static constexpr double MODEL_PITCH[CAR_MODEL_COUNT] = {1.0, 1.08, 0.93, 0.82, 1.14, 1.22};

    // Loudness of a car's engine at rest and at top speed, next to the listener.
    static constexpr double ENGINE_IDLE_GAIN = 0.25;
    static constexpr double ENGINE_TOP_GAIN = 0.5;
    // A car this far from the listener is heard at half its loudness, world units.
    static constexpr double HALF_LOUDNESS_DISTANCE = 400;
    // A car this far to the side of the listener on the screen sounds from one speaker only.
    static constexpr double FULL_PAN_DISTANCE = 600; // world units
    static constexpr double PAN_SHARE = 0.8;         // of the way to one speaker at most

    // Tyres squeal from this much sideways slip per update on, fully from the next (world units).
    static constexpr double SLIP_QUIET = 2.5;
    static constexpr double SLIP_LOUD = 5;
    // The handbrake squeals fully from this speed on (world units per update).
    static constexpr double HANDBRAKE_LOUD_SPEED = 6;
    static constexpr double TYRES_GAIN = 0.3;
    // Each update a squeal keeps this share of its loudness when nothing keeps it up.
    static constexpr double TYRES_FADE_PER_UPDATE = 0.8;

    // A push of a mass moving it this far is heard (world units); one this far is heard fully.
    static constexpr double BUMP_MIN_PUSH = 0.5;
    static constexpr double BUMP_FULL_PUSH = 6;
    static constexpr double BUMP_GAIN = 0.7;
    static constexpr int BUMP_GAP_UPDATES = 5; // a car's next bump comes this many updates later
    static constexpr double BUMP_HARDER_SHARE = 1.5; // ...unless its push is this much harder

    static constexpr double SIGNAL_GAIN = 0.7; // beeps, the start tone, the chime, the jingle
    static constexpr double CLICK_GAIN = 0.6;
    static constexpr double CONSOLE_GAIN = 0.5;
    static constexpr double CONSOLE_OPEN_PITCH = 1.1; // the swish rises as the console opens...
    static constexpr double CONSOLE_SHUT_PITCH = 0.8; // ...and falls as it shuts

private:
    struct TCarVoices {
        int Engine = 0;
        int Tyres = 0;
        float TyresLevel = 0;   // 0 ... 1
        int64_t QuietUntil = 0; // the update from which it may bump again
        float BumpPush = 0;     // the push of its latest bump, world units
    };

    void ListenToMenuAndConsole();
    void ListenToRace();
    void ListenToCar(size_t Index, const TBasicCar& Car, const TBasicCar& Listener);
    // Starts a race sound of the asset table that ends by itself (paused with the race).
    void PlayRaceSound(int Sound, double Gain, double Pitch, float Pan);
    void PauseRace(bool Paused);
    // Starts the looping voice of the asset table's sound if it is not going, else changes it.
    void KeepLooping(int& Voice, int Sound, float Gain, float Pitch, float Pan);

    int Handles[SOUND_COUNT] = {}; // by the asset table's sound index
    std::vector<TCarVoices> Cars;
    std::vector<int> RaceVoices; // the short race sounds that may still be going
    int64_t Updates = 0;
    bool RacePaused = false;
    bool SeenStarted = false;
    int32_t SeenTick = INT32_MIN; // the race manager's LastTick at the previous update
    int32_t SeenState = 0;
    int32_t BestLap = 0; // the most laps the player has begun in this race
    int32_t SeenConsole = 0;
    int32_t SeenPresses = 0;
};
