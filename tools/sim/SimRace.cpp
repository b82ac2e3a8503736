// Placeholder until the race subcommand lands.
#include "Sim.h"

#include <cstdio>

int SimRace(const TSimArgs&) {
    std::fputs("marvolin-sim: the race subcommand is not built yet\n", stderr);
    return SIM_USAGE;
}
