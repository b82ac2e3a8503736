#pragma once
// The text format of a shader file: the vertex and the fragment shader of one GLSL program.
//
//     anything before the first section is a comment
//     [vertex]
//     #version 120
//     ... vertex shader ...
//     [fragment]
//     #version 120
//     ... fragment shader ...
//
// The section lines are matched ignoring letter case and blanks around them; the sections may come
// in either order, each once. Each section's text is handed to the compiler as it stands.

#include <string>

struct TShaderSources {
    std::string Vertex, Fragment;
};

// Splits the file's text into its two sources; false with the fault in Fault when a section is
// missing, empty or repeated.
bool SplitShaderFile(const std::string& Text, TShaderSources& Sources, std::string& Fault);
