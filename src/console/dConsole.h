#pragma once
// The drop-down console: a registry of named procedures, a line editor with history and Tab
// completion, a scroll-back of output lines and a shimmering two-layer background. All texts are
// Windows-1251 strings.

#include "math/dMath.h"

#include <cstdint>
#include <string>
#include <vector>

using ExplodeRes = std::vector<std::string>;

struct TProcRegistry {
    std::string Name; // in the letter case of its registration
    void (*Proc)() = nullptr;
    std::string Help;
};

// Bytes "A"-"Z" and the Windows-1251 capitals 0xC0-0xDF raised by 32; everything else (the letter
// "Ё" included) unchanged.
std::string Lower(const std::string& Text);
// Splits a line into words at single spaces (runs of spaces count as one).
ExplodeRes Explode(const std::string& Text);
// Whether typing may insert the character: 32 ... 125 except '<', '>' and '`'.
bool IsConsoleChar(int Char);

constexpr int32_t csHidden = 0;
constexpr int32_t csOpening = 1;
constexpr int32_t csClosing = 2;
constexpr int32_t csOpen = 3;

class TConsole {
public:
    ExplodeRes Args; // words of the line being (or last) executed
    float TexRepeatS = 0;
    float TexRepeatT = 0;
    int BackTexture = 0;
    int32_t Height = 0;
    float SlideSpeed = 0; // pixels per update
    float Pos = 0;
    float PrevPos = 0;
    int32_t State = csHidden;
    std::vector<std::string> Lines; // [0] newest
    int32_t LineCount = 0;
    int32_t LineCapacity = 100;
    std::string EditLine;
    std::vector<TProcRegistry> Procs;
    int32_t ProcCount = 0;
    std::vector<std::string> History; // [0] newest
    int32_t HistoryCount = 0;
    int32_t HistoryCapacity = 20;
    int32_t HistoryIndex = 0;
    int32_t TextX = 0;
    int32_t LineStep = 0;
    int32_t InputRise = 0;
    int32_t Scroll = 0;
    int32_t VisibleLines = 0;
    int32_t Cursor = 0;
    TVec3 TextColor;
    float ScrollX = 0;
    TVec3 Drift;

    TConsole();
    ~TConsole();

    void Register(const std::string& Name, void (*Proc)(), const std::string& Help);
    void AddLine(const std::string& Text);
    void AddHistory(const std::string& Text);
    void Execute(const std::string& Line);
    bool IsOpen() const { return State == csOpen; }
    void Update();
    void Draw(); // console/dConsoleDraw.cpp

private:
    // The line editor's steps for this update's key, while the console is open.
    void EditKey(int Key);
};
