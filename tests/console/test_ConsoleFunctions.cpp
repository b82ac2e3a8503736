#include "console/ConsoleFunctions.h"

#include "app/variables.h"
#include "cars/dCars.h"
#include "cars/dRace.h"
#include "console/dConsole.h"
#include "engine/EngineHeadless.h"
#include "engine/Text1251.h"
#include "world/dCamera.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

// The race as the commands see it: six real cars, and a record of the levels asked for.
class TRaceStandIn final : public TRace {
public:
    std::vector<std::string> LoadedLevels;

    ~TRaceStandIn() override {
        for (TBasicCar* Car : Cars)
            delete Car;
    }
    bool LoadLevel(const std::string& Name) override {
        LoadedLevels.push_back(Name);
        return true;
    }
    void CarFinished(TBasicCar*) override {}
    void Update() override {}
    void Draw() override {}

    // The grid of a loaded level: the player's car first, then five computer cars.
    void Start() {
        CarCount = 6;
        Cars.push_back(new TPlayerCar);
        for (int I = 1; I < CarCount; ++I)
            Cars.push_back(new TAICar);
        Camera->Target = &Cars[0];
    }
    TAICar& Computer(int I) { return *static_cast<TAICar*>(Cars[size_t(I)]); }
};

// A computer car of a kind of its own: not exactly a TAICar.
class TTunedAICar final : public TAICar {};

class CommandTest : public ::testing::Test {
protected:
    THeadlessEngine E;
    TRaceStandIn* Race = nullptr;

    void SetUp() override {
        UseEngine(&E);
        Console = new TConsole;
        RegisterCommands();
        Camera = new TCamera;
        Race = new TRaceStandIn;
        GameManager = Race;
    }
    void TearDown() override {
        delete Race;
        GameManager = nullptr;
        delete Camera;
        Camera = nullptr;
        delete Console;
        Console = nullptr;
        ShowFPS = 0;
        UseEngine(nullptr);
    }

    // Runs the line and gives what it printed after its echo, oldest first.
    std::vector<std::string> Run(const std::string& Line) {
        const int32_t Before = Console->LineCount;
        Console->Execute(Line);
        std::vector<std::string> Printed;
        for (int32_t I = Console->LineCount - Before - 2; I >= 0; --I)
            Printed.push_back(Console->Lines[size_t(I)]);
        return Printed;
    }
    TBasicCar* Followed() const { return Camera->Target ? *Camera->Target : nullptr; }
    // A decimal number as the user's locale writes it.
    static std::string Decimal(const std::string& WithPoint) {
        std::string Text = WithPoint;
        for (char& Ch : Text)
            if (Ch == '.') Ch = LocaleDecimalSeparator();
        return Text;
    }
};

using Lines = std::vector<std::string>;

std::string NotANumber(const std::string& Word) {
    return Win1251("Не число: ") + Word;
}

} // namespace

TEST_F(CommandTest, RegistersTheCommandsInOrderWithTheirHelp) {
    const std::vector<std::pair<std::string, std::string>> Expected = {
        {"Quit", "Выход из игры"},
        {"Follow", "Следить"},
        {"LoadLevel", "загрузка уровня"},
        {"ShowFPS", "Отображать FPS? Может быть 0 или 1"},
        {"Sound", "Включить звук? Может быть 0 или 1"},
        {"Volume", "Громкость звука, от 0 до 100"},
        {"ai_dfc", "Задай DistFromCenter для интеллекта"},
        {"ai_tck", "Задай ToCenterKoef для интеллекта"},
        {"ai_minturn", "Задай minturn для интеллекта"},
    };
    ASSERT_EQ(Console->ProcCount, 11);
    for (size_t I = 0; I < Expected.size(); ++I) {
        EXPECT_EQ(Console->Procs[I + 2].Name, Expected[I].first);
        EXPECT_EQ(Console->Procs[I + 2].Help, Win1251(Expected[I].second));
    }
    EXPECT_EQ(Console->LineCount, 0);
    EXPECT_EQ(Run("Help ai_tck"), Lines{Win1251("Задай ToCenterKoef для интеллекта")});
}

TEST_F(CommandTest, QuitEndsTheGameWithOrWithoutAnArgument) {
    EXPECT_EQ(Run("quit"), Lines{});
    EXPECT_TRUE(E.QuitRequested);
    E.QuitRequested = false;
    Run("Quit now");
    EXPECT_TRUE(E.QuitRequested);
}

TEST_F(CommandTest, FollowPointsTheCameraAtCarN) {
    Race->Start();
    EXPECT_EQ(Run("Follow 5"), Lines{});
    EXPECT_EQ(Camera->Target, &Race->Cars[5]);
    Run("Follow +2 and more");
    EXPECT_EQ(Camera->Target, &Race->Cars[2]);
    Run("follow 0");
    EXPECT_EQ(Followed(), Race->Cars[0]);
}

TEST_F(CommandTest, FollowOutsideTheCarsChangesNothing) {
    Race->Start();
    Run("Follow 3");
    EXPECT_EQ(Run("Follow 6"), Lines{});
    EXPECT_EQ(Run("Follow -1"), Lines{});
    EXPECT_EQ(Run("Follow"), Lines{});
    EXPECT_EQ(Camera->Target, &Race->Cars[3]);
}

TEST_F(CommandTest, FollowBeforeTheFirstLevelChangesNothing) {
    EXPECT_EQ(Run("Follow 0"), Lines{});
    EXPECT_EQ(Camera->Target, nullptr);
}

TEST_F(CommandTest, FollowWithANonNumberSaysSoAndChangesNothing) {
    Race->Start();
    Run("Follow 4");
    EXPECT_EQ(Run("Follow x"), Lines{NotANumber("x")});
    EXPECT_EQ(Run("Follow 2x"), Lines{NotANumber("2x")});
    EXPECT_EQ(Run("Follow 1.0"), Lines{NotANumber("1.0")});
    EXPECT_EQ(Run("Follow 4294967297"), Lines{NotANumber("4294967297")}); // 1 modulo 2^32
    EXPECT_EQ(Camera->Target, &Race->Cars[4]);
}

TEST_F(CommandTest, LoadLevelLoadsAnExistingMapByTheNameGiven) {
    const TScratchWorkingDirectory Scratch("marvolin-console");
    std::filesystem::create_directories("data/maps");
    std::ofstream("data/maps/map1.map") << "map";
    EXPECT_EQ(Run("LoadLevel map1"), Lines{});
    EXPECT_EQ(Run("loadlevel MAP1"), Lines{}); // file names match in any letter case
    EXPECT_EQ(Race->LoadedLevels, (Lines{"map1", "MAP1"}));
}

TEST_F(CommandTest, LoadLevelOfAMissingMapSaysSo) {
    const TScratchWorkingDirectory Scratch("marvolin-console");
    EXPECT_EQ(Run("LoadLevel map99"), Lines{Win1251("Карты map99 не существует")});
    EXPECT_EQ(Run("LoadLevel"), Lines{});
    EXPECT_TRUE(Race->LoadedLevels.empty());
}

TEST_F(CommandTest, ShowFPSSetsAndPrintsTheSwitch) {
    EXPECT_EQ(Run("ShowFPS"), Lines{"ShowFPS is 0"});
    Run("ShowFPS 1");
    EXPECT_EQ(ShowFPS, 1);
    Run("ShowFPS 2");
    EXPECT_EQ(ShowFPS, 2);
    EXPECT_EQ(Run("showfps"), Lines{"ShowFPS is 2"});
    Run("ShowFPS -1");
    EXPECT_EQ(ShowFPS, -1);
}

TEST_F(CommandTest, ShowFPSWithANonNumberSaysSoAndKeepsTheValue) {
    Run("ShowFPS 1");
    EXPECT_EQ(Run("ShowFPS 1.5"), Lines{NotANumber("1.5")});
    EXPECT_EQ(Run("ShowFPS on"), Lines{NotANumber("on")});
    EXPECT_EQ(Run("ShowFPS 2147483648"), Lines{NotANumber("2147483648")});
    EXPECT_EQ(ShowFPS, 1);
}

TEST_F(CommandTest, SoundAndVolumeSetAndPrintTheSoundServicesSwitchAndVolume) {
    EXPECT_EQ(Run("Sound"), Lines{"Sound is 1"});
    EXPECT_EQ(Run("Volume"), Lines{"Volume is 100"});
    Run("Sound 0");
    EXPECT_FALSE(E.Sounds()->Enabled());
    Run("volume 35");
    EXPECT_EQ(E.Sounds()->Volume(), 35);
    EXPECT_EQ(Run("Sound"), Lines{"Sound is 0"});
    EXPECT_EQ(Run("Volume 250"), Lines{});
    EXPECT_EQ(Run("Volume"), Lines{"Volume is 100"}); // held to the range
    EXPECT_EQ(Run("Sound on"), Lines{NotANumber("on")});
    EXPECT_FALSE(E.Sounds()->Enabled());
    Run("Sound 1");
    EXPECT_TRUE(E.Sounds()->Enabled());
}

TEST_F(CommandTest, TuningVariablesPrintTheFollowedComputerCarsValues) {
    Race->Start();
    Run("Follow 3");
    EXPECT_EQ(Run("ai_dfc"), Lines{Decimal("0.300000011920929")});
    EXPECT_EQ(Run("ai_tck"), Lines{Decimal("0.00999999977648258")});
    EXPECT_EQ(Run("ai_minturn"), Lines{"5"});
    Run("Follow 0");
    EXPECT_EQ(Run("ai_dfc"), Lines{});
    EXPECT_EQ(Run("ai_tck"), Lines{});
    EXPECT_EQ(Run("ai_minturn"), Lines{});
}

TEST_F(CommandTest, TuningVariablesChangeOnlyTheFollowedCar) {
    Race->Start();
    Run("Follow 3");
    EXPECT_EQ(Run("ai_dfc " + Decimal("0.25")), Lines{});
    Run("ai_tck " + Decimal("-1.5e-2"));
    Run("AI_MINTURN 7");
    EXPECT_EQ(Race->Computer(3).DistFromCenter, 0.25f);
    EXPECT_EQ(Race->Computer(3).ToCenterKoef, -0.015f);
    EXPECT_EQ(Race->Computer(3).MinTurn, 7.0f);
    for (int I : {1, 2, 4, 5}) {
        EXPECT_EQ(Race->Computer(I).DistFromCenter, 0.3f) << I;
        EXPECT_EQ(Race->Computer(I).ToCenterKoef, 0.01f) << I;
        EXPECT_EQ(Race->Computer(I).MinTurn, 5.0f) << I;
    }
    EXPECT_EQ(Run("ai_dfc"), Lines{Decimal("0.25")});
    Run("Follow 0");
    EXPECT_EQ(Run("ai_dfc 1"), Lines{}); // the player's car has no such variable
    Run("Follow 3");
    EXPECT_EQ(Run("ai_dfc"), Lines{Decimal("0.25")});
}

TEST_F(CommandTest, TuningVariablesRefuseNonNumbers) {
    Race->Start();
    Run("Follow 2");
    for (const std::string Word : {"abc", "nan", "inf", "1e39", "0.5.", "0.5x"})
        EXPECT_EQ(Run("ai_dfc " + Word), Lines{NotANumber(Word)}) << Word;
    EXPECT_EQ(Race->Computer(2).DistFromCenter, 0.3f);
}

TEST_F(CommandTest, TuningVariablesDoNothingBeforeTheFirstLevel) {
    for (const char* Line :
         {"ai_dfc", "ai_tck", "ai_minturn", "ai_dfc 1", "ai_tck x", "ai_minturn 2"})
        EXPECT_EQ(Run(Line), Lines{}) << Line;
}

TEST_F(CommandTest, OnlyExactlyAComputerCarIsTuned) {
    Race->Start();
    delete Race->Cars[1];
    Race->Cars[1] = new TTunedAICar;
    Run("Follow 1");
    EXPECT_EQ(Run("ai_dfc"), Lines{});
    Run("ai_dfc 2");
    EXPECT_EQ(Race->Computer(1).DistFromCenter, 0.3f);
}

TEST_F(CommandTest, CommandsLeaveTheProcessLocaleAlone) {
    Race->Start();
    Run("Follow 1");
    Run("ai_dfc");
    Run("ai_dfc 1");
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    char Text[16];
    std::snprintf(Text, sizeof Text, "%.1f", 0.5);
    EXPECT_STREQ(Text, "0.5");
}

TEST(ConsoleNumbers, FloatsUseTheGivenSeparator) {
    float Value = 0;
    EXPECT_TRUE(ParseConsoleFloat("0,5", ',', Value));
    EXPECT_EQ(Value, 0.5f);
    EXPECT_TRUE(ParseConsoleFloat("+1.5", '.', Value));
    EXPECT_EQ(Value, 1.5f);
    EXPECT_TRUE(ParseConsoleFloat("-2", '.', Value));
    EXPECT_EQ(Value, -2.0f);
    EXPECT_TRUE(ParseConsoleFloat("1e3", '.', Value));
    EXPECT_EQ(Value, 1000.0f);
    Value = 7;
    for (const char* Word : {"0.5", "", "+", "+-1", "1,5.0"})
        EXPECT_FALSE(ParseConsoleFloat(Word, ',', Value)) << Word;
    EXPECT_FALSE(ParseConsoleFloat("0,5", '.', Value));
    EXPECT_EQ(Value, 7.0f);

    EXPECT_EQ(FormatConsoleFloat(0.3f, ','), "0,300000011920929");
    EXPECT_EQ(FormatConsoleFloat(-0.5f, ','), "-0,5");
    EXPECT_EQ(FormatConsoleFloat(5, '.'), "5");
    EXPECT_EQ(FormatConsoleFloat(123456.0f, '.'), "123456");
}

TEST(ConsoleNumbers, IntegersAreWholeSignedInt32Words) {
    int32_t Value = 0;
    EXPECT_TRUE(ParseConsoleInt("+5", Value));
    EXPECT_EQ(Value, 5);
    EXPECT_TRUE(ParseConsoleInt("-2147483648", Value));
    EXPECT_EQ(Value, INT32_MIN);
    Value = 9;
    for (const char* Word : {"", "-", "2147483648", "1.5", "+-1", "0x10", "5 ", "1e2"})
        EXPECT_FALSE(ParseConsoleInt(Word, Value)) << Word;
    EXPECT_EQ(Value, 9);
}
