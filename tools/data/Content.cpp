#include "Content.h"

const TModel* TContent::FindModel(const std::string& Path) const {
    for (const TModelFile& M : Models)
        if (M.Path == Path) return &M.Model;
    return nullptr;
}
