// Placeholder until the mesh subcommand lands.
#include "Sim.h"

#include <cstdio>

int SimMesh(const TSimArgs&) {
    std::fputs("marvolin-sim: the mesh subcommand is not built yet\n", stderr);
    return SIM_USAGE;
}
