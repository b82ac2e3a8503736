#include "frontend/dMenu.h"

#include "app/variables.h"
#include "cars/dCars.h"
#include "cars/dRace.h"
#include "engine/Files.h"

#include <iterator>
#include <string>

namespace {

const std::string BUTTON_FOLDER = "data\\textures\\buttons\\";
const std::string CURSOR_FILE = "data\\textures\\cursor.tga";

int LoadPicture(const std::string& FileName) {
    return Textures->Load(FileName, 0, 1, 0);
}

// The first and the last choice of the car and the map; the arrows wrap around.
constexpr int32_t FIRST_CAR = 0;
constexpr int32_t LAST_CAR = TMenu::CAR_CHOICES - 1;
constexpr int32_t FIRST_MAP = 1;
constexpr int32_t LAST_MAP = TMenu::MAP_CHOICES;

constexpr int32_t LAST_PLACE_TO_GO_ON = 2; // finishing first or second opens the next level
constexpr int32_t FIRST_LEVEL = 1;

constexpr int MAIN_BUTTONS[] = {BUTTON_NEW_GAME, BUTTON_CONTINUE, BUTTON_ABOUT, BUTTON_QUIT};
constexpr int CHOICE_BUTTONS[] = {BUTTON_LEFT, BUTTON_RIGHT, BUTTON_NEXT};
constexpr int RACE_BUTTONS[] = {BUTTON_RACE_NEXT};

std::string LevelName(int32_t Number) {
    return "map" + std::to_string(Number);
}

void ResumeRace() {
    GameManager->State = STATE_RACING;
    Menu->Page = PAGE_RACE;
    GameManager->ResumedAt(Engine->Time());
}

} // namespace

std::span<const int> PageButtons(int32_t Page) {
    switch (Page) {
    case PAGE_MAIN:
        return MAIN_BUTTONS;
    case PAGE_CAR:
    case PAGE_MAP:
        return CHOICE_BUTTONS;
    case PAGE_RACE:
        return RACE_BUTTONS;
    default: // the about page: only Escape leaves it
        return {};
    }
}

TMenu::TMenu() {
    // Each picture once, in this order; the two arrows and the two next buttons share theirs.
    const char* const Pairs[][2] = {
        {"newgame.jpg", "newgameover.jpg"}, {"continue.jpg", "continueover.jpg"},
        {"about.jpg", "aboutover.jpg"},     {"quit.jpg", "quitover.jpg"},
        {"arr1.jpg", "arr2.jpg"},           {"next.jpg", "nextover.jpg"}};
    TButtonImages Loaded[6];
    for (int I = 0; I < 6; ++I) {
        Loaded[I].Normal = LoadPicture(BUTTON_FOLDER + Pairs[I][0]);
        Loaded[I].Over = LoadPicture(BUTTON_FOLDER + Pairs[I][1]);
    }
    CursorTexture = LoadPicture(CURSOR_FILE);
    for (int I = BUTTON_NEW_GAME; I <= BUTTON_QUIT; ++I)
        Images[I] = Loaded[I];
    Images[BUTTON_LEFT] = Images[BUTTON_RIGHT] = Loaded[4];
    Images[BUTTON_NEXT] = Images[BUTTON_RACE_NEXT] = Loaded[5];

    struct TButtonDef {
        float X, Y;
        int32_t Width, Height;
        void (*Action)();
    };
    const TButtonDef Defs[BUTTON_COUNT] = {
        {100, 400, 128, 32, NewGameClick},  {100, 450, 128, 32, ContinueClick},
        {100, 500, 128, 32, AboutClick},    {100, 550, 128, 32, QuitClick},
        {375, 650, 64, 64, ArrowLeftClick}, {675, 650, 64, 64, ArrowRightClick},
        {525, 650, 128, 32, NextClick},     {525, 450, 128, 32, NextClick}};
    for (int I = 0; I < BUTTON_COUNT; ++I) {
        Buttons[I].Center = Vec3(Defs[I].X, Defs[I].Y, 0);
        Buttons[I].Width = Defs[I].Width;
        Buttons[I].Height = Defs[I].Height;
        Actions[I] = Defs[I].Action;
    }
}

TMenu::~TMenu() = default; // the pictures stay with the engine

bool TMenu::InButton(const TButtonRect& Rect, const TVec3& Point) {
    const double HalfW = Rect.Width / 2.0;
    const double HalfH = Rect.Height / 2.0;
    // Strict on every side: a point on the border is outside.
    return double(Rect.Center.x) - HalfW < Point.x && Point.x < double(Rect.Center.x) + HalfW &&
           double(Rect.Center.y) - HalfH < Point.y && Point.y < double(Rect.Center.y) + HalfH;
}

void TMenu::Update() {
    int X = 0, Y = 0;
    Input->CursorPos(X, Y);
    const TVec3 Mouse = Vec3(float(X), float(Y), 0);
    if (Page == PAGE_CAR) CarSpin = float(double(CarSpin) + 1.0); // one degree per update
    // Every button of the page is tested with the same point, also after a hit (an action may
    // change the page: the buttons tested stay the page's that the update began on).
    for (const int B : PageButtons(Page))
        if (Input->LastKey() == VK_MOUSE_LEFT && InButton(Buttons[B], Mouse)) {
            Actions[B]();
            ++ButtonPresses;
        }
}

void TMenu::EscapePressed() {
    switch (GameManager->State) {
    case STATE_RACING: // pause the race behind the main page
        GameManager->State = STATE_MENU;
        Page = PAGE_MAIN;
        break;
    case STATE_MENU:
        if (Page == PAGE_ABOUT)
            Page = PAGE_MAIN;
        else if (Page == PAGE_CAR || Page == PAGE_MAP)
            --Page;
        else if (Page == PAGE_MAIN && GameManager->CarCount > 0)
            ContinueClick();
        break;
    default: // the result is shown: only the next button leaves it
        break;
    }
}

void NewGameClick() {
    Menu->Page = PAGE_CAR;
}

void AboutClick() {
    Menu->Page = PAGE_ABOUT;
}

void QuitClick() {
    Engine->Quit();
}

void ContinueClick() {
    if (GameManager->CarCount <= 0) return; // no race loaded yet
    if (GameManager->RaceOver)
        GameManager->State = STATE_FINISHED;
    else
        ResumeRace();
}

void ArrowLeftClick() {
    if (Menu->Page == PAGE_CAR)
        Menu->SelectedCar = Menu->SelectedCar <= FIRST_CAR ? LAST_CAR : Menu->SelectedCar - 1;
    else if (Menu->Page == PAGE_MAP)
        Menu->SelectedMap = Menu->SelectedMap <= FIRST_MAP ? LAST_MAP : Menu->SelectedMap - 1;
}

void ArrowRightClick() {
    if (Menu->Page == PAGE_CAR)
        Menu->SelectedCar = Menu->SelectedCar >= LAST_CAR ? FIRST_CAR : Menu->SelectedCar + 1;
    else if (Menu->Page == PAGE_MAP)
        Menu->SelectedMap = Menu->SelectedMap >= LAST_MAP ? FIRST_MAP : Menu->SelectedMap + 1;
}

void NextClick() {
    if (Menu->Page == PAGE_CAR) {
        Menu->Page = PAGE_MAP;
    } else if (Menu->Page == PAGE_MAP) {
        // The page stays as it is; a map that cannot be loaded leaves the level as it was.
        if (GameManager->LoadLevel(LevelName(Menu->SelectedMap)))
            GameManager->Level = Menu->SelectedMap;
    } else if (Menu->Page == PAGE_RACE) {
        int32_t Next = GameManager->Level;
        if (GameManager->FinishPlace <= LAST_PLACE_TO_GO_ON) ++Next;
        // After the last map present the levels start over.
        if (!FileExists(LevelFile(LevelName(Next)))) Next = FIRST_LEVEL;
        if (GameManager->LoadLevel(LevelName(Next))) GameManager->Level = Next;
    }
}
