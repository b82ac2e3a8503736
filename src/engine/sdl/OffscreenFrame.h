#pragma once
// The game's 1024 x 768 frame, drawn into an OpenGL framebuffer of its own and shown in the window
// scaled to fit. Without one (an old driver, or one that refuses it) drawing goes straight into
// the window.

#include <SDL.h>

#include <string>

class TOffscreenFrame {
public:
    // Makes the frame and leaves it bound, black and with its depth cleared. False when the driver
    // has no framebuffers or refuses this one (logged); drawing then goes into the window.
    bool Make();
    // Deletes the frame with the context current; drawing goes into the window afterwards.
    void Drop();
    // Makes the frame the target of drawing again, when there is one.
    void Bind() const;
    bool Exists() const { return Framebuffer != 0; }
    // Shows the frame in the window, scaled to fit, swaps the window's buffers and leaves the frame
    // bound.
    void Present(SDL_Window* Window) const;
    // Writes the frame (or the window's back buffer) as an opaque PNG; false when it cannot.
    bool Save(const std::string& PngFile) const;

private:
    unsigned Framebuffer = 0, ColourBuffer = 0, DepthBuffer = 0; // 0: drawing into the window
};
