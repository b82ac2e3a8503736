#include "engine/sdl/OffscreenFrame.h"

#include "engine/Engine.h"
#include "engine/GL.h"
#include "engine/sdl/EngineGL.h"
#include "engine/sdl/ImageCodec.h"
#include "engine/sdl/Letterbox.h"

#include <cstdint>
#include <vector>

bool TOffscreenFrame::Make() {
    if (!EngineGL.HasFramebuffer) return false;
    EngineGL.GenFramebuffers(1, &Framebuffer);
    EngineGL.GenRenderbuffers(1, &ColourBuffer);
    EngineGL.GenRenderbuffers(1, &DepthBuffer);
    EngineGL.BindRenderbuffer(GL_RENDERBUFFER, ColourBuffer);
    EngineGL.RenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, GAME_SCREEN_WIDTH, GAME_SCREEN_HEIGHT);
    EngineGL.BindRenderbuffer(GL_RENDERBUFFER, DepthBuffer);
    EngineGL.RenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, GAME_SCREEN_WIDTH,
                                 GAME_SCREEN_HEIGHT);
    EngineGL.BindRenderbuffer(GL_RENDERBUFFER, 0);
    EngineGL.BindFramebuffer(GL_FRAMEBUFFER, Framebuffer);
    EngineGL.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                     ColourBuffer);
    EngineGL.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                     DepthBuffer);
    const GLenum Status = EngineGL.CheckFramebufferStatus(GL_FRAMEBUFFER);
    if (Status == GL_FRAMEBUFFER_COMPLETE) {
        // The first picture before anything is drawn: black, and the depth cleared.
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        return true;
    }
    exLog("warning: offscreen framebuffer incomplete (status " + std::to_string(Status) + ")");
    Drop();
    return false;
}

void TOffscreenFrame::Drop() {
    if (!Framebuffer) return;
    EngineGL.BindFramebuffer(GL_FRAMEBUFFER, 0);
    EngineGL.DeleteFramebuffers(1, &Framebuffer);
    EngineGL.DeleteRenderbuffers(1, &ColourBuffer);
    EngineGL.DeleteRenderbuffers(1, &DepthBuffer);
    Framebuffer = ColourBuffer = DepthBuffer = 0;
}

void TOffscreenFrame::Bind() const {
    if (Framebuffer) EngineGL.BindFramebuffer(GL_FRAMEBUFFER, Framebuffer);
}

void TOffscreenFrame::Present(SDL_Window* Window) const {
    if (!Framebuffer) {
        SDL_GL_SwapWindow(Window);
        return;
    }
    int W = 0, H = 0;
    SDL_GL_GetDrawableSize(Window, &W, &H);
    const TScreenRect Picture = FitGameScreen(W, H);
    EngineGL.PushAttrib(GL_COLOR_BUFFER_BIT | GL_ENABLE_BIT | GL_SCISSOR_BIT | GL_VIEWPORT_BIT);
    EngineGL.BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    EngineGL.BindFramebuffer(GL_READ_FRAMEBUFFER, Framebuffer);
    glDisable(GL_SCISSOR_TEST);
    EngineGL.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glViewport(0, 0, W, H);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    if (Picture.Width > 0) {
        // GL counts rows from the bottom.
        const int Bottom = H - Picture.Y - Picture.Height;
        // A whole multiple of the game's size (1:1 among them) stays pixel-sharp; any other size
        // is filtered rather than showing uneven pixels.
        const int Times = Picture.Width / GAME_SCREEN_WIDTH;
        const bool WholeTimes = Times >= 1 && Picture.Width == Times * GAME_SCREEN_WIDTH &&
                                Picture.Height == Times * GAME_SCREEN_HEIGHT;
        EngineGL.BlitFramebuffer(0, 0, GAME_SCREEN_WIDTH, GAME_SCREEN_HEIGHT, Picture.X, Bottom,
                                 Picture.X + Picture.Width, Bottom + Picture.Height,
                                 GL_COLOR_BUFFER_BIT, WholeTimes ? GL_NEAREST : GL_LINEAR);
    }
    // The frame is bound again before the state is restored: the saved draw buffer is the frame's.
    Bind();
    EngineGL.PopAttrib();
    SDL_GL_SwapWindow(Window);
}

bool TOffscreenFrame::Save(const std::string& PngFile) const {
    constexpr int W = GAME_SCREEN_WIDTH, H = GAME_SCREEN_HEIGHT;
    std::vector<uint8_t> Rgba(size_t(W) * H * 4);
    GLint PackAlignment = 4;
    EngineGL.GetIntegerv(GL_PACK_ALIGNMENT, &PackAlignment);
    EngineGL.PixelStorei(GL_PACK_ALIGNMENT, 4);
    if (Framebuffer) {
        EngineGL.BindFramebuffer(GL_READ_FRAMEBUFFER, Framebuffer);
        EngineGL.ReadBuffer(GL_COLOR_ATTACHMENT0);
    } else {
        EngineGL.ReadBuffer(GL_BACK);
    }
    glReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, Rgba.data());
    EngineGL.PixelStorei(GL_PACK_ALIGNMENT, PackAlignment);
    // The picture's top row first, without the frame's alpha (a screenshot is opaque).
    std::vector<uint8_t> Rgb(size_t(W) * H * 3);
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X)
            for (int C = 0; C < 3; ++C)
                Rgb[(size_t(Y) * W + X) * 3 + C] = Rgba[(size_t(H - 1 - Y) * W + X) * 4 + C];
    return WritePng(PngFile, W, H, 3, Rgb.data());
}
