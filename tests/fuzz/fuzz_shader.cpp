// The shader file reader: a file's text split into its vertex and fragment sources.
#include "FuzzTarget.h"

#include "engine/sdl/ShaderFile.h"

#include <cctype>

namespace {

bool Blank(const std::string& Text) {
    for (const char C : Text)
        if (!std::isspace(static_cast<unsigned char>(C))) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const std::string Text = FuzzText(Data, Size);
    TShaderSources Sources;
    std::string Fault;
    if (!SplitShaderFile(Text, Sources, Fault)) {
        FuzzExpect(!Fault.empty(), "a refused shader file says why");
        return 0;
    }
    ++FuzzAcceptedInputs;
    FuzzExpect(!Blank(Sources.Vertex) && !Blank(Sources.Fragment),
               "an accepted shader file has both sources");
    // Each source is made of the file's own lines (each given back its line end).
    FuzzExpect(Sources.Vertex.size() + Sources.Fragment.size() <= Text.size() + 1,
               "the sources are no longer than the file");
    return 0;
}
