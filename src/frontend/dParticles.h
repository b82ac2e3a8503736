#pragma once
// The particle engine: a fixed pool of billboard particles, the billboard shader and a generated
// soft-dot texture. Nothing in the game emits particles.

#include "math/dMath.h"

#include <cstdint>
#include <vector>

struct TParticle {
    TVec3 Pos;
    TVec3 Velocity;
    float Life = 0;
    bool Alive = false;
};

class TParticleEngine {
public:
    static constexpr int PARTICLE_SLOTS = 10000;
    static constexpr int BLUR_SIZE = 64; // the soft dot is BLUR_SIZE x BLUR_SIZE RGBA pixels

    int32_t Count = 0;
    TParticle Particles[PARTICLE_SLOTS];
    int ShaderHandle = 0;
    int BlurTexture = 0;

    TParticleEngine();
    ~TParticleEngine();
    void Clear();

    // The soft dot's RGBA bytes, row after row.
    static std::vector<uint8_t> MakeBlurImage();
};
