#include "engine/sdl/FontRaster.h"

#include "engine/sdl/FontFace.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

namespace {

// Opening a face renders all its glyphs; tools paint many short texts at a few sizes, so each face
// asked for stays open (a face that does not open is remembered too) until the program ends.
const TFontFace* CachedFace(const std::string& Family, int SizePx) {
    static std::mutex Lock;
    static std::map<std::pair<std::string, int>, std::unique_ptr<TFontFace>> Faces;
    const std::lock_guard<std::mutex> Guard(Lock);
    auto Found = Faces.find({Family, SizePx});
    if (Found == Faces.end())
        Found = Faces.emplace(std::pair{Family, SizePx}, TFontFace::Open(Family, SizePx)).first;
    return Found->second.get();
}

} // namespace

TTextImage RasterizeText(const std::string& Family, int SizePx, const std::string& Text1251) {
    TTextImage Image;
    const TFontFace* Face = CachedFace(Family, SizePx);
    if (!Face) return Image;

    // The line box from the pen's start, then grown to hold all ink right of x = 0.
    int Top = -Face->AscentPx(), Bottom = Face->DescentPx(); // relative to the baseline
    int Right = Face->Advance(Text1251);
    int Pen = 0;
    for (char Ch : Text1251) {
        const TFontFace::TGlyph& G = Face->Glyph(uint8_t(Ch));
        if (G.Width > 0 && G.Height > 0) {
            Top = std::min(Top, -G.Top);
            Bottom = std::max(Bottom, G.Height - G.Top);
            Right = std::max(Right, Pen + G.Left + G.Width);
        }
        Pen += G.AdvancePx;
    }
    Image.Width = std::max(0, Right);
    Image.Height = Bottom - Top;
    Image.BaselineY = -Top;
    Image.Alpha.assign(size_t(Image.Width) * size_t(Image.Height), 0);

    Pen = 0;
    for (char Ch : Text1251) {
        const TFontFace::TGlyph& G = Face->Glyph(uint8_t(Ch));
        for (int Y = 0; Y < G.Height; ++Y) {
            const int ImageY = Image.BaselineY - G.Top + Y;
            for (int X = 0; X < G.Width; ++X) {
                const int ImageX = Pen + G.Left + X;
                if (ImageX < 0 || ImageX >= Image.Width || ImageY < 0 || ImageY >= Image.Height)
                    continue;
                uint8_t& Out = Image.Alpha[size_t(ImageY) * size_t(Image.Width) + size_t(ImageX)];
                // Where glyphs overlap (a tight pair) the later one lies over the earlier, as
                // alpha blending puts them on screen.
                const int Over = G.Alpha[size_t(Y) * size_t(G.Width) + size_t(X)];
                Out = uint8_t(Out + (Over * (255 - Out) + 127) / 255);
            }
        }
        Pen += G.AdvancePx;
    }
    return Image;
}
