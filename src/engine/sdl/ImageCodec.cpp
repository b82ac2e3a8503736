#include "engine/sdl/ImageCodec.h"

#include <climits>

// stb's functions stay private to this file, so a program that compiles stb itself links too.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS MAX_IMAGE_SIDE_PX
#include <stb_image.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace {

uint32_t Little16(const std::vector<uint8_t>& Bytes, size_t At) {
    return uint32_t(Bytes[At]) | uint32_t(Bytes[At + 1]) << 8;
}

// stb's TGA reader takes a file that ends before its last pixel and makes the rest black: a TGA
// is refused here unless its bytes hold every pixel. The header is 18 bytes: the id's length at
// 0, the colour map's type at 1, the image type at 2 (8 added for run-length encoding), the map's
// entry count (16 bits) at 5 and entry size in bits at 7, width and height (16 bits) at 12 and
// 14, bits a pixel at 16.
bool TgaHoldsAllItsPixels(const std::vector<uint8_t>& Bytes) {
    constexpr size_t HEADER_BYTES = 18;
    constexpr uint8_t RUN_LENGTH_TYPE = 8;
    if (Bytes.size() < HEADER_BYTES) return false;
    const size_t MapBytes = Bytes[1] == 1 ? Little16(Bytes, 5) * ((size_t(Bytes[7]) + 7) / 8) : 0;
    const size_t PixelBytes = (size_t(Bytes[16]) + 7) / 8;
    const size_t Pixels = size_t(Little16(Bytes, 12)) * Little16(Bytes, 14);
    size_t At = HEADER_BYTES + Bytes[0] + MapBytes;
    if (Bytes[2] < RUN_LENGTH_TYPE) return At + Pixels * PixelBytes <= Bytes.size();
    // Packets: a count byte (high bit: one pixel repeated; low 7 bits: the count less one), then
    // that pixel, or that many.
    for (size_t Done = 0; Done < Pixels;) {
        if (At >= Bytes.size()) return false;
        const uint8_t Count = Bytes[At++];
        const size_t Run = size_t(Count & 0x7F) + 1;
        At += (Count & 0x80) ? PixelBytes : Run * PixelBytes;
        if (At > Bytes.size()) return false;
        Done += Run;
    }
    return true;
}

constexpr uint8_t JPEG_MARK = 0xFF;
constexpr uint8_t JPEG_START = 0xD8;
constexpr uint8_t JPEG_END = 0xD9;
constexpr uint8_t JPEG_HUFFMAN_TABLES = 0xC4;
constexpr uint8_t JPEG_SCAN = 0xDA;
constexpr int HUFFMAN_CLASSES = 2; // DC, AC
constexpr int HUFFMAN_SLOTS = 4;
constexpr uint8_t JPEG_RESTART_FIRST = 0xD0, JPEG_RESTART_LAST = 0xD7;
constexpr uint8_t JPEG_TEMPORARY = 0x01;
constexpr int HUFFMAN_CODE_LENGTHS = 16;
constexpr int HUFFMAN_MAX_CODES = 256; // one per byte value
// The most pixels an image may claim per byte of its file. The game's textures hold under 10; a
// JPEG or an RLE TGA of one flat colour some hundreds at most. Above that the header's size is a
// lie that would have stb allocate and fill up to MAX_IMAGE_SIDE_PX squared pixels for a few bytes.
constexpr uint64_t MAX_PIXELS_PER_FILE_BYTE = 1024;

bool StandaloneMarker(uint8_t M) {
    return M == JPEG_TEMPORARY || M == JPEG_START || M == JPEG_END ||
           (M >= JPEG_RESTART_FIRST && M <= JPEG_RESTART_LAST);
}

// Where a JPEG's segments begin, just past its start marker; 0 when the bytes are no JPEG. stb
// reads any number of 0xFF fill bytes before a marker, the first one's too.
size_t JpegSegmentsStart(const std::vector<uint8_t>& Bytes) {
    if (Bytes.empty() || Bytes[0] != JPEG_MARK) return 0;
    size_t At = 1;
    while (At < Bytes.size() && Bytes[At] == JPEG_MARK)
        ++At;
    return At < Bytes.size() && Bytes[At] == JPEG_START ? At + 1 : 0;
}

bool IsJpeg(const std::vector<uint8_t>& Bytes) {
    return JpegSegmentsStart(Bytes) != 0;
}

// The Huffman tables of the DHT segment whose body of Length bytes starts at Body: each a class and
// slot byte, the number of codes of each length from 1 to 16 bits, then that many symbols. stb
// trusts the counts, and writes one entry per code into tables of 256 + 1 entries, so a table of
// more codes than 256, or of more codes of one length than that many bits can tell apart, is
// refused here first. Read as stb reads it: bytes past the file's end read as 0.
// Each table read is marked in Defined[class][slot].
using THuffmanDefined = bool[HUFFMAN_CLASSES][HUFFMAN_SLOTS];
bool HuffmanTablesFit(const std::vector<uint8_t>& Bytes, size_t Body, size_t Length,
                      THuffmanDefined& Defined) {
    const auto Byte = [&](size_t I) { return I < Bytes.size() ? Bytes[I] : uint8_t(0); };
    size_t At = Body;
    for (long Left = long(Length); Left > 0;) {
        const uint8_t ClassAndSlot = Byte(At++);
        if (ClassAndSlot >> 4 > 1 || (ClassAndSlot & 15) > 3) return true; // stb refuses it
        int Codes = 0;
        for (int Bits = 1; Bits <= HUFFMAN_CODE_LENGTHS; ++Bits) {
            const int Count = Byte(At++);
            if (Count > (1 << Bits)) return false;
            Codes += Count;
        }
        if (Codes > HUFFMAN_MAX_CODES) return false;
        Defined[ClassAndSlot >> 4][ClassAndSlot & 15] = true;
        At += size_t(Codes);
        Left -= 1 + HUFFMAN_CODE_LENGTHS + Codes;
    }
    return true;
}

// Whether every table a scan header's components name is defined. stb decodes with the tables it
// is given without checking, and a slot never defined holds whatever its memory held. A scan
// reads the DC tables when it starts at coefficient 0, the AC tables when it ends past it.
bool ScanTablesDefined(const std::vector<uint8_t>& Bytes, size_t Body,
                       const THuffmanDefined& Defined) {
    const auto Byte = [&](size_t I) { return I < Bytes.size() ? Bytes[I] : uint8_t(0); };
    const size_t Components = Byte(Body);
    const bool ReadsDc = Byte(Body + 1 + 2 * Components) == 0;
    const bool ReadsAc = Byte(Body + 2 + 2 * Components) > 0;
    for (size_t C = 0; C < Components; ++C) {
        const uint8_t Tables = Byte(Body + 2 + 2 * C);
        const int Dc = Tables >> 4, Ac = Tables & 15;
        if (Dc >= HUFFMAN_SLOTS || Ac >= HUFFMAN_SLOTS) return true; // stb refuses it
        if ((ReadsDc && !Defined[0][Dc]) || (ReadsAc && !Defined[1][Ac])) return false;
    }
    return true;
}

// Walks a JPEG's segments (and the coded data after each scan header, up to the next marker) and
// checks every Huffman table segment and every scan's tables. What it cannot follow it leaves to
// stb to refuse.
bool JpegHuffmanTablesFit(const std::vector<uint8_t>& Bytes) {
    const size_t Size = Bytes.size();
    size_t At = JpegSegmentsStart(Bytes);
    if (At == 0) return true; // not a JPEG
    THuffmanDefined Defined = {};
    for (;;) {
        while (At < Size && Bytes[At] != JPEG_MARK)
            ++At; // the coded data after a scan's header
        while (At < Size && Bytes[At] == JPEG_MARK)
            ++At; // fill bytes
        if (At >= Size) return true;
        const uint8_t Marker = Bytes[At++];
        if (Marker == 0 || StandaloneMarker(Marker)) {
            if (Marker == JPEG_END) return true;
            continue; // a stuffed 0xFF in coded data, or a marker without a body
        }
        if (Size - At < 2) return true;
        const size_t Length = size_t(Bytes[At]) << 8 | Bytes[At + 1];
        if (Length < 2) return true;
        const size_t Body = At + 2;
        if (Marker == JPEG_HUFFMAN_TABLES && !HuffmanTablesFit(Bytes, Body, Length - 2, Defined))
            return false;
        if (Marker == JPEG_SCAN && !ScanTablesDefined(Bytes, Body, Defined)) return false;
        At = Body + (Length - 2);
    }
}

} // namespace

bool DecodeImage(const std::vector<uint8_t>& Bytes, TDecodedImage& Image, std::string& Error) {
    Image = TDecodedImage();
    if (Bytes.empty() || Bytes.size() > size_t(INT_MAX)) {
        Error = Bytes.empty() ? "empty file" : "file too large";
        return false;
    }
    if (!JpegHuffmanTablesFit(Bytes)) {
        Error = "Corrupt JPEG: a Huffman table of more codes than it can hold, or a scan using a "
                "table never defined";
        return false;
    }
    int Width = 0, Height = 0, Components = 0;
    if (stbi_info_from_memory(Bytes.data(), int(Bytes.size()), &Width, &Height, &Components) &&
        uint64_t(Width) * uint64_t(Height) > MAX_PIXELS_PER_FILE_BYTE * Bytes.size()) {
        Error = "the image claims " + std::to_string(Width) + " x " + std::to_string(Height) +
                " pixels, more than its " + std::to_string(Bytes.size()) + " bytes can hold";
        return false;
    }
    stbi_uc* Pixels =
        stbi_load_from_memory(Bytes.data(), int(Bytes.size()), &Width, &Height, &Components, 4);
    if (!Pixels) {
        const char* Reason = stbi_failure_reason();
        Error = Reason ? Reason : "not a JPEG or TGA image";
        return false;
    }
    if (!IsJpeg(Bytes) && !TgaHoldsAllItsPixels(Bytes)) {
        stbi_image_free(Pixels);
        Error = "the TGA file ends before its last pixel";
        return false;
    }
    Image.Width = Width;
    Image.Height = Height;
    Image.Rgba.assign(Pixels, Pixels + size_t(Width) * size_t(Height) * 4);
    stbi_image_free(Pixels);
    return true;
}

bool WritePng(const std::string& FileName, int Width, int Height, int Components,
              const uint8_t* Pixels) {
    if (Width <= 0 || Height <= 0 || (Components != 3 && Components != 4) || !Pixels) return false;
    return stbi_write_png(FileName.c_str(), Width, Height, Components, Pixels,
                          Width * Components) != 0;
}
