#pragma once
// The keyboard driver: decides, update by update, which of W A S D and Space the player's car
// holds, from what a player sees on the screen: the road ahead (its centre line and width), its
// own car (where it is, where it points, how fast it goes) and the other cars where they stand.
// It reads nothing of the computer drivers' workings and nothing the screen does not show.
//
// It steers for the farthest point along the road that a straight line reaches without leaving
// the road or running into a car, passing cars on whichever side is open, and holds the throttle
// down but behind a car it cannot pass; stuck against something, it backs off for a moment.

#include "math/dMath.h"

#include <cstdint>
#include <vector>

class TBasicCar;
class TMap;

class TKeyboardBot {
public:
    // The keys to hold in the coming update (THeldKey bits), for Own after its latest update;
    // Others: the other cars' positions now. Before the start it holds nothing.
    uint8_t Decide(const TBasicCar& Own, const std::vector<TVec3>& Others, const TMap& Map,
                   bool Started);

private:
    std::vector<TVec3> PrevOthers; // the other cars' positions one update ago
    long StuckUpdates = 0;
    long ReverseUpdates = 0;
};
