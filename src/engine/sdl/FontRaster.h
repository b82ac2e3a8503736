#pragma once
// Text rendered on the CPU with the same glyphs, placement and advances as the engine's on-screen
// text (Render.TextOut), for tools that paint text into images.

#include <cstdint>
#include <string>
#include <vector>

// The coverage of a line of text. The image spans the line box (the font's ascent above the
// baseline and its descent below) and the pen's whole advance from x = 0; ink reaching outside that
// box widens the image to the right or downwards, or moves the baseline down when it rises above
// the ascent. Ink left of the pen's start is cut off.
struct TTextImage {
    int Width = 0, Height = 0, BaselineY = 0; // pixels; BaselineY counts rows from the top
    std::vector<uint8_t> Alpha;               // row-major coverage 0..255, top row first
};

// Text1251 (Windows-1251 bytes) in the font family (found through fontconfig; "Arial" gives
// Liberation Sans, DejaVu Sans stands in when nothing else opens) at SizePx pixels per em. An empty
// text gives a zero-width image of the line's height; an image of zero size when no font opens.
// Each family and size is opened once and kept to the end of the program; callers may be on any
// thread.
TTextImage RasterizeText(const std::string& Family, int SizePx, const std::string& Text1251);
