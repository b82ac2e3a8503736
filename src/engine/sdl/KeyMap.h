#pragma once
// SDL keyboard keys as the Windows virtual-key codes the game reads.

#include <SDL_scancode.h>

// More virtual-key codes the engine reports (beside those of engine/Engine.h).
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12; // Alt
constexpr int VK_PAUSE = 0x13;
constexpr int VK_CAPITAL = 0x14;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_NUMPAD0 = 0x60;
constexpr int VK_MULTIPLY = 0x6A;
constexpr int VK_ADD = 0x6B;
constexpr int VK_SUBTRACT = 0x6D;
constexpr int VK_DECIMAL = 0x6E;
constexpr int VK_DIVIDE = 0x6F;
constexpr int VK_F1 = 0x70;
constexpr int VK_OEM_1 = 0xBA;      // ; :
constexpr int VK_OEM_PLUS = 0xBB;   // = +
constexpr int VK_OEM_COMMA = 0xBC;  // , <
constexpr int VK_OEM_MINUS = 0xBD;  // - _
constexpr int VK_OEM_PERIOD = 0xBE; // . >
constexpr int VK_OEM_2 = 0xBF;      // / ?
constexpr int VK_OEM_4 = 0xDB;      // [ {
constexpr int VK_OEM_5 = 0xDC;      // backslash |
constexpr int VK_OEM_6 = 0xDD;      // ] }
constexpr int VK_OEM_7 = 0xDE;      // ' "
constexpr int VK_OEM_102 = 0xE2;    // the extra key beside left Shift on ISO keyboards

// The virtual key of a physical key, VK_NONE for keys the engine does not report. Every key maps
// by its position (the US layout's names), whatever layout is active: W A S D, the digits and the
// key left of 1 (VK_OEM_3) stay under the same fingers. Both Shift keys give VK_SHIFT, both
// Ctrl keys VK_CONTROL, both Alt keys VK_MENU; keypad Enter gives VK_RETURN.
int VirtualKeyOfScancode(SDL_Scancode Scancode);

// Whether holding the key keeps producing presses: keys that type (letters, digits, space,
// punctuation), Backspace, Delete and the cursor keys do; Escape, Enter, Tab, the key left of 1,
// modifiers, function keys and the mouse button report one press per stroke.
bool KeyAutoRepeats(int VirtualKey);

// The character Windows' ToAscii gives for keys whose character does not come as typed text:
// Backspace 8, Tab 9, Enter 13, Escape 27; 0 for every other key.
int ControlCharOfKey(int VirtualKey);
