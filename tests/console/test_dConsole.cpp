#include "console/dConsole.h"

#include "app/variables.h"
#include "console/ConsoleFunctions.h"
#include "engine/EngineHeadless.h"
#include "engine/GL.h"
#include "engine/Text1251.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace {

constexpr int UPDATES_TO_SLIDE = 11; // updates after the toggle until the panel rests
constexpr int VK_OEM_1 = 0xBA;       // a key that types punctuation on a US layout

int CallsOfTestProc = 0;
void TestProc() {
    ++CallsOfTestProc;
}

// A console of its own in the global Console, on a headless engine, updated by StepUpdate.
class ConsoleTest : public ::testing::Test {
protected:
    THeadlessEngine E;

    void SetUp() override {
        UseEngine(&E);
        Console = new TConsole;
        E.SetCallback(CALLBACK_UPDATE, [] { Console->Update(); });
        CallsOfTestProc = 0;
    }
    void TearDown() override {
        delete Console;
        Console = nullptr;
        FrameAlpha = 0;
        UseEngine(nullptr);
    }

    TConsole& C() { return *Console; }
    void Press(int Key, int Char = 0) {
        E.QueuePress(Key, Char);
        E.StepUpdate();
    }
    void Idle(int Updates = 1) {
        for (int I = 0; I < Updates; ++I)
            E.StepUpdate();
    }
    void Open() {
        Press(VK_OEM_3);
        Idle(UPDATES_TO_SLIDE);
        ASSERT_TRUE(C().IsOpen());
    }
    // Each character as a press of the key that types it.
    void Type(const std::string& Text) {
        for (char Ch : Text) {
            const int Key = std::isalnum(uint8_t(Ch)) ? std::toupper(uint8_t(Ch))
                            : Ch == ' '               ? VK_SPACE
                                                      : VK_OEM_1;
            Press(Key, uint8_t(Ch));
        }
    }
    void Enter(const std::string& Text) {
        Type(Text);
        Press(VK_RETURN);
    }
};

} // namespace

TEST(ConsoleText, ExplodeSplitsAtRunsOfSpaces) {
    EXPECT_EQ(Explode("Follow 3"), (ExplodeRes{"Follow", "3"}));
    EXPECT_EQ(Explode("a   b  c "), (ExplodeRes{"a", "b", "c"}));
    EXPECT_EQ(Explode("Help"), (ExplodeRes{"Help"}));
    EXPECT_EQ(Explode(""), (ExplodeRes{""}));
    EXPECT_EQ(Explode(" a"), (ExplodeRes{"", "a"}));
}

TEST(ConsoleText, ExplodeOfSpacesOnlyGivesOneEmptyWord) {
    EXPECT_EQ(Explode("   "), (ExplodeRes{""}));
    EXPECT_EQ(Explode(" "), (ExplodeRes{""}));
    EXPECT_EQ(Explode("  Help  "), (ExplodeRes{"", "Help"}));
}

TEST(ConsoleText, LowerFoldsLatinAndCyrillicCapitalsButNotYo) {
    EXPECT_EQ(Lower("HeLp_42 [@]"), "help_42 [@]");
    EXPECT_EQ(Lower(Win1251("АБВЖЯ")), Win1251("абвжя"));
    EXPECT_EQ(Lower(Win1251("Ё")), Win1251("Ё"));
    EXPECT_EQ(Lower(Win1251("ёя")), Win1251("ёя"));
}

TEST(ConsoleText, ConsoleCharsArePrintableAsciiWithoutAnglesGraveAndTilde) {
    EXPECT_FALSE(IsConsoleChar(31));
    EXPECT_TRUE(IsConsoleChar(' '));
    EXPECT_TRUE(IsConsoleChar('a'));
    EXPECT_TRUE(IsConsoleChar('}'));
    EXPECT_FALSE(IsConsoleChar('~'));
    EXPECT_FALSE(IsConsoleChar('<'));
    EXPECT_FALSE(IsConsoleChar('>'));
    EXPECT_FALSE(IsConsoleChar('`'));
    EXPECT_FALSE(IsConsoleChar(VK_RETURN));
    EXPECT_FALSE(IsConsoleChar(0xE0)); // Cyrillic а
}

TEST_F(ConsoleTest, ConstructionSetsTheStartingValues) {
    EXPECT_EQ(C().State, csHidden);
    EXPECT_EQ(C().Height, 200);
    EXPECT_EQ(C().Lines.size(), 100u);
    EXPECT_EQ(C().History.size(), 20u);
    EXPECT_FLOAT_EQ(C().TexRepeatT, 1.17f);
    EXPECT_FLOAT_EQ(C().TexRepeatS, 4.68f);
    EXPECT_FLOAT_EQ(C().TextColor.x, 240 / 255.0f);
    EXPECT_FLOAT_EQ(C().TextColor.y, 132 / 255.0f);
    EXPECT_EQ(C().TextColor.z, 0);
    ASSERT_GE(C().BackTexture, 1);
    EXPECT_EQ(E.TextureLog[size_t(C().BackTexture) - 1].Name, "DATA\\Textures\\console.jpg");
    ASSERT_EQ(C().ProcCount, 2);
    EXPECT_EQ(C().Procs[0].Name, "Help");
    EXPECT_EQ(C().Procs[0].Help,
              Win1251("Введи Help <имя_команды> чтобы получить справку по команде"));
    EXPECT_EQ(C().Procs[1].Name, "Clear");
    EXPECT_EQ(C().Procs[1].Help, "");
    EXPECT_EQ(C().LineCount, 0); // nothing printed while starting
}

TEST_F(ConsoleTest, RegisteringANameTwiceIsRefusedNamingTheFirst) {
    C().Register("help", TestProc, "other");
    EXPECT_EQ(C().ProcCount, 2);
    EXPECT_EQ(C().LineCount, 1);
    EXPECT_EQ(C().Lines[0],
              Win1251("Ошибка регистрации: Процедура с именем Help уже была зарегистрирована"));
    C().Execute("help");
    EXPECT_EQ(CallsOfTestProc, 0);
    EXPECT_EQ(C().Lines[3], Win1251("Допустимые команды:")); // the built-in Help ran
}

TEST_F(ConsoleTest, CommandWordsMatchInAnyLetterCase) {
    C().Register(Win1251("Тест"), TestProc, "");
    C().Register(Win1251("Ёж"), TestProc, "");
    C().Execute("HELP");
    EXPECT_EQ(C().Lines[0], "");
    EXPECT_EQ(C().Lines[1], Win1251("Ёж"));
    EXPECT_EQ(C().Lines[5], Win1251("Допустимые команды:"));
    C().Execute(Win1251("тЕСТ"));
    EXPECT_EQ(CallsOfTestProc, 1);
    C().Execute(Win1251("ёж")); // Ё does not fold
    EXPECT_EQ(CallsOfTestProc, 1);
    C().Execute(Win1251("Ёж"));
    EXPECT_EQ(CallsOfTestProc, 2);
}

TEST_F(ConsoleTest, ExecuteEchoesTheLineAndIgnoresUnknownWords) {
    C().Execute("nothing here");
    EXPECT_EQ(C().LineCount, 1);
    EXPECT_EQ(C().Lines[0], "nothing here");
    EXPECT_EQ(C().Args, (ExplodeRes{"nothing", "here"}));
    C().Execute("");
    EXPECT_EQ(C().LineCount, 1);
    EXPECT_EQ(C().HistoryCount, 1);
}

TEST_F(ConsoleTest, LinesOfSpacesRunNothing) {
    C().Execute("   ");
    EXPECT_EQ(C().Args, (ExplodeRes{""}));
    C().Execute("  Help  ");
    EXPECT_EQ(C().Args, (ExplodeRes{"", "Help"}));
    EXPECT_EQ(C().LineCount, 2); // the two echoes only
}

TEST_F(ConsoleTest, HelpListsEveryCommandInRegistrationOrder) {
    RegisterCommands();
    C().Execute("Help");
    const std::vector<std::string> Expected = {"",
                                               "ai_minturn",
                                               "ai_tck",
                                               "ai_dfc",
                                               "Volume",
                                               "Sound",
                                               "ShowFPS",
                                               "LoadLevel",
                                               "Follow",
                                               "Quit",
                                               "Clear",
                                               "Help",
                                               Win1251("Допустимые команды:"),
                                               "",
                                               "Help"};
    ASSERT_EQ(C().LineCount, int32_t(Expected.size()));
    for (size_t I = 0; I < Expected.size(); ++I)
        EXPECT_EQ(C().Lines[I], Expected[I]) << I;
}

TEST_F(ConsoleTest, HelpWithOneArgumentPrintsThatCommandsHelpLine) {
    C().Execute("Help cLEAR");
    EXPECT_EQ(C().LineCount, 2);
    EXPECT_EQ(C().Lines[0], ""); // Clear's help is empty
    C().Execute("Help help");
    EXPECT_EQ(C().Lines[0], C().Procs[0].Help);
    C().Execute("Help nothing");
    EXPECT_EQ(C().Lines[0], "Help nothing");
    C().Execute("Help Help Clear");
    EXPECT_EQ(C().Lines[0], "Help Help Clear");
    EXPECT_EQ(C().LineCount, 6);
}

TEST_F(ConsoleTest, ClearEmptiesTheScrollBack) {
    C().AddLine("one");
    C().AddLine("two");
    C().Execute("Clear");
    EXPECT_EQ(C().LineCount, 0);
    for (const std::string& Line : C().Lines)
        EXPECT_EQ(Line, "");
    EXPECT_EQ(C().HistoryCount, 1);
}

TEST_F(ConsoleTest, OutputRingKeepsTheNewestHundredLines) {
    for (int I = 0; I < 105; ++I)
        C().AddLine(std::to_string(I));
    EXPECT_EQ(C().LineCount, 100);
    EXPECT_EQ(C().Lines[0], "104");
    EXPECT_EQ(C().Lines[99], "5");
}

TEST_F(ConsoleTest, PageUpStopsWithTheOldestLineOnTop) {
    for (int I = 0; I < 100; ++I)
        C().AddLine(std::to_string(I));
    Open();
    for (int I = 0; I < 95; ++I)
        Press(VK_PRIOR);
    EXPECT_EQ(C().Scroll, 90);
    Press(VK_NEXT);
    EXPECT_EQ(C().Scroll, 89);
    C().AddLine("new"); // new output shows the newest lines again
    EXPECT_EQ(C().Scroll, 0);
    Press(VK_NEXT);
    EXPECT_EQ(C().Scroll, 0);
}

TEST_F(ConsoleTest, PageUpStaysAtZeroWithFewerThanTenLines) {
    for (int I = 0; I < 9; ++I)
        C().AddLine(std::to_string(I));
    Open();
    Press(VK_PRIOR);
    EXPECT_EQ(C().Scroll, 0);
    C().AddLine("tenth");
    Press(VK_PRIOR);
    EXPECT_EQ(C().Scroll, 0);
    C().AddLine("eleventh");
    Press(VK_PRIOR);
    Press(VK_PRIOR);
    EXPECT_EQ(C().Scroll, 1);
}

TEST_F(ConsoleTest, HistoryStoresARepeatedLineOnce) {
    C().Execute("one");
    C().Execute("one");
    EXPECT_EQ(C().HistoryCount, 1);
    C().Execute("two");
    C().Execute("one");
    EXPECT_EQ(C().HistoryCount, 3);
    EXPECT_EQ(C().History[0], "one");
    EXPECT_EQ(C().History[1], "two");
    C().Execute("ONE"); // the comparison is case-sensitive
    EXPECT_EQ(C().HistoryCount, 4);
}

TEST_F(ConsoleTest, HistoryRingKeepsTheNewestTwenty) {
    for (int I = 0; I < 25; ++I)
        C().Execute("line" + std::to_string(I));
    EXPECT_EQ(C().HistoryCount, 20);
    EXPECT_EQ(C().History[0], "line24");
    EXPECT_EQ(C().History[19], "line5");
}

TEST_F(ConsoleTest, UpAndDownWalkTheHistory) {
    Open();
    Enter("one");
    Enter("two");
    Press(VK_UP);
    EXPECT_EQ(C().EditLine, "two");
    EXPECT_EQ(C().Cursor, 3);
    Press(VK_UP);
    EXPECT_EQ(C().EditLine, "one");
    Press(VK_UP); // the oldest entry stays
    EXPECT_EQ(C().EditLine, "one");
    EXPECT_EQ(C().HistoryIndex, 1);
    Press(VK_DOWN);
    EXPECT_EQ(C().EditLine, "two");
    Press(VK_DOWN);
    EXPECT_EQ(C().EditLine, "");
    EXPECT_EQ(C().HistoryIndex, 0);
    EXPECT_EQ(C().Cursor, 0);
}

TEST_F(ConsoleTest, UpWithAnEmptyHistoryLeavesTheLine) {
    Open();
    Type("abc");
    Press(VK_LEFT);
    Press(VK_UP);
    EXPECT_EQ(C().EditLine, "abc");
    EXPECT_EQ(C().Cursor, 2);
    EXPECT_EQ(C().HistoryIndex, 0);
    Press(VK_DOWN);
    EXPECT_EQ(C().EditLine, "");
}

TEST_F(ConsoleTest, EnterRunsTheEditLineAndEmptiesIt) {
    Open();
    Enter("Help clear");
    EXPECT_EQ(C().Lines[1], "Help clear");
    EXPECT_EQ(C().EditLine, "");
    EXPECT_EQ(C().History[0], "Help clear");
    Type("x"); // the caret starts over at the empty line's end
    EXPECT_EQ(C().EditLine, "x");
    EXPECT_EQ(C().Cursor, 1);
}

TEST_F(ConsoleTest, TypingInsertsOnlyConsoleCharsAtTheCaret) {
    Open();
    Type("ac");
    Press(VK_LEFT);
    Type("b");
    EXPECT_EQ(C().EditLine, "abc");
    EXPECT_EQ(C().Cursor, 2);
    Press('A', 0xE0); // Cyrillic а on a Russian layout
    Press(VK_OEM_1, '<');
    Press(VK_OEM_1, '~');
    Press('A', 0); // a key that types nothing
    Press(VK_HOME);
    Type("(");
    EXPECT_EQ(C().EditLine, "(abc");
    Press(VK_END);
    EXPECT_EQ(C().Cursor, 4);
    Press(VK_RIGHT);
    EXPECT_EQ(C().Cursor, 4);
}

TEST_F(ConsoleTest, BackspaceAndDeleteAtTheEnds) {
    Open();
    Type("abc");
    Press(VK_DELETE); // caret at the end: nothing after it
    EXPECT_EQ(C().EditLine, "abc");
    Press(VK_HOME);
    Press(VK_BACK); // caret at 0: nothing before it
    EXPECT_EQ(C().EditLine, "abc");
    EXPECT_EQ(C().Cursor, 0);
    Press(VK_DELETE);
    EXPECT_EQ(C().EditLine, "bc");
    Press(VK_END);
    Press(VK_BACK);
    EXPECT_EQ(C().EditLine, "b");
    EXPECT_EQ(C().Cursor, 1);
    Press(VK_BACK);
    Press(VK_BACK);
    EXPECT_EQ(C().EditLine, "");
    EXPECT_EQ(C().Cursor, 0);
}

TEST_F(ConsoleTest, TabCompletesTheFirstMatchingCommand) {
    RegisterCommands();
    Open();
    Type("s");
    Press(VK_TAB);
    EXPECT_EQ(C().EditLine, "ShowFPS ");
    EXPECT_EQ(C().Cursor, 8);
    Press(VK_TAB); // the trailing space matches nothing
    EXPECT_EQ(C().EditLine, "ShowFPS ");
    Press(VK_DOWN);
    Type("AI_M");
    Press(VK_TAB);
    EXPECT_EQ(C().EditLine, "ai_minturn ");
    Press(VK_DOWN);
    Type("ai");
    Press(VK_TAB);
    EXPECT_EQ(C().EditLine, "ai_dfc ");
    Press(VK_DOWN);
    Type("x");
    Press(VK_TAB);
    EXPECT_EQ(C().EditLine, "x");
}

TEST_F(ConsoleTest, TabOnAnEmptyLineDoesNothing) {
    RegisterCommands();
    Open();
    Press(VK_TAB);
    EXPECT_EQ(C().EditLine, "");
    EXPECT_EQ(C().Cursor, 0);
}

// A last step past the full height stops there at rest: the frames between that update and the
// next draw the panel still, not sliding on from the step before.
TEST_F(ConsoleTest, SlideThatOvershootsTheHeightEndsAtRestOnIt) {
    C().Height = 190;
    Press(VK_OEM_3);
    Idle(10); // 20 a step: the tenth would reach 200
    EXPECT_EQ(C().State, csOpen);
    EXPECT_EQ(C().Pos, 190);
    EXPECT_EQ(C().PrevPos, 190);
}

TEST_F(ConsoleTest, OpensInElevenUpdatesAfterTheToggle) {
    Press(VK_OEM_3);
    EXPECT_EQ(C().State, csOpening);
    EXPECT_EQ(C().Pos, 0);
    for (int I = 1; I <= 10; ++I) {
        Press('A', 'a'); // no typing while sliding
        EXPECT_EQ(C().State, csOpening) << I;
        EXPECT_EQ(C().Pos, 20.0f * I) << I;
        EXPECT_EQ(C().PrevPos, 20.0f * (I - 1)) << I;
    }
    Idle();
    EXPECT_EQ(C().State, csOpen);
    EXPECT_EQ(C().Pos, 200);
    EXPECT_EQ(C().PrevPos, 200);
    EXPECT_EQ(C().EditLine, "");
    Type("a");
    EXPECT_EQ(C().EditLine, "a");
}

TEST_F(ConsoleTest, ClosesInElevenUpdatesAndResetsTheEditor) {
    Open();
    Enter("one");
    Type("ab");
    for (int I = 0; I < 10; ++I)
        C().AddLine("x");
    Press(VK_PRIOR);
    ASSERT_EQ(C().Scroll, 1);
    Press(VK_OEM_3, '`'); // the toggle types no character
    EXPECT_EQ(C().State, csClosing);
    EXPECT_EQ(C().EditLine, "ab");
    EXPECT_EQ(C().Pos, 200);
    for (int I = 1; I <= 10; ++I) {
        Idle();
        EXPECT_EQ(C().Pos, 200 - 20.0f * I) << I;
    }
    EXPECT_EQ(C().EditLine, "ab");
    Idle();
    EXPECT_EQ(C().State, csClosing);
    EXPECT_EQ(C().Pos, 0);
    EXPECT_EQ(C().PrevPos, 0);
    EXPECT_EQ(C().EditLine, "");
    EXPECT_EQ(C().Cursor, 0);
    EXPECT_EQ(C().Scroll, 0);
    EXPECT_EQ(C().HistoryCount, 1); // the history itself stays
}

TEST_F(ConsoleTest, ClosedConsoleIsResetOnEveryUpdate) {
    Open();
    Press(VK_OEM_3);
    Idle(UPDATES_TO_SLIDE);
    C().EditLine = "left over";
    C().Cursor = 4;
    C().HistoryIndex = 2;
    Idle();
    EXPECT_EQ(C().EditLine, "");
    EXPECT_EQ(C().Cursor, 0);
    EXPECT_EQ(C().HistoryIndex, 0);
    Press(VK_OEM_3);
    EXPECT_EQ(C().State, csOpening);
    EXPECT_EQ(C().Pos, 0); // still going down in the update of the toggle, then clamped
}

TEST_F(ConsoleTest, ToggleWhileSlidingTurnsTheSlideAround) {
    Press(VK_OEM_3);
    Idle(3);
    Press(VK_OEM_3); // this update still goes up
    EXPECT_EQ(C().State, csClosing);
    EXPECT_EQ(C().Pos, 80);
    Idle();
    EXPECT_EQ(C().Pos, 60);
    Press(VK_OEM_3); // and this one still down
    EXPECT_EQ(C().State, csOpening);
    EXPECT_EQ(C().Pos, 40);
}

TEST_F(ConsoleTest, ReachingTheTopWinsOverAToggleInTheSameUpdate) {
    Press(VK_OEM_3);
    Idle(10);
    Press(VK_OEM_3);
    EXPECT_EQ(C().State, csOpen);
}

TEST_F(ConsoleTest, BackgroundDriftsInEveryState) {
    constexpr float DRIFT_TOLERANCE = 1e-6f;
    Idle(40); // hidden all along
    EXPECT_EQ(C().State, csHidden);
    EXPECT_NEAR(C().ScrollX, 0.2f, DRIFT_TOLERANCE);
    EXPECT_NEAR(C().Drift.y, 0.08f, DRIFT_TOLERANCE);
    double DriftX = 0;
    for (int I = 1; I <= 40; ++I)
        DriftX += std::sin(20 * 0.005 * I) / 100 + 0.001;
    EXPECT_NEAR(C().Drift.x, DriftX, DRIFT_TOLERANCE);
    EXPECT_EQ(C().Drift.z, 0);
}

// ---- Drawing ----

namespace {

std::string Describe(const TGLCall& Call) {
    std::string Text = Call.Name;
    char Number[32];
    for (double A : Call.Args) {
        std::snprintf(Number, sizeof Number, " %.9g", A);
        Text += Number;
    }
    if (!Call.Text.empty()) Text += " '" + Call.Text + "'";
    return Text;
}

std::string Expect(const std::string& Name, std::vector<double> Args,
                   const std::string& Text = "") {
    return Describe({Name, std::move(Args), Text});
}

std::vector<std::string> RecordDraw() {
    GLStartRecording();
    Console->Draw();
    GLStopRecording();
    std::vector<std::string> Calls;
    for (const TGLCall& Call : GLRecordedCalls())
        Calls.push_back(Describe(Call));
    return Calls;
}

} // namespace

TEST_F(ConsoleTest, DrawsNothingWhileHidden) {
    EXPECT_TRUE(RecordDraw().empty());
}

TEST_F(ConsoleTest, DrawsPanelTextAndCaretInOrder) {
    Open();
    Type("abc");
    Press(VK_LEFT);
    C().AddLine("older");
    C().AddLine("newest");
    C().PrevPos = 180;
    FrameAlpha = 0.5f;
    const double H = 190; // halfway between PrevPos and Pos
    const float S = C().TexRepeatS, T = C().TexRepeatT, SX = C().ScrollX, DX = C().Drift.x,
                DY = C().Drift.y;
    const double Tex = C().BackTexture;
    const TVec3 Colour = C().TextColor;

    std::vector<std::string> Expected = {
        Expect("Color3f", {1, 1, 1}),
        Expect("Disable", {GL_LIGHTING}),
        Expect("Disable", {GL_DEPTH_TEST}),
        Expect("Textures.Enable", {Tex, 0}),
        Expect("Textures.Enable", {Tex, 1}),
        Expect("Begin", {GL_QUADS}),
        Expect("MultiTexCoord2f", {GL_TEXTURE1, S + DX, DY}),
        Expect("MultiTexCoord2f", {GL_TEXTURE0, S + SX, 0}),
        Expect("Vertex2f", {1024, 0}),
        Expect("MultiTexCoord2f", {GL_TEXTURE1, DX, DY}),
        Expect("MultiTexCoord2f", {GL_TEXTURE0, SX, 0}),
        Expect("Vertex2f", {0, 0}),
        Expect("MultiTexCoord2f", {GL_TEXTURE1, DX, T + DY}),
        Expect("MultiTexCoord2f", {GL_TEXTURE0, SX, T}),
        Expect("Vertex2f", {0, H}),
        Expect("MultiTexCoord2f", {GL_TEXTURE1, S + DX, T + DY}),
        Expect("MultiTexCoord2f", {GL_TEXTURE0, S + SX, T}),
        Expect("Vertex2f", {1024, H}),
        Expect("End", {}),
        Expect("Textures.Disable", {0}),
        Expect("Textures.Disable", {1}),
        Expect("Color3f", {Colour.x, Colour.y, Colour.z}),
        Expect("Render.TextOut", {0, 15, H - 25}, "abc"),
        Expect("Begin", {GL_LINES}),
        Expect("Vertex2f", {2 * 8 + 15, H - 10}), // two characters before the caret, 8 px each
        Expect("Vertex2f", {2 * 8 + 24, H - 10}),
        Expect("End", {}),
        Expect("Render.TextOut", {0, 15, H - 25 - 17}, "newest"),
        Expect("Render.TextOut", {0, 15, H - 25 - 34}, "older"),
    };
    for (int I = 3; I <= 10; ++I)
        Expected.push_back(Expect("Render.TextOut", {0, 15, H - 25 - 17.0 * I}));
    Expected.push_back(Expect("Color3f", {1, 1, 1}));
    Expected.push_back(Expect("Enable", {GL_LIGHTING}));
    Expected.push_back(Expect("Enable", {GL_DEPTH_TEST}));
    EXPECT_EQ(RecordDraw(), Expected);
}

TEST_F(ConsoleTest, DrawsOnlyTheCaretWithoutTextOrOutput) {
    Press(VK_OEM_3);
    Idle(2); // opening, 40 px down
    FrameAlpha = 1;
    const std::vector<std::string> Calls = RecordDraw();
    int TextOuts = 0;
    for (const std::string& Call : Calls)
        TextOuts += Call.rfind("Render.TextOut", 0) == 0;
    EXPECT_EQ(TextOuts, 0);
    EXPECT_NE(std::find(Calls.begin(), Calls.end(), Expect("Vertex2f", {15, 30})), Calls.end());
    EXPECT_NE(std::find(Calls.begin(), Calls.end(), Expect("Vertex2f", {24, 30})), Calls.end());
    EXPECT_NE(std::find(Calls.begin(), Calls.end(), Expect("Vertex2f", {1024, 40})), Calls.end());
}

TEST_F(ConsoleTest, DrawingAfterEnterKeepsTheCaretInsideTheEmptyLine) {
    Open();
    Enter("abc"); // the caret is clamped only on the next update
    FrameAlpha = 0;
    const std::vector<std::string> Calls = RecordDraw();
    EXPECT_NE(std::find(Calls.begin(), Calls.end(), Expect("Vertex2f", {15, 190})), Calls.end());
}
