#include "engine/sdl/RandomPad.h"

#include "engine/Engine.h"

#include <cerrno>
#include <cstdlib>
#include <string>

namespace {

constexpr const char* SEED_VARIABLE = "MARVOLIN_RANDOM_PAD";

// A trigger's raw axis runs from SDL_JOYSTICK_AXIS_MIN (let go) to SDL_JOYSTICK_AXIS_MAX.
// Start pauses the race and resumes it from the menu's first page: pressed as often as the
// other buttons, it would leave the race hardly a moment to run.
constexpr double BUTTON_HELD_SHARE = 0.25;
constexpr double START_HELD_SHARE = 0.03;

bool IsTrigger(int Axis) {
    return Axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT || Axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT;
}

} // namespace

std::optional<uint32_t> TRandomPad::SeedFromEnvironment() {
    const char* Text = std::getenv(SEED_VARIABLE);
    if (!Text || !*Text) return std::nullopt;
    char* End = nullptr;
    errno = 0;
    const unsigned long long Seed = std::strtoull(Text, &End, 10);
    if (errno != 0 || *End != '\0' || Seed > UINT32_MAX) {
        exLog(std::string("gamepad: ") + SEED_VARIABLE + "=" + Text +
              " is no seed (a whole number up to 4294967295); no random pad");
        return std::nullopt;
    }
    return uint32_t(Seed);
}

bool TRandomPad::Start(uint32_t Seed) {
    Random.seed(Seed);
    Running = true;
    Plug();
    if (!Joystick) {
        Running = false;
        return false;
    }
    exLog("gamepad: a random pad is plugged in (seed " + std::to_string(Seed) + ", " +
          SEED_VARIABLE + ")");
    return true;
}

void TRandomPad::Plug() {
    Index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                      SDL_CONTROLLER_BUTTON_MAX, 0);
    Joystick = Index >= 0 ? SDL_JoystickOpen(Index) : nullptr;
    if (!Joystick) {
        exLog(std::string("gamepad: no random pad: ") + SDL_GetError());
        if (Index >= 0) SDL_JoystickDetachVirtual(Index);
        Index = -1;
        return;
    }
    for (int Axis = 0; Axis < SDL_CONTROLLER_AXIS_MAX; ++Axis)
        SDL_JoystickSetVirtualAxis(Joystick, Axis, IsTrigger(Axis) ? SDL_JOYSTICK_AXIS_MIN : 0);
}

void TRandomPad::Unplug() {
    if (!Joystick) return;
    SDL_JoystickClose(Joystick);
    SDL_JoystickDetachVirtual(Index);
    Joystick = nullptr;
    Index = -1;
}

void TRandomPad::Step(double NowMs, bool MenuHasInput) {
    if (!Running) return;
    if (NowMs < NextChangeMs) {
        if (MenuHasInput && Joystick) RestMenuControls();
        return;
    }
    NextChangeMs = NowMs + STATE_HELD_MS;
    if (std::uniform_int_distribution<int>(1, PLUG_CHANGE_ONE_IN)(Random) == 1) {
        if (Joystick)
            Unplug();
        else
            Plug();
    }
    if (Joystick) Randomize(MenuHasInput);
}

void TRandomPad::Randomize(bool MenuHasInput) {
    // Mostly at rest or all the way over, as a player's thumbs are.
    std::uniform_int_distribution<int> Position(0, 3);
    for (int Axis = 0; Axis < SDL_CONTROLLER_AXIS_MAX; ++Axis) {
        Sint16 Value = 0;
        switch (Position(Random)) {
        case 0:
            Value = SDL_JOYSTICK_AXIS_MIN;
            break;
        case 1:
            Value = SDL_JOYSTICK_AXIS_MAX;
            break;
        case 2:
            Value = Sint16(std::uniform_int_distribution<int>(SDL_JOYSTICK_AXIS_MIN,
                                                              SDL_JOYSTICK_AXIS_MAX)(Random));
            break;
        default:
            Value = IsTrigger(Axis) ? SDL_JOYSTICK_AXIS_MIN : 0;
            break;
        }
        SDL_JoystickSetVirtualAxis(Joystick, Axis, Value);
    }
    std::bernoulli_distribution Held(BUTTON_HELD_SHARE), StartHeld(START_HELD_SHARE);
    for (int Button = 0; Button < SDL_CONTROLLER_BUTTON_MAX; ++Button) {
        const bool Down = Button == SDL_CONTROLLER_BUTTON_START ? StartHeld(Random) : Held(Random);
        SDL_JoystickSetVirtualButton(Joystick, Button, Down ? SDL_PRESSED : SDL_RELEASED);
    }
    if (MenuHasInput) RestMenuControls();
}

void TRandomPad::RestMenuControls() {
    SDL_JoystickSetVirtualAxis(Joystick, SDL_CONTROLLER_AXIS_LEFTX, 0);
    SDL_JoystickSetVirtualAxis(Joystick, SDL_CONTROLLER_AXIS_LEFTY, 0);
    for (const int Button :
         {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_DOWN,
          SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_DPAD_RIGHT})
        SDL_JoystickSetVirtualButton(Joystick, Button, SDL_RELEASED);
}
