#pragma once
// Pieces the tests of several modules share: scratch folders on disk and reading a file back.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// The whole file, byte for byte; empty when it cannot be read.
inline std::string Slurp(const std::filesystem::path& File) {
    std::ifstream In(File, std::ios::binary);
    std::ostringstream Text;
    Text << In.rdbuf();
    return Text.str();
}

// A folder of its own under the system's temporary folder, named after Stem, removed with
// everything in it when the object goes. Throws when the folder cannot be made (inside a test
// fixture GoogleTest reports that as the test's failure).
class TScratchFolder {
public:
    explicit TScratchFolder(const std::string& Stem) : Path(Make(Stem)) {}
    ~TScratchFolder() {
        std::error_code Ignored;
        std::filesystem::remove_all(Path, Ignored);
    }
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;

    // Writes the bytes to Name in the folder; the file's full name.
    std::string Write(const std::string& Name, std::string_view Bytes) const {
        const std::string File = (Path / Name).string();
        std::ofstream(File, std::ios::binary).write(Bytes.data(), std::streamsize(Bytes.size()));
        return File;
    }
    std::string Write(const std::string& Name, const std::vector<uint8_t>& Bytes) const {
        return Write(Name,
                     std::string_view(reinterpret_cast<const char*>(Bytes.data()), Bytes.size()));
    }

    const std::filesystem::path Path;

private:
    static std::filesystem::path Make(const std::string& Stem) {
        std::string Pattern =
            (std::filesystem::temp_directory_path() / (Stem + "-XXXXXX")).string();
        if (!mkdtemp(Pattern.data()))
            throw std::runtime_error("cannot make a scratch folder for " + Stem);
        return Pattern;
    }
};

// A scratch folder that is the working directory for as long as the object lives; the working
// directory from before comes back before the folder goes.
class TScratchWorkingDirectory {
public:
    explicit TScratchWorkingDirectory(const std::string& Stem)
        : Folder(Stem), Previous(std::filesystem::current_path()) {
        std::filesystem::current_path(Folder.Path);
    }
    ~TScratchWorkingDirectory() {
        std::error_code Ignored;
        std::filesystem::current_path(Previous, Ignored);
    }
    TScratchWorkingDirectory(const TScratchWorkingDirectory&) = delete;
    TScratchWorkingDirectory& operator=(const TScratchWorkingDirectory&) = delete;

    const TScratchFolder Folder;
    const std::filesystem::path Previous;
};
