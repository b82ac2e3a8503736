#pragma once
// Image files the engine reads (JPEG and TGA, through stb_image) and writes (PNG screenshots,
// through stb_image_write). stb is compiled privately into this library with only those decoders.

#include <cstdint>
#include <string>
#include <vector>

// Images wider or taller than this are refused as broken rather than decoded.
constexpr int MAX_IMAGE_SIDE_PX = 8192;

struct TDecodedImage {
    int Width = 0, Height = 0;
    std::vector<uint8_t> Rgba; // 4 bytes a pixel, top row first
};

// Decodes a JPEG or TGA file's bytes (TGA: uncompressed or RLE, with or without alpha) into RGBA.
// False with the decoder's reason in Error when the bytes are not such an image.
bool DecodeImage(const std::vector<uint8_t>& Bytes, TDecodedImage& Image, std::string& Error);

// Writes Width x Height pixels of Components (3 or 4) bytes, top row first, as a PNG file.
bool WritePng(const std::string& FileName, int Width, int Height, int Components,
              const uint8_t* Pixels);
