#pragma once
// A gamepad nobody holds, for unattended stress runs of the game: SDL's virtual joystick plugged
// in as a game controller, its sticks, triggers and buttons pushed to random states every so often,
// and now and then pulled out and plugged in again. The environment variable MARVOLIN_RANDOM_PAD
// (a seed, a whole number) turns it on; a player never sets it.
//
// The pad leaves the menu alone: while the menu has the input, its stick, d-pad and A button rest,
// so that it never clicks a menu button (Quit among them) on its own. Start, which pauses and
// resumes the race, is pressed anywhere.

#include <SDL.h>

#include <cstdint>
#include <optional>
#include <random>

class TRandomPad {
public:
    // The seed the environment asks for, if any (logged as refused when it is not a number).
    static std::optional<uint32_t> SeedFromEnvironment();

    TRandomPad() = default;
    ~TRandomPad() { Unplug(); }
    TRandomPad(const TRandomPad&) = delete;
    TRandomPad& operator=(const TRandomPad&) = delete;

    // Plugs the pad in (SDL's game-controller support must be running); false, logged, when SDL
    // has no virtual joysticks.
    bool Start(uint32_t Seed);
    // Pulls the pad out for good.
    void Unplug();
    // Before the events are read: a new random state when one is due, the pad pulled out or
    // plugged in again now and then. NowMs: the engine's clock.
    void Step(double NowMs, bool MenuHasInput);

    // How long a random state of the pad is held, ms of the engine's clock.
    static constexpr double STATE_HELD_MS = 150;
    // One state change in this many pulls the pad out, or plugs it in again.
    static constexpr int PLUG_CHANGE_ONE_IN = 60;

private:
    void Plug();
    void Randomize(bool MenuHasInput);
    void RestMenuControls();

    bool Running = false;
    int Index = -1;
    SDL_Joystick* Joystick = nullptr;
    std::mt19937 Random;
    double NextChangeMs = 0;
};
