#include "engine/WavFile.h"

#include "engine/Files.h"

#include <algorithm>
#include <cmath>

std::vector<uint8_t> EncodeWav(const std::vector<float>& Samples, int Channels, int SampleRate) {
    constexpr uint32_t BITS = 16, FORMAT_PCM = 1, FORMAT_CHUNK_BYTES = 16;
    constexpr double FULL_SCALE = 32767;
    const uint32_t FrameBytes = uint32_t(Channels) * BITS / 8;
    const uint32_t DataBytes = uint32_t(Samples.size()) * (BITS / 8);
    std::vector<uint8_t> Out;
    const auto Tag = [&Out](const char* Four) {
        for (int I = 0; I < 4; ++I)
            Out.push_back(uint8_t(Four[I]));
    };
    const auto Half = [&Out](uint32_t V) {
        Out.push_back(uint8_t(V));
        Out.push_back(uint8_t(V >> 8));
    };
    Tag("RIFF");
    AppendWordLE(Out, 4 + (8 + FORMAT_CHUNK_BYTES) + (8 + DataBytes));
    Tag("WAVE");
    Tag("fmt ");
    AppendWordLE(Out, FORMAT_CHUNK_BYTES);
    Half(FORMAT_PCM);
    Half(uint32_t(Channels));
    AppendWordLE(Out, uint32_t(SampleRate));
    AppendWordLE(Out, uint32_t(SampleRate) * FrameBytes);
    Half(FrameBytes);
    Half(BITS);
    Tag("data");
    AppendWordLE(Out, DataBytes);
    for (const float S : Samples)
        Half(uint16_t(int16_t(std::lround(std::clamp(double(S), -1.0, 1.0) * FULL_SCALE))));
    return Out;
}
