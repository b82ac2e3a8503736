#pragma once
// The subcommands of marvolin-sim. Each takes the words after the subcommand's name and returns
// the process's exit status: 0 done, 2 a file that cannot be read or is invalid (one line on
// stderr), 1 a usage error (or, for a replay, a race that differs from its recording).

#include <string>
#include <vector>

using TSimArgs = std::vector<std::string>;

int SimMesh(const TSimArgs& Args);
int SimTrack(const TSimArgs& Args);
int SimRace(const TSimArgs& Args);
int SimPicture(const TSimArgs& Args);

// Exit statuses.
constexpr int SIM_OK = 0;
constexpr int SIM_USAGE = 1;
constexpr int SIM_BAD_FILE = 2;
constexpr int SIM_DIFFERS = 1; // race --replay: the race is not the recorded one
