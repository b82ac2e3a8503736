// The race as drawn each frame: the cars and the track in the 3-D view, then the race's texts in
// pixel space.
#include "app/dGameManager.h"

#include "app/variables.h"
#include "cars/dCars.h"
#include "engine/GL.h"
#include "engine/Text1251.h"
#include "frontend/dMenu.h"
#include "world/dCamera.h"
#include "world/dMap.h"

#include <string>

namespace {

constexpr int TEXT_FONT = 0; // the engine's default font
constexpr float LAP_TEXT_X = 10, LAP_TEXT_Y = 30;
constexpr float PLACE_TEXT_X = 10, PLACE_TEXT_Y = 50;
constexpr float RESULT_TEXT_X = 400, RESULT_TEXT_Y = 300;
constexpr float HINT_TEXT_X = 200, HINT_TEXT_Y = 500;
constexpr float COUNTDOWN_X = 500, COUNTDOWN_Y = 250;
constexpr int32_t LAST_PLACE_TO_GO_ON = 2;

void SetPixelSpace() {
    Render->Set2D(0, 0, float(Window->Width()), float(Window->Height()));
}

} // namespace

void TGameManager::Draw() {
    static const std::string LapText = Win1251("Круг: ");
    static const std::string PlaceText = Win1251("Ваша позиция: ");
    static const std::string ResultText = Win1251("Вы приехали ");
    static const std::string HintText = Win1251("Финишируйте хотя бы вторым, чтобы пройти дальше");

    const bool RaceShown =
        State >= STATE_RACING || (State == STATE_MENU && Menu && Menu->Page == PAGE_MAIN);
    if (CarCount > 0 && RaceShown) {
        for (TBasicCar* Car : Cars)
            Car->Draw();
        Map->Draw();
        SetPixelSpace();
        if (State != STATE_FINISHED && Camera && Camera->Target && *Camera->Target) {
            const TBasicCar& Followed = **Camera->Target;
            Render->TextOut(TEXT_FONT,
                            LapText + std::to_string(Followed.Laps + 1) + "/" +
                                std::to_string(LapCount),
                            LAP_TEXT_X, LAP_TEXT_Y);
            Render->TextOut(TEXT_FONT, PlaceText + std::to_string(Followed.Place + 1), PLACE_TEXT_X,
                            PLACE_TEXT_Y);
        }
        if (State == STATE_FINISHED) {
            Render->TextOut(TEXT_FONT, ResultText + std::to_string(FinishPlace), RESULT_TEXT_X,
                            RESULT_TEXT_Y);
            if (FinishPlace > LAST_PLACE_TO_GO_ON)
                Render->TextOut(TEXT_FONT, HintText, HINT_TEXT_X, HINT_TEXT_Y);
            if (Menu) Menu->Draw();
        }
    }
    if (!Started && State == STATE_RACING) {
        SetPixelSpace();
        Render->TextOut(CountdownFont, std::to_string(Countdown), COUNTDOWN_X, COUNTDOWN_Y);
        Textures->Disable(0);
    }
}
