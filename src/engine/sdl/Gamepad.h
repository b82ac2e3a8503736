#pragma once
// The gamepad that drives: SDL's game-controller view of the first pad connected (SDL's own
// mapping database, and SDL_GAMECONTROLLERCONFIG for pads it lacks), and what its sticks,
// triggers and buttons stand for.

#include <SDL.h>

// One moment of a pad, as SDL reads it: sticks -32768 to 32767, triggers 0 to 32767, indexed by
// SDL_GameControllerAxis and SDL_GameControllerButton. All zero is a pad at rest, or no pad.
struct TPadState {
    Sint16 Axes[SDL_CONTROLLER_AXIS_MAX] = {};
    bool Buttons[SDL_CONTROLLER_BUTTON_MAX] = {};
};

// A stick at rest seldom reads 0: deflection up to this is no command.
constexpr int PAD_STICK_DEAD_ZONE = 8000;
// A trigger pulled beyond this holds its command.
constexpr int PAD_TRIGGER_THRESHOLD = 8000;
// The menu cursor's speed with the stick all the way over or the d-pad held, game pixels per
// second.
constexpr double PAD_CURSOR_SPEED_PX_PER_S = 700;

// Whether the pad holds the driving key (W A S D or VK_SPACE): the left stick beyond the dead
// zone or the d-pad steers (A / D), the right trigger or A accelerates (W), the left trigger or B
// reverses (S), X or either shoulder button is the handbrake (Space). Only the stick's direction
// counts: the cars steer in their own fixed steps however far it is pushed.
bool PadHoldsKey(const TPadState& Pad, int Key);

// The menu cursor's velocity, game pixels per second, y downward: the left stick beyond the dead
// zone in proportion to how far it is pushed past it, or the d-pad at full speed.
void PadCursorVelocity(const TPadState& Pad, double& X, double& Y);

class TGamepad {
public:
    TGamepad() = default;
    ~TGamepad() { Close(); }
    TGamepad(const TGamepad&) = delete;
    TGamepad& operator=(const TGamepad&) = delete;

    // Keeps the first pad connected: opens one when none is open (a pad that comes, or the first
    // one found), lets go of it when it goes and takes the next one still connected. Handles
    // SDL_CONTROLLERDEVICEADDED and SDL_CONTROLLERDEVICEREMOVED; other events are ignored.
    void HandleDeviceEvent(const SDL_Event& Event);
    // Opens the first game controller connected when none is open.
    void OpenFirst();
    void Close();
    // Whether a controller event (its `which`) comes from the pad that drives.
    bool Owns(SDL_JoystickID Which) const { return Controller && Which == Instance; }
    // The pad as it is now; at rest when none is open.
    TPadState Read() const;

private:
    SDL_GameController* Controller = nullptr;
    SDL_JoystickID Instance = -1;
};
