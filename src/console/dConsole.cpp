#include "console/dConsole.h"

#include "app/variables.h"
#include "engine/Text1251.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t OPEN_HEIGHT_PX = 200;
constexpr float SLIDE_PX_PER_UPDATE = 20.0;
constexpr int32_t TEXT_MARGIN_PX = 15;
constexpr int32_t LINE_STEP_PX = 17;
constexpr int32_t INPUT_RISE_PX = 25;
constexpr int32_t VISIBLE_LINES = 10;
constexpr double TEX_REPEAT_T = 1.17;
// The background repeats as if the panel were this wide, whatever the window's width.
constexpr double TEX_REPEAT_WIDTH_PX = 800;
constexpr double SCROLL_PER_UPDATE = 0.005; // texture units of layer 0
// Layer 1 drifts by (sin(DRIFT_WAVE * ScrollX) / DRIFT_SWAY + DRIFT_X, DRIFT_Y) per update.
constexpr double DRIFT_WAVE = 20;
constexpr double DRIFT_SWAY = 100;
constexpr double DRIFT_X_PER_UPDATE = 0.001;
constexpr double DRIFT_Y_PER_UPDATE = 0.002;

// Pushes Text in as entry 0 of a fixed-length ring, dropping the oldest entry.
void PushRing(std::vector<std::string>& Ring, int32_t& Count, int32_t Capacity,
              const std::string& Text) {
    Count = std::min(Count + 1, Capacity);
    for (int32_t I = Capacity - 1; I >= 1; --I)
        Ring[size_t(I)] = Ring[size_t(I) - 1];
    Ring[0] = Text;
}

// The registered procedure whose name is Name in any letter case, null if there is none.
const TProcRegistry* FindProc(const std::vector<TProcRegistry>& Procs, const std::string& Name) {
    const std::string Key = Lower(Name);
    for (const TProcRegistry& P : Procs)
        if (Lower(P.Name) == Key) return &P;
    return nullptr;
}

void HelpProc() {
    TConsole& C = *Console;
    if (C.Args.size() == 2) {
        if (const TProcRegistry* P = FindProc(C.Procs, C.Args[1])) C.AddLine(P->Help);
    } else if (C.Args.size() == 1 && C.ProcCount > 0) {
        C.AddLine("");
        C.AddLine(Win1251("Допустимые команды:"));
        for (const TProcRegistry& P : C.Procs)
            C.AddLine(P.Name);
        C.AddLine("");
    }
}

void ClearProc() {
    TConsole& C = *Console;
    for (int32_t I = 0; I < C.LineCount; ++I)
        C.Lines[size_t(I)].clear();
    C.LineCount = 0;
}

} // namespace

std::string Lower(const std::string& Text) {
    std::string Result = Text;
    for (char& Ch : Result) {
        const auto Byte = uint8_t(Ch);
        if ((Byte >= 'A' && Byte <= 'Z') || (Byte >= 0xC0 && Byte <= 0xDF)) Ch = char(Byte + 32);
    }
    return Result;
}

ExplodeRes Explode(const std::string& Text) {
    std::string Rest = Text;
    for (size_t Pair = Rest.find("  "); Pair != std::string::npos; Pair = Rest.find("  ", Pair))
        Rest.erase(Pair, 1);
    if (Rest.find(' ') == std::string::npos) return {Rest};
    ExplodeRes Words;
    for (size_t Space = Rest.find(' '); Space != std::string::npos; Space = Rest.find(' ')) {
        Words.push_back(Rest.substr(0, Space));
        Rest.erase(0, Space + 1);
    }
    if (!Rest.empty()) Words.push_back(Rest);
    return Words;
}

bool IsConsoleChar(int Char) {
    return Char >= 32 && Char <= 125 && Char != '<' && Char != '>' && Char != '`';
}

TConsole::TConsole() {
    Height = OPEN_HEIGHT_PX;
    SlideSpeed = SLIDE_PX_PER_UPDATE;
    Lines.assign(size_t(LineCapacity), std::string());
    History.assign(size_t(HistoryCapacity), std::string());
    TextColor = Vec3(240 / 255.0, 132 / 255.0, 0);
    BackTexture = Textures->Load("DATA\\Textures\\console.jpg", 0, 1, 0);
    TextX = TEXT_MARGIN_PX;
    LineStep = LINE_STEP_PX;
    InputRise = INPUT_RISE_PX;
    TexRepeatT = float(TEX_REPEAT_T);
    TexRepeatS = float(double(TexRepeatT) * TEX_REPEAT_WIDTH_PX / Height);
    VisibleLines = VISIBLE_LINES;
    Register("Help", HelpProc,
             Win1251("Введи Help <имя_команды> чтобы получить справку по команде"));
    Register("Clear", ClearProc, "");
}

TConsole::~TConsole() = default;

void TConsole::Register(const std::string& Name, void (*Proc)(), const std::string& Help) {
    if (const TProcRegistry* Known = FindProc(Procs, Name)) {
        AddLine(Win1251("Ошибка регистрации: Процедура с именем ") + Known->Name +
                Win1251(" уже была зарегистрирована"));
        return;
    }
    Procs.push_back({Name, Proc, Help});
    ++ProcCount;
}

void TConsole::AddLine(const std::string& Text) {
    PushRing(Lines, LineCount, LineCapacity, Text);
    Scroll = 0;
}

void TConsole::AddHistory(const std::string& Text) {
    PushRing(History, HistoryCount, HistoryCapacity, Text);
}

void TConsole::Execute(const std::string& Line) {
    if (Line.empty()) return;
    AddLine(Line);
    Args = Explode(Line);
    if (const TProcRegistry* P = FindProc(Procs, Args[0])) {
        // The procedure may register others, so nothing of the registry is touched after it.
        void (*Proc)() = P->Proc;
        if (Proc) Proc();
    }
    if (Line != History[0]) AddHistory(Line);
    EditLine.clear();
    Cursor = 0;
    HistoryIndex = 0;
}

void TConsole::Update() {
    const int Key = Input->LastKey();
    const bool Toggle = Key == VK_OEM_3;

    ScrollX = float(double(ScrollX) + SCROLL_PER_UPDATE);
    Drift =
        VecAdd(Drift, Vec3(std::sin(DRIFT_WAVE * double(ScrollX)) / DRIFT_SWAY + DRIFT_X_PER_UPDATE,
                           DRIFT_Y_PER_UPDATE, 0));

    switch (State) {
    case csHidden:
        if (Toggle) State = csOpening;
        break;
    case csOpening:
        if (Toggle) State = csClosing;
        PrevPos = Pos;
        Pos = Pos + SlideSpeed;
        if (Pos > float(Height)) {
            Pos = PrevPos = float(Height);
            State = csOpen;
        }
        break;
    case csClosing:
        if (Toggle) State = csOpening;
        PrevPos = Pos;
        Pos = Pos - SlideSpeed;
        if (Pos < 0) { // fully closed: rests here, reset on every update
            Pos = PrevPos = 0;
            EditLine.clear();
            HistoryIndex = 0;
            Scroll = 0;
            Cursor = 0;
        }
        break;
    case csOpen:
        if (Toggle) State = csClosing;
        EditKey(Key);
        break;
    default:
        break;
    }
}

void TConsole::EditKey(int Key) {
    auto Length = [this] { return int32_t(EditLine.size()); };

    if (Key != VK_NONE) {
        const int Char = Input->LastChar();
        if (IsConsoleChar(Char)) {
            EditLine.insert(size_t(std::clamp(Cursor, 0, Length())), 1, char(Char));
            ++Cursor;
        }
    }
    if (Key == VK_BACK) {
        if (Cursor > 0 && Cursor <= Length()) EditLine.erase(size_t(Cursor) - 1, 1);
        --Cursor;
    }
    if (Key == VK_DELETE && Cursor >= 0 && Cursor < Length()) EditLine.erase(size_t(Cursor), 1);
    if (Key == VK_HOME) Cursor = 0;
    if (Key == VK_END) Cursor = Length();
    // With nothing entered yet there is nothing to recall: the line stays as it is.
    if (Key == VK_UP && HistoryCount > 0) {
        if (!EditLine.empty()) ++HistoryIndex;
        HistoryIndex = std::min(HistoryIndex, HistoryCount - 1);
        EditLine = History[size_t(HistoryIndex)];
        Cursor = Length();
    }
    if (Key == VK_DOWN) {
        --HistoryIndex;
        if (HistoryIndex < 0) {
            HistoryIndex = 0;
            EditLine.clear();
        } else {
            EditLine = History[size_t(HistoryIndex)];
        }
        Cursor = Length();
    }
    if (Key == VK_LEFT) --Cursor;
    if (Key == VK_RIGHT) ++Cursor;
    Cursor = std::min(std::max(Cursor, 0), Length());

    if (Key == VK_RETURN) {
        const std::string Line = EditLine; // Execute empties the edit line
        Execute(Line);
    }
    if (Key == VK_PRIOR) {
        ++Scroll;
        if (Scroll + VisibleLines > LineCount) Scroll = LineCount - VisibleLines;
        if (LineCount < VisibleLines) Scroll = 0;
    }
    if (Key == VK_NEXT) Scroll = std::max(Scroll - 1, 0);
    if (Key == VK_TAB && !EditLine.empty()) {
        const std::string Typed = Lower(EditLine);
        for (const TProcRegistry& P : Procs)
            if (Lower(P.Name.substr(0, Typed.size())) == Typed) {
                EditLine = P.Name + " ";
                Cursor = Length();
                break;
            }
    }
}
