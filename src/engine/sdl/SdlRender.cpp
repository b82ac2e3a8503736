// Render and font services of the SDL engine: clearing, the 3-D and 2-D spaces, text from glyph
// atlases, the frame counter.
#include "engine/sdl/EngineSdl.h"

#include "engine/GL.h"
#include "engine/sdl/EngineGL.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double GAME_ASPECT = double(GAME_SCREEN_WIDTH) / GAME_SCREEN_HEIGHT;
// Eye depths the 2-D space keeps: its near plane lies just in front of depth 0, so depth 0 maps
// to window depth 0.001 (in front of every 3-D scene) while the far plane leaves room behind.
constexpr double ORTHO_2D_NEAR = -1.0;
constexpr double ORTHO_2D_FAR = 1000.0;
// Glyphs in the atlas: 16 x 16 cells, each a glyph's largest bitmap plus a clear border.
constexpr int ATLAS_COLUMNS = 16;
constexpr int ATLAS_CELL_BORDER_PX = 1;
constexpr int FPS_WINDOW_MS = 1000;

} // namespace

// ---- fonts -------------------------------------------------------------------------------------

int TSdlEngine::TFontService::Create(const std::string& Family, int Size, int, int) {
    const int SizePx = TFontFace::ClampSizePx(Size);
    std::vector<TFontAtlas>& Atlases = Owner->FontAtlases;
    for (size_t I = 0; I < Atlases.size(); ++I)
        if (Atlases[I].Family == Family && Atlases[I].Face->SizePx() == SizePx) return int(I);

    TFontAtlas Atlas;
    Atlas.Family = Family;
    Atlas.Face = TFontFace::Open(Family, SizePx);
    if (!Atlas.Face) return 0; // logged; the default font stands in
    const TFontFace& Face = *Atlas.Face;
    int CellW = 1, CellH = 1;
    for (int B = 0; B < 256; ++B) {
        CellW = std::max(CellW, Face.Glyph(uint8_t(B)).Width);
        CellH = std::max(CellH, Face.Glyph(uint8_t(B)).Height);
    }
    CellW += 2 * ATLAS_CELL_BORDER_PX;
    CellH += 2 * ATLAS_CELL_BORDER_PX;
    Atlas.AtlasWidth = CellW * ATLAS_COLUMNS;
    Atlas.AtlasHeight = CellH * (256 / ATLAS_COLUMNS);
    std::vector<uint8_t> Texels(size_t(Atlas.AtlasWidth) * size_t(Atlas.AtlasHeight), 0);
    for (int B = 0; B < 256; ++B) {
        const TFontFace::TGlyph& G = Face.Glyph(uint8_t(B));
        Atlas.CellX[B] = (B % ATLAS_COLUMNS) * CellW + ATLAS_CELL_BORDER_PX;
        Atlas.CellY[B] = (B / ATLAS_COLUMNS) * CellH + ATLAS_CELL_BORDER_PX;
        for (int Y = 0; Y < G.Height; ++Y)
            std::copy_n(G.Alpha.begin() + ptrdiff_t(Y) * G.Width, G.Width,
                        Texels.begin() + ptrdiff_t(Atlas.CellY[B] + Y) * Atlas.AtlasWidth +
                            Atlas.CellX[B]);
    }

    Atlas.Texture = NewTexture([&] {
        EngineGL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        EngineGL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        EngineGL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        EngineGL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        EngineGL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        EngineGL.TexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, Atlas.AtlasWidth, Atlas.AtlasHeight, 0,
                            GL_ALPHA, GL_UNSIGNED_BYTE, Texels.data());
    });

    exLog("font " + std::to_string(Atlases.size()) + ": \"" + Family + "\" " +
          std::to_string(SizePx) + " px from " + Face.FileName());
    Atlases.push_back(std::move(Atlas));
    return int(Atlases.size()) - 1;
}

const TSdlEngine::TFontAtlas* TSdlEngine::TRenderService::FontOf(int Font) const {
    const std::vector<TFontAtlas>& Atlases = Owner->FontAtlases;
    if (Atlases.empty()) return nullptr;
    if (Font < 0 || size_t(Font) >= Atlases.size()) Font = 0;
    return &Atlases[size_t(Font)];
}

int TSdlEngine::TRenderService::TextWidth(int Font, const std::string& Text) {
    const TFontAtlas* Atlas = FontOf(Font);
    return Atlas ? Atlas->Face->Advance(Text) : 0;
}

void TSdlEngine::TRenderService::TextOut(int Font, const std::string& Text, float X, float Y) {
    const TFontAtlas* Atlas = FontOf(Font);
    if (!Atlas || Text.empty()) return;
    const TFontFace& Face = *Atlas->Face;

    GLint Program = 0;
    if (EngineGL.HasShaders) EngineGL.GetIntegerv(GL_CURRENT_PROGRAM, &Program);
    // Enables of every unit, blending, the active unit with every unit's binding and texture
    // environment, depth test and writes, the current colour and texture coordinate, polygon mode.
    EngineGL.PushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT | GL_DEPTH_BUFFER_BIT |
                        GL_CURRENT_BIT | GL_POLYGON_BIT);
    if (Program) EngineGL.UseProgram(0);
    for (int Unit = Owner->TextureService.UnitCount - 1; Unit >= 1; --Unit) {
        EngineGL.ActiveTexture(GLenum(GL_TEXTURE0 + Unit));
        glDisable(GL_TEXTURE_2D);
    }
    EngineGL.ActiveTexture(GL_TEXTURE0);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_FOG);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glEnable(GL_TEXTURE_2D);
    EngineGL.BindTexture(GL_TEXTURE_2D, Atlas->Texture);
    EngineGL.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    EngineGL.PolygonMode(GL_FRONT_AND_BACK, GL_FILL);

    const float InvW = 1.0f / float(Atlas->AtlasWidth), InvH = 1.0f / float(Atlas->AtlasHeight);
    const long PenX = std::lround(X);
    const long Baseline = std::lround(Y) + Face.AscentPx();
    long Pen = 0;
    glBegin(GL_QUADS);
    for (char Ch : Text) {
        const uint8_t B = uint8_t(Ch);
        const TFontFace::TGlyph& G = Face.Glyph(B);
        if (G.Width > 0 && G.Height > 0) {
            const float X0 = float(PenX + Pen + G.Left), Y0 = float(Baseline - G.Top);
            const float X1 = X0 + float(G.Width), Y1 = Y0 + float(G.Height);
            const float U0 = float(Atlas->CellX[B]) * InvW, V0 = float(Atlas->CellY[B]) * InvH;
            const float U1 = float(Atlas->CellX[B] + G.Width) * InvW;
            const float V1 = float(Atlas->CellY[B] + G.Height) * InvH;
            glTexCoord2f(U0, V0);
            glVertex2f(X0, Y0);
            glTexCoord2f(U0, V1);
            glVertex2f(X0, Y1);
            glTexCoord2f(U1, V1);
            glVertex2f(X1, Y1);
            glTexCoord2f(U1, V0);
            glVertex2f(X1, Y0);
        }
        Pen += G.AdvancePx;
    }
    glEnd();

    EngineGL.PopAttrib();
    if (Program) EngineGL.UseProgram(GLuint(Program));
}

// ---- spaces and clearing -----------------------------------------------------------------------

void TSdlEngine::TRenderService::Clear(bool Colour, bool Depth, bool Stencil) {
    const GLbitfield Mask = (Colour ? GL_COLOR_BUFFER_BIT : 0) | (Depth ? GL_DEPTH_BUFFER_BIT : 0) |
                            (Stencil ? GL_STENCIL_BUFFER_BIT : 0);
    if (!Mask) return;
    // Write masks and the scissor box would keep parts uncleared: clear the whole frame.
    EngineGL.PushAttrib(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT |
                        GL_SCISSOR_BIT | GL_ENABLE_BIT);
    glDisable(GL_SCISSOR_TEST);
    EngineGL.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glClear(Mask);
    EngineGL.PopAttrib();
}

void TSdlEngine::TRenderService::Set3D(float FieldOfViewDeg, float Near, float Far) {
    double Fov = FieldOfViewDeg, N = Near, F = Far;
    if (!(Fov > 0 && Fov < 180) || !(N > 0) || !(F > N)) {
        exLog("warning: Render.Set3D(" + std::to_string(Fov) + ", " + std::to_string(N) + ", " +
              std::to_string(F) + ") has no perspective; using 45, 1, 1000");
        Fov = 45;
        N = 1;
        F = 1000;
    }
    const double Top = N * std::tan(Fov * std::numbers::pi / 360.0);
    const double Right = Top * GAME_ASPECT;
    glViewport(0, 0, GAME_SCREEN_WIDTH, GAME_SCREEN_HEIGHT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    EngineGL.Frustum(-Right, Right, -Top, Top, N, F);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void TSdlEngine::TRenderService::Set2D(float X, float Y, float Width, float Height) {
    if (Width == 0 || Height == 0) {
        exLog("warning: Render.Set2D with an empty area; using the whole screen");
        X = Y = 0;
        Width = GAME_SCREEN_WIDTH;
        Height = GAME_SCREEN_HEIGHT;
    }
    glViewport(0, 0, GAME_SCREEN_WIDTH, GAME_SCREEN_HEIGHT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(X, double(X) + Width, double(Y) + Height, Y, ORTHO_2D_NEAR, ORTHO_2D_FAR);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

int TSdlEngine::TRenderService::FPS() {
    const double Now = Owner->ClockMs();
    while (!FrameTimes.empty() && FrameTimes.front() <= Now - FPS_WINDOW_MS)
        FrameTimes.pop_front();
    return int(FrameTimes.size());
}
