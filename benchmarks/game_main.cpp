// The game's main program for bench_frames, unchanged but for two names: its main is
// MarvolinMain, and the engine it starts comes from WatchedExInit (frames.cpp), which watches the
// engine's callbacks. Everything else, the command line included, is the game's own.
#define main MarvolinMain
#define exInit WatchedExInit
#include "app/main.cpp"
