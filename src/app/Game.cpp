#include "app/Game.h"

#include "app/dGameManager.h"
#include "app/variables.h"
#include "console/ConsoleFunctions.h"
#include "console/dConsole.h"
#include "frontend/dMenu.h"
#include "frontend/dParticles.h"
#include "models/Assets.h"
#include "models/dMeshes.h"
#include "world/dCamera.h"
#include "world/dMap.h"

namespace {

// A slot without a model file stays an empty mesh that draws nothing.
void LoadModel(TMesh& Mesh, const char* Model, const char* Texture) {
    if (!Model) return;
    Mesh.Load(Model, true);
    Mesh.SetTexture(Texture);
}

constexpr int COUNTDOWN_FONT_SIZE = 20;
constexpr int COUNTDOWN_FONT_OPTIONS = 512;

template <typename T> void DestroyObject(T*& Object) {
    delete Object;
    Object = nullptr;
}

} // namespace

void LoadAssets() {
    for (TMesh*& Mesh : CarMeshes)
        Mesh = new TMesh();
    for (int I = 0; I < CAR_MODEL_COUNT; ++I)
        LoadModel(*CarMeshes[I], CAR_ASSETS[I].Model, CAR_ASSETS[I].Texture);
    for (TMesh*& Mesh : ObjectMeshes)
        Mesh = new TMesh();
    for (int K = 0; K < OBJECT_KIND_COUNT; ++K)
        LoadModel(*ObjectMeshes[K], OBJECT_ASSETS[K].Model, OBJECT_ASSETS[K].Texture);
    CountdownFont = Fonts->Create("Arial", COUNTDOWN_FONT_SIZE, 0, COUNTDOWN_FONT_OPTIONS);
}

void CreateGameObjects() {
    ParticleEngine = new TParticleEngine();
    Console = new TConsole();
    Camera = new TCamera();
    Map = new TMap();
    RegisterCommands(); // the console exists before anything prints to it
    GameManager = new TGameManager();
    Menu = new TMenu();
}

void CreateObjects() {
    LoadAssets();
    CreateGameObjects();
}

void FreeAssets() {
    for (TMesh*& Mesh : CarMeshes)
        DestroyObject(Mesh);
    for (TMesh*& Mesh : ObjectMeshes)
        DestroyObject(Mesh);
}

void DestroyObjects() {
    DestroyObject(GameManager);
    DestroyObject(Map);
    DestroyObject(Menu);
    DestroyObject(Camera);
    DestroyObject(Console);
    DestroyObject(ParticleEngine);
}

void UpdateRace() {
    GameManager->Update();
    Camera->Update();
}

void UpdateProc() {
    // Escape belongs to the console only while it is fully open.
    if (!Console->IsOpen() && Input->LastKey() == VK_ESCAPE) Menu->EscapePressed();
    Console->Update();
    // After the console's update: the arrows are its own from the update it opens in.
    if (Console->IsOpen())
        Input->SetFocus(TInputFocus::CONSOLE);
    else
        Input->SetFocus(GameManager->State == STATE_RACING ? TInputFocus::RACE : TInputFocus::MENU);
    if (GameManager->State >= STATE_RACING)
        UpdateRace();
    else
        Menu->Update();
    LastUpdateTime = Engine->Time();
}
