#include "engine/sdl/Gamepad.h"

#include "engine/Engine.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr double STICK_FULL = 32767;

// How far past the dead zone one stick axis is, from -1 to 1.
double BeyondDeadZone(Sint16 Axis) {
    const double Magnitude = std::abs(double(Axis));
    if (Magnitude <= PAD_STICK_DEAD_ZONE) return 0;
    const double Share =
        std::min(1.0, (Magnitude - PAD_STICK_DEAD_ZONE) / (STICK_FULL - PAD_STICK_DEAD_ZONE));
    return Axis < 0 ? -Share : Share;
}

bool Pressed(const TPadState& Pad, SDL_GameControllerButton Button) {
    return Pad.Buttons[Button];
}

bool Pulled(const TPadState& Pad, SDL_GameControllerAxis Trigger) {
    return Pad.Axes[Trigger] > PAD_TRIGGER_THRESHOLD;
}

std::string NameOf(SDL_GameController* Controller) {
    const char* Name = SDL_GameControllerName(Controller);
    return Name ? Name : "(no name)";
}

} // namespace

bool PadHoldsKey(const TPadState& Pad, int Key) {
    const Sint16 StickX = Pad.Axes[SDL_CONTROLLER_AXIS_LEFTX];
    switch (Key) {
    case 'A':
        return StickX < -PAD_STICK_DEAD_ZONE || Pressed(Pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    case 'D':
        return StickX > PAD_STICK_DEAD_ZONE || Pressed(Pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    case 'W':
        return Pulled(Pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) ||
               Pressed(Pad, SDL_CONTROLLER_BUTTON_A);
    case 'S':
        return Pulled(Pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT) ||
               Pressed(Pad, SDL_CONTROLLER_BUTTON_B);
    case VK_SPACE:
        return Pressed(Pad, SDL_CONTROLLER_BUTTON_X) ||
               Pressed(Pad, SDL_CONTROLLER_BUTTON_LEFTSHOULDER) ||
               Pressed(Pad, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
    default:
        return false;
    }
}

void PadCursorVelocity(const TPadState& Pad, double& X, double& Y) {
    X = BeyondDeadZone(Pad.Axes[SDL_CONTROLLER_AXIS_LEFTX]);
    Y = BeyondDeadZone(Pad.Axes[SDL_CONTROLLER_AXIS_LEFTY]);
    if (Pressed(Pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT)) X = -1;
    if (Pressed(Pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) X = 1;
    if (Pressed(Pad, SDL_CONTROLLER_BUTTON_DPAD_UP)) Y = -1;
    if (Pressed(Pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN)) Y = 1;
    X *= PAD_CURSOR_SPEED_PX_PER_S;
    Y *= PAD_CURSOR_SPEED_PX_PER_S;
}

void TGamepad::HandleDeviceEvent(const SDL_Event& Event) {
    if (Event.type == SDL_CONTROLLERDEVICEADDED) {
        OpenFirst();
    } else if (Event.type == SDL_CONTROLLERDEVICEREMOVED && Owns(Event.cdevice.which)) {
        exLog("gamepad: " + NameOf(Controller) + " disconnected");
        Close();
        OpenFirst();
    }
}

void TGamepad::OpenFirst() {
    if (Controller) return;
    for (int Index = 0; Index < SDL_NumJoysticks(); ++Index) {
        if (!SDL_IsGameController(Index)) continue;
        Controller = SDL_GameControllerOpen(Index);
        if (!Controller) {
            exLog(std::string("gamepad: cannot open one: ") + SDL_GetError());
            continue;
        }
        Instance = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(Controller));
        exLog("gamepad: " + NameOf(Controller) + " drives");
        return;
    }
}

void TGamepad::Close() {
    if (Controller) SDL_GameControllerClose(Controller);
    Controller = nullptr;
    Instance = -1;
}

TPadState TGamepad::Read() const {
    TPadState Pad;
    if (!Controller) return Pad;
    for (int Axis = 0; Axis < SDL_CONTROLLER_AXIS_MAX; ++Axis)
        Pad.Axes[Axis] = SDL_GameControllerGetAxis(Controller, SDL_GameControllerAxis(Axis));
    for (int Button = 0; Button < SDL_CONTROLLER_BUTTON_MAX; ++Button)
        Pad.Buttons[Button] =
            SDL_GameControllerGetButton(Controller, SDL_GameControllerButton(Button)) != 0;
    return Pad;
}
