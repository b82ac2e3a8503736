#pragma once
// The engine services as the game sees them: window, main loop and clock, keyboard, mouse and pad,
// textures, fonts and text, shaders, sound. `exInit` starts the SDL2/OpenGL back-end (engine/sdl);
// `THeadlessEngine` (engine/EngineHeadless.h) is the back-end without a window for tests and the
// simulator. Game code reaches the services through the globals of app/variables.h.
//
// Texts are 8-bit strings in the Windows-1251 code page (engine/Text1251.h converts). Key codes are
// Windows virtual-key codes; a press of the primary mouse button is reported as VK_MOUSE_LEFT.
// Texture and font handles are integers chosen by the engine; font 0 always exists.

#include <cstdint>
#include <functional>
#include <string>

// Virtual-key codes the game uses (letters and digits are their ASCII capitals and digits).
constexpr int VK_NONE = -1;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21; // Page Up
constexpr int VK_NEXT = 0x22;  // Page Down
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_F12 = 0x7B;   // saves a screenshot
constexpr int VK_OEM_3 = 0xC0; // the key left of 1: opens the console
constexpr int VK_MOUSE_LEFT = 257;

// Callback kinds of TEngine::SetCallback.
constexpr int CALLBACK_UPDATE = 0;
constexpr int CALLBACK_RENDER = 1;

// The game's fixed update rate: every per-update constant of the cars, the camera and the console
// assumes it, and the race's clock advances by a whole number of milliseconds per update.
constexpr int UPDATES_PER_SECOND = 40;
constexpr int MS_PER_UPDATE = 1000 / UPDATES_PER_SECOND;
static_assert(1000 % UPDATES_PER_SECOND == 0, "an update lasts a whole number of milliseconds");

// The screen size the game is written for; the SDL back-end scales it to the real display.
constexpr int GAME_SCREEN_WIDTH = 1024;
constexpr int GAME_SCREEN_HEIGHT = 768;

using TProc = void (*)();

class TSetup {
public:
    virtual ~TSetup() = default;
    virtual void Switch(bool On) = 0; // start-up switch; no effect relied on
};

class TWindow {
public:
    virtual ~TWindow() = default;
    virtual void SetMode(bool FullScreen, int Width, int Height, int ColourBits, int Refresh) = 0;
    virtual void SetCaption(const std::string& Caption, int Flags) = 0;
    virtual int Width() = 0;  // pixels of the game's screen (1024)
    virtual int Height() = 0; // pixels of the game's screen (768)
    // Shows or hides the system mouse cursor over the game's window.
    virtual void ShowCursor(bool Show) = 0;
};

class TFonts {
public:
    virtual ~TFonts() = default;
    // A font of the family (found through fontconfig; "Arial" is Liberation Sans, DejaVu Sans
    // stands in for a family that does not open) at Size pixels per em (0 or less: 16; at most
    // 128); returns its handle. Flags and Options are accepted and ignored. Font 0 is "Arial"
    // at 16.
    virtual int Create(const std::string& Family, int Size, int Flags, int Options) = 0;
};

class TRender {
public:
    virtual ~TRender() = default;
    virtual void Switch(bool On) = 0; // start-up switch; no effect relied on
    virtual void Clear(bool Colour, bool Depth, bool Stencil) = 0;
    // Perspective projection with the screen's aspect; leaves the model-view matrix current and
    // identity.
    virtual void Set3D(float FieldOfViewDeg, float Near, float Far) = 0;
    // Orthographic pixel space, y downward from the top-left corner, model-view identity; drawing
    // at depth 0 lies in front of the 3-D scene. (The SDL back-end maps eye depth 0 to window depth
    // 0.001, so with depth testing on, 2-D drawing covers everything of a Set3D scene farther than
    // a hundredth of a world unit beyond its near plane; eye depths from -1000 to 1 stay visible.)
    virtual void Set2D(float X, float Y, float Width, float Height) = 0;
    virtual TFonts* Fonts() = 0;
    // Draws Windows-1251 text in the current GL colour. (X, Y) is the top-left corner of the text's
    // line box: the line's ascent lies below Y, the first glyph's pen starts at X (both rounded to
    // whole pixels). The glyphs are alpha-blended quads in the current matrices' space at depth 0,
    // drawn without depth test, lighting or shader; every GL state TextOut changes is restored.
    // An unknown font handle draws with font 0.
    virtual void TextOut(int Font, const std::string& Text, float X, float Y) = 0;
    // Exactly the advance TextOut uses for Text, in pixels.
    virtual int TextWidth(int Font, const std::string& Text) = 0;
    virtual int FPS() = 0; // frames drawn during the last second
    // Writes the game's 1024 x 768 picture (the last frame shown, or what the render callback has
    // drawn so far) to a PNG file; false when it cannot.
    virtual bool SaveFrame(const std::string& PngFile) = 0;
};

// What the player's commands are for, as the game tells the input layer in every update
// (TInput::SetFocus) before it reads them. Keys held and presses are reported alike under every
// focus; the focus decides what the arrow keys and a gamepad stand for.
enum class TInputFocus {
    MENU,    // the pad's stick and d-pad move the cursor, its A button clicks; nothing drives
    RACE,    // the arrow keys hold W A S D, the pad W A S D and Space
    CONSOLE, // the console is open: the arrows are its own, the pad still drives
};

// The arrow key that also holds a driving key under the focus: Up for W, Left for A, Down for S,
// Right for D, in a race only; VK_NONE for every other key and focus.
constexpr int DrivingArrowOf(int Key, TInputFocus Focus) {
    if (Focus != TInputFocus::RACE) return VK_NONE;
    switch (Key) {
    case 'W':
        return VK_UP;
    case 'A':
        return VK_LEFT;
    case 'S':
        return VK_DOWN;
    case 'D':
        return VK_RIGHT;
    default:
        return VK_NONE;
    }
}

class TInput {
public:
    virtual ~TInput() = default;
    virtual void Switch(bool On) = 0; // start-up switch; no effect relied on
    // Whether the key is held now. Letter keys follow physical key positions (W A S D sit under
    // the same fingers on every layout). A driving key (W A S D, Space) is also held while its
    // arrow (DrivingArrowOf) or a gamepad's control for it is, as the focus allows.
    virtual bool Down(int Key) = 0;
    // The focus for the coming updates and the input between them; TInputFocus::MENU at start.
    virtual void SetFocus(TInputFocus Focus) = 0;
    // The key or mouse button pressed for this update, VK_NONE if none. Every press is reported in
    // exactly one update, in order; presses between two updates queue up.
    virtual int LastKey() = 0;
    // The Windows-1251 character the press of LastKey types (layout and Shift honoured, as ToAscii
    // gives it), 0 if it types none.
    virtual int LastChar() = 0;
    // Wheel steps since the previous update; positive when the wheel turns away from the user.
    virtual int Wheel() = 0;
    // Mouse position in the game's 1024 x 768 screen pixels.
    virtual void CursorPos(int& X, int& Y) = 0;
};

class TTextures {
public:
    virtual ~TTextures() = default;
    // An OpenGL 2-D texture of a .jpg or .tga image. The name resolves without regard to case and
    // with either separator. A missing or broken image logs a warning and yields a placeholder (a
    // magenta and black checker). Every texture is mipmapped, repeats and filters linearly; its
    // first pixel row (the top of the picture) lies at t = 0 and its last at t = 1. The options
    // are accepted and ignored.
    virtual int Load(const std::string& FileName, int Options1, int Options2, int Options3) = 0;
    // A texture from Width x Height pixels of Components bytes each (first row at t = 0), in GL
    // format Format (GL_RGBA, GL_RGB, GL_BGRA, GL_BGR, GL_LUMINANCE_ALPHA, GL_LUMINANCE or
    // GL_ALPHA, matching Components). Sizes or formats that do not fit give the placeholder.
    virtual int Create(const std::string& Name, int Components, int Format, int Width, int Height,
                       const void* Pixels, int Options1, int Options2, int Options3) = 0;
    virtual void Free(int Handle) = 0;
    // Enables 2-D texturing on the unit (0 or 1) and binds the texture there. Both leave the active
    // texture unit at 0.
    virtual void Enable(int Handle, int Unit) = 0;
    virtual void Disable(int Unit) = 0;
};

class TShaders {
public:
    virtual ~TShaders() = default;
    // Compiles the GLSL program of the file (a vertex and a fragment section) under Name; false on
    // a missing file or a compile error (logged with the compiler's message). The file holds a
    // line "[vertex]" followed by the vertex shader's source and a line "[fragment]" followed by
    // the fragment shader's (either order; the lines are matched ignoring case and surrounding
    // blanks; text before the first of them is a comment). Each source carries its own #version.
    // Loading does not make the program current.
    virtual bool Load(const std::string& FileName, const std::string& Name) = 0;
    virtual int Handle() = 0;   // the program of the latest successful Load
    virtual void Disable() = 0; // back to fixed-function drawing
};

// How a voice sounds: its loudness, its speed of playing and where it stands between the speakers.
struct TVoiceSettings {
    float Gain = 1;  // 0 silent ... 1 as recorded; more is heard as 1
    float Pitch = 1; // a factor of the playing speed: 2 an octave up, 0.5 an octave down
    float Pan = 0;   // -1 the left speaker ... 0 the middle ... 1 the right speaker
};

// Sound: WAV files loaded as sounds, played as voices that mix together under one master switch and
// one master volume. Sound and voice handles are integers chosen by the engine; 0 is none, and
// every call takes it (and a voice that has ended or been stopped) and does nothing. With no audio
// device the service still hands out handles and keeps its settings, and nothing is heard.
class TSounds {
public:
    virtual ~TSounds() = default;
    // A sound of a PCM WAV file (mono for Pan to take effect). The name resolves without regard to
    // case and with either separator; the same name gives the same handle again. A missing or
    // broken file logs a warning and gives 0.
    virtual int Load(const std::string& FileName) = 0;
    // Starts the sound from its beginning; a looping voice plays until Stop, another ends at the
    // sound's end. The voice's handle, 0 when every voice is busy.
    virtual int Play(int Sound, const TVoiceSettings& Settings, bool Loop) = 0;
    // Changes a voice as it plays, from the next piece mixed on.
    virtual void Set(int Voice, const TVoiceSettings& Settings) = 0;
    // A paused voice keeps its place in the sound and goes on from there when unpaused.
    virtual void Pause(int Voice, bool Paused) = 0;
    virtual void Stop(int Voice) = 0;
    // Whether the voice is playing or paused (a voice that ended is neither).
    virtual bool Playing(int Voice) = 0;
    // The master switch: off is silence, while voices go on (and end) as if they were heard.
    virtual void SetEnabled(bool On) = 0;
    virtual bool Enabled() = 0;
    // The master volume in percent, 0 ... 100 (clamped): every voice's gain is scaled by it.
    virtual void SetVolume(int Percent) = 0;
    virtual int Volume() = 0;
};

constexpr int MAX_VOLUME_PERCENT = 100;
constexpr int DEFAULT_VOLUME_PERCENT = MAX_VOLUME_PERCENT; // what a sound service starts with

// The engine's clock in whole milliseconds is a 32-bit count that wraps round modulo 2^32 (from
// INT_MAX to INT_MIN, after about 24.8 days). The game never subtracts or adds its readings
// directly: these take the arithmetic modulo 2^32, which is defined, and gives every interval
// shorter than 2^31 ms (in either direction) exactly, across the wrap as well as away from it.
// The milliseconds from Since to Now (negative when Now comes first).
constexpr int32_t ElapsedMs(int32_t Since, int32_t Now) {
    return int32_t(uint32_t(Now) - uint32_t(Since));
}
// The clock's reading Ms milliseconds after At.
constexpr int32_t MsAfter(int32_t At, int32_t Ms) {
    return int32_t(uint32_t(At) + uint32_t(Ms));
}
// What the wrapping clock reads after Ms milliseconds counted without limit from its zero.
constexpr int32_t WrappedMs(int64_t Ms) {
    return int32_t(uint32_t(uint64_t(Ms)));
}

class TEngine {
public:
    virtual ~TEngine() = default;
    virtual void SetCallback(int Kind, TProc Proc) = 0;
    // Calls the update callback UpdatesPerSecond times per second of real time and the render
    // callback once per frame, showing each frame after it returns; returns after Quit (at once
    // when Quit came before Run).
    virtual void Run(int UpdatesPerSecond) = 0;
    // Monotonic clock, milliseconds. While the update callback runs it reads the time that update
    // was due: updates lie exactly 1000 / UpdatesPerSecond ms apart on it however late the loop
    // runs them, so a race reads the same times at any frame rate. While the render callback
    // runs it reads the frame's time, never earlier than the latest update's, so that
    // (frame - latest update) / update interval is where the frame lies between two updates.
    // The count wraps from INT_MAX to INT_MIN after about 24.8 days: take every interval with
    // ElapsedMs and every later time with MsAfter.
    virtual int Time() = 0;
    // Run returns once the current callback has finished.
    virtual void Quit() = 0;

    virtual TSetup* Setup() = 0;
    virtual TWindow* Window() = 0;
    virtual TRender* Render() = 0;
    virtual TInput* Input() = 0;
    virtual TTextures* Textures() = 0;
    virtual TShaders* Shaders() = 0;
    virtual TSounds* Sounds() = 0;
};

// Options of the SDL back-end, taken from the game's command line before exInit.
struct TEngineOptions {
    bool Windowed = false; // a 1024 x 768 window instead of full screen
    // Above 0: after the frame of every this many ms of engine time, its picture is saved into
    // SaveFrameFolder (made if missing) as "frame_" + the engine time in ms, 8 digits, + ".png".
    int SaveFrameEveryMs = 0;
    std::string SaveFrameFolder = "frames";
    // Above 0: the engine quits by itself once its clock passes this many ms (unattended runs).
    int QuitAfterMs = 0;
    // False: no audio device is opened, and the sound service stays silent (pictures, tools).
    bool AudioOutput = true;
    // Frames per second at most. The display's vsync paces the loop where the driver offers it;
    // where it does not (or the swap does not wait), the loop sleeps between frames to this rate.
    // FRAME_CAP_DISPLAY: the display's refresh rate, or FALLBACK_FRAME_CAP_FPS when it is not
    // known; 0: no cap (the loop never sleeps); above 0 the loop keeps to it even with vsync.
    static constexpr int FRAME_CAP_DISPLAY = -1;
    static constexpr int FALLBACK_FRAME_CAP_FPS = 120;
    int FrameCapFps = FRAME_CAP_DISPLAY;
    // A virtual clock for tests of the real loop. When both are set the engine reads ClockMs
    // (milliseconds, monotonic, any start) instead of SDL's performance counter and calls SleepMs
    // (which should advance that clock by about the time asked for) instead of sleeping; vsync is
    // not asked for, so the loop paces itself to the frame cap (FRAME_CAP_DISPLAY as
    // FALLBACK_FRAME_CAP_FPS) and virtual time passes only through ClockMs and SleepMs. Events
    // are read from SDL as always, so a test pushes its input with SDL_PushEvent or a virtual
    // joystick between frames (from the callbacks). With FrameCapFps 0 the loop never sleeps:
    // ClockMs must then move on by itself.
    std::function<double()> ClockMs;
    std::function<void(double Ms)> SleepMs;
};
// Takes effect at the next exInit.
void exSetOptions(const TEngineOptions& Options);

// Starts the SDL2/OpenGL back-end, logging to LogFile: opens the window (full screen at the
// desktop's own resolution, or the 1024 x 768 window of TEngineOptions::Windowed) with its OpenGL
// context, loads the game's GL table (engine/GL.h) and creates font 0, so that textures, fonts and
// drawing work as soon as it returns. Sound goes to the system's default audio output through
// OpenAL; when none opens, the log says so once and the sound service plays nothing. Null when no
// window or OpenGL context can be had (the reason is in the log and on stderr). While the engine
// lives, exInit returns it again. Deleting the engine closes the window and shuts SDL down. The
// game draws into a 1024 x 768 offscreen frame that the engine shows scaled to fit the window.
// Flags are accepted and ignored. Defined in the marvolin_engine_sdl library, like exSetOptions and
// exSaveFrame.
TEngine* exInit(const std::string& LogFile, int Flags);

// Writes the game's current 1024 x 768 frame (what the render callback has drawn so far, or the
// last frame shown) to a PNG file. False without a running SDL engine or when the file cannot be
// written.
bool exSaveFrame(const std::string& PngFile);

// The engine's log. exLog appends one line (flushed at once, so the log survives a crash); lines
// beginning with "warning:" or "error:" are echoed to stderr, and so is every line while no log
// file is open. exInit opens the log file; exLogOpen starts (truncates) one explicitly.
void exLog(const std::string& Line);
bool exLogOpen(const std::string& FileName);
void exLogClose();
