#include "Geometry.h"

#include <algorithm>
#include <stdexcept>

namespace {

// Texture coordinate offset per hard face: invisible (a few hundredths of a texel on the largest
// atlas) but enough to keep two faces' corners apart in the loader's weld. 64 faces in a row get
// different offsets, more than any shape here puts around one edge.
constexpr double FACE_UV_NUDGE = 1e-6;
constexpr int FACE_UV_NUDGE_STEPS = 64;
// A triangle whose doubled area is below this (square units) has no usable normal.
constexpr double MIN_DOUBLE_AREA = 1e-9;

} // namespace

// ---------------------------------------------------------------- TXform

TXform TXform::operator*(const TXform& Inner) const {
    TXform R;
    R.X = Dir(Inner.X);
    R.Y = Dir(Inner.Y);
    R.Z = Dir(Inner.Z);
    R.T = Point(Inner.T);
    return R;
}

TXform TXform::Move(double X, double Y, double Z) {
    TXform R;
    R.T = {X, Y, Z};
    return R;
}

TXform TXform::RotX(double Degrees) {
    const double C = std::cos(Degrees * DEG), S = std::sin(Degrees * DEG);
    TXform R;
    R.Y = {0, C, S};
    R.Z = {0, -S, C};
    return R;
}

TXform TXform::RotY(double Degrees) {
    const double C = std::cos(Degrees * DEG), S = std::sin(Degrees * DEG);
    TXform R;
    R.X = {C, 0, -S};
    R.Z = {S, 0, C};
    return R;
}

TXform TXform::RotZ(double Degrees) {
    const double C = std::cos(Degrees * DEG), S = std::sin(Degrees * DEG);
    TXform R;
    R.X = {C, S, 0};
    R.Y = {-S, C, 0};
    return R;
}

TXform TXform::Scale(double X, double Y, double Z) {
    TXform R;
    R.X = {X, 0, 0};
    R.Y = {0, Y, 0};
    R.Z = {0, 0, Z};
    return R;
}

TXform TXform::Along(TVecD Origin, TVecD Axis, TVecD Side) {
    TXform R;
    R.Z = Normalized(Axis);
    TVecD X = Side - R.Z * Dot(Side, R.Z);
    if (Length(X) < 1e-6) { // Side runs along the axis: any perpendicular will do
        const TVecD Other = std::fabs(R.Z.x) < 0.9 ? TVecD{1, 0, 0} : TVecD{0, 0, 1};
        X = Other - R.Z * Dot(Other, R.Z);
    }
    R.X = Normalized(X);
    R.Y = Cross(R.Z, R.X);
    R.T = Origin;
    return R;
}

// ---------------------------------------------------------------- TModel

int TModel::Vertex(TVecD Local) {
    Points.push_back(Place.Point(Local));
    return int(Points.size()) - 1;
}

int TModel::TexCoord(double U, double V) {
    UVs.push_back({U + FACE_UV_NUDGE * (FaceNumber % FACE_UV_NUDGE_STEPS), V});
    return int(UVs.size()) - 1;
}

std::vector<int> TModel::Vertices(std::initializer_list<TVecD> Local) {
    std::vector<int> R;
    for (const TVecD& P : Local)
        R.push_back(Vertex(P));
    return R;
}

std::vector<int> TModel::TexCoords(std::initializer_list<TVec2D> List) {
    std::vector<int> R;
    for (const TVec2D& T : List)
        R.push_back(TexCoord(T));
    return R;
}

void TModel::BeginFace() {
    ++FaceNumber;
}

void TModel::Triangle(int A, int B, int C, int TA, int TB, int TC) {
    if (Place.Mirrors()) {
        std::swap(B, C);
        std::swap(TB, TC);
    }
    const TVecD N =
        Cross(Points[size_t(B)] - Points[size_t(A)], Points[size_t(C)] - Points[size_t(A)]);
    if (Length(N) < MIN_DOUBLE_AREA)
        throw std::logic_error(Name + ": triangle " + std::to_string(Faces.size()) +
                               " has no area");
    Faces.push_back({{A, B, C}});
    FaceUVs.push_back({{TA, TB, TC}});
}

void TModel::Quad(int A, int B, int C, int D, int TA, int TB, int TC, int TD) {
    Triangle(A, B, C, TA, TB, TC);
    Triangle(A, C, D, TA, TC, TD);
}

TMdlData TModel::Mdl() const {
    TMdlData Data;
    Data.Faces = Faces;
    Data.FaceTexCoords = FaceUVs;
    Data.Vertices.reserve(Points.size());
    for (const TVecD& P : Points)
        Data.Vertices.push_back({float(P.x), float(P.y), float(P.z)});
    Data.TexCoords.reserve(UVs.size());
    for (const TVec2D& T : UVs)
        Data.TexCoords.push_back({float(T.x), float(T.y)});
    return Data;
}

// ---------------------------------------------------------------- primitives

void AddFlatQuad(TModel& M, TVecD A, TVecD B, TVecD C, TVecD D, TVec2D TA, TVec2D TB, TVec2D TC,
                 TVec2D TD) {
    M.BeginFace();
    const std::vector<int> V = M.Vertices({A, B, C, D}), T = M.TexCoords({TA, TB, TC, TD});
    M.Quad(V[0], V[1], V[2], V[3], T[0], T[1], T[2], T[3]);
}

void AddPictureQuad(TModel& M, TVecD BL, TVecD BR, TVecD TR, TVecD TL, const TRegion& R) {
    AddFlatQuad(M, BL, BR, TR, TL, {R.U0, R.V1}, {R.U1, R.V1}, {R.U1, R.V0}, {R.U0, R.V0});
}

namespace {

bool Present(const TRegion& R) {
    return R.U0 != R.U1;
}

} // namespace

void AddBox(TModel& M, TVecD Min, TVecD Max, const TBoxSkin& Skin, double Bevel) {
    const double X0 = Min.x, Y0 = Min.y, Z0 = Min.z, X1 = Max.x, Y1 = Max.y, Z1 = Max.z;
    const double B = Bevel, ZS = Z1 - B; // the walls end where the bevel begins
    const TPlanarMap Top{Skin.Top, X0, Y0, X1, Y1};
    const TPlanarMap Bev{Skin.Bevel, X0, Y0, X1, Y1};
    if (Present(Skin.Top)) {
        const TVecD A{X0 + B, Y0 + B, Z1}, Bq{X1 - B, Y0 + B, Z1}, C{X1 - B, Y1 - B, Z1},
            D{X0 + B, Y1 - B, Z1};
        AddFlatQuad(M, A, Bq, C, D, Top.At(A.x, A.y), Top.At(Bq.x, Bq.y), Top.At(C.x, C.y),
                    Top.At(D.x, D.y));
    }
    if (B > 0 && Present(Skin.Bevel)) {
        const TVecD O[4] = {{X0, Y0, ZS}, {X1, Y0, ZS}, {X1, Y1, ZS}, {X0, Y1, ZS}};
        const TVecD I[4] = {
            {X0 + B, Y0 + B, Z1}, {X1 - B, Y0 + B, Z1}, {X1 - B, Y1 - B, Z1}, {X0 + B, Y1 - B, Z1}};
        for (int K = 0; K < 4; ++K) {
            const int L = (K + 1) % 4;
            AddFlatQuad(M, O[K], O[L], I[L], I[K], Bev.At(O[K].x, O[K].y), Bev.At(O[L].x, O[L].y),
                        Bev.At(I[L].x, I[L].y), Bev.At(I[K].x, I[K].y));
        }
    }
    if (Present(Skin.Bottom)) {
        const TPlanarMap Bot{Skin.Bottom, X0, Y0, X1, Y1};
        AddFlatQuad(M, {X0, Y0, Z0}, {X0, Y1, Z0}, {X1, Y1, Z0}, {X1, Y0, Z0}, Bot.At(X0, Y0),
                    Bot.At(X0, Y1), Bot.At(X1, Y1), Bot.At(X1, Y0));
    }
    if (Present(Skin.Back))
        AddPictureQuad(M, {X0, Y0, Z0}, {X1, Y0, Z0}, {X1, Y0, ZS}, {X0, Y0, ZS}, Skin.Back);
    if (Present(Skin.Right))
        AddPictureQuad(M, {X1, Y0, Z0}, {X1, Y1, Z0}, {X1, Y1, ZS}, {X1, Y0, ZS}, Skin.Right);
    if (Present(Skin.Front))
        AddPictureQuad(M, {X1, Y1, Z0}, {X0, Y1, Z0}, {X0, Y1, ZS}, {X1, Y1, ZS}, Skin.Front);
    if (Present(Skin.Left))
        AddPictureQuad(M, {X0, Y1, Z0}, {X0, Y0, Z0}, {X0, Y0, ZS}, {X0, Y1, ZS}, Skin.Left);
}

void AddFlatOutline(TModel& M, const TOutline& Outline, double Z, const TPlanarMap& Map,
                    bool Down) {
    M.BeginFace();
    std::vector<int> V, T;
    for (const TVec2D& P : Outline) {
        V.push_back(M.Vertex({P.x, P.y, Z}));
        T.push_back(M.TexCoord(Map.At(P.x, P.y)));
    }
    for (const auto& Tri : TriangulateOutline(Outline)) {
        const int A = Tri[0], B = Down ? Tri[2] : Tri[1], C = Down ? Tri[1] : Tri[2];
        M.Triangle(V[size_t(A)], V[size_t(B)], V[size_t(C)], T[size_t(A)], T[size_t(B)],
                   T[size_t(C)]);
    }
}

namespace {

// A band of walls between two copies of an outline (Lower at ZL, Upper at ZU), smooth across the
// corners that turn less than SmoothDegrees. UVOf gives a corner's texture coordinate from its
// outline index, its length fraction along the outline and whether it is on the upper copy.
void Band(TModel& M, const TOutline& Lower, double ZL, const TOutline& Upper, double ZU,
          double SmoothDegrees, const std::function<TVec2D(size_t, double, bool)>& UVOf) {
    const size_t N = Lower.size();
    std::vector<double> Along(N + 1, 0);
    for (size_t I = 0; I < N; ++I)
        Along[I + 1] = Along[I] + std::hypot(Lower[(I + 1) % N].x - Lower[I].x,
                                             Lower[(I + 1) % N].y - Lower[I].y);
    std::vector<bool> Hard(N);
    size_t Start = N;
    for (size_t I = 0; I < N; ++I) {
        Hard[I] = TurnDegrees(Lower, I) >= SmoothDegrees;
        if (Hard[I] && Start == N) Start = I;
    }
    if (Start == N) Start = 0; // all smooth: one ring, closing on its first column
    const auto Column = [&](size_t I) {
        return std::pair{M.Vertex({Lower[I].x, Lower[I].y, ZL}),
                         M.Vertex({Upper[I].x, Upper[I].y, ZU})};
    };
    // A smooth corner's column is shared by the walls on both sides of it; the walls after a hard
    // corner are a new face with a column of their own.
    const std::pair<int, int> First = Column(Start);
    std::pair<int, int> Cur = First;
    double F = 0;
    for (size_t K = 0; K < N; ++K) {
        const size_t A = (Start + K) % N, B = (A + 1) % N;
        if (K > 0 && Hard[A]) {
            M.BeginFace();
            Cur = Column(A);
        }
        const bool Last = K + 1 == N;
        const double F1 = Last ? 1.0 : F + (Along[A + 1] - Along[A]) / Along[N];
        const std::pair<int, int> Next = Last && !Hard[B] ? First : Column(B);
        const std::vector<int> T = M.TexCoords(
            {UVOf(A, F, false), UVOf(B, F1, false), UVOf(B, F1, true), UVOf(A, F, true)});
        M.Quad(Cur.first, Next.first, Next.second, Cur.second, T[0], T[1], T[2], T[3]);
        Cur = Next;
        F = F1;
    }
}

} // namespace

void AddPrism(TModel& M, const TOutline& Outline, double Z0, double Z1, const TPrismSkin& Skin,
              double Bevel, double SmoothDegrees) {
    const double ZS = Z1 - Bevel;
    const TOutline TopLine = Bevel > 0 ? InsetOutline(Outline, Bevel) : Outline;
    AddFlatOutline(M, TopLine, Z1, Skin.Top);
    if (Bevel > 0) {
        const TPlanarMap& BM = Skin.BevelMap ? *Skin.BevelMap : Skin.Top;
        M.BeginFace();
        Band(M, Outline, ZS, TopLine, Z1, SmoothDegrees, [&](size_t I, double, bool Up) {
            const TVec2D P = Up ? TopLine[I] : Outline[I];
            return BM.At(P.x, P.y);
        });
    }
    M.BeginFace();
    const TRegion& R = Skin.Side;
    Band(M, Outline, Z0, Outline, ZS, SmoothDegrees, [&](size_t, double F, bool Up) {
        return TVec2D{R.U(F), Up ? R.V0 : R.V1};
    });
    if (Skin.Bottom) AddFlatOutline(M, Outline, Z0, Skin.Top, true);
}

TLatheUV WrapUV(TRegion R) {
    return [R](double Around, double Along, TVecD) { return TVec2D{R.U(Around), R.V(1 - Along)}; };
}

TLatheUV PlanarUV(const TPlanarMap& Map) {
    return [Map](double, double, TVecD P) { return Map.At(P.x, P.y); };
}

void AddLathe(TModel& M, const std::vector<TVec2D>& Profile, int Segments, const TLatheUV& UV,
              double SmoothDegrees) {
    const size_t N = Profile.size();
    std::vector<double> Along(N, 0);
    for (size_t I = 1; I < N; ++I)
        Along[I] = Along[I - 1] +
                   std::hypot(Profile[I].x - Profile[I - 1].x, Profile[I].y - Profile[I - 1].y);
    const double Total = Along[N - 1];
    const auto At = [&](size_t I, int J) {
        const double A = 2 * PI * J / Segments;
        return TVecD{Profile[I].x * std::cos(A), Profile[I].x * std::sin(A), Profile[I].y};
    };
    // Ring of file vertices for profile point I (one apex vertex when the radius is 0).
    const auto Ring = [&](size_t I) {
        std::vector<int> R;
        if (Profile[I].x <= 0) {
            R.push_back(M.Vertex({0, 0, Profile[I].y}));
            return R;
        }
        for (int J = 0; J < Segments; ++J)
            R.push_back(M.Vertex(At(I, J)));
        return R;
    };
    M.BeginFace();
    std::vector<int> Lower = Ring(0);
    for (size_t I = 1; I < N; ++I) {
        const std::vector<int> Upper = Ring(I);
        const double F0 = Along[I - 1] / Total, F1 = Along[I] / Total;
        for (int J = 0; J < Segments; ++J) {
            const double A0 = double(J) / Segments, A1 = double(J + 1) / Segments,
                         AM = (A0 + A1) / 2;
            const int JN = (J + 1) % Segments;
            const TVecD L0 = At(I - 1, J), L1 = At(I - 1, J + 1), U0 = At(I, J), U1 = At(I, J + 1);
            const bool LowApex = Lower.size() == 1, UpApex = Upper.size() == 1;
            if (LowApex && UpApex) break;
            if (LowApex) { // the quad's first triangle with its two lower corners in one
                const std::vector<int> T =
                    M.TexCoords({UV(AM, F0, L0), UV(A1, F1, U1), UV(A0, F1, U0)});
                M.Triangle(Lower[0], Upper[size_t(JN)], Upper[size_t(J)], T[0], T[1], T[2]);
            } else if (UpApex) {
                const std::vector<int> T =
                    M.TexCoords({UV(A0, F0, L0), UV(A1, F0, L1), UV(AM, F1, U0)});
                M.Triangle(Lower[size_t(J)], Lower[size_t(JN)], Upper[0], T[0], T[1], T[2]);
            } else {
                const std::vector<int> T =
                    M.TexCoords({UV(A0, F0, L0), UV(A1, F0, L1), UV(A1, F1, U1), UV(A0, F1, U0)});
                M.Quad(Lower[size_t(J)], Lower[size_t(JN)], Upper[size_t(JN)], Upper[size_t(J)],
                       T[0], T[1], T[2], T[3]);
            }
        }
        // A crease at profile point I: the next span starts a new face with a ring of its own.
        const bool Crease =
            I + 1 < N && Profile[I].x > 0 &&
            TurnDegrees(Profile[I - 1], Profile[I], Profile[I + 1]) >= SmoothDegrees;
        if (Crease) {
            M.BeginFace();
            Lower = Ring(I);
        } else {
            Lower = Upper;
        }
    }
}

void AddTube(TModel& M, const std::vector<TVecD>& Path, double Radius, int Sides, TRegion Region,
             bool Closed) {
    const size_t N = Path.size();
    const auto Tangent = [&](size_t I) {
        TVecD A, B;
        if (Closed) {
            A = Path[(I + N - 1) % N];
            B = Path[(I + 1) % N];
        } else {
            A = Path[I == 0 ? 0 : I - 1];
            B = Path[I + 1 < N ? I + 1 : N - 1];
        }
        return Normalized(B - A);
    };
    // Parallel-transported frames, so the tube does not twist.
    std::vector<TVecD> Norm(N), Bin(N);
    TVecD T0 = Tangent(0);
    TVecD Seed = std::fabs(T0.z) < 0.9 ? TVecD{0, 0, 1} : TVecD{1, 0, 0};
    Norm[0] = Normalized(Seed - T0 * Dot(Seed, T0));
    for (size_t I = 0; I < N; ++I) {
        const TVecD T = Tangent(I);
        if (I > 0) Norm[I] = Normalized(Norm[I - 1] - T * Dot(Norm[I - 1], T));
        Bin[I] = Cross(T, Norm[I]);
    }
    std::vector<double> Along(N + 1, 0);
    for (size_t I = 1; I <= N; ++I)
        Along[I] = Along[I - 1] + Length(Path[I % N] - Path[I - 1]);
    const double Total = Closed ? Along[N] : Along[N - 1];
    // Corner J of the tube's ring around path point I.
    const auto RingPoint = [&](size_t I, int J) {
        const double A = 2 * PI * J / Sides;
        return Path[I] + Norm[I] * (Radius * std::cos(A)) + Bin[I] * (Radius * std::sin(A));
    };
    M.BeginFace();
    std::vector<std::vector<int>> Rings(N);
    for (size_t I = 0; I < N; ++I)
        for (int J = 0; J < Sides; ++J)
            Rings[I].push_back(M.Vertex(RingPoint(I, J)));
    const size_t Spans = Closed ? N : N - 1;
    for (size_t I = 0; I < Spans; ++I) {
        const size_t K = (I + 1) % N;
        const double V0 = Along[I] / Total, V1 = Along[I + 1] / Total;
        for (int J = 0; J < Sides; ++J) {
            const int JN = (J + 1) % Sides;
            const double U0 = double(J) / Sides, U1 = double(J + 1) / Sides;
            // Round the ring first, then along the path: outwards.
            const std::vector<int> T = M.TexCoords({{Region.U(U0), Region.V(V0)},
                                                    {Region.U(U1), Region.V(V0)},
                                                    {Region.U(U1), Region.V(V1)},
                                                    {Region.U(U0), Region.V(V1)}});
            M.Quad(Rings[I][size_t(J)], Rings[I][size_t(JN)], Rings[K][size_t(JN)],
                   Rings[K][size_t(J)], T[0], T[1], T[2], T[3]);
        }
    }
    if (Closed) return;
    for (int End = 0; End < 2; ++End) {
        const size_t I = End == 0 ? 0 : N - 1;
        M.BeginFace();
        const int C = M.Vertex(Path[I]);
        std::vector<int> Rim;
        for (int J = 0; J < Sides; ++J)
            Rim.push_back(M.Vertex(RingPoint(I, J)));
        const int TC = M.TexCoord(Region.U(0.5), Region.V(End == 0 ? 0 : 1));
        for (int J = 0; J < Sides; ++J) {
            const int JN = (J + 1) % Sides;
            const int TA =
                M.TexCoord(Region.U(double(J) / Sides), Region.V(End == 0 ? 0.02 : 0.98));
            const int TB =
                M.TexCoord(Region.U(double(J + 1) / Sides), Region.V(End == 0 ? 0.02 : 0.98));
            // The start cap faces backwards along the path, the end cap forwards.
            if (End == 0)
                M.Triangle(C, Rim[size_t(JN)], Rim[size_t(J)], TC, TB, TA);
            else
                M.Triangle(C, Rim[size_t(J)], Rim[size_t(JN)], TC, TA, TB);
        }
    }
}

void AddSheet(TModel& M, double X0, double Y0, double X1, double Y1, int Nx, int Ny,
              const std::function<double(double, double)>& Height, double Thickness,
              const TPlanarMap& Top, TRegion Edge) {
    M.BeginFace();
    const auto PX = [&](int I) { return X0 + (X1 - X0) * I / Nx; };
    const auto PY = [&](int J) { return Y0 + (Y1 - Y0) * J / Ny; };
    std::vector<int> V((size_t(Nx) + 1) * (size_t(Ny) + 1)), T(V.size());
    for (int J = 0; J <= Ny; ++J)
        for (int I = 0; I <= Nx; ++I) {
            const size_t K = size_t(J) * size_t(Nx + 1) + size_t(I);
            V[K] = M.Vertex({PX(I), PY(J), Height(PX(I), PY(J))});
            T[K] = M.TexCoord(Top.At(PX(I), PY(J)));
        }
    for (int J = 0; J < Ny; ++J)
        for (int I = 0; I < Nx; ++I) {
            const size_t A = size_t(J) * size_t(Nx + 1) + size_t(I), B = A + 1,
                         C = B + size_t(Nx + 1), D = A + size_t(Nx + 1);
            M.Quad(V[A], V[B], V[C], V[D], T[A], T[B], T[C], T[D]);
        }
    if (Thickness <= 0) return;
    // The four border walls, each a face of its own, walked counter-clockwise.
    struct TSideWalk {
        int I0, J0, DI, DJ, Steps;
    };
    const TSideWalk Walks[4] = {
        {0, 0, 1, 0, Nx}, {Nx, 0, 0, 1, Ny}, {Nx, Ny, -1, 0, Nx}, {0, Ny, 0, -1, Ny}};
    for (const TSideWalk& W : Walks) {
        M.BeginFace();
        std::vector<int> Hi, Lo;
        for (int S = 0; S <= W.Steps; ++S) {
            const double X = PX(W.I0 + W.DI * S), Y = PY(W.J0 + W.DJ * S);
            const double Z = Height(X, Y);
            Hi.push_back(M.Vertex({X, Y, Z}));
            Lo.push_back(M.Vertex({X, Y, Z - Thickness}));
        }
        for (int S = 0; S < W.Steps; ++S) {
            const double F0 = double(S) / W.Steps, F1 = double(S + 1) / W.Steps;
            const std::vector<int> T = M.TexCoords({{Edge.U(F0), Edge.V1},
                                                    {Edge.U(F1), Edge.V1},
                                                    {Edge.U(F1), Edge.V0},
                                                    {Edge.U(F0), Edge.V0}});
            M.Quad(Lo[size_t(S)], Lo[size_t(S) + 1], Hi[size_t(S) + 1], Hi[size_t(S)], T[0], T[1],
                   T[2], T[3]);
        }
    }
}

void AddExtrusionX(TModel& M, const TOutline& Section, double X0, double X1,
                   const std::function<TRegion(size_t Edge)>& WallRegion, TRegion EndX0,
                   TRegion EndX1, double SmoothDegrees) {
    const size_t N = Section.size();
    std::vector<TRegion> Regions(N);
    std::vector<bool> Has(N);
    for (size_t I = 0; I < N; ++I) {
        Regions[I] = WallRegion(I);
        Has[I] = Present(Regions[I]);
    }
    const auto SameRegion = [&](size_t A, size_t B) {
        const TRegion &RA = Regions[A], &RB = Regions[B];
        return RA.U0 == RB.U0 && RA.V0 == RB.V0 && RA.U1 == RB.U1 && RA.V1 == RB.V1;
    };
    // Corner I joins edge I - 1 to edge I.
    std::vector<bool> Joined(N);
    for (size_t I = 0; I < N; ++I) {
        const size_t P = (I + N - 1) % N;
        Joined[I] = Has[I] && Has[P] && SameRegion(I, P) && TurnDegrees(Section, I) < SmoothDegrees;
    }
    size_t Start = N;
    for (size_t I = 0; I < N; ++I)
        if (!Joined[I]) {
            Start = I;
            break;
        }
    const bool Loop = Start == N; // one smooth surface all round
    if (Loop) Start = 0;
    std::vector<bool> Done(N);
    for (size_t K = 0; K < N; ++K) {
        const size_t First = (Start + K) % N;
        if (Done[First] || !Has[First]) continue;
        // The run of edges from First while the corners join.
        std::vector<size_t> Run = {First};
        Done[First] = true;
        while (true) {
            const size_t Next = (Run.back() + 1) % N;
            if (Done[Next] || !Joined[Next]) break;
            Run.push_back(Next);
            Done[Next] = true;
        }
        const size_t Corners = Run.size() + 1;
        std::vector<TVec2D> P(Corners);
        for (size_t I = 0; I < Run.size(); ++I)
            P[I] = Section[Run[I]];
        P[Run.size()] = Section[(Run.back() + 1) % N];
        std::vector<double> Along(Corners, 0);
        double NY = 0, NZ = 0;
        for (size_t I = 1; I < Corners; ++I) {
            const double DY = P[I].x - P[I - 1].x, DZ = P[I].y - P[I - 1].y;
            Along[I] = Along[I - 1] + std::hypot(DY, DZ);
            NY += DZ; // outward normal: the edge direction turned to the right
            NZ -= DY;
        }
        const double NL = std::hypot(NY, NZ);
        if (NL > 1e-9) {
            NY /= NL;
            NZ /= NL;
        } else { // a run all round: its picture stands as if facing up
            NY = 0;
            NZ = 1;
        }
        // The picture's up in the section plane, and whether u runs along +x.
        const double UpY = NZ > 0.7 ? 1 : NZ < -0.7 ? -1 : 0, UpZ = std::fabs(NZ) > 0.7 ? 0 : 1;
        const bool UAlongX = NZ * UpY - NY * UpZ > 0;
        const double UpStart = P[0].x * UpY + P[0].y * UpZ,
                     UpEnd = P[Corners - 1].x * UpY + P[Corners - 1].y * UpZ;
        const bool VFromStart = UpStart >= UpEnd;
        const TRegion R = Regions[First];
        M.BeginFace();
        const bool Closed = Loop && Run.size() == N;
        std::vector<int> A(Corners), B(Corners);
        for (size_t I = 0; I < Corners; ++I) {
            if (Closed && I + 1 == Corners) {
                A[I] = A[0];
                B[I] = B[0];
                continue;
            }
            A[I] = M.Vertex({X0, P[I].x, P[I].y});
            B[I] = M.Vertex({X1, P[I].x, P[I].y});
        }
        const double UA = UAlongX ? R.U0 : R.U1, UB = UAlongX ? R.U1 : R.U0;
        for (size_t I = 0; I + 1 < Corners; ++I) {
            const double F0 = Along[I] / Along.back(), F1 = Along[I + 1] / Along.back();
            const double V0 = R.V(VFromStart ? F0 : 1 - F0), V1 = R.V(VFromStart ? F1 : 1 - F1);
            // Corner I to I + 1 runs with the outline; outward is to its right, so seen from
            // outside the X1 side is on the left of the direction of travel.
            const std::vector<int> T = M.TexCoords({{UA, V0}, {UA, V1}, {UB, V1}, {UB, V0}});
            M.Quad(A[I], A[I + 1], B[I + 1], B[I], T[0], T[1], T[2], T[3]);
        }
    }
    // End faces.
    const TBounds2D Box = BoundsOf(Section); // of the section: x is the model's y, y its z
    const auto Tris = TriangulateOutline(Section);
    for (int End = 0; End < 2; ++End) {
        const TRegion& R = End == 0 ? EndX0 : EndX1;
        if (!Present(R)) continue;
        const double X = End == 0 ? X0 : X1;
        M.BeginFace();
        std::vector<int> V, T;
        for (const TVec2D& P : Section) {
            V.push_back(M.Vertex({X, P.x, P.y}));
            const double FU = (P.x - Box.X0) / (Box.X1 - Box.X0);
            T.push_back(
                M.TexCoord(R.U(End == 1 ? FU : 1 - FU), R.V((Box.Y1 - P.y) / (Box.Y1 - Box.Y0))));
        }
        for (const auto& Tri : Tris) {
            const size_t A = size_t(Tri[0]), B = size_t(End == 1 ? Tri[1] : Tri[2]),
                         C = size_t(End == 1 ? Tri[2] : Tri[1]);
            M.Triangle(V[A], V[B], V[C], T[A], T[B], T[C]);
        }
    }
}

void AddRing(TModel& M, const TOutline& Outer, const TOutline& Inner, double Z0, double Z1,
             const TPlanarMap& Top, TRegion Side, TRegion HoleSide, double SmoothDegrees) {
    const size_t N = Outer.size();
    M.BeginFace();
    std::vector<int> O(N), I(N), TO(N), TI(N);
    for (size_t K = 0; K < N; ++K) {
        O[K] = M.Vertex({Outer[K].x, Outer[K].y, Z1});
        I[K] = M.Vertex({Inner[K].x, Inner[K].y, Z1});
        TO[K] = M.TexCoord(Top.At(Outer[K].x, Outer[K].y));
        TI[K] = M.TexCoord(Top.At(Inner[K].x, Inner[K].y));
    }
    for (size_t K = 0; K < N; ++K) {
        const size_t L = (K + 1) % N;
        M.Quad(O[K], O[L], I[L], I[K], TO[K], TO[L], TI[L], TI[K]);
    }
    if (Present(Side)) {
        M.BeginFace();
        Band(M, Outer, Z0, Outer, Z1, SmoothDegrees, [&](size_t, double F, bool Up) {
            return TVec2D{Side.U(F), Up ? Side.V0 : Side.V1};
        });
    }
    if (Present(HoleSide)) {
        TOutline Hole(Inner.rbegin(),
                      Inner.rend()); // walked the other way, its walls face the hole
        M.BeginFace();
        Band(M, Hole, Z0, Hole, Z1, SmoothDegrees, [&](size_t, double F, bool Up) {
            return TVec2D{HoleSide.U(F), Up ? HoleSide.V0 : HoleSide.V1};
        });
    }
}
