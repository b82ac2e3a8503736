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

bool IsJpeg(const std::vector<uint8_t>& Bytes) {
    return Bytes.size() >= 2 && Bytes[0] == 0xFF && Bytes[1] == 0xD8;
}

} // namespace

bool DecodeImage(const std::vector<uint8_t>& Bytes, TDecodedImage& Image, std::string& Error) {
    Image = TDecodedImage();
    if (Bytes.empty() || Bytes.size() > size_t(INT_MAX)) {
        Error = Bytes.empty() ? "empty file" : "file too large";
        return false;
    }
    int Width = 0, Height = 0, Components = 0;
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
