#include "cars/dCars.h"

#include "app/variables.h"
#include "engine/GL.h"
#include "models/dMeshes.h"

void TBasicCar::Draw() {
    // Between the last two updates; FrameAlpha is not clamped, so above 1 this extrapolates.
    const float T = FrameAlpha;
    const TVec3 P = VecAdd(PrevPos, VecScale(VecSub(Pos, PrevPos), T));
    const float A = Angle;
    const float B = PrevAngle;
    // Across the sign change the heading is not swept the long way round: for B = 170 and
    // A = -170 the car is drawn at 170 until the next update.
    const bool OppositeSigns = (A < 0 && B > 0) || (A > 0 && B < 0);
    const float H = OppositeSigns ? float(double(B) + (double(A) + B) * T)
                                  : float(double(B) + (double(A) - B) * T);
    DrawCarModel(Model, P, H);
}

void DrawCarModel(int32_t Model, const TVec3& Pos, float HeadingDeg) {
    glPushMatrix();
    glTranslatef(Pos.x, Pos.y, 0);
    glRotatef(180, 0, 1, 0);
    glRotatef(float(90.0 - HeadingDeg), 0, 0, 1);
    if (Model >= 0 && Model < CAR_MODEL_COUNT && CarMeshes[Model]) CarMeshes[Model]->Draw();
    glPopMatrix();
}

void TAICar::Draw() {
    TBasicCar::Draw();
}
