#pragma once
// The engine without a window: no OpenGL (the GL table holds stubs that do nothing), a clock the
// caller sets, input the caller scripts, and sound that is written down instead of heard. Tests and
// the headless simulator drive the game's callbacks through it one update and one frame at a time.

#include "engine/Engine.h"

#include <deque>
#include <set>
#include <string>
#include <vector>

class THeadlessEngine final : public TEngine {
public:
    THeadlessEngine();

    // TEngine
    void SetCallback(int Kind, TProc Proc) override;
    // Runs updates and frames on the virtual clock, 1000 / UpdatesPerSecond ms apart (one frame
    // after each update), until Quit or until MaxRunUpdates updates have run. A rate of 0 or less
    // runs the game's rate.
    void Run(int UpdatesPerSecond) override;
    int Time() override { return Clock; }
    void Quit() override { QuitRequested = true; }
    TSetup* Setup() override { return &SetupService; }
    TWindow* Window() override { return &WindowService; }
    TRender* Render() override { return &RenderService; }
    TInput* Input() override { return &InputService; }
    TTextures* Textures() override { return &TextureService; }
    TShaders* Shaders() override { return &ShaderService; }
    TSounds* Sounds() override { return &SoundService; }

    // Driving it.
    void SetTime(int Ms) { Clock = Ms; }
    void AdvanceTime(int Ms) { Clock = MsAfter(Clock, Ms); }
    void SetKeyDown(int Key, bool Down);
    void ReleaseAllKeys() { InputService.Held.clear(); }
    // A press that a later update reports through LastKey (with the character it types).
    void QueuePress(int Key, int Char = 0);
    void QueueWheel(int Steps) { InputService.PendingWheel += Steps; }
    void SetCursor(int X, int Y);
    // One update: takes the next queued press and the wheel steps, then runs the update callback.
    void StepUpdate();
    // One frame: runs the render callback.
    void StepFrame();

    bool QuitRequested = false;
    int MaxRunUpdates = 1000000;

    struct TTextureRecord {
        std::string Name;
        int Width = 0, Height = 0, Components = 0;
        std::vector<unsigned char> Pixels; // only for textures made with Create
        bool Freed = false;
    };
    // Every texture handed out, indexed by handle - 1 (nothing is read from disk).
    std::vector<TTextureRecord> TextureLog;
    std::vector<std::string> FontLog;     // family of each font made, by handle - 1
    std::vector<std::string> ShaderLog;   // file of each shader load asked for
    std::vector<std::string> SavedFrames; // file of each frame saved (nothing is written)

    struct TVoiceRecord {
        int Time = 0;     // the clock when the voice started, ms
        std::string Name; // the sound's file
        bool Loop = false;
        TVoiceSettings Started;  // as it started
        TVoiceSettings Settings; // as it is now
        bool Paused = false;
        bool Stopped = false;
    };
    // Every sound handed out, by handle - 1 (nothing is read from disk), and every voice started,
    // by handle - 1. A voice that does not loop ends as soon as it starts.
    std::vector<std::string> SoundLog;
    std::vector<TVoiceRecord> VoiceLog;

    // Fixed width of one character in the headless fonts, pixels.
    static constexpr int CHAR_WIDTH_PX = 8;

private:
    struct TSetupService final : TSetup {
        void Switch(bool) override {}
    };
    struct TWindowService final : TWindow {
        void SetMode(bool, int, int, int, int) override {}
        void SetCaption(const std::string& Text, int) override { Caption = Text; }
        int Width() override { return GAME_SCREEN_WIDTH; }
        int Height() override { return GAME_SCREEN_HEIGHT; }
        void ShowCursor(bool Show) override { CursorShown = Show; }
        std::string Caption;
        bool CursorShown = true;
    };
    struct TFontService final : TFonts {
        int Create(const std::string& Family, int Size, int Flags, int Options) override;
        THeadlessEngine* Owner = nullptr;
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
        bool SaveFrame(const std::string& PngFile) override {
            Owner->SavedFrames.push_back(PngFile);
            return true;
        }
        THeadlessEngine* Owner = nullptr;
        std::deque<int> FrameTimes; // virtual times of the frames of the last second
    };
    struct TInputService final : TInput {
        void Switch(bool) override {}
        bool Down(int Key) override {
            return Held.count(Key) != 0 || Held.count(DrivingArrowOf(Key, Focus)) != 0;
        }
        void SetFocus(TInputFocus NewFocus) override { Focus = NewFocus; }
        int LastKey() override { return CurrentKey; }
        int LastChar() override { return CurrentChar; }
        int Wheel() override { return CurrentWheel; }
        void CursorPos(int& X, int& Y) override {
            X = MouseX;
            Y = MouseY;
        }
        std::set<int> Held;
        std::deque<std::pair<int, int>> Presses; // key, character
        int CurrentKey = VK_NONE, CurrentChar = 0, CurrentWheel = 0, PendingWheel = 0;
        int MouseX = 0, MouseY = 0;
        TInputFocus Focus = TInputFocus::MENU;
    };
    struct TTextureService final : TTextures {
        int Load(const std::string& FileName, int, int, int) override;
        int Create(const std::string& Name, int Components, int Format, int Width, int Height,
                   const void* Pixels, int, int, int) override;
        void Free(int Handle) override;
        void Enable(int Handle, int Unit) override;
        void Disable(int Unit) override;
        THeadlessEngine* Owner = nullptr;
    };
    struct TShaderService final : TShaders {
        bool Load(const std::string& FileName, const std::string& Name) override;
        int Handle() override { return Current; }
        void Disable() override;
        THeadlessEngine* Owner = nullptr;
        int Current = 0, Next = 1;
    };

    struct TSoundService final : TSounds {
        int Load(const std::string& FileName) override;
        int Play(int Sound, const TVoiceSettings& Settings, bool Loop) override;
        void Set(int Voice, const TVoiceSettings& Settings) override;
        void Pause(int Voice, bool Paused) override;
        void Stop(int Voice) override;
        bool Playing(int Voice) override;
        void SetEnabled(bool On) override { SoundOn = On; }
        bool Enabled() override { return SoundOn; }
        void SetVolume(int Percent) override;
        int Volume() override { return VolumePercent; }
        // The record of a voice that is playing or paused, else null.
        TVoiceRecord* Live(int Voice);
        THeadlessEngine* Owner = nullptr;
        bool SoundOn = true;
        int VolumePercent = DEFAULT_VOLUME_PERCENT;
    };

    int Clock = 0;
    TProc UpdateProc = nullptr;
    TProc RenderProc = nullptr;
    TSetupService SetupService;
    TWindowService WindowService;
    TFontService FontService;
    TRenderService RenderService;
    TInputService InputService;
    TTextureService TextureService;
    TShaderService ShaderService;
    TSoundService SoundService;
};
