#include "Content.h"

const TModel* TContent::FindModel(const std::string& Path) const {
    for (const TModelFile& M : Models)
        if (M.Path == Path) return &M.Model;
    return nullptr;
}

std::string ObjectModelName(int Kind) {
    const char* Model = OBJECT_ASSETS[Kind].Model;
    if (!Model) return {};
    const std::string Path = DataRelativePath(Model);
    const size_t Slash = Path.rfind('/') + 1; // npos + 1 is 0
    return Path.substr(Slash, Path.rfind('.') - Slash);
}
