#include "engine/sdl/OpenAlSounds.h"

#include "engine/Files.h"

#include <SDL.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace {

// A voice's place between the speakers is a direction in front of the listener: the listener's
// own frame, no distance (the game makes a far car quiet itself).
constexpr ALfloat NO_ROLLOFF = 0;

// Samples as OpenAL takes them.
struct TPcm {
    std::vector<uint8_t> Bytes;
    ALenum Format = AL_NONE;
    int Rate = 0;
};

ALenum AlFormatOf(SDL_AudioFormat Format, int Channels) {
    if (Format == AUDIO_U8) return Channels == 1 ? AL_FORMAT_MONO8 : AL_FORMAT_STEREO8;
    if (Format == AUDIO_S16SYS) return Channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
    return AL_NONE;
}

// The samples of a WAV file: 8- and 16-bit mono and stereo as they are, any other PCM converted
// to 16 bits (more than two channels mixed down to two). False with the reason in Fault.
bool ReadWav(const std::string& Path, TPcm& Pcm, std::string& Fault) {
    SDL_AudioSpec WavFormat{};
    Uint8* Data = nullptr;
    Uint32 Length = 0;
    if (!SDL_LoadWAV(Path.c_str(), &WavFormat, &Data, &Length)) {
        Fault = SDL_GetError();
        return false;
    }
    Pcm.Rate = WavFormat.freq;
    const int Channels = WavFormat.channels == 1 ? 1 : 2;
    Pcm.Format = AlFormatOf(WavFormat.format, Channels);
    if (Pcm.Format != AL_NONE && Channels == WavFormat.channels) {
        Pcm.Bytes.assign(Data, Data + Length);
    } else {
        SDL_AudioCVT Convert{};
        if (SDL_BuildAudioCVT(&Convert, WavFormat.format, WavFormat.channels, WavFormat.freq,
                              AUDIO_S16SYS, Uint8(Channels), WavFormat.freq) < 0) {
            Fault = SDL_GetError();
            SDL_FreeWAV(Data);
            return false;
        }
        Pcm.Bytes.assign(size_t(Length) * size_t(std::max(1, Convert.len_mult)), 0);
        std::copy(Data, Data + Length, Pcm.Bytes.begin());
        Convert.buf = Pcm.Bytes.data();
        Convert.len = int(Length);
        if (Convert.needed && SDL_ConvertAudio(&Convert) < 0) {
            Fault = SDL_GetError();
            SDL_FreeWAV(Data);
            return false;
        }
        Pcm.Bytes.resize(Convert.needed ? size_t(Convert.len_cvt) : size_t(Length));
        Pcm.Format = AlFormatOf(AUDIO_S16SYS, Channels);
    }
    SDL_FreeWAV(Data);
    if (Pcm.Bytes.empty()) {
        Fault = "no samples";
        return false;
    }
    return true;
}

void ApplySettings(ALuint Source, const TVoiceSettings& Settings) {
    const float Pan = std::clamp(Settings.Pan, -1.0f, 1.0f);
    alSourcef(Source, AL_GAIN, std::clamp(Settings.Gain, 0.0f, 1.0f));
    alSourcef(Source, AL_PITCH,
              std::clamp(Settings.Pitch, TOpenAlSounds::MIN_PITCH, TOpenAlSounds::MAX_PITCH));
    // On the circle in front of the listener: -1 is straight left, 1 straight right.
    alSource3f(Source, AL_POSITION, Pan, 0, -std::sqrt(1 - Pan * Pan));
}

std::string DeviceName(ALCdevice* Device) {
    const ALCenum Name = alcIsExtensionPresent(Device, "ALC_ENUMERATE_ALL_EXT")
                             ? ALC_ALL_DEVICES_SPECIFIER
                             : ALC_DEVICE_SPECIFIER;
    const ALCchar* Text = alcGetString(Device, Name);
    return Text ? Text : "(unnamed)";
}

} // namespace

TOpenAlSounds::~TOpenAlSounds() {
    Close();
}

bool TOpenAlSounds::OpenOutput() {
    Close();
    ALCdevice* Opened = alcOpenDevice(nullptr);
    if (!Opened) {
        exLog("sound: no audio device opens; the game plays silently");
        return false;
    }
    if (!StartContext(Opened, nullptr)) {
        exLog("sound: the audio device \"" + DeviceName(Opened) +
              "\" takes no OpenAL context; the game plays silently");
        alcCloseDevice(Opened);
        return false;
    }
    const ALchar* Version = alGetString(AL_VERSION);
    exLog("sound: OpenAL " + std::string(Version ? Version : "(unknown)") + " on \"" +
          DeviceName(Device) + "\"");
    return true;
}

bool TOpenAlSounds::OpenLoopback(int SampleRate) {
    Close();
    if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) {
        exLog("warning: sound: this OpenAL has no loopback device");
        return false;
    }
    const auto OpenLoopbackDevice = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
        alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    const auto FormatSupported = reinterpret_cast<LPALCISRENDERFORMATSUPPORTEDSOFT>(
        alcGetProcAddress(nullptr, "alcIsRenderFormatSupportedSOFT"));
    const auto Render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(
        alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    ALCdevice* Opened = OpenLoopbackDevice ? OpenLoopbackDevice(nullptr) : nullptr;
    if (!Opened || !FormatSupported || !Render ||
        !FormatSupported(Opened, SampleRate, ALC_STEREO_SOFT, ALC_FLOAT_SOFT)) {
        exLog("warning: sound: no loopback device mixing float stereo at " +
              std::to_string(SampleRate) + " Hz");
        if (Opened) alcCloseDevice(Opened);
        return false;
    }
    // Plain stereo panning, never a head-related filter: the mix must not depend on a setting.
    std::vector<ALCint> Attributes = {
        ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT,
        ALC_FLOAT_SOFT,           ALC_FREQUENCY,   SampleRate};
    if (alcIsExtensionPresent(Opened, "ALC_SOFT_HRTF"))
        Attributes.insert(Attributes.end(), {ALC_HRTF_SOFT, ALC_FALSE});
    Attributes.push_back(0);
    if (!StartContext(Opened, Attributes.data())) {
        exLog("warning: sound: the loopback device takes no context");
        alcCloseDevice(Opened);
        return false;
    }
    RenderSamples = Render;
    return true;
}

bool TOpenAlSounds::StartContext(ALCdevice* Opened, const ALCint* Attributes) {
    ALCcontext* Made = alcCreateContext(Opened, Attributes);
    if (!Made) return false;
    Device = Opened;
    Context = Made;
    MakeCurrent();
    Voices.resize(VOICE_COUNT);
    for (TVoice& V : Voices) {
        alGenSources(1, &V.Source);
        alSourcei(V.Source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSourcef(V.Source, AL_ROLLOFF_FACTOR, NO_ROLLOFF);
    }
    ApplyMasterGain();
    return true;
}

void TOpenAlSounds::Close() {
    if (MakeCurrent()) {
        for (TVoice& V : Voices) {
            alSourceStop(V.Source);
            alSourcei(V.Source, AL_BUFFER, 0);
            alDeleteSources(1, &V.Source);
        }
        for (ALuint Buffer : Buffers)
            if (Buffer) alDeleteBuffers(1, &Buffer);
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(Context);
    }
    if (Device) alcCloseDevice(Device);
    Device = nullptr;
    Context = nullptr;
    RenderSamples = nullptr;
    Voices.clear();
    Buffers.clear();
    Handles.clear();
}

bool TOpenAlSounds::MakeCurrent() {
    if (!Context) return false;
    if (alcGetCurrentContext() != Context) alcMakeContextCurrent(Context);
    return true;
}

void TOpenAlSounds::Mix(float* Stereo, int Frames) {
    if (Frames <= 0) return;
    if (RenderSamples && MakeCurrent()) {
        RenderSamples(Device, Stereo, Frames);
        return;
    }
    std::fill(Stereo, Stereo + 2 * size_t(Frames), 0.0f);
}

int TOpenAlSounds::Load(const std::string& FileName) {
    const std::string Path = ResolvePath(FileName);
    if (const auto Known = Handles.find(Path); Known != Handles.end()) return Known->second;
    TPcm Pcm;
    std::string Fault;
    if (!ReadWav(Path, Pcm, Fault)) {
        exLog("warning: sound \"" + FileName + "\": " + Fault);
        return 0;
    }
    ALuint Buffer = 0;
    if (MakeCurrent()) {
        alGetError();
        alGenBuffers(1, &Buffer);
        alBufferData(Buffer, Pcm.Format, Pcm.Bytes.data(), ALsizei(Pcm.Bytes.size()), Pcm.Rate);
        if (alGetError() != AL_NO_ERROR) {
            alDeleteBuffers(1, &Buffer);
            exLog("warning: sound \"" + FileName + "\": OpenAL refuses its samples");
            return 0;
        }
    }
    Buffers.push_back(Buffer);
    const int Handle = int(Buffers.size());
    Handles[Path] = Handle;
    return Handle;
}

int TOpenAlSounds::Play(int Sound, const TVoiceSettings& Settings, bool Loop) {
    if (Sound < 1 || Sound > int(Buffers.size()) || !Buffers[size_t(Sound) - 1] || !MakeCurrent())
        return 0;
    for (TVoice& V : Voices) {
        if (V.Handle && Find(V.Handle)) continue; // busy
        V.Handle = NextVoice;
        NextVoice = NextVoice == INT_MAX ? 1 : NextVoice + 1;
        alSourceStop(V.Source);
        alSourcei(V.Source, AL_BUFFER, ALint(Buffers[size_t(Sound) - 1]));
        alSourcei(V.Source, AL_LOOPING, Loop ? AL_TRUE : AL_FALSE);
        ApplySettings(V.Source, Settings);
        alSourcePlay(V.Source);
        return V.Handle;
    }
    return 0;
}

TOpenAlSounds::TVoice* TOpenAlSounds::Find(int Voice) {
    if (Voice == 0 || !MakeCurrent()) return nullptr;
    for (TVoice& V : Voices) {
        if (V.Handle != Voice) continue;
        ALint State = AL_STOPPED;
        alGetSourcei(V.Source, AL_SOURCE_STATE, &State);
        if (State == AL_PLAYING || State == AL_PAUSED) return &V;
        V.Handle = 0; // it has ended
        return nullptr;
    }
    return nullptr;
}

void TOpenAlSounds::Set(int Voice, const TVoiceSettings& Settings) {
    if (TVoice* V = Find(Voice)) ApplySettings(V->Source, Settings);
}

void TOpenAlSounds::Pause(int Voice, bool Paused) {
    if (TVoice* V = Find(Voice)) Paused ? alSourcePause(V->Source) : alSourcePlay(V->Source);
}

void TOpenAlSounds::Stop(int Voice) {
    if (TVoice* V = Find(Voice)) {
        alSourceStop(V->Source);
        V->Handle = 0;
    }
}

bool TOpenAlSounds::Playing(int Voice) {
    return Find(Voice) != nullptr;
}

void TOpenAlSounds::SetEnabled(bool On) {
    SoundOn = On;
    ApplyMasterGain();
}

void TOpenAlSounds::SetVolume(int Percent) {
    VolumePercent = std::clamp(Percent, 0, MAX_VOLUME_PERCENT);
    ApplyMasterGain();
}

void TOpenAlSounds::ApplyMasterGain() {
    if (MakeCurrent())
        alListenerf(AL_GAIN, SoundOn ? float(VolumePercent) / MAX_VOLUME_PERCENT : 0.0f);
}
