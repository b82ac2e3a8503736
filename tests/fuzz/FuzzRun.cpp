// The plain runner of a fuzz target, for every build (no libFuzzer needed):
//     fuzz_run_NAME PATH...                          each file once (folders: every file in them)
//     fuzz_run_NAME --sweep [--ext .EXT] PATH...     each file cut short and with bytes changed
// The sweep loads every prefix of each file (of a file above FULL_PREFIX_BYTES: every prefix up
// to that length, then PREFIX_SAMPLES more evenly spaced, and the whole), and the file with each
// of its first CHANGED_BYTES bytes replaced in turn by each of REPLACEMENTS and by each of its
// eight single-bit flips. A crash, a hang (the test's time-out) or a sanitizer report fails it.
#include "FuzzTarget.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

constexpr size_t FULL_PREFIX_BYTES = 8192;
constexpr size_t PREFIX_SAMPLES = 2048;
constexpr size_t CHANGED_BYTES = 64;
// Zero, all ones, and the characters that most often make a text number say something else.
constexpr uint8_t REPLACEMENTS[] = {0x00, 0xFF, '-', '9', ' ', '\n', '.', 'e'};

struct TCounts {
    long Files = 0, Loads = 0;
};

void Load(const std::vector<uint8_t>& Bytes, size_t Size, TCounts& Counts) {
    LLVMFuzzerTestOneInput(Bytes.data(), Size);
    ++Counts.Loads;
}

void Sweep(std::vector<uint8_t> Bytes, TCounts& Counts) {
    const size_t Size = Bytes.size();
    const size_t Step = Size <= FULL_PREFIX_BYTES
                            ? 1
                            : std::max<size_t>(1, (Size - FULL_PREFIX_BYTES) / PREFIX_SAMPLES);
    for (size_t Length = 0; Length < Size; Length += Length < FULL_PREFIX_BYTES ? 1 : Step)
        Load(Bytes, Length, Counts);
    Load(Bytes, Size, Counts);
    for (size_t At = 0; At < std::min(Size, CHANGED_BYTES); ++At) {
        const uint8_t Was = Bytes[At];
        std::vector<uint8_t> Values(std::begin(REPLACEMENTS), std::end(REPLACEMENTS));
        for (int Bit = 0; Bit < 8; ++Bit)
            Values.push_back(uint8_t(Was ^ (1 << Bit)));
        for (const uint8_t V : Values) {
            if (V == Was) continue;
            Bytes[At] = V;
            Load(Bytes, Size, Counts);
        }
        Bytes[At] = Was;
    }
}

std::vector<uint8_t> ReadFile(const fs::path& File) {
    std::ifstream In(File, std::ios::binary);
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

} // namespace

int main(int Argc, char** Argv) {
    bool SweepMode = false;
    std::string Ext;
    std::vector<fs::path> Files;
    for (int I = 1; I < Argc; ++I) {
        const std::string Arg = Argv[I];
        if (Arg == "--sweep") {
            SweepMode = true;
        } else if (Arg == "--ext" && I + 1 < Argc) {
            Ext = Argv[++I];
        } else if (fs::is_directory(Arg)) {
            for (const auto& E : fs::recursive_directory_iterator(Arg))
                if (E.is_regular_file()) Files.push_back(E.path());
        } else if (fs::is_regular_file(Arg)) {
            Files.push_back(Arg);
        } else {
            std::cerr << Argv[0] << ": no such file or folder: " << Arg << "\n";
            return 2;
        }
    }
    std::sort(Files.begin(), Files.end());
    if (!Ext.empty()) std::erase_if(Files, [&](const fs::path& F) { return F.extension() != Ext; });
    if (Files.empty()) {
        std::cerr << Argv[0] << ": no input files\n";
        return 2;
    }
    TCounts Counts;
    for (const fs::path& File : Files) {
        const std::vector<uint8_t> Bytes = ReadFile(File);
        ++Counts.Files;
        if (SweepMode) {
            Sweep(Bytes, Counts);
        } else {
            std::cout << File.string() << "\n" << std::flush; // named before it can crash
            Load(Bytes, Bytes.size(), Counts);
        }
    }
    std::cout << Argv[0] << ": " << Counts.Files << " files, " << Counts.Loads << " inputs, "
              << FuzzAcceptedInputs << " accepted\n";
    return 0;
}
