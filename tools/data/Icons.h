#pragma once
// The game's icon for the desktop: the player's car seen from above its front corner, painted in
// software from its model and its picture, so that every machine writes the same bytes and no
// display is needed.

#include "Content.h"

#include <string>

// The sizes desktops look for in the hicolor icon theme, pixels square.
constexpr int ICON_SIZES_PX[] = {16, 32, 48, 64, 128, 256};

// The icon at SizePx square, on a transparent background.
TImage RenderIcon(const TModel& Model, const TImage& Picture, int SizePx);

// Folder/<N>x<N>/apps/marvolin.png for every size of ICON_SIZES_PX (the hicolor theme's layout),
// from the car of CAR_ASSETS[0] in Content; throws std::runtime_error when Content lacks it.
void WriteIcons(const TContent& Content, const std::string& Folder);
