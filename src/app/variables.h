#pragma once
// The game's globals, one each for the whole run. Header only (C++17 inline variables), so every
// module may read them without linking the app. All start as zero / null / empty.
//
// Lifetimes:
// - Engine services: set by UseEngine right after the engine starts (the main program, a test or
//   the simulator); valid until the engine is released, after the game's own teardown.
// - Game objects and mesh tables: created by CreateObjects at start-up (in the order
//   ParticleEngine, Console, Camera, Map, GameManager, Menu, GameSounds; the meshes first) and
//   destroyed at shutdown. Tests create the ones they need and reset them to null when done.
// - CarList: rebuilt by the race manager on every level load; its cars live until the next load.
// - FrameAlpha, LastUpdateTime, FrameTime: written by the two callbacks, read by drawing code.

#include "engine/Engine.h"
#include "models/Assets.h"

#include <cstdint>
#include <vector>

class TRace;
class TMap;
class TCamera;
class TMenu;
class TConsole;
class TParticleEngine;
class TGameSounds;
class TMesh;
class TBasicCar;

inline TEngine* Engine = nullptr;
inline TSetup* Setup = nullptr;
inline TWindow* Window = nullptr;
inline TRender* Render = nullptr;
inline TFonts* Fonts = nullptr;
inline TInput* Input = nullptr;
inline TTextures* Textures = nullptr;
inline TShaders* Shaders = nullptr;
inline TSounds* Sounds = nullptr;

// Points the service globals at the services of E (null clears them).
inline void UseEngine(TEngine* E) {
    Engine = E;
    Setup = E ? E->Setup() : nullptr;
    Window = E ? E->Window() : nullptr;
    Render = E ? E->Render() : nullptr;
    Fonts = E ? E->Render()->Fonts() : nullptr;
    Input = E ? E->Input() : nullptr;
    Textures = E ? E->Textures() : nullptr;
    Shaders = E ? E->Shaders() : nullptr;
    Sounds = E ? E->Sounds() : nullptr;
}

inline TRace* GameManager = nullptr; // the race manager (TGameManager, app/dGameManager.h)
inline TMap* Map = nullptr;
inline TCamera* Camera = nullptr;
inline TMenu* Menu = nullptr;
inline TConsole* Console = nullptr;
inline TParticleEngine* ParticleEngine = nullptr;
inline TGameSounds* GameSounds = nullptr; // what the game plays when (sound/dSound.h)

// The models of models/Assets.h: CarMeshes by a car's Model, ObjectMeshes by a desk object's Kind.
inline TMesh* CarMeshes[CAR_MODEL_COUNT] = {};
inline TMesh* ObjectMeshes[OBJECT_KIND_COUNT] = {};

inline int CountdownFont = 0;  // "Arial" 20, the race countdown's digit
inline float FrameAlpha = 0;   // fraction of the update interval since the latest update; unclamped
inline int LastUpdateTime = 0; // Engine->Time() at the end of the latest update callback, ms
inline int FrameTime = 0;      // Engine->Time() at the start of the current render callback, ms
inline int ShowFPS = 0;        // the frame rate is drawn when it is exactly 1

inline std::vector<TBasicCar*> CarList;

// Replays, set by the main program for the whole run: the recorder of --record and the player of
// --replay (null without them), and whether the replay drives the race now (the menu's resumes and
// the console's tuning then leave the race alone: the replay holds its own).
class TReplayRecorder;
class TReplayPlayer;
inline TReplayRecorder* Recorder = nullptr;
inline TReplayPlayer* ReplayPlayer = nullptr;
inline bool ReplayDrives = false; // the cars of the current race, for car-to-car collisions
