#pragma once
// What every fuzz target shares. A target's LLVMFuzzerTestOneInput runs one input through a
// loader the way the game runs a file: a refusal (the loader's own exception) is a correct answer,
// anything else that escapes, any sanitizer report and any broken promise checked here is a fault.
// The same body runs under libFuzzer (MARVOLIN_FUZZ) and in the plain runner (FuzzRun.cpp) that
// replays the committed regression inputs and the truncation and byte-change sweep in every build.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size);

// Inputs a target's loader accepted, for the runner's summary.
inline long FuzzAcceptedInputs = 0;

// A promise of the loader that the input broke: reported and aborted, so libFuzzer keeps the input.
inline void FuzzExpect(bool Holds, const char* Promise) {
    if (Holds) return;
    std::fprintf(stderr, "fuzz: broken promise: %s\n", Promise);
    std::abort();
}

inline std::vector<uint8_t> FuzzBytes(const uint8_t* Data, size_t Size) {
    return Size ? std::vector<uint8_t>(Data, Data + Size) : std::vector<uint8_t>();
}
inline std::string FuzzText(const uint8_t* Data, size_t Size) {
    return Size ? std::string(reinterpret_cast<const char*>(Data), Size) : std::string();
}
