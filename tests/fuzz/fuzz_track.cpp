// The content generator's track-source compiler, then what the generator does with a compiled
// track: the .map written, loaded back through the game's builder, and checked.
#include "FuzzTarget.h"

#include "app/variables.h"
#include "engine/EngineHeadless.h"
#include "engine/Files.h"
#include "world/dMap.h"

#include "Tracks.h"

namespace {

// Every desk object stands on a square of this half side: the checks' geometry without the
// generator's models.
constexpr double FOOTPRINT_HALF_SIDE = 30;

TFootprints SquareFootprints() {
    const double H = FOOTPRINT_HALF_SIDE;
    return TFootprints(OBJECT_KIND_COUNT, RectOutline(-H, -H, H, H));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    static THeadlessEngine* const Engine = [] {
        auto* E = new THeadlessEngine;
        UseEngine(E);
        return E;
    }();
    static TMap* const Built = new TMap;
    static const TFootprints Footprints = SquareFootprints();
    (void)Engine;

    try {
        TCompiledTrack Track = CompileTrackText(FuzzText(Data, Size), "fuzz.track");
        FuzzExpect(Track.PointLines.size() == Track.Map.Points.size() &&
                       Track.ObjectLines.size() == Track.Map.Objects.size(),
                   "every road point and desk object has its source line");
        Built->LoadFromBytes(SerializeMap(Track.Map), "fuzz.map");
        CheckTrack(Track, *Built, Footprints);
    } catch (const TTrackError&) {
        return 0;
    } catch (const TFileError&) {
        return 0;
    }
    ++FuzzAcceptedInputs;
    return 0;
}
