#include "engine/sdl/ShaderFile.h"

#include <cctype>

namespace {

std::string TrimmedLower(const std::string& Line) {
    size_t Begin = 0, End = Line.size();
    while (Begin < End && std::isspace(static_cast<unsigned char>(Line[Begin])))
        ++Begin;
    while (End > Begin && std::isspace(static_cast<unsigned char>(Line[End - 1])))
        --End;
    std::string Out = Line.substr(Begin, End - Begin);
    for (char& C : Out)
        C = char(std::tolower(static_cast<unsigned char>(C)));
    return Out;
}

bool Blank(const std::string& Text) {
    for (char C : Text)
        if (!std::isspace(static_cast<unsigned char>(C))) return false;
    return true;
}

} // namespace

bool SplitShaderFile(const std::string& Text, TShaderSources& Sources, std::string& Fault) {
    Sources = TShaderSources();
    std::string* Into = nullptr;
    bool SeenVertex = false, SeenFragment = false;
    size_t Start = 0;
    while (Start < Text.size()) {
        size_t Stop = Text.find('\n', Start);
        if (Stop == std::string::npos) Stop = Text.size();
        const std::string Line = Text.substr(Start, Stop - Start);
        Start = Stop + 1;
        const std::string Key = TrimmedLower(Line);
        if (Key == "[vertex]" || Key == "[fragment]") {
            bool& Seen = Key == "[vertex]" ? SeenVertex : SeenFragment;
            if (Seen) {
                Fault = "the section " + Key + " comes twice";
                return false;
            }
            Seen = true;
            Into = Key == "[vertex]" ? &Sources.Vertex : &Sources.Fragment;
            continue;
        }
        if (Into) *Into += Line + "\n";
    }
    if (!SeenVertex || Blank(Sources.Vertex)) {
        Fault = "no [vertex] section";
        return false;
    }
    if (!SeenFragment || Blank(Sources.Fragment)) {
        Fault = "no [fragment] section";
        return false;
    }
    return true;
}
