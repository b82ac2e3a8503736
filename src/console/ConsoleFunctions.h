#pragma once
// The game's console commands: Quit, Follow, LoadLevel, ShowFPS and the computer driver's tuning
// variables ai_dfc, ai_tck, ai_minturn. Registered once at start-up, after the console, the camera
// and the map exist.

void RegisterCommands();
