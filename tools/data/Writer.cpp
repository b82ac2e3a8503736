#include "Writer.h"

#include "engine/WavFile.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

namespace {

void Append(void* Context, void* Data, int Size) {
    auto* Out = static_cast<std::vector<uint8_t>*>(Context);
    const auto* Bytes = static_cast<const uint8_t*>(Data);
    Out->insert(Out->end(), Bytes, Bytes + Size);
}

} // namespace

std::vector<uint8_t> EncodeJpeg(const TImage& Image) {
    const std::vector<uint8_t> Pixels = Image.Bytes(3);
    std::vector<uint8_t> Out;
    if (!stbi_write_jpg_to_func(Append, &Out, Image.Width(), Image.Height(), 3, Pixels.data(),
                                JPEG_QUALITY))
        throw std::runtime_error("a picture cannot be encoded as JPEG");
    return Out;
}

std::vector<uint8_t> EncodeTga(const TImage& Image) {
    const std::vector<uint8_t> Pixels = Image.Bytes(4);
    std::vector<uint8_t> Out;
    stbi_write_tga_with_rle = 0;
    if (!stbi_write_tga_to_func(Append, &Out, Image.Width(), Image.Height(), 4, Pixels.data()))
        throw std::runtime_error("a picture cannot be encoded as TGA");
    return Out;
}

std::vector<uint8_t> EncodePng(const TImage& Image) {
    const std::vector<uint8_t> Pixels = Image.Bytes(4);
    std::vector<uint8_t> Out;
    if (!stbi_write_png_to_func(Append, &Out, Image.Width(), Image.Height(), 4, Pixels.data(),
                                Image.Width() * 4))
        throw std::runtime_error("a picture cannot be encoded as PNG");
    return Out;
}

void WriteBytes(const std::string& Path, const std::vector<uint8_t>& Bytes) {
    const std::filesystem::path P(Path);
    std::error_code Error;
    if (P.has_parent_path()) std::filesystem::create_directories(P.parent_path(), Error);
    std::ofstream Out(P, std::ios::binary | std::ios::trunc);
    Out.write(reinterpret_cast<const char*>(Bytes.data()), std::streamsize(Bytes.size()));
    Out.close();
    if (!Out) throw std::runtime_error(Path + ": cannot be written");
}

void WriteContent(const TContent& Content, const std::string& DataDir) {
    for (const TModelFile& M : Content.Models)
        WriteBytes(DataDir + "/" + M.Path, SerializeMdl(M.Model.Mdl()));
    for (const TPictureFile& P : Content.Pictures)
        WriteBytes(DataDir + "/" + P.Path,
                   P.Format == TPictureFormat::Tga ? EncodeTga(P.Image) : EncodeJpeg(P.Image));
    for (const TTextFile& T : Content.Texts)
        WriteBytes(DataDir + "/" + T.Path, std::vector<uint8_t>(T.Text.begin(), T.Text.end()));
    for (const TSoundFile& S : Content.Sounds)
        WriteBytes(DataDir + "/" + S.Path, EncodeWav(S.Samples, 1, SOUND_SAMPLE_RATE));
}
