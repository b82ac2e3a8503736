// The SDL2/OpenGL back-end drawn through for real and read back. SDL's "offscreen" video driver
// gives a GL context through EGL without any display; the GL tests run only on Mesa's software
// renderer, so that a GPU elsewhere does not change what they see.
#include "engine/Engine.h"
#include "engine/GL.h"
#include "engine/Text1251.h"
#include "engine/sdl/EngineGL.h"
#include "engine/sdl/FontRaster.h"
#include "engine/sdl/ImageCodec.h"
#include "engine/sdl/KeyMap.h"
#include "engine/sdl/Letterbox.h"
#include "engine/sdl/PressQueue.h"
#include "engine/sdl/ShaderFile.h"

#include "DisplayEngine.h"
#include "TestSupport.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#if __has_include(<stb/stb_image_write.h>)
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>
#else
#include <stb_image.h>
#include <stb_image_write.h>
#endif

namespace fs = std::filesystem;

namespace {

// Colour channels read back from an 8-bit frame may differ from the exact value by this much.
constexpr int CHANNEL_TOLERANCE = 2;
// JPEG is lossy: a flat colour comes back within this.
constexpr int JPEG_TOLERANCE = 12;
// Coverage of the on-screen text and of the CPU rasteriser may differ by this much (8-bit
// blending and filtering round).
constexpr int COVERAGE_TOLERANCE = 3;
// A pixel the 3-D projection puts at a point lands within this many pixels of it.
constexpr double PROJECTION_TOLERANCE_PX = 1.5;

TEngine* Engine = nullptr;
GLint BlendAtStart[2] = {}; // source and destination factors right after exInit
std::optional<TScratchFolder> Scratch;
fs::path TempFolder; // the scratch folder's path
fs::path LogFile;

class TDisplayEnvironment final : public ::testing::Environment {
public:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
        // The engine's sound goes to OpenAL Soft's null output: no sound card is touched.
        setenv("ALSOFT_DRIVERS", "null", 1);
        // The offscreen window never has the keyboard's focus, without which SDL holds back
        // presses of a pad (a virtual one here).
        setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
        // Nothing here may reach a display server the run happens to have (an X server from
        // xvfb-run, a desktop): the same software context everywhere.
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        TempFolder = Scratch.emplace("marvolin-display").Path;
        LogFile = TempFolder / "log.txt";
        TEngineOptions Options;
        Options.Windowed = true;
        exSetOptions(Options);
        Engine = exInit(LogFile.string(), 0);
        if (Engine) {
            EngineGL.GetIntegerv(GL_BLEND_SRC, &BlendAtStart[0]);
            EngineGL.GetIntegerv(GL_BLEND_DST, &BlendAtStart[1]);
        }
    }
    void TearDown() override {
        delete Engine;
        Engine = nullptr;
        Scratch.reset();
    }
};

[[maybe_unused]] const auto* const Registered =
    ::testing::AddGlobalTestEnvironment(new TDisplayEnvironment);

struct TRgba {
    int R = 0, G = 0, B = 0, A = 0;
};

// A pixel of the game's frame, in game screen coordinates (y down from the top).
TRgba PixelAt(int X, int Y) {
    unsigned char P[4] = {};
    glReadPixels(X, GAME_SCREEN_HEIGHT - 1 - Y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, P);
    return {P[0], P[1], P[2], P[3]};
}

// The red channel of a block of the frame, rows from the top.
std::vector<uint8_t> RedChannel(int X, int Y, int W, int H) {
    std::vector<uint8_t> Rgba(size_t(W) * size_t(H) * 4);
    glReadPixels(X, GAME_SCREEN_HEIGHT - Y - H, W, H, GL_RGBA, GL_UNSIGNED_BYTE, Rgba.data());
    std::vector<uint8_t> Red(size_t(W) * size_t(H));
    for (int Row = 0; Row < H; ++Row)
        for (int Col = 0; Col < W; ++Col)
            Red[size_t(Row) * size_t(W) + size_t(Col)] =
                Rgba[(size_t(H - 1 - Row) * size_t(W) + size_t(Col)) * 4];
    return Red;
}

bool Near(const TRgba& P, int R, int G, int B, int Tolerance = CHANNEL_TOLERANCE) {
    return std::abs(P.R - R) <= Tolerance && std::abs(P.G - G) <= Tolerance &&
           std::abs(P.B - B) <= Tolerance;
}

std::string Describe(const TRgba& P) {
    return "(" + std::to_string(P.R) + ", " + std::to_string(P.G) + ", " + std::to_string(P.B) +
           ")";
}

void FillRect(float X0, float Y0, float X1, float Y1, float Z = 0) {
    glBegin(GL_QUADS);
    glVertex3f(X0, Y0, Z);
    glVertex3f(X0, Y1, Z);
    glVertex3f(X1, Y1, Z);
    glVertex3f(X1, Y0, Z);
    glEnd();
}

void TexturedRect(float X0, float Y0, float X1, float Y1) {
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
}

// Every GL test starts from a black frame, fixed-function drawing without lighting, depth test
// or blending, white colour, and the 2-D pixel space.
class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Engine) GTEST_SKIP() << "no OpenGL context through SDL's offscreen driver";
        const GLubyte* Renderer = EngineGL.GetString(GL_RENDERER);
        const std::string Name = Renderer ? reinterpret_cast<const char*>(Renderer) : "";
        if (Name.find("llvmpipe") == std::string::npos &&
            Name.find("softpipe") == std::string::npos)
            GTEST_SKIP() << "not Mesa's software renderer: " << Name;
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glDisable(GL_CULL_FACE);
        Engine->Shaders()->Disable();
        Engine->Textures()->Disable(0);
        Engine->Textures()->Disable(1);
        glClearColor(0, 0, 0, 1);
        Engine->Render()->Clear(true, true, false);
        glColor3f(1, 1, 1);
        Engine->Render()->Set2D(0, 0, GAME_SCREEN_WIDTH, GAME_SCREEN_HEIGHT);
    }
};

// ---- spaces ------------------------------------------------------------------------------------

TEST_F(DisplayTest, TwoDimensionalSpaceHasItsOriginTopLeftAndYDownward) {
    glColor3f(1, 0, 0);
    FillRect(10, 20, 30, 40);
    EXPECT_TRUE(Near(PixelAt(15, 25), 255, 0, 0)) << Describe(PixelAt(15, 25));
    EXPECT_TRUE(Near(PixelAt(10, 20), 255, 0, 0)) << "the rectangle's first pixel";
    EXPECT_TRUE(Near(PixelAt(9, 25), 0, 0, 0)) << "left of it";
    EXPECT_TRUE(Near(PixelAt(30, 25), 0, 0, 0)) << "its right edge is exclusive";
    EXPECT_TRUE(Near(PixelAt(15, GAME_SCREEN_HEIGHT - 25), 0, 0, 0)) << "not mirrored vertically";
}

TEST_F(DisplayTest, TwoDimensionalSpaceCoversAWholeAreaAskedFor) {
    Engine->Render()->Set2D(0, 0, 512, 384); // each unit two pixels
    glColor3f(0, 1, 0);
    FillRect(256, 192, 512, 384);
    EXPECT_TRUE(Near(PixelAt(700, 500), 0, 255, 0));
    EXPECT_TRUE(Near(PixelAt(1023, 767), 0, 255, 0));
    EXPECT_TRUE(Near(PixelAt(500, 370), 0, 0, 0));
}

// The game's view: two half turns make the eye look down +z from (Pos.x, Pos.y, -Pos.z).
void GameView(float PosX, float PosY, float PosZ) {
    glRotatef(180, 0, 0, 1);
    glRotatef(180, 0, 1, 0);
    glTranslatef(-PosX, -PosY, PosZ);
}

TEST_F(DisplayTest, ThreeDimensionalViewPutsADeskPointWhereThePerspectiveSays) {
    constexpr float EyeX = 100, EyeY = 200, Height = 500;
    constexpr float OffsetX = 50, OffsetY = 30, HalfSide = 2;
    Engine->Render()->Set3D(45, 10, 1000);
    GameView(EyeX, EyeY, Height);
    glColor3f(1, 1, 0);
    const float Cx = EyeX + OffsetX, Cy = EyeY + OffsetY;
    FillRect(Cx - HalfSide, Cy - HalfSide, Cx + HalfSide, Cy + HalfSide);

    // Pixels per world unit at the desk: half the screen height over tan(22.5 degrees) x distance.
    const double PixelsPerUnit = 384.0 / std::tan(22.5 * 3.14159265358979323846 / 180) / Height;
    const double ExpectX = 512 + OffsetX * PixelsPerUnit, ExpectY = 384 + OffsetY * PixelsPerUnit;
    // Find the yellow blob's centre.
    double SumX = 0, SumY = 0;
    int Count = 0;
    for (int Y = 384; Y < 500; ++Y)
        for (int X = 512; X < 700; ++X) {
            // Reading row by row is slow; the blob is small, so look only where it may be.
            if (std::abs(X - ExpectX) > 12 || std::abs(Y - ExpectY) > 12) continue;
            if (Near(PixelAt(X, Y), 255, 255, 0)) {
                SumX += X + 0.5;
                SumY += Y + 0.5;
                ++Count;
            }
        }
    ASSERT_GT(Count, 0) << "nothing drawn near (" << ExpectX << ", " << ExpectY << ")";
    EXPECT_NEAR(SumX / Count, ExpectX, PROJECTION_TOLERANCE_PX) << "world x grows to the right";
    EXPECT_NEAR(SumY / Count, ExpectY, PROJECTION_TOLERANCE_PX) << "world y grows downwards";
    // The mirror images of that place stay empty.
    EXPECT_TRUE(Near(PixelAt(int(1024 - ExpectX), int(ExpectY)), 0, 0, 0));
    EXPECT_TRUE(Near(PixelAt(int(ExpectX), int(768 - ExpectY)), 0, 0, 0));
}

TEST_F(DisplayTest, Set3DLeavesAnIdentityModelViewMatrixCurrent) {
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(5, 6, 7);
    glMatrixMode(GL_TEXTURE);
    Engine->Render()->Set3D(45, 10, 1000);
    GLint Mode = 0;
    EngineGL.GetIntegerv(GL_MATRIX_MODE, &Mode);
    EXPECT_EQ(Mode, GL_MODELVIEW);
    float M[16];
    EngineGL.GetFloatv(GL_MODELVIEW_MATRIX, M);
    for (int I = 0; I < 16; ++I)
        EXPECT_EQ(M[I], I % 5 == 0 ? 1.0f : 0.0f) << "element " << I;
}

TEST_F(DisplayTest, TwoDimensionalDrawingAtDepthZeroCoversTheThreeDimensionalScene) {
    glEnable(GL_DEPTH_TEST);
    Engine->Render()->Set3D(45, 10, 1000);
    GameView(0, 0, 20); // the desk just 20 units from the eye, close to the near plane
    glColor3f(0, 1, 0);
    FillRect(-100, -100, 100, 100);
    ASSERT_TRUE(Near(PixelAt(512, 384), 0, 255, 0));
    Engine->Render()->Set2D(0, 0, GAME_SCREEN_WIDTH, GAME_SCREEN_HEIGHT);
    glColor3f(0, 0, 1);
    FillRect(500, 370, 530, 400);
    EXPECT_TRUE(Near(PixelAt(512, 384), 0, 0, 255)) << Describe(PixelAt(512, 384));
}

TEST_F(DisplayTest, ClearClearsDepthEvenWithDepthWritesOff) {
    glEnable(GL_DEPTH_TEST);
    FillRect(0, 0, 100, 100); // depth written at the 2-D depth
    glDepthMask(GL_FALSE);
    Engine->Render()->Clear(true, true, false);
    glDepthMask(GL_TRUE);
    Engine->Render()->Set3D(45, 10, 1000);
    GameView(0, 0, 900); // far away: only passes the depth test against a cleared buffer
    glColor3f(1, 0, 1);
    FillRect(-1000, -1000, 1000, 1000);
    EXPECT_TRUE(Near(PixelAt(50, 50), 255, 0, 255)) << Describe(PixelAt(50, 50));
}

// ---- textures ----------------------------------------------------------------------------------

fs::path WriteImageFolder() {
    const fs::path Folder = TempFolder / "data" / "textures";
    fs::create_directories(Folder);
    return Folder;
}

// "<temp>\DATA\Textures\<Name>" as the game would spell it.
std::string GameName(const std::string& Name) {
    return TempFolder.string() + "\\DATA\\Textures\\" + Name;
}

TEST_F(DisplayTest, TgaTextureLoadsByAMixedCaseBackslashNameWithItsTopRowAtTZero) {
    // 2 x 2: red, green on the top row; blue, white below.
    const unsigned char Pixels[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    stbi_write_tga_with_rle = 0;
    ASSERT_TRUE(stbi_write_tga((WriteImageFolder() / "quad.tga").c_str(), 2, 2, 3, Pixels));
    const int Texture = Engine->Textures()->Load(GameName("Quad.TGA"), 0, 1, 0);
    ASSERT_NE(Texture, 0);
    Engine->Textures()->Enable(Texture, 0);
    TexturedRect(0, 0, 200, 200);
    Engine->Textures()->Disable(0);
    EXPECT_TRUE(Near(PixelAt(50, 50), 255, 0, 0)) << Describe(PixelAt(50, 50));
    EXPECT_TRUE(Near(PixelAt(150, 50), 0, 255, 0)) << Describe(PixelAt(150, 50));
    EXPECT_TRUE(Near(PixelAt(50, 150), 0, 0, 255)) << Describe(PixelAt(50, 150));
    EXPECT_TRUE(Near(PixelAt(150, 150), 255, 255, 255)) << Describe(PixelAt(150, 150));
    Engine->Textures()->Free(Texture);
    EXPECT_EQ(Slurp(LogFile).find("quad.tga"), std::string::npos) << "no warning for it";
}

TEST_F(DisplayTest, RunLengthEncodedTgaKeepsItsAlpha) {
    // 4 x 1: two opaque yellow pixels, then two fully transparent ones.
    const unsigned char Pixels[] = {255, 255, 0, 255, 255, 255, 0, 255,
                                    255, 255, 0, 0,   255, 255, 0, 0};
    stbi_write_tga_with_rle = 1;
    ASSERT_TRUE(stbi_write_tga((WriteImageFolder() / "alpha.tga").c_str(), 4, 1, 4, Pixels));
    const int Texture = Engine->Textures()->Load(GameName("ALPHA.tga"), 0, 1, 0);
    glColor3f(0, 0, 1);
    FillRect(0, 0, 400, 100);
    glColor3f(1, 1, 1);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    Engine->Textures()->Enable(Texture, 0);
    TexturedRect(0, 0, 400, 100);
    Engine->Textures()->Disable(0);
    glDisable(GL_BLEND);
    EXPECT_TRUE(Near(PixelAt(50, 50), 255, 255, 0)) << Describe(PixelAt(50, 50));
    EXPECT_TRUE(Near(PixelAt(350, 50), 0, 0, 255)) << Describe(PixelAt(350, 50));
    Engine->Textures()->Free(Texture);
}

// stb alone would fill a TGA's missing end with black pixels and call it whole.
TEST(ImageCodec, TgaCutShortAnywhereIsRefusedPlainOrRunLengthEncoded) {
    std::vector<unsigned char> Pixels; // 8 x 8: a run of one colour, then every pixel its own
    for (int I = 0; I < 64; ++I)
        Pixels.insert(Pixels.end(), {uint8_t(I < 24 ? 9 : I), uint8_t(I * 3), 200, 255});
    for (const int RunLength : {0, 1}) {
        std::vector<uint8_t> File;
        stbi_write_tga_with_rle = RunLength;
        ASSERT_TRUE(stbi_write_tga_to_func(
            [](void* Into, void* Data, int Size) {
                auto* Bytes = static_cast<uint8_t*>(Data);
                static_cast<std::vector<uint8_t>*>(Into)->insert(
                    static_cast<std::vector<uint8_t>*>(Into)->end(), Bytes, Bytes + Size);
            },
            &File, 8, 8, 4, Pixels.data()));
        TDecodedImage Image;
        std::string Error;
        ASSERT_TRUE(DecodeImage(File, Image, Error)) << Error;
        EXPECT_EQ(Image.Rgba, Pixels);
        for (size_t Kept = 0; Kept < File.size(); ++Kept)
            EXPECT_FALSE(DecodeImage({File.begin(), File.begin() + ptrdiff_t(Kept)}, Image, Error))
                << Kept << " of " << File.size() << " bytes, run-length encoded: " << RunLength;
    }
}

// The menu's cursor only switches GL_BLEND on: the engine's function must already blend by alpha.
TEST_F(DisplayTest, BlendingIsByAlphaFromTheStart) {
    EXPECT_EQ(BlendAtStart[0], GL_SRC_ALPHA);
    EXPECT_EQ(BlendAtStart[1], GL_ONE_MINUS_SRC_ALPHA);
}

TEST_F(DisplayTest, JpegTextureLoads) {
    std::vector<unsigned char> Pixels;
    for (int I = 0; I < 16 * 16; ++I)
        Pixels.insert(Pixels.end(), {255, 128, 0});
    ASSERT_TRUE(
        stbi_write_jpg((WriteImageFolder() / "orange.jpg").c_str(), 16, 16, 3, Pixels.data(), 95));
    const int Texture = Engine->Textures()->Load(GameName("Orange.Jpg"), 0, 1, 0);
    Engine->Textures()->Enable(Texture, 0);
    TexturedRect(0, 0, 64, 64);
    Engine->Textures()->Disable(0);
    EXPECT_TRUE(Near(PixelAt(32, 32), 255, 128, 0, JPEG_TOLERANCE)) << Describe(PixelAt(32, 32));
    Engine->Textures()->Free(Texture);
}

TEST_F(DisplayTest, MissingOrBrokenImageGivesAPlaceholderAndAWarningNamingIt) {
    const int Missing = Engine->Textures()->Load(GameName("NoSuchPicture.jpg"), 0, 1, 0);
    {
        std::ofstream Out(WriteImageFolder() / "broken.jpg", std::ios::binary);
        Out << "this is no JPEG";
    }
    const int Broken = Engine->Textures()->Load(GameName("Broken.JPG"), 0, 1, 0);
    ASSERT_NE(Missing, 0);
    ASSERT_NE(Broken, 0);
    EXPECT_NE(Missing, Broken) << "each load owns its texture, so freeing one keeps the other";

    Engine->Textures()->Enable(Missing, 0);
    TexturedRect(0, 0, 64, 64);
    Engine->Textures()->Disable(0);
    // A checker of magenta and black squares.
    EXPECT_TRUE(Near(PixelAt(4, 4), 255, 0, 255)) << Describe(PixelAt(4, 4));
    EXPECT_TRUE(Near(PixelAt(12, 4), 0, 0, 0)) << Describe(PixelAt(12, 4));

    const std::string Log = Slurp(LogFile);
    EXPECT_NE(Log.find("warning: texture \"" + GameName("NoSuchPicture.jpg")), std::string::npos)
        << Log;
    EXPECT_NE(Log.find("warning: texture \"" + GameName("Broken.JPG")), std::string::npos) << Log;
    Engine->Textures()->Free(Missing);
    Engine->Textures()->Free(Broken);
}

TEST_F(DisplayTest, TextureFromMemoryDrawsAndWrongSizesGiveThePlaceholder) {
    std::vector<unsigned char> Pixels(64 * 64 * 4);
    for (size_t I = 0; I < Pixels.size(); I += 4) {
        Pixels[I] = 0;
        Pixels[I + 1] = 200;
        Pixels[I + 2] = 100;
        Pixels[I + 3] = 255;
    }
    const int Texture =
        Engine->Textures()->Create("DefaultBlur.tga", 4, GL_RGBA, 64, 64, Pixels.data(), 0, 1, 0);
    Engine->Textures()->Enable(Texture, 0);
    TexturedRect(0, 0, 64, 64);
    EXPECT_TRUE(Near(PixelAt(30, 30), 0, 200, 100)) << Describe(PixelAt(30, 30));

    const int Wrong =
        Engine->Textures()->Create("Wrong", 3, GL_RGBA, 64, 64, Pixels.data(), 0, 1, 0);
    Engine->Textures()->Enable(Wrong, 0);
    TexturedRect(0, 0, 64, 64);
    Engine->Textures()->Disable(0);
    EXPECT_TRUE(Near(PixelAt(4, 4), 255, 0, 255)) << Describe(PixelAt(4, 4));
    EXPECT_NE(Slurp(LogFile).find("warning: texture \"Wrong\""), std::string::npos);
    Engine->Textures()->Free(Texture);
    Engine->Textures()->Free(Wrong);
}

TEST_F(DisplayTest, MakingATextureOrAFontKeepsTheCallersBindingAndUnpackAlignment) {
    std::vector<unsigned char> Pixels(4 * 4 * 4, 255);
    const int Mine = Engine->Textures()->Create("mine", 4, GL_RGBA, 4, 4, Pixels.data(), 0, 1, 0);
    EngineGL.BindTexture(GL_TEXTURE_2D, GLuint(Mine));
    EngineGL.PixelStorei(GL_UNPACK_ALIGNMENT, 8);
    const int Other = Engine->Textures()->Create("other", 4, GL_RGBA, 4, 4, Pixels.data(), 0, 1, 0);
    EXPECT_NE(Engine->Render()->Fonts()->Create("Arial", 33, 0, 0), 0);
    GLint Bound = 0, Unpack = 0;
    EngineGL.GetIntegerv(GL_TEXTURE_BINDING_2D, &Bound);
    EngineGL.GetIntegerv(GL_UNPACK_ALIGNMENT, &Unpack);
    EXPECT_EQ(Bound, Mine);
    EXPECT_EQ(Unpack, 8);
    EngineGL.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    EngineGL.BindTexture(GL_TEXTURE_2D, 0);
    Engine->Textures()->Free(Other);
    Engine->Textures()->Free(Mine);
}

TEST_F(DisplayTest, TextureOnUnitOneLeavesUnitZeroActive) {
    std::vector<unsigned char> Pixels(4 * 4 * 4, 255);
    const int Texture =
        Engine->Textures()->Create("white", 4, GL_RGBA, 4, 4, Pixels.data(), 0, 1, 0);
    Engine->Textures()->Enable(Texture, 1);
    GLint Active = 0, Bound = -1;
    EngineGL.GetIntegerv(GL_ACTIVE_TEXTURE, &Active);
    EXPECT_EQ(Active, GL_TEXTURE0);
    EngineGL.ActiveTexture(GL_TEXTURE1);
    EngineGL.GetIntegerv(GL_TEXTURE_BINDING_2D, &Bound);
    EXPECT_TRUE(EngineGL.IsEnabled(GL_TEXTURE_2D));
    EngineGL.ActiveTexture(GL_TEXTURE0);
    EXPECT_EQ(Bound, Texture);
    EXPECT_FALSE(EngineGL.IsEnabled(GL_TEXTURE_2D)) << "unit 0 untouched";
    Engine->Textures()->Disable(1);
    EngineGL.ActiveTexture(GL_TEXTURE1);
    EXPECT_FALSE(EngineGL.IsEnabled(GL_TEXTURE_2D));
    EngineGL.ActiveTexture(GL_TEXTURE0);
    Engine->Textures()->Free(Texture);
}

// ---- text --------------------------------------------------------------------------------------

struct TInkBox {
    int MinX = 1 << 30, MinY = 1 << 30, MaxX = -1, MaxY = -1, Count = 0;
};

// Where the frame holds anything not black, within the block.
TInkBox InkIn(int X, int Y, int W, int H) {
    const std::vector<uint8_t> Red = RedChannel(X, Y, W, H);
    TInkBox Box;
    for (int Row = 0; Row < H; ++Row)
        for (int Col = 0; Col < W; ++Col)
            if (Red[size_t(Row) * size_t(W) + size_t(Col)] > 0) {
                Box.MinX = std::min(Box.MinX, X + Col);
                Box.MaxX = std::max(Box.MaxX, X + Col);
                Box.MinY = std::min(Box.MinY, Y + Row);
                Box.MaxY = std::max(Box.MaxY, Y + Row);
                ++Box.Count;
            }
    return Box;
}

TEST_F(DisplayTest, TextDrawsInTheCurrentColourOnly) {
    glColor3f(1, 0, 0);
    Engine->Render()->TextOut(0, "Hello, World 123", 100, 100);
    int Reddish = 0;
    std::vector<unsigned char> Rgba(300 * 40 * 4);
    glReadPixels(90, GAME_SCREEN_HEIGHT - 140, 300, 40, GL_RGBA, GL_UNSIGNED_BYTE, Rgba.data());
    for (size_t I = 0; I < Rgba.size(); I += 4) {
        EXPECT_EQ(Rgba[I + 1], 0) << "green at pixel " << I / 4;
        EXPECT_EQ(Rgba[I + 2], 0) << "blue at pixel " << I / 4;
        if (Rgba[I] > 200) ++Reddish;
        if (Rgba[I + 1] || Rgba[I + 2]) break;
    }
    EXPECT_GT(Reddish, 50);
}

TEST_F(DisplayTest, TextLiesInItsLineBoxFromTheTopLeftCorner) {
    const std::string Text = "Hxg";
    const int Width = Engine->Render()->TextWidth(0, Text);
    Engine->Render()->TextOut(0, Text, 200, 300);
    const TInkBox Ink = InkIn(150, 250, 200, 100);
    ASSERT_GT(Ink.Count, 0);
    EXPECT_GE(Ink.MinX, 200);
    EXPECT_LE(Ink.MinX, 203) << "the first glyph starts at x";
    EXPECT_LT(Ink.MaxX, 200 + Width + 1);
    EXPECT_GE(Ink.MinY, 300) << "nothing above the line box";
    EXPECT_LE(Ink.MinY, 306) << "the capital's top a little below y";
    EXPECT_LT(Ink.MaxY, 300 + 22) << "the descender within the 16-pixel font's line";
    EXPECT_GT(Ink.MaxY, 300 + 14) << "the g's descender below the baseline";
}

TEST_F(DisplayTest, TextWidthIsTheAdvanceTextOutUses) {
    // "Wave" at once, and "Wa" followed by "ve" at TextWidth("Wa") further: the same pixels.
    Engine->Render()->TextOut(0, "Wave AVAV", 20, 20);
    const int Split = Engine->Render()->TextWidth(0, "Wave ");
    Engine->Render()->TextOut(0, "Wave ", 20, 60);
    Engine->Render()->TextOut(0, "AVAV", float(20 + Split), 60);
    const std::vector<uint8_t> Once = RedChannel(10, 20, 200, 30);
    const std::vector<uint8_t> Pieces = RedChannel(10, 60, 200, 30);
    EXPECT_EQ(Once, Pieces);
    const TInkBox Ink = InkIn(10, 20, 300, 30);
    EXPECT_LE(Ink.MaxX, 20 + Engine->Render()->TextWidth(0, "Wave AVAV"));
}

TEST_F(DisplayTest, EveryCyrillicLetterDraws) {
    std::string Letters = Win1251("Ёё");
    for (int B = 0xC0; B <= 0xFF; ++B)
        Letters += char(B);
    for (char Letter : Letters) {
        Engine->Render()->Clear(true, false, false);
        Engine->Render()->TextOut(0, std::string(1, Letter), 10, 10);
        EXPECT_GT(InkIn(0, 0, 40, 40).Count, 0)
            << "no ink for " << Utf8From1251(std::string(1, Letter));
        EXPECT_GT(Engine->Render()->TextWidth(0, std::string(1, Letter)), 0);
    }
}

TEST_F(DisplayTest, UnassignedByteStillDrawsSomething) {
    Engine->Render()->TextOut(0, "\x98", 10, 10);
    EXPECT_GT(InkIn(0, 0, 40, 40).Count, 0);
}

TEST_F(DisplayTest, TextDrawsOverAThreeDimensionalSceneWithDepthTestingOn) {
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    Engine->Render()->Set3D(45, 10, 1000);
    GameView(0, 0, 15);
    glDisable(GL_LIGHTING);
    glColor3f(0, 0, 1);
    FillRect(-100, -100, 100, 100);
    glEnable(GL_LIGHTING);
    Engine->Render()->Set2D(0, 0, GAME_SCREEN_WIDTH, GAME_SCREEN_HEIGHT);
    glColor3f(1, 0, 0);
    Engine->Render()->TextOut(0, "MMMM", 480, 370);
    const TInkBox Ink = InkIn(470, 360, 100, 40); // red over the blue
    EXPECT_GT(Ink.Count, 30);
    // The game's own overlay space (glOrtho(0, w, h, 0, -1000, 100)) shows text too.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, GAME_SCREEN_WIDTH, GAME_SCREEN_HEIGHT, 0, -1000, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    Engine->Render()->TextOut(0, "MMMM", 480, 420);
    EXPECT_GT(InkIn(470, 410, 100, 40).Count, 30);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
}

TEST_F(DisplayTest, TextOutLeavesTheStateItFound) {
    std::vector<unsigned char> Pixels(4 * 4 * 4, 255);
    const int Texture =
        Engine->Textures()->Create("state", 4, GL_RGBA, 4, 4, Pixels.data(), 0, 1, 0);
    Engine->Textures()->Enable(Texture, 0);
    Engine->Textures()->Enable(Texture, 1);
    EngineGL.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);

    Engine->Render()->TextOut(0, "State", 10, 10);

    GLint Active = 0, Bound = 0, Env = 0, Src = 0;
    EngineGL.GetIntegerv(GL_ACTIVE_TEXTURE, &Active);
    EngineGL.GetIntegerv(GL_TEXTURE_BINDING_2D, &Bound);
    EngineGL.GetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &Env);
    EngineGL.GetIntegerv(GL_BLEND_SRC, &Src);
    EXPECT_EQ(Active, GL_TEXTURE0);
    EXPECT_EQ(Bound, Texture);
    EXPECT_EQ(Env, GL_REPLACE);
    EXPECT_TRUE(EngineGL.IsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(EngineGL.IsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(EngineGL.IsEnabled(GL_LIGHTING));
    EXPECT_FALSE(EngineGL.IsEnabled(GL_BLEND));
    EXPECT_EQ(Src, GL_ONE);
    float Colour[4];
    EngineGL.GetFloatv(GL_CURRENT_COLOR, Colour);
    EXPECT_FLOAT_EQ(Colour[0], 0.25f);
    EXPECT_FLOAT_EQ(Colour[2], 0.75f);
    EngineGL.ActiveTexture(GL_TEXTURE1);
    EXPECT_TRUE(EngineGL.IsEnabled(GL_TEXTURE_2D)) << "unit 1 as it was";
    EngineGL.ActiveTexture(GL_TEXTURE0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    EngineGL.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    Engine->Textures()->Disable(1);
    Engine->Textures()->Disable(0);
    Engine->Textures()->Free(Texture);
}

TEST_F(DisplayTest, FontsOfTheSameFamilyAndSizeShareAHandleAndBiggerIsWider) {
    TFonts* Fonts = Engine->Render()->Fonts();
    const int Countdown = Fonts->Create("Arial", 20, 0, 512);
    EXPECT_NE(Countdown, 0);
    EXPECT_EQ(Fonts->Create("Arial", 20, 0, 512), Countdown);
    const int Big = Fonts->Create("Arial", 40, 0, 0);
    EXPECT_GT(Engine->Render()->TextWidth(Big, "12345"),
              Engine->Render()->TextWidth(Countdown, "12345"));
    EXPECT_EQ(Engine->Render()->TextWidth(12345, "abc"), Engine->Render()->TextWidth(0, "abc"))
        << "an unknown font is font 0";
}

TEST_F(DisplayTest, CpuRasterisedTextMatchesTheScreen) {
    const std::string Text = Win1251("Пуск Start");
    const TTextImage Image = RasterizeText("Arial", 16, Text);
    ASSERT_GT(Image.Width, 0);
    // The image spans the advance and the last glyph's ink beyond it.
    EXPECT_GE(Image.Width, Engine->Render()->TextWidth(0, Text));
    EXPECT_LE(Image.Width, Engine->Render()->TextWidth(0, Text) + 2);
    Engine->Render()->TextOut(0, Text, 0, 0);
    const std::vector<uint8_t> Screen = RedChannel(0, 0, Image.Width, Image.Height);
    int Worst = 0;
    for (size_t I = 0; I < Screen.size(); ++I)
        Worst = std::max(Worst, std::abs(int(Screen[I]) - int(Image.Alpha[I])));
    EXPECT_LE(Worst, COVERAGE_TOLERANCE);
}

// ---- shaders -----------------------------------------------------------------------------------

fs::path WriteShader(const std::string& Name, const std::string& Text) {
    const fs::path Folder = TempFolder / "data" / "shaders";
    fs::create_directories(Folder);
    std::ofstream(Folder / Name) << Text;
    return Folder / Name;
}

const char* const GreenShader = "A program that paints everything green.\n"
                                "[Vertex]\n"
                                "#version 120\n"
                                "void main() { gl_Position = ftransform(); }\n"
                                "  [fragment]  \n"
                                "#version 120\n"
                                "void main() { gl_FragColor = vec4(0.0, 1.0, 0.0, 1.0); }\n";

TEST_F(DisplayTest, ShaderProgramDrawsUntilDisabled) {
    WriteShader("green.txt", GreenShader);
    ASSERT_TRUE(
        Engine->Shaders()->Load(TempFolder.string() + "\\DATA\\Shaders\\Green.txt", "green"));
    const int Program = Engine->Shaders()->Handle();
    EXPECT_NE(Program, 0);
    EngineGL.UseProgram(GLuint(Program));
    glColor3f(1, 0, 0);
    FillRect(0, 0, 50, 50);
    Engine->Shaders()->Disable();
    FillRect(50, 0, 100, 50);
    EXPECT_TRUE(Near(PixelAt(25, 25), 0, 255, 0)) << Describe(PixelAt(25, 25));
    EXPECT_TRUE(Near(PixelAt(75, 25), 255, 0, 0)) << Describe(PixelAt(75, 25));
}

TEST_F(DisplayTest, ShaderThatDoesNotCompileOrIsMissingFailsWithItsMessageLogged) {
    WriteShader("good.txt", GreenShader);
    ASSERT_TRUE(Engine->Shaders()->Load((TempFolder / "data/shaders/good.txt").string(), "good"));
    const int Good = Engine->Shaders()->Handle();
    WriteShader("bad.txt", "[vertex]\n#version 120\nvoid main() { gl_Position = nonsense; }\n"
                           "[fragment]\n#version 120\nvoid main() { gl_FragColor = vec4(1.0); }\n");
    EXPECT_FALSE(Engine->Shaders()->Load((TempFolder / "data/shaders/bad.txt").string(), "bad"));
    EXPECT_FALSE(Engine->Shaders()->Load((TempFolder / "nowhere.txt").string(), "none"));
    EXPECT_EQ(Engine->Shaders()->Handle(), Good) << "the latest successful program stays";
    const std::string Log = Slurp(LogFile);
    EXPECT_NE(Log.find("nonsense"), std::string::npos) << "the compiler's message:\n" << Log;
    EXPECT_NE(Log.find("nowhere.txt"), std::string::npos);
}

TEST(ShaderFile, SplitsTheTwoSectionsInEitherOrder) {
    TShaderSources Sources;
    std::string Fault;
    ASSERT_TRUE(SplitShaderFile("note\n[FRAGMENT]\nf1\nf2\n[vertex]\r\nv1\n", Sources, Fault));
    EXPECT_EQ(Sources.Fragment, "f1\nf2\n");
    EXPECT_EQ(Sources.Vertex, "v1\n");
}

TEST(ShaderFile, RefusesAMissingOrRepeatedSection) {
    TShaderSources Sources;
    std::string Fault;
    EXPECT_FALSE(SplitShaderFile("[vertex]\nv\n", Sources, Fault));
    EXPECT_NE(Fault.find("fragment"), std::string::npos);
    EXPECT_FALSE(SplitShaderFile("[vertex]\nv\n[fragment]\n  \n", Sources, Fault));
    EXPECT_FALSE(SplitShaderFile("[vertex]\nv\n[fragment]\nf\n[vertex]\nw\n", Sources, Fault));
    EXPECT_FALSE(SplitShaderFile("", Sources, Fault));
}

// ---- frames and the loop -----------------------------------------------------------------------

TEST_F(DisplayTest, SavedFrameIsTheGamesPictureTopRowFirst) {
    glColor3f(0, 1, 1);
    FillRect(0, 0, 10, 10); // the top-left corner
    const fs::path File = TempFolder / "frame.png";
    ASSERT_TRUE(exSaveFrame(File.string()));
    int W = 0, H = 0, Components = 0;
    unsigned char* Png = stbi_load(File.c_str(), &W, &H, &Components, 3);
    ASSERT_NE(Png, nullptr);
    EXPECT_EQ(W, GAME_SCREEN_WIDTH);
    EXPECT_EQ(H, GAME_SCREEN_HEIGHT);
    EXPECT_EQ(Png[0], 0);
    EXPECT_EQ(Png[1], 255);
    EXPECT_EQ(Png[2], 255);
    const size_t BottomLeft = size_t(GAME_SCREEN_HEIGHT - 1) * GAME_SCREEN_WIDTH * 3;
    EXPECT_EQ(Png[BottomLeft + 1], 0);
    stbi_image_free(Png);
    EXPECT_FALSE(exSaveFrame((TempFolder / "no/such/folder/frame.png").string()));
}

std::vector<int> UpdateTimes, FrameTimes, Keys, Chars, Wheels;
std::vector<bool> WHeld;
int UpdatesToRun = 0, FramesToRun = 0;

void RecordUpdate() {
    UpdateTimes.push_back(Engine->Time());
    Keys.push_back(Engine->Input()->LastKey());
    Chars.push_back(Engine->Input()->LastChar());
    Wheels.push_back(Engine->Input()->Wheel());
    WHeld.push_back(Engine->Input()->Down('W'));
    if (int(UpdateTimes.size()) >= UpdatesToRun) Engine->Quit();
}

void RecordFrame() {
    FrameTimes.push_back(Engine->Time());
    if (FramesToRun > 0 && int(FrameTimes.size()) >= FramesToRun) Engine->Quit();
}

void ClearRecords() {
    UpdateTimes.clear();
    FrameTimes.clear();
    Keys.clear();
    Chars.clear();
    Wheels.clear();
    WHeld.clear();
    UpdatesToRun = 1000;
    FramesToRun = 0;
}

void PushKey(SDL_Scancode Scancode, bool Down, bool Repeat = false) {
    SDL_Event Event{};
    Event.type = Down ? SDL_KEYDOWN : SDL_KEYUP;
    Event.key.state = Down ? SDL_PRESSED : SDL_RELEASED;
    Event.key.repeat = Repeat;
    Event.key.keysym.scancode = Scancode;
    SDL_PushEvent(&Event);
}

void PushText(const char* Utf8) {
    SDL_Event Event{};
    Event.type = SDL_TEXTINPUT;
    SDL_strlcpy(Event.text.text, Utf8, sizeof Event.text.text);
    SDL_PushEvent(&Event);
}

TEST_F(DisplayTest, UpdatesNeverRunAheadOfTheClock) {
    ClearRecords();
    UpdatesToRun = 12;
    Engine->SetCallback(CALLBACK_UPDATE, RecordUpdate);
    Engine->SetCallback(CALLBACK_RENDER, RecordFrame);
    Engine->Run(UPDATES_PER_SECOND);
    ASSERT_EQ(UpdateTimes.size(), 12u);
    // The k-th update of a fixed 25 ms step never comes before k x 25 ms after the first.
    for (size_t K = 1; K < UpdateTimes.size(); ++K)
        EXPECT_GE(UpdateTimes[K] - UpdateTimes[0], int(K) * 25 - 1) << "update " << K;
    EXPECT_FALSE(FrameTimes.empty());
    for (size_t K = 1; K < FrameTimes.size(); ++K)
        EXPECT_GE(FrameTimes[K], FrameTimes[K - 1]);
    EXPECT_GT(Engine->Render()->FPS(), 0);
    EXPECT_LE(Engine->Render()->FPS(), int(FrameTimes.size()));
}

TEST_F(DisplayTest, QuitInTheRenderCallbackEndsRunAfterThatFrame) {
    ClearRecords();
    FramesToRun = 3;
    Engine->SetCallback(CALLBACK_UPDATE, RecordUpdate);
    Engine->SetCallback(CALLBACK_RENDER, RecordFrame);
    Engine->Run(UPDATES_PER_SECOND);
    EXPECT_EQ(FrameTimes.size(), 3u);
}

TEST_F(DisplayTest, KeyPressesReachOneUpdateEachInOrderWithTheirCharacters) {
    ClearRecords();
    UpdatesToRun = 6;
    PushKey(SDL_SCANCODE_W, true);
    PushText("\xD1\x86"); // the Russian layout's letter on the W key
    PushKey(SDL_SCANCODE_GRAVE, true);
    PushKey(SDL_SCANCODE_GRAVE, true, true); // the console key does not repeat
    PushKey(SDL_SCANCODE_BACKSPACE, true);
    PushKey(SDL_SCANCODE_BACKSPACE, true, true); // Backspace does
    SDL_Event Wheel{};
    Wheel.type = SDL_MOUSEWHEEL;
    Wheel.wheel.y = 2;
    Wheel.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    SDL_PushEvent(&Wheel);
    SDL_PushEvent(&Wheel);
    SDL_Event Click{};
    Click.type = SDL_MOUSEBUTTONDOWN;
    Click.button.button = SDL_BUTTON_LEFT;
    Click.button.state = SDL_PRESSED;
    SDL_PushEvent(&Click);
    Engine->SetCallback(CALLBACK_UPDATE, RecordUpdate);
    Engine->SetCallback(CALLBACK_RENDER, nullptr);
    Engine->Run(UPDATES_PER_SECOND);
    ASSERT_EQ(Keys.size(), 6u);
    EXPECT_EQ(Keys, (std::vector<int>{'W', VK_OEM_3, VK_BACK, VK_BACK, VK_MOUSE_LEFT, VK_NONE}));
    EXPECT_EQ(Chars[0], uint8_t(Win1251("ц")[0]));
    EXPECT_EQ(Chars[2], 8);
    EXPECT_EQ(Chars[4], 0);
    EXPECT_EQ(Wheels, (std::vector<int>{4, 0, 0, 0, 0, 0})) << "wheel steps since the last update";
    EXPECT_TRUE(WHeld[5]) << "W is still held";
    EXPECT_TRUE(Engine->Input()->Down(VK_MOUSE_LEFT));

    ClearRecords();
    UpdatesToRun = 1;
    PushKey(SDL_SCANCODE_W, false);
    PushKey(SDL_SCANCODE_GRAVE, false);
    PushKey(SDL_SCANCODE_BACKSPACE, false);
    SDL_Event Release{};
    Release.type = SDL_MOUSEBUTTONUP;
    Release.button.button = SDL_BUTTON_LEFT;
    SDL_PushEvent(&Release);
    Engine->Run(UPDATES_PER_SECOND);
    EXPECT_FALSE(WHeld[0]);
    EXPECT_FALSE(Engine->Input()->Down(VK_MOUSE_LEFT));
    EXPECT_EQ(Keys[0], VK_NONE);
}

TEST_F(DisplayTest, ClosingTheWindowQuits) {
    ClearRecords();
    SDL_Event Close{};
    Close.type = SDL_QUIT;
    SDL_PushEvent(&Close);
    Engine->SetCallback(CALLBACK_UPDATE, RecordUpdate);
    Engine->SetCallback(CALLBACK_RENDER, RecordFrame);
    Engine->Run(UPDATES_PER_SECOND);
    EXPECT_TRUE(UpdateTimes.empty());
}

// Stops the engine and starts a new one with these options (and a fresh log).
void RestartEngine(const TEngineOptions& Options) {
    delete Engine;
    exSetOptions(Options);
    Engine = exInit(LogFile.string(), 0);
}

// The plain window the tests start with.
TEngineOptions WindowedOptions() {
    TEngineOptions Options;
    Options.Windowed = true;
    return Options;
}

// Frames go on until this long after the first one.
constexpr int FRAMES_FOR_MS = 350;

void FramesForAWhile() {
    FrameTimes.push_back(Engine->Time());
    if (FrameTimes.back() - FrameTimes.front() >= FRAMES_FOR_MS) Engine->Quit();
}

TEST_F(DisplayTest, RestartedEngineSavesFramesAndQuitsByItselfAsItsOptionsSay) {
    const fs::path Frames = TempFolder / "frames";
    TEngineOptions Options;
    Options.Windowed = true;
    Options.SaveFrameEveryMs = 100;
    Options.SaveFrameFolder = Frames.string();
    Options.QuitAfterMs = 2500;
    RestartEngine(Options);
    ASSERT_NE(Engine, nullptr);
    ClearRecords();
    Engine->SetCallback(CALLBACK_UPDATE, nullptr);
    Engine->SetCallback(CALLBACK_RENDER, FramesForAWhile);
    Engine->Run(UPDATES_PER_SECOND);
    if (Engine->Time() >= Options.QuitAfterMs) {
        RestartEngine(WindowedOptions());
        GTEST_SKIP() << "the machine is too slow for this test today";
    }
    int Saved = 0;
    for (const auto& Entry : fs::directory_iterator(Frames)) {
        const std::string Name = Entry.path().filename().string();
        EXPECT_EQ(Name.size(), std::string("frame_00000000.png").size()) << Name;
        EXPECT_EQ(Name.rfind("frame_", 0), 0u) << Name;
        ++Saved;
    }
    EXPECT_GE(Saved, 2) << "the first frame's and at least one 100 ms later";
    EXPECT_LE(Saved, 1 + FRAMES_FOR_MS / 100 + 1);

    Engine->SetCallback(CALLBACK_RENDER, nullptr);
    Engine->Run(UPDATES_PER_SECOND); // nothing quits: the engine does by itself
    EXPECT_GE(Engine->Time(), Options.QuitAfterMs);

    RestartEngine(WindowedOptions()); // the plain window again for the tests that follow
    ASSERT_NE(Engine, nullptr);
}

TEST_F(DisplayTest, WindowReportsTheGameScreenAndTakesTheGamesModeAndCaption) {
    Engine->Window()->SetMode(true, 1024, 768, 32, 75); // stays a window: the tests asked for one
    Engine->Window()->SetCaption("PELTA", 0);
    Engine->Window()->ShowCursor(false);
    EXPECT_EQ(Engine->Window()->Width(), GAME_SCREEN_WIDTH);
    EXPECT_EQ(Engine->Window()->Height(), GAME_SCREEN_HEIGHT);
    EXPECT_NE(Slurp(LogFile).find("OpenGL renderer:"), std::string::npos);
    EXPECT_EQ(exInit(LogFile.string(), 0), Engine) << "a second exInit gives the running engine";
}

// ---- pure parts --------------------------------------------------------------------------------

TEST(KeyMap, LettersDigitsAndTheConsoleKeyFollowPhysicalPositions) {
    EXPECT_EQ(VirtualKeyOfScancode(SDL_SCANCODE_W), 'W');
    EXPECT_EQ(VirtualKeyOfScancode(SDL_SCANCODE_A), 'A');
    EXPECT_EQ(VirtualKeyOfScancode(SDL_SCANCODE_S), 'S');
    EXPECT_EQ(VirtualKeyOfScancode(SDL_SCANCODE_D), 'D');
    EXPECT_EQ(VirtualKeyOfScancode(SDL_SCANCODE_Z), 'Z');
    EXPECT_EQ(VirtualKeyOfScancode(SDL_SCANCODE_1), '1');
    EXPECT_EQ(VirtualKeyOfScancode(SDL_SCANCODE_9), '9');
    EXPECT_EQ(VirtualKeyOfScancode(SDL_SCANCODE_0), '0');
    EXPECT_EQ(VirtualKeyOfScancode(SDL_SCANCODE_GRAVE), 0xC0);
}

TEST(KeyMap, EditingAndControlKeysGiveTheirWindowsCodes) {
    const std::pair<SDL_Scancode, int> Keys[] = {
        {SDL_SCANCODE_SPACE, VK_SPACE},     {SDL_SCANCODE_RETURN, VK_RETURN},
        {SDL_SCANCODE_KP_ENTER, VK_RETURN}, {SDL_SCANCODE_ESCAPE, VK_ESCAPE},
        {SDL_SCANCODE_TAB, VK_TAB},         {SDL_SCANCODE_BACKSPACE, VK_BACK},
        {SDL_SCANCODE_DELETE, VK_DELETE},   {SDL_SCANCODE_HOME, VK_HOME},
        {SDL_SCANCODE_END, VK_END},         {SDL_SCANCODE_LEFT, VK_LEFT},
        {SDL_SCANCODE_RIGHT, VK_RIGHT},     {SDL_SCANCODE_UP, VK_UP},
        {SDL_SCANCODE_DOWN, VK_DOWN},       {SDL_SCANCODE_PAGEUP, VK_PRIOR},
        {SDL_SCANCODE_PAGEDOWN, VK_NEXT},   {SDL_SCANCODE_LSHIFT, VK_SHIFT},
        {SDL_SCANCODE_RSHIFT, VK_SHIFT},    {SDL_SCANCODE_F1, VK_F1},
        {SDL_SCANCODE_UNKNOWN, VK_NONE},    {SDL_SCANCODE_MUTE, VK_NONE}};
    for (const auto& [Scancode, Key] : Keys)
        EXPECT_EQ(VirtualKeyOfScancode(Scancode), Key) << SDL_GetScancodeName(Scancode);
}

TEST(KeyMap, TypingKeysRepeatButEscapeEnterAndTheConsoleKeyDoNot) {
    for (int Key : {int('A'), int('7'), VK_SPACE, VK_BACK, VK_DELETE, VK_LEFT, VK_DOWN, VK_OEM_2})
        EXPECT_TRUE(KeyAutoRepeats(Key)) << Key;
    for (int Key : {VK_ESCAPE, VK_OEM_3, VK_RETURN, VK_TAB, VK_SHIFT, VK_MOUSE_LEFT, VK_F1})
        EXPECT_FALSE(KeyAutoRepeats(Key)) << Key;
    EXPECT_EQ(ControlCharOfKey(VK_RETURN), 13);
    EXPECT_EQ(ControlCharOfKey(VK_BACK), 8);
    EXPECT_EQ(ControlCharOfKey('A'), 0);
}

TEST(PressQueue, ReportsOnePressPerUpdateInOrderThenNone) {
    TPressQueue Queue;
    Queue.Push('A', 0);
    Queue.Push(VK_RETURN, 13);
    Queue.Push(VK_MOUSE_LEFT, 0);
    Queue.TakeNext();
    EXPECT_EQ(Queue.Key(), 'A');
    EXPECT_EQ(Queue.Key(), 'A') << "for the whole update";
    Queue.TakeNext();
    EXPECT_EQ(Queue.Key(), VK_RETURN);
    EXPECT_EQ(Queue.Char(), 13);
    Queue.TakeNext();
    EXPECT_EQ(Queue.Key(), VK_MOUSE_LEFT);
    Queue.TakeNext();
    EXPECT_EQ(Queue.Key(), VK_NONE);
    EXPECT_EQ(Queue.Char(), 0);
}

TEST(PressQueue, TypedTextGoesToTheLatestPressOnce) {
    TPressQueue Queue;
    Queue.Push('Q', 0);
    Queue.AttachText(0xE9); // й
    Queue.AttachText('x');  // a second character of the same press is not another press
    Queue.Push(VK_LEFT, 0);
    Queue.EndTextOfLatest();
    Queue.AttachText('z'); // from a key that is not reported
    Queue.TakeNext();
    EXPECT_EQ(Queue.Char(), 0xE9);
    Queue.TakeNext();
    EXPECT_EQ(Queue.Char(), 0);
    Queue.AttachText('y'); // nothing waits
    Queue.TakeNext();
    EXPECT_EQ(Queue.Key(), VK_NONE);
}

// Presses beyond the limit are dropped; the oldest stay, in order, and each overflow (until the
// queue has emptied) is logged once.
TEST(PressQueue, KeepsTheOldestPressesInOrderAndLogsEachOverflowOnce) {
    const auto OverflowsLogged = [] {
        const std::string Log = Slurp(LogFile);
        size_t Count = 0;
        for (size_t At = Log.find("presses are waiting"); At != std::string::npos;
             At = Log.find("presses are waiting", At + 1))
            ++Count;
        return Count;
    };
    const size_t Before = OverflowsLogged();
    TPressQueue Queue;
    const int Extra = 10;
    for (int Round = 0; Round < 2; ++Round) {
        for (int I = 0; I < int(TPressQueue::MAX_WAITING) + Extra; ++I)
            Queue.Push(1000 + I, 0);
        Queue.AttachText('x'); // typed by a dropped press: no other press gets it
        EXPECT_EQ(Queue.Waiting(), TPressQueue::MAX_WAITING);
        Queue.TakeNext();
        Queue.Push(2000, 0); // room again, but the overflow goes on until the queue empties
        Queue.Push(2001, 0);
        for (int I = 1; I < int(TPressQueue::MAX_WAITING); ++I) {
            Queue.TakeNext();
            EXPECT_EQ(Queue.Key(), 1000 + I);
            EXPECT_EQ(Queue.Char(), 0);
        }
        Queue.TakeNext();
        EXPECT_EQ(Queue.Key(), 2000);
        Queue.TakeNext();
        EXPECT_EQ(Queue.Waiting(), 0u);
    }
    if (Engine) {
        EXPECT_EQ(OverflowsLogged() - Before, 2u) << "the engine's log: " << LogFile;
    }
}

TEST(Letterbox, FitsTheGameScreenCentredWithBars) {
    const TScreenRect Wide = FitGameScreen(1920, 1080);
    EXPECT_EQ(Wide.Width, 1440);
    EXPECT_EQ(Wide.Height, 1080);
    EXPECT_EQ(Wide.X, 240);
    EXPECT_EQ(Wide.Y, 0);
    const TScreenRect Tall = FitGameScreen(1024, 1000);
    EXPECT_EQ(Tall.Width, 1024);
    EXPECT_EQ(Tall.Height, 768);
    EXPECT_EQ(Tall.Y, 116);
    const TScreenRect Same = FitGameScreen(1024, 768);
    EXPECT_EQ(Same.X, 0);
    EXPECT_EQ(Same.Width, 1024);
    EXPECT_EQ(FitGameScreen(0, 768).Width, 0);
}

TEST(Letterbox, MapsWindowPointsBackToTheGameScreenClamped) {
    const TScreenRect Wide = FitGameScreen(1920, 1080);
    int X = 0, Y = 0;
    OutputToGameScreen(Wide, 960, 540, X, Y);
    EXPECT_EQ(X, 512);
    EXPECT_EQ(Y, 384);
    OutputToGameScreen(Wide, 240, 0, X, Y);
    EXPECT_EQ(X, 0);
    EXPECT_EQ(Y, 0);
    OutputToGameScreen(Wide, 100, 1079, X, Y); // on the left bar
    EXPECT_EQ(X, 0);
    EXPECT_EQ(Y, 767);
    OutputToGameScreen(Wide, 1919, 500, X, Y);
    EXPECT_EQ(X, 1023);
}

TEST(FontRaster, ImageSpansTheLineBoxAndTheAdvance) {
    const TTextImage Empty = RasterizeText("Arial", 16, "");
    EXPECT_EQ(Empty.Width, 0);
    EXPECT_GT(Empty.Height, 14);
    const TTextImage Text = RasterizeText("Arial", 16, "gH");
    EXPECT_EQ(Text.Height, Empty.Height);
    EXPECT_EQ(Text.BaselineY, Empty.BaselineY);
    EXPECT_EQ(Text.Alpha.size(), size_t(Text.Width) * size_t(Text.Height));
    int Below = 0;
    for (int Y = Text.BaselineY + 1; Y < Text.Height; ++Y)
        for (int X = 0; X < Text.Width; ++X)
            Below += Text.Alpha[size_t(Y * Text.Width + X)] > 0;
    EXPECT_GT(Below, 0) << "the g's descender";
    EXPECT_GT(RasterizeText("Arial", 32, "gH").Width, Text.Width);
    EXPECT_GT(RasterizeText("No Such Family", 16, "gH").Width, 0) << "a stand-in face";
}

} // namespace

TEngine* SharedDisplayEngine() {
    return Engine;
}

void RestartSharedDisplayEngine(const TEngineOptions& Options) {
    RestartEngine(Options);
}

TEngineOptions PlainDisplayOptions() {
    return WindowedOptions();
}
