#include "console/dConsole.h"

#include "app/variables.h"
#include "engine/GL.h"

#include <algorithm>

namespace {

constexpr int CARET_RISE_PX = 10; // the caret sits this far above the panel's lower edge
constexpr int CARET_WIDTH_PX = 9;

struct TQuadCorner {
    float X, Y; // 0 or 1: multiples of the window's width and the panel's height
    float S, T; // 0 or 1: multiples of the texture repeats
};
// Top right, top left, bottom left, bottom right.
constexpr TQuadCorner PANEL_CORNERS[4] = {{1, 0, 1, 0}, {0, 0, 0, 0}, {0, 1, 0, 1}, {1, 1, 1, 1}};

} // namespace

void TConsole::Draw() {
    if (State == csHidden) return;
    const float H = float(double(PrevPos) + (double(Pos) - PrevPos) * FrameAlpha);
    const float W = float(Window->Width());

    glColor3f(1, 1, 1);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    Textures->Enable(BackTexture, 0);
    Textures->Enable(BackTexture, 1);

    // One image on both units, each layer sliding at its own rate: the panel shimmers.
    glBegin(GL_QUADS);
    for (const TQuadCorner& C : PANEL_CORNERS) {
        const float S = C.S * TexRepeatS;
        const float T = C.T * TexRepeatT;
        glMultiTexCoord2f(GL_TEXTURE1, S + Drift.x, T + Drift.y);
        glMultiTexCoord2f(GL_TEXTURE0, S + ScrollX, T);
        glVertex2f(C.X * W, C.Y * H);
    }
    glEnd();

    Textures->Disable(0);
    Textures->Disable(1);
    glColor3f(TextColor.x, TextColor.y, TextColor.z);

    const float InputY = H - float(InputRise);
    if (!EditLine.empty()) Render->TextOut(0, EditLine, float(TextX), InputY);

    const size_t BeforeCaret = size_t(std::clamp(Cursor, 0, int32_t(EditLine.size())));
    const int CaretX = Render->TextWidth(0, EditLine.substr(0, BeforeCaret)) + TextX;
    const float CaretY = H - float(CARET_RISE_PX);
    glBegin(GL_LINES);
    glVertex2f(float(CaretX), CaretY);
    glVertex2f(float(CaretX + CARET_WIDTH_PX), CaretY);
    glEnd();

    if (LineCount > 0)
        for (int32_t I = 0; I < VisibleLines; ++I) {
            const int32_t Entry = Scroll + I;
            if (Entry < 0 || Entry >= LineCapacity) continue;
            Render->TextOut(0, Lines[size_t(Entry)], float(TextX),
                            float(double(H) - InputRise - double(I + 1) * LineStep));
        }

    glColor3f(1, 1, 1);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
}
