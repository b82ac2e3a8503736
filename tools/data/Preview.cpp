// The contact sheet, drawn by the game's own renderer: models through TMesh (loaded from the
// written files with computed normals, as the game loads them) under the game's fixed light,
// textures through the engine, tracks through TMap's loader, builder and drawing.

#include "Preview.h"

#include "app/variables.h"
#include "engine/Engine.h"
#include "engine/GL.h"
#include "models/dMeshes.h"
#include "world/dCamera.h"
#include "world/dMap.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <unistd.h>

namespace {

constexpr int SHEET_W = GAME_SCREEN_WIDTH, SHEET_H = GAME_SCREEN_HEIGHT;
constexpr int TILE_COLUMNS = 4, TILE_ROWS = 4; // model tiles: 256 x 192, the screen's shape
constexpr int TILE_W = SHEET_W / TILE_COLUMNS, TILE_H = SHEET_H / TILE_ROWS;
constexpr float FIELD_OF_VIEW_DEG = 45; // as the race
constexpr double RACE_CAMERA_HEIGHT = 850;
constexpr double ANGLED_TILT_DEG = 55, ANGLED_TURN_DEG = 35;
constexpr double TABLE_REPEAT_UNITS = 500; // the desk texture repeats this often, as in a race

// The car table of the game: model file and livery of each of the six cars.
const char* const CAR_MODELS[6] = {"player", "player", "player", "jeep", "supra", "supra"};
const char* const CAR_LIVERIES[6] = {"player", "player2", "player3", "jeep", "supra2", "supra"};

struct TLoaded {
    std::string Name;
    std::unique_ptr<TMesh> Mesh;
    bool IsCar = false;
    bool Unlit = false;
};

void FixedState() {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
    glCullFace(GL_BACK);
    glDisable(GL_CULL_FACE);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_NORMALIZE);
}

void ClearSheet() {
    glClearColor(0.16f, 0.17f, 0.19f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
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
    const float X0 = float(CX - Half), X1 = float(CX + Half), Y0 = float(CY - Half), Y1 = float(CY + Half);
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

// A desk object as the map draws it, at (X, Y) turned by Angle.
void DrawObject(TMesh& Mesh, float X, float Y, float Angle, bool Unlit) {
    if (Unlit) glDisable(GL_LIGHTING);
    glPushMatrix();
    glTranslatef(X, Y, 0);
    glRotatef(180, 1, 0, 0);
    glRotatef(float(double(Angle) + 180), 0, 0, 1);
    Mesh.Draw();
    glPopMatrix();
    if (Unlit) glEnable(GL_LIGHTING);
}

// A car as a car draws itself, at (X, Y) heading Heading degrees (from +x towards +y).
void DrawCar(TMesh& Mesh, float X, float Y, double Heading) {
    glPushMatrix();
    glTranslatef(X, Y, 0);
    glRotatef(180, 0, 1, 0);
    glRotatef(float(90 - Heading), 0, 0, 1);
    Mesh.Draw();
    glPopMatrix();
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
void DrawModelTile(const TLoaded& L, int Table, int Column, int Row, bool Angled) {
    TBounds B;
    for (const TVec3& V : L.Mesh->Vertices) B.Add(V.x, V.y, V.z);
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
    // Objects are drawn at angle 180 (model +y up the screen); cars heading up the screen.
    if (L.IsCar)
        DrawCar(*L.Mesh, float(-CX), float(CY), -90);
    else
        DrawObject(*L.Mesh, float(-CX), float(CY), 180, L.Unlit);
}

int ModelSheets(std::vector<TLoaded>& Models, int Table, const std::string& OutDir, std::vector<std::string>& Written) {
    const int PerSheet = TILE_COLUMNS * TILE_ROWS / 2; // two pictures per model
    int Sheet = 0;
    for (size_t First = 0; First < Models.size(); First += size_t(PerSheet), ++Sheet) {
        ClearSheet();
        std::vector<std::pair<std::string, TVec2D>> Labels;
        for (size_t I = First; I < std::min(Models.size(), First + size_t(PerSheet)); ++I) {
            const int Slot = int(I - First), Column = (Slot % 2) * 2, Row = Slot / 2;
            DrawModelTile(Models[I], Table, Column, Row, false);
            DrawModelTile(Models[I], Table, Column + 1, Row, true);
            Labels.push_back({Models[I].Name + "  (" + std::to_string(Models[I].Mesh->FaceCount) + " triangles)",
                              {double(Column * TILE_W + 4), double(Row * TILE_H + 2)}});
        }
        for (const auto& [Text, At] : Labels) Label(Text, float(At.x), float(At.y));
        Save(OutDir, "models_" + std::to_string(Sheet + 1), Written);
    }
    return Sheet;
}

void TextureSheets(const TContent& Content, const std::string& OutDir, std::vector<std::string>& Written) {
    constexpr int COLUMNS = 4, ROWS = 3, CELL = 256, MARGIN = 18;
    std::vector<const TPictureFile*> Pictures;
    for (const TPictureFile& P : Content.Pictures) Pictures.push_back(&P);
    int Sheet = 0;
    for (size_t First = 0; First < Pictures.size(); First += COLUMNS * ROWS, ++Sheet) {
        ClearSheet();
        Render->Set2D(0, 0, SHEET_W, SHEET_H);
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        for (size_t I = First; I < std::min(Pictures.size(), First + COLUMNS * ROWS); ++I) {
            const int Slot = int(I - First), X = (Slot % COLUMNS) * CELL, Y = (Slot / COLUMNS) * CELL;
            const TPictureFile& P = *Pictures[I];
            const int Handle = Textures->Load("data/" + P.Path, 0, 1, 0);
            const double Scale = std::min(double(CELL - 2 * MARGIN) / P.Image.Width(), double(CELL - 2 * MARGIN) / P.Image.Height());
            const float W = float(P.Image.Width() * Scale), H = float(P.Image.Height() * Scale);
            const float X0 = float(X + (CELL - W) / 2), Y0 = float(Y + MARGIN);
            Textures->Enable(Handle, 0);
            glColor3f(1, 1, 1);
            glBegin(GL_QUADS);
            glTexCoord2f(0, 0);
            glVertex2f(X0, Y0);
            glTexCoord2f(0, 1);
            glVertex2f(X0, Y0 + H);
            glTexCoord2f(1, 1);
            glVertex2f(X0 + W, Y0 + H);
            glTexCoord2f(1, 0);
            glVertex2f(X0 + W, Y0);
            glEnd();
            Textures->Disable(0);
            Render->TextOut(0, P.Path.substr(P.Path.find('/') + 1) + "  " + std::to_string(P.Image.Width()) + "x" +
                                   std::to_string(P.Image.Height()),
                            float(X + 4), float(Y + 1));
        }
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_LIGHTING);
        Save(OutDir, "textures_" + std::to_string(Sheet + 1), Written);
    }
}

// A button as the menu draws one: a quad centred on (CX, CY), mirrored on request.
void MenuQuad(int Texture, float CX, float CY, float W, float H, bool Mirror) {
    const float M = Mirror ? 1.0f : 0.0f;
    Textures->Enable(Texture, 0);
    glBegin(GL_QUADS);
    glTexCoord2f(M, 0);
    glVertex2f(CX - W / 2, CY - H / 2);
    glTexCoord2f(M, 1);
    glVertex2f(CX - W / 2, CY + H / 2);
    glTexCoord2f(1 - M, 1);
    glVertex2f(CX + W / 2, CY + H / 2);
    glTexCoord2f(1 - M, 0);
    glVertex2f(CX + W / 2, CY - H / 2);
    glEnd();
    Textures->Disable(0);
}

// The menu's pictures where the menu puts them (normal looks on the left, highlighted on the
// right), the console panel over the top as the console draws it, and cursors at marked points.
void MenuSheet(int Table, const std::string& OutDir, std::vector<std::string>& Written) {
    ClearSheet();
    Render->Set2D(0, 0, SHEET_W, SHEET_H);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glColor3f(1, 1, 1);
    Textures->Enable(Table, 0);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(0, 0);
    glTexCoord2f(0, 1.5f);
    glVertex2f(0, SHEET_H);
    glTexCoord2f(2, 1.5f);
    glVertex2f(SHEET_W, SHEET_H);
    glTexCoord2f(2, 0);
    glVertex2f(SHEET_W, 0);
    glEnd();
    Textures->Disable(0);
    const char* const Names[5] = {"newgame", "continue", "about", "quit", "next"};
    for (int I = 0; I < 5; ++I) {
        const std::string Base = std::string("data\\textures\\buttons\\") + Names[I];
        const float Y = 400.0f + 50.0f * float(I);
        MenuQuad(Textures->Load(Base + ".jpg", 0, 1, 0), 100, Y, 128, 32, false);
        MenuQuad(Textures->Load(Base + "over.jpg", 0, 1, 0), 260, Y, 128, 32, false);
    }
    const int Arr1 = Textures->Load("data\\textures\\buttons\\arr1.jpg", 0, 1, 0);
    const int Arr2 = Textures->Load("data\\textures\\buttons\\arr2.jpg", 0, 1, 0);
    MenuQuad(Arr1, 375, 650, 64, 64, true);
    MenuQuad(Arr1, 675, 650, 64, 64, false);
    MenuQuad(Textures->Load("data\\textures\\buttons\\next.jpg", 0, 1, 0), 525, 650, 128, 32, false);
    MenuQuad(Arr2, 375, 560, 64, 64, true);
    MenuQuad(Arr2, 675, 560, 64, 64, false);
    MenuQuad(Textures->Load("data\\textures\\buttons\\nextover.jpg", 0, 1, 0), 525, 560, 128, 32, false);
    // The console panel, open: one picture on both texture units, multiplied.
    const int Back = Textures->Load("DATA\\Textures\\console.jpg", 0, 1, 0);
    constexpr float REPEAT_T = 1.17f, PANEL_H = 200;
    const float RepeatS = REPEAT_T * 800 / PANEL_H;
    Textures->Enable(Back, 0);
    Textures->Enable(Back, 1);
    glBegin(GL_QUADS);
    glMultiTexCoord2f(GL_TEXTURE1, RepeatS + 0.3f, 0.1f);
    glMultiTexCoord2f(GL_TEXTURE0, RepeatS, 0);
    glVertex2f(SHEET_W, 0);
    glMultiTexCoord2f(GL_TEXTURE1, 0.3f, 0.1f);
    glMultiTexCoord2f(GL_TEXTURE0, 0, 0);
    glVertex2f(0, 0);
    glMultiTexCoord2f(GL_TEXTURE1, 0.3f, REPEAT_T + 0.1f);
    glMultiTexCoord2f(GL_TEXTURE0, 0, REPEAT_T);
    glVertex2f(0, PANEL_H);
    glMultiTexCoord2f(GL_TEXTURE1, RepeatS + 0.3f, REPEAT_T + 0.1f);
    glMultiTexCoord2f(GL_TEXTURE0, RepeatS, REPEAT_T);
    glVertex2f(SHEET_W, PANEL_H);
    glEnd();
    Textures->Disable(0);
    Textures->Disable(1);
    glColor3f(240 / 255.0f, 132 / 255.0f, 0);
    Render->TextOut(0, "LoadLevel map3", 15, PANEL_H - 25);
    Render->TextOut(0, "ShowFPS 1", 15, PANEL_H - 25 - 17);
    // Cursors as the menu draws them; a red mark ends at each mouse position the tip should touch.
    // The menu only enables blending; the picture needs the usual alpha blend function.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const int Cursor = Textures->Load("data\\textures\\cursor.tga", 0, 1, 0);
    for (const TVec2D P : {TVec2D{120, 405}, TVec2D{640, 300}, TVec2D{690, 655}}) {
        glColor3f(1, 1, 1);
        glPushMatrix();
        glEnable(GL_BLEND);
        glTranslatef(8, 17, 0);
        MenuQuad(Cursor, float(P.x), float(P.y), 32, 32, false);
        glDisable(GL_BLEND);
        glPopMatrix();
        glColor3f(1, 0, 0);
        glBegin(GL_QUADS);
        glVertex2f(float(P.x - 6), float(P.y));
        glVertex2f(float(P.x - 6), float(P.y + 1));
        glVertex2f(float(P.x - 2), float(P.y + 1));
        glVertex2f(float(P.x - 2), float(P.y));
        glEnd();
    }
    glColor3f(1, 1, 1);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    Save(OutDir, "menu", Written);
}

// Where the six cars stand at the start, as the race manager lines them up.
void GridSpots(const TMap& M, TVec2D Spots[6], double& Heading) {
    const TRoadPoint& P = M.Points[size_t(M.StartPoint)];
    const TVec3 S = VecNormalize(P.Side);
    const double W = P.HalfWidth;
    for (int I = 0; I < 6; ++I) {
        const double Along = W * 0.8 * (double(I) * 2 / 6 - 1);
        Spots[I] = {P.Pos.x + S.x * Along, P.Pos.y + S.y * Along};
    }
    Heading = std::atan2(-double(P.Side.x), double(P.Side.y)) * 180 / PI;
}

void TrackPictures(const TCompiledTrack& Track, TMesh* const Cars[6], TMesh* const Objects[OBJECT_KIND_COUNT], int Table,
                   const std::string& OutDir, std::vector<std::string>& Written) {
    const std::string Name = std::filesystem::path(Track.Source).stem().string();
    TMap M;
    M.LoadFromFile("data/" + MapFileOf(Track.Source));
    TBounds B;
    for (const TRoadPoint& P : M.Points) B.Add(P.Pos.x, P.Pos.y, 0);
    for (const TDeskObject& O : M.Objects) B.Add(O.Pos.x, O.Pos.y, 0);
    const double Margin = 260;
    const double W = B.X1 - B.X0 + 2 * Margin, H = B.Y1 - B.Y0 + 2 * Margin;
    const double Tan = std::tan(FIELD_OF_VIEW_DEG / 2 * PI / 180);
    const double Height = std::max(H / (2 * Tan), W / (2 * Tan * SHEET_W / SHEET_H));
    TVec2D Grid[6];
    double Heading = 0;
    GridSpots(M, Grid, Heading);

    const auto Scene = [&](double CX, double CY, double CZ, bool Whole) {
        ClearSheet();
        Render->Set3D(FIELD_OF_VIEW_DEG, Whole ? float(CZ * 0.2) : 10.0f, Whole ? float(CZ + 600) : 1000.0f);
        TCamera View;
        View.Pos = {float(CX), float(CY), float(CZ)};
        Camera = &View;
        View.ApplyView();
        if (Whole) {
            DrawDesk(Table, CX, CY, std::max(W, H));
            glDisable(GL_LIGHTING);
            glColor3f(1, 1, 1);
            M.RoadMesh->Draw();
            glEnable(GL_LIGHTING);
            for (const TDeskObject& O : M.Objects)
                if (Objects[O.Kind]) DrawObject(*Objects[O.Kind], O.Pos.x, O.Pos.y, O.Angle, O.Kind == START_FLAG_KIND);
        }
        glPushMatrix();
        for (int I = 0; I < 6; ++I) DrawCar(*Cars[I], float(Grid[I].x), float(Grid[I].y), Heading);
        glPopMatrix();
        if (!Whole) M.Draw(); // the race's own drawing: road, objects in range, desk
        Camera = nullptr;
    };
    Scene((B.X0 + B.X1) / 2, (B.Y0 + B.Y1) / 2, Height, true);
    double MinW = 1e9, MaxW = 0;
    for (const TRoadPoint& P : M.Points) {
        MinW = std::min(MinW, double(P.HalfWidth));
        MaxW = std::max(MaxW, double(P.HalfWidth));
    }
    Label(Name + ": " + std::to_string(int(LapLength(M))) + " units a lap, " + std::to_string(M.LapCount) + " laps, " +
              std::to_string(M.PointCount - 1) + " road points, half-width " + std::to_string(int(MinW)) + "-" +
              std::to_string(int(MaxW)) + ", " + std::to_string(M.ObjectCount - 2) + " objects",
          8, 6);
    Save(OutDir, "track_" + Name, Written);
    // The race camera over the player's car on the grid.
    Scene(Grid[0].x, Grid[0].y, RACE_CAMERA_HEIGHT, false);
    Label(Name + ": the start, seen by the race camera", 8, 6);
    Save(OutDir, "start_" + Name, Written);
}

} // namespace

int RenderPreview(const TContent& Content, const std::vector<TCompiledTrack>& Tracks, const std::string& DataDir,
                  const std::string& OutDir) {
    // Game file names ("data\meshes\...") resolve from the folder that holds data/.
    const std::filesystem::path Root = std::filesystem::absolute(std::filesystem::path(DataDir).parent_path());
    const std::string Out = std::filesystem::absolute(OutDir).string();
    const std::filesystem::path Before = std::filesystem::current_path();
    std::filesystem::current_path(Root);
    if (!std::getenv("DISPLAY") && !std::getenv("SDL_VIDEODRIVER")) setenv("SDL_VIDEODRIVER", "offscreen", 1);
    TEngineOptions Options;
    Options.Windowed = true;
    exSetOptions(Options);
    TEngine* E = exInit(Out + "/preview-log.txt", 0);
    if (!E) {
        std::filesystem::current_path(Before);
        throw std::runtime_error("no window with OpenGL can be opened for the preview (see preview-log.txt)");
    }
    UseEngine(E);
    FixedState();
    std::vector<std::string> Written;
    {
        const int Table = Textures->Load("data\\textures\\table.jpg", 0, 1, 0);
        std::vector<TLoaded> Models;
        for (int I = 0; I < 6; ++I) {
            TLoaded L{std::string(CAR_MODELS[I]) + " / " + CAR_LIVERIES[I], std::make_unique<TMesh>(), true, false};
            L.Mesh->Load(std::string("data\\meshes\\") + CAR_MODELS[I] + ".mdl", true);
            L.Mesh->SetTexture(std::string("data\\textures\\cars\\") + CAR_LIVERIES[I] + ".jpg");
            Models.push_back(std::move(L));
        }
        TMesh* Cars[6];
        for (int I = 0; I < 6; ++I) Cars[I] = Models[size_t(I)].Mesh.get();
        TMesh Empty;
        TMesh* Objects[OBJECT_KIND_COUNT] = {};
        for (int K = 0; K < OBJECT_KIND_COUNT; ++K) {
            if (!OBJECT_KINDS[K].Model[0]) {
                Objects[K] = &Empty;
                continue;
            }
            const std::string Model = OBJECT_KINDS[K].Model;
            TLoaded L{Model, std::make_unique<TMesh>(), false, K == START_FLAG_KIND};
            L.Mesh->Load("data\\meshes\\" + Model + ".mdl", true);
            L.Mesh->SetTexture("data\\textures\\objects\\" + (Model == "paper_m" ? std::string("paper") : Model) + ".jpg");
            Objects[K] = L.Mesh.get();
            Models.push_back(std::move(L));
        }
        for (int K = 0; K < OBJECT_KIND_COUNT; ++K) ObjectMeshes[K] = Objects[K];
        ModelSheets(Models, Table, Out, Written);
        TextureSheets(Content, Out, Written);
        MenuSheet(Table, Out, Written);
        for (const TCompiledTrack& T : Tracks) TrackPictures(T, Cars, Objects, Table, Out, Written);
        for (TMesh*& M : ObjectMeshes) M = nullptr;
    }
    UseEngine(nullptr);
    delete E;
    std::filesystem::current_path(Before);
    return int(Written.size());
}
