// The engine pieces that need no display: game file names, Windows-1251 text, the log, the GL call
// recorder and the headless back-end's clock and input.
#include "engine/Engine.h"
#include "engine/EngineHeadless.h"
#include "engine/Files.h"
#include "engine/GL.h"
#include "engine/Paths.h"
#include "engine/Text1251.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// A folder tree of game data in a temporary folder, removed afterwards:
//   Data/Textures/Console.JPG, Data/Maps/map1.map, Data/Maps/MAP1.map (two spellings of one name)
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(Root / "Data" / "Textures");
        fs::create_directories(Root / "Data" / "Maps");
        std::ofstream(Root / "Data" / "Textures" / "Console.JPG") << "jpeg";
        std::ofstream(Root / "Data" / "Maps" / "map1.map") << "lower";
        std::ofstream(Root / "Data" / "Maps" / "MAP1.map") << "upper";
    }
    std::string Under(const std::string& Name) const { return Root.string() + "/" + Name; }
    const TScratchFolder Scratch{"marvolin-files"};
    const fs::path Root = Scratch.Path;
};

TEST_F(FilesTest, NamesResolveIgnoringCaseWithEitherSeparator) {
    const std::string Expected = (Root / "Data" / "Textures" / "Console.JPG").string();
    EXPECT_EQ(ResolvePath(Under("DATA\\Textures\\console.jpg")), Expected);
    EXPECT_EQ(ResolvePath(Under("data/textures/CONSOLE.jpg")), Expected);
    EXPECT_EQ(ResolvePath(Under("data\\textures/console.JPG")), Expected);
    EXPECT_EQ(ResolvePath(Under("data//textures/./console.jpg")), Expected);
    EXPECT_TRUE(FileExists(Under("DATA\\TEXTURES\\CONSOLE.JPG")));
}

TEST_F(FilesTest, AnExactSpellingWinsOverOtherCases) {
    EXPECT_EQ(ResolvePath(Under("Data/Maps/MAP1.map")), (Root / "Data/Maps/MAP1.map").string());
    EXPECT_EQ(ResolvePath(Under("Data/Maps/map1.map")), (Root / "Data/Maps/map1.map").string());
    // Neither spelled so: the first in name order, whatever order the folder lists in.
    EXPECT_EQ(ResolvePath(Under("Data/Maps/Map1.map")), (Root / "Data/Maps/MAP1.map").string());
}

TEST_F(FilesTest, AMissingPartGivesTheNameWithSlashes) {
    EXPECT_EQ(ResolvePath(Under("data\\nowhere\\console.jpg")), Under("data/nowhere/console.jpg"));
    EXPECT_EQ(ResolvePath(Under("data\\textures\\nothing.jpg")),
              Under("data/textures/nothing.jpg"));
    EXPECT_FALSE(FileExists(Under("data\\textures\\nothing.jpg")));
    EXPECT_FALSE(FileExists(Under("data\\textures"))) << "a folder is not a file";
}

TEST_F(FilesTest, DotDotStepsOutOfAFolder) {
    EXPECT_TRUE(FileExists(Under("data\\maps\\..\\textures\\console.jpg")));
    EXPECT_TRUE(FileExists(Under("data/maps/../../Data/Textures/console.jpg")));
}

TEST_F(FilesTest, RelativeNamesResolveFromTheWorkingFolder) {
    const fs::path Before = fs::current_path();
    fs::current_path(Root);
    const bool Found = FileExists("DATA\\textures\\console.jpg");
    const std::string Resolved = ResolvePath("data\\Textures\\CONSOLE.JPG");
    fs::current_path(Before);
    EXPECT_TRUE(Found);
    EXPECT_EQ(Resolved, "Data/Textures/Console.JPG");
}

TEST_F(FilesTest, ReadWholeFileReadsBytesOrThrowsNamingTheFile) {
    const std::vector<uint8_t> Bytes = ReadWholeFile(Under("DATA\\MAPS\\map1.map"));
    EXPECT_EQ(std::string(Bytes.begin(), Bytes.end()), "lower");
    try {
        ReadWholeFile(Under("data\\maps\\map99.map"));
        ADD_FAILURE() << "no error";
    } catch (const TFileError& Error) {
        EXPECT_NE(std::string(Error.what()).find("map99.map"), std::string::npos);
    }
    EXPECT_THROW(ReadWholeFile(Under("data\\maps")), TFileError) << "a folder";
}

// ---- Where the data and the log are ----------------------------------------------------------

TEST_F(FilesTest, GameNamesResolveInTheDataFolderAndOtherNamesStay) {
    const TScratchWorkingDirectory Elsewhere("marvolin-elsewhere");
    std::ofstream("notes.txt") << "mine";
    SetDataFolder((Root / "Data").string());
    const std::string Map = ResolvePath("DATA\\maps\\map1.map");
    const std::string Dotted = ResolvePath("./data/Textures/console.jpg");
    const bool Other = FileExists("notes.txt");
    const bool Absolute = FileExists(Under("Data/Maps/MAP1.map"));
    const std::string Missing = ResolvePath("data\\maps\\map99.map");
    SetDataFolder("");
    const bool Restored = FileExists("data\\maps\\map1.map");
    EXPECT_EQ(Map, (Root / "Data/Maps/map1.map").string());
    EXPECT_EQ(Dotted, (Root / "Data/Textures/Console.JPG").string());
    EXPECT_TRUE(Other) << "a name outside data/ stays in the working folder";
    EXPECT_TRUE(Absolute);
    EXPECT_EQ(Missing, (Root / "Data").string() + "/maps/map99.map")
        << "named where it was looked for";
    EXPECT_FALSE(Restored) << "the working folder has no data/";
}

TEST_F(FilesTest, TheWorkingFoldersDataWinsOverTheInstalledOne) {
    EXPECT_EQ(InstalledDataFolder("/opt/game/bin"), "/opt/game/share/marvolin/data");
    EXPECT_EQ(InstalledDataFolder("/opt/game/bin/"), "/opt/game/share/marvolin/data");
    const std::string Installed = (Root / "Data").string();
    const TScratchWorkingDirectory Elsewhere("marvolin-elsewhere");
    EXPECT_EQ(ChooseDataFolder(Installed), Installed);
    EXPECT_NE(DataFolderLine(Installed, Installed).find(Installed), std::string::npos);
    EXPECT_EQ(ChooseDataFolder(Under("nowhere")), "");
    EXPECT_EQ(DataFolderLine("", Under("nowhere")).rfind("warning:", 0), 0u)
        << "neither place holds data";
    fs::create_directory("DATA");
    EXPECT_EQ(ChooseDataFolder(Installed), "") << "data/ in any case counts";
}

TEST(LogFolder, TheWorkingFolderWhenWritableElseTheStateHome) {
    EXPECT_EQ(LogFolderFor(true, "/state", "/home/u"), ".");
    EXPECT_EQ(LogFolderFor(false, "/state", "/home/u"), "/state/marvolin");
    EXPECT_EQ(LogFolderFor(false, "/state/", "/home/u"), "/state/marvolin");
    EXPECT_EQ(LogFolderFor(false, nullptr, "/home/u"), "/home/u/.local/state/marvolin");
    EXPECT_EQ(LogFolderFor(false, "", "/home/u"), "/home/u/.local/state/marvolin");
    EXPECT_EQ(LogFolderFor(false, "state", "/home/u"), "/home/u/.local/state/marvolin")
        << "a relative XDG_STATE_HOME is ignored";
    EXPECT_TRUE(fs::exists(fs::path(ExecutableFolder()) / "test_engine"));
}

// ---- Windows-1251 ------------------------------------------------------------------------------

TEST(Text1251, RussianTextConvertsBothWays) {
    const std::string Text = Win1251("Выбери машину");
    ASSERT_EQ(Text.size(), 13u);
    EXPECT_EQ(uint8_t(Text[0]), 0xC2); // В
    EXPECT_EQ(uint8_t(Text[1]), 0xFB); // ы
    EXPECT_EQ(Text[6], ' ');
    EXPECT_EQ(Utf8From1251(Text), "Выбери машину");
    const std::string Yo = Win1251("Ёё");
    ASSERT_EQ(Yo.size(), 2u);
    EXPECT_EQ(uint8_t(Yo[0]), 0xA8);
    EXPECT_EQ(uint8_t(Yo[1]), 0xB8);
    EXPECT_EQ(Win1251("Hello, 123"), "Hello, 123");
}

TEST(Text1251, EveryAssignedByteSurvivesTheRoundTrip) {
    for (int B = 1; B < 256; ++B) {
        if (B == 0x98) continue;
        const std::string One(1, char(B));
        EXPECT_EQ(Win1251(Utf8From1251(One)), One) << "byte " << B;
        EXPECT_EQ(ByteOf1251(CodePointOf1251(uint8_t(B))), B);
    }
}

TEST(Text1251, TheUnassignedByteAndMissingCharactersBecomeReplacements) {
    EXPECT_EQ(CodePointOf1251(0x98), char32_t(0xFFFD));
    EXPECT_EQ(ByteOf1251(0xFFFD), -1);
    EXPECT_EQ(Utf8From1251("\x98"), "\xEF\xBF\xBD");
    EXPECT_EQ(Win1251("\xEF\xBF\xBD"), "?");
    EXPECT_EQ(Win1251("日本"), "??");
    EXPECT_EQ(ByteOf1251(U'€'), 0x88);
    EXPECT_EQ(ByteOf1251(U'№'), 0xB9);
}

TEST(Text1251, BrokenUtf8GivesOneQuestionMarkPerBadByte) {
    EXPECT_EQ(Win1251("\xD0"), "?") << "cut short";
    EXPECT_EQ(Win1251("\xD0"
                      "A"),
              "?A")
        << "no continuation byte: the A stays";
    EXPECT_EQ(Win1251("\x80z"), "?z") << "a stray continuation byte";
    EXPECT_EQ(Win1251("\xFF\xFE"), "??");
    EXPECT_EQ(Win1251("a\xE2\x84"), "a??") << "a three-byte sequence cut after two";
}

TEST(Text1251, DecodingReadsOnlyTheFirstWholeSequence) {
    size_t Length = 99;
    EXPECT_EQ(DecodeUtf8("Az", Length), U'A');
    EXPECT_EQ(Length, 1u);
    EXPECT_EQ(DecodeUtf8("\xD1\x86z", Length), U'ц'); // what the W key types on a Russian layout
    EXPECT_EQ(Length, 2u);
    EXPECT_EQ(DecodeUtf8("\xE2\x84\x96", Length), U'№');
    EXPECT_EQ(Length, 3u);
    EXPECT_EQ(DecodeUtf8("\xF0\x9F\x98\x80", Length), char32_t(0x1F600));
    EXPECT_EQ(Length, 4u);
    for (const char* Broken : {"", "\x80", "\xD1", "\xD1z", "\xF8\x80\x80\x81"}) {
        DecodeUtf8(Broken, Length);
        EXPECT_EQ(Length, 0u) << "\"" << Broken << "\"";
    }
}

// ---- log ---------------------------------------------------------------------------------------

TEST(Log, LinesReachTheFileAsTheyAreWritten) {
    const TScratchFolder Scratch("marvolin-log");
    const fs::path File = Scratch.Path / "log.txt";
    ASSERT_TRUE(exLogOpen(File.string()));
    exLog("first line");
    exLog("second line");
    const std::string WhileOpen = Slurp(File); // no close: flushed already
    exLogClose();
    EXPECT_NE(WhileOpen.find("first line\n"), std::string::npos) << WhileOpen;
    EXPECT_LT(WhileOpen.find("first line"), WhileOpen.find("second line"));
    ASSERT_TRUE(exLogOpen(File.string()));
    exLogClose();
    EXPECT_EQ(Slurp(File), "") << "opening starts the log afresh";
}

TEST(Log, WarningsAlsoGoToStandardError) {
    const TScratchFolder Scratch("marvolin-log");
    const fs::path File = Scratch.Path / "log.txt";
    ASSERT_TRUE(exLogOpen(File.string()));
    ::testing::internal::CaptureStderr();
    exLog("plain news");
    exLog("warning: something to see");
    const std::string Shown = ::testing::internal::GetCapturedStderr();
    exLogClose();
    EXPECT_EQ(Shown, "warning: something to see\n");
}

// ---- GL call recording -------------------------------------------------------------------------

TEST(GLRecording, RecordsCallsInOrderWithTheirArgumentsWhileOn) {
    THeadlessEngine Engine;
    glColor3f(1, 0, 0); // before recording: not kept
    GLStartRecording();
    glBegin(GL_QUADS);
    glVertex2f(1.5f, -2);
    const GLfloat Colour[3] = {0.25f, 0.5f, 0.75f};
    glColor3fv(Colour);
    glEnd();
    Engine.Textures()->Enable(7, 1);
    Engine.Render()->TextOut(0, "Hi", 10, 20);
    GLStopRecording();
    glEnd(); // after: not kept
    const std::vector<TGLCall>& Calls = GLRecordedCalls();
    ASSERT_EQ(Calls.size(), 6u);
    EXPECT_EQ(Calls[0].Name, "Begin");
    EXPECT_EQ(Calls[0].Args, std::vector<double>{GL_QUADS});
    EXPECT_EQ(Calls[1].Name, "Vertex2f");
    EXPECT_EQ(Calls[1].Args, (std::vector<double>{1.5, -2}));
    EXPECT_EQ(Calls[2].Args, (std::vector<double>{0.25, 0.5, 0.75}));
    EXPECT_EQ(Calls[3].Name, "End");
    EXPECT_EQ(Calls[4].Name, "Textures.Enable");
    EXPECT_EQ(Calls[4].Args, (std::vector<double>{7, 1}));
    EXPECT_EQ(Calls[5].Name, "Render.TextOut");
    EXPECT_EQ(Calls[5].Text, "Hi");
    EXPECT_FALSE(GLIsRecording());
    GLStartRecording();
    EXPECT_TRUE(GLRecordedCalls().empty()) << "starting again clears the list";
    GLStopRecording();
}

// ---- headless engine ---------------------------------------------------------------------------

THeadlessEngine* Current = nullptr;
std::vector<int> Keys, Chars, Wheels, Times;

void RecordInput() {
    Keys.push_back(Current->Input()->LastKey());
    Chars.push_back(Current->Input()->LastChar());
    Wheels.push_back(Current->Input()->Wheel());
    Times.push_back(Current->Time());
}

class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override {
        Current = &Engine;
        Keys.clear();
        Chars.clear();
        Wheels.clear();
        Times.clear();
        Engine.SetCallback(CALLBACK_UPDATE, RecordInput);
    }
    void TearDown() override { Current = nullptr; }
    THeadlessEngine Engine;
};

TEST_F(HeadlessTest, EachPressIsReportedInExactlyOneUpdateInOrder) {
    Engine.QueuePress('A', 'a');
    Engine.QueuePress(VK_RETURN, 13);
    Engine.QueuePress(VK_MOUSE_LEFT);
    for (int I = 0; I < 4; ++I)
        Engine.StepUpdate();
    EXPECT_EQ(Keys, (std::vector<int>{'A', VK_RETURN, VK_MOUSE_LEFT, VK_NONE}));
    EXPECT_EQ(Chars, (std::vector<int>{'a', 13, 0, 0}));
    Engine.QueuePress(VK_ESCAPE);
    Engine.StepUpdate();
    EXPECT_EQ(Keys.back(), VK_ESCAPE) << "a press after an empty update";
}

TEST_F(HeadlessTest, WheelStepsAddUpUntilTheNextUpdate) {
    Engine.QueueWheel(2);
    Engine.QueueWheel(-5);
    Engine.StepUpdate();
    Engine.StepUpdate();
    Engine.QueueWheel(1);
    Engine.StepUpdate();
    EXPECT_EQ(Wheels, (std::vector<int>{-3, 0, 1}));
}

TEST_F(HeadlessTest, HeldKeysAndCursorAreWhatTheScriptSays) {
    Engine.SetKeyDown('W', true);
    Engine.SetKeyDown(VK_SPACE, true);
    Engine.SetKeyDown(VK_SPACE, false);
    EXPECT_TRUE(Engine.Input()->Down('W'));
    EXPECT_FALSE(Engine.Input()->Down(VK_SPACE));
    Engine.ReleaseAllKeys();
    EXPECT_FALSE(Engine.Input()->Down('W'));
    Engine.SetCursor(300, 400);
    int X = 0, Y = 0;
    Engine.Input()->CursorPos(X, Y);
    EXPECT_EQ(X, 300);
    EXPECT_EQ(Y, 400);
}

TEST_F(HeadlessTest, FpsCountsTheFramesOfTheLastSecond) {
    for (int T : {0, 500, 999, 1000}) {
        Engine.SetTime(T);
        Engine.StepFrame();
    }
    EXPECT_EQ(Engine.Render()->FPS(), 3) << "the frame at 0 is a second old";
    Engine.SetTime(1999);
    EXPECT_EQ(Engine.Render()->FPS(), 1);
    Engine.SetTime(5000);
    EXPECT_EQ(Engine.Render()->FPS(), 0);
}

TEST_F(HeadlessTest, RunStepsTheClockAndStopsAtQuitOrTheLimit) {
    Engine.MaxRunUpdates = 5;
    Engine.Run(UPDATES_PER_SECOND);
    EXPECT_EQ(Times, (std::vector<int>{25, 50, 75, 100, 125}));
    Times.clear();
    Engine.Run(0); // no rate: the game's 40
    EXPECT_EQ(Times.size(), 5u);
    Engine.Quit();
    Times.clear();
    Engine.Run(UPDATES_PER_SECOND);
    EXPECT_TRUE(Times.empty()) << "a quit before Run returns at once";
}

TEST_F(HeadlessTest, TexturesAndFontsGetDistinctHandlesAndFontZeroExists) {
    const int A = Engine.Textures()->Load("data\\textures\\road.jpg", 0, 1, 0);
    const unsigned char Pixels[4] = {1, 2, 3, 4};
    const int B = Engine.Textures()->Create("DefaultBlur.tga", 4, GL_RGBA, 1, 1, Pixels, 0, 1, 0);
    EXPECT_NE(A, 0);
    EXPECT_NE(A, B);
    ASSERT_EQ(Engine.TextureLog.size(), 2u);
    EXPECT_EQ(Engine.TextureLog[size_t(B) - 1].Pixels, (std::vector<unsigned char>{1, 2, 3, 4}));
    Engine.Textures()->Free(A);
    EXPECT_TRUE(Engine.TextureLog[size_t(A) - 1].Freed);
    EXPECT_EQ(Engine.FontLog.size(), 1u);
    EXPECT_EQ(Engine.Render()->Fonts()->Create("Arial", 20, 0, 512), 1);
    EXPECT_EQ(Engine.Render()->TextWidth(0, "abc"), 3 * THeadlessEngine::CHAR_WIDTH_PX);
}

} // namespace
