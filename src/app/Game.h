#pragma once
// The main program's pieces: the asset tables, the game objects, and the two callbacks the engine
// runs. main.cpp strings them together; the simulator and the tests call them one by one.

#include <ctime>
#include <filesystem>
#include <string>

// The car and desk-object models (Load with normals, then the texture) and the countdown's font.
// A model file that cannot be read throws TFileError; the models loaded before it stay loaded.
void LoadAssets();
// LoadAssets, then CreateGameObjects.
void CreateObjects();
// The game objects without the models: ParticleEngine, Console, Camera, Map, the console
// commands, GameManager, Menu, GameSounds, in this order.
void CreateGameObjects();
// Frees the car models, then the desk-object models; slots never loaded are skipped.
void FreeAssets();
// Destroys GameSounds, GameManager, Map, Menu, Camera, Console, ParticleEngine, in this order;
// each global is null afterwards (objects never created are skipped).
void DestroyObjects();
// One update: Escape, the console, the input focus for it (engine/Engine.h TInputFocus), F12,
// then the race or the menu.
void UpdateProc();
// The race's half of UpdateProc, while a race is in front: the race manager, then the camera.
void UpdateRace();
void RenderProc(); // app/GameDraw.cpp, as the next three
// RenderProc's pieces: the cleared frame with the race as the camera sees it (the race manager's
// drawing), then the 2-D overlay's pixel space (x right, y down) in white, where the console, the
// menu and the frame rate are drawn.
void DrawRaceView();
void SetOverlayView();
// The fixed OpenGL state that holds for the whole run (app/GameDraw.cpp).
void SetFixedGLState();

// Screenshots (F12). The folder they go to, made when the first one is saved: "screenshots"
// beside the log (the working folder). Every place that saves one asks here.
std::filesystem::path ScreenshotFolder();
// "marvolin-YYYYMMDD-HHMMSS.png" at the local time When.
std::string ScreenshotName(std::time_t When);
// Saves the picture into ScreenshotFolder under ScreenshotName of now (a second one in the same
// second gets "-2" before ".png", and so on) and says where in the console, or that it could not.
void SaveScreenshot();
