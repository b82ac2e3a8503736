#include "Outline.h"

#include <algorithm>
#include <stdexcept>

double TurnDegrees(TVec2D P, TVec2D C, TVec2D Q) {
    const double A1 = std::atan2(C.y - P.y, C.x - P.x), A2 = std::atan2(Q.y - C.y, Q.x - C.x);
    double D = std::fabs(A2 - A1);
    if (D > PI) D = 2 * PI - D;
    return D / DEG;
}

double TurnDegrees(const TOutline& O, size_t I) {
    const size_t N = O.size();
    return TurnDegrees(O[(I + N - 1) % N], O[I], O[(I + 1) % N]);
}

TBounds2D BoundsOf(const std::vector<TVec2D>& Points) {
    TBounds2D B{1e300, 1e300, -1e300, -1e300};
    for (const TVec2D& P : Points) {
        B.X0 = std::min(B.X0, P.x);
        B.Y0 = std::min(B.Y0, P.y);
        B.X1 = std::max(B.X1, P.x);
        B.Y1 = std::max(B.Y1, P.y);
    }
    return B;
}

// ---------------------------------------------------------------- building outlines

TOutline RectOutline(double X0, double Y0, double X1, double Y1) {
    return {{X0, Y0}, {X1, Y0}, {X1, Y1}, {X0, Y1}};
}

TOutline RoundedRectOutline(double X0, double Y0, double X1, double Y1, double Radius,
                            int CornerSteps) {
    TOutline O;
    const TVec2D Centres[4] = {{X1 - Radius, Y0 + Radius},
                               {X1 - Radius, Y1 - Radius},
                               {X0 + Radius, Y1 - Radius},
                               {X0 + Radius, Y0 + Radius}};
    for (int C = 0; C < 4; ++C)
        for (int S = 0; S <= CornerSteps; ++S) {
            const double A = (-90.0 + 90.0 * C + 90.0 * S / CornerSteps) * DEG;
            O.push_back({Centres[C].x + Radius * std::cos(A), Centres[C].y + Radius * std::sin(A)});
        }
    return O;
}

TOutline EllipseOutline(double CX, double CY, double RX, double RY, int Steps) {
    TOutline O;
    for (int S = 0; S < Steps; ++S) {
        const double A = 2 * PI * S / Steps;
        O.push_back({CX + RX * std::cos(A), CY + RY * std::sin(A)});
    }
    return O;
}

TOutline InsetOutline(const TOutline& Outline, double Distance) {
    const size_t N = Outline.size();
    TOutline R(N);
    for (size_t I = 0; I < N; ++I) {
        const TVec2D P = Outline[(I + N - 1) % N], C = Outline[I], Q = Outline[(I + 1) % N];
        const TVec2D E1 = Sub(C, P), E2 = Sub(Q, C);
        const double L1 = std::hypot(E1.x, E1.y), L2 = std::hypot(E2.x, E2.y);
        const TVec2D N1{-E1.y / L1, E1.x / L1}, N2{-E2.y / L2, E2.x / L2}; // inward (left) normals
        TVec2D B{N1.x + N2.x, N1.y + N2.y};
        const double BL = std::hypot(B.x, B.y);
        B = {B.x / BL, B.y / BL};
        const double Reach = Distance / std::max(0.2, Dot2(B, N1));
        R[I] = {C.x + B.x * Reach, C.y + B.y * Reach};
    }
    return R;
}

double OutlineArea(const TOutline& O) {
    double A = 0;
    for (size_t I = 0; I < O.size(); ++I)
        A += Cross2(O[I], O[(I + 1) % O.size()]);
    return A / 2;
}

std::vector<std::array<int, 3>> TriangulateOutline(const TOutline& Outline) {
    // Corners on a straight line would end up in triangles without area: leave them out (the
    // outline's shape stays the same).
    std::vector<int> Left;
    const size_t N = Outline.size();
    for (size_t I = 0; I < N; ++I) {
        const TVec2D P = Outline[(I + N - 1) % N], C = Outline[I], Q = Outline[(I + 1) % N];
        const double Scale = Dist(C, P) * Dist(Q, C);
        if (std::fabs(Cross2(P, C, Q)) > 1e-9 * Scale) Left.push_back(int(I));
    }
    std::vector<std::array<int, 3>> Result;
    size_t Guard = 0;
    while (Left.size() > 3 && Guard < 4 * Outline.size() * Outline.size()) {
        ++Guard;
        // Prefer the fattest ear, so long thin outlines do not fan into slivers.
        int Best = -1;
        double BestScore = -1;
        for (size_t I = 0; I < Left.size(); ++I) {
            const int A = Left[(I + Left.size() - 1) % Left.size()], B = Left[I],
                      C = Left[(I + 1) % Left.size()];
            const TVec2D PA = Outline[size_t(A)], PB = Outline[size_t(B)], PC = Outline[size_t(C)];
            const double Area2 = Cross2(PA, PB, PC);
            if (Area2 <= 1e-12) continue; // reflex or flat corner
            bool Empty = true;
            for (int K : Left) {
                if (K == A || K == B || K == C) continue;
                const TVec2D P = Outline[size_t(K)];
                if (Cross2(PA, PB, P) >= 0 && Cross2(PB, PC, P) >= 0 && Cross2(PC, PA, P) >= 0) {
                    Empty = false;
                    break;
                }
            }
            if (!Empty) continue;
            const double Perimeter = Dist(PB, PA) + Dist(PC, PB) + Dist(PA, PC);
            const double Score = Area2 / (Perimeter * Perimeter);
            if (Score > BestScore) {
                BestScore = Score;
                Best = int(I);
            }
        }
        if (Best < 0) throw std::logic_error("outline cannot be triangulated (not simple)");
        const size_t I = size_t(Best);
        Result.push_back(
            {Left[(I + Left.size() - 1) % Left.size()], Left[I], Left[(I + 1) % Left.size()]});
        Left.erase(Left.begin() + Best);
    }
    if (Left.size() == 3) Result.push_back({Left[0], Left[1], Left[2]});
    return Result;
}

// ---------------------------------------------------------------- hulls, crossings, overlaps

TOutline ConvexHull(std::vector<TVec2D> P) {
    std::sort(P.begin(), P.end(),
              [](TVec2D A, TVec2D B) { return A.x < B.x || (A.x == B.x && A.y < B.y); });
    if (P.size() < 3) return P;
    TOutline H(2 * P.size());
    size_t K = 0;
    for (size_t I = 0; I < P.size(); ++I) {
        while (K >= 2 && Cross2(H[K - 2], H[K - 1], P[I]) <= 0)
            --K;
        H[K++] = P[I];
    }
    for (size_t I = P.size() - 1, T = K + 1; I > 0; --I) {
        while (K >= T && Cross2(H[K - 2], H[K - 1], P[I - 1]) <= 0)
            --K;
        H[K++] = P[I - 1];
    }
    H.resize(K - 1);
    return H;
}

bool SegmentsCross(TVec2D A, TVec2D B, TVec2D C, TVec2D D) {
    const double D1 = Cross2(A, B, C), D2 = Cross2(A, B, D);
    const double D3 = Cross2(C, D, A), D4 = Cross2(C, D, B);
    return ((D1 > 0) != (D2 > 0)) && ((D3 > 0) != (D4 > 0)) && D1 != 0 && D2 != 0 && D3 != 0 &&
           D4 != 0;
}

namespace {

// The extent of a polygon along an axis (in units of the axis's length).
struct TSpan {
    double Min = 1e300, Max = -1e300;
};
TSpan Project(const std::vector<TVec2D>& Polygon, TVec2D Axis) {
    TSpan S;
    for (const TVec2D& Q : Polygon) {
        const double D = Dot2(Q, Axis);
        S.Min = std::min(S.Min, D);
        S.Max = std::max(S.Max, D);
    }
    return S;
}

} // namespace

bool ConvexOverlap(const std::vector<TVec2D>& A, const std::vector<TVec2D>& B) {
    // No separating axis among the edge normals of either polygon.
    for (const std::vector<TVec2D>* P : {&A, &B})
        for (size_t I = 0; I < P->size(); ++I) {
            const TVec2D E = Sub((*P)[(I + 1) % P->size()], (*P)[I]);
            const TVec2D N{-E.y, E.x};
            const TSpan SA = Project(A, N), SB = Project(B, N);
            if (SA.Max <= SB.Min || SB.Max <= SA.Min) return false;
        }
    return true;
}
