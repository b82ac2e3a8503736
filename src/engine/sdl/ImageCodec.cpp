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
