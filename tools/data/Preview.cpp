#include "Preview.h"
#include <stdexcept>
int RenderPreview(const TContent&, const std::vector<TCompiledTrack>&, const std::string&, const std::string&) {
    throw std::runtime_error("the preview needs the SDL back-end");
}
