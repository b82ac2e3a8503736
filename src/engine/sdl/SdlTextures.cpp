// Texture service of the SDL engine: JPEG and TGA files, textures from memory, binding.
#include "engine/sdl/EngineSdl.h"

#include "engine/Files.h"
#include "engine/GL.h"
#include "engine/sdl/EngineGL.h"
#include "engine/sdl/ImageCodec.h"

#include <algorithm>

namespace {

// The texture that stands in for an image that does not load: magenta and black squares.
constexpr int PLACEHOLDER_SIDE_PX = 64;
constexpr int PLACEHOLDER_SQUARE_PX = 8;

// Bytes a pixel of a client format; 0 for formats the service does not take.
int ComponentsOfFormat(int Format) {
    switch (Format) {
    case GL_RGBA:
    case GL_BGRA:
        return 4;
    case GL_RGB:
    case GL_BGR:
        return 3;
    case GL_LUMINANCE_ALPHA:
        return 2;
    case GL_LUMINANCE:
    case GL_ALPHA:
        return 1;
    default:
        return 0;
    }
}

GLint InternalFormatOf(int Format) {
    switch (ComponentsOfFormat(Format)) {
    case 4:
        return GL_RGBA8;
    case 3:
        return GL_RGB8;
    case 2:
        return GL_LUMINANCE8_ALPHA8;
    default:
        return Format == GL_ALPHA ? GL_ALPHA8 : GL_LUMINANCE8;
    }
}

} // namespace

unsigned TSdlEngine::NewTexture(const std::function<void()>& Fill) {
    GLint Bound = 0, Unpack = 4;
    EngineGL.GetIntegerv(GL_TEXTURE_BINDING_2D, &Bound);
    EngineGL.GetIntegerv(GL_UNPACK_ALIGNMENT, &Unpack);
    GLuint Name = 0;
    EngineGL.GenTextures(1, &Name);
    EngineGL.BindTexture(GL_TEXTURE_2D, Name);
    EngineGL.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    Fill();
    EngineGL.PixelStorei(GL_UNPACK_ALIGNMENT, Unpack);
    EngineGL.BindTexture(GL_TEXTURE_2D, GLuint(Bound));
    return Name;
}

int TSdlEngine::TTextureService::Upload(int Width, int Height, unsigned Format,
                                        const void* Pixels) {
    GLint MaxSide = 0;
    EngineGL.GetIntegerv(GL_MAX_TEXTURE_SIZE, &MaxSide);
    if (Width > MaxSide || Height > MaxSide) {
        exLog("warning: a " + std::to_string(Width) + " x " + std::to_string(Height) +
              " texture is larger than this OpenGL takes (" + std::to_string(MaxSide) + ")");
        return 0;
    }
    for (int Stale = 0; Stale < 16 && glGetError() != GL_NO_ERROR; ++Stale) {
    }
    const GLuint Name = NewTexture([&] {
        EngineGL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        EngineGL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        EngineGL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        EngineGL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        if (!EngineGL.HasMipmap) EngineGL.TexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
        EngineGL.TexImage2D(GL_TEXTURE_2D, 0, InternalFormatOf(int(Format)), Width, Height, 0,
                            Format, GL_UNSIGNED_BYTE, Pixels);
        if (EngineGL.HasMipmap) EngineGL.GenerateMipmap(GL_TEXTURE_2D);
    });
    if (const GLenum Error = glGetError(); Error != GL_NO_ERROR) {
        exLog("warning: OpenGL refused a " + std::to_string(Width) + " x " +
              std::to_string(Height) + " texture (error " + std::to_string(Error) + ")");
        EngineGL.DeleteTextures(1, &Name);
        return 0;
    }
    Owned.insert(int(Name));
    return int(Name);
}

int TSdlEngine::TTextureService::Placeholder() {
    std::vector<uint8_t> Rgba(size_t(PLACEHOLDER_SIDE_PX) * PLACEHOLDER_SIDE_PX * 4);
    for (int Y = 0; Y < PLACEHOLDER_SIDE_PX; ++Y)
        for (int X = 0; X < PLACEHOLDER_SIDE_PX; ++X) {
            const bool Magenta =
                ((X / PLACEHOLDER_SQUARE_PX) + (Y / PLACEHOLDER_SQUARE_PX)) % 2 == 0;
            uint8_t* P = &Rgba[(size_t(Y) * PLACEHOLDER_SIDE_PX + size_t(X)) * 4];
            P[0] = Magenta ? 255 : 0;
            P[1] = 0;
            P[2] = Magenta ? 255 : 0;
            P[3] = 255;
        }
    return Upload(PLACEHOLDER_SIDE_PX, PLACEHOLDER_SIDE_PX, GL_RGBA, Rgba.data());
}

int TSdlEngine::TTextureService::Load(const std::string& FileName, int, int, int) {
    std::vector<uint8_t> Bytes;
    try {
        Bytes = ReadWholeFile(FileName);
    } catch (const TFileError& Error) {
        exLog("warning: texture \"" + FileName + "\": " + Error.what() + "; using a placeholder");
        return Placeholder();
    }
    TDecodedImage Image;
    std::string Reason;
    if (!DecodeImage(Bytes, Image, Reason)) {
        exLog("warning: texture \"" + FileName + "\" (" + ResolvePath(FileName) +
              "): not a usable JPEG or TGA image (" + Reason + "); using a placeholder");
        return Placeholder();
    }
    const int Handle = Upload(Image.Width, Image.Height, GL_RGBA, Image.Rgba.data());
    if (Handle) return Handle;
    exLog("warning: texture \"" + FileName + "\" does not fit in OpenGL; using a placeholder");
    return Placeholder();
}

int TSdlEngine::TTextureService::Create(const std::string& Name, int Components, int Format,
                                        int Width, int Height, const void* Pixels, int, int, int) {
    const int FormatComponents = ComponentsOfFormat(Format);
    std::string Fault;
    if (!Pixels)
        Fault = "no pixels";
    else if (Width <= 0 || Height <= 0 || Width > MAX_IMAGE_SIDE_PX || Height > MAX_IMAGE_SIDE_PX)
        Fault = "size " + std::to_string(Width) + " x " + std::to_string(Height);
    else if (FormatComponents == 0)
        Fault = "unknown pixel format " + std::to_string(Format);
    else if (FormatComponents != Components)
        Fault = std::to_string(Components) + " bytes a pixel in a format of " +
                std::to_string(FormatComponents);
    if (!Fault.empty()) {
        exLog("warning: texture \"" + Name + "\": " + Fault + "; using a placeholder");
        return Placeholder();
    }
    const int Handle = Upload(Width, Height, unsigned(Format), Pixels);
    return Handle ? Handle : Placeholder();
}

void TSdlEngine::TTextureService::Free(int Handle) {
    if (Handle == 0) return;
    if (Owned.erase(Handle) == 0) {
        exLog("warning: Textures.Free of " + std::to_string(Handle) + ", which is no texture");
        return;
    }
    const GLuint Name = GLuint(Handle);
    EngineGL.DeleteTextures(1, &Name);
}

bool TSdlEngine::TTextureService::UnitValid(int Unit) {
    if (Unit >= 0 && Unit < UnitCount) return true;
    exLog("warning: texture unit " + std::to_string(Unit) + " does not exist");
    return false;
}

void TSdlEngine::TTextureService::Enable(int Handle, int Unit) {
    if (!UnitValid(Unit)) return;
    EngineGL.ActiveTexture(GLenum(GL_TEXTURE0 + Unit));
    glEnable(GL_TEXTURE_2D);
    EngineGL.BindTexture(GL_TEXTURE_2D, Owned.count(Handle) ? GLuint(Handle) : 0);
    EngineGL.ActiveTexture(GL_TEXTURE0);
}

void TSdlEngine::TTextureService::Disable(int Unit) {
    if (!UnitValid(Unit)) return;
    EngineGL.ActiveTexture(GLenum(GL_TEXTURE0 + Unit));
    glDisable(GL_TEXTURE_2D);
    EngineGL.ActiveTexture(GL_TEXTURE0);
}
