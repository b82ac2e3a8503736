#include "app/Game.h"

#include "app/dGameManager.h"
#include "app/variables.h"
#include "console/ConsoleFunctions.h"
#include "console/dConsole.h"
#include "frontend/dMenu.h"
#include "frontend/dParticles.h"
#include "models/dMeshes.h"
#include "world/dCamera.h"
#include "world/dMap.h"

namespace {

struct TModelFiles {
    const char* Model;
    const char* Texture;
};

const TModelFiles CAR_MODELS[CAR_MESH_COUNT] = {
    {"data\\meshes\\player.mdl", "data\\textures\\cars\\player.jpg"},
    {"data\\meshes\\player.mdl", "data\\textures\\cars\\player2.jpg"},
    {"data\\meshes\\player.mdl", "data\\textures\\cars\\player3.jpg"},
    {"data\\meshes\\jeep.mdl", "data\\textures\\cars\\jeep.jpg"},
    {"data\\meshes\\supra.mdl", "data\\textures\\cars\\supra2.jpg"},
    {"data\\meshes\\supra.mdl", "data\\textures\\cars\\supra.jpg"},
};

// Indexed by a desk object's Kind; kind 21 has no model and stays an empty mesh.
const TModelFiles OBJECT_MODELS[OBJECT_MESH_COUNT] = {
    {"data\\meshes\\izmeritel.mdl", "data\\textures\\objects\\izmeritel.jpg"},
    {"data\\meshes\\cap.mdl", "data\\textures\\objects\\cap.jpg"},
    {"data\\meshes\\calendar.mdl", "data\\textures\\objects\\calendar.jpg"},
    {"data\\meshes\\telephone.mdl", "data\\textures\\objects\\telephone.jpg"},
    {"data\\meshes\\stepler.mdl", "data\\textures\\objects\\stepler.jpg"},
    {"data\\meshes\\skrepka_st.mdl", "data\\textures\\objects\\skrepka_st.jpg"},
    {"data\\meshes\\skrepka.mdl", "data\\textures\\objects\\skrepka.jpg"},
    {"data\\meshes\\cigaret.mdl", "data\\textures\\objects\\cigaret.jpg"},
    {"data\\meshes\\pen.mdl", "data\\textures\\objects\\pen.jpg"},
    {"data\\meshes\\podstavka.mdl", "data\\textures\\objects\\podstavka.jpg"},
    {"data\\meshes\\cigaret_box.mdl", "data\\textures\\objects\\cigaret_box.jpg"},
    {"data\\meshes\\papka.mdl", "data\\textures\\objects\\papka.jpg"},
    {"data\\meshes\\nojnici.mdl", "data\\textures\\objects\\nojnici.jpg"},
    {"data\\meshes\\monitor.mdl", "data\\textures\\objects\\monitor.jpg"},
    {"data\\meshes\\rooler.mdl", "data\\textures\\objects\\rooler.jpg"},
    {"data\\meshes\\eracer.mdl", "data\\textures\\objects\\eracer.jpg"},
    {"data\\meshes\\book.mdl", "data\\textures\\objects\\book.jpg"},
    {"data\\meshes\\disc.mdl", "data\\textures\\objects\\disc.jpg"},
    {"data\\meshes\\paper.mdl", "data\\textures\\objects\\paper.jpg"},
    {"data\\meshes\\paper_m.mdl", "data\\textures\\objects\\paper.jpg"},
    {"data\\meshes\\cube.mdl", "data\\textures\\objects\\cube.jpg"},
    {nullptr, nullptr},
    {"data\\meshes\\flag.mdl", "data\\textures\\objects\\flag.jpg"},
};

void LoadModel(TMesh& Mesh, const TModelFiles& Files) {
    if (!Files.Model) return;
    Mesh.Load(Files.Model, true);
    Mesh.SetTexture(Files.Texture);
}

constexpr int COUNTDOWN_FONT_SIZE = 20;
constexpr int COUNTDOWN_FONT_OPTIONS = 512;

template <typename T>
void DestroyObject(T*& Object) {
    delete Object;
    Object = nullptr;
}

} // namespace

void LoadAssets() {
    for (TMesh*& Mesh : CarMeshes) Mesh = new TMesh();
    for (int I = 0; I < CAR_MESH_COUNT; ++I) LoadModel(*CarMeshes[I], CAR_MODELS[I]);
    for (TMesh*& Mesh : ObjectMeshes) Mesh = new TMesh();
    for (int I = 0; I < OBJECT_MESH_COUNT; ++I) LoadModel(*ObjectMeshes[I], OBJECT_MODELS[I]);
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
    for (TMesh*& Mesh : CarMeshes) DestroyObject(Mesh);
    for (TMesh*& Mesh : ObjectMeshes) DestroyObject(Mesh);
}

void DestroyObjects() {
    DestroyObject(GameManager);
    DestroyObject(Map);
    DestroyObject(Menu);
    DestroyObject(Camera);
    DestroyObject(Console);
    DestroyObject(ParticleEngine);
}

void UpdateProc() {
    // Escape belongs to the console only while it is fully open.
    if (!Console->IsOpen() && Input->LastKey() == VK_ESCAPE) Menu->EscapePressed();
    Console->Update();
    if (GameManager->State >= 1) {
        GameManager->Update();
        Camera->Update();
    } else {
        Menu->Update();
    }
    LastUpdateTime = Engine->Time();
}
