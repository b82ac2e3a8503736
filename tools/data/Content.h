#pragma once
// Everything the content generator makes, held in memory until the writer puts it on disk: models,
// pictures, text files, track maps and sounds under their paths relative to the data folder.

#include "Geometry.h"
#include "Image.h"
#include "models/Assets.h"
#include "world/dMap.h"

#include <string>
#include <vector>

enum class TPictureFormat { Jpeg, Tga };

struct TModelFile {
    std::string Path; // "meshes/player.mdl"
    TModel Model;
};

struct TPictureFile {
    std::string Path; // "textures/road.jpg"
    TImage Image;
    TPictureFormat Format = TPictureFormat::Jpeg;
};

struct TTextFile {
    std::string Path;
    std::string Text;
};

// Every sound file holds mono samples at this rate.
constexpr int SOUND_SAMPLE_RATE = 44100;

struct TSoundFile {
    std::string Path;           // "sounds/engine.wav"
    std::vector<float> Samples; // in [-1, 1]
};

struct TMapFile {
    std::string Path; // "maps/map1.map"
    TMapData Map;
};

struct TContent {
    std::vector<TModelFile> Models;
    std::vector<TPictureFile> Pictures;
    std::vector<TTextFile> Texts;
    std::vector<TMapFile> Maps;
    std::vector<TSoundFile> Sounds;

    const TModel* FindModel(const std::string& Path) const;
};

// The model file name of a desk-object kind without folder and extension ("stepler"), empty for
// the kind without a model.
std::string ObjectModelName(int Kind);

// The car models in the game's car table order (model file, texture file), and the three bodies.
void BuildCars(TContent& Content);
// The 22 desk-object models and their textures (left unpainted when Paint is false: only the
// shapes are wanted, for the footprints a track is checked against).
void BuildObjects(TContent& Content, bool Paint = true);
// Road, desk and console surfaces, and the particle shader.
void BuildSurfaces(TContent& Content);
// The menu's button pictures and the mouse cursor.
void BuildButtons(TContent& Content);
// Every sound of the game's sound table.
void BuildSounds(TContent& Content);
