#pragma once
// The game's console commands: Quit, Follow, LoadLevel, ShowFPS, Sound and Volume (the sound
// service's master switch and volume) and the computer driver's tuning variables ai_dfc, ai_tck,
// ai_minturn. Registered once at start-up, after the console, the camera
// and the map exist.

#include <cstdint>
#include <string>

void RegisterCommands();

// The console's line for a level whose map file does not exist (Windows-1251).
std::string NoSuchMapLine(const std::string& Name);

// Numbers as the commands read and write them. Integers are whole signed decimal words in the
// int32 range. Floating-point numbers use the decimal separator of the user's locale (queried
// without touching the process's C locale) and are printed with up to 15 significant digits of
// the stored single, so 0.3 prints as 0.300000011920929.
char LocaleDecimalSeparator();
bool ParseConsoleInt(const std::string& Word, int32_t& Value);
// False, leaving Value alone, for anything but a finite number in the range of a single.
bool ParseConsoleFloat(const std::string& Word, char Separator, float& Value);
std::string FormatConsoleFloat(float Value, char Separator);
