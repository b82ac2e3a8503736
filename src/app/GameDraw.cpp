// The render callback and the OpenGL state fixed for the whole run.
#include "app/Game.h"

#include "app/variables.h"
#include "cars/dRace.h"
#include "console/dConsole.h"
#include "engine/GL.h"
#include "frontend/dMenu.h"
#include "world/dCamera.h"

#include <string>

namespace {

constexpr double MS_PER_SECOND = 1000;

// The race's perspective.
constexpr float RACE_FOV_DEG = 45, RACE_NEAR = 10, RACE_FAR = 1000;
// The depth range of the 2-D overlay.
constexpr double OVERLAY_NEAR = -1000, OVERLAY_FAR = 100;

constexpr float FPS_TEXT_X = 10, FPS_TEXT_Y = 10;

} // namespace

void RenderProc() {
    FrameTime = Engine->Time();
    // Behind the menu the race stands still, and so does its place between two updates.
    if (GameManager->State >= STATE_RACING)
        FrameAlpha = float(double(ElapsedMs(LastUpdateTime, FrameTime)) / MS_PER_SECOND *
                           double(UPDATES_PER_SECOND));
    Camera->Interpolate();
    DrawRaceView();
    SetOverlayView();
    Console->Draw();
    if (GameManager->State == STATE_MENU) Menu->Draw();
    if (ShowFPS == 1) Render->TextOut(0, std::to_string(Render->FPS()), FPS_TEXT_X, FPS_TEXT_Y);
}

void DrawRaceView() {
    Render->Clear(true, true, false);
    glColor3f(1, 1, 1);
    Render->Set3D(RACE_FOV_DEG, RACE_NEAR, RACE_FAR);
    Camera->ApplyView();
    GameManager->Draw();
}

void SetOverlayView() {
    const int Width = Window->Width();
    const int Height = Window->Height();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, Width, Height, 0, OVERLAY_NEAR, OVERLAY_FAR);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, Width, Height);
    glColor3f(1, 1, 1);
}

void SetFixedGLState() {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0); // OpenGL's default light
    glEnable(GL_DEPTH_TEST);
    glCullFace(GL_BACK); // chosen, but culling stays off
    glDisable(GL_CULL_FACE);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_NORMALIZE);
}
