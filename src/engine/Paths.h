#pragma once
// Where the game finds its data and writes its files, for a game started from its build folder
// (data/ in the working folder, log.txt beside it) as much as for one installed under a prefix
// (PREFIX/bin/marvolin, PREFIX/share/marvolin/data, started from anywhere).

#include <string>

// The folder of the running executable (from /proc/self/exe), empty when it cannot be told.
std::string ExecutableFolder();

// The data installed beside an executable in BinFolder: BinFolder/../share/marvolin/data.
std::string InstalledDataFolder(const std::string& BinFolder);

// The folder for SetDataFolder (engine/Files.h): empty, for the working folder's data/, when the
// working folder has one (in any letter case); else InstalledData when it is a folder; else empty
// too, and the game's files go missing by their own names.
std::string ChooseDataFolder(const std::string& InstalledData);
// The log's line on that choice; a warning naming both places when neither holds the data.
std::string DataFolderLine(const std::string& Chosen, const std::string& InstalledData);

// The folder log.txt goes to, and anything the game writes beside it: the working folder when the
// game may write there, else $XDG_STATE_HOME/marvolin, made if missing ($XDG_STATE_HOME unset,
// empty or relative stands for ~/.local/state). The folder's name ends without a separator.
std::string LogFolder();
// LogFolder's choice from what it looks at; makes nothing.
std::string LogFolderFor(bool WorkingFolderWritable, const char* XdgStateHome, const char* Home);
