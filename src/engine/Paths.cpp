#include "engine/Paths.h"

#include "engine/Files.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* GAME_FOLDER = "marvolin";
constexpr const char* STATE_HOME_UNDER_HOME = ".local/state";

bool IsFolder(const std::string& Path) {
    std::error_code Error;
    return !Path.empty() && fs::is_directory(Path, Error);
}

} // namespace

std::string ExecutableFolder() {
    std::error_code Error;
    const fs::path Exe = fs::read_symlink("/proc/self/exe", Error);
    return Error ? std::string() : Exe.parent_path().string();
}

std::string InstalledDataFolder(const std::string& BinFolder) {
    return (fs::path(BinFolder) / ".." / "share" / GAME_FOLDER / "data")
        .lexically_normal()
        .string();
}

std::string ChooseDataFolder(const std::string& InstalledData) {
    if (IsFolder(ResolvePath("data"))) return {};
    return IsFolder(InstalledData) ? InstalledData : std::string();
}

std::string DataFolderLine(const std::string& Chosen, const std::string& InstalledData) {
    if (!Chosen.empty()) return "data: " + Chosen + " (installed; the working folder has no data/)";
    if (IsFolder(ResolvePath("data"))) return "data: data/ of the working folder";
    return "warning: no data/ in the working folder, and none installed at " + InstalledData;
}

std::string LogFolderFor(bool WorkingFolderWritable, const char* XdgStateHome, const char* Home) {
    if (WorkingFolderWritable) return ".";
    // Only an absolute XDG_STATE_HOME counts; a relative one is to be ignored.
    fs::path State;
    if (XdgStateHome && XdgStateHome[0] == '/')
        State = XdgStateHome;
    else
        State = fs::path(Home && Home[0] ? Home : "/") / STATE_HOME_UNDER_HOME;
    return (State / GAME_FOLDER).lexically_normal().string();
}

std::string LogFolder() {
    // Asked of the effective user, as opening the file will be: root without its capabilities
    // cannot write into a read-only folder either.
    const bool Writable = faccessat(AT_FDCWD, ".", W_OK, AT_EACCESS) == 0;
    const char* Home = std::getenv("HOME");
    if (!Home || !Home[0]) {
        const passwd* User = getpwuid(geteuid());
        Home = User ? User->pw_dir : nullptr;
    }
    const std::string Folder = LogFolderFor(Writable, std::getenv("XDG_STATE_HOME"), Home);
    std::error_code Error;
    if (!Writable) fs::create_directories(Folder, Error); // a failure shows when the log opens
    return Folder;
}
