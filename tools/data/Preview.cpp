// The contact sheet, drawn by the game's own code: the models as the game loads them (LoadAssets)
// and draws them (a car's and a desk object's drawing) under its fixed light, the menu's pages and
// the console as the render callback draws them, every track loaded and lined up by the race
// manager, seen from high above and by the race camera at the start, and every sound's waveform
// and spectrogram.

#include "Preview.h"
#include "SoundPicture.h"

#include "app/Game.h"
#include "app/dGameManager.h"
#include "app/variables.h"
#include "cars/dCars.h"
#include "console/dConsole.h"
#include "engine/Engine.h"
#include "engine/GL.h"
#include "frontend/dMenu.h"
#include "models/dMeshes.h"
#include "world/dCamera.h"
#include "world/dMap.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace {

constexpr int SHEET_W = GAME_SCREEN_WIDTH, SHEET_H = GAME_SCREEN_HEIGHT;
constexpr int TILE_COLUMNS = 4, TILE_ROWS = 4; // model tiles: 256 x 192, the screen's shape
constexpr int TILE_W = SHEET_W / TILE_COLUMNS, TILE_H = SHEET_H / TILE_ROWS;
constexpr float FIELD_OF_VIEW_DEG = 45; // as the race
constexpr double ANGLED_TILT_DEG = 55, ANGLED_TURN_DEG = 35;
constexpr double TABLE_REPEAT_UNITS = 500; // the desk texture repeats this often, as in a race

// A model of the asset tables: a car model or a desk-object kind.
struct TShown {
    std::string Name;
    const TMesh* Mesh;
    int Index;
    bool IsCar;
};

// A grey sheet; the clear colour goes back to the game's black.
void ClearSheet() {
    glClearColor(0.16f, 0.17f, 0.19f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0, 0, 0, 1);
}

void Save(const std::string& OutDir, const std::string& Name, std::vector<std::string>& Written) {
    const std::string Path = OutDir + "/" + Name + ".png";
    if (!exSaveFrame(Path)) throw std::runtime_error(Path + ": the frame cannot be saved");
    Written.push_back(Path);
}

void Label(const std::string& Text, float X, float Y) {
    Render->Set2D(0, 0, SHEET_W, SHEET_H);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glColor3f(0, 0, 0);
    Render->TextOut(0, Text, X + 1, Y + 1);
    glColor3f(1, 0.85f, 0.4f);
    Render->TextOut(0, Text, X, Y);
    glColor3f(1, 1, 1);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
}

// A desk square under a model or a track, drawn first and without depth writes.
void DrawDesk(int Table, double CX, double CY, double Half) {
    glDepthMask(GL_FALSE);
    glDisable(GL_LIGHTING);
    Textures->Enable(Table, 0);
    glColor3f(1, 1, 1);
    const float X0 = float(CX - Half), X1 = float(CX + Half), Y0 = float(CY - Half),
                Y1 = float(CY + Half);
    const auto T = [](float V) { return float(V / TABLE_REPEAT_UNITS); };
    glBegin(GL_QUADS);
    glTexCoord2f(T(X0), T(Y0));
    glVertex3f(X0, Y0, 0.02f);
    glTexCoord2f(T(X0), T(Y1));
    glVertex3f(X0, Y1, 0.02f);
    glTexCoord2f(T(X1), T(Y1));
    glVertex3f(X1, Y1, 0.02f);
    glTexCoord2f(T(X1), T(Y0));
    glVertex3f(X1, Y0, 0.02f);
    glEnd();
    Textures->Disable(0);
    glEnable(GL_LIGHTING);
    glDepthMask(GL_TRUE);
}

// A texture over the rectangle of the 2-D pixel space, its top row at the top, in white.
void DrawPicture(int Texture, float X0, float Y0, float X1, float Y1) {
    Textures->Enable(Texture, 0);
    glColor3f(1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(X0, Y0);
    glTexCoord2f(0, 1);
    glVertex2f(X0, Y1);
    glTexCoord2f(1, 1);
    glVertex2f(X1, Y1);
    glTexCoord2f(1, 0);
    glVertex2f(X1, Y0);
    glEnd();
    Textures->Disable(0);
}

struct TBounds {
    double X0 = 1e30, Y0 = 1e30, Z0 = 1e30, X1 = -1e30, Y1 = -1e30, Z1 = -1e30;
    void Add(double X, double Y, double Z) {
        X0 = std::min(X0, X);
        Y0 = std::min(Y0, Y);
        Z0 = std::min(Z0, Z);
        X1 = std::max(X1, X);
        Y1 = std::max(Y1, Y);
        Z1 = std::max(Z1, Z);
    }
};

// One model in one tile: from straight above the way the race camera looks, or tilted and turned.
void DrawModelTile(const TShown& M, int Table, int Column, int Row, bool Angled) {
    TBounds B;
    for (const TVec3& V : M.Mesh->Vertices)
        B.Add(V.x, V.y, V.z);
    const double Size = std::max({B.X1 - B.X0, B.Y1 - B.Y0, (B.Z1 - B.Z0) * (Angled ? 1.0 : 0.0)});
    const double Fit = 2 * std::tan(FIELD_OF_VIEW_DEG / 2 * PI / 180) * 0.78;
    const double Middle = (B.Z0 + B.Z1) / 2;
    const double Distance = (B.Z1 - Middle) + Size / Fit; // from the model's middle
    Render->Set3D(FIELD_OF_VIEW_DEG, float(std::max(1.0, Distance * 0.05)), float(Distance * 3));
    glViewport(Column * TILE_W, (TILE_ROWS - 1 - Row) * TILE_H, TILE_W, TILE_H);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // The race view (eye above the desk looking down along +z, world y down the screen), pushed
    // back from the model's middle, then tilted and turned for the angled picture.
    glTranslatef(0, 0, float(-Distance));
    if (Angled) { // seen from the front (+y) and above, upright
        glRotatef(180, 0, 0, 1);
        glRotatef(float(ANGLED_TILT_DEG), 1, 0, 0);
    }
    glRotatef(180, 0, 0, 1);
    glRotatef(180, 0, 1, 0);
    glTranslatef(0, 0, float(Middle)); // the model's middle (drawn flipped to -z) at the eye's aim
    if (Angled) glRotatef(float(ANGLED_TURN_DEG), 0, 0, 1);
    const double CX = (B.X0 + B.X1) / 2, CY = (B.Y0 + B.Y1) / 2;
    DrawDesk(Table, 0, 0, Size * 3);
    // Desk objects at angle 180 stand with the model's +y up the screen; cars head up the screen.
    const TVec3 At = Vec3(float(-CX), float(CY), 0);
    if (M.IsCar) {
        DrawCarModel(M.Index, At, -90);
    } else {
        TDeskObject Object;
        Object.Pos = At;
        Object.Angle = 180;
        Object.Kind = M.Index;
        DrawDeskObject(Object);
    }
}

// Every model of the two asset tables, as LoadAssets loaded them.
std::vector<TShown> ShownModels() {
    std::vector<TShown> Shown;
    const auto Stem = [](const char* File) {
        return std::filesystem::path(DataRelativePath(File)).stem().string();
    };
    for (int I = 0; I < CAR_MODEL_COUNT; ++I)
        Shown.push_back({Stem(CAR_ASSETS[I].Model) + " / " + Stem(CAR_ASSETS[I].Texture),
                         CarMeshes[I], I, true});
    for (int K = 0; K < OBJECT_KIND_COUNT; ++K)
        if (OBJECT_ASSETS[K].Model)
            Shown.push_back({Stem(OBJECT_ASSETS[K].Model), ObjectMeshes[K], K, false});
    return Shown;
}

int ModelSheets(const std::vector<TShown>& Models, int Table, const std::string& OutDir,
                std::vector<std::string>& Written) {
    const int PerSheet = TILE_COLUMNS * TILE_ROWS / 2; // two pictures per model
    int Sheet = 0;
    for (size_t First = 0; First < Models.size(); First += size_t(PerSheet), ++Sheet) {
        ClearSheet();
        std::vector<std::pair<std::string, TVec2D>> Labels;
        for (size_t I = First; I < std::min(Models.size(), First + size_t(PerSheet)); ++I) {
            const int Slot = int(I - First), Column = (Slot % 2) * 2, Row = Slot / 2;
            DrawModelTile(Models[I], Table, Column, Row, false);
            DrawModelTile(Models[I], Table, Column + 1, Row, true);
            Labels.push_back(
                {Models[I].Name + "  (" + std::to_string(Models[I].Mesh->FaceCount) + " triangles)",
                 {double(Column * TILE_W + 4), double(Row * TILE_H + 2)}});
        }
        for (const auto& [Text, At] : Labels)
            Label(Text, float(At.x), float(At.y));
        Save(OutDir, "models_" + std::to_string(Sheet + 1), Written);
    }
    return Sheet;
}

void TextureSheets(const TContent& Content, const std::string& OutDir,
                   std::vector<std::string>& Written) {
    constexpr int COLUMNS = 4, ROWS = 3, CELL = 256, MARGIN = 18;
    std::vector<const TPictureFile*> Pictures;
    for (const TPictureFile& P : Content.Pictures)
        Pictures.push_back(&P);
    int Sheet = 0;
    for (size_t First = 0; First < Pictures.size(); First += COLUMNS * ROWS, ++Sheet) {
        ClearSheet();
        Render->Set2D(0, 0, SHEET_W, SHEET_H);
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        for (size_t I = First; I < std::min(Pictures.size(), First + COLUMNS * ROWS); ++I) {
            const int Slot = int(I - First), X = (Slot % COLUMNS) * CELL,
                      Y = (Slot / COLUMNS) * CELL;
            const TPictureFile& P = *Pictures[I];
            const int Handle = Textures->Load("data/" + P.Path, 0, 1, 0);
            const double Scale = std::min(double(CELL - 2 * MARGIN) / P.Image.Width(),
                                          double(CELL - 2 * MARGIN) / P.Image.Height());
            const float W = float(P.Image.Width() * Scale), H = float(P.Image.Height() * Scale);
            const float X0 = float(X + (CELL - W) / 2), Y0 = float(Y + MARGIN);
            DrawPicture(Handle, X0, Y0, X0 + W, Y0 + H);
            Render->TextOut(0,
                            P.Path.substr(P.Path.find('/') + 1) + "  " +
                                std::to_string(P.Image.Width()) + "x" +
                                std::to_string(P.Image.Height()),
                            float(X + 4), float(Y + 1));
        }
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_LIGHTING);
        Save(OutDir, "textures_" + std::to_string(Sheet + 1), Written);
    }
}

// Every sound as its waveform over its spectrogram, two columns of tiles on one sheet.
void SoundSheet(const TContent& Content, const std::string& OutDir,
                std::vector<std::string>& Written) {
    constexpr int COLUMNS = 2, ROWS = 5, LABEL_H = 18, GAP = 4;
    constexpr int CELL_W = SHEET_W / COLUMNS, CELL_H = SHEET_H / ROWS;
    ClearSheet();
    Render->Set2D(0, 0, SHEET_W, SHEET_H);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    std::vector<int> Made;
    for (size_t I = 0; I < Content.Sounds.size() && I < COLUMNS * ROWS; ++I) {
        const TSoundFile& S = Content.Sounds[I];
        const int X = int(I % COLUMNS) * CELL_W + GAP, Y = int(I / COLUMNS) * CELL_H;
        const int W = CELL_W - 2 * GAP, H = CELL_H - LABEL_H - GAP;
        const std::vector<uint8_t> Pixels = SoundPicture(S.Samples, W, H).Bytes(4);
        const int Handle =
            Textures->Create("preview " + S.Path, 4, GL_RGBA, W, H, Pixels.data(), 0, 0, 0);
        Made.push_back(Handle);
        DrawPicture(Handle, float(X), float(Y + LABEL_H), float(X + W), float(Y + LABEL_H + H));
        const long Ms = std::lround(1000.0 * double(S.Samples.size()) / SOUND_SAMPLE_RATE);
        Render->TextOut(0,
                        S.Path.substr(S.Path.find('/') + 1) + "  " + std::to_string(Ms) +
                            " ms, spectrum to " + std::to_string(int(SPECTROGRAM_TOP_HZ)) + " Hz",
                        float(X), float(Y + 1));
    }
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    Save(OutDir, "sounds", Written);
    for (const int Handle : Made)
        Textures->Free(Handle);
}

// The overlay as the render callback draws it over the race view, with the menu's cursor at Mouse.
void DrawMenuFrame(const TVec3& Mouse) {
    DrawRaceView();
    SetOverlayView();
    Console->Draw();
    if (GameManager->State == STATE_MENU) Menu->DrawAt(Mouse);
}

// The menu's pages before the first race, the cursor over a button of each (highlighting it).
void MenuPictures(const std::string& OutDir, std::vector<std::string>& Written) {
    struct TPage {
        const char* Name;
        int32_t Page;
        int Button; // under the cursor
    };
    const TPage Pages[] = {{"menu_main", PAGE_MAIN, BUTTON_NEW_GAME},
                           {"menu_car", PAGE_CAR, BUTTON_RIGHT},
                           {"menu_map", PAGE_MAP, BUTTON_NEXT},
                           {"menu_about", PAGE_ABOUT, -1}};
    for (const TPage& P : Pages) {
        Menu->Page = P.Page;
        const TVec3 Mouse = P.Button >= 0 ? Menu->Buttons[P.Button].Center : Vec3(640, 300, 0);
        DrawMenuFrame(Mouse);
        Save(OutDir, P.Name, Written);
    }
    Menu->Page = PAGE_MAIN;
}

// A loaded race paused behind the main page, the console open over it after "Help".
void PausedPicture(const std::string& OutDir, std::vector<std::string>& Written) {
    GameManager->State = STATE_MENU;
    Menu->Page = PAGE_MAIN;
    Console->Execute("Help");
    Console->EditLine = "LoadLevel map3";
    Console->Cursor = int32_t(Console->EditLine.size());
    Console->State = csOpen;
    Console->Pos = Console->PrevPos = float(Console->Height);
    DrawMenuFrame(Menu->Buttons[BUTTON_CONTINUE].Center);
    Save(OutDir, "menu_paused", Written);
    Console->State = csHidden;
    Console->Pos = Console->PrevPos = 0;
}

// The track loaded by the race manager with its cars on the grid: the whole of it from high above,
// and the first frame of the race as the game draws it.
void TrackPictures(const TCompiledTrack& Track, int Table, const std::string& OutDir,
                   std::vector<std::string>& Written) {
    const std::string Name = std::filesystem::path(Track.Source).stem().string();
    auto& Race = static_cast<TGameManager&>(*GameManager);
    if (!Race.LoadLevelFile("data/" + MapFileOf(Track.Source), Name))
        throw std::runtime_error(Track.Source +
                                 ": the race manager refuses its map: " + Race.LastLoadError);
    const TMap& M = *Map;
    TBounds B;
    for (const TRoadPoint& P : M.Points)
        B.Add(P.Pos.x, P.Pos.y, 0);
    for (const TDeskObject& O : M.Objects)
        B.Add(O.Pos.x, O.Pos.y, 0);
    const double Margin = 260;
    const double W = B.X1 - B.X0 + 2 * Margin, H = B.Y1 - B.Y0 + 2 * Margin;
    const double Tan = std::tan(FIELD_OF_VIEW_DEG / 2 * PI / 180);
    const double Height = std::max(H / (2 * Tan), W / (2 * Tan * SHEET_W / SHEET_H));
    const double CX = (B.X0 + B.X1) / 2, CY = (B.Y0 + B.Y1) / 2;

    // From high above: every desk object, not only those near the camera.
    FrameAlpha = 1; // the cars where their latest update left them
    ClearSheet();
    Render->Set3D(FIELD_OF_VIEW_DEG, float(Height * 0.2), float(Height + 600));
    Camera->Pos = Vec3(float(CX), float(CY), float(Height));
    Camera->ApplyView();
    DrawDesk(Table, CX, CY, std::max(W, H));
    Map->DrawRoad();
    for (const TDeskObject& O : M.Objects)
        DrawDeskObject(O);
    for (TBasicCar* Car : Race.Cars)
        Car->Draw();
    double MinW = 1e9, MaxW = 0;
    for (const TRoadPoint& P : M.Points) {
        MinW = std::min(MinW, double(P.HalfWidth));
        MaxW = std::max(MaxW, double(P.HalfWidth));
    }
    Label(Name + ": " + std::to_string(int(LapLength(M))) + " units a lap, " +
              std::to_string(M.LapCount) + " laps, " + std::to_string(M.PointCount - 1) +
              " road points, half-width " + std::to_string(int(MinW)) + "-" +
              std::to_string(int(MaxW)) + ", " + std::to_string(M.ObjectCount - 2) + " objects",
          8, 6);
    Save(OutDir, "track_" + Name, Written);

    // The race camera over the player's car on the grid, as the first frame of the race shows it.
    Camera->NextPos.z = TCamera::START_HEIGHT;
    UpdateRace();
    Camera->PrevPos = Camera->NextPos;
    LastUpdateTime = Engine->Time();
    RenderProc();
    Save(OutDir, "start_" + Name, Written);
}

// The game on the SDL engine for the length of the preview, in the folder that holds data/.
class TPreviewGame {
public:
    TPreviewGame(const std::filesystem::path& Root, const std::string& LogFile)
        : Before(std::filesystem::current_path()) {
        std::filesystem::current_path(Root);
        if (!std::getenv("DISPLAY") && !std::getenv("SDL_VIDEODRIVER"))
            setenv("SDL_VIDEODRIVER", "offscreen", 1);
        TEngineOptions Options;
        Options.Windowed = true;
        Options.AudioOutput = false;
        exSetOptions(Options);
        Started = exInit(LogFile, 0);
        if (!Started) {
            std::filesystem::current_path(Before);
            throw std::runtime_error(
                "no window with OpenGL can be opened for the preview (see preview-log.txt)");
        }
        UseEngine(Started);
        SetFixedGLState();
        CreateObjects();
        Camera->NextPos.z = TCamera::START_HEIGHT;
    }
    ~TPreviewGame() {
        FreeAssets();
        DestroyObjects();
        UseEngine(nullptr);
        delete Started;
        std::filesystem::current_path(Before);
    }
    TPreviewGame(const TPreviewGame&) = delete;
    TPreviewGame& operator=(const TPreviewGame&) = delete;

private:
    std::filesystem::path Before;
    TEngine* Started = nullptr;
};

} // namespace

int RenderPreview(const TContent& Content, const std::vector<TCompiledTrack>& Tracks,
                  const std::string& DataDir, const std::string& OutDir) {
    // Game file names resolve from the folder that holds data/.
    const std::filesystem::path Root =
        std::filesystem::absolute(std::filesystem::path(DataDir).parent_path());
    const std::string Out = std::filesystem::absolute(OutDir).string();
    std::vector<std::string> Written;
    TPreviewGame Game(Root, Out + "/preview-log.txt");
    ModelSheets(ShownModels(), Map->TableTexture, Out, Written);
    TextureSheets(Content, Out, Written);
    SoundSheet(Content, Out, Written);
    MenuPictures(Out, Written);
    for (const TCompiledTrack& T : Tracks)
        TrackPictures(T, Map->TableTexture, Out, Written);
    PausedPicture(Out, Written);
    return int(Written.size());
}
