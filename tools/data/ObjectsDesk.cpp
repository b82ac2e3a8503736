// The rest of the desk: calendar, telephone, cigarette and its pack, folder, monitor, book, CD,
// sheet of paper and a crumpled one, toy cube, and the chequered start flag.

#include "Objects.h"

#include "engine/Text1251.h"

#include <algorithm>

namespace {

const char* const SANS = "Liberation Sans";
const char* const SERIF = "Liberation Serif";

// Lines of grey "text" across a rectangle of a canvas: a printed page seen from afar.
void PrintedLines(TCanvas& C, double X0, double Y0, double X1, double Y1, double Step,
                  double Weight, uint32_t Seed) {
    int Line = 0;
    for (double Y = Y1 - Step; Y > Y0; Y -= Step, ++Line) {
        const bool ParagraphEnd = Random01(Line, 0, Seed) < 0.18;
        const double End =
            ParagraphEnd ? X0 + (X1 - X0) * (0.3 + 0.5 * Random01(Line, 1, Seed)) : X1;
        // Words: short dark strokes with gaps.
        double X = X0 + (Random01(Line, 2, Seed) < 0.2 ? Step * 1.5 : 0);
        int Word = 0;
        while (X < End) {
            const double W = Step * (0.8 + 2.6 * Random01(Line, 10 + Word, Seed));
            C.Line(X, Y, std::min(X + W, End), Y, Weight,
                   Gray(0.35 + 0.15 * Random01(Line, 40 + Word, Seed)));
            X += W + Step * 0.55;
            ++Word;
        }
        if (ParagraphEnd) Y -= Step * 0.6;
    }
}

} // namespace

// ---------------------------------------------------------------- desk calendar

static void BuildCalendar(TModel& M, TImage& T) {
    // An A-frame flip calendar: the month page on the front slope, a wire binding at the ridge.
    constexpr double HX = 90, FRONT_Y = -55, RIDGE_Y = 20, RIDGE_Z = 70, BACK_Y = 45, RING_R = 4.5;
    const double Slope = std::hypot(RIDGE_Y - FRONT_Y, RIDGE_Z);
    TCanvas Page = TCanvas::Cell(T, 0, 0, 512, 320, -HX, 0, HX, Slope);
    TCanvas Back = TCanvas::Cell(T, 0, 320, 256, 448, -HX, 0, HX, 1);
    TCanvas End = TCanvas::Cell(T, 256, 320, 384, 448, 0, 0, 1, 1);
    TCanvas Rings = TCanvas::Cell(T, 384, 320, 512, 384, 0, 0, 1, 1);

    const TColor Red = Hex("#d02424"), Ink = Hex("#1e1e24");
    Page.Paint([](double X, double Y) { return Cardboard(Hex("#f7f5ee"), X, Y, 501); });
    Page.Rect(-HX, Slope - 24, HX, Slope, Red);
    Page.Text(SANS, 15, Win1251("МАЙ"), 0, Slope - 12.5, Hex("#ffffff"));
    const char* const Days[7] = {"ПН", "ВТ", "СР", "ЧТ", "ПТ", "СБ", "ВС"};
    constexpr double CELL_W = 23, CELL_H = 12.2, GRID_X = -HX + 11.5 + 1.5, GRID_TOP = 72;
    for (int D = 0; D < 7; ++D)
        Page.Text(SANS, 6, Win1251(Days[D]), GRID_X + D * CELL_W, GRID_TOP + 3.5,
                  D >= 5 ? Red : Ink);
    Page.Line(-HX + 4, GRID_TOP - 1, HX - 4, GRID_TOP - 1, 0.6, Gray(0.6));
    // May with the 1st on a Saturday: six weeks of rows.
    for (int Day = 1; Day <= 31; ++Day) {
        const int Slot = Day + 4, Col = Slot % 7, Row = Slot / 7;
        const double X = GRID_X + Col * CELL_W, Y = GRID_TOP - 7 - Row * CELL_H;
        if (Day == 9) Page.Ring(X, Y, 5.6, 1.0, Red);
        Page.Text(SANS, 8, std::to_string(Day), X, Y, Col >= 5 ? Red : Ink);
    }
    Back.Paint([](double X, double Y) { return Cardboard(Hex("#2c4a7a"), X, Y * 80, 503); });
    Back.Text(SANS, 0.3, "MARVOLIN", 0, 0.5, Hex("#e0e6f0"));
    End.Paint([](double X, double Y) { return Cardboard(Hex("#2c4a7a"), X * 80, Y * 80, 505); });
    Rings.Paint([](double X, double Y) {
        const bool Wire = std::fmod(Y * 15, 1.0) < 0.55;
        return Wire ? Gray(0.78 + 0.15 * std::sin(X * 2 * PI)) : Gray(0.12);
    });

    AddPictureQuad(M, {-HX, FRONT_Y, 0}, {HX, FRONT_Y, 0}, {HX, RIDGE_Y, RIDGE_Z},
                   {-HX, RIDGE_Y, RIDGE_Z}, Page.Region());
    AddPictureQuad(M, {HX, BACK_Y, 0}, {-HX, BACK_Y, 0}, {-HX, RIDGE_Y, RIDGE_Z},
                   {HX, RIDGE_Y, RIDGE_Z}, Back.Region());
    for (double S : {1.0, -1.0}) {
        const TRegion R = End.Region();
        M.BeginFace();
        const int A = M.Vertex({S * HX, FRONT_Y, 0}), B = M.Vertex({S * HX, BACK_Y, 0}),
                  C = M.Vertex({S * HX, RIDGE_Y, RIDGE_Z});
        const int TA = M.TexCoord(R.U0, R.V1), TB = M.TexCoord(R.U1, R.V1),
                  TC = M.TexCoord(R.U(0.7), R.V0);
        if (S > 0)
            M.Triangle(A, B, C, TA, TB, TC);
        else
            M.Triangle(A, C, B, TA, TC, TB);
    }
    const TXform Saved = M.Place;
    M.Place = TXform::Along({-HX + 2, RIDGE_Y, RIDGE_Z - 1}, {1, 0, 0}, {0, 0, 1});
    AddLathe(M, {{0, 0}, {RING_R, 0}, {RING_R, 2 * HX - 4}, {0, 2 * HX - 4}}, 10,
             WrapUV(Rings.Region()), 45);
    M.Place = Saved;
}

// ---------------------------------------------------------------- telephone

static void BuildTelephone(TModel& M, TImage& T) {
    constexpr double HX = 95;
    // The body's side outline (y, z): flat bottom, back wall, a cradle on top, the keypad slope.
    const TOutline Body = {{-105, 0}, {105, 0},  {105, 52}, {100, 58},
                           {38, 62},  {-92, 32}, {-105, 24}};
    constexpr size_t BOTTOM = 0, CRADLE = 3, KEYPAD = 4;
    const double SlopeLength = std::hypot(38.0 - -92.0, 62.0 - 32.0);
    const double CradleLength = std::hypot(100.0 - 38.0, 58.0 - 62.0);
    TCanvas Keypad = TCanvas::Cell(T, 0, 0, 512, 192, -HX, 0, HX, SlopeLength);
    TCanvas Cradle = TCanvas::Cell(T, 0, 192, 512, 256, -HX, 0, HX, CradleLength);
    TCanvas Shell = TCanvas::Cell(T, 0, 256, 128, 320, 0, 0, 1, 1);
    TCanvas Flank = TCanvas::Cell(T, 128, 256, 256, 320, 0, 0, 1, 1);
    TCanvas Handset = TCanvas::Cell(T, 256, 256, 512, 320, 0, 0, 1, 1);
    TCanvas Cup = TCanvas::Cell(T, 0, 320, 256, 384, 0, 0, 1, 1);
    TCanvas Cord = TCanvas::Cell(T, 256, 320, 512, 352, 0, 0, 1, 1);
    TCanvas KeySide = TCanvas::Cell(T, 256, 352, 512, 384, 0, 0, 1, 1);
    const char* const Keys[12] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "*", "0", "#"};
    std::vector<TCanvas> KeyCaps;
    for (int K = 0; K < 12; ++K)
        KeyCaps.push_back(TCanvas::Cell(T, 64 * (K % 8), 384 + 64 * (K / 8), 64 * (K % 8 + 1),
                                        448 + 64 * (K / 8), -9, -6.5, 9, 6.5));

    const TColor Ivory = Hex("#ddd6c6"), Grey = Hex("#8c877d"), Ink = Hex("#25231f");
    Keypad.Paint([&](double X, double Y) { return Plastic(Ivory, X, Y, 511); });
    Keypad.RoundRect(-70, SlopeLength - 40, 70, SlopeLength - 8, 4, Hex("#4b4a44"));
    Keypad.RoundRect(-64, SlopeLength - 35, 40, SlopeLength - 13, 2, Hex("#9fb08a")); // the display
    Keypad.Text(SANS, 9, "12:45", -12, SlopeLength - 24, Hex("#2a3324"));
    Keypad.RoundRect(-60, 6, 60, SlopeLength - 46, 6, Shade(Ivory, 0.86)); // the key well
    for (int I = 0; I < 4; ++I) {
        Keypad.RoundRect(55, 80 - I * 18, 80, 91 - I * 18, 2, I == 0 ? Hex("#c82828") : Grey);
        Keypad.RoundRect(-80, 80 - I * 18, -55, 91 - I * 18, 2, Grey);
    }
    for (int I = 0; I < 5; ++I)
        for (int K = 0; K < 4; ++K)
            Keypad.Circle(-78 + K * 7, 16 + I * 7, 1.6, Hex("#3a3834")); // speaker
    Keypad.Text(SANS, 6, "MARVOLIN", 60, 14, Grey);
    Cradle.Paint([&](double X, double Y) { return Plastic(Shade(Ivory, 0.95), X, Y, 513); });
    Cradle.RoundRect(-70, 8, 70, CradleLength - 8, 10, Shade(Ivory, 0.8));
    Shell.Paint(
        [&](double X, double Y) { return Plastic(Shade(Ivory, 0.9), X * 100, Y * 100, 515); });
    Flank.Paint(
        [&](double X, double Y) { return Plastic(Shade(Ivory, 0.9), X * 100, Y * 100, 517); });
    Handset.Paint([&](double X, double Y) {
        return Shade(Plastic(Ivory, X * 200, Y * 40, 519),
                     0.85 + 0.3 * std::exp(-std::pow((Y - 0.5) * 5, 2)));
    });
    Cup.Paint([&](double X, double Y) {
        const double Shine = 0.85 + 0.3 * std::exp(-std::pow((Y - 0.5) * 5, 2));
        return Shade(Plastic(Ivory, X * 100, Y * 100, 521), Shine);
    });
    for (int I = 0; I < 5; ++I)
        Cup.Circle(0.25 + 0.1 * (I % 3), 0.4 + 0.1 * (I / 3), 0.025, Grey); // mouthpiece holes
    Cord.Paint(
        [&](double X, double) { return Shade(Grey, std::fmod(X * 60, 1.0) < 0.5 ? 0.75 : 1.05); });
    KeySide.FillAll(Shade(Ivory, 0.7));
    for (int K = 0; K < 12; ++K) {
        KeyCaps[size_t(K)].Paint(
            [&](double X, double Y) { return Plastic(Hex("#f4f2ec"), X, Y, 523 + uint32_t(K)); });
        KeyCaps[size_t(K)].Text(SANS, 9, Keys[K], 0, 0.4, Ink);
    }

    AddExtrusionX(
        M, Body, -HX, HX,
        [&](size_t E) {
            return E == BOTTOM   ? NO_REGION
                   : E == CRADLE ? Cradle.Region()
                   : E == KEYPAD ? Keypad.Region()
                                 : Shell.Region();
        },
        Flank.Region(), Flank.Region());
    // Raised keys on the keypad slope: a frame on the slope, x across, y up the slope, z out of it.
    const TVecD SlopeTop{0, 38, 62}, SlopeDown = Normalized(TVecD{0, -92 - 38, 32 - 62});
    const TVecD SlopeNormal = Cross(TVecD{1, 0, 0}, TVecD{0, -SlopeDown.y, -SlopeDown.z});
    for (int K = 0; K < 12; ++K) {
        const double X = -24 + 24 * (K % 3), Down = 54 + 17 * (K / 3);
        TXform F;
        F.X = {1, 0, 0};
        F.Y = TVecD{0, 0, 0} - SlopeDown;
        F.Z = SlopeNormal;
        F.T = SlopeTop + SlopeDown * Down + TVecD{X, 0, 0};
        const TXform Saved = M.Place;
        M.Place = Saved * F;
        TBoxSkin Skin = TBoxSkin::All(KeySide.Region());
        Skin.Top = KeyCaps[size_t(K)].Region();
        Skin.Bevel = KeySide.Region();
        AddBox(M, {-9, -6.5, -1}, {9, 6.5, 3.2}, Skin, 1.0);
        M.Place = Saved;
    }
    // The handset across the cradle: a handle between an ear cup and a mouth cup.
    const TOutline Handle = RoundedRectOutline(57, 62, 83, 80, 8, 4);
    const TOutline CupSection = RoundedRectOutline(45, 60, 95, 88, 12, 4);
    constexpr size_t ROUND_BOTTOM = 19; // the straight underside of a rounded section
    const auto HandsetWalls = [&](const TCanvas& C) {
        return [&C](size_t E) { return E == ROUND_BOTTOM ? NO_REGION : C.Region(); };
    };
    AddExtrusionX(M, Handle, -64, 64, HandsetWalls(Handset), NO_REGION, NO_REGION);
    AddExtrusionX(M, CupSection, -100, -64, HandsetWalls(Cup), Cup.Region(), Cup.Region());
    AddExtrusionX(M, CupSection, 64, 100, HandsetWalls(Cup), Cup.Region(), Cup.Region());
    // The coiled cord from the mouth cup down to the side of the body.
    AddTube(M,
            {{-98, 50, 64},
             {-108, 40, 52},
             {-116, 26, 34},
             {-120, 8, 16},
             {-118, -12, 6},
             {-110, -30, 4},
             {-97, -42, 6}},
            3.2, 7, Cord.Region());
}

// ---------------------------------------------------------------- cigarette

static void BuildCigarette(TModel& M, TImage& T) {
    constexpr double LENGTH = 84, R = 4.2, FILTER = 62;
    TCanvas Wrap = TCanvas::Whole(T, 0, 0, LENGTH, 1);
    // x along the cigarette from the burning tip, y around it.
    Wrap.Paint([&](double X, double Y) {
        const double Shine = 0.9 + 0.2 * std::exp(-std::pow((Y - 0.5) * 5, 2));
        if (X < 2.2)
            return Shade(Gray(0.55 + 0.2 * Random01(int(X * 20), int(Y * 40), 531)), Shine); // ash
        if (X < 3.8)
            return Shade(Mix(Hex("#ff5a10"), Hex("#3a2a22"), (X - 2.2) / 1.6), 1.0); // burning edge
        if (X < FILTER - 1.2) return Shade(Hex("#f6f4ee"), Shine);
        if (X < FILTER) return Hex("#c8a040");       // the gold rings
        if (X > LENGTH - 0.3) return Hex("#e8dcc0"); // filter end
        const double Cork = Random01(int(X * 6), int(Y * 30), 533);
        return Shade(Cork > 0.7 ? Hex("#b86a2a") : Hex("#d88a3a"), Shine);
    });
    const TXform Saved = M.Place;
    M.Place = LyingAlongX(-LENGTH / 2, R);
    AddLathe(M, {{0, 0}, {2.6, 0.6}, {3.9, 2.0}, {R, 3.8}, {R, LENGTH}, {0, LENGTH}}, 14,
             AlongUV(Wrap.Region(), LENGTH), 35);
    M.Place = Saved;
}

// ---------------------------------------------------------------- cigarette pack

static void BuildCigaretteBox(TModel& M, TImage& T) {
    constexpr double HX = 44, HY = 27.5, H = 22;
    TCanvas Top = TCanvas::Cell(T, 0, 0, 256, 160, -HX, -HY, HX, HY);
    TCanvas Long = TCanvas::Cell(T, 0, 160, 256, 208, 0, 0, 1, 1);
    TCanvas Short = TCanvas::Cell(T, 0, 208, 128, 256, 0, 0, 1, 1);
    const TColor Red = Hex("#c41a1e"), White = Hex("#f8f6f0"), Gold = Hex("#c9a44a");
    Top.Paint([&](double X, double Y) { return Cardboard(White, X, Y, 541); });
    // A red roof over the top half, the brand in the white below, a gold crest, the warning.
    Top.Polygon(
        {{-HX - 2, 2}, {-6, 2}, {0, 10}, {6, 2}, {HX + 2, 2}, {HX + 2, HY + 2}, {-HX - 2, HY + 2}},
        Red);
    Top.Circle(0, 15.5, 5, Gold);
    Top.Circle(0, 15.5, 3.6, Red);
    Top.Text(SERIF, 11, Win1251("ПЕЛТА"), 0, -6, Hex("#1a1a1a"));
    Top.Rect(-HX, -HY, HX, -HY + 9, Hex("#ffffff"));
    Top.Rect(-HX + 1, -HY + 1, HX - 1, -HY + 8, Hex("#1a1a1a"));
    Top.Text(SANS, 2.6, Win1251("МИНЗДРАВ ПРЕДУПРЕЖДАЕТ:"), 0, -HY + 6, White);
    Top.Text(SANS, 2.6, Win1251("КУРЕНИЕ ВРЕДИТ ВАШЕМУ ЗДОРОВЬЮ"), 0, -HY + 3, White);
    Top.Line(-HX, 12, HX, 12, 0.3, Shade(Red, 0.6)); // the lid's fold
    Long.Paint([&](double X, double Y) {
        return Cardboard(Y < 0.45 ? Red : White, X * 100, Y * 30, 543);
    });
    Short.Paint(
        [&](double X, double Y) { return Cardboard(Y < 0.45 ? Red : White, X * 60, Y * 30, 545); });
    const TBoxSkin Skin{.Top = Top.Region(),
                        .Front = Long.Region(),
                        .Back = Long.Region(),
                        .Left = Short.Region(),
                        .Right = Short.Region(),
                        .Bevel = Top.Region()};
    AddBox(M, {-HX, -HY, 0}, {HX, HY, H}, Skin, 1.6);
}

// ---------------------------------------------------------------- folder

static void BuildFolder(TModel& M, TImage& T) {
    constexpr double HX = 117, HY = 160, BOARD = 1.6, STACK = 2.8, SHEETS_OUT = 11;
    TCanvas Cover = TCanvas::Cell(T, 0, 0, 384, 512, -HX, -HY, HX, HY);
    TCanvas Sheets =
        TCanvas::Cell(T, 384, 0, 512, 256, -HX + 3, -HY + 10, HX + SHEETS_OUT, HY - 12);
    TCanvas Board = TCanvas::Cell(T, 384, 256, 512, 320, 0, 0, 1, 1);
    TCanvas SheetEdge = TCanvas::Cell(T, 384, 320, 512, 384, 0, 0, 1, 1);
    TCanvas String = TCanvas::Cell(T, 384, 384, 448, 448, 0, 0, 1, 1);
    const TColor Buff = Hex("#dcc9a0"), Ink = Hex("#2a2622");
    // The classic office file: "ДЕЛО №" with lines to fill in, on buff cardboard.
    Cover.Paint([&](double X, double Y) { return Cardboard(Buff, X, Y, 551); });
    Cover.Polyline(
        {{-HX + 12, -HY + 12}, {HX - 12, -HY + 12}, {HX - 12, HY - 12}, {-HX + 12, HY - 12}}, 1.2,
        Ink, true);
    Cover.Text(SERIF, 26, Win1251("ДЕЛО №"), -12, 92, Ink);
    Cover.Line(48, 84, 90, 84, 1.0, Ink);
    Cover.Text(SERIF, 20, "17", 68, 96, Hex("#1c3a8a"));
    for (int I = 0; I < 5; ++I)
        Cover.Line(-90, 40 - I * 22, 90, 40 - I * 22, 0.8, Ink);
    Cover.Text(SERIF, 14, Win1251("Отчёты по заездам"), 0, 48, Hex("#1c3a8a"));
    Cover.Text(SERIF, 10, Win1251("Начато"), -64, -82, Ink);
    Cover.Text(SERIF, 10, Win1251("Окончено"), -58, -104, Ink);
    Cover.Line(-36, -86, 40, -86, 0.8, Ink);
    Cover.Line(-20, -108, 40, -108, 0.8, Ink);
    Cover.Text(SERIF, 10, Win1251("На        листах"), 40, -130, Ink);
    Sheets.Paint(
        [](double X, double Y) { return Gray(0.95 + 0.03 * Random01(int(X), int(Y), 553)); });
    PrintedLines(Sheets, -HX + 20, -HY + 30, HX + SHEETS_OUT - 8, HY - 30, 9, 1.6, 555);
    Board.Paint(
        [&](double X, double Y) { return Cardboard(Shade(Buff, 0.85), X * 100, Y * 20, 557); });
    SheetEdge.Paint(
        [](double, double Y) { return Gray(std::fmod(Y * 12, 1.0) < 0.5 ? 0.93 : 0.8); });
    String.FillAll(Hex("#f2f0e8"));

    const TBoxSkin BoardSkin = TBoxSkin::All(Board.Region());
    AddBox(M, {-HX, -HY, 0}, {HX, HY, BOARD}, BoardSkin);
    TBoxSkin SheetSkin = TBoxSkin::All(SheetEdge.Region());
    SheetSkin.Top = Sheets.Region();
    AddBox(M, {-HX + 3, -HY + 10, BOARD}, {HX + SHEETS_OUT, HY - 12, BOARD + STACK}, SheetSkin);
    TBoxSkin CoverSkin = TBoxSkin::All(Board.Region());
    CoverSkin.Top = Cover.Region();
    CoverSkin.Bevel = Cover.Region();
    AddBox(M, {-HX, -HY, BOARD + STACK}, {HX, HY, 2 * BOARD + STACK}, CoverSkin, 0.4);
    // The tie: two tapes from under the cover, knotted in a bow on the open edge.
    const double Z = 2 * BOARD + STACK;
    const TBoxSkin Tape = TBoxSkin::All(String.Region());
    AddBox(M, {HX - 22, -3, Z}, {HX + 8, 3, Z + 0.8}, Tape);
    AddBox(M, {HX - 8, -14, Z + 0.8}, {HX - 4, 14, Z + 1.6}, Tape);
    AddBox(M, {HX - 12, -2.5, Z + 0.8}, {HX, 2.5, Z + 2.4}, Tape, 0.6);
}

// ---------------------------------------------------------------- monitor

static void BuildMonitor(TModel& M, TImage& T) {
    // A CRT monitor on a swivel foot: a deep bezel box at the front (+y, the screen), the picture
    // tube's housing tapering away behind it, cooling slots on top.
    constexpr double BOX_HX = 178, BOX_Y0 = 118, BOX_Y1 = 190, BOX_Z0 = 30, BOX_Z1 = 300;
    constexpr double HOOD_FRONT_HX = 166, HOOD_FRONT_Z0 = 40, HOOD_FRONT_Z1 = 290;
    constexpr double HOOD_BACK_Y = -190, HOOD_BACK_HX = 100, HOOD_BACK_Z0 = 80, HOOD_BACK_Z1 = 232;
    constexpr double FOOT_R = 110;
    TCanvas Foot = TCanvas::Cell(T, 0, 0, 128, 128, -FOOT_R, -FOOT_R, FOOT_R, FOOT_R);
    TCanvas BoxTop = TCanvas::Cell(T, 128, 0, 512, 128, -BOX_HX, BOX_Y0, BOX_HX, BOX_Y1);
    TCanvas HoodTop =
        TCanvas::Cell(T, 0, 128, 512, 384, -HOOD_FRONT_HX, HOOD_BACK_Y, HOOD_FRONT_HX, BOX_Y0);
    TCanvas Screen = TCanvas::Cell(T, 0, 384, 256, 512, -BOX_HX, BOX_Z0, BOX_HX, BOX_Z1);
    TCanvas Housing = TCanvas::Cell(T, 256, 384, 384, 512, 0, 0, 1, 1);
    TCanvas Back = TCanvas::Cell(T, 384, 384, 512, 512, -HOOD_BACK_HX, HOOD_BACK_Z0, HOOD_BACK_HX,
                                 HOOD_BACK_Z1);
    const TColor Putty = Hex("#d8d1bd"), Dark = Hex("#3a3832");
    Foot.Paint([&](double X, double Y) { return Plastic(Shade(Putty, 0.9), X, Y, 561); });
    BoxTop.Paint([&](double X, double Y) { return Plastic(Putty, X, Y, 563); });
    for (int I = 0; I < 16; ++I)
        BoxTop.RoundRect(-150 + I * 19, 138, -140 + I * 19, 172, 3, Shade(Putty, 0.55));
    HoodTop.Paint([&](double X, double Y) { return Plastic(Putty, X * 0.5, Y * 0.5, 565); });
    // Cooling slots in rows, narrowing with the housing towards the back.
    for (int Row = 0; Row < 6; ++Row) {
        const double Y = 80 - Row * 42;
        const double F = (BOX_Y0 - Y) / (BOX_Y0 - HOOD_BACK_Y);
        const double Half = (HOOD_FRONT_HX + (HOOD_BACK_HX - HOOD_FRONT_HX) * F) - 30;
        for (double X = -Half; X < Half - 6; X += 16)
            HoodTop.RoundRect(X, Y - 12, X + 7, Y + 12, 3, Shade(Putty, 0.45));
    }
    HoodTop.RoundRect(-40, -170, 40, -140, 4, Hex("#f4f2ea"));
    HoodTop.Text(SANS, 12, "MARVOLIN", 0, -155, Dark);
    Screen.Paint([&](double X, double Y) { return Plastic(Putty, X, Y, 567); });
    Screen.RoundRect(-150, 62, 150, 282, 16, Hex("#16221c"));
    Screen.RoundRect(-138, 72, 138, 272, 14, Hex("#20402e"));
    Screen.Text(SANS, 24, "C:\\>_", -70, 240, Hex("#7ae08a"));
    Screen.Circle(150, 44, 5, Hex("#40c040"));
    Housing.Paint(
        [&](double X, double Y) { return Plastic(Shade(Putty, 0.92), X * 300, Y * 300, 569); });
    Back.Paint([&](double X, double Y) { return Plastic(Shade(Putty, 0.9), X, Y, 571); });
    for (int I = 0; I < 7; ++I)
        Back.Line(-70, 100 + I * 18, 70, 100 + I * 18, 5, Shade(Putty, 0.5));

    AddLathe(
        M,
        {{FOOT_R, 0}, {FOOT_R, 6}, {FOOT_R - 12, 13}, {62, 15}, {58, BOX_Z0 + 4}, {0, BOX_Z0 + 4}},
        28, PlanarUV(Foot.Map()), 35);
    TBoxSkin BoxSkin = TBoxSkin::All(Housing.Region());
    BoxSkin.Top = BoxTop.Region();
    BoxSkin.Bevel = BoxTop.Region();
    BoxSkin.Front = Screen.Region();
    AddBox(M, {-BOX_HX, BOX_Y0, BOX_Z0}, {BOX_HX, BOX_Y1, BOX_Z1}, BoxSkin, 8);
    // The housing behind the bezel: top, sides and back of a tapering box.
    const TPlanarMap HoodMap = HoodTop.Map();
    const TVecD FL{-HOOD_FRONT_HX, BOX_Y0, HOOD_FRONT_Z1}, FR{HOOD_FRONT_HX, BOX_Y0, HOOD_FRONT_Z1};
    const TVecD BL{-HOOD_BACK_HX, HOOD_BACK_Y, HOOD_BACK_Z1},
        BR{HOOD_BACK_HX, HOOD_BACK_Y, HOOD_BACK_Z1};
    AddFlatQuad(M, FL, BL, BR, FR, HoodMap.At(FL.x, FL.y), HoodMap.At(BL.x, BL.y),
                HoodMap.At(BR.x, BR.y), HoodMap.At(FR.x, FR.y));
    const TVecD FLB{-HOOD_FRONT_HX, BOX_Y0, HOOD_FRONT_Z0},
        FRB{HOOD_FRONT_HX, BOX_Y0, HOOD_FRONT_Z0};
    const TVecD BLB{-HOOD_BACK_HX, HOOD_BACK_Y, HOOD_BACK_Z0},
        BRB{HOOD_BACK_HX, HOOD_BACK_Y, HOOD_BACK_Z0};
    AddPictureQuad(M, BRB, FRB, FR, BR, Housing.Region());
    AddPictureQuad(M, FLB, BLB, BL, FL, Housing.Region());
    AddPictureQuad(M, BLB, BRB, BR, BL, Back.Region());
    AddPictureQuad(M, FRB, BRB, BLB, FLB,
                   Housing.Region()); // underneath, seen at the edges of the view
}

// ---------------------------------------------------------------- book

static void BuildBook(TModel& M, TImage& T) {
    constexpr double HX = 85, HY = 120, BOARD = 2.5, H = 32, SPINE_R = H / 2;
    TCanvas Cover = TCanvas::Cell(T, 0, 0, 384, 512, -HX, -HY, HX, HY);
    TCanvas Pages = TCanvas::Cell(T, 384, 0, 512, 128, 0, 0, 1, 1);
    TCanvas Edge = TCanvas::Cell(T, 384, 128, 512, 192, 0, 0, 1, 1);
    TCanvas Spine = TCanvas::Cell(T, 384, 192, 512, 448, 0, 0, 1, 1);
    TCanvas SpineEnd = TCanvas::Cell(T, 384, 448, 448, 512, 0, 0, 1, 1);
    const TColor Cloth = Hex("#7a1c22"), Gold = Hex("#d8b45a");
    Cover.Paint([&](double X, double Y) {
        const double Weave = 0.96 + 0.04 * std::sin(X * 3) * std::sin(Y * 3);
        return Shade(Plastic(Cloth, X, Y, 581), Weave);
    });
    Cover.Polyline(
        {{-HX + 10, -HY + 10}, {HX - 10, -HY + 10}, {HX - 10, HY - 10}, {-HX + 10, HY - 10}}, 1.6,
        Gold, true);
    Cover.Polyline(
        {{-HX + 14, -HY + 14}, {HX - 14, -HY + 14}, {HX - 14, HY - 14}, {-HX + 14, HY - 14}}, 0.6,
        Gold, true);
    Cover.Text(SERIF, 13, Win1251("Л. Н. ТОЛСТОЙ"), 0, 70, Gold);
    Cover.Text(SERIF, 22, Win1251("ВОЙНА"), 0, 22, Gold);
    Cover.Text(SERIF, 14, Win1251("и"), 0, 2, Gold);
    Cover.Text(SERIF, 22, Win1251("МИР"), 0, -18, Gold);
    Cover.Circle(0, -70, 12, Gold);
    Cover.Circle(0, -70, 10, Cloth);
    Pages.Paint([](double, double Y) { return Gray(std::fmod(Y * 40, 1.0) < 0.5 ? 0.95 : 0.84); });
    Edge.Paint(
        [&](double X, double Y) { return Plastic(Shade(Cloth, 0.8), X * 100, Y * 10, 583); });
    Spine.Paint([&](double X, double Y) {
        const bool Band = std::fabs(X - 0.12) < 0.015 || std::fabs(X - 0.88) < 0.015;
        return Band ? Gold : Shade(Plastic(Cloth, X * 100, Y * 20, 585), 0.95);
    });
    SpineEnd.FillAll(Shade(Cloth, 0.6));

    TBoxSkin BoardSkin = TBoxSkin::All(Edge.Region());
    AddBox(M, {-HX, -HY, 0}, {HX, HY, BOARD}, BoardSkin);
    const TRegion P = Pages.Region();
    AddBox(M, {-HX + 2, -HY + 3, BOARD}, {HX - 3, HY - 3, H - BOARD},
           {.Front = P, .Back = P, .Right = P});
    TBoxSkin CoverSkin = BoardSkin;
    CoverSkin.Top = Cover.Region();
    CoverSkin.Bevel = Cover.Region();
    AddBox(M, {-HX, -HY, H - BOARD}, {HX, HY, H}, CoverSkin, 0.6);
    // The rounded spine along the -x edge: a half round extruded along y.
    TOutline Section;
    for (int I = 0; I <= 8; ++I) {
        const double A = (-90 + 180.0 * I / 8) * DEG;
        Section.push_back({HX + SPINE_R * 0.45 * std::cos(A), SPINE_R + SPINE_R * std::sin(A)});
    }
    const TXform Saved = M.Place;
    M.Place = Saved * TXform::RotZ(90); // local x runs along the book, local y out of its -x edge
    const TRegion S = Spine.Region();
    AddExtrusionX(
        M, Section, -HY, HY, [&](size_t E) { return E + 1 == Section.size() ? NO_REGION : S; },
        SpineEnd.Region(), SpineEnd.Region(), 30);
    M.Place = Saved;
}

// ---------------------------------------------------------------- CD

static void BuildDisc(TModel& M, TImage& T) {
    constexpr double R = 60, HOLE = 7.5, THICK = 1.2;
    TCanvas Top = TCanvas::Whole(T, -R, -R, R, R);
    // The data side: a mirror with a rainbow sheen that turns with the angle, clear plastic round
    // the hole, a stacking ring.
    Top.Paint([](double X, double Y) {
        const double D = std::hypot(X, Y);
        if (D < 17) return Mix(Gray(0.72), Gray(0.86), std::fabs(std::sin(D)) * 0.3); // clear hub
        if (D < 22.5) return Gray(0.9);
        if (D > 58.5) return Gray(0.66);
        const double A = std::atan2(Y, X);
        const double Hue = std::fmod(A * 2 / PI + D * 0.012 + 4, 1.0);
        const TColor Rainbow{0.5 + 0.5 * std::cos(2 * PI * Hue),
                             0.5 + 0.5 * std::cos(2 * PI * (Hue - 1.0 / 3)),
                             0.5 + 0.5 * std::cos(2 * PI * (Hue - 2.0 / 3)), 1};
        const double Sheen = std::pow(std::fabs(std::cos(A * 2)), 6);
        return Mix(Gray(0.78 + 0.04 * std::sin(D * 0.7)), Rainbow, 0.25 + 0.45 * Sheen);
    });
    Top.Ring(0, 0, 19.5, 0.8, Gray(0.62));
    AddLathe(M, {{R, 0}, {R, THICK}, {HOLE, THICK}, {HOLE, 0}}, 48, PlanarUV(Top.Map()), 45);
}

// ---------------------------------------------------------------- sheet of paper

namespace {

constexpr double PAPER_HX = 105, PAPER_HY = 148.5, PAPER_THICK = 0.45;
constexpr int PAPER_EDGE_ROWS = 16; // the bottom rows of the paper's texture: its edge

} // namespace

static void BuildPaper(TModel& M, TImage& T) {
    TCanvas Page = TCanvas::Cell(T, 0, 0, 256, 512 - PAPER_EDGE_ROWS, -PAPER_HX, -PAPER_HY,
                                 PAPER_HX, PAPER_HY, 2);
    TCanvas Edge = TCanvas::Cell(T, 0, 512 - PAPER_EDGE_ROWS, 256, 512, 0, 0, 1, 1, 2);
    Page.Paint([](double X, double Y) {
        return Gray(0.96 + 0.025 * Fractal(X * 0.1, Y * 0.1, 1 << 12, 3, 0.5, 591));
    });
    Page.Text(SANS, 11, Win1251("ПРОТОКОЛ ЗАЕЗДА"), 0, PAPER_HY - 28, Gray(0.2));
    PrintedLines(Page, -PAPER_HX + 18, 10, PAPER_HX - 18, PAPER_HY - 42, 7.5, 1.4, 593);
    // A small table of lap times in the lower half.
    for (int I = 0; I <= 6; ++I)
        Page.Line(-PAPER_HX + 18, -10 - I * 12, PAPER_HX - 18, -10 - I * 12, 0.5, Gray(0.4));
    for (double X : {-PAPER_HX + 18, -20.0, 40.0, PAPER_HX - 18})
        Page.Line(X, -10, X, -82, 0.5, Gray(0.4));
    PrintedLines(Page, -PAPER_HX + 18, -PAPER_HY + 20, PAPER_HX - 18, -92, 7.5, 1.4, 595);
    Page.Text(SANS, 6, "- 3 -", 0, -PAPER_HY + 10, Gray(0.35));
    Edge.FillAll(Gray(0.86));
    // Lying flat, one corner curling up.
    const auto Curl = [](double X, double Y) {
        const double D = std::max(0.0, (X - PAPER_HX * 0.35) / (PAPER_HX * 0.65) +
                                           (-Y - PAPER_HY * 0.55) / (PAPER_HY * 0.45) - 0.6);
        return PAPER_THICK + 9.0 * D * D;
    };
    AddSheet(M, -PAPER_HX, -PAPER_HY, PAPER_HX, PAPER_HY, 10, 14, Curl, PAPER_THICK, Page.Map(),
             Edge.Region());
}

// ---------------------------------------------------------------- crumpled paper

static void BuildCrumpledPaper(TModel& M, TImage&) {
    // A ball of paper: an icosahedron refined twice, each corner pushed in or out at random, every
    // facet flat and showing its own piece of the printed page (paper.jpg) at its own angle.
    constexpr double RADIUS = 34, DENT = 0.24, SQUASH = 0.82;
    const double G = (1 + std::sqrt(5.0)) / 2;
    std::vector<TVecD> V = {{-1, G, 0}, {1, G, 0}, {-1, -G, 0}, {1, -G, 0},
                            {0, -1, G}, {0, 1, G}, {0, -1, -G}, {0, 1, -G},
                            {G, 0, -1}, {G, 0, 1}, {-G, 0, -1}, {-G, 0, 1}};
    std::vector<std::array<int, 3>> F = {
        {0, 11, 5},  {0, 5, 1},  {0, 1, 7},  {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
        {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
        {3, 8, 9},   {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    for (TVecD& P : V)
        P = Normalized(P);
    for (int Level = 0; Level < 2; ++Level) {
        std::vector<std::array<int, 3>> Finer;
        std::vector<std::pair<std::pair<int, int>, int>> Mid;
        const auto Middle = [&](int A, int B) {
            const std::pair<int, int> Key{std::min(A, B), std::max(A, B)};
            for (const auto& E : Mid)
                if (E.first == Key) return E.second;
            V.push_back(Normalized(V[size_t(A)] + V[size_t(B)]));
            Mid.push_back({Key, int(V.size()) - 1});
            return int(V.size()) - 1;
        };
        for (const auto& Tri : F) {
            const int A = Middle(Tri[0], Tri[1]), B = Middle(Tri[1], Tri[2]),
                      C = Middle(Tri[2], Tri[0]);
            Finer.push_back({Tri[0], A, C});
            Finer.push_back({Tri[1], B, A});
            Finer.push_back({Tri[2], C, B});
            Finer.push_back({A, B, C});
        }
        F = Finer;
    }
    double MinZ = 1e9;
    for (size_t I = 0; I < V.size(); ++I) {
        const double R = RADIUS * (1 - DENT + 2 * DENT * Random01(int(I), 0, 601));
        V[I] = {V[I].x * R, V[I].y * R, V[I].z * R * SQUASH};
        MinZ = std::min(MinZ, V[I].z);
    }
    for (TVecD& P : V)
        P.z -= MinZ;
    const TVecD Centre{0, 0, -MinZ};
    // Texture coordinates: the facet laid flat at its true size somewhere on the page.
    const double UScale = 1.0 / (2 * PAPER_HX),
                 VScale = (1.0 - double(PAPER_EDGE_ROWS) / 512) / (2 * PAPER_HY);
    for (size_t I = 0; I < F.size(); ++I) {
        const TVecD A = V[size_t(F[I][0])], B = V[size_t(F[I][1])], C = V[size_t(F[I][2])];
        const double AB = Length(B - A), AC = Length(C - A);
        const double CosA = Dot(B - A, C - A) / (AB * AC),
                     SinA = std::sqrt(std::max(0.0, 1 - CosA * CosA));
        const TVec2D FA{0, 0}, FB{AB, 0}, FC{AC * CosA, AC * SinA};
        const double Turn = 2 * PI * Random01(int(I), 1, 603);
        const double OX = -PAPER_HX + 30 + (2 * PAPER_HX - 60) * Random01(int(I), 2, 603);
        const double OY = -PAPER_HY + 30 + (2 * PAPER_HY - 60) * Random01(int(I), 3, 603);
        const auto UV = [&](TVec2D P) {
            const double X = OX + P.x * std::cos(Turn) - P.y * std::sin(Turn);
            const double Y = OY + P.x * std::sin(Turn) + P.y * std::cos(Turn);
            return TVec2D{(X + PAPER_HX) * UScale, (PAPER_HY - Y) * VScale};
        };
        M.BeginFace();
        const int VA = M.Vertex(A), VB = M.Vertex(B), VC = M.Vertex(C);
        const int TA = M.TexCoord(UV(FA)), TB = M.TexCoord(UV(FB)), TC = M.TexCoord(UV(FC));
        // Outwards: away from the ball's middle.
        if (Dot(Cross(B - A, C - A), (A + B + C) * (1.0 / 3) - Centre) >= 0)
            M.Triangle(VA, VB, VC, TA, TB, TC);
        else
            M.Triangle(VA, VC, VB, TA, TC, TB);
    }
}

// ---------------------------------------------------------------- toy cube

static void BuildCube(TModel& M, TImage& T) {
    // A puzzle cube with its top layer a little turned.
    constexpr double H = 28.5, SPLIT = 38, GAP = 0.6, TOP = 57, TWIST_DEG = 14, BEVEL = 2;
    TCanvas Top = TCanvas::Cell(T, 0, 0, 128, 128, 0, 0, 3, 3, 2);
    std::vector<TCanvas> Rows, Blocks;
    for (int I = 0; I < 4; ++I)
        Rows.push_back(TCanvas::Cell(T, 128, 32 * I, 256, 32 * (I + 1), 0, 0, 3, 1, 2));
    for (int I = 0; I < 4; ++I)
        Blocks.push_back(TCanvas::Cell(T, 128 * (I % 2), 128 + 64 * (I / 2), 128 * (I % 2 + 1),
                                       192 + 64 * (I / 2), 0, 0, 3, 2, 2));
    const TColor Colours[6] = {Hex("#f4f4f4"), Hex("#f6d010"), Hex("#d41c1c"),
                               Hex("#f07810"), Hex("#1c4cd0"), Hex("#1c9a3c")};
    const auto Stickers = [&](TCanvas& C, int Cols, int RowsCount, uint32_t Seed) {
        C.FillAll(Hex("#121212"));
        for (int X = 0; X < Cols; ++X)
            for (int Y = 0; Y < RowsCount; ++Y) {
                const TColor S = Colours[Hash(X, Y, Seed) % 6];
                C.RoundRect(X + 0.09, Y + 0.09, X + 0.91, Y + 0.91, 0.12, S);
                C.RoundRect(X + 0.18, Y + 0.55, X + 0.5, Y + 0.8, 0.1,
                            {1, 1, 1, 0.18}); // a gloss highlight
            }
    };
    Stickers(Top, 3, 3, 611);
    for (int I = 0; I < 4; ++I)
        Stickers(Rows[size_t(I)], 3, 1, 613 + uint32_t(I));
    for (int I = 0; I < 4; ++I)
        Stickers(Blocks[size_t(I)], 3, 2, 617 + uint32_t(I));

    AddBox(M, {-H, -H, 0}, {H, H, SPLIT},
           {.Top = Blocks[0].Region(),
            .Front = Blocks[0].Region(),
            .Back = Blocks[1].Region(),
            .Left = Blocks[2].Region(),
            .Right = Blocks[3].Region(),
            .Bevel = Blocks[0].Region()},
           BEVEL * 0.5);
    const TXform Saved = M.Place;
    M.Place = Saved * TXform::RotZ(TWIST_DEG);
    AddBox(M, {-H, -H, SPLIT + GAP}, {H, H, TOP},
           {.Top = Top.Region(),
            .Bottom = Top.Region(),
            .Front = Rows[0].Region(),
            .Back = Rows[1].Region(),
            .Left = Rows[2].Region(),
            .Right = Rows[3].Region(),
            .Bevel = Top.Region()},
           BEVEL);
    M.Place = Saved;
}

// ---------------------------------------------------------------- start flag

static void BuildFlag(TModel& M, TImage& T) {
    // A chequered flag on a pole. The game stands one at each end of the start line with model +x
    // pointing across the road, so the cloth flies the other way, off the road, and leans towards
    // the camera so that it shows from above (flags are drawn unlit).
    constexpr double POLE_H = 140, POLE_R = 2.2, CLOTH_LENGTH = 70, CLOTH_HEIGHT = 44,
                     LEAN_DEG = 55;
    constexpr int SQUARES_ALONG = 7, SQUARES_DOWN = 4;
    TCanvas Cloth = TCanvas::Cell(T, 0, 0, 128, 96, 0, 0, SQUARES_ALONG, SQUARES_DOWN, 2);
    TCanvas Pole = TCanvas::Cell(T, 0, 96, 128, 128, 0, 0, 1, 1, 2);
    Cloth.Paint([](double X, double Y) {
        const bool Black = (int(std::floor(X)) + int(std::floor(Y))) % 2 == 0;
        return Black ? Gray(0.08) : Gray(0.97);
    });
    Pole.Paint([](double X, double) { return Gray(0.55 + 0.3 * std::sin(X * PI)); });
    AddLathe(M,
             {{7, 0},
              {7, 2.5},
              {3.5, 4},
              {POLE_R, 5.5},
              {POLE_R, POLE_H},
              {3.8, POLE_H + 1},
              {3.8, POLE_H + 4},
              {0, POLE_H + 5}},
             12, WrapUV(Pole.Region()), 35);
    // The cloth: a grid along its length (s, away from the road) and down its height (t), with a
    // ripple that grows towards the free end.
    constexpr int NS = 12, NT = 4;
    const double Lean = LEAN_DEG * DEG;
    const TRegion R = Cloth.Region();
    M.BeginFace();
    std::vector<int> V, UV;
    for (int J = 0; J <= NT; ++J)
        for (int I = 0; I <= NS; ++I) {
            const double S = CLOTH_LENGTH * I / NS, Tt = CLOTH_HEIGHT * J / NT;
            const double Ripple =
                4.0 * std::sin(S / CLOTH_LENGTH * 2 * PI * 1.3) * (S / CLOTH_LENGTH);
            V.push_back(M.Vertex(
                {-POLE_R - S, Tt * std::sin(Lean) + Ripple, POLE_H - 2 - Tt * std::cos(Lean)}));
            UV.push_back(M.TexCoord(R.U(double(I) / NS), R.V(double(J) / NT)));
        }
    for (int J = 0; J < NT; ++J)
        for (int I = 0; I < NS; ++I) {
            const size_t A = size_t(J * (NS + 1) + I), B = A + 1, C = B + size_t(NS + 1),
                         D = A + size_t(NS + 1);
            // Facing up towards the camera.
            M.Quad(V[A], V[D], V[C], V[B], UV[A], UV[D], UV[C], UV[B]);
        }
}

namespace {
constexpr TObjectRecipe RECIPES[] = {
    {"calendar", BuildCalendar, 512, 512},  {"telephone", BuildTelephone, 512, 512},
    {"cigarette", BuildCigarette, 256, 64}, {"cigarette_pack", BuildCigaretteBox, 256, 256},
    {"folder", BuildFolder, 512, 512},      {"monitor", BuildMonitor, 512, 512},
    {"book", BuildBook, 512, 512},          {"disc", BuildDisc, 256, 256},
    {"paper", BuildPaper, 256, 512},        {"crumpled_paper", BuildCrumpledPaper, 0, 0},
    {"cube", BuildCube, 256, 256},          {"flag", BuildFlag, 128, 128},
};
} // namespace

const std::span<const TObjectRecipe> DESK_RECIPES = RECIPES;
