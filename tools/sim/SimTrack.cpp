// Placeholder until the track subcommand lands.
#include "Sim.h"

#include <cstdio>

int SimTrack(const TSimArgs&) {
    std::fputs("marvolin-sim: the track subcommand is not built yet\n", stderr);
    return SIM_USAGE;
}
