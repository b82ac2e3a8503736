#include "engine/sdl/EngineSdl.h"

#include "engine/GL.h"
#include "engine/Text1251.h"
#include "engine/sdl/EngineGL.h"
#include "engine/sdl/KeyMap.h"
#include "engine/sdl/LeakCheck.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>

#ifdef MARVOLIN_LEAK_CHECKED
#include <dlfcn.h>
#include <link.h>
#endif

namespace {

constexpr const char* ENGINE_VERSION = "Marvolin engine 1.0 (SDL2, OpenGL)";
// Largest wheel movement kept between two updates, steps each way.
constexpr int MAX_PENDING_WHEEL_STEPS = 1000;

TEngineOptions PendingOptions;

// The Windows-1251 byte of the first character of UTF-8 text, -1 when the code page lacks it or
// the text does not begin with a whole character.
int First1251OfUtf8(const char* Text) {
    size_t Length = 0;
    const char32_t C = DecodeUtf8(Text, Length);
    return Length ? ByteOf1251(C) : -1;
}

// A full-screen window starts at the display's corner with the display's size: without a window
// manager (a virtual X server) nothing else would move or size it, and its picture would hang off
// the screen or leave part of it deaf to the mouse.
SDL_Window* CreateWindow(Uint32 Flags) {
    int X = SDL_WINDOWPOS_CENTERED, Y = SDL_WINDOWPOS_CENTERED;
    int W = GAME_SCREEN_WIDTH, H = GAME_SCREEN_HEIGHT;
    SDL_Rect Display{};
    if ((Flags & SDL_WINDOW_FULLSCREEN) && SDL_GetDisplayBounds(0, &Display) == 0) {
        X = Display.x;
        Y = Display.y;
        W = Display.w;
        H = Display.h;
    }
    return SDL_CreateWindow("Marvolin", X, Y, W, H, Flags);
}

// The OpenGL driver keeps blocks in its globals to the end of the process, and shutting SDL down
// unloads the driver; LeakSanitizer, which no longer sees those globals then, would report the
// blocks as lost. In leak-checked builds every library loaded so far stays resident instead.
void KeepLoadedLibrariesResident() {
#ifdef MARVOLIN_LEAK_CHECKED
    dl_iterate_phdr(
        [](dl_phdr_info* Info, size_t, void*) -> int {
            if (Info->dlpi_name && Info->dlpi_name[0])
                dlopen(Info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
#endif
}

bool EnvironmentSet(const char* Name) {
    const char* Value = std::getenv(Name);
    return Value && *Value;
}

bool NoDisplayServerNamed() {
    return !EnvironmentSet("DISPLAY") && !EnvironmentSet("WAYLAND_DISPLAY");
}

// Why no display opened, for a player who reads only the one line on stderr.
std::string NoDisplayReason(const std::string& SdlError) {
    if (NoDisplayServerNamed())
        return "neither DISPLAY nor WAYLAND_DISPLAY is set (SDL: " + SdlError + ")";
    return SdlError;
}

// Video drivers that show nothing: SDL falls back to its offscreen one when no display opens,
// and a game nobody can see would run on. The engine takes them only when SDL_VIDEODRIVER names
// them (as the display tests do).
bool ShowsNothing(const char* Driver) {
    const std::string Name = Driver ? Driver : "";
    return Name == "offscreen" || Name == "dummy";
}

bool VideoDriverAskedFor(const char* Driver) {
    const char* Asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return Asked && Driver && std::string(Asked).find(Driver) != std::string::npos;
}

// Opens SDL's video. With no display server named and no driver asked for, only the console's
// own display (kmsdrm) could show the game: SDL is not let try Wayland's default socket (where
// libwayland prints a complaint of its own) or fall back to a driver that shows nothing.
bool StartVideo(std::string& Error) {
    if (NoDisplayServerNamed() && !SDL_GetHint(SDL_HINT_VIDEODRIVER))
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "kmsdrm");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        Error = NoDisplayReason(SDL_GetError());
        return false;
    }
    const char* Driver = SDL_GetCurrentVideoDriver();
    if (ShowsNothing(Driver) && !VideoDriverAskedFor(Driver)) {
        Error = NoDisplayReason(std::string("none opened (SDL offered only its \"") + Driver +
                                "\" driver, which shows nothing)");
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    return true;
}

std::string FixedOneDecimal(double Value) {
    char Text[32];
    std::snprintf(Text, sizeof Text, "%.1f", Value);
    return Text;
}

int GLMajorVersion(const char* Version) {
    int Major = 0;
    if (Version) std::sscanf(Version, "%d", &Major);
    return Major;
}

std::string GLText(GLenum Name) {
    const GLubyte* Text = EngineGL.GetString ? EngineGL.GetString(Name) : nullptr;
    return Text ? reinterpret_cast<const char*>(Text) : "(unknown)";
}

} // namespace

TSdlEngine* TSdlEngine::Current = nullptr;

// ---- start and stop ----------------------------------------------------------------------------

bool TSdlEngine::Start(const TEngineOptions& StartOptions) {
    Options = StartOptions;
    WindowService.Owner = this;
    FontService.Owner = this;
    RenderService.Owner = this;
    InputService.Owner = this;
    TextureService.Owner = this;
    ShaderService.Owner = this;

    SDL_version Linked;
    SDL_GetVersion(&Linked);
    exLog(std::string(ENGINE_VERSION) + ", SDL " + std::to_string(Linked.major) + "." +
          std::to_string(Linked.minor) + "." + std::to_string(Linked.patch));

    SdlStarted = true; // SDL_Quit is due even when no subsystem starts
    std::string NoVideo;
    if (!StartVideo(NoVideo)) {
        exLog("error: cannot open a display: " + NoVideo);
        return false;
    }
    // Pads are welcome, not needed: without SDL's controller support the keyboard still drives.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
        exLog(std::string("gamepad: none can be used: ") + SDL_GetError());
    else if (const std::optional<uint32_t> Seed = TRandomPad::SeedFromEnvironment())
        RandomPad.Start(*Seed);
    ClockFrequency = std::max<uint64_t>(1, SDL_GetPerformanceFrequency());
    ClockStart = SDL_GetPerformanceCounter();

    // A compatibility context: the game draws with fixed-function OpenGL 1.x.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);

    // Resizable in full screen too, so that the window it turns into (Alt+Enter, F11) is.
    Uint32 Flags = SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_RESIZABLE;
    if (!Options.Windowed) Flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    SdlWindow = CreateWindow(Flags);
    if (!SdlWindow) {
        exLog("error: cannot open a window on the display: " + NoDisplayReason(SDL_GetError()));
        return false;
    }
    Context = SDL_GL_CreateContext(SdlWindow);
    if (!Context) { // perhaps the sizes asked for: try what the driver offers by default
        // Not on stderr: a failure that follows says it in one line.
        exLog(std::string("OpenGL: no context as asked (") + SDL_GetError() +
              "); trying the driver's default");
        SDL_DestroyWindow(SdlWindow);
        SDL_GL_ResetAttributes();
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
        SdlWindow = CreateWindow(Flags);
        Context = SdlWindow ? SDL_GL_CreateContext(SdlWindow) : nullptr;
    }
    if (!Context) {
        exLog(std::string("error: cannot open OpenGL on the display: ") + SDL_GetError());
        return false;
    }
    SDL_GL_MakeCurrent(SdlWindow, Context);

    const std::string MissingGame = GLLoad(SDL_GL_GetProcAddress);
    const std::vector<std::string> MissingEngine = EngineGLLoad(SDL_GL_GetProcAddress);
    if (!MissingGame.empty() || !EngineGL.HasCore) {
        exLog("error: the OpenGL driver lacks " +
              (MissingGame.empty() ? MissingEngine.front() : MissingGame));
        GLLoadStubs();
        return false;
    }
    const std::string Version = GLText(GL_VERSION);
    exLog("OpenGL vendor: " + GLText(GL_VENDOR));
    exLog("OpenGL renderer: " + GLText(GL_RENDERER));
    exLog("OpenGL version: " + Version);
    // The loader may hand out entry points the context cannot run; trust the version.
    const int Major = GLMajorVersion(Version.c_str());
    if (Major < 3) EngineGL.HasFramebuffer = EngineGL.HasMipmap = false;
    if (Major < 2) EngineGL.HasShaders = false;
    if (!EngineGL.HasShaders) exLog("warning: no GLSL programs with this OpenGL");

    GLint Units = 1;
    EngineGL.GetIntegerv(GL_MAX_TEXTURE_UNITS, &Units);
    TextureService.UnitCount = std::max(1, int(Units));

    if (!Frame.Make()) {
        exLog("warning: no offscreen framebuffer: drawing straight into a 1024 x 768 window");
        Options.Windowed = true;
        ApplyWindowMode(false);
    }
    VSync = AskForVSync();
    const int CapFps = FrameCapFps();
    exLog(std::string("frames: ") + (HasTestClock() ? "on a test clock, " : "") +
          (CapFps > 0 ? "at most " + std::to_string(CapFps) + " per second"
                      : "as many as the display takes") +
          (Options.FrameCapFps > 0 || !VSync ? "" : " where vsync does not pace them"));
    LogDisplay();
    InputService.Pad.OpenFirst();
    Frame.Bind();
    glViewport(0, 0, GAME_SCREEN_WIDTH, GAME_SCREEN_HEIGHT);
    // The engine's blending is alpha blending: the game only switches GL_BLEND on (for its cursor
    // picture) and relies on this function being in place.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (FontService.Create("Arial", TFontFace::DEFAULT_SIZE_PX, 0, 0) != 0 || FontAtlases.empty())
        exLog("warning: no default font: text will not show");
    SDL_StartTextInput();
    if (Options.AudioOutput) SoundService.OpenOutput(); // without one the game goes on silently
    Current = this;
    return true;
}

TSdlEngine::~TSdlEngine() {
    KeepLoadedLibrariesResident();
    if (Context) {
        SDL_GL_MakeCurrent(SdlWindow, Context);
        for (TFontAtlas& Atlas : FontAtlases)
            if (Atlas.Texture) EngineGL.DeleteTextures(1, &Atlas.Texture);
        for (int Handle : TextureService.Owned) {
            const GLuint Name = GLuint(Handle);
            EngineGL.DeleteTextures(1, &Name);
        }
        if (EngineGL.HasShaders) {
            EngineGL.UseProgram(0);
            for (auto& [Name, Program] : ShaderService.Programs)
                EngineGL.DeleteProgram(Program);
        }
        Frame.Drop();
        SDL_GL_DeleteContext(Context);
    }
    if (SdlWindow) SDL_DestroyWindow(SdlWindow);
    InputService.Pad.Close();
    RandomPad.Unplug();
    if (SdlStarted) {
        SDL_StopTextInput();
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_Quit();
    }
    // Drawing code that runs after the engine is gone draws nothing instead of crashing.
    GLLoadStubs();
    EngineGLClear();
    if (Current == this) {
        Current = nullptr;
        exLog("engine stopped");
        exLogClose();
    }
}

void TSdlEngine::LogDisplay() {
    SDL_DisplayMode Desktop{};
    const int Display = std::max(0, SDL_GetWindowDisplayIndex(SdlWindow));
    std::string Line = std::string("display: video driver ") + SDL_GetCurrentVideoDriver();
    if (SDL_GetDesktopDisplayMode(Display, &Desktop) == 0)
        Line += ", desktop " + std::to_string(Desktop.w) + " x " + std::to_string(Desktop.h) +
                " at " + std::to_string(Desktop.refresh_rate) + " Hz";
    int W = 0, H = 0;
    SDL_GL_GetDrawableSize(SdlWindow, &W, &H);
    const bool Full = (SDL_GetWindowFlags(SdlWindow) & SDL_WINDOW_FULLSCREEN) != 0;
    Line += std::string(Full ? ", full screen " : ", window ") + std::to_string(W) + " x " +
            std::to_string(H) + " pixels";
    const TScreenRect Picture = FitGameScreen(W, H);
    if (Frame.Exists())
        Line += "; the game's 1024 x 768 shown as " + std::to_string(Picture.Width) + " x " +
                std::to_string(Picture.Height) + " at (" + std::to_string(Picture.X) + ", " +
                std::to_string(Picture.Y) + ")";
    exLog(Line);
}

bool TSdlEngine::AskForVSync() {
    // On a test clock the display must not pace anything: virtual time passes only in SleepMs.
    if (HasTestClock()) {
        SDL_GL_SetSwapInterval(0);
        exLog("vsync: not asked for on a test clock");
        return false;
    }
    // Adaptive vsync shows a late frame at once (tearing once) rather than a whole refresh later.
    if (SDL_GL_SetSwapInterval(-1) == 0) {
        exLog("vsync: adaptive");
        return true;
    }
    if (SDL_GL_SetSwapInterval(1) == 0) {
        exLog("vsync: on");
        return true;
    }
    exLog("vsync: not available");
    return false;
}

int TSdlEngine::FrameCapFps() const {
    if (Options.FrameCapFps >= 0) return Options.FrameCapFps;
    SDL_DisplayMode Mode{};
    const int Display = std::max(0, SDL_GetWindowDisplayIndex(SdlWindow));
    if (!HasTestClock() && SDL_GetDesktopDisplayMode(Display, &Mode) == 0 && Mode.refresh_rate > 0)
        return Mode.refresh_rate;
    return TEngineOptions::FALLBACK_FRAME_CAP_FPS;
}

// ---- loop --------------------------------------------------------------------------------------

double TSdlEngine::ClockMs() const {
    if (HasTestClock()) return Options.ClockMs();
    const uint64_t Ticks = SDL_GetPerformanceCounter() - ClockStart;
    return double(Ticks / ClockFrequency) * 1000.0 +
           double(Ticks % ClockFrequency) * 1000.0 / double(ClockFrequency);
}

int TSdlEngine::Time() {
    return WrappedMs(int64_t(std::floor(CallbackClockMs ? *CallbackClockMs : ClockMs())));
}

void TSdlEngine::SleepMs(double Ms) {
    if (HasTestClock())
        Options.SleepMs(Ms);
    else
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(Ms));
}

void TSdlEngine::SetCallback(int Kind, TProc Proc) {
    if (Kind == CALLBACK_UPDATE) UpdateProc = Proc;
    if (Kind == CALLBACK_RENDER) RenderProc = Proc;
}

void TSdlEngine::Run(int UpdatesPerSecond) {
    if (InRunLoop) {
        exLog("warning: Engine.Run called from inside Engine.Run; ignored");
        return;
    }
    if (UpdatesPerSecond <= 0) {
        exLog("warning: Engine.Run with " + std::to_string(UpdatesPerSecond) +
              " updates per second; running the game's " + std::to_string(UPDATES_PER_SECOND));
        UpdatesPerSecond = UPDATES_PER_SECOND;
    }
    InRunLoop = true;
    const double StepMs = 1000.0 / UpdatesPerSecond;
    // On whole milliseconds, so that at the game's rate every update's time is exact.
    double NextUpdateMs = std::floor(ClockMs());
    Pacer.Start(ClockMs(), FrameCapFps(), VSync, Options.FrameCapFps > 0);
    TIntervalStats Intervals;
    double FirstFrameMs = 0;
    std::optional<double> PreviousFrameMs;
    while (!QuitRequested) {
        HandleEvents();
        // The frame's time: every update due by then runs before it, none due later.
        const double FrameMs = ClockMs();
        if (Options.QuitAfterMs > 0 && FrameMs >= Options.QuitAfterMs) {
            exLog("quitting after " + std::to_string(Options.QuitAfterMs) + " ms as asked");
            QuitRequested = true;
        }
        if (QuitRequested) break;
        if (PreviousFrameMs)
            InputService.MoveCursorByPad(std::min(FrameMs - *PreviousFrameMs, MAX_CURSOR_STEP_MS));

        if (FrameMs - NextUpdateMs > MAX_CATCH_UP_MS) {
            // The grid of update times stays; only the missed ones are skipped.
            const double Dropped = std::floor((FrameMs - NextUpdateMs) / StepMs);
            exLog("loop: " + std::to_string(std::llround(FrameMs - NextUpdateMs)) + " ms behind; " +
                  std::to_string(std::llround(Dropped)) + " updates dropped");
            NextUpdateMs += Dropped * StepMs;
        }
        while (NextUpdateMs <= FrameMs && !QuitRequested) {
            RunUpdate(NextUpdateMs);
            NextUpdateMs += StepMs;
        }
        if (QuitRequested) break;
        RunFrame(FrameMs);
        if (PreviousFrameMs)
            Intervals.Add(FrameMs - *PreviousFrameMs);
        else
            FirstFrameMs = FrameMs;
        PreviousFrameMs = FrameMs;

        const double Sleep = Pacer.SleepAfterFrame(ClockMs());
        if (Pacer.TakeVSyncDistrusted())
            exLog("vsync: the swap does not wait for the display; the loop keeps frames " +
                  FixedOneDecimal(Pacer.FrameIntervalMs()) + " ms apart");
        if (Sleep > 0) SleepMs(Sleep);
    }
    LogFramePacing(Intervals, PreviousFrameMs.value_or(FirstFrameMs) - FirstFrameMs);
    InRunLoop = false;
    QuitRequested = false; // a later Run runs again
}

void TSdlEngine::LogFramePacing(const TIntervalStats& Intervals, double SpanMs) const {
    if (Intervals.Count() < 1 || SpanMs <= 0) return;
    exLog("loop: " + std::to_string(Intervals.Count() + 1) + " frames in " +
          FixedOneDecimal(SpanMs / 1000) + " s, " +
          FixedOneDecimal(Intervals.Count() * 1000.0 / SpanMs) + " per second; frame interval " +
          FixedOneDecimal(Intervals.Mean()) + " ms, standard deviation " +
          FixedOneDecimal(Intervals.Deviation()) + " ms, " + FixedOneDecimal(Intervals.Shortest()) +
          " to " + FixedOneDecimal(Intervals.Longest()) + " ms");
}

void TSdlEngine::RunUpdate(double DueMs) {
    InputService.Presses.TakeNext();
    InputService.CurrentWheel = InputService.PendingWheel;
    InputService.PendingWheel = 0;
    CallbackClockMs = DueMs;
    if (UpdateProc) UpdateProc();
    CallbackClockMs.reset();
}

void TSdlEngine::RunFrame(double FrameMs) {
    Frame.Bind();
    CallbackClockMs = FrameMs;
    if (RenderProc) RenderProc();
    CallbackClockMs.reset();
    const int64_t NowMs = int64_t(std::floor(FrameMs));
    RenderService.FrameTimes.push_back(FrameMs);
    RenderService.FPS(); // forgets the frames older than a second
    Frame.Present(SdlWindow);
    if (Options.SaveFrameEveryMs > 0 && NowMs >= NextSaveMs) {
        std::error_code Error;
        std::filesystem::create_directories(Options.SaveFrameFolder, Error);
        char Name[32];
        std::snprintf(Name, sizeof Name, "frame_%08lld.png", static_cast<long long>(NowMs));
        const std::string File = (std::filesystem::path(Options.SaveFrameFolder) / Name).string();
        if (!SaveFrame(File)) exLog("warning: cannot save the frame " + File);
        NextSaveMs += Options.SaveFrameEveryMs;
        if (NextSaveMs <= NowMs) NextSaveMs = NowMs + Options.SaveFrameEveryMs;
    }
}

bool TSdlEngine::SaveFrame(const std::string& PngFile) {
    return Context && Frame.Save(PngFile);
}

// ---- events and input --------------------------------------------------------------------------

void TSdlEngine::HandleEvents() {
    // The random pad's changes become SDL's events in the polling below.
    RandomPad.Step(ClockMs(), InputService.Focus == TInputFocus::MENU);
    SDL_Event Event;
    while (SDL_PollEvent(&Event))
        HandleEvent(Event);
    InputService.PadNow = InputService.Pad.Read();
}

void TSdlEngine::HandleEvent(const SDL_Event& Event) {
    TInputService& In = InputService;
    switch (Event.type) {
    case SDL_QUIT:
        Quit();
        break;
    case SDL_WINDOWEVENT:
        // Keys released while another window has the keyboard never report their release here.
        if (Event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) In.ReleaseAll();
        break;
    case SDL_KEYDOWN: {
        if (HandleWindowKey(Event.key)) {
            In.Presses.EndTextOfLatest();
            break;
        }
        const SDL_Scancode Scancode = Event.key.keysym.scancode;
        const int Key = VirtualKeyOfScancode(Scancode);
        if (Key == VK_NONE || (Event.key.repeat && !KeyAutoRepeats(Key))) {
            In.Presses.EndTextOfLatest(); // its text, if any, belongs to no reported press
            break;
        }
        In.HeldScancodes.insert(int(Scancode));
        In.Presses.Push(Key, ControlCharOfKey(Key));
        break;
    }
    case SDL_KEYUP:
        In.HeldScancodes.erase(int(Event.key.keysym.scancode));
        break;
    case SDL_TEXTINPUT: {
        const int Char = First1251OfUtf8(Event.text.text);
        if (Char > 0) In.Presses.AttachText(Char);
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
        if (Event.button.button == SDL_BUTTON_LEFT) {
            In.MouseHeld = true;
            In.Presses.Push(VK_MOUSE_LEFT, 0);
            In.Presses.EndTextOfLatest();
        }
        break;
    case SDL_MOUSEBUTTONUP:
        if (Event.button.button == SDL_BUTTON_LEFT) In.MouseHeld = false;
        break;
    case SDL_MOUSEMOTION:
        In.PadHoldsCursor = false;
        break;
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
        In.Pad.HandleDeviceEvent(Event);
        break;
    case SDL_CONTROLLERBUTTONDOWN:
        if (In.Pad.Owns(Event.cbutton.which)) In.PadPressed(Event.cbutton.button);
        break;
    case SDL_MOUSEWHEEL: {
        int Steps = Event.wheel.y;
        if (Event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) Steps = -Steps;
        In.PendingWheel =
            std::clamp(In.PendingWheel + Steps, -MAX_PENDING_WHEEL_STEPS, MAX_PENDING_WHEEL_STEPS);
        break;
    }
    default:
        break;
    }
}

bool TSdlEngine::HandleWindowKey(const SDL_KeyboardEvent& Key) {
    const SDL_Scancode Scancode = Key.keysym.scancode;
    const bool Enter = Scancode == SDL_SCANCODE_RETURN || Scancode == SDL_SCANCODE_KP_ENTER;
    if (Scancode != SDL_SCANCODE_F11 && !(Enter && (Key.keysym.mod & KMOD_ALT))) return false;
    if (!Key.repeat) ToggleFullScreen();
    return true;
}

bool TSdlEngine::TInputService::KeyHeld(int Key) const {
    if (Key == VK_NONE) return false;
    for (int Scancode : HeldScancodes)
        if (VirtualKeyOfScancode(SDL_Scancode(Scancode)) == Key) return true;
    return false;
}

bool TSdlEngine::TInputService::Down(int Key) {
    if (Key == VK_MOUSE_LEFT)
        return MouseHeld || (Focus == TInputFocus::MENU && PadNow.Buttons[SDL_CONTROLLER_BUTTON_A]);
    if (KeyHeld(Key) || KeyHeld(DrivingArrowOf(Key, Focus))) return true;
    return Focus != TInputFocus::MENU && PadHoldsKey(PadNow, Key);
}

void TSdlEngine::TInputService::PadPressed(int Button) {
    if (Button == SDL_CONTROLLER_BUTTON_START) {
        Presses.Push(VK_ESCAPE, ControlCharOfKey(VK_ESCAPE));
        Presses.EndTextOfLatest();
    } else if (Button == SDL_CONTROLLER_BUTTON_A && Focus == TInputFocus::MENU) {
        Presses.Push(VK_MOUSE_LEFT, 0);
        Presses.EndTextOfLatest();
    }
}

void TSdlEngine::TInputService::MoveCursorByPad(double StepMs) {
    if (Focus != TInputFocus::MENU) return;
    double SpeedX = 0, SpeedY = 0;
    PadCursorVelocity(PadNow, SpeedX, SpeedY);
    if (SpeedX == 0 && SpeedY == 0) return;
    if (!PadHoldsCursor) { // the pad takes the cursor over from where the mouse left it
        int X = 0, Y = 0;
        CursorPos(X, Y);
        PadCursorX = X;
        PadCursorY = Y;
        PadHoldsCursor = true;
    }
    PadCursorX =
        std::clamp(PadCursorX + SpeedX * StepMs / 1000, 0.0, double(GAME_SCREEN_WIDTH - 1));
    PadCursorY =
        std::clamp(PadCursorY + SpeedY * StepMs / 1000, 0.0, double(GAME_SCREEN_HEIGHT - 1));
}

void TSdlEngine::TInputService::CursorPos(int& X, int& Y) {
    if (PadHoldsCursor) {
        X = int(PadCursorX);
        Y = int(PadCursorY);
        return;
    }
    int MouseX = 0, MouseY = 0, W = 0, H = 0;
    SDL_GetMouseState(&MouseX, &MouseY);
    SDL_GetWindowSize(Owner->SdlWindow, &W, &H);
    OutputToGameScreen(FitGameScreen(W, H), MouseX, MouseY, X, Y);
}

void TSdlEngine::TInputService::ReleaseAll() {
    HeldScancodes.clear();
    MouseHeld = false;
}

// ---- window ------------------------------------------------------------------------------------

void TSdlEngine::ApplyWindowMode(bool FullScreen) {
    const bool IsFull = (SDL_GetWindowFlags(SdlWindow) & SDL_WINDOW_FULLSCREEN) != 0;
    if (FullScreen == IsFull) return;
    if (FullScreen) {
        SDL_Rect Display{};
        if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(SdlWindow)), &Display) ==
            0) {
            SDL_SetWindowPosition(SdlWindow, Display.x, Display.y);
            SDL_SetWindowSize(SdlWindow, Display.w, Display.h); // for a display without a manager
        }
        if (SDL_SetWindowFullscreen(SdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0)
            exLog(std::string("warning: cannot go full screen: ") + SDL_GetError());
    } else {
        SDL_SetWindowFullscreen(SdlWindow, 0);
        SDL_SetWindowSize(SdlWindow, GAME_SCREEN_WIDTH, GAME_SCREEN_HEIGHT);
        SDL_SetWindowPosition(SdlWindow, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
}

void TSdlEngine::ToggleFullScreen() {
    if (!Frame.Exists()) {
        exLog("display: no full screen without the offscreen frame");
        return;
    }
    ApplyWindowMode((SDL_GetWindowFlags(SdlWindow) & SDL_WINDOW_FULLSCREEN) == 0);
    LogDisplay();
}

void TSdlEngine::TWindowService::SetMode(bool FullScreen, int Width, int Height, int ColourBits,
                                         int Refresh) {
    exLog("display: the game asks for " + std::string(FullScreen ? "full screen " : "a window ") +
          std::to_string(Width) + " x " + std::to_string(Height) + ", " +
          std::to_string(ColourBits) + " bits, " + std::to_string(Refresh) + " Hz");
    if (Width != GAME_SCREEN_WIDTH || Height != GAME_SCREEN_HEIGHT)
        exLog("warning: the game's screen stays 1024 x 768");
    // Full screen keeps the desktop's own mode: the monitor's mode never changes.
    Owner->ApplyWindowMode(FullScreen && !Owner->Options.Windowed && Owner->Frame.Exists());
    Owner->LogDisplay();
}

void TSdlEngine::TWindowService::SetCaption(const std::string& Caption, int) {
    SDL_SetWindowTitle(Owner->SdlWindow, Utf8From1251(Caption).c_str());
}

void TSdlEngine::TWindowService::ShowCursor(bool Show) {
    SDL_ShowCursor(Show ? SDL_ENABLE : SDL_DISABLE);
}

// ---- entry points ------------------------------------------------------------------------------

void exSetOptions(const TEngineOptions& Options) {
    PendingOptions = Options;
}

TEngine* exInit(const std::string& LogFile, int) {
    if (TSdlEngine::Current) return TSdlEngine::Current;
    if (!exLogOpen(LogFile)) exLog("warning: cannot write the log file " + LogFile);
    auto Engine = std::make_unique<TSdlEngine>();
    if (!Engine->Start(PendingOptions)) {
        Engine.reset();
        exLogClose();
        return nullptr;
    }
    return Engine.release();
}

bool exSaveFrame(const std::string& PngFile) {
    return TSdlEngine::Current && TSdlEngine::Current->SaveFrame(PngFile);
}
