#include "engine/sdl/FontFace.h"

#include "engine/Engine.h"
#include "engine/Text1251.h"
#include "engine/sdl/LeakCheck.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <map>
#include <mutex>

namespace {

// Stand-ins, in order, when the asked family's file does not open or lacks a character.
const char* const FALLBACK_FAMILIES[] = {"DejaVu Sans", "sans-serif"};

// Both FreeType handles of one open face, released together.
struct TFreeType {
    FT_Library Library = nullptr;
    FT_Face Face = nullptr;
    TFreeType() = default;
    TFreeType(const TFreeType&) = delete;
    TFreeType& operator=(const TFreeType&) = delete;
    ~TFreeType() {
        if (Face) FT_Done_Face(Face);
        if (Library) FT_Done_FreeType(Library);
    }
    bool Open(const std::string& File, int SizePx) {
        if (File.empty() || FT_Init_FreeType(&Library) != 0) return false;
        if (FT_New_Face(Library, File.c_str(), 0, &Face) != 0) {
            Face = nullptr;
            return false;
        }
        if (FT_Select_Charmap(Face, FT_ENCODING_UNICODE) != 0) return false;
        if (FT_Set_Pixel_Sizes(Face, 0, FT_UInt(SizePx)) != 0) return false;
        return true;
    }
    bool Has(char32_t CodePoint) const { return FT_Get_Char_Index(Face, CodePoint) != 0; }
};

// 26.6 fixed point to whole pixels.
int RoundPx(FT_Pos Value) {
    return int((Value + 32) >> 6);
}
int CeilPx(FT_Pos Value) {
    return int((Value + 63) >> 6);
}

TFontFace::TGlyph RenderGlyph(FT_Face Face, char32_t CodePoint) {
    TFontFace::TGlyph Glyph;
    if (FT_Load_Char(Face, CodePoint, FT_LOAD_DEFAULT | FT_LOAD_RENDER) != 0) return Glyph;
    const FT_GlyphSlot Slot = Face->glyph;
    const FT_Bitmap& Bitmap = Slot->bitmap;
    Glyph.AdvancePx = RoundPx(Slot->advance.x);
    Glyph.Left = Slot->bitmap_left;
    Glyph.Top = Slot->bitmap_top;
    Glyph.Width = int(Bitmap.width);
    Glyph.Height = int(Bitmap.rows);
    Glyph.Alpha.assign(size_t(Glyph.Width) * size_t(Glyph.Height), 0);
    const bool Mono = Bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    if (!Mono && Bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) { // a colour or LCD bitmap: no ink
        Glyph.Width = Glyph.Height = 0;
        Glyph.Alpha.clear();
        return Glyph;
    }
    for (int Y = 0; Y < Glyph.Height; ++Y) {
        const unsigned char* Row = Bitmap.buffer + ptrdiff_t(Y) * Bitmap.pitch;
        if (Bitmap.pitch < 0) Row = Bitmap.buffer + ptrdiff_t(Glyph.Height - 1 - Y) * -Bitmap.pitch;
        for (int X = 0; X < Glyph.Width; ++X) {
            uint8_t Coverage;
            if (Mono)
                Coverage = (Row[X >> 3] & (0x80 >> (X & 7))) ? 255 : 0;
            else
                Coverage = Bitmap.num_grays == 256
                               ? Row[X]
                               : uint8_t(Row[X] * 255 / std::max(1, int(Bitmap.num_grays) - 1));
            Glyph.Alpha[size_t(Y) * size_t(Glyph.Width) + size_t(X)] = Coverage;
        }
    }
    return Glyph;
}

} // namespace

// fontconfig 2.14 loses a few blocks while it parses its configuration files (inside FcInit, once
// a process), which LeakSanitizer reports in every program that looks a font up. libdbus does the
// same with the read buffer of the session-bus connection that SDL's video start-up opens on X11
// and never shuts down (a kilobyte, once a process). Their frames carry no symbols, so only the
// libraries' names can tell them apart.
#ifdef MARVOLIN_LEAK_CHECKED
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n"
           "leak:libdbus-1.so\n";
}
#endif

std::string FindFontFile(const std::string& Family) {
    static std::mutex Lock;
    static std::map<std::string, std::string> Found;
    const std::lock_guard<std::mutex> Guard(Lock);
    if (auto It = Found.find(Family); It != Found.end()) return It->second;

    std::string File;
    if (FcInit()) {
        FcPattern* Pattern = FcPatternCreate();
        FcPatternAddString(Pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(Family.c_str()));
        FcPatternAddBool(Pattern, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(nullptr, Pattern, FcMatchPattern);
        FcDefaultSubstitute(Pattern);
        FcResult Result = FcResultNoMatch;
        if (FcPattern* Match = FcFontMatch(nullptr, Pattern, &Result)) {
            FcChar8* Path = nullptr;
            if (FcPatternGetString(Match, FC_FILE, 0, &Path) == FcResultMatch && Path)
                File = reinterpret_cast<const char*>(Path);
            FcPatternDestroy(Match);
        }
        FcPatternDestroy(Pattern);
    }
    Found[Family] = File;
    return File;
}

std::unique_ptr<TFontFace> TFontFace::Open(const std::string& Family, int SizePx) {
    SizePx = ClampSizePx(SizePx);

    std::string File = FindFontFile(Family);
    auto Main = std::make_unique<TFreeType>();
    bool Opened = Main->Open(File, SizePx);
    for (const char* Other : FALLBACK_FAMILIES) {
        if (Opened) break;
        exLog("warning: font \"" + Family + "\" (" + (File.empty() ? "no file" : File) +
              ") does not open; trying " + Other);
        File = FindFontFile(Other);
        Main = std::make_unique<TFreeType>();
        Opened = Main->Open(File, SizePx);
    }
    if (!Opened) {
        exLog("warning: no font opens for \"" + Family + "\"");
        return nullptr;
    }

    std::unique_ptr<TFontFace> Face(new TFontFace());
    Face->Size = SizePx;
    Face->File = File;
    Face->Ascent = CeilPx(Main->Face->size->metrics.ascender);
    Face->Descent = CeilPx(-Main->Face->size->metrics.descender);

    std::unique_ptr<TFreeType> Fallback; // opened the first time a character is missing
    bool FallbackTried = false;
    for (int Byte = 0x20; Byte < 256; ++Byte) {
        const char32_t CodePoint = CodePointOf1251(uint8_t(Byte));
        FT_Face Source = Main->Face;
        if (!Main->Has(CodePoint)) {
            if (!FallbackTried) {
                FallbackTried = true;
                Fallback = std::make_unique<TFreeType>();
                if (!Fallback->Open(FindFontFile(FALLBACK_FAMILIES[0]), SizePx)) Fallback.reset();
            }
            // Neither has it: the main face's missing-glyph box shows that something is there.
            if (Fallback && Fallback->Has(CodePoint)) Source = Fallback->Face;
        }
        Face->Glyphs[size_t(Byte)] = RenderGlyph(Source, CodePoint);
    }
    return Face;
}

TFontFace::~TFontFace() = default;

int TFontFace::Advance(const std::string& Text) const {
    int Width = 0;
    for (char Ch : Text)
        Width += Glyphs[uint8_t(Ch)].AdvancePx;
    return Width;
}
