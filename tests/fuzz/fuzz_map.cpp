// The .map parser and the track builder after it: side vectors, road edges, start flags, road
// mesh and the road-edge index.
#include "FuzzTarget.h"

#include "app/variables.h"
#include "engine/EngineHeadless.h"
#include "engine/Files.h"
#include "models/dMeshes.h"
#include "world/dMap.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    // One track for the whole run, as in the game: each load replaces it or leaves it alone.
    static THeadlessEngine* const Engine = [] {
        auto* E = new THeadlessEngine;
        UseEngine(E);
        return E;
    }();
    static TMap* const Track = new TMap;
    (void)Engine;

    const std::vector<uint8_t> Bytes = FuzzBytes(Data, Size);
    const int32_t PointsBefore = Track->PointCount;
    const size_t EdgesBefore = Track->Edges.size();
    try {
        const std::vector<uint8_t> Again = SerializeMap(ParseMap(Bytes, "fuzz.map"));
        FuzzExpect(Again.size() <= Bytes.size() &&
                       std::equal(Again.begin(), Again.end(), Bytes.begin()),
                   "a parsed .map serializes to the bytes it came from");
        Track->LoadFromBytes(Bytes, "fuzz.map");
    } catch (const TFileError&) {
        FuzzExpect(Track->PointCount == PointsBefore && Track->Edges.size() == EdgesBefore,
                   "a refused map leaves the track as it was");
        return 0;
    }
    ++FuzzAcceptedInputs;
    const TMap& T = *Track;
    FuzzExpect(T.PointCount >= 3 && size_t(T.PointCount) == T.Points.size() &&
                   T.Edges.size() == 2 * size_t(T.PointCount - 1) &&
                   size_t(T.ObjectCount) == T.Objects.size(),
               "the built track's counts match its lists");
    FuzzExpect(T.RoadMesh->Faces.size() == T.Edges.size() &&
                   T.RoadMesh->Vertices.size() == 3 * T.Edges.size(),
               "the road mesh has one triangle per edge");
    // Every edge is listed near both of its ends.
    for (size_t J = 0; J < T.Edges.size(); ++J)
        for (const TVec3& End : {T.Edges[J].A, T.Edges[J].B}) {
            const auto Near = T.EdgesNear(End.x, End.y);
            FuzzExpect(std::binary_search(Near.begin(), Near.end(), int32_t(J)),
                       "the edge index lists an edge near its own ends");
        }
    return 0;
}
