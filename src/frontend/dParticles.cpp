#include "frontend/dParticles.h"

#include "app/variables.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int RGBA_FORMAT = 0x1908; // GL_RGBA
constexpr int RGBA_BYTES = 4;
constexpr double BLUR_RADIUS_PX = 32; // the dot fades to transparent at this distance
constexpr int BLUR_CENTRE = 32;

} // namespace

TParticleEngine::TParticleEngine() {
    if (Shaders->Load("DATA\\Shaders\\BillBoard.txt", "billboard"))
        ShaderHandle = Shaders->Handle();
    Shaders->Disable(); // everything the game draws uses the fixed-function pipeline
    const std::vector<uint8_t> Image = MakeBlurImage();
    BlurTexture = Textures->Create("DefaultBlur.tga", RGBA_BYTES, RGBA_FORMAT, BLUR_SIZE, BLUR_SIZE,
                                   Image.data(), 0, 1, 0);
    Count = 0;
}

TParticleEngine::~TParticleEngine() {
    Clear();
}

void TParticleEngine::Clear() {
    for (TParticle& P : Particles)
        P.Alive = false;
    Count = 0;
}

std::vector<uint8_t> TParticleEngine::MakeBlurImage() {
    std::vector<uint8_t> Image(size_t(BLUR_SIZE) * BLUR_SIZE * RGBA_BYTES, 255);
    for (int Row = 0; Row < BLUR_SIZE; ++Row)
        for (int Column = 0; Column < BLUR_SIZE; ++Column) {
            const int DR = Row - BLUR_CENTRE;
            const int DC = Column - BLUR_CENTRE;
            const double D = std::sqrt(double(DR * DR + DC * DC));
            const int Fade = std::min(255, int(std::trunc(D / BLUR_RADIUS_PX * 255)));
            Image[(size_t(Row) * BLUR_SIZE + size_t(Column)) * RGBA_BYTES + 3] =
                uint8_t(255 - Fade);
        }
    return Image;
}
