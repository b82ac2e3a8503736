#include "KeyboardBot.h"

#include "app/Replay.h"
#include "cars/dCars.h"
#include "world/dMap.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Aim this far along the road (world units, plus so much per unit of speed per update), nearer
// when the straight line there leaves the road or meets a car.
constexpr double AIM_BASE = 350;
constexpr double AIM_PER_SPEED = 6;
constexpr double AIM_MIN = 60;
constexpr double AIM_STEP = 20;
// Passing: the aim may move this far to either side of the centre line, in these steps.
constexpr double PASS_STEP = 40;
constexpr int PASS_STEPS = 2;
// The line keeps this far inside the road's edges, and this far from any car's centre (two car
// radii and a little).
constexpr double EDGE_MARGIN = 25;
constexpr double CAR_CLEARANCE = 32;
// Cars farther away than this are off the screen, or too far to matter.
constexpr double SEEN_RANGE = 450;
// Steer while the aim is off the heading by more than this.
constexpr double STEER_DEAD_BAND_RAD = 0.1;
// Lift off behind a car this close ahead that cannot be passed.
constexpr double FOLLOW_GAP = 60;
// Stuck against something: slower than this for this many updates backs up for a while.
constexpr double STUCK_SPEED = 1.0;
constexpr long STUCK_UPDATES = 30;
constexpr long REVERSE_UPDATES = 30;
constexpr double LINE_SAMPLE_STEP = 20;
constexpr int LINE_SEGMENTS_AHEAD = 12;

struct TPoint2 {
    double X, Y;
};

TPoint2 At(const TMap& Map, int32_t I) {
    const TVec3& P = Map.Points[size_t(I)].Pos;
    return {P.x, P.y};
}

int32_t Segments(const TMap& Map) {
    return Map.PointCount - 1;
} // without the closing copy

// The point Distance along the centre line from road point From, and the road's left side there.
TPoint2 AlongRoad(const TMap& Map, int32_t From, double Distance, TPoint2& Side) {
    int32_t I = From % Segments(Map);
    for (int32_t Step = 0; Step < Segments(Map); ++Step) {
        const TPoint2 A = At(Map, I), B = At(Map, I + 1);
        const double DX = B.X - A.X, DY = B.Y - A.Y;
        const double L = std::hypot(DX, DY);
        if (L >= Distance) {
            Side = {-DY / L, DX / L};
            return {A.X + DX * Distance / L, A.Y + DY * Distance / L};
        }
        Distance -= L;
        I = (I + 1) % Segments(Map);
    }
    Side = {0, 0};
    return At(Map, I);
}

// How far (X, Y) lies from the centre line near road point From, and the half-width there.
double OffRoad(const TMap& Map, int32_t From, double X, double Y) {
    double Best = 1e300, Width = 0;
    for (int32_t Step = -1; Step < LINE_SEGMENTS_AHEAD; ++Step) {
        const int32_t I = ((From + Step) % Segments(Map) + Segments(Map)) % Segments(Map);
        const TPoint2 A = At(Map, I), B = At(Map, I + 1);
        const double DX = B.X - A.X, DY = B.Y - A.Y;
        const double U =
            std::clamp(((X - A.X) * DX + (Y - A.Y) * DY) / (DX * DX + DY * DY), 0.0, 1.0);
        const double D = std::hypot(X - (A.X + DX * U), Y - (A.Y + DY * U));
        if (D < Best) {
            Best = D;
            Width = Map.Points[size_t(I)].HalfWidth;
        }
    }
    return Best - Width; // above 0: beyond the edge
}

struct TSeenCar {
    TPoint2 Pos, Velocity; // world units, per update
};

// Whether the straight line from Start to Aim, driven at Speed, stays Margin inside the road and
// clear of every car where that car will be by then.
bool ClearLine(const TMap& Map, int32_t From, TPoint2 Start, TPoint2 Aim, double Speed,
               const std::vector<TSeenCar>& Cars) {
    const double Length = std::hypot(Aim.X - Start.X, Aim.Y - Start.Y);
    const int Samples = std::max(2, int(Length / LINE_SAMPLE_STEP));
    for (int K = 1; K <= Samples; ++K) {
        const double T = double(K) / Samples;
        const double X = Start.X + (Aim.X - Start.X) * T, Y = Start.Y + (Aim.Y - Start.Y) * T;
        if (OffRoad(Map, From, X, Y) > -EDGE_MARGIN) return false;
        const double Updates = Length * T / std::max(Speed, 1.0);
        for (const TSeenCar& C : Cars) {
            const double CX = C.Pos.X + C.Velocity.X * Updates;
            const double CY = C.Pos.Y + C.Velocity.Y * Updates;
            if (std::hypot(X - CX, Y - CY) < CAR_CLEARANCE) return false;
        }
    }
    return true;
}

} // namespace

uint8_t TKeyboardBot::Decide(const TBasicCar& Own, const std::vector<TVec3>& Others,
                             const TMap& Map, bool Started) {
    std::vector<TSeenCar> Cars;
    for (size_t I = 0; I < Others.size(); ++I) {
        const TPoint2 P{Others[I].x, Others[I].y};
        if (std::hypot(P.X - Own.Pos.x, P.Y - Own.Pos.y) > SEEN_RANGE) continue;
        const TPoint2 V = I < PrevOthers.size()
                              ? TPoint2{P.X - PrevOthers[I].x, P.Y - PrevOthers[I].y}
                              : TPoint2{0, 0};
        Cars.push_back({P, V});
    }
    PrevOthers = Others;
    if (Map.PointCount < 3 || !Started) return 0;
    const double Speed = Own.Speed;

    // Backing out after being stuck.
    if (ReverseUpdates > 0) {
        --ReverseUpdates;
        return HELD_S;
    }
    StuckUpdates = Speed < STUCK_SPEED ? StuckUpdates + 1 : 0;
    if (StuckUpdates > STUCK_UPDATES) {
        StuckUpdates = 0;
        ReverseUpdates = REVERSE_UPDATES;
        return HELD_S;
    }

    const int32_t RP = std::max(0, Own.RoadPoint);
    const TPoint2 Start{Own.Pos.x, Own.Pos.y};
    // The farthest clear aim, straight down the road first, then passing on either side.
    TPoint2 Aim{};
    bool Clear = false;
    for (double Reach = AIM_BASE + AIM_PER_SPEED * Speed; Reach >= AIM_MIN && !Clear;
         Reach -= AIM_STEP) {
        TPoint2 Side;
        const TPoint2 Centre = AlongRoad(Map, RP, Reach, Side);
        for (int Pass = 0; Pass <= 2 * PASS_STEPS && !Clear; ++Pass) {
            const double Across = (Pass + 1) / 2 * PASS_STEP * (Pass % 2 ? 1 : -1);
            Aim = {Centre.X + Side.X * Across, Centre.Y + Side.Y * Across};
            Clear = ClearLine(Map, RP, Start, Aim, Speed, Cars);
        }
    }
    if (!Clear) { // nothing is clear: follow the road, and do not run into the car ahead
        TPoint2 Side;
        Aim = AlongRoad(Map, RP, AIM_MIN, Side);
    }
    const double ToX = Aim.X - Start.X, ToY = Aim.Y - Start.Y;
    const double DirX = Own.Dir.x, DirY = Own.Dir.y;
    // Positive when the aim lies to the left of the heading (turned +90 degrees in the plane).
    const double Error = std::atan2(DirX * ToY - DirY * ToX, DirX * ToX + DirY * ToY);

    uint8_t Keys = 0;
    if (Error > STEER_DEAD_BAND_RAD) Keys |= HELD_D; // D turns towards +90 degrees
    if (Error < -STEER_DEAD_BAND_RAD) Keys |= HELD_A;
    bool Blocked = false;
    if (!Clear)
        for (const TSeenCar& C : Cars) {
            const double DX = C.Pos.X - Start.X, DY = C.Pos.Y - Start.Y;
            if (DX * DirX + DY * DirY > 0 && std::hypot(DX, DY) < FOLLOW_GAP) Blocked = true;
        }
    if (!Blocked) Keys |= HELD_W;
    return Keys;
}
