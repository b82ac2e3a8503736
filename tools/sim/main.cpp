// marvolin-sim: the game's own mesh loader, track builder and race code on the headless engine.
//
//   marvolin-sim track MAPFILE
//   marvolin-sim race MAPFILE [--car M] [--keys KEYFILE] [--updates N] [--trace CSVFILE]
//                    [--sound WAVFILE]
//   marvolin-sim race MAPFILE [--car M] --driver bot --keys-out KEYFILE [--updates N] [--trace ...]
//   marvolin-sim race --replay REPLAYFILE [--trace CSVFILE]
//   marvolin-sim mesh MDLFILE
//   marvolin-sim picture MAPFILE PNGFILE [--car M]

#include "Sim.h"

#include <cstdio>
#include <string>

namespace {

int Usage() {
    std::fputs("usage: marvolin-sim track MAPFILE\n"
               "       marvolin-sim race MAPFILE [--car M] [--keys KEYFILE] [--updates N] "
               "[--trace CSVFILE] [--sound WAVFILE]\n"
               "       marvolin-sim race MAPFILE [--car M] --driver bot --keys-out KEYFILE "
               "[--updates N] [--trace CSVFILE]\n"
               "       marvolin-sim race --replay REPLAYFILE [--trace CSVFILE]\n"
               "       marvolin-sim mesh MDLFILE\n"
               "       marvolin-sim picture MAPFILE PNGFILE [--car M]\n",
               stderr);
    return SIM_USAGE;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string Command = argv[1];
    const TSimArgs Args(argv + 2, argv + argc);
    if (Command == "mesh") return SimMesh(Args);
    if (Command == "track") return SimTrack(Args);
    if (Command == "race") return SimRace(Args);
    if (Command == "picture") return SimPicture(Args);
    return Usage();
}
