#pragma once
// A sound as a picture for the contact sheet: its waveform over its spectrogram, both across the
// sound's whole length.

#include "Image.h"

#include <vector>

// Samples at SOUND_SAMPLE_RATE. The top quarter is the waveform (the highest and lowest sample of
// each column about the middle line); below it the spectrogram, from 0 Hz at the bottom to
// SPECTROGRAM_TOP_HZ at the top, brighter for louder (80 dB from black to white).
TImage SoundPicture(const std::vector<float>& Samples, int Width, int Height);

constexpr double SPECTROGRAM_TOP_HZ = 6000;
