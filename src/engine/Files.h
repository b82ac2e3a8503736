#pragma once
// Game file names as the game writes them ("DATA\Textures\console.jpg", "Data/Maps/map1.map")
// resolved on a case-sensitive file system: either separator, and each component matched without
// regard to ASCII letter case when no exact match exists.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// A file that cannot be read or whose contents are refused. The message, for the log, names the
// file and the fault: "data/maps/map1.map: file ends inside the road points". Where the player
// is told (the console), Russian() is the fault alone in Russian, already in Windows-1251 (the
// thrower converts its UTF-8 literal once); empty where the thrower gave none.
class TFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    TFileError(const std::string& Message, std::string Russian1251)
        : std::runtime_error(Message), RussianText(std::move(Russian1251)) {}
    const std::string& Russian() const { return RussianText; }

private:
    std::string RussianText;
};

// The path of an existing file or folder that the name designates, or the name with '/' separators
// when none exists.
std::string ResolvePath(const std::string& Name);
// Where the game's own names ("data\maps\map1.map": relative, first part "data" in any case)
// resolve: inside Folder instead of the working folder's data/. Empty, as at start, restores the
// working folder's. Set once at start-up, before anything is loaded; every other name is left
// alone.
void SetDataFolder(const std::string& Folder);
bool FileExists(const std::string& Name);
// The whole file; throws TFileError when it cannot be opened or read.
std::vector<uint8_t> ReadWholeFile(const std::string& Name);

// The game's binary files (.mdl, .map) store every number as a 32-bit little-endian word.
// Reading: the caller has checked that four bytes are there.
inline uint32_t ReadWordLE(const uint8_t* Bytes) {
    return uint32_t(Bytes[0]) | uint32_t(Bytes[1]) << 8 | uint32_t(Bytes[2]) << 16 |
           uint32_t(Bytes[3]) << 24;
}
inline void AppendWordLE(std::vector<uint8_t>& Out, uint32_t Word) {
    for (int Shift = 0; Shift < 32; Shift += 8)
        Out.push_back(uint8_t(Word >> Shift));
}
