// The map's drawing: the road, the desk objects near the camera and the desk surface.
#include "app/variables.h"
#include "engine/GL.h"
#include "models/dMeshes.h"
#include "world/dCamera.h"
#include "world/dMap.h"

namespace {

// Desk objects are drawn within this XY distance of the camera (squared, world units).
constexpr double DRAW_RANGE_SQR = 640000; // 800 units
// The desk surface: a square this far each way from the camera, just behind the desk plane.
constexpr float TABLE_HALF_SIZE = 500;
constexpr float TABLE_DEPTH = 0.02;
constexpr double TABLE_REPEATS = 2;        // texture repeats across the square
constexpr double TABLE_TRAVEL_EXTRA = 500; // see DrawTable

} // namespace

float TMap::DistSqrXY(const TVec3& A, const TVec3& B) {
    const double DX = double(A.x) - B.x;
    const double DY = double(A.y) - B.y;
    return float(DX * DX + DY * DY);
}

bool TMap::IsVisible(const TDeskObject& Object) const {
    return DistSqrXY(Camera->Pos, Object.Pos) < DRAW_RANGE_SQR;
}

// Leaves lighting on, texturing on unit 0 off, depth writes on, and the desk surface's
// translation on the model-view matrix.
void TMap::Draw() {
    DrawRoad();

    for (const TDeskObject& Object : Objects)
        if (IsVisible(Object)) DrawDeskObject(Object);
    DrawTable();
}

void TMap::DrawRoad() {
    glDisable(GL_LIGHTING);
    glColor3f(1, 1, 1);
    RoadMesh->Draw();
    glEnable(GL_LIGHTING);
}

void DrawDeskObject(const TDeskObject& Object) {
    // The start flags glow: they are drawn unlit.
    const bool Unlit = Object.Kind == START_FLAG_KIND;
    if (Unlit) glDisable(GL_LIGHTING);
    glPushMatrix();
    glTranslatef(Object.Pos.x, Object.Pos.y, 0);
    glRotatef(180, 1, 0, 0);
    glRotatef(float(double(Object.Angle) + 180), 0, 0, 1);
    if (TMesh* Mesh = ObjectMeshes[Object.Kind]) Mesh->Draw();
    glPopMatrix();
    if (Unlit) glEnable(GL_LIGHTING);
}

// Drawn last, with depth writes off: it shows only where nothing nearer was drawn. The
// translation is not undone; the 3-D pass ends here.
void TMap::DrawTable() {
    const TVec3& C = Camera->Pos;
    // The square follows the camera, so its texture must slide back as the camera moves for the
    // grain to stay on the desk: one repeat spans 500 units of the square, and the texture shifts
    // one repeat per (TableScale + 500) / 2 = 506 units of travel, so the grain creeps along by
    // about 1 % of the camera's travel, as the desk always has.
    const double TravelPerRepeat = (double(TableScale) + TABLE_TRAVEL_EXTRA) / 2;
    const float S0 = float(C.x / TravelPerRepeat);
    const float T0 = float(C.y / TravelPerRepeat);
    const float S1 = float(double(S0) + TABLE_REPEATS);
    const float T1 = float(double(T0) + TABLE_REPEATS);
    const float H = TABLE_HALF_SIZE;

    glDepthMask(GL_FALSE);
    glTranslatef(C.x, C.y, TABLE_DEPTH);
    Textures->Enable(TableTexture, 0);
    glColor3f(1, 1, 1);
    glDisable(GL_LIGHTING);
    glBegin(GL_QUADS);
    glTexCoord2f(S0, T0);
    glVertex3f(-H, -H, 0);
    glTexCoord2f(S0, T1);
    glVertex3f(-H, H, 0);
    glTexCoord2f(S1, T1);
    glVertex3f(H, H, 0);
    glTexCoord2f(S1, T0);
    glVertex3f(H, -H, 0);
    glEnd();
    glEnable(GL_LIGHTING);
    Textures->Disable(0);
    glDepthMask(GL_TRUE);
}
