// The plain runner of a fuzz target, for every build (no libFuzzer needed):
//     fuzz_run_NAME PATH...                  each file once (folders: every file in them)
//     fuzz_run_NAME --sweep [OPTION...] PATH...
// The sweep loads every prefix of each file (of a file above the full-prefix length: every prefix
// up to it, then the prefix-samples count more evenly spaced, and the whole), and the file with
// each of its first CHANGED_BYTES bytes replaced in turn by each of REPLACEMENTS and by each of
// its eight single-bit flips. A crash, a hang (the test's time-out) or a sanitizer report fails it.
//     --ext .EXT            only the files of that extension
//     --full-prefix BYTES   default FULL_PREFIX_BYTES
//     --prefix-samples N    default PREFIX_SAMPLES
//     --after-comments      the changed bytes start after the opening lines that begin with '#'
//                           (a text format's header comment, where a change says nothing new)
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

struct TSweepOptions {
    size_t FullPrefixBytes = FULL_PREFIX_BYTES;
    size_t PrefixSamples = PREFIX_SAMPLES;
    bool AfterComments = false;
};

// Where the opening lines that begin with '#' end.
size_t AfterCommentLines(const std::vector<uint8_t>& Bytes) {
    size_t At = 0;
    while (At < Bytes.size() && Bytes[At] == '#') {
        while (At < Bytes.size() && Bytes[At] != '\n')
            ++At;
        if (At < Bytes.size()) ++At;
    }
    return At;
}

void Load(const std::vector<uint8_t>& Bytes, size_t Size, TCounts& Counts) {
    LLVMFuzzerTestOneInput(Bytes.data(), Size);
    ++Counts.Loads;
}

void Sweep(std::vector<uint8_t> Bytes, const TSweepOptions& O, TCounts& Counts) {
    const size_t Size = Bytes.size();
    const size_t Full = O.FullPrefixBytes;
    const size_t Step =
        Size <= Full ? 1
                     : std::max<size_t>(1, (Size - Full) / std::max<size_t>(1, O.PrefixSamples));
    for (size_t Length = 0; Length < Size; Length += Length < Full ? 1 : Step)
        Load(Bytes, Length, Counts);
    Load(Bytes, Size, Counts);
    const size_t First = O.AfterComments ? AfterCommentLines(Bytes) : 0;
    for (size_t At = First; At < std::min(Size, First + CHANGED_BYTES); ++At) {
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
    TSweepOptions Options;
    std::string Ext;
    std::vector<fs::path> Files;
    for (int I = 1; I < Argc; ++I) {
        const std::string Arg = Argv[I];
        if (Arg == "--sweep") {
            SweepMode = true;
        } else if (Arg == "--ext" && I + 1 < Argc) {
            Ext = Argv[++I];
        } else if (Arg == "--full-prefix" && I + 1 < Argc) {
            Options.FullPrefixBytes = std::stoul(Argv[++I]);
        } else if (Arg == "--prefix-samples" && I + 1 < Argc) {
            Options.PrefixSamples = std::stoul(Argv[++I]);
        } else if (Arg == "--after-comments") {
            Options.AfterComments = true;
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
            Sweep(Bytes, Options, Counts);
        } else {
            std::cout << File.string() << "\n" << std::flush; // named before it can crash
            Load(Bytes, Bytes.size(), Counts);
        }
    }
    std::cout << Argv[0] << ": " << Counts.Files << " files, " << Counts.Loads << " inputs, "
              << FuzzAcceptedInputs << " accepted\n";
    return 0;
}
