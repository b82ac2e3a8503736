#pragma once
// One font face at one pixel size, with every glyph of the Windows-1251 code page rendered once as
// 8-bit coverage. Shared by the on-screen glyph atlases and the CPU-side text rasteriser, so that
// both place and advance every glyph identically.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The font file fontconfig picks for a family name ("Arial" gives a metric-compatible face such as
// Liberation Sans), or an empty string when nothing matches at all.
std::string FindFontFile(const std::string& Family);

class TFontFace {
public:
    // Font sizes are kept within these bounds; a size of 0 or less means the default.
    static constexpr int DEFAULT_SIZE_PX = 16;
    static constexpr int MAX_SIZE_PX = 128;
    // The size a face asked for at SizePx is opened at.
    static constexpr int ClampSizePx(int SizePx) {
        return SizePx <= 0 ? DEFAULT_SIZE_PX : SizePx > MAX_SIZE_PX ? MAX_SIZE_PX : SizePx;
    }

    struct TGlyph {
        int Width = 0, Height = 0;  // of the coverage bitmap, pixels
        int Left = 0;               // from the pen position to the bitmap's left edge, pixels
        int Top = 0;                // from the baseline up to the bitmap's top edge, pixels
        int AdvancePx = 0;          // how far the pen moves after the glyph
        std::vector<uint8_t> Alpha; // Width x Height coverage, row-major, top row first
    };

    // The face of the family at SizePx pixels per em; when the family's file cannot be opened,
    // DejaVu Sans and then any sans-serif face stand in. Null only when no font opens at all.
    static std::unique_ptr<TFontFace> Open(const std::string& Family, int SizePx);
    ~TFontFace();
    TFontFace(const TFontFace&) = delete;
    TFontFace& operator=(const TFontFace&) = delete;

    // The glyph of one Windows-1251 byte. Control bytes (below 0x20) have no ink and no advance.
    // A character the face lacks comes from the fallback face, else the face's missing-glyph box.
    const TGlyph& Glyph(uint8_t Byte) const { return Glyphs[Byte]; }
    // The pen advance of a whole Windows-1251 text: the sum of its glyphs' advances.
    int Advance(const std::string& Text) const;

    int SizePx() const { return Size; }
    int AscentPx() const { return Ascent; }   // baseline below the top of the line box
    int DescentPx() const { return Descent; } // bottom of the line box below the baseline
    int LineHeightPx() const { return Ascent + Descent; }
    const std::string& FileName() const { return File; }

private:
    TFontFace() = default;
    std::array<TGlyph, 256> Glyphs;
    int Size = 0, Ascent = 0, Descent = 0;
    std::string File;
};
