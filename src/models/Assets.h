#pragma once
// The game's asset tables: which model and texture make each car model and each desk-object kind,
// and which file holds each sound.
// The one list of them: the game loads from it, the content generator writes what it names, the
// track sources name desk objects by its SourceName column, and the tests check against it. File
// names are the game's own (the data folder, backslashes); DataRelativePath turns one into the
// path inside the data folder that the generator writes.

#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

struct TCarAsset {
    const char* Model;
    const char* Texture;
};

struct TDeskObjectAsset {
    const char* Model;      // null: the kind has no model and draws nothing
    const char* Texture;    // null with the model
    const char* SourceName; // what a track source may write instead of the kind's number
};

// Indexed by a car's Model.
inline constexpr TCarAsset CAR_ASSETS[] = {
    {"data\\meshes\\player.mdl", "data\\textures\\cars\\player.jpg"},
    {"data\\meshes\\player.mdl", "data\\textures\\cars\\player2.jpg"},
    {"data\\meshes\\player.mdl", "data\\textures\\cars\\player3.jpg"},
    {"data\\meshes\\jeep.mdl", "data\\textures\\cars\\jeep.jpg"},
    {"data\\meshes\\supra.mdl", "data\\textures\\cars\\supra2.jpg"},
    {"data\\meshes\\supra.mdl", "data\\textures\\cars\\supra.jpg"},
};

// Indexed by a desk object's Kind.
inline constexpr TDeskObjectAsset OBJECT_ASSETS[] = {
    {"data\\meshes\\izmeritel.mdl", "data\\textures\\objects\\izmeritel.jpg", "tape_measure"},
    {"data\\meshes\\cap.mdl", "data\\textures\\objects\\cap.jpg", "pen_cap"},
    {"data\\meshes\\calendar.mdl", "data\\textures\\objects\\calendar.jpg", "calendar"},
    {"data\\meshes\\telephone.mdl", "data\\textures\\objects\\telephone.jpg", "telephone"},
    {"data\\meshes\\stepler.mdl", "data\\textures\\objects\\stepler.jpg", "stapler"},
    {"data\\meshes\\skrepka_st.mdl", "data\\textures\\objects\\skrepka_st.jpg", "clip_box"},
    {"data\\meshes\\skrepka.mdl", "data\\textures\\objects\\skrepka.jpg", "paper_clip"},
    {"data\\meshes\\cigaret.mdl", "data\\textures\\objects\\cigaret.jpg", "cigarette"},
    {"data\\meshes\\pen.mdl", "data\\textures\\objects\\pen.jpg", "pen"},
    {"data\\meshes\\podstavka.mdl", "data\\textures\\objects\\podstavka.jpg", "pen_holder"},
    {"data\\meshes\\cigaret_box.mdl", "data\\textures\\objects\\cigaret_box.jpg", "cigarette_pack"},
    {"data\\meshes\\papka.mdl", "data\\textures\\objects\\papka.jpg", "folder"},
    {"data\\meshes\\nojnici.mdl", "data\\textures\\objects\\nojnici.jpg", "scissors"},
    {"data\\meshes\\monitor.mdl", "data\\textures\\objects\\monitor.jpg", "monitor"},
    {"data\\meshes\\rooler.mdl", "data\\textures\\objects\\rooler.jpg", "ruler"},
    {"data\\meshes\\eracer.mdl", "data\\textures\\objects\\eracer.jpg", "eraser"},
    {"data\\meshes\\book.mdl", "data\\textures\\objects\\book.jpg", "book"},
    {"data\\meshes\\disc.mdl", "data\\textures\\objects\\disc.jpg", "disc"},
    {"data\\meshes\\paper.mdl", "data\\textures\\objects\\paper.jpg", "paper"},
    // The crumpled sheet wears the flat sheet's picture.
    {"data\\meshes\\paper_m.mdl", "data\\textures\\objects\\paper.jpg", "crumpled_paper"},
    {"data\\meshes\\cube.mdl", "data\\textures\\objects\\cube.jpg", "cube"},
    {nullptr, nullptr, "nothing"},
    {"data\\meshes\\flag.mdl", "data\\textures\\objects\\flag.jpg", "flag"},
};

constexpr int CAR_MODEL_COUNT = int(std::size(CAR_ASSETS));
constexpr int OBJECT_KIND_COUNT = int(std::size(OBJECT_ASSETS));

constexpr int32_t EMPTY_OBJECT_KIND = 21;
constexpr int32_t START_FLAG_KIND = 22; // the track builder puts two at the start line
static_assert(OBJECT_ASSETS[EMPTY_OBJECT_KIND].Model == nullptr, "the empty kind has no model");
static_assert(std::string_view(OBJECT_ASSETS[START_FLAG_KIND].SourceName) == "flag");

// The sounds, indexed by what the game plays them for (the SOUND_ constants below).
inline constexpr const char* SOUND_ASSETS[] = {
    "data\\sounds\\engine.wav",  // a toy car's motor, looping; each car plays it at its own pitch
    "data\\sounds\\tyres.wav",   // tyres sliding, looping
    "data\\sounds\\bump.wav",    // a mass pushed by a road edge or by another car
    "data\\sounds\\beep.wav",    // a step of the countdown
    "data\\sounds\\start.wav",   // the race starts
    "data\\sounds\\lap.wav",     // the player begins a new lap
    "data\\sounds\\finish.wav",  // the result page
    "data\\sounds\\click.wav",   // a menu button
    "data\\sounds\\console.wav", // the console slides open or shut
};
constexpr int SOUND_COUNT = int(std::size(SOUND_ASSETS));
constexpr int SOUND_ENGINE = 0, SOUND_TYRES = 1, SOUND_BUMP = 2, SOUND_BEEP = 3, SOUND_START = 4,
              SOUND_LAP = 5, SOUND_FINISH = 6, SOUND_CLICK = 7, SOUND_CONSOLE = 8;
static_assert(SOUND_CONSOLE == SOUND_COUNT - 1, "every sound has its index");

// "data\meshes\cap.mdl" -> "meshes/cap.mdl": where the file lies inside the data folder.
inline std::string DataRelativePath(std::string_view GameFile) {
    constexpr std::string_view Folder = "data\\";
    if (GameFile.substr(0, Folder.size()) == Folder) GameFile.remove_prefix(Folder.size());
    std::string Path(GameFile);
    for (char& C : Path)
        if (C == '\\') C = '/';
    return Path;
}
