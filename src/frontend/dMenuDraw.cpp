// The menu's pages as drawn each frame, in pixel space, with the cursor on top.
#include "frontend/dMenu.h"

#include "app/variables.h"
#include "engine/GL.h"
#include "engine/Text1251.h"
#include "models/dMeshes.h"

#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int TEXT_FONT = 0; // the engine's default font

// The car preview: its own perspective, the car 100 units away, tipped towards the viewer.
constexpr float PREVIEW_FOV_DEG = 60, PREVIEW_NEAR = 10, PREVIEW_FAR = 1000;
constexpr float PREVIEW_DISTANCE = 100;
constexpr float PREVIEW_TILT_DEG = -60;

constexpr float CAR_TITLE_X = 20, CAR_TITLE_Y = 20;
constexpr float MAP_TEXT_X = 100, MAP_TEXT_Y = 400;
constexpr float TITLE_X = 700, TITLE_Y = 595;
constexpr float CREDITS_FIRST_X = 580, CREDITS_FIRST_Y = 620;
constexpr float CREDITS_X = 600, CREDITS_Y = 635, CREDITS_LINE_STEP = 15;

// The cursor picture covers x - 8 ... x + 24 and y + 1 ... y + 33 around the mouse at (x, y).
constexpr float CURSOR_SHIFT_X = 8, CURSOR_SHIFT_Y = 17;
constexpr int32_t CURSOR_SIZE = 32;

// The first line is the heading; the rest name what the game is built on, with their licences.
const char* const CREDITS[] = {
    "Игра и всё её содержимое — проект Marvolin",
    "(модели, текстуры и трассы делает marvolin-data)",
    "SDL2 — окно, клавиатура и мышь (zlib)",
    "OpenGL и Mesa — графика (MIT)",
    "FreeType и fontconfig — вывод текста",
    "stb_image — картинки (общественное достояние)",
    "Шрифт Liberation Sans (SIL OFL 1.1)",
    "OpenAL Soft — звук (LGPL)",
};
constexpr size_t CREDIT_COUNT = std::size(CREDITS);

} // namespace

void TMenu::DrawButton(int Texture, const TVec3& Center, int32_t Width, int32_t Height,
                       bool Mirror) {
    const float M = Mirror ? 1 : 0;
    const float Left = float(double(Center.x) - Width / 2.0);
    const float Right = float(double(Center.x) + Width / 2.0);
    const float Top = float(double(Center.y) - Height / 2.0);
    const float Bottom = float(double(Center.y) + Height / 2.0);
    Textures->Enable(Texture, 0);
    glBegin(GL_QUADS);
    glTexCoord2f(M, 0);
    glVertex2f(Left, Top);
    glTexCoord2f(M, 1);
    glVertex2f(Left, Bottom);
    glTexCoord2f(1 - M, 1);
    glVertex2f(Right, Bottom);
    glTexCoord2f(1 - M, 0);
    glVertex2f(Right, Top);
    glEnd();
    Textures->Disable(0);
}

void TMenu::Draw() {
    int X = 0, Y = 0;
    Input->CursorPos(X, Y);
    DrawAt(Vec3(float(X), float(Y), 0));
}

void TMenu::DrawAt(const TVec3& Mouse) {
    static const std::string CarTitle = Win1251("Выбери машину");
    static const std::string MapText = Win1251("Выбранная карта: ");

    auto DrawButtons = [&] {
        for (const int B : PageButtons(Page)) {
            const TButtonRect& R = Buttons[B];
            const int Picture = InButton(R, Mouse) ? Images[B].Over : Images[B].Normal;
            DrawButton(Picture, R.Center, R.Width, R.Height, B == BUTTON_LEFT); // mirrored
        }
    };

    glDisable(GL_LIGHTING);
    switch (Page) {
    case PAGE_MAIN:
        DrawButtons();
        break;
    case PAGE_CAR:
        Render->Set3D(PREVIEW_FOV_DEG, PREVIEW_NEAR, PREVIEW_FAR);
        glEnable(GL_LIGHTING);
        glTranslatef(0, 0, -PREVIEW_DISTANCE);
        glRotatef(PREVIEW_TILT_DEG, 1, 0, 0);
        glRotatef(CarSpin, 0, 0, 1);
        if (SelectedCar >= 0 && SelectedCar < CAR_CHOICES && CarMeshes[SelectedCar])
            CarMeshes[SelectedCar]->Draw();
        glDisable(GL_LIGHTING);
        Render->Set2D(0, 0, float(Window->Width()), float(Window->Height()));
        DrawButtons();
        Render->TextOut(TEXT_FONT, CarTitle, CAR_TITLE_X, CAR_TITLE_Y);
        break;
    case PAGE_MAP:
        Render->TextOut(TEXT_FONT, MapText + std::to_string(SelectedMap), MAP_TEXT_X, MAP_TEXT_Y);
        DrawButtons();
        break;
    case PAGE_ABOUT: {
        static const std::vector<std::string> Credits1251 = [] {
            std::vector<std::string> Lines;
            for (const char* Line : CREDITS)
                Lines.push_back(Win1251(Line));
            return Lines;
        }();
        Render->TextOut(TEXT_FONT, "Marvolin", TITLE_X, TITLE_Y);
        Render->TextOut(TEXT_FONT, Credits1251[0], CREDITS_FIRST_X, CREDITS_FIRST_Y);
        for (size_t I = 1; I < CREDIT_COUNT; ++I)
            Render->TextOut(TEXT_FONT, Credits1251[I], CREDITS_X,
                            float(double(CREDITS_Y) + double(I - 1) * double(CREDITS_LINE_STEP)));
        break;
    }
    case PAGE_RACE:
        DrawButtons();
        break;
    default:
        break;
    }

    // The cursor, over everything drawn so far.
    glClear(GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    glEnable(GL_BLEND);
    glTranslatef(CURSOR_SHIFT_X, CURSOR_SHIFT_Y, 0);
    DrawButton(CursorTexture, Mouse, CURSOR_SIZE, CURSOR_SIZE, false);
    glDisable(GL_BLEND);
    glPopMatrix();
    glEnable(GL_LIGHTING);
}
