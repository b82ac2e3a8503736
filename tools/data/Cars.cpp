// The three toy car bodies (player, jeep, supra) and their six liveries.
//
// A car model: +y forward, +z up (towards the race camera), x to the car's right, origin at the
// car's centre on the desk plane; about 50 units long and 26 wide (a 1:64 toy beside 1 mm desk
// units). The body is one smooth loft of cross-sections along y whose top carries the cabin; its
// texture is a picture of the car from above (livery, windows, lights), so the car reads from the
// race camera, with the nose and tail faces, tyres, hubs and trim in their own atlas cells.

#include "Content.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

// ---------------------------------------------------------------- shape description

// A smooth function of y through key points (held flat beyond the first and last).
struct TCurve {
    std::vector<TVec2D> Keys;
    double At(double Y) const {
        if (Y <= Keys.front().x) return Keys.front().y;
        for (size_t I = 1; I < Keys.size(); ++I)
            if (Y <= Keys[I].x) {
                const double T = (Y - Keys[I - 1].x) / (Keys[I].x - Keys[I - 1].x);
                return SmoothMix(Keys[I - 1].y, Keys[I].y, T);
            }
        return Keys.back().y;
    }
};

enum class TExtras { None, OffRoad, Spoiler };

struct TCarBody {
    const char* Name;
    double HalfLength;     // the body runs from -HalfLength to +HalfLength
    TCurve HalfWidth;      // of the body at its sides
    TCurve DeckZ;          // height of the bonnet / boot line
    TCurve RoofRise;       // the cabin's height above the deck (0 where there is no cabin)
    double CabinHalfWidth; // of the glasshouse at its base
    double ClearanceZ;     // underside of the body
    double ShoulderDrop;   // side wall top below the deck
    double SideRound;      // rounding of the lower and upper side corners
    double Tuck;           // how far the underside edge sits inside the side wall
    double DeckEdge;       // deck edge inset from the side wall
    double GlassSlant;     // inward lean of the cabin sides
    double Crown;          // extra height at the centre line (domed roof and bonnet)
    double WheelRadius, WheelWidth, WheelCentreX, FrontAxleY, RearAxleY;
    // Where the glass lies in plan: windscreen from its base (front) to its top, rear window from
    // its top to its base (rear); side windows between the two tops.
    double ScreenBaseY, ScreenTopY, RearTopY, RearBaseY;
    TExtras Extras;
};

// The player's car: a compact, rounded toy sports car.
const TCarBody PLAYER_BODY{
    .Name = "player",
    .HalfLength = 24,
    .HalfWidth = {{{-24, 9.2}, {-22.6, 10.9}, {-20, 11.5}, {19, 11.5}, {22.4, 10.7}, {24, 8.8}}},
    .DeckZ = {{{-24, 7.4},
               {-22.5, 9.4},
               {-19, 10.2},
               {-12, 10.4},
               {9, 10.1},
               {19, 9.3},
               {22.6, 8.3},
               {24, 7.0}}},
    .RoofRise = {{{-14.5, 0}, {-8.5, 5.4}, {1.5, 5.4}, {9.5, 0}}},
    .CabinHalfWidth = 8.0,
    .ClearanceZ = 2.0,
    .ShoulderDrop = 1.2,
    .SideRound = 1.3,
    .Tuck = 1.0,
    .DeckEdge = 2.0,
    .GlassSlant = 1.1,
    .Crown = 0.8,
    .WheelRadius = 5.6,
    .WheelWidth = 4.4,
    .WheelCentreX = 10.4,
    .FrontAxleY = 15.2,
    .RearAxleY = -15.2,
    .ScreenBaseY = 9.2,
    .ScreenTopY = 1.8,
    .RearTopY = -8.8,
    .RearBaseY = -14.0,
    .Extras = TExtras::None};

// The jeep: a boxy off-roader with a tall cabin, big wheels, a spare wheel and a roof rack.
const TCarBody JEEP_BODY{
    .Name = "jeep",
    .HalfLength = 23.5,
    .HalfWidth = {{{-23.5, 10.6}, {-22.8, 11.4}, {22.6, 11.4}, {23.5, 10.4}}},
    .DeckZ = {{{-23.5, 11.4}, {-22.6, 13.0}, {8, 13.2}, {21.5, 12.8}, {23.5, 11.2}}},
    .RoofRise = {{{-22.4, 0}, {-21.4, 7.6}, {2.6, 7.6}, {6.8, 0}}},
    .CabinHalfWidth = 9.5,
    .ClearanceZ = 4.0,
    .ShoulderDrop = 0.8,
    .SideRound = 0.7,
    .Tuck = 0.5,
    .DeckEdge = 0.9,
    .GlassSlant = 0.5,
    .Crown = 0.3,
    .WheelRadius = 6.6,
    .WheelWidth = 5.6,
    .WheelCentreX = 10.5,
    .FrontAxleY = 14.6,
    .RearAxleY = -14.6,
    .ScreenBaseY = 6.6,
    .ScreenTopY = 2.8,
    .RearTopY = -21.2,
    .RearBaseY = -22.3,
    .Extras = TExtras::OffRoad};

// The supra: a long, low coupé with the cabin set back and a rear wing.
const TCarBody SUPRA_BODY{
    .Name = "supra",
    .HalfLength = 25.5,
    .HalfWidth =
        {{{-25.5, 9.8}, {-24.2, 11.6}, {-18, 12.0}, {17, 12.0}, {23.4, 10.9}, {25.5, 8.6}}},
    .DeckZ =
        {{{-25.5, 7.2}, {-24.0, 8.6}, {-17, 8.9}, {4, 8.5}, {20, 7.5}, {23.8, 7.0}, {25.5, 6.3}}},
    .RoofRise = {{{-19.5, 0}, {-11.5, 4.5}, {-3.5, 4.5}, {6.0, 0}}},
    .CabinHalfWidth = 8.2,
    .ClearanceZ = 1.6,
    .ShoulderDrop = 1.2,
    .SideRound = 1.4,
    .Tuck = 1.1,
    .DeckEdge = 2.2,
    .GlassSlant = 1.3,
    .Crown = 0.7,
    .WheelRadius = 5.3,
    .WheelWidth = 4.8,
    .WheelCentreX = 10.8,
    .FrontAxleY = 16.2,
    .RearAxleY = -16.0,
    .ScreenBaseY = 5.6,
    .ScreenTopY = -2.9,
    .RearTopY = -11.0,
    .RearBaseY = -18.8,
    .Extras = TExtras::Spoiler};

constexpr int WHEEL_SEGMENTS = 16;
// The wing of the supra: its plan rectangle and height.
constexpr double WING_HALF_SPAN = 11.6;
constexpr double WING_Y0 = -25.6, WING_Y1 = -21.4;
constexpr double WING_Z0 = 13.2, WING_Z1 = 14.4;
constexpr double WING_STRUT_X = 7.0;
// The jeep's spare wheel hangs on the tail; its roof rack rails run along the roof.
constexpr double SPARE_GAP = 0.4;
constexpr double RACK_HALF_SPACING = 7.4;
constexpr double RACK_HEIGHT = 1.0;

// ---------------------------------------------------------------- atlas layout (256 x 256)

constexpr int CAR_TEXTURE_SIZE = 256;
// Plan view of the body: x from -PLAN_HALF_WIDTH to +PLAN_HALF_WIDTH, y over the body's length.
constexpr double PLAN_HALF_WIDTH = 13.5;
constexpr double PLAN_HALF_LENGTH = 26.5;
constexpr double CAP_HEIGHT = 24; // nose and tail pictures cover z from 0 to this

struct TCarAtlas {
    TCanvas Plan, Tread, Hub, Trim, Chrome, Nose, Tail, Wing;
    explicit TCarAtlas(TImage& I)
        : Plan(TCanvas::Cell(I, 0, 0, 128, 256, -PLAN_HALF_WIDTH, -PLAN_HALF_LENGTH,
                             PLAN_HALF_WIDTH, PLAN_HALF_LENGTH)),
          Tread(TCanvas::Cell(I, 128, 0, 192, 32, 0, 0, 1, 1)),
          Hub(TCanvas::Cell(I, 192, 0, 256, 64, -1, -1, 1, 1)),
          Trim(TCanvas::Cell(I, 128, 32, 160, 64, 0, 0, 1, 1)),
          Chrome(TCanvas::Cell(I, 160, 32, 192, 64, 0, 0, 1, 1)),
          Nose(TCanvas::Cell(I, 128, 64, 256, 128, -PLAN_HALF_WIDTH, 0, PLAN_HALF_WIDTH,
                             CAP_HEIGHT)),
          Tail(TCanvas::Cell(I, 128, 128, 256, 192, -PLAN_HALF_WIDTH, 0, PLAN_HALF_WIDTH,
                             CAP_HEIGHT)),
          Wing(TCanvas::Cell(I, 128, 192, 256, 256, -WING_HALF_SPAN, WING_Y0, WING_HALF_SPAN,
                             WING_Y1)) {}
};

// ---------------------------------------------------------------- body geometry

struct TSection {
    std::vector<TVec2D>
        Points; // (x, z) from the right underside, over the top, to the left underside
};

TSection SectionAt(const TCarBody& B, double Y) {
    const double HW = B.HalfWidth.At(Y), ZD = B.DeckZ.At(Y), ZS = ZD - B.ShoulderDrop;
    const double Rise = B.RoofRise.At(Y), ZR = ZD + Rise, Z0 = B.ClearanceZ;
    const double HC = std::min(B.CabinHalfWidth, HW - B.DeckEdge - B.GlassSlant - 0.6);
    const std::vector<TVec2D> Right = {
        {HW - B.Tuck, Z0},
        {HW, Z0 + B.SideRound},
        {HW, std::max(ZS - B.SideRound, Z0 + B.SideRound + 0.5)},
        {HW - B.SideRound * 0.5, ZS},
        {HW - B.DeckEdge, ZD},
        {HC + B.GlassSlant, ZD},
        {HC, ZD + Rise * 0.55},
        {HC - B.GlassSlant, ZR - Rise * 0.06},
        {(HC - B.GlassSlant) * 0.5, ZR + B.Crown * 0.75},
    };
    TSection S;
    S.Points = Right;
    S.Points.push_back({0, ZR + B.Crown});
    for (size_t I = Right.size(); I-- > 0;)
        S.Points.push_back({-Right[I].x, Right[I].y});
    return S;
}

std::vector<double> Stations(const TCarBody& B) {
    const double L = B.HalfLength;
    std::vector<double> Y = {-L, -L + 0.4, -L + 1.0, -L + 1.8, -L + 2.8};
    const double Step = 1.9;
    const int Inner = int(std::ceil((2 * L - 5.6) / Step));
    for (int I = 1; I < Inner; ++I)
        Y.push_back(-L + 2.8 + (2 * L - 5.6) * I / Inner);
    for (double D : {2.8, 1.8, 1.0, 0.4, 0.0})
        Y.push_back(L - D);
    return Y;
}

void AddBody(TModel& M, const TCarBody& B, const TCarAtlas& A) {
    const TPlanarMap Plan = A.Plan.Map();
    const std::vector<double> Y = Stations(B);
    std::vector<std::vector<int>> Rings;
    std::vector<std::vector<int>> UVs;
    M.BeginFace();
    for (double Y0 : Y) {
        const TSection S = SectionAt(B, Y0);
        std::vector<int> R, T;
        for (const TVec2D& P : S.Points) {
            R.push_back(M.Vertex({P.x, Y0, P.y}));
            T.push_back(M.TexCoord(Plan.At(P.x, Y0)));
        }
        Rings.push_back(R);
        UVs.push_back(T);
    }
    for (size_t K = 0; K + 1 < Rings.size(); ++K)
        for (size_t I = 0; I + 1 < Rings[K].size(); ++I)
            M.Quad(Rings[K][I], Rings[K + 1][I], Rings[K + 1][I + 1], Rings[K][I + 1], UVs[K][I],
                   UVs[K + 1][I], UVs[K + 1][I + 1], UVs[K][I + 1]);
    // Nose and tail faces, each a flat picture of its own.
    for (int End = 0; End < 2; ++End) {
        const bool Nose = End == 0;
        const double YE = Nose ? B.HalfLength : -B.HalfLength;
        const TSection S = SectionAt(B, YE);
        const TPlanarMap Map = (Nose ? A.Nose : A.Tail).Map();
        // Seen from the front the car's right (+x) is on the viewer's left: outline in (-x, z).
        TOutline O;
        for (const TVec2D& P : S.Points)
            O.push_back({Nose ? -P.x : P.x, P.y});
        if (OutlineArea(O) < 0) std::reverse(O.begin(), O.end());
        M.BeginFace();
        std::vector<int> V, T;
        for (const TVec2D& P : O) {
            const double X = Nose ? -P.x : P.x;
            V.push_back(M.Vertex({X, YE, P.y}));
            // The picture is painted as the viewer sees it: its left is the viewer's left.
            T.push_back(M.TexCoord(Map.At(P.x, P.y)));
        }
        for (const auto& Tri : TriangulateOutline(O))
            M.Triangle(V[size_t(Tri[0])], V[size_t(Tri[1])], V[size_t(Tri[2])], T[size_t(Tri[0])],
                       T[size_t(Tri[1])], T[size_t(Tri[2])]);
    }
}

// A wheel whose outer face looks along Outward (local z of the lathe).
void AddWheel(TModel& M, const TCarAtlas& A, TVecD Centre, TVecD Outward, double Radius,
              double Width) {
    const TXform Saved = M.Place;
    M.Place = Saved * TXform::Along(Centre, Outward, {0, 1, 0});
    const double R = Radius, H = Width / 2, Shoulder = std::min(1.0, R * 0.18);
    // 16 segments: a ring corner at the bottom, so the tyre touches the desk.
    AddLathe(M, {{R - Shoulder, -H}, {R, -H + Shoulder}, {R, H - Shoulder}, {R - Shoulder, H}},
             WHEEL_SEGMENTS, WrapUV(A.Tread.Region()), 50);
    const TPlanarMap HubMap{A.Hub.Region(), -R, -R, R, R};
    AddLathe(M, {{R - Shoulder, H}, {R * 0.62, H + 0.25}, {R * 0.25, H + 0.5}, {0, H + 0.55}},
             WHEEL_SEGMENTS, PlanarUV(HubMap), 60);
    M.Place = Saved;
}

void AddWheels(TModel& M, const TCarBody& B, const TCarAtlas& A) {
    for (double Y : {B.FrontAxleY, B.RearAxleY})
        for (double Side : {1.0, -1.0})
            AddWheel(M, A, {Side * B.WheelCentreX, Y, B.WheelRadius}, {Side, 0, 0}, B.WheelRadius,
                     B.WheelWidth);
}

void AddSpoiler(TModel& M, const TCarBody& B, const TCarAtlas& A) {
    TBoxSkin Wing = TBoxSkin::All(A.Trim.Region());
    Wing.Top = A.Wing.Region();
    Wing.Bevel = A.Wing.Region();
    AddBox(M, {-WING_HALF_SPAN, WING_Y0, WING_Z0}, {WING_HALF_SPAN, WING_Y1, WING_Z1}, Wing, 0.45);
    // End plates and two struts down to the boot lid.
    for (double S : {1.0, -1.0}) {
        const double X0 = S > 0 ? WING_HALF_SPAN - 0.7 : -WING_HALF_SPAN,
                     X1 = S > 0 ? WING_HALF_SPAN : -WING_HALF_SPAN + 0.7;
        AddBox(M, {X0, WING_Y0 - 0.3, WING_Z0 - 1.6}, {X1, WING_Y1 + 0.2, WING_Z1 + 0.5},
               TBoxSkin::All(A.Trim.Region()));
        const double XS = S * WING_STRUT_X;
        const double Deck = B.DeckZ.At(-23.5);
        AddBox(M, {XS - 0.6, -24.4, Deck - 0.5}, {XS + 0.6, -22.8, WING_Z0 + 0.1},
               TBoxSkin::All(A.Trim.Region()));
    }
}

void AddOffRoadKit(TModel& M, const TCarBody& B, const TCarAtlas& A) {
    // Spare wheel on the tail door.
    const double SpareR = B.WheelRadius * 0.92, SpareW = B.WheelWidth * 0.9;
    AddWheel(M, A, {0, -B.HalfLength - SPARE_GAP - SpareW / 2, B.DeckZ.At(-B.HalfLength) - 0.8},
             {0, -1, 0}, SpareR, SpareW);
    // Roof rack: two rails on feet, three cross bars.
    const double Roof = B.DeckZ.At(-8) + B.RoofRise.At(-8) + B.Crown * 0.4;
    const TBoxSkin Trim = TBoxSkin::All(A.Trim.Region());
    const TBoxSkin Chrome = TBoxSkin::All(A.Chrome.Region());
    for (double S : {1.0, -1.0}) {
        const double X = S * RACK_HALF_SPACING;
        AddBox(M, {X - 0.55, -19.5, Roof + RACK_HEIGHT}, {X + 0.55, 1.5, Roof + RACK_HEIGHT + 0.9},
               Chrome, 0.2);
        for (double Y : {-18.5, -8.5, 0.5})
            AddBox(M, {X - 0.5, Y - 0.5, Roof - 0.6}, {X + 0.5, Y + 0.5, Roof + RACK_HEIGHT + 0.05},
                   Trim);
    }
    for (double Y : {-16.5, -9.0, -1.5})
        AddBox(M, {-RACK_HALF_SPACING + 0.5, Y - 0.45, Roof + RACK_HEIGHT + 0.1},
               {RACK_HALF_SPACING - 0.5, Y + 0.45, Roof + RACK_HEIGHT + 0.8}, Chrome, 0.15);
    // Bull bar in front of the grille and a chunky rear bumper.
    const double Front = B.HalfLength;
    AddTube(M,
            {{-8.5, Front + 0.6, 4.5},
             {-8.5, Front + 2.0, 7.0},
             {-7.5, Front + 2.2, 10.0},
             {7.5, Front + 2.2, 10.0},
             {8.5, Front + 2.0, 7.0},
             {8.5, Front + 0.6, 4.5}},
            0.65, 8, A.Chrome.Region());
    AddBox(M, {-10.6, Front - 0.8, 3.6}, {10.6, Front + 1.2, 6.2}, Trim, 0.4);
    AddBox(M, {-10.6, -Front - 1.0, 3.6}, {10.6, -Front + 0.8, 6.0}, Trim, 0.4);
}

TModel BuildCarModel(const TCarBody& B, TImage& Atlas) {
    TModel M(std::string(B.Name) + ".mdl");
    const TCarAtlas A(Atlas);
    AddBody(M, B, A);
    AddWheels(M, B, A);
    if (B.Extras == TExtras::Spoiler) AddSpoiler(M, B, A);
    if (B.Extras == TExtras::OffRoad) AddOffRoadKit(M, B, A);
    return M;
}

// ---------------------------------------------------------------- liveries

enum class TStripes { Twin, Centre, Side, Hood, Chequer, None };

struct TLivery {
    const TCarBody* Body;
    TColor Paint, Accent;
    TStripes Stripes;
    const char* Number;
};

const TColor GLASS = Hex("#1d2a3a");
const TColor GLASS_SHINE = Hex("#6f8aa6");
const TColor HEADLIGHT = Hex("#fff6c8");
const TColor TAILLIGHT = Hex("#e01818");
const TColor RUBBER = Hex("#1a1a1a");

// Brushed paint: a faint lengthwise grain and a highlight along the middle of the body.
TColor PaintAt(const TLivery& L, double X, double Y, uint32_t Seed) {
    const double Grain = Fractal(X * 0.9, Y * 0.15, 64, 3, 0.5, Seed) - 0.5;
    const double Highlight = 1.0 + 0.10 * std::exp(-X * X / 30.0);
    return Shade(L.Paint, Highlight + Grain * 0.08);
}

void PaintWindowGlass(TCanvas& C, const std::vector<TVec2D>& Poly) {
    C.Polygon(Poly, GLASS);
    // A soft diagonal reflection across each pane.
    const TBounds2D B = BoundsOf(Poly);
    const double W = B.X1 - B.X0;
    // The band clipped to the (convex, counter-clockwise) pane, edge by edge.
    std::vector<TVec2D> Inside = {{B.X0 + W * 0.15, B.Y0},
                                  {B.X0 + W * 0.35, B.Y0},
                                  {B.X0 + W * 0.6, B.Y1},
                                  {B.X0 + W * 0.4, B.Y1}};
    for (size_t I = 0; I < Poly.size() && !Inside.empty(); ++I) {
        const TVec2D From = Poly[I], To = Poly[(I + 1) % Poly.size()];
        std::vector<TVec2D> Out;
        for (size_t K = 0; K < Inside.size(); ++K) {
            const TVec2D P = Inside[K], Q = Inside[(K + 1) % Inside.size()];
            const double SP = Cross2(From, To, P), SQ = Cross2(From, To, Q);
            if (SP >= 0) Out.push_back(P);
            if ((SP >= 0) != (SQ >= 0)) {
                const double T = SP / (SP - SQ);
                Out.push_back({P.x + (Q.x - P.x) * T, P.y + (Q.y - P.y) * T});
            }
        }
        Inside = Out;
    }
    if (Inside.size() >= 3) C.Polygon(Inside, {GLASS_SHINE.r, GLASS_SHINE.g, GLASS_SHINE.b, 0.45});
}

void PaintPlan(TCanvas& C, const TLivery& L) {
    const TCarBody& B = *L.Body;
    C.Paint([&](double X, double Y) { return PaintAt(L, X, Y, 11); });
    const double HL = B.HalfLength;
    // Stripes along the whole car, under the glass.
    const TColor A = L.Accent;
    switch (L.Stripes) {
    case TStripes::Twin:
        C.Rect(-3.6, -HL - 1, -1.4, HL + 1, A);
        C.Rect(1.4, -HL - 1, 3.6, HL + 1, A);
        break;
    case TStripes::Centre:
        C.Rect(-2.6, -HL - 1, 2.6, HL + 1, A);
        C.Rect(-3.4, -HL - 1, -2.6, HL + 1, Hex("#ffffff"));
        C.Rect(2.6, -HL - 1, 3.4, HL + 1, Hex("#ffffff"));
        break;
    case TStripes::Side:
        for (double S : {1.0, -1.0})
            C.Rect(S * 8.6 - 1.1, -HL - 1, S * 8.6 + 1.1, HL + 1, A);
        break;
    case TStripes::Hood:
        C.Polygon({{-6.5, B.ScreenBaseY + 0.5},
                   {6.5, B.ScreenBaseY + 0.5},
                   {3.5, HL + 1},
                   {-3.5, HL + 1}},
                  A);
        C.Rect(-3.0, -HL - 1, 3.0, B.RearBaseY, A);
        break;
    case TStripes::Chequer:
        for (int I = -6; I < 6; ++I)
            for (int K = 0; K < 2; ++K)
                if ((I + K) % 2 == 0)
                    C.Rect(I * 2.0, B.ScreenBaseY + 1.2 + K * 2.0, I * 2.0 + 2.0,
                           B.ScreenBaseY + 3.2 + K * 2.0, Hex("#111111"));
        C.Rect(-1.2, -HL - 1, 1.2, HL + 1, A);
        break;
    case TStripes::None:
        break;
    }
    // Shut lines of the bonnet and boot, slightly darker.
    const TColor Line = Shade(L.Paint, 0.55);
    C.Line(-B.CabinHalfWidth - 1.5, B.ScreenBaseY + 0.8, B.CabinHalfWidth + 1.5,
           B.ScreenBaseY + 0.8, 0.25, Line);
    C.Line(-B.CabinHalfWidth - 1.5, B.RearBaseY - 0.6, B.CabinHalfWidth + 1.5, B.RearBaseY - 0.6,
           0.25, Line);

    // Glass: windscreen, rear window and the two side windows.
    const double HC = B.CabinHalfWidth, Pillar = 0.9;
    PaintWindowGlass(C, {{-HC + Pillar * 0.6, B.ScreenBaseY - 0.2},
                         {HC - Pillar * 0.6, B.ScreenBaseY - 0.2},
                         {HC - B.GlassSlant - Pillar, B.ScreenTopY + 0.4},
                         {-HC + B.GlassSlant + Pillar, B.ScreenTopY + 0.4}});
    PaintWindowGlass(C, {{-HC + B.GlassSlant + Pillar, B.RearTopY - 0.4},
                         {HC - B.GlassSlant - Pillar, B.RearTopY - 0.4},
                         {HC - Pillar * 0.6, B.RearBaseY + 0.2},
                         {-HC + Pillar * 0.6, B.RearBaseY + 0.2}});
    for (double S : {1.0, -1.0}) {
        const double In = S * (HC - B.GlassSlant * 1.1), Out = S * (HC + B.GlassSlant * 0.7);
        std::vector<TVec2D> Pane = {{In, B.RearTopY - 0.2},
                                    {In, B.ScreenTopY + 0.2},
                                    {Out, B.ScreenBaseY - 1.5},
                                    {Out, B.RearBaseY + 1.0}};
        if (S < 0) std::reverse(Pane.begin(), Pane.end());
        C.Polygon(Pane, GLASS);
        C.Line(S * HC, (B.ScreenTopY + B.RearTopY) / 2, S * (HC + 0.3),
               (B.ScreenTopY + B.RearTopY) / 2, 0.5, Shade(L.Paint, 0.7)); // the door pillar
    }
    // Race number on the roof, in a white roundel.
    const double RoofY = (B.ScreenTopY + B.RearTopY) / 2;
    const double Roundel = std::min(3.6, (B.ScreenTopY - B.RearTopY) / 2 - 0.6);
    C.Circle(0, RoofY, Roundel, Hex("#f4f4f0"));
    C.Ring(0, RoofY, Roundel, 0.35, Hex("#202020"));
    C.Text("Liberation Sans", Roundel * 1.55, L.Number, 0, RoofY + 0.1, Hex("#141414"));
    // Lights at both ends and the mirrors at the windscreen base.
    const double HWF = B.HalfWidth.At(HL - 1.5), HWR = B.HalfWidth.At(-HL + 1.2);
    for (double S : {1.0, -1.0}) {
        C.Ellipse(S * (HWF - 2.9), HL - 1.6, 2.2, 1.25, HEADLIGHT);
        C.Rect(S * (HWR - 1.2) - 1.6, -HL - 0.5, S * (HWR - 1.2) + 1.6, -HL + 1.4, TAILLIGHT);
        C.Ellipse(S * (B.HalfWidth.At(B.ScreenBaseY) + 0.2), B.ScreenBaseY - 0.8, 1.3, 0.8,
                  Shade(L.Paint, 0.6));
    }
    if (B.Extras == TExtras::OffRoad) {
        // The jeep's bonnet vents and a darker tail door around the spare wheel.
        for (int I = 0; I < 4; ++I)
            C.Rect(-4.5, 12.0 + I * 1.6, 4.5, 12.6 + I * 1.6, Shade(L.Paint, 0.5));
    }
}

void PaintCap(TCanvas& C, const TLivery& L, bool Nose) {
    const TCarBody& B = *L.Body;
    C.Paint([&](double X, double Z) { return PaintAt(L, X, Z * 3, Nose ? 21 : 23); });
    const double Z0 = B.ClearanceZ, ZD = B.DeckZ.At(Nose ? B.HalfLength : -B.HalfLength);
    C.Rect(-14, 0, 14, Z0 + 1.6, RUBBER); // bumper
    if (Nose) {
        C.RoundRect(-5.5, Z0 + 2.0, 5.5, ZD - 1.8, 0.8, Hex("#141414"));
        for (int I = 0; I < 4; ++I)
            C.Line(-5, Z0 + 2.6 + I * 0.9, 5, Z0 + 2.6 + I * 0.9, 0.25, Hex("#5a5a5a"));
        for (double S : {1.0, -1.0})
            C.Ellipse(S * 8.0, ZD - 2.3, 2.4, 1.2, HEADLIGHT);
    } else {
        for (double S : {1.0, -1.0})
            C.Rect(S * 8.0 - 2.6, ZD - 3.6, S * 8.0 + 2.6, ZD - 1.6, TAILLIGHT);
        C.Rect(-3.0, Z0 + 2.2, 3.0, Z0 + 3.8, Hex("#f0f0e8")); // number plate
    }
}

void PaintWheelCells(TCarAtlas& A) {
    A.Tread.Paint([](double U, double V) {
        const double Groove = std::fmod(U * 36, 1.0) < 0.3 ? 0.6 : 1.0;
        const double Rib = std::fabs(V - 0.5) < 0.06 ? 0.7 : 1.0;
        return Shade(RUBBER, 1.2 * Groove * Rib);
    });
    A.Hub.Paint([](double X, double Y) {
        const double R = std::hypot(X, Y);
        if (R > 0.66) return Shade(RUBBER, 1.1 - (R - 0.66));
        if (R > 0.58) return Hex("#6c6c6c");
        const double A = std::atan2(Y, X);
        const double Spoke = std::cos(A * 5) > 0.35 ? 1.0 : 0.55;
        if (R < 0.16) return Hex("#d8d8d8");
        return Shade(Hex("#c4c7cc"), 0.55 + 0.45 * Spoke);
    });
    A.Trim.Paint([](double X, double Y) {
        return Gray(0.16 + 0.05 * Fractal(X * 8, Y * 8, 64, 2, 0.5, 3));
    });
    A.Chrome.Paint([](double X, double Y) { return Gray(0.62 + 0.3 * std::sin((X + Y) * 9)); });
}

TImage PaintLivery(const TLivery& L) {
    TImage Img(CAR_TEXTURE_SIZE, CAR_TEXTURE_SIZE, Gray(0.2));
    TCarAtlas A(Img);
    PaintPlan(A.Plan, L);
    PaintCap(A.Nose, L, true);
    PaintCap(A.Tail, L, false);
    PaintWheelCells(A);
    A.Wing.Paint([&](double X, double Y) { return PaintAt(L, X, Y, 31); });
    if (L.Stripes != TStripes::None) A.Wing.Rect(-2.6, -30, 2.6, 0, L.Accent);
    return Img;
}

} // namespace

void BuildCars(TContent& Content) {
    // The car table's textures in its order, each painted for the body that wears it.
    const TLivery Liveries[] = {
        {&PLAYER_BODY, Hex("#d42020"), Hex("#f6f6f0"), TStripes::Twin, "1"},
        {&PLAYER_BODY, Hex("#1f55c8"), Hex("#ffc21a"), TStripes::Centre, "2"},
        {&PLAYER_BODY, Hex("#f2c416"), Hex("#151515"), TStripes::Chequer, "3"},
        {&JEEP_BODY, Hex("#4d6b2c"), Hex("#d9c48a"), TStripes::Side, "4"},
        {&SUPRA_BODY, Hex("#e9ecef"), Hex("#2457c4"), TStripes::Twin, "5"},
        {&SUPRA_BODY, Hex("#f07a12"), Hex("#161616"), TStripes::Hood, "6"},
    };
    static_assert(std::size(Liveries) == CAR_MODEL_COUNT, "one livery per car model");
    for (int I = 0; I < CAR_MODEL_COUNT; ++I) {
        const TCarBody& Body = *Liveries[I].Body;
        const std::string ModelPath = DataRelativePath(CAR_ASSETS[I].Model);
        if (ModelPath != std::string("meshes/") + Body.Name + ".mdl")
            throw std::logic_error("car model " + std::to_string(I) + " wears the " + Body.Name +
                                   " body, but the car table names " + ModelPath);
        if (!Content.FindModel(ModelPath)) {
            // The shape needs only the atlas layout; the liveries are painted below.
            TImage Layout = TImage::Blank(CAR_TEXTURE_SIZE, CAR_TEXTURE_SIZE);
            Content.Models.push_back({ModelPath, BuildCarModel(Body, Layout)});
        }
    }
    for (int I = 0; I < CAR_MODEL_COUNT; ++I)
        Content.Pictures.push_back({DataRelativePath(CAR_ASSETS[I].Texture),
                                    PaintLivery(Liveries[I]), TPictureFormat::Jpeg});
}
