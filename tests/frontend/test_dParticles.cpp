#include "frontend/dParticles.h"

#include "app/variables.h"
#include "engine/EngineHeadless.h"
#include "engine/GL.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace {

constexpr int SIDE = TParticleEngine::BLUR_SIZE;

int AlphaAt(const std::vector<uint8_t>& Image, int Row, int Column) {
    return Image[(size_t(Row) * SIDE + size_t(Column)) * 4 + 3];
}

class ParticleTest : public ::testing::Test {
protected:
    THeadlessEngine E;
    void SetUp() override { UseEngine(&E); }
    void TearDown() override { UseEngine(nullptr); }
};

} // namespace

TEST(BlurImage, FadesLinearlyFromTheCentre) {
    const std::vector<uint8_t> Image = TParticleEngine::MakeBlurImage();
    ASSERT_EQ(Image.size(), 16384u);
    EXPECT_EQ(AlphaAt(Image, 32, 32), 255);
    EXPECT_EQ(AlphaAt(Image, 32, 31), 248); // 255 - trunc(1 / 32 * 255)
    EXPECT_EQ(AlphaAt(Image, 31, 32), 248);
    EXPECT_EQ(AlphaAt(Image, 32, 16), 128); // 255 - trunc(127.5)
    EXPECT_EQ(AlphaAt(Image, 32, 63), 8);   // 31 px out: 255 - trunc(247.03)
    EXPECT_EQ(AlphaAt(Image, 33, 33), 244); // sqrt(2) px out: 255 - trunc(11.27)
}

TEST(BlurImage, TransparentFromRadius32Outwards) {
    const std::vector<uint8_t> Image = TParticleEngine::MakeBlurImage();
    EXPECT_EQ(AlphaAt(Image, 32, 0), 0);
    EXPECT_EQ(AlphaAt(Image, 0, 32), 0);
    for (int Row : {0, SIDE - 1})
        for (int Column : {0, SIDE - 1})
            EXPECT_EQ(AlphaAt(Image, Row, Column), 0) << Row << "," << Column;
}

TEST(BlurImage, ColourBytesAreAlwaysWhite) {
    const std::vector<uint8_t> Image = TParticleEngine::MakeBlurImage();
    for (size_t I = 0; I < Image.size(); I += 4) {
        ASSERT_EQ(Image[I], 255) << I;
        ASSERT_EQ(Image[I + 1], 255) << I;
        ASSERT_EQ(Image[I + 2], 255) << I;
    }
}

TEST_F(ParticleTest, MissingShaderLeavesHandleZeroAndStillMakesTheTexture) {
    const TScratchWorkingDirectory Empty("marvolin-particles");
    GLStartRecording();
    auto Particles = std::make_unique<TParticleEngine>();
    GLStopRecording();

    ASSERT_EQ(E.ShaderLog.size(), 1u);
    EXPECT_EQ(E.ShaderLog[0], "DATA\\Shaders\\BillBoard.txt");
    EXPECT_EQ(Particles->ShaderHandle, 0);
    ASSERT_EQ(GLRecordedCalls().size(), 1u);
    EXPECT_EQ(GLRecordedCalls()[0].Name, "Shaders.Disable");

    ASSERT_GE(Particles->BlurTexture, 1);
    const auto& Texture = E.TextureLog[size_t(Particles->BlurTexture) - 1];
    EXPECT_EQ(Texture.Name, "DefaultBlur.tga");
    EXPECT_EQ(Texture.Width, 64);
    EXPECT_EQ(Texture.Height, 64);
    EXPECT_EQ(Texture.Components, 4);
    EXPECT_EQ(Texture.Pixels, TParticleEngine::MakeBlurImage());
    EXPECT_FALSE(std::filesystem::exists("DefaultBlur.tga")); // nothing is written
}

TEST_F(ParticleTest, LoadedShaderGivesItsHandleAndIsDisabled) {
    const TScratchWorkingDirectory Scratch("marvolin-particles");
    std::filesystem::create_directories("data/shaders");
    std::ofstream("data/shaders/billboard.txt") << "shader";
    GLStartRecording();
    auto Particles = std::make_unique<TParticleEngine>();
    GLStopRecording();
    EXPECT_NE(Particles->ShaderHandle, 0);
    EXPECT_EQ(Particles->ShaderHandle, E.Shaders()->Handle());
    ASSERT_EQ(GLRecordedCalls().size(), 1u);
    EXPECT_EQ(GLRecordedCalls()[0].Name, "Shaders.Disable");
}

TEST_F(ParticleTest, PoolStartsFreeAndClearFreesEverySlot) {
    auto Particles = std::make_unique<TParticleEngine>();
    EXPECT_EQ(Particles->Count, 0);
    ASSERT_EQ(std::size(Particles->Particles), 10000u);
    for (const TParticle& P : Particles->Particles)
        ASSERT_FALSE(P.Alive);

    for (int I : {0, 1, 5000, 9999})
        Particles->Particles[I].Alive = true;
    Particles->Count = 4;
    Particles->Clear();
    EXPECT_EQ(Particles->Count, 0);
    for (const TParticle& P : Particles->Particles)
        ASSERT_FALSE(P.Alive);
}
