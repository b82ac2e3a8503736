// The menu's pictures: the labelled buttons (128 x 32, a normal and a highlighted look), the arrow
// buttons (64 x 64, pointing right; the menu mirrors it for the left arrow) and the mouse cursor
// (32 x 32 with transparency, its tip at pixel (8, 0), which the menu puts on the mouse position).

#include "Content.h"

#include "engine/Text1251.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int BUTTON_WIDTH = 128, BUTTON_HEIGHT = 32;
constexpr int ARROW_SIZE = 64;
constexpr int CURSOR_SIZE = 32;
constexpr int LABEL_SIZE_PX = 17;
const char* const MENU_FONT = "Arial"; // the family of the game's own text

// The two looks: cool steel for a button at rest, the console's orange under the mouse.
struct TLook {
    TColor Top, Bottom, Rim, Label, Glow;
};
const TLook NORMAL{Hex("#4a5e7e"), Hex("#1c2638"), Hex("#9fb2d0"), Hex("#e8eef8"), {0, 0, 0, 0}};
const TLook OVER{Hex("#ffb24a"), Hex("#c05a00"), Hex("#fff0c8"), Hex("#ffffff"), Hex("#ffd890")};
const TColor OUTSIDE = Hex("#000000"); // behind the rounded corners: the menu's own black

void Plate(TImage& Img, const TLook& L, double Radius) {
    const int W = Img.Width(), H = Img.Height();
    Img.Fill(0, 0, W, H, [&](double, double) { return OUTSIDE; });
    const std::vector<TVec2D> Outer = RoundedRectOutline(0.5, 0.5, W - 0.5, H - 0.5, Radius, 8);
    FillPolygonPx(Img, Outer, L.Rim);
    const std::vector<TVec2D> Inner = RoundedRectOutline(2, 2, W - 2, H - 2, Radius - 1.5, 8);
    // The face: a vertical gradient with a glossy upper half.
    TImage Face(W, H);
    Face.Fill(0, 0, W, H, [&](double X, double Y) {
        const double T = Y / H;
        TColor C = Mix(L.Top, L.Bottom, T);
        if (T < 0.48) C = Mix(C, Hex("#ffffff"), 0.16 * (1 - T / 0.48));
        const double Brush = 0.03 * std::sin(X * 0.9 + std::sin(Y * 0.3));
        return Shade(C, 1 + Brush);
    });
    // Lay the face into the inner outline through a mask.
    TImage Mask(W, H, {0, 0, 0, 0});
    FillPolygonPx(Mask, Inner, Hex("#ffffff"));
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X) {
            const double A = Mask.Get(X, Y).a;
            if (A > 0) Img.Blend(X, Y, Face.Get(X, Y), A);
        }
}

// A label centred on the button, drawn twice a pixel apart for weight, over a soft shadow.
void Label(TImage& Img, const std::string& Text, const TLook& L) {
    int LineHeight = 0, Baseline = 0;
    TextMetrics(MENU_FONT, LABEL_SIZE_PX, LineHeight, Baseline);
    const double X = Img.Width() / 2.0 - 0.5, Y = (Img.Height() - LineHeight) / 2.0;
    const std::string T = Win1251(Text);
    if (L.Glow.a > 0)
        for (int DX = -2; DX <= 2; ++DX)
            for (int DY = -2; DY <= 2; ++DY)
                DrawTextPx(Img, MENU_FONT, LABEL_SIZE_PX, T, X + DX, Y + DY,
                           {L.Glow.r, L.Glow.g, L.Glow.b, 0.10}, 1);
    DrawTextPx(Img, MENU_FONT, LABEL_SIZE_PX, T, X + 1, Y + 1, {0, 0, 0, 0.55}, 1);
    DrawTextPx(Img, MENU_FONT, LABEL_SIZE_PX, T, X + 2, Y + 1, {0, 0, 0, 0.55}, 1);
    DrawTextPx(Img, MENU_FONT, LABEL_SIZE_PX, T, X, Y, L.Label, 1);
    DrawTextPx(Img, MENU_FONT, LABEL_SIZE_PX, T, X + 1, Y, L.Label, 1);
}

TImage Button(const std::string& Text, const TLook& L) {
    TImage Img(BUTTON_WIDTH, BUTTON_HEIGHT);
    Plate(Img, L, 9);
    Label(Img, Text, L);
    return Img;
}

// A round button with a fat arrow pointing right.
TImage Arrow(const TLook& L) {
    const int N = ARROW_SIZE;
    TImage Img(N, N);
    Img.Fill(0, 0, N, N, [](double, double) { return OUTSIDE; });
    const double C = N / 2.0, R = N / 2.0 - 2;
    std::vector<TVec2D> Disc, Face;
    for (int I = 0; I < 64; ++I) {
        const double A = 2 * PI * I / 64;
        Disc.push_back({C + R * std::cos(A), C + R * std::sin(A)});
        Face.push_back({C + (R - 2.5) * std::cos(A), C + (R - 2.5) * std::sin(A)});
    }
    FillPolygonPx(Img, Disc, L.Rim);
    TImage Shine(N, N, {0, 0, 0, 0});
    FillPolygonPx(Shine, Face, Hex("#ffffff"));
    for (int Y = 0; Y < N; ++Y)
        for (int X = 0; X < N; ++X) {
            const double A = Shine.Get(X, Y).a;
            if (A <= 0) continue;
            const double T = double(Y) / N;
            TColor Col = Mix(L.Top, L.Bottom, T);
            const double Highlight =
                std::exp(-(std::pow(X - C * 0.8, 2) + std::pow(Y - C * 0.55, 2)) / 180.0);
            Img.Blend(X, Y, Mix(Col, Hex("#ffffff"), 0.35 * Highlight), A);
        }
    const std::vector<TVec2D> Head = {{18, 25}, {34, 25}, {34, 14}, {50, 32},
                                      {34, 50}, {34, 39}, {18, 39}};
    std::vector<TVec2D> Shadow;
    for (const TVec2D& P : Head)
        Shadow.push_back({P.x + 1.5, P.y + 1.5});
    FillPolygonPx(Img, Shadow, {0, 0, 0, 0.45});
    FillPolygonPx(Img, Head, L.Label);
    StrokePx(Img, Head, 1.2, Shade(L.Bottom, 0.7), true);
    return Img;
}

// The mouse pointer: a white arrow with a black outline and a soft shadow, transparent elsewhere;
// its tip is the picture's pixel (8, 0).
TImage Cursor() {
    TImage Img(CURSOR_SIZE, CURSOR_SIZE, {0, 0, 0, 0});
    constexpr double TIP_X = 8, TIP_Y = 0;
    const std::vector<TVec2D> Pointer = {
        {TIP_X + 0.5, TIP_Y + 0.2}, {TIP_X + 0.5, 21.5}, {TIP_X + 5.2, 17.2}, {TIP_X + 8.6, 25.2},
        {TIP_X + 11.4, 24.0},       {TIP_X + 8.0, 16.2}, {TIP_X + 14.2, 16.0}};
    std::vector<TVec2D> Shadow;
    for (const TVec2D& P : Pointer)
        Shadow.push_back({P.x + 2.2, P.y + 2.2});
    FillPolygonPx(Img, Shadow, {0, 0, 0, 0.35});
    StrokePx(Img, Pointer, 2.2, Hex("#000000"), true);
    FillPolygonPx(Img, Pointer, Hex("#fafafa"));
    StrokePx(Img, Pointer, 1.0, Hex("#101010"), true);
    // Transparent pixels carry no colour, so nothing dark fringes the arrow when filtered.
    for (int Y = 0; Y < CURSOR_SIZE; ++Y)
        for (int X = 0; X < CURSOR_SIZE; ++X) {
            TColor P = Img.Get(X, Y);
            if (P.a <= 0) Img.Set(X, Y, {0, 0, 0, 0});
        }
    return Img;
}

} // namespace

void BuildButtons(TContent& Content) {
    struct TLabelled {
        const char* File;
        const char* Text;
    };
    const TLabelled Labels[] = {{"newgame", "Новая игра"},
                                {"continue", "Продолжить"},
                                {"about", "Об игре"},
                                {"quit", "Выход"},
                                {"next", "Далее"}};
    for (const TLabelled& L : Labels) {
        Content.Pictures.push_back({std::string("textures/buttons/") + L.File + ".jpg",
                                    Button(L.Text, NORMAL), TPictureFormat::Jpeg});
        Content.Pictures.push_back({std::string("textures/buttons/") + L.File + "over.jpg",
                                    Button(L.Text, OVER), TPictureFormat::Jpeg});
    }
    Content.Pictures.push_back({"textures/buttons/arr1.jpg", Arrow(NORMAL), TPictureFormat::Jpeg});
    Content.Pictures.push_back({"textures/buttons/arr2.jpg", Arrow(OVER), TPictureFormat::Jpeg});
    Content.Pictures.push_back({"textures/cursor.tga", Cursor(), TPictureFormat::Tga});
}
