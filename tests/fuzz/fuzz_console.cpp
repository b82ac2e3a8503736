// A console session: the input's bytes are the keys typed into the open console (every command
// with whatever arguments it is given, the history and the editing keys), and its words as the
// command parsers read them.
#include "FuzzRace.h"
#include "FuzzTarget.h"

#include "console/ConsoleFunctions.h"
#include "console/dConsole.h"
#include "world/dCamera.h"

#include <bit>
#include <cmath>

namespace {

// Bytes below 16 press these keys (backspace, tab and the line ends as their ASCII codes; 5 is an
// update without a key, 0 the console's own key); every other byte is typed as a character, with a
// letter key, as a keyboard gives it.
constexpr int CONTROL_KEYS[16] = {
    VK_OEM_3, VK_HOME, VK_LEFT,   VK_DELETE, VK_END,  VK_NONE,   VK_RIGHT, VK_UP,
    VK_BACK,  VK_TAB,  VK_RETURN, VK_PRIOR,  VK_NEXT, VK_RETURN, VK_DOWN,  VK_SPACE,
};
constexpr int TYPING_KEY = 'K';
constexpr uint8_t NEWLINE = '\n';

void UpdateConsole() {
    Console->Update();
}

// A number the console prints reads back as the same number.
void CheckNumbers(const std::string& Word) {
    for (const char Separator : {'.', ','}) {
        float Value = 0;
        if (!ParseConsoleFloat(Word, Separator, Value)) continue;
        FuzzExpect(std::isfinite(Value), "the console reads only finite numbers");
        float Again = 0;
        FuzzExpect(ParseConsoleFloat(FormatConsoleFloat(Value, Separator), Separator, Again) &&
                       std::bit_cast<uint32_t>(Again) == std::bit_cast<uint32_t>(Value),
                   "a number the console prints reads back the same");
    }
    int32_t Whole = 0;
    if (ParseConsoleInt(Word, Whole)) {
        int32_t Again = 0;
        FuzzExpect(ParseConsoleInt(std::to_string(Whole), Again) && Again == Whole,
                   "a whole number reads back the same");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const std::string Text = FuzzText(Data, Size);

    // The words of every line, as the console splits them.
    for (size_t Start = 0; Start <= Text.size();) {
        size_t Stop = Text.find(char(NEWLINE), Start);
        if (Stop == std::string::npos) Stop = Text.size();
        const std::string Line = Text.substr(Start, Stop - Start);
        std::string Joined, Spaceless;
        for (const std::string& Word : Explode(Line)) {
            FuzzExpect(Word.find(' ') == std::string::npos, "no word holds a space");
            Joined += Word;
            CheckNumbers(Word);
        }
        for (const char C : Line)
            if (C != ' ') Spaceless += C;
        FuzzExpect(Joined == Spaceless, "the words are the line without its spaces");
        Start = Stop + 1;
    }

    // The keys, typed into a console that starts open, with the game's commands and a race.
    THeadlessEngine E;
    UseEngine(&E);
    E.SetCallback(CALLBACK_UPDATE, UpdateConsole);
    Console = new TConsole;
    Camera = new TCamera;
    auto* Race = new TFuzzRace;
    GameManager = Race;
    Camera->Target = &Race->Cars[1];
    RegisterCommands();
    Console->State = csOpen;
    Console->Pos = Console->PrevPos = float(Console->Height);
    for (const char C : Text) {
        const uint8_t Byte = uint8_t(C);
        if (Byte < std::size(CONTROL_KEYS))
            E.QueuePress(CONTROL_KEYS[Byte]);
        else
            E.QueuePress(TYPING_KEY, Byte);
        E.StepUpdate();
        FuzzExpect(Console->Cursor >= 0 && size_t(Console->Cursor) <= Console->EditLine.size(),
                   "the cursor stays within the edit line");
        FuzzExpect(Console->LineCount <= Console->LineCapacity &&
                       Console->HistoryCount <= Console->HistoryCapacity,
                   "the scroll-back and the history keep their length");
    }
    ++FuzzAcceptedInputs;
    delete Race;
    GameManager = nullptr;
    delete Camera;
    Camera = nullptr;
    delete Console;
    Console = nullptr;
    ShowFPS = 0;
    UseEngine(nullptr);
    return 0;
}
