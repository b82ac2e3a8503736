#pragma once
// Putting the generated content on disk: pictures encoded with stb_image_write (fixed settings, so
// the same picture always gives the same bytes), models and maps through the game's own
// serialisers.

#include "Content.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr int JPEG_QUALITY = 92;

std::vector<uint8_t> EncodeJpeg(const TImage& Image);
std::vector<uint8_t> EncodeTga(const TImage& Image); // RGBA, uncompressed
std::vector<uint8_t> EncodePng(const TImage& Image); // RGBA

// Writes Bytes to Path, making its folders; throws std::runtime_error naming the path.
void WriteBytes(const std::string& Path, const std::vector<uint8_t>& Bytes);
// Writes every model, picture, text and sound file of Content under DataDir.
void WriteContent(const TContent& Content, const std::string& DataDir);
