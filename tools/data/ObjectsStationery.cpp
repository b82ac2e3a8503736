// Stationery on the desk: tape measure, pen cap, stapler, box of paper clips, paper clip, pen, pen
// holder, scissors, ruler, eraser. Long things lie along x.

#include "Objects.h"

#include "engine/Text1251.h"

#include <algorithm>

namespace {

const char* const SANS = "Liberation Sans";

// ---------------------------------------------------------------- shared pieces

// The wire path of a paper clip (the three loops of a Gem clip), Length along x, in the XY plane
// at height Z, centred on the origin.
std::vector<TVecD> ClipPath(double Length, double Z) {
    const double S = Length / 50.0; // drawn at 50 units, scaled
    std::vector<TVecD> P;
    const auto Straight = [&](double X0, double Y, double X1) {
        P.push_back({X0 * S, Y * S, Z});
        P.push_back({X1 * S, Y * S, Z});
    };
    const auto Arc = [&](double CX, double CY, double R, double A0, double A1) {
        constexpr int STEPS = 9;
        for (int I = 1; I < STEPS; ++I) {
            const double A = (A0 + (A1 - A0) * I / STEPS) * DEG;
            P.push_back({(CX + R * std::cos(A)) * S, (CY + R * std::sin(A)) * S, Z});
        }
    };
    Straight(10, 3, -12);
    Arc(-12, 0, 3, 90, 270);
    Straight(-12, -3, 19);
    Arc(19, 1.5, 4.5, -90, 90);
    Straight(19, 6, -19);
    Arc(-19, 0, 6, 90, 270);
    Straight(-19, -6, 14);
    return P;
}

} // namespace

// ---------------------------------------------------------------- tape measure

static void BuildTapeMeasure(TModel& M, TImage& T) {
    constexpr double HALF = 36, HEIGHT = 34, CORNER = 14, BEVEL = 3.5;
    constexpr double BLADE_X0 = 30, BLADE_X1 = 250, BLADE_HALF_WIDTH = 9.5, BLADE_THICK = 0.8;
    TCanvas Top = TCanvas::Cell(T, 0, 0, 256, 256, -HALF, -HALF, HALF, HALF);
    TCanvas Bevel = TCanvas::Cell(T, 256, 64, 384, 192, -HALF, -HALF, HALF, HALF);
    TCanvas Side = TCanvas::Cell(T, 256, 0, 512, 64, 0, 0, 1, 1);
    TCanvas Blade =
        TCanvas::Cell(T, 0, 256, 512, 320, BLADE_X0, -BLADE_HALF_WIDTH, BLADE_X1, BLADE_HALF_WIDTH);
    TCanvas Chrome = TCanvas::Cell(T, 0, 320, 64, 384, 0, 0, 1, 1);
    TCanvas Button = TCanvas::Cell(T, 64, 320, 128, 384, 0, 0, 1, 1);
    TCanvas Dark = TCanvas::Cell(T, 128, 320, 192, 384, 0, 0, 1, 1);

    const TColor Yellow = Hex("#f4c21b"), Rubber = Hex("#202020");
    Top.Paint([&](double X, double Y) { return Plastic(Yellow, X, Y, 401); });
    // Rubber overmould round the rim, a chrome disc with a black label in the middle.
    std::vector<TVec2D> Rim = RoundedRectOutline(-HALF, -HALF, HALF, HALF, CORNER, 8);
    Top.Polyline(Rim, 7.5, Rubber, true);
    Top.Circle(0, 0, 21, Hex("#b9bcc0"));
    Top.Ring(0, 0, 21, 1.2, Hex("#6a6d70"));
    Top.Circle(0, 0, 17, Hex("#1b1b1b"));
    Top.Text(SANS, 6.5, Win1251("5 м"), 0, 5, Yellow);
    Top.Text(SANS, 4.2, "MARVOLIN", 0, -5, Hex("#f0f0f0"));
    for (double A : {45.0, 135.0, 225.0, 315.0})
        Top.Circle(26 * std::cos(A * DEG), 26 * std::sin(A * DEG), 1.6, Hex("#5a5a5a"));
    Bevel.Paint([&](double X, double Y) { return Plastic(Rubber, X, Y, 403); });
    Side.Paint([&](double X, double Y) {
        return Y > 0.35 && Y < 0.65 ? Plastic(Yellow, X * 300, Y * 30, 405)
                                    : Plastic(Rubber, X * 300, Y * 30, 407);
    });
    // The blade: yellow steel, millimetre ticks along one edge, a number every centimetre counted
    // from the hook, every tenth in red.
    Blade.Paint([&](double X, double Y) { return Plastic(Hex("#f6d23a"), X, Y * 4, 409, 0.03); });
    for (int Mm = 0; Mm <= int(BLADE_X1 - BLADE_X0); ++Mm) {
        const double X = BLADE_X1 - 2 - Mm;
        if (X < BLADE_X0 + 6) break;
        const double Len = Mm % 10 == 0 ? 7 : Mm % 5 == 0 ? 4.5 : 2.5;
        Blade.Line(X, BLADE_HALF_WIDTH, X, BLADE_HALF_WIDTH - Len, Mm % 10 == 0 ? 0.5 : 0.3,
                   Hex("#151515"));
        if (Mm % 10 == 0 && Mm > 0)
            Blade.Text(SANS, 6, std::to_string(Mm / 10), X - 3.2, -4.2,
                       Mm % 100 == 0 ? Hex("#d01010") : Hex("#151515"));
    }
    Chrome.Paint([](double X, double Y) { return BrushedMetal(X * 200, Y * 200, 411); });
    Button.FillAll(Hex("#c81e1e"));
    Dark.FillAll(Hex("#111111"));

    TPrismSkin Case;
    Case.Top = Top.Map();
    Case.Side = Side.Region();
    const TPlanarMap BevelMap = Bevel.Map();
    Case.BevelMap = &BevelMap;
    AddPrism(M, RoundedRectOutline(-HALF, -HALF, HALF, HALF, CORNER, 6), 0, HEIGHT, Case, BEVEL);
    // The blade comes out of a slot at the front and lies on the desk, the hook at its end.
    AddBox(M, {HALF - 1.5, -12.5, 0}, {HALF + 2.5, 12.5, 4.5}, TBoxSkin::All(Dark.Region()), 0.6);
    TBoxSkin BladeSkin = TBoxSkin::All(Chrome.Region());
    BladeSkin.Top = Blade.Region();
    AddBox(M, {BLADE_X0, -BLADE_HALF_WIDTH, 0}, {BLADE_X1, BLADE_HALF_WIDTH, BLADE_THICK},
           BladeSkin);
    AddBox(M, {BLADE_X1 - 0.5, -BLADE_HALF_WIDTH - 1.5, 0},
           {BLADE_X1 + 1.5, BLADE_HALF_WIDTH + 1.5, 5.5}, TBoxSkin::All(Chrome.Region()), 0.4);
    // The lock button on top, near the slot.
    AddBox(M, {18, -6.5, HEIGHT - 1}, {30, 6.5, HEIGHT + 3.5}, TBoxSkin::All(Button.Region()), 1.2);
}

// ---------------------------------------------------------------- pen cap

static void BuildPenCap(TModel& M, TImage& T) {
    constexpr double LENGTH = 58.2, RADIUS = 5.5;
    TCanvas Body = TCanvas::Cell(T, 0, 0, 128, 96, 0, 0, 1, 1);
    TCanvas Clip = TCanvas::Cell(T, 0, 96, 64, 128, 0, 0, 1, 1);
    TCanvas Ball = TCanvas::Cell(T, 64, 96, 128, 128, 0, 0, 1, 1);
    const TColor Blue = Hex("#1f4fc4");
    // u along the cap (open end at 0), v around it (0.5 on top).
    Body.Paint([&](double U, double V) {
        if (U < 0.03) return Hex("#0a0f1e"); // the inside
        const double Shine = 1.0 + 0.25 * std::exp(-std::pow((V - 0.5) * 6, 2));
        TColor C = Shade(Blue, Shine);
        if (U > 0.86 && U < 0.89) C = Hex("#d6d9de"); // a chrome ring by the dome
        return C;
    });
    Clip.Paint([](double X, double Y) { return BrushedMetal(X * 60, Y * 60, 421, 0.78); });
    Ball.FillAll(Hex("#c9ccd2"));

    const TXform Saved = M.Place;
    M.Place = LyingAlongX(-LENGTH / 2, RADIUS);
    AddLathe(M,
             {{0, 0.8},
              {4.3, 0.8},
              {4.6, 0},
              {RADIUS, 0},
              {RADIUS, 50},
              {5.0, 55},
              {3.4, 57.5},
              {0, LENGTH}},
             16, AlongUV(Body.Region(), LENGTH), 35);
    M.Place = Saved;
    // The clip runs from the dome end back along the top.
    AddBox(M, {18, -1.8, 2 * RADIUS - 0.6}, {25, 1.8, 2 * RADIUS + 1.4},
           TBoxSkin::All(Clip.Region()), 0.5);
    AddBox(M, {-14, -1.7, 2 * RADIUS + 0.4}, {24, 1.7, 2 * RADIUS + 1.4},
           TBoxSkin::All(Clip.Region()), 0.3);
    AddBox(M, {-17, -2.2, 2 * RADIUS - 0.2}, {-12.5, 2.2, 2 * RADIUS + 1.9},
           TBoxSkin::All(Ball.Region()), 0.8);
}

// ---------------------------------------------------------------- stapler

static void BuildStapler(TModel& M, TImage& T) {
    constexpr double BASE_X0 = -85, BASE_X1 = 80, BASE_HALF = 22, BASE_H = 9;
    constexpr double ARM_X0 = -80, ARM_X1 = 66, ARM_HALF = 18, ARM_Z0 = 14, ARM_Z1 = 40,
                     ARM_ROUND = 8;
    const TOutline BaseSection = RoundedRectOutline(-BASE_HALF, 0, BASE_HALF, BASE_H, 3, 4);
    const TOutline ArmSection =
        RoundedRectOutline(-ARM_HALF, ARM_Z0, ARM_HALF, ARM_Z1, ARM_ROUND, 4);
    // The straight top edges of the sections (see RoundedRectOutline: corner arcs of 5 points).
    constexpr size_t TOP_EDGE = 9, BOTTOM_EDGE = 19;
    TCanvas BaseTop =
        TCanvas::Cell(T, 0, 0, 512, 64, BASE_X0, -(BASE_HALF - 3), BASE_X1, BASE_HALF - 3);
    TCanvas ArmTop = TCanvas::Cell(T, 0, 64, 512, 128, ARM_X0, -(ARM_HALF - ARM_ROUND), ARM_X1,
                                   ARM_HALF - ARM_ROUND);
    TCanvas Arm = TCanvas::Cell(T, 0, 128, 256, 192, 0, 0, 1, 1);
    TCanvas Base = TCanvas::Cell(T, 256, 128, 512, 192, 0, 0, 1, 1);
    TCanvas Chrome = TCanvas::Cell(T, 0, 192, 128, 256, 0, 0, 1, 1);
    TCanvas Nose =
        TCanvas::Cell(T, 128, 192, 256, 256, -ARM_HALF - 1, ARM_Z0 - 1, ARM_HALF + 1, ARM_Z1 + 1);
    TCanvas Hinge = TCanvas::Cell(T, 256, 192, 384, 256, 0, 0, 1, 1);

    const TColor Red = Hex("#c3161c"), Black = Hex("#1c1c1e");
    BaseTop.Paint([&](double X, double Y) { return Plastic(Black, X, Y, 431); });
    BaseTop.RoundRect(44, -10, 78, 10, 2, Hex("#b8bbbf")); // the anvil plate
    BaseTop.Rect(56, -2.2, 66, 2.2, Hex("#6d7074"));
    ArmTop.Paint([&](double X, double Y) {
        return Shade(Plastic(Red, X, Y, 433), 1.0 + 0.18 * std::exp(-Y * Y / 20.0));
    });
    ArmTop.Text(SANS, 8, "MARVOLIN", -12, 0, Hex("#f2e6d8"));
    ArmTop.Line(-74, 0, -40, 0, 1.0, Shade(Red, 0.7));
    Arm.Paint([&](double X, double Y) { return Plastic(Red, X * 100, Y * 40, 435); });
    Base.Paint([&](double X, double Y) { return Plastic(Black, X * 100, Y * 40, 437); });
    Chrome.Paint([](double X, double Y) { return BrushedMetal(X * 120, Y * 120, 439, 0.8); });
    Nose.Paint([](double X, double Y) { return BrushedMetal(X * 3, Y * 3, 441, 0.76); });
    Hinge.Paint([](double X, double Y) { return BrushedMetal(X * 80, Y * 80, 443, 0.5); });

    AddExtrusionX(
        M, BaseSection, BASE_X0, BASE_X1,
        [&](size_t E) {
            return E == TOP_EDGE ? BaseTop.Region() : E == BOTTOM_EDGE ? NO_REGION : Base.Region();
        },
        Base.Region(), Base.Region());
    AddExtrusionX(
        M, ArmSection, ARM_X0, ARM_X1,
        [&](size_t E) {
            return E == TOP_EDGE ? ArmTop.Region() : E == BOTTOM_EDGE ? Arm.Region() : Arm.Region();
        },
        Arm.Region(), Arm.Region());
    // The metal nose over the front of the arm and the hinge block at the back.
    TBoxSkin NoseSkin = TBoxSkin::All(Chrome.Region());
    NoseSkin.Top = Nose.Region();
    NoseSkin.Bevel = Nose.Region();
    AddBox(M, {ARM_X1 - 6, -ARM_HALF - 0.6, ARM_Z0 - 1.2},
           {ARM_X1 + 16, ARM_HALF + 0.6, ARM_Z1 + 0.6}, NoseSkin, 4);
    AddBox(M, {BASE_X0, -16, BASE_H - 1}, {-66, 16, 32}, TBoxSkin::All(Hinge.Region()), 2.5);
}

// ---------------------------------------------------------------- box of paper clips

namespace {

void AddClipModel(TModel& M, TXform At, double Length, TRegion Coat) {
    const TXform Saved = M.Place;
    M.Place = Saved * At;
    AddTube(M, ClipPath(Length, 0.9), 0.9, 6, Coat);
    M.Place = Saved;
}

} // namespace

static void BuildClipBox(TModel& M, TImage& T) {
    constexpr double HX = 50, HY = 35, H = 28, WALL = 2.2, FLOOR = 4;
    constexpr double LID_Y0 = 36.5, LID_Y1 = 104;
    TCanvas Pile = TCanvas::Cell(T, 0, 0, 256, 192, -HX + WALL, -HY + WALL, HX - WALL, HY - WALL);
    TCanvas Lid = TCanvas::Cell(T, 256, 0, 512, 192, -HX, LID_Y0, HX, LID_Y1);
    TCanvas Outer = TCanvas::Cell(T, 0, 192, 256, 256, 0, 0, 1, 1);
    TCanvas Rim = TCanvas::Cell(T, 256, 192, 384, 256, 0, 0, 1, 1);
    TCanvas Coat = TCanvas::Cell(T, 384, 192, 448, 256, 0, 0, 1, 1);
    TCanvas Inner = TCanvas::Cell(T, 448, 192, 512, 256, 0, 0, 1, 1);

    const TColor Blue = Hex("#1d5fb8"), White = Hex("#f2f2ee");
    const TColor Coats[] = {Hex("#d8282a"), Hex("#2a62d8"), Hex("#28a848"), Hex("#f0c020"),
                            Hex("#f4f4f4"), Hex("#b8bcc2"), Hex("#e07020")};
    // A heap of clips: many small loops, each drawn as the wire path, in random turns.
    Pile.FillAll(Hex("#d9d4c8"));
    for (int I = 0; I < 70; ++I) {
        const double CX = -44 + 88 * Random01(I, 1, 451), CY = -30 + 60 * Random01(I, 2, 451);
        const double A = 360 * Random01(I, 3, 451) * DEG;
        const TColor C = Coats[Hash(I, 4, 451) % 7];
        std::vector<TVec2D> Path;
        for (const TVecD& P : ClipPath(28, 0)) {
            Path.push_back({CX + P.x * std::cos(A) - P.y * std::sin(A),
                            CY + P.x * std::sin(A) + P.y * std::cos(A)});
        }
        Pile.Polyline(Path, 2.2, Shade(C, 0.45));
        Pile.Polyline(Path, 1.3, C);
    }
    Lid.Paint([&](double X, double Y) { return Cardboard(White, X, Y, 453); });
    Lid.Rect(-HX, LID_Y1 - 20, HX, LID_Y1, Blue);
    Lid.Text(SANS, 12, Win1251("СКРЕПКИ"), 0, LID_Y1 - 10, White);
    std::vector<TVec2D> Big;
    for (const TVecD& P : ClipPath(56, 0))
        Big.push_back({P.x - 6, P.y + 62});
    Lid.Polyline(Big, 2.2, Hex("#8a8e94"));
    Lid.Text(SANS, 9, Win1251("100 шт."), 28, 48, Blue);
    Lid.Text(SANS, 6, Win1251("28 мм"), -28, 44, Hex("#303030"));
    Outer.Paint([&](double X, double Y) {
        return Cardboard(Y > 0.5 ? Blue : White, X * 200, Y * 60, 455);
    });
    Rim.Paint([&](double X, double Y) { return Cardboard(Hex("#e6e0d2"), X * 60, Y * 60, 457); });
    Coat.Paint([&](double, double Y) {
        return Shade(Coats[0], 0.8 + 0.4 * std::exp(-std::pow((Y - 0.5) * 4, 2)));
    });
    Inner.Paint([&](double X, double Y) { return Cardboard(Hex("#c9c2b2"), X * 60, Y * 60, 459); });

    // Four walls round an open box, the heap on its floor, the lid folded back flat on the desk.
    const TRegion Out = Outer.Region(), In = Inner.Region(), Top = Rim.Region();
    AddBox(M, {-HX, -HY, 0}, {HX, -HY + WALL, H},
           {.Top = Top, .Front = In, .Back = Out, .Left = Out, .Right = Out, .Bevel = Top});
    AddBox(M, {-HX, HY - WALL, 0}, {HX, HY, H},
           {.Top = Top, .Front = Out, .Back = In, .Left = Out, .Right = Out, .Bevel = Top});
    AddBox(M, {-HX, -HY + WALL, 0}, {-HX + WALL, HY - WALL, H},
           {.Top = Top, .Left = Out, .Right = In, .Bevel = Top});
    AddBox(M, {HX - WALL, -HY + WALL, 0}, {HX, HY - WALL, H},
           {.Top = Top, .Left = In, .Right = Out, .Bevel = Top});
    const TPlanarMap Floor = Pile.Map();
    AddFlatOutline(M, RectOutline(-HX + WALL, -HY + WALL, HX - WALL, HY - WALL), FLOOR, Floor);
    TBoxSkin LidSkin = TBoxSkin::All(Rim.Region());
    LidSkin.Top = Lid.Region();
    AddBox(M, {-HX, LID_Y0, 0}, {HX, LID_Y1, 1.6}, LidSkin);
    // Two clips lying on top of the heap.
    AddClipModel(M, TXform::Move(-12, 6, FLOOR + 0.4) * TXform::RotZ(28), 30, Coat.Region());
    AddClipModel(M, TXform::Move(14, -12, FLOOR + 0.3) * TXform::RotZ(-50), 30, Coat.Region());
}

// ---------------------------------------------------------------- paper clip

static void BuildPaperClip(TModel& M, TImage& T) {
    TCanvas Coat = TCanvas::Whole(T);
    // Red plastic coating with a highlight along the wire's top.
    Coat.Paint([](double, double Y) {
        return Shade(Hex("#d42424"), 0.7 + 0.5 * std::exp(-std::pow((Y - 0.5) * 4, 2)));
    });
    AddTube(M, ClipPath(50, 0.95), 0.95, 6, Coat.Region());
}

// ---------------------------------------------------------------- pen

static void BuildPen(TModel& M, TImage& T) {
    constexpr double LENGTH = 145, BARREL = 4.4, CAP = 4.9;
    TCanvas Body = TCanvas::Cell(T, 0, 0, 256, 48, 0, 0, LENGTH, 1);
    TCanvas Clip = TCanvas::Cell(T, 0, 48, 64, 64, 0, 0, 1, 1);
    const TColor Blue = Hex("#1b3fa8");
    // x along the pen from the tip, y around it (0.5 on top).
    Body.Paint([&](double X, double Y) {
        const double Shine = 1.0 + 0.3 * std::exp(-std::pow((Y - 0.5) * 5, 2));
        TColor C;
        if (X < 7)
            C = BrushedMetal(X * 4, Y * 40, 461, 0.8);
        else if (X < 18)
            C = Hex("#1a1a1a");
        else if (X < 108)
            C = Hex("#eeeeea");
        else if (X < 110)
            C = Hex("#c8ccd2");
        else
            C = Blue;
        if (X > 60 && X < 66) C = Blue; // a printed band on the barrel
        return Shade(C, Shine);
    });
    Body.Text(SANS, 0.22, "MARVOLIN", 40, 0.5, Blue);
    Clip.Paint([](double X, double Y) { return BrushedMetal(X * 60, Y * 60, 463, 0.82); });
    const TXform Saved = M.Place;
    M.Place = LyingAlongX(-LENGTH / 2, CAP);
    AddLathe(M,
             {{0, 0},
              {0.5, 0.4},
              {1.5, 3.5},
              {2.3, 7},
              {3.9, 16},
              {BARREL, 18},
              {BARREL, 108},
              {CAP, 109},
              {CAP, 141},
              {3.6, 144.2},
              {0, LENGTH}},
             16, AlongUV(Body.Region(), LENGTH), 35);
    M.Place = Saved;
    const double CapX0 = -LENGTH / 2 + 109;
    AddBox(M, {CapX0 + 24, -1.8, 2 * CAP - 1.4}, {CapX0 + 30, 1.8, 2 * CAP + 1.1},
           TBoxSkin::All(Clip.Region()), 0.5);
    AddBox(M, {CapX0 + 2, -1.6, 2 * CAP + 0.2}, {CapX0 + 30, 1.6, 2 * CAP + 1.1},
           TBoxSkin::All(Clip.Region()), 0.3);
}

// ---------------------------------------------------------------- pen holder

static void BuildPenHolder(TModel& M, TImage& T) {
    constexpr double R = 40, WALL = 3, H = 95, FLOOR = 7;
    constexpr int PENCILS = 6;
    constexpr double PENCIL_R = 3.6, PENCIL_LENGTH = 166.6;
    TCanvas Side = TCanvas::Cell(T, 0, 0, 256, 128, 0, 0, 1, 1);
    TCanvas Top = TCanvas::Cell(T, 256, 0, 384, 128, -R, -R, R, R);
    std::vector<TCanvas> Pencil;
    for (int I = 0; I < PENCILS; ++I)
        Pencil.push_back(
            TCanvas::Cell(T, 0, 128 + 21 * I, 512, 128 + 21 * (I + 1), 0, 0, PENCIL_LENGTH, 1, 2));
    // A black steel mesh cup: rows of holes round the side, a plain rim, a dark inside.
    Side.Paint([](double U, double V) {
        const double HU = std::fmod(U * 48, 1.0) - 0.5,
                     HV = std::fmod(V * 14 + (int(U * 48) % 2) * 0.5, 1.0) - 0.5;
        const bool Hole = V > 0.08 && V < 0.92 && HU * HU + HV * HV < 0.09;
        return Hole ? Hex("#5b4a36") : Gray(0.24 + 0.08 * (1 - V));
    });
    Top.Paint([](double X, double Y) {
        const double D = std::hypot(X, Y);
        if (D > 37) return Gray(0.55);
        return Gray(0.10 + 0.04 * Fractal(X, Y, 1 << 12, 2, 0.5, 471));
    });
    const TColor Colours[PENCILS] = {Hex("#d42a2a"), Hex("#2a8a3a"), Hex("#f0c21a"),
                                     Hex("#2850c8"), Hex("#1a1a1a"), Hex("#e86a14")};
    for (int I = 0; I < PENCILS; ++I) {
        const TColor C = Colours[I];
        Pencil[size_t(I)].Paint([&](double X, double Y) {
            if (X > 162) return Hex("#2a2a2a"); // graphite point
            if (X > 150) return Hex("#e2b47a"); // sharpened wood
            const double Facet = std::fmod(Y * 6, 1.0);
            return Shade(C, 0.85 + 0.3 * Facet);
        });
        Pencil[size_t(I)].Text(SANS, 0.5, I == 4 ? "2B" : "HB", 120, 0.5, Hex("#e8d08a"));
    }

    AddLathe(M, {{R, 0}, {R, H}}, 32, WrapUV(Side.Region()), 45);
    AddLathe(M, {{R, H}, {R - WALL, H}, {R - WALL, FLOOR}, {0, FLOOR}}, 32, PlanarUV(Top.Map()),
             45);
    // Pencils stand in the cup, each leaning its own way, points up.
    for (int I = 0; I < PENCILS; ++I) {
        const double A = 360.0 * I / PENCILS + 17;
        const double Base = 16 + 4 * (I % 2);
        const double Lean = 9 + 3 * (I % 3);
        const double Worn = 8 * (I % 3); // sharpened shorter
        const TXform Saved = M.Place;
        // Standing off-centre towards A and leaning back across the middle, inside the rim.
        M.Place = Saved * TXform::Move(Base * std::cos(A * DEG), Base * std::sin(A * DEG), FLOOR) *
                  TXform::RotZ(A + 180) * TXform::RotY(Lean);
        const TRegion Reg = Pencil[size_t(I)].Region();
        AddLathe(
            M,
            {{PENCIL_R, 0},
             {PENCIL_R, 150 - Worn},
             {1.2, 164 - Worn},
             {0.45, 165.8 - Worn},
             {0, PENCIL_LENGTH - Worn}},
            6,
            [Reg, Worn](double Around, double, TVecD L) {
                return TVec2D{Reg.U(std::clamp((L.z + Worn) / PENCIL_LENGTH, 0.0, 1.0)),
                              Reg.V(Around)};
            },
            30);
        M.Place = Saved;
    }
}

// ---------------------------------------------------------------- scissors

static void BuildScissors(TModel& M, TImage& T) {
    constexpr double PIVOT_X = 20, OPEN_DEG = 5, BLADE_Z = 2.2, HANDLE_Z = 5.5;
    TCanvas Steel = TCanvas::Cell(T, 0, 0, 256, 96, -20, -10, 120, 10);
    TCanvas Edge = TCanvas::Cell(T, 0, 96, 128, 128, 0, 0, 1, 1);
    TCanvas Handle = TCanvas::Cell(T, 0, 128, 128, 256, -80, -36, -10, 36);
    TCanvas HandleSide = TCanvas::Cell(T, 128, 128, 256, 192, 0, 0, 1, 1);
    TCanvas Screw = TCanvas::Cell(T, 128, 192, 192, 256, -5, -5, 5, 5);
    const TColor Orange = Hex("#ee6a10");
    Steel.Paint([](double X, double Y) {
        return BrushedMetal(X, Y, 481, 0.74 + 0.06 * std::sin(Y * 0.8));
    });
    Edge.Paint([](double X, double Y) { return BrushedMetal(X * 100, Y * 30, 483, 0.55); });
    Handle.Paint([&](double X, double Y) { return Shade(Plastic(Orange, X, Y, 485), 1.05); });
    HandleSide.Paint(
        [&](double X, double Y) { return Plastic(Shade(Orange, 0.8), X * 100, Y * 20, 487); });
    Screw.Paint([](double X, double Y) {
        const double D = std::hypot(X, Y);
        if (std::fabs(X) < 0.5 && D < 3.2) return Gray(0.3); // the screw's slot
        return Gray(D < 4 ? 0.82 : 0.6);
    });

    TOutline Blade = {{-16, -4.5}, {0, -7.5},  {60, -5.5}, {112, -1.2},
                      {116, 0.4},  {110, 2.0}, {0, 6.5},   {-16, 5.5}};
    if (OutlineArea(Blade) < 0) std::reverse(Blade.begin(), Blade.end());
    for (int Side = 0; Side < 2; ++Side) {
        const double Turn = Side == 0 ? OPEN_DEG : -OPEN_DEG;
        const double Z0 = Side == 0 ? 0 : BLADE_Z, Z1 = Z0 + BLADE_Z;
        const TXform Saved = M.Place;
        M.Place = Saved * TXform::Move(PIVOT_X, 0, 0) * TXform::RotZ(Turn);
        TPrismSkin S;
        S.Top = Steel.Map();
        S.Side = Edge.Region();
        AddPrism(M, Side == 0 ? Blade : [&] {
            TOutline B = Blade;
            for (TVec2D& P : B) P.y = -P.y;
            std::reverse(B.begin(), B.end());
            return B;
        }(), Z0, Z1, S, 0.5, 40);
        M.Place = Saved;
        // Each blade's handle lies across the pivot from it: a plastic ring and a neck.
        const double Y = Side == 0 ? -13 : 13;
        const double A = Turn * DEG;
        const double CX = PIVOT_X + (-52) * std::cos(A) - Y * std::sin(A);
        const double CY = (-52) * std::sin(A) + Y * std::cos(A);
        const TOutline Outer = EllipseOutline(CX, CY, 25, 16, 28),
                       Inner = EllipseOutline(CX, CY, 17.5, 9.5, 28);
        AddRing(M, Outer, Inner, 0, HANDLE_Z, Handle.Map(), HandleSide.Region(),
                HandleSide.Region(), 40);
        TPrismSkin N;
        N.Top = Handle.Map();
        N.Side = HandleSide.Region();
        const double NX0 = PIVOT_X - 16, NX1 = CX + 20;
        TOutline Neck = {{NX1, CY + (Side == 0 ? 6.0 : -6.0)},
                         {NX0, Side == 0 ? -1.5 : 1.5},
                         {NX0, Side == 0 ? 5.0 : -5.0},
                         {NX1 + 2, CY + (Side == 0 ? 13.0 : -13.0)}};
        if (OutlineArea(Neck) < 0) std::reverse(Neck.begin(), Neck.end());
        AddPrism(M, Neck, 0, HANDLE_Z - 0.8, N, 0.8, 40);
    }
    const TXform Saved = M.Place;
    M.Place = Saved * TXform::Move(PIVOT_X, 0, 0);
    AddLathe(M, {{4.5, 0}, {4.5, 2 * BLADE_Z + 0.8}, {0, 2 * BLADE_Z + 1.2}}, 16,
             PlanarUV(Screw.Map()), 30);
    M.Place = Saved;
}

// ---------------------------------------------------------------- ruler

static void BuildRuler(TModel& M, TImage& T) {
    constexpr double HALF_LENGTH = 150, HALF_WIDTH = 15, THICK = 2.2;
    TCanvas Top =
        TCanvas::Cell(T, 0, 0, 1024, 96, -HALF_LENGTH, -HALF_WIDTH, HALF_LENGTH, HALF_WIDTH);
    TCanvas Side = TCanvas::Cell(T, 0, 96, 1024, 128, 0, 0, 1, 1);
    const TColor Wood = Hex("#dcb878");
    Top.Paint([&](double X, double Y) {
        const double Grain =
            0.5 + 0.5 * std::sin((Y + 3 * std::sin(X * 0.02)) * 1.7 +
                                 Fractal(X * 0.02, Y * 0.2, 1 << 12, 3, 0.5, 491) * 4);
        return Shade(Wood, 0.92 + 0.1 * Grain);
    });
    const double Zero = -HALF_LENGTH + 5;
    for (int Mm = 0; Mm <= 290; ++Mm) {
        const double X = Zero + Mm;
        const double Len = Mm % 10 == 0 ? 8 : Mm % 5 == 0 ? 5.5 : 3.5;
        Top.Line(X, HALF_WIDTH, X, HALF_WIDTH - Len, Mm % 10 == 0 ? 0.45 : 0.3, Hex("#1a1208"));
        if (Mm % 10 == 0)
            Top.Text(SANS, 5, std::to_string(Mm / 10), X, HALF_WIDTH - 11.5, Hex("#1a1208"));
    }
    Top.Text(SANS, 4, Win1251("МАРВОЛИН   30 см"), 90, -9, Hex("#6a4a20"));
    Side.Paint([&](double X, double Y) { return Shade(Wood, 0.8 + 0.05 * std::sin(X * 400 + Y)); });
    TBoxSkin Skin = TBoxSkin::All(Side.Region());
    Skin.Top = Top.Region();
    Skin.Bevel = Top.Region();
    AddBox(M, {-HALF_LENGTH, -HALF_WIDTH, 0}, {HALF_LENGTH, HALF_WIDTH, THICK}, Skin, 0.6);
}

// ---------------------------------------------------------------- eraser

static void BuildEraser(TModel& M, TImage& T) {
    constexpr double HX = 30, HY = 11, H = 11, SPLIT_X = 6;
    TCanvas Top = TCanvas::Cell(T, 0, 0, 256, 96, -HX, -HY, HX, HY);
    TCanvas Side = TCanvas::Cell(T, 0, 96, 256, 128, 0, 0, 1, 1);
    const TColor Red = Hex("#d94848"), Blue = Hex("#2f58b4");
    Top.Paint([&](double X, double Y) {
        return Plastic(X < SPLIT_X ? Red : Blue, X * 2, Y * 2, 495, 0.08);
    });
    Top.Text(SANS, 6, Win1251("ЛАСТИК"), -12, 0, Hex("#f6e8e0"));
    Top.Line(SPLIT_X + 5, -6, SPLIT_X + 18, 6, 1.0, Shade(Blue, 0.7)); // a worn smear
    Side.Paint([&](double X, double Y) {
        return Plastic(Mix(Red, Blue, X > 0.5 ? 1.0 : 0.0), X * 100, Y * 10, 497, 0.08);
    });
    TPrismSkin S;
    S.Top = Top.Map();
    S.Side = Side.Region();
    AddPrism(M, RoundedRectOutline(-HX, -HY, HX, HY, 3.5, 3), 0, H, S, 1.8);
}

namespace {
constexpr TObjectRecipe RECIPES[] = {
    {"tape_measure", BuildTapeMeasure, 512, 512},
    {"pen_cap", BuildPenCap, 128, 128},
    {"stapler", BuildStapler, 512, 256},
    {"clip_box", BuildClipBox, 512, 256},
    {"paper_clip", BuildPaperClip, 64, 64},
    {"pen", BuildPen, 256, 64},
    {"pen_holder", BuildPenHolder, 512, 256},
    {"scissors", BuildScissors, 256, 256},
    {"ruler", BuildRuler, 1024, 128},
    {"eraser", BuildEraser, 256, 128},
};
} // namespace

const std::span<const TObjectRecipe> STATIONERY_RECIPES = RECIPES;
