#include "console/ConsoleFunctions.h"

#include "app/variables.h"
#include "cars/dCars.h"
#include "cars/dRace.h"
#include "console/dConsole.h"
#include "engine/Files.h"
#include "engine/Text1251.h"
#include "world/dCamera.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <langinfo.h>
#include <locale.h>
#include <string_view>
#include <typeinfo>

namespace {

constexpr int FLOAT_DIGITS = 15; // significant digits of a printed value

// The first argument of the line being executed, null when the command word stands alone.
const std::string* Argument() {
    return Console->Args.size() >= 2 ? &Console->Args[1] : nullptr;
}

void SayNotANumber(const std::string& Word) {
    Console->AddLine(Win1251("Не число: ") + Word);
}

// A number may carry a leading '+' (the parsers below take only '-'); a second sign stays and
// fails.
std::string_view WithoutPlus(std::string_view Text) {
    if (Text.size() > 1 && Text[0] == '+' && Text[1] != '-' && Text[1] != '+')
        Text.remove_prefix(1);
    return Text;
}

// The car the camera follows when it is exactly a computer car (the player's car never is); null
// before the first level and for the player's car.
TAICar* FollowedComputerCar() {
    if (!Camera || !Camera->Target || !*Camera->Target) return nullptr;
    TBasicCar* Car = *Camera->Target;
    return typeid(*Car) == typeid(TAICar) ? static_cast<TAICar*>(Car) : nullptr;
}

// With an argument: sets the followed computer car's parameter; without: prints it.
void TuneFollowedCar(float TAICar::*Parameter, const std::string& Command) {
    TAICar* Car = FollowedComputerCar();
    if (!Car) return;
    const char Separator = LocaleDecimalSeparator();
    const std::string* Arg = Argument();
    if (!Arg) {
        Console->AddLine(FormatConsoleFloat(Car->*Parameter, Separator));
        return;
    }
    float Value = 0;
    if (!ParseConsoleFloat(*Arg, Separator, Value)) {
        SayNotANumber(*Arg);
        return;
    }
    int32_t Index = 0; // the car's entry in the race manager's Cars
    while (GameManager && size_t(Index) < GameManager->Cars.size() &&
           GameManager->Cars[size_t(Index)] != Car)
        ++Index;
    if (!GameManager || GameManager->TuningAllowed(Index, Command, Value)) Car->*Parameter = Value;
}

void CmdQuit() {
    Engine->Quit();
}

void CmdFollow() {
    const std::string* Arg = Argument();
    if (!Arg) return;
    int32_t N = 0;
    if (!ParseConsoleInt(*Arg, N)) {
        SayNotANumber(*Arg);
        return;
    }
    if (GameManager && Camera && N >= 0 && N < GameManager->CarCount &&
        size_t(N) < GameManager->Cars.size())
        Camera->Target = &GameManager->Cars[size_t(N)];
}

// The log keeps what the console loaded, or refused, beside what the engine did then.
void CmdLoadLevel() {
    const std::string* Arg = Argument();
    if (!Arg) return;
    if (!FileExists(LevelFile(*Arg))) {
        Console->AddLine(NoSuchMapLine(*Arg));
        exLog("console: LoadLevel " + *Arg + ": no such map");
    } else if (GameManager) {
        exLog("console: LoadLevel " + *Arg +
              (GameManager->LoadLevel(*Arg) ? ": the race starts" : ": the map is refused"));
    }
}

void CmdShowFPS() {
    const std::string* Arg = Argument();
    if (!Arg) {
        Console->AddLine("ShowFPS is " + std::to_string(ShowFPS));
        return;
    }
    int32_t Value = 0;
    if (ParseConsoleInt(*Arg, Value))
        ShowFPS = Value;
    else
        SayNotANumber(*Arg);
}

// With an argument: sets a whole-number setting of the sound service; without: prints it.
void SoundSetting(const char* Name, int (*Get)(), void (*Put)(int32_t)) {
    if (!Sounds) return;
    const std::string* Arg = Argument();
    if (!Arg) {
        Console->AddLine(std::string(Name) + " is " + std::to_string(Get()));
        return;
    }
    int32_t Value = 0;
    if (ParseConsoleInt(*Arg, Value))
        Put(Value);
    else
        SayNotANumber(*Arg);
}

void CmdSound() {
    SoundSetting(
        "Sound", [] { return Sounds->Enabled() ? 1 : 0; },
        [](int32_t On) { Sounds->SetEnabled(On != 0); });
}

void CmdVolume() {
    SoundSetting(
        "Volume", [] { return Sounds->Volume(); },
        [](int32_t Percent) { Sounds->SetVolume(Percent); });
}

void CmdAiDfc() {
    TuneFollowedCar(&TAICar::DistFromCenter, "ai_dfc");
}
void CmdAiTck() {
    TuneFollowedCar(&TAICar::ToCenterKoef, "ai_tck");
}
void CmdAiMinTurn() {
    TuneFollowedCar(&TAICar::MinTurn, "ai_minturn");
}

} // namespace

void RegisterCommands() {
    Console->Register("Quit", CmdQuit, Win1251("Выход из игры"));
    Console->Register("Follow", CmdFollow, Win1251("Следить"));
    Console->Register("LoadLevel", CmdLoadLevel, Win1251("загрузка уровня"));
    Console->Register("ShowFPS", CmdShowFPS, Win1251("Отображать FPS? Может быть 0 или 1"));
    Console->Register("Sound", CmdSound, Win1251("Включить звук? Может быть 0 или 1"));
    Console->Register("Volume", CmdVolume, Win1251("Громкость звука, от 0 до 100"));
    Console->Register("ai_dfc", CmdAiDfc, Win1251("Задай DistFromCenter для интеллекта"));
    Console->Register("ai_tck", CmdAiTck, Win1251("Задай ToCenterKoef для интеллекта"));
    Console->Register("ai_minturn", CmdAiMinTurn, Win1251("Задай minturn для интеллекта"));
}

std::string NoSuchMapLine(const std::string& Name) {
    return Win1251("Карты ") + Name + Win1251(" не существует");
}

char LocaleDecimalSeparator() {
    // A locale object of its own: the process's C locale stays "C" for the traces printed
    // elsewhere.
    locale_t User = newlocale(LC_NUMERIC_MASK, "", locale_t(nullptr));
    if (!User) return '.';
    const char* Point = nl_langinfo_l(RADIXCHAR, User);
    // The console's texts are single bytes; a separator of several bytes falls back to '.'.
    const char Separator = Point && Point[0] && !Point[1] ? Point[0] : '.';
    freelocale(User);
    return Separator;
}

bool ParseConsoleInt(const std::string& Word, int32_t& Value) {
    const std::string_view Text = WithoutPlus(Word);
    int32_t Parsed = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Parsed);
    if (Error != std::errc() || End != Text.data() + Text.size()) return false;
    Value = Parsed;
    return true;
}

bool ParseConsoleFloat(const std::string& Word, char Separator, float& Value) {
    std::string Text(WithoutPlus(Word));
    if (Separator != '.') {
        if (Text.find('.') != std::string::npos) return false;
        std::replace(Text.begin(), Text.end(), Separator, '.');
    }
    float Parsed = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Parsed);
    if (Error != std::errc() || End != Text.data() + Text.size() || !std::isfinite(Parsed))
        return false;
    Value = Parsed;
    return true;
}

std::string FormatConsoleFloat(float Value, char Separator) {
    char Buffer[64];
    const auto Result = std::to_chars(Buffer, Buffer + sizeof Buffer, double(Value),
                                      std::chars_format::general, FLOAT_DIGITS);
    std::string Text(Buffer, Result.ptr);
    std::replace(Text.begin(), Text.end(), '.', Separator);
    return Text;
}
