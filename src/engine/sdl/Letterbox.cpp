#include "engine/sdl/Letterbox.h"

#include "engine/Engine.h"

#include <algorithm>
#include <cmath>

TScreenRect FitGameScreen(int OutputWidth, int OutputHeight) {
    TScreenRect Rect;
    if (OutputWidth <= 0 || OutputHeight <= 0) return Rect;
    const double Scale = std::min(double(OutputWidth) / GAME_SCREEN_WIDTH,
                                  double(OutputHeight) / GAME_SCREEN_HEIGHT);
    Rect.Width = std::clamp(int(std::lround(GAME_SCREEN_WIDTH * Scale)), 1, OutputWidth);
    Rect.Height = std::clamp(int(std::lround(GAME_SCREEN_HEIGHT * Scale)), 1, OutputHeight);
    Rect.X = (OutputWidth - Rect.Width) / 2;
    Rect.Y = (OutputHeight - Rect.Height) / 2;
    return Rect;
}

void OutputToGameScreen(const TScreenRect& Picture, double X, double Y, int& GameX, int& GameY) {
    if (Picture.Width <= 0 || Picture.Height <= 0) {
        GameX = GameY = 0;
        return;
    }
    const double Gx = std::floor((X - Picture.X) * GAME_SCREEN_WIDTH / Picture.Width);
    const double Gy = std::floor((Y - Picture.Y) * GAME_SCREEN_HEIGHT / Picture.Height);
    GameX = int(std::clamp(Gx, 0.0, double(GAME_SCREEN_WIDTH - 1)));
    GameY = int(std::clamp(Gy, 0.0, double(GAME_SCREEN_HEIGHT - 1)));
}
