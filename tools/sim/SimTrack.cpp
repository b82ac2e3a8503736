// marvolin-sim track MAPFILE: the track as the game's loader and builder derive it.
#include "Sim.h"

#include "app/variables.h"
#include "engine/EngineHeadless.h"
#include "engine/Files.h"
#include "world/dMap.h"

#include <cstdio>

namespace {

void PrintVec(const TVec3& V) {
    std::printf(" %.9g %.9g %.9g", V.x, V.y, V.z);
}

void PrintTrack(const TMap& Track) {
    std::printf("points %d\n", Track.PointCount);
    for (size_t I = 0; I < Track.Points.size(); ++I) {
        const TRoadPoint& P = Track.Points[I];
        std::printf("p %zu", I);
        PrintVec(P.Pos);
        PrintVec(P.Side);
        std::printf(" %.9g\n", P.HalfWidth);
    }
    std::printf("edges %zu\n", Track.Edges.size());
    for (size_t J = 0; J < Track.Edges.size(); ++J) {
        const TRoadEdge& E = Track.Edges[J];
        std::printf("e %zu", J);
        PrintVec(E.A);
        PrintVec(E.B);
        PrintVec(E.Normal);
        std::printf("\n");
    }
    std::printf("objects %d\n", Track.ObjectCount);
    for (size_t K = 0; K < Track.Objects.size(); ++K) {
        const TDeskObject& O = Track.Objects[K];
        std::printf("o %zu", K);
        PrintVec(O.Pos);
        std::printf(" %.9g %d\n", O.Angle, O.Kind);
    }
    std::printf("start %d laps %d\n", Track.StartPoint, Track.LapCount);
}

} // namespace

int SimTrack(const TSimArgs& Args) {
    if (Args.size() != 1) {
        std::fputs("usage: marvolin-sim track MAPFILE\n", stderr);
        return SIM_USAGE;
    }
    THeadlessEngine E; // the map asks the texture service for its textures
    UseEngine(&E);
    int Status = SIM_OK;
    {
        TMap Track;
        try {
            Track.LoadFromFile(Args[0]);
            PrintTrack(Track);
        } catch (const TFileError& Error) {
            std::fprintf(stderr, "marvolin-sim: %s\n", Error.what());
            Status = SIM_BAD_FILE;
        }
    }
    UseEngine(nullptr);
    return Status;
}
