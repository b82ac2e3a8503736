#pragma once
// Track sources: one small text file per track, compiled into a .map.
//
//     # comments run from '#' to the end of the line
//     laps 3                      how many laps a race has (1 to MAX_LAPS)
//     point X Y HALFWIDTH [start] a centre-line control point, in driving order; exactly one
//                                 carries "start": the start and finish line
//     object KIND X Y ANGLE       a desk object: its kind number or name ("stapler", "book",
//                                 or the model's file name such as "stepler"), position, angle
//                                 in degrees as the game draws it
//
// Every number has a range (below), and so do the counts of points, objects and road points: a
// value outside it is refused on its line at once, so that no source, however wrong, keeps the
// generator working or allocating without bound.
//
// The road runs along a closed Catmull-Rom spline (centripetal) through the control points,
// resampled to road points about ROAD_POINT_SPACING apart, every control point itself a road
// point; half-widths are eased between the control points. A source that cannot make a sound
// track is refused with its file, the line at fault and what is wrong.

#include "Geometry.h"
#include "world/dMap.h"

#include <stdexcept>
#include <string>
#include <vector>

constexpr double ROAD_POINT_SPACING = 60;     // world units aimed at between road points
constexpr double MIN_ROAD_POINT_SPACING = 40; // a shorter spline piece gives a warning
constexpr double MAX_ROAD_POINT_SPACING = 80;
constexpr double MIN_START_HALF_WIDTH = 100;   // six cars side by side at 25 units or more
constexpr double START_ORIGIN_CLEARANCE = 100; // between the grid and (0, 0), world units
constexpr double START_STRAIGHT_BEHIND = 120;  // the road is straight this far behind the start
constexpr double START_STRAIGHT_AHEAD = 300;   // ... and this far ahead of it
constexpr double START_STRAIGHT_TOLERANCE_DEG = 3;
constexpr double ROAD_CLEARANCE = 12; // desk objects stay this far off the road
constexpr double ROAD_SELF_GAP = 40;  // verge between two passes of the road

// The ranges of a source's numbers. X and Y of points and objects lie on the desk, a square
// DESK_HALF_SIZE each way from the origin (the shipped tracks stay within 6200).
constexpr double DESK_HALF_SIZE = 20000; // world units
constexpr double MIN_HALF_WIDTH = 1;     // world units
constexpr double MAX_HALF_WIDTH = 1000;
constexpr int MAX_LAPS = 1000;
constexpr double MAX_ANGLE_DEG = 360; // object angles from -360 to 360 degrees
constexpr int MAX_CONTROL_POINTS = 1000;
constexpr int MAX_SOURCE_OBJECTS = 500;
// The checks compare every road point with every other: the road may have at most this many.
constexpr int MAX_ROAD_POINTS = 4000;

// A fault in a track source: "FILE:LINE: fault".
class TTrackError : public std::runtime_error {
public:
    TTrackError(const std::string& File, int Line, const std::string& Fault)
        : std::runtime_error(File + ":" + std::to_string(Line) + ": " + Fault) {}
};

// A distance or an angle as the messages give it: rounded to a whole number.
std::string Rounded(double V);

struct TCompiledTrack {
    std::string Source;           // the file it came from
    TMapData Map;                 // what the .map holds
    std::vector<int> PointLines;  // the source line of each road point's spline piece
    std::vector<int> ObjectLines; // the source line of each desk object
    int StartLine = 0;
    std::vector<std::string> Warnings; // "FILE:LINE: warning: ..."
};

// Parses and lays out a track source; throws TTrackError.
TCompiledTrack CompileTrack(const std::string& SourcePath);
// The same for a source's text already in memory; SourcePath names it in the faults.
TCompiledTrack CompileTrackText(const std::string& Text, const std::string& SourcePath);
// Where the map of a track source lies in the data folder: "maps/" + the source's file name
// without folder and extension, in lower case, + ".map".
std::string MapFileOf(const std::string& SourcePath);

// The footprint of each desk-object kind on the desk: the convex hull of its model seen from above,
// in model coordinates (empty for a kind without a model).
using TFootprints = std::vector<TOutline>;
// A model-space point of a desk object on the desk, as the game's drawing places it.
TVec2D ObjectToDesk(const TDeskObject& Object, TVec2D ModelPoint);

// Checks a compiled track against the road the game's own builder derived from it (Built, loaded
// from the written .map): edges that cross or fold, the road running into itself, the start grid,
// desk objects on the road. Throws TTrackError; appends warnings (objects overlapping each other or
// the start flags) to Track.Warnings.
void CheckTrack(TCompiledTrack& Track, const TMap& Built, const TFootprints& Footprints);

// Lap length of a built track: the centre line's length, closing segment included.
double LapLength(const TMap& Built);
