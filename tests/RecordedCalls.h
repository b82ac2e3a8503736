#pragma once
// Reading back what drawing code asked for while GLStartRecording() was on.

#include "engine/GL.h"
#include "engine/Text1251.h"

#include <string>
#include <vector>

// The texts drawn, in order, as UTF-8.
inline std::vector<std::string> TextsOf(const std::vector<TGLCall>& Calls) {
    std::vector<std::string> Texts;
    for (const TGLCall& C : Calls)
        if (C.Name == "Render.TextOut") Texts.push_back(Utf8From1251(C.Text));
    return Texts;
}

// The first drawing of the text (given as UTF-8), or null when it was not drawn.
inline const TGLCall* FindText(const std::vector<TGLCall>& Calls, const std::string& Utf8) {
    for (const TGLCall& C : Calls)
        if (C.Name == "Render.TextOut" && Utf8From1251(C.Text) == Utf8) return &C;
    return nullptr;
}

inline int CountCalls(const std::vector<TGLCall>& Calls, const std::string& Name) {
    int N = 0;
    for (const TGLCall& C : Calls)
        N += C.Name == Name;
    return N;
}
