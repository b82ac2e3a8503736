#pragma once
// Where the game's 1024 x 768 picture lies on the real display, and back.

struct TScreenRect {
    int X = 0, Y = 0, Width = 0, Height = 0;
};

// The largest rectangle of the game screen's aspect that fits an output of OutputWidth x
// OutputHeight pixels, centred (black bars fill the rest). An empty output gives an empty
// rectangle.
TScreenRect FitGameScreen(int OutputWidth, int OutputHeight);

// A point of the output (in the same pixels as Picture) in game screen pixels, clamped to the game
// screen: points on the bars give the nearest edge.
void OutputToGameScreen(const TScreenRect& Picture, double X, double Y, int& GameX, int& GameY);
