#pragma once
// The engine over SDL2 and OpenGL: one window with a compatibility-profile context, the game's
// 1024 x 768 frame drawn offscreen and shown scaled to fit (letterboxed, full screen or in a window
// of any size), a fixed-step loop on a monotonic clock, keyboard, mouse and one gamepad, sound
// through OpenAL.

#include "engine/Engine.h"
#include "engine/sdl/FontFace.h"
#include "engine/sdl/FramePacer.h"
#include "engine/sdl/Gamepad.h"
#include "engine/sdl/Letterbox.h"
#include "engine/sdl/OffscreenFrame.h"
#include "engine/sdl/OpenAlSounds.h"
#include "engine/sdl/PressQueue.h"
#include "engine/sdl/RandomPad.h"

#include <SDL.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class TSdlEngine final : public TEngine {
public:
    // The engine that exInit started and that has not been destroyed yet, or null.
    static TSdlEngine* Current;

    TSdlEngine() = default;
    ~TSdlEngine() override;
    TSdlEngine(const TSdlEngine&) = delete;
    TSdlEngine& operator=(const TSdlEngine&) = delete;
    // Opens the window and the context, loads OpenGL, makes the frame and font 0, opens the audio
    // output. False (logged) when any of the first three fails; no audio is no failure.
    bool Start(const TEngineOptions& Options);

    // TEngine
    void SetCallback(int Kind, TProc Proc) override;
    void Run(int UpdatesPerSecond) override;
    int Time() override;
    void Quit() override { QuitRequested = true; }
    TSetup* Setup() override { return &SetupService; }
    TWindow* Window() override { return &WindowService; }
    TRender* Render() override { return &RenderService; }
    TInput* Input() override { return &InputService; }
    TTextures* Textures() override { return &TextureService; }
    TShaders* Shaders() override { return &ShaderService; }
    TSounds* Sounds() override { return &SoundService; }

    bool SaveFrame(const std::string& PngFile);

    // Longest gap the loop catches up on; after a longer stall the missed updates are dropped.
    static constexpr int MAX_CATCH_UP_MS = 250;
    // Longest step the pad's cursor takes between two frames (after a stall it does not jump).
    static constexpr double MAX_CURSOR_STEP_MS = 100;

private:
    struct TSetupService final : TSetup {
        void Switch(bool) override {}
    };
    struct TWindowService final : TWindow {
        void SetMode(bool FullScreen, int Width, int Height, int ColourBits, int Refresh) override;
        void SetCaption(const std::string& Caption, int Flags) override;
        int Width() override { return GAME_SCREEN_WIDTH; }
        int Height() override { return GAME_SCREEN_HEIGHT; }
        void ShowCursor(bool Show) override;
        TSdlEngine* Owner = nullptr;
    };
    struct TFontAtlas {
        std::unique_ptr<TFontFace> Face;
        std::string Family;
        unsigned Texture = 0;
        int AtlasWidth = 0, AtlasHeight = 0;
        int CellX[256] = {}, CellY[256] = {}; // each glyph's bitmap in the atlas, texels
    };
    struct TFontService final : TFonts {
        int Create(const std::string& Family, int Size, int Flags, int Options) override;
        TSdlEngine* Owner = nullptr;
    };
    struct TRenderService final : TRender {
        void Switch(bool) override {}
        void Clear(bool Colour, bool Depth, bool Stencil) override;
        void Set3D(float FieldOfViewDeg, float Near, float Far) override;
        void Set2D(float X, float Y, float Width, float Height) override;
        TFonts* Fonts() override { return &Owner->FontService; }
        void TextOut(int Font, const std::string& Text, float X, float Y) override;
        int TextWidth(int Font, const std::string& Text) override;
        int FPS() override;
        bool SaveFrame(const std::string& PngFile) override { return Owner->SaveFrame(PngFile); }
        const TFontAtlas* FontOf(int Font) const;
        TSdlEngine* Owner = nullptr;
        std::deque<double> FrameTimes; // clock of each frame shown during the last second
    };
    struct TInputService final : TInput {
        void Switch(bool) override {}
        bool Down(int Key) override;
        void SetFocus(TInputFocus NewFocus) override { Focus = NewFocus; }
        int LastKey() override { return Presses.Key(); }
        int LastChar() override { return Presses.Char(); }
        int Wheel() override { return CurrentWheel; }
        void CursorPos(int& X, int& Y) override;
        void ReleaseAll();
        bool KeyHeld(int Key) const;
        // A press of a button of the pad that drives: Start is Escape, A in the menu a click.
        void PadPressed(int Button);
        // Moves the cursor as the pad's stick and d-pad say, in the menu, for StepMs.
        void MoveCursorByPad(double StepMs);
        TSdlEngine* Owner = nullptr;
        std::set<int> HeldScancodes;
        bool MouseHeld = false;
        TPressQueue Presses;
        int PendingWheel = 0, CurrentWheel = 0;
        TInputFocus Focus = TInputFocus::MENU;
        TGamepad Pad;
        // The pad as the latest events left it: like the keys, it changes between frames only.
        TPadState PadNow;
        // Where the pad has put the cursor, game pixels; it holds the cursor until the mouse moves.
        bool PadHoldsCursor = false;
        double PadCursorX = 0, PadCursorY = 0;
    };
    struct TTextureService final : TTextures {
        int Load(const std::string& FileName, int, int, int) override;
        int Create(const std::string& Name, int Components, int Format, int Width, int Height,
                   const void* Pixels, int, int, int) override;
        void Free(int Handle) override;
        void Enable(int Handle, int Unit) override;
        void Disable(int Unit) override;
        // A texture of RGBA pixels (top row first) in the engine's texture settings.
        int Upload(int Width, int Height, unsigned Format, const void* Pixels);
        int Placeholder();
        bool UnitValid(int Unit);
        TSdlEngine* Owner = nullptr;
        std::set<int> Owned;
        int UnitCount = 0;
    };
    struct TShaderService final : TShaders {
        bool Load(const std::string& FileName, const std::string& Name) override;
        int Handle() override { return CurrentProgram; }
        void Disable() override;
        TSdlEngine* Owner = nullptr;
        std::map<std::string, unsigned> Programs;
        int CurrentProgram = 0;
    };

    // A new texture name, bound with rows unpacked byte by byte while Fill gives it its parameters
    // and image (SdlTextures.cpp); the caller's binding and unpack alignment are back afterwards.
    static unsigned NewTexture(const std::function<void()>& Fill);
    // The clock, ms since the engine started (or the test clock of TEngineOptions as it reads).
    double ClockMs() const;
    void SleepMs(double Ms);
    bool HasTestClock() const { return Options.ClockMs && Options.SleepMs; }
    void HandleEvents();
    void HandleEvent(const SDL_Event& Event);
    // Whether a key press is the engine's own (full screen or a window), handled here.
    bool HandleWindowKey(const SDL_KeyboardEvent& Key);
    void RunUpdate(double DueMs);
    void RunFrame(double FrameMs);
    void ApplyWindowMode(bool FullScreen);
    void ToggleFullScreen();
    void LogDisplay();
    // Asks for vsync, adaptive first; whether the driver took either.
    bool AskForVSync();
    // The frame cap the options ask for, in frames per second (0: none).
    int FrameCapFps() const;
    void LogFramePacing(const TIntervalStats& Intervals, double SpanMs) const;

    TEngineOptions Options;
    SDL_Window* SdlWindow = nullptr;
    SDL_GLContext Context = nullptr;
    bool SdlStarted = false;
    uint64_t ClockStart = 0, ClockFrequency = 1;
    std::optional<double> CallbackClockMs; // what Time() reads while a callback runs
    bool VSync = false;                    // the driver took the request for vsync
    TFramePacer Pacer;
    bool QuitRequested = false;
    bool InRunLoop = false; // Run's loop is going: a nested Run is refused
    TProc UpdateProc = nullptr, RenderProc = nullptr;
    TOffscreenFrame Frame;
    int64_t NextSaveMs = 0;
    std::vector<TFontAtlas> FontAtlases;

    TSetupService SetupService;
    TWindowService WindowService;
    TFontService FontService;
    TRenderService RenderService;
    TInputService InputService;
    TTextureService TextureService;
    TShaderService ShaderService;
    TOpenAlSounds SoundService;
    TRandomPad RandomPad; // plugged in only when the environment asks for it
};
