#pragma once
// The sound service over OpenAL Soft: WAV files read by SDL's loader into OpenAL buffers, a fixed
// pool of sources as the voices, the master switch and volume as the listener's gain. It opens
// either the system's default output or a loopback device that mixes into memory when asked (how
// the tests listen).

#include "engine/Engine.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <map>
#include <string>
#include <vector>

class TOpenAlSounds final : public TSounds {
public:
    TOpenAlSounds() = default;
    ~TOpenAlSounds() override;
    TOpenAlSounds(const TOpenAlSounds&) = delete;
    TOpenAlSounds& operator=(const TOpenAlSounds&) = delete;

    // The system's default audio output. False when none opens, said once in the log: the service
    // then stays silent (see TSounds).
    bool OpenOutput();
    // A device that mixes only when Mix asks, at SampleRate frames per second into two float
    // channels. False (logged) when OpenAL offers none.
    bool OpenLoopback(int SampleRate);
    bool IsOpen() const { return Context != nullptr; }
    // The next Frames frames of a loopback device's mix, left and right interleaved, each sample
    // 1.0 at full scale (a loud mix may go beyond). Silence for any other device.
    void Mix(float* Stereo, int Frames);

    // TSounds
    int Load(const std::string& FileName) override;
    int Play(int Sound, const TVoiceSettings& Settings, bool Loop) override;
    void Set(int Voice, const TVoiceSettings& Settings) override;
    void Pause(int Voice, bool Paused) override;
    void Stop(int Voice) override;
    bool Playing(int Voice) override;
    void SetEnabled(bool On) override;
    bool Enabled() override { return SoundOn; }
    void SetVolume(int Percent) override;
    int Volume() override { return VolumePercent; }

    // Voices that can sound at once: six engines and six tyres with room for the short sounds.
    static constexpr int VOICE_COUNT = 32;
    // A pitch is held within these, so that a voice is neither stopped nor sped past recognition.
    static constexpr float MIN_PITCH = 1.0f / 16;
    static constexpr float MAX_PITCH = 8;

private:
    struct TVoice {
        ALuint Source = 0;
        int Handle = 0; // of the voice sounding through the source, 0 when it is free
    };
    bool StartContext(ALCdevice* Opened, const ALCint* Attributes);
    void Close();
    // Our context is made current for the calls that follow; false without one.
    bool MakeCurrent();
    // The source of a voice that is playing or paused; null (and the source freed) otherwise.
    TVoice* Find(int Voice);
    void ApplyMasterGain();

    ALCdevice* Device = nullptr;
    ALCcontext* Context = nullptr;
    LPALCRENDERSAMPLESSOFT RenderSamples = nullptr; // set for a loopback device only
    std::map<std::string, int> Handles;             // resolved file path -> sound handle
    std::vector<ALuint> Buffers;                    // by sound handle - 1; 0 without a device
    std::vector<TVoice> Voices;
    int NextVoice = 1;
    bool SoundOn = true;
    int VolumePercent = DEFAULT_VOLUME_PERCENT;
};
