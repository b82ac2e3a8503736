#include "app/Game.h"

#include "app/Replay.h"
#include "app/ReplayPlayer.h"
#include "app/dGameManager.h"
#include "app/variables.h"
#include "console/ConsoleFunctions.h"
#include "console/dConsole.h"
#include "engine/Paths.h"
#include "engine/Text1251.h"
#include "frontend/dMenu.h"
#include "frontend/dParticles.h"
#include "models/Assets.h"
#include "models/dMeshes.h"
#include "sound/dSound.h"
#include "world/dCamera.h"
#include "world/dMap.h"

#include <system_error>

namespace {

// A slot without a model file stays an empty mesh that draws nothing.
void LoadModel(TMesh& Mesh, const char* Model, const char* Texture) {
    if (!Model) return;
    Mesh.Load(Model, true);
    Mesh.SetTexture(Texture);
}

// Screenshots taken within one second: the most that get names of their own.
constexpr int MAX_SCREENSHOTS_PER_SECOND = 100;

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
    GameSounds = new TGameSounds();
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
    DestroyObject(GameSounds);
    DestroyObject(GameManager);
    DestroyObject(Map);
    DestroyObject(Menu);
    DestroyObject(Camera);
    DestroyObject(Console);
    DestroyObject(ParticleEngine);
}

void UpdateRace() {
    // A replay's race stands still once the replay has run out.
    if (ReplayPlayer && !ReplayPlayer->BeforeUpdate()) return;
    if (Recorder) Recorder->BeforeUpdate(Engine->Time(), HeldKeysOf(*Input));
    GameManager->Update();
    Camera->Update();
    if (Recorder) Recorder->AfterUpdate(*GameManager);
    if (ReplayPlayer) ReplayPlayer->AfterUpdate();
}

std::filesystem::path ScreenshotFolder() {
    return std::filesystem::path(LogFolder()) / "screenshots"; // beside log.txt
}

std::string ScreenshotName(std::time_t When) {
    std::tm Local{};
    localtime_r(&When, &Local);
    char Name[64];
    std::strftime(Name, sizeof Name, "marvolin-%Y%m%d-%H%M%S.png", &Local);
    return Name;
}

void SaveScreenshot() {
    const std::filesystem::path Folder = ScreenshotFolder();
    std::error_code Error;
    std::filesystem::create_directories(Folder, Error);
    const std::filesystem::path First = Folder / ScreenshotName(std::time(nullptr));
    std::filesystem::path File = First;
    for (int N = 2; N <= MAX_SCREENSHOTS_PER_SECOND && std::filesystem::exists(File, Error); ++N)
        File = Folder / (First.stem().string() + "-" + std::to_string(N) + ".png");
    if (Render->SaveFrame(File.string())) {
        exLog("screenshot " + File.string());
        Console->AddLine(Win1251("Снимок экрана: ") + File.string());
    } else {
        exLog("warning: cannot save the screenshot " + File.string());
        Console->AddLine(Win1251("Снимок экрана не сохранён: ") + File.string());
    }
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
    if (Input->LastKey() == VK_F12) SaveScreenshot();
    if (GameManager->State >= STATE_RACING)
        UpdateRace();
    else
        Menu->Update();
    GameSounds->Update(); // hears what this update did
    LastUpdateTime = Engine->Time();
}
