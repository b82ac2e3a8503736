#pragma once
// The main program's pieces: the asset tables, the game objects, and the two callbacks the engine
// runs. main.cpp strings them together; the simulator and the tests call them one by one.

void LoadAssets();
void CreateObjects();
void FreeAssets();
void DestroyObjects();
void UpdateProc();
void RenderProc();
// The fixed OpenGL state that holds for the whole run.
void SetFixedGLState();
