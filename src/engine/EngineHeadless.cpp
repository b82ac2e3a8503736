#include "engine/EngineHeadless.h"

#include "engine/Files.h"
#include "engine/GL.h"

#include <algorithm>

THeadlessEngine::THeadlessEngine() {
    GLLoadStubs();
    FontService.Owner = this;
    RenderService.Owner = this;
    TextureService.Owner = this;
    ShaderService.Owner = this;
    SoundService.Owner = this;
    FontLog.push_back("default"); // font 0 always exists
}

void THeadlessEngine::SetCallback(int Kind, TProc Proc) {
    if (Kind == CALLBACK_UPDATE) UpdateProc = Proc;
    if (Kind == CALLBACK_RENDER) RenderProc = Proc;
}

void THeadlessEngine::Run(int UpdatesPerSecond) {
    // A rate of none would divide by zero.
    if (UpdatesPerSecond <= 0) UpdatesPerSecond = UPDATES_PER_SECOND;
    const int StepMs = std::max(1, 1000 / UpdatesPerSecond);
    for (int I = 0; I < MaxRunUpdates && !QuitRequested; ++I) {
        AdvanceTime(StepMs);
        StepUpdate();
        if (QuitRequested) break;
        StepFrame();
    }
}

void THeadlessEngine::SetKeyDown(int Key, bool Down) {
    if (Down)
        InputService.Held.insert(Key);
    else
        InputService.Held.erase(Key);
}

void THeadlessEngine::QueuePress(int Key, int Char) {
    InputService.Presses.emplace_back(Key, Char);
}

void THeadlessEngine::SetCursor(int X, int Y) {
    InputService.MouseX = X;
    InputService.MouseY = Y;
}

void THeadlessEngine::StepUpdate() {
    TInputService& In = InputService;
    In.CurrentKey = VK_NONE;
    In.CurrentChar = 0;
    if (!In.Presses.empty()) {
        In.CurrentKey = In.Presses.front().first;
        In.CurrentChar = In.Presses.front().second;
        In.Presses.pop_front();
    }
    In.CurrentWheel = In.PendingWheel;
    In.PendingWheel = 0;
    if (UpdateProc) UpdateProc();
}

void THeadlessEngine::StepFrame() {
    RenderService.FrameTimes.push_back(Clock);
    if (RenderProc) RenderProc();
}

int THeadlessEngine::TFontService::Create(const std::string& Family, int, int, int) {
    Owner->FontLog.push_back(Family);
    return int(Owner->FontLog.size()) - 1;
}

void THeadlessEngine::TRenderService::Clear(bool Colour, bool Depth, bool Stencil) {
    GLRecordCall({"Render.Clear", {double(Colour), double(Depth), double(Stencil)}, {}});
}

void THeadlessEngine::TRenderService::Set3D(float FieldOfViewDeg, float Near, float Far) {
    GLRecordCall({"Render.Set3D", {FieldOfViewDeg, Near, Far}, {}});
}

void THeadlessEngine::TRenderService::Set2D(float X, float Y, float Width, float Height) {
    GLRecordCall({"Render.Set2D", {X, Y, Width, Height}, {}});
}

void THeadlessEngine::TRenderService::TextOut(int Font, const std::string& Text, float X, float Y) {
    GLRecordCall({"Render.TextOut", {double(Font), X, Y}, Text});
}

int THeadlessEngine::TRenderService::TextWidth(int, const std::string& Text) {
    return int(Text.size()) * CHAR_WIDTH_PX;
}

int THeadlessEngine::TRenderService::FPS() {
    while (!FrameTimes.empty() && ElapsedMs(FrameTimes.front(), Owner->Clock) >= 1000)
        FrameTimes.pop_front();
    return int(FrameTimes.size());
}

int THeadlessEngine::TTextureService::Load(const std::string& FileName, int, int, int) {
    TTextureRecord Record;
    Record.Name = FileName;
    Owner->TextureLog.push_back(Record);
    return int(Owner->TextureLog.size());
}

int THeadlessEngine::TTextureService::Create(const std::string& Name, int Components, int,
                                             int Width, int Height, const void* Pixels, int, int,
                                             int) {
    TTextureRecord Record;
    Record.Name = Name;
    Record.Width = Width;
    Record.Height = Height;
    Record.Components = Components;
    const auto* Bytes = static_cast<const unsigned char*>(Pixels);
    if (Bytes && Width > 0 && Height > 0 && Components > 0)
        Record.Pixels.assign(Bytes, Bytes + size_t(Width) * size_t(Height) * size_t(Components));
    Owner->TextureLog.push_back(std::move(Record));
    return int(Owner->TextureLog.size());
}

void THeadlessEngine::TTextureService::Free(int Handle) {
    if (Handle >= 1 && Handle <= int(Owner->TextureLog.size()))
        Owner->TextureLog[size_t(Handle) - 1].Freed = true;
    GLRecordCall({"Textures.Free", {double(Handle)}, {}});
}

void THeadlessEngine::TTextureService::Enable(int Handle, int Unit) {
    GLRecordCall({"Textures.Enable", {double(Handle), double(Unit)}, {}});
}

void THeadlessEngine::TTextureService::Disable(int Unit) {
    GLRecordCall({"Textures.Disable", {double(Unit)}, {}});
}

bool THeadlessEngine::TShaderService::Load(const std::string& FileName, const std::string&) {
    Owner->ShaderLog.push_back(FileName);
    if (!FileExists(FileName)) return false;
    Current = Next++;
    return true;
}

void THeadlessEngine::TShaderService::Disable() {
    GLRecordCall({"Shaders.Disable", {}, {}});
}

int THeadlessEngine::TSoundService::Load(const std::string& FileName) {
    std::vector<std::string>& Log = Owner->SoundLog;
    const auto Found = std::find(Log.begin(), Log.end(), FileName);
    if (Found != Log.end()) return int(Found - Log.begin()) + 1;
    Log.push_back(FileName);
    return int(Log.size());
}

int THeadlessEngine::TSoundService::Play(int Sound, const TVoiceSettings& Settings, bool Loop) {
    if (Sound < 1 || Sound > int(Owner->SoundLog.size())) return 0;
    TVoiceRecord Record;
    Record.Time = Owner->Clock;
    Record.Name = Owner->SoundLog[size_t(Sound) - 1];
    Record.Loop = Loop;
    Record.Started = Record.Settings = Settings;
    Owner->VoiceLog.push_back(std::move(Record));
    return int(Owner->VoiceLog.size());
}

THeadlessEngine::TVoiceRecord* THeadlessEngine::TSoundService::Live(int Voice) {
    if (Voice < 1 || Voice > int(Owner->VoiceLog.size())) return nullptr;
    TVoiceRecord& Record = Owner->VoiceLog[size_t(Voice) - 1];
    return Record.Loop && !Record.Stopped ? &Record : nullptr;
}

void THeadlessEngine::TSoundService::Set(int Voice, const TVoiceSettings& Settings) {
    if (TVoiceRecord* Record = Live(Voice)) Record->Settings = Settings;
}

void THeadlessEngine::TSoundService::Pause(int Voice, bool Paused) {
    if (TVoiceRecord* Record = Live(Voice)) Record->Paused = Paused;
}

void THeadlessEngine::TSoundService::Stop(int Voice) {
    if (TVoiceRecord* Record = Live(Voice)) Record->Stopped = true;
}

bool THeadlessEngine::TSoundService::Playing(int Voice) {
    return Live(Voice) != nullptr;
}

void THeadlessEngine::TSoundService::SetVolume(int Percent) {
    VolumePercent = std::clamp(Percent, 0, MAX_VOLUME_PERCENT);
}
