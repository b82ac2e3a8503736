#include "engine/Text1251.h"

namespace {

// Code points of the bytes 0x80 ... 0xFF; the bytes below 0x80 are ASCII.
constexpr char32_t UPPER_HALF_CODE_POINTS[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F};

void AppendUtf8(std::string& Out, char32_t C) {
    if (C < 0x80) {
        Out += char(C);
    } else if (C < 0x800) {
        Out += char(0xC0 | (C >> 6));
        Out += char(0x80 | (C & 0x3F));
    } else if (C < 0x10000) {
        Out += char(0xE0 | (C >> 12));
        Out += char(0x80 | ((C >> 6) & 0x3F));
        Out += char(0x80 | (C & 0x3F));
    } else {
        Out += char(0xF0 | (C >> 18));
        Out += char(0x80 | ((C >> 12) & 0x3F));
        Out += char(0x80 | ((C >> 6) & 0x3F));
        Out += char(0x80 | (C & 0x3F));
    }
}

} // namespace

char32_t CodePointOf1251(uint8_t Byte) {
    return Byte < 0x80 ? char32_t(Byte) : UPPER_HALF_CODE_POINTS[Byte - 0x80];
}

int ByteOf1251(char32_t CodePoint) {
    if (CodePoint < 0x80) return int(CodePoint);
    if (CodePoint == 0xFFFD) return -1;
    for (int I = 0; I < 128; ++I)
        if (UPPER_HALF_CODE_POINTS[I] == CodePoint) return 0x80 + I;
    return -1;
}

char32_t DecodeUtf8(std::string_view Utf8, size_t& Length) {
    Length = 0;
    if (Utf8.empty()) return 0;
    const uint8_t Lead = uint8_t(Utf8[0]);
    const size_t Size = Lead < 0x80    ? 1
                        : Lead >= 0xF8 ? 0
                        : Lead >= 0xF0 ? 4
                        : Lead >= 0xE0 ? 3
                        : Lead >= 0xC0 ? 2
                                       : 0;
    if (Size == 0 || Size > Utf8.size()) return 0;
    char32_t C = Size == 1 ? Lead : Lead & (0xFF >> (Size + 1));
    for (size_t K = 1; K < Size; ++K) {
        const uint8_t Next = uint8_t(Utf8[K]);
        if ((Next & 0xC0) != 0x80) return 0;
        C = (C << 6) | (Next & 0x3F);
    }
    Length = Size;
    return C;
}

std::string Win1251(std::string_view Utf8) {
    std::string Out;
    size_t I = 0;
    while (I < Utf8.size()) {
        size_t Length = 0;
        const char32_t C = DecodeUtf8(Utf8.substr(I), Length);
        if (Length == 0) { // a stray, cut or broken sequence: one '?' for its first byte
            Out += '?';
            ++I;
            continue;
        }
        I += Length;
        const int Byte = ByteOf1251(C);
        Out += Byte < 0 ? '?' : char(Byte);
    }
    return Out;
}

std::string Utf8From1251(std::string_view Text) {
    std::string Out;
    for (char Ch : Text)
        AppendUtf8(Out, CodePointOf1251(uint8_t(Ch)));
    return Out;
}
