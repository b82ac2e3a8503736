#pragma once
// The contact sheet: pictures of every model, texture and track drawn through the game's own
// renderer (the SDL back-end, under a virtual display when there is none), for looking at.

#include "Content.h"
#include "Tracks.h"

#include <string>
#include <vector>

// Renders from the data folder DataDir (already written) into PNG files in OutDir. Returns the
// number of pictures written; throws std::runtime_error when no display can be opened.
int RenderPreview(const TContent& Content, const std::vector<TCompiledTrack>& Tracks,
                  const std::string& DataDir, const std::string& OutDir);
