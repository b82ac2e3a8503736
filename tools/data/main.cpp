// marvolin-data: writes the game's whole data/ tree (models, textures, button pictures, shader,
// track maps and sounds) from the content sources in tools/data. The same sources always give the
// same bytes.
//
//     marvolin-data --out DATADIR [--tracks SOURCEDIR]
//         everything, the tracks compiled from every *.track file of SOURCEDIR
//     marvolin-data --track FILE --out DATADIR
//         one track source compiled into DATADIR/maps/NAME.map (and checked), nothing else
//     marvolin-data --preview PICTUREDIR [--tracks SOURCEDIR]
//         everything written into PICTUREDIR/data, then a contact sheet of PNG pictures
//     marvolin-data --icons ICONDIR
//         the desktop icon, ICONDIR/<N>x<N>/apps/marvolin.png at every size of the hicolor theme
//
// A track source that cannot make a sound track is refused ("FILE:LINE: fault") with exit status
// 1; bad arguments give exit status 2.

#include "Content.h"
#include "Icons.h"
#include "Preview.h"
#include "Tracks.h"
#include "Writer.h"

#include "app/variables.h"
#include "engine/EngineHeadless.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

#ifndef MARVOLIN_TRACK_SOURCES
#define MARVOLIN_TRACK_SOURCES "tools/data/tracks"
#endif

namespace {

struct TOptions {
    std::string Out, Tracks = MARVOLIN_TRACK_SOURCES, Track, Preview, Icons;
};

int Usage(const std::string& Fault) {
    std::cerr << "marvolin-data: " << Fault << "\n"
              << "usage: marvolin-data --out DATADIR [--tracks SOURCEDIR]\n"
              << "       marvolin-data --track FILE --out DATADIR\n"
              << "       marvolin-data --preview PICTUREDIR [--tracks SOURCEDIR]\n"
              << "       marvolin-data --icons ICONDIR\n";
    return 2;
}

// Everything, or only the desk objects' shapes (all a single track needs to be checked).
TContent BuildContent(bool Everything) {
    TContent C;
    if (Everything) BuildCars(C);
    BuildObjects(C, Everything);
    if (Everything) {
        BuildSurfaces(C);
        BuildButtons(C);
        BuildSounds(C);
    }
    return C;
}

TFootprints FootprintsOf(const TContent& C) {
    TFootprints F(OBJECT_KIND_COUNT);
    for (int K = 0; K < OBJECT_KIND_COUNT; ++K) {
        if (!OBJECT_ASSETS[K].Model) continue;
        const TModel* M = C.FindModel(DataRelativePath(OBJECT_ASSETS[K].Model));
        if (!M) continue;
        std::vector<TVec2D> P;
        for (const TVecD& V : M->Positions())
            P.push_back({V.x, V.y});
        F[size_t(K)] = ConvexHull(P);
    }
    return F;
}

// Writes the track's .map, loads it back with the game's own loader and builder, and checks the
// result. A refused track leaves no file behind.
void WriteAndCheckTrack(TCompiledTrack& Track, const std::string& DataDir, const TFootprints& F) {
    const std::string Path = DataDir + "/" + MapFileOf(Track.Source);
    WriteBytes(Path, SerializeMap(Track.Map));
    try {
        TMap Built;
        Built.LoadFromFile(Path);
        CheckTrack(Track, Built, F);
    } catch (...) {
        std::filesystem::remove(Path);
        throw;
    }
    for (const std::string& W : Track.Warnings)
        std::cerr << W << "\n";
}

std::vector<std::string> TrackSources(const std::string& Dir) {
    std::vector<std::string> Files;
    std::error_code Error;
    for (const auto& E : std::filesystem::directory_iterator(Dir, Error))
        if (E.is_regular_file() && E.path().extension() == ".track")
            Files.push_back(E.path().string());
    if (Error)
        throw std::runtime_error(Dir + ": track sources cannot be listed (" + Error.message() +
                                 ")");
    std::sort(Files.begin(), Files.end());
    return Files;
}

// Maps left over from track sources that are gone would still be offered by the game.
void RemoveStaleMaps(const std::string& DataDir, const std::vector<TCompiledTrack>& Tracks) {
    std::error_code Error;
    for (const auto& E : std::filesystem::directory_iterator(DataDir + "/maps", Error)) {
        if (E.path().extension() != ".map") continue;
        const std::string Name = "maps/" + E.path().filename().string();
        const bool Ours = std::any_of(Tracks.begin(), Tracks.end(), [&](const TCompiledTrack& T) {
            return MapFileOf(T.Source) == Name;
        });
        if (!Ours) std::filesystem::remove(E.path(), Error);
    }
}

int Run(const TOptions& O) {
    // The map loader asks the engine for textures; the headless engine answers without a display.
    THeadlessEngine Headless;
    UseEngine(&Headless);
    if (!O.Icons.empty()) {
        TContent Cars;
        BuildCars(Cars);
        WriteIcons(Cars, O.Icons);
        UseEngine(nullptr);
        return 0;
    }
    const TContent Content = BuildContent(O.Track.empty());
    const TFootprints Footprints = FootprintsOf(Content);

    if (!O.Track.empty()) {
        TCompiledTrack T = CompileTrack(O.Track);
        WriteAndCheckTrack(T, O.Out, Footprints);
        UseEngine(nullptr);
        return 0;
    }
    const std::string DataDir = O.Preview.empty() ? O.Out : O.Preview + "/data";
    std::vector<TCompiledTrack> Tracks;
    for (const std::string& S : TrackSources(O.Tracks))
        Tracks.push_back(CompileTrack(S));
    if (Tracks.empty()) throw std::runtime_error(O.Tracks + ": no track sources (*.track)");
    WriteContent(Content, DataDir);
    for (TCompiledTrack& T : Tracks)
        WriteAndCheckTrack(T, DataDir, Footprints);
    RemoveStaleMaps(DataDir, Tracks);
    UseEngine(nullptr);
    if (!O.Preview.empty()) {
        const int Pictures = RenderPreview(Content, Tracks, DataDir, O.Preview);
        std::cout << "marvolin-data: " << Pictures << " preview pictures in " << O.Preview << "\n";
    }
    return 0;
}

} // namespace

int main(int Argc, char** Argv) {
    TOptions O;
    for (int I = 1; I < Argc; ++I) {
        const std::string A = Argv[I];
        const auto Value = [&](std::string& Into) {
            if (I + 1 >= Argc) return false;
            Into = Argv[++I];
            return true;
        };
        bool Ok = true;
        if (A == "--out")
            Ok = Value(O.Out);
        else if (A == "--tracks")
            Ok = Value(O.Tracks);
        else if (A == "--track")
            Ok = Value(O.Track);
        else if (A == "--preview")
            Ok = Value(O.Preview);
        else if (A == "--icons")
            Ok = Value(O.Icons);
        else
            return Usage("unknown argument \"" + A + "\"");
        if (!Ok) return Usage(A + " needs a value");
    }
    if (!O.Icons.empty() && (!O.Out.empty() || !O.Preview.empty() || !O.Track.empty()))
        return Usage("--icons writes the icons alone");
    if (O.Icons.empty() && O.Preview.empty() && O.Out.empty())
        return Usage("say where to write (--out, --preview or --icons)");
    if (!O.Preview.empty() && (!O.Out.empty() || !O.Track.empty()))
        return Usage("--preview writes its own data folder; it takes no --out or --track");
    try {
        return Run(O);
    } catch (const TTrackError& E) {
        std::cerr << E.what() << "\n";
    } catch (const std::exception& E) {
        std::cerr << "marvolin-data: " << E.what() << "\n";
    }
    UseEngine(nullptr);
    return 1;
}
