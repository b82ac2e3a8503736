#pragma once
// The main menu: a main page with four picture buttons, a car choice with a turning preview, a map
// choice, an about page and the one-button page over a finished race. Driven by the mouse; Escape
// walks back through the pages and pauses or resumes a race.

#include "math/dMath.h"
#include "models/Assets.h"

#include <cstdint>
#include <span>

struct TButtonImages {
    int Normal = 0;
    int Over = 0;
};

struct TButtonRect {
    TVec3 Center;
    int32_t Width = 0;
    int32_t Height = 0;
};

constexpr int32_t PAGE_MAIN = 0;
constexpr int32_t PAGE_CAR = 1;
constexpr int32_t PAGE_MAP = 2;
constexpr int32_t PAGE_ABOUT = 3;
constexpr int32_t PAGE_RACE = 4;

// The buttons, by their index into TMenu's Images, Buttons and Actions.
constexpr int BUTTON_NEW_GAME = 0;
constexpr int BUTTON_CONTINUE = 1;
constexpr int BUTTON_ABOUT = 2;
constexpr int BUTTON_QUIT = 3;
constexpr int BUTTON_LEFT = 4; // the arrows and the next button of the car and map choices
constexpr int BUTTON_RIGHT = 5;
constexpr int BUTTON_NEXT = 6;
constexpr int BUTTON_RACE_NEXT = 7; // the race page's one button

// The buttons a page shows and answers to, in the order they are drawn and tested.
std::span<const int> PageButtons(int32_t Page);

class TMenu {
public:
    static constexpr int BUTTON_COUNT = 8;
    static constexpr int CAR_CHOICES = CAR_MODEL_COUNT;
    static constexpr int MAP_CHOICES = 11;

    TButtonImages Images[BUTTON_COUNT];
    int32_t Page = PAGE_MAIN;
    int32_t ButtonCount = BUTTON_COUNT;
    TButtonRect Buttons[BUTTON_COUNT];
    void (*Actions[BUTTON_COUNT])() = {};
    float CarSpin = 90;
    int CursorTexture = 0;
    int32_t SelectedCar = 0;
    int32_t SelectedMap = 1;
    int32_t ButtonPresses = 0; // buttons pressed so far, kept for the sound to hear

    TMenu();
    ~TMenu();
    void Update();
    void Draw(); // frontend/dMenuDraw.cpp; DrawAt with the mouse where it is
    void DrawAt(const TVec3& Mouse);
    void EscapePressed();
    void DrawButton(int Texture, const TVec3& Center, int32_t Width, int32_t Height, bool Mirror);
    static bool InButton(const TButtonRect& Rect, const TVec3& Point);
};

void NewGameClick();
void ContinueClick();
void AboutClick();
void QuitClick();
void ArrowLeftClick();
void ArrowRightClick();
void NextClick();
