#pragma once
// Desk objects at the desk's scale (1 unit is about 1 mm; a car is a 1:64 toy): each one a model
// standing on z = 0 and its texture atlas, built together so that the model's texture coordinates
// and the painting agree. Everything is made to be recognised from straight above, under a light
// from the camera (faces towards the camera bright, walls dark).

#include "Content.h"

#include <cmath>

// Builds one object: fills Model and paints Texture (already sized).
using TObjectBuilder = void (*)(TModel& Model, TImage& Texture);

// Surface finishes used across objects.
TColor Plastic(TColor Base, double X, double Y, uint32_t Seed, double Grain = 0.05);
TColor BrushedMetal(double X, double Y, uint32_t Seed, double Level = 0.72);
TColor Cardboard(TColor Base, double X, double Y, uint32_t Seed);

// Round things lying on the desk along x: the placement of a lathe whose axis starts at (X0, 0,
// AxisZ) and runs along +x, and its texture mapping, u along the first Length units of the axis
// and v around it (0.5 on top).
TXform LyingAlongX(double X0, double AxisZ);
TLatheUV AlongUV(TRegion R, double Length);

// Stationery (ObjectsStationery.cpp).
void BuildTapeMeasure(TModel& M, TImage& T);
void BuildPenCap(TModel& M, TImage& T);
void BuildStapler(TModel& M, TImage& T);
void BuildClipBox(TModel& M, TImage& T);
void BuildPaperClip(TModel& M, TImage& T);
void BuildPen(TModel& M, TImage& T);
void BuildPenHolder(TModel& M, TImage& T);
void BuildScissors(TModel& M, TImage& T);
void BuildRuler(TModel& M, TImage& T);
void BuildEraser(TModel& M, TImage& T);

// Everything else on the desk (ObjectsDesk.cpp).
void BuildCalendar(TModel& M, TImage& T);
void BuildTelephone(TModel& M, TImage& T);
void BuildCigarette(TModel& M, TImage& T);
void BuildCigaretteBox(TModel& M, TImage& T);
void BuildFolder(TModel& M, TImage& T);
void BuildMonitor(TModel& M, TImage& T);
void BuildBook(TModel& M, TImage& T);
void BuildDisc(TModel& M, TImage& T);
void BuildPaper(TModel& M, TImage& T);
void BuildCrumpledPaper(TModel& M, TImage& T); // mapped onto the paper's texture, paints nothing
void BuildCube(TModel& M, TImage& T);
void BuildFlag(TModel& M, TImage& T);
