#pragma once
// The WAV files the game's tools write: 16-bit PCM, any channel count and rate (what SDL's loader
// and every sound program read).

#include <cstdint>
#include <vector>

// Samples interleaved by channel, 1.0 at full scale; anything beyond [-1, 1] is clipped.
std::vector<uint8_t> EncodeWav(const std::vector<float>& Samples, int Channels, int SampleRate);
