#pragma once
// The game's texts are 8-bit strings in the Windows-1251 code page; the sources are UTF-8. Every
// Russian literal passes through Win1251 once, here, on its way into the game.

#include <cstdint>
#include <string>
#include <string_view>

// UTF-8 to Windows-1251. A character the code page lacks becomes '?'.
std::string Win1251(std::string_view Utf8);
// Windows-1251 to UTF-8 (for the log, the terminal and tests).
std::string Utf8From1251(std::string_view Text);
// The Unicode code point of one Windows-1251 byte (0x98, unassigned, gives U+FFFD).
char32_t CodePointOf1251(uint8_t Byte);
// The Windows-1251 byte of a code point, or -1 if the code page lacks it.
int ByteOf1251(char32_t CodePoint);
// The code point of the UTF-8 sequence Utf8 begins with, and the sequence's length in bytes;
// Length 0 when Utf8 is empty or begins with a stray, cut or broken sequence.
char32_t DecodeUtf8(std::string_view Utf8, size_t& Length);
