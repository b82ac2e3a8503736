#include "engine/Files.h"

#include "engine/Text1251.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The folder of SetDataFolder; empty: the working folder's data/. Set at start-up, kept to the end.
std::string DataFolder;

bool SameIgnoringCase(const std::string& A, const std::string& B) {
    return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char X, char Y) {
               return std::tolower(static_cast<unsigned char>(X)) ==
                      std::tolower(static_cast<unsigned char>(Y));
           });
}

// The entry of Folder named Part, exactly if it exists, else the first one equal ignoring case.
bool FindEntry(const fs::path& Folder, const std::string& Part, fs::path& Found) {
    std::error_code Error;
    const fs::path Exact = Folder / Part;
    if (fs::exists(Exact, Error)) {
        Found = Exact;
        return true;
    }
    const fs::path Where = Folder.empty() ? fs::path(".") : Folder;
    std::vector<std::string> Names;
    for (fs::directory_iterator It(Where, Error), End; !Error && It != End; It.increment(Error))
        Names.push_back(It->path().filename().string());
    std::sort(Names.begin(), Names.end()); // the same choice whatever order the folder lists in
    for (const std::string& Name : Names)
        if (SameIgnoringCase(Name, Part)) {
            Found = Folder / Name;
            return true;
        }
    return false;
}

// A game name moved into DataFolder: "./Data/maps/x" becomes DataFolder + "/maps/x". Other names
// come back as they are.
std::string InDataFolder(const std::string& Slashed) {
    if (DataFolder.empty()) return Slashed;
    size_t First = 0;
    while (Slashed.compare(First, 2, "./") == 0)
        First += 2;
    const size_t Stop = std::min(Slashed.find('/', First), Slashed.size());
    if (!SameIgnoringCase(Slashed.substr(First, Stop - First), "data")) return Slashed;
    return DataFolder + Slashed.substr(Stop);
}

} // namespace

void SetDataFolder(const std::string& Folder) {
    DataFolder = Folder;
}

std::string ResolvePath(const std::string& Name) {
    std::string Slashed = Name;
    std::replace(Slashed.begin(), Slashed.end(), '\\', '/');
    Slashed = InDataFolder(Slashed);
    fs::path Result;
    size_t Start = 0;
    if (!Slashed.empty() && Slashed[0] == '/') {
        Result = "/";
        Start = 1;
    }
    while (Start <= Slashed.size()) {
        size_t Stop = Slashed.find('/', Start);
        if (Stop == std::string::npos) Stop = Slashed.size();
        const std::string Part = Slashed.substr(Start, Stop - Start);
        Start = Stop + 1;
        if (Part.empty() || Part == ".") continue;
        if (Part == "..") {
            Result /= "..";
            continue;
        }
        fs::path Found;
        if (!FindEntry(Result, Part, Found)) return Slashed;
        Result = Found;
    }
    return Result.empty() ? Slashed : Result.string();
}

bool FileExists(const std::string& Name) {
    std::error_code Error;
    return fs::is_regular_file(ResolvePath(Name), Error);
}

std::vector<uint8_t> ReadWholeFile(const std::string& Name) {
    const std::string Path = ResolvePath(Name);
    std::error_code Error;
    if (fs::is_directory(Path, Error))
        throw TFileError(Name + ": is a folder, not a file", Win1251("это папка, а не файл"));
    std::ifstream In(Path, std::ios::binary);
    if (!In) throw TFileError(Name + ": cannot open the file", Win1251("файл не открывается"));
    std::vector<uint8_t> Bytes((std::istreambuf_iterator<char>(In)),
                               std::istreambuf_iterator<char>());
    if (In.bad()) throw TFileError(Name + ": cannot read the file", Win1251("файл не читается"));
    return Bytes;
}
