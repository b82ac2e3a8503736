#pragma once
// The SDL engine the display tests share: the environment of test_display.cpp starts it (a
// window of SDL's offscreen driver, Mesa's software renderer) before the first test and stops it
// after the last.

#include "engine/Engine.h"

// The running engine; null when none could start.
TEngine* SharedDisplayEngine();
// Stops it and starts one with these options (and a fresh log).
void RestartSharedDisplayEngine(const TEngineOptions& Options);
// The options it starts with, to go back to after a restart.
TEngineOptions PlainDisplayOptions();
