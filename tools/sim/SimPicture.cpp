// marvolin-sim picture MAPFILE PNGFILE [--car M]
//
// A top-down picture of a track with the races that certify it: the road on the desk, the paths
// the five computer cars drove with the player idle on the grid (thin, one colour each), the path
// of the keyboard driver in the player's car (thick, white), and a ring in the car's colour where a
// car stood still longest: the longest stop of all, and every car's longest if it lasted half a
// second or more. Drawn in software: no display is needed.
#include "KeyboardBot.h"
#include "Sim.h"
#include "SimGame.h"

#include "cars/dCars.h"
#include "engine/Files.h"
#include "frontend/dMenu.h"
#include "models/dMeshes.h"
#include "world/dMap.h"

#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int PICTURE_LONG_SIDE_PX = 1400;
constexpr double MARGIN_UNITS = 120;
constexpr long MIN_STOP_UPDATES = 20;   // half a second standing still is worth a ring
constexpr double STANDING_SPEED = 0.5;  // world units per update
constexpr double MIN_AVERAGE_SPEED = 4; // the race's limit: every lap at this average

struct TColour {
    uint8_t R, G, B;
};
constexpr TColour DESK = {196, 160, 112};
constexpr TColour ROAD = {92, 92, 98};
constexpr TColour EDGE = {40, 40, 44};
constexpr TColour START_LINE = {250, 250, 250};
constexpr TColour BOT = {255, 255, 255};
constexpr TColour COMPUTER[5] = {
    {230, 60, 50}, {60, 110, 230}, {240, 200, 40}, {80, 170, 70}, {240, 120, 30}};
constexpr TColour RING_EDGE = {20, 20, 20};

class TCanvas {
public:
    TCanvas(double X0, double Y0, double X1, double Y1) : X0(X0), Y0(Y0) {
        Scale = PICTURE_LONG_SIDE_PX / std::max(X1 - X0, Y1 - Y0);
        Width = std::max(1, int(std::ceil((X1 - X0) * Scale)));
        Height = std::max(1, int(std::ceil((Y1 - Y0) * Scale)));
        Pixels.assign(size_t(Width) * Height * 3, 0);
        Fill(DESK);
    }
    void Fill(TColour C) {
        for (size_t I = 0; I < Pixels.size(); I += 3)
            Put(I, C);
    }
    // World (X, Y) to pixels: world y grows down the picture, as on the game's screen.
    double PX(double X) const { return (X - X0) * Scale; }
    double PY(double Y) const { return (Y - Y0) * Scale; }

    void Triangle(const TVec3& A, const TVec3& B, const TVec3& C, TColour Colour) {
        const double AX = PX(A.x), AY = PY(A.y), BX = PX(B.x), BY = PY(B.y), CX = PX(C.x),
                     CY = PY(C.y);
        const double Area = (BX - AX) * (CY - AY) - (BY - AY) * (CX - AX);
        if (Area == 0) return;
        const int XMin = std::max(0, int(std::floor(std::min({AX, BX, CX}))));
        const int XMax = std::min(Width - 1, int(std::ceil(std::max({AX, BX, CX}))));
        const int YMin = std::max(0, int(std::floor(std::min({AY, BY, CY}))));
        const int YMax = std::min(Height - 1, int(std::ceil(std::max({AY, BY, CY}))));
        for (int Y = YMin; Y <= YMax; ++Y)
            for (int X = XMin; X <= XMax; ++X) {
                const double SX = X + 0.5, SY = Y + 0.5;
                const double W0 = ((BX - SX) * (CY - SY) - (BY - SY) * (CX - SX)) / Area;
                const double W1 = ((CX - SX) * (AY - SY) - (CY - SY) * (AX - SX)) / Area;
                if (W0 >= 0 && W1 >= 0 && W0 + W1 <= 1) Dot(X, Y, Colour);
            }
    }
    // A line RadiusPx thick (half its width), in world units at both ends.
    void Line(double AX, double AY, double BX, double BY, double RadiusPx, TColour C) {
        const double X0p = PX(AX), Y0p = PY(AY), X1p = PX(BX), Y1p = PY(BY);
        const int Steps = std::max(1, int(std::hypot(X1p - X0p, Y1p - Y0p) / 0.7));
        for (int I = 0; I <= Steps; ++I) {
            const double T = double(I) / Steps;
            Disc(X0p + (X1p - X0p) * T, Y0p + (Y1p - Y0p) * T, RadiusPx, C);
        }
    }
    void Ring(double X, double Y, double RadiusPx, TColour Inside) {
        Disc(PX(X), PY(Y), RadiusPx + 2, RING_EDGE);
        Disc(PX(X), PY(Y), RadiusPx, Inside);
        Disc(PX(X), PY(Y), RadiusPx * 0.45, RING_EDGE);
    }
    bool Save(const std::string& File) const {
        return stbi_write_png(File.c_str(), Width, Height, 3, Pixels.data(), Width * 3) != 0;
    }

private:
    void Put(size_t I, TColour C) {
        Pixels[I] = C.R;
        Pixels[I + 1] = C.G;
        Pixels[I + 2] = C.B;
    }
    void Dot(int X, int Y, TColour C) {
        if (X >= 0 && Y >= 0 && X < Width && Y < Height) Put((size_t(Y) * Width + X) * 3, C);
    }
    void Disc(double CX, double CY, double R, TColour C) {
        for (int Y = int(std::floor(CY - R)); Y <= int(std::ceil(CY + R)); ++Y)
            for (int X = int(std::floor(CX - R)); X <= int(std::ceil(CX + R)); ++X)
                if (std::hypot(X + 0.5 - CX, Y + 0.5 - CY) <= R) Dot(X, Y, C);
    }

    double X0, Y0, Scale = 1;
    int Width = 1, Height = 1;
    std::vector<uint8_t> Pixels;
};

struct TDriven {
    std::vector<TVec3> Path; // after every update until the car finished
    TVec3 LongestStop;
    long LongestStopUpdates = 0;
};

// Races the loaded level until every car of Watched has finished or Limit updates have run.
std::vector<TDriven> Drive(TSimGame& Game, const std::vector<int>& Watched, long Limit, bool Bot) {
    std::vector<TDriven> Driven(Watched.size());
    std::vector<long> Still(Watched.size(), 0);
    TKeyboardBot Driver;
    TGameManager& Race = Game.Race();
    for (long K = 1; K <= Limit; ++K) {
        Game.Headless.SetTime(int32_t(K * MS_PER_UPDATE));
        if (Bot) {
            std::vector<TVec3> Others;
            for (size_t I = 1; I < Race.Cars.size(); ++I)
                Others.push_back(Race.Cars[I]->Pos);
            Game.Hold(Driver.Decide(*Race.Cars[0], Others, *Map, Race.Started));
        }
        UpdateRace();
        bool AllDone = true;
        for (size_t W = 0; W < Watched.size(); ++W) {
            const TBasicCar& Car = *Race.Cars[size_t(Watched[W])];
            if (!Race.Started) continue;
            if (Driven[W].Path.empty() || !Car.Finished) Driven[W].Path.push_back(Car.Pos);
            AllDone = AllDone && Car.Finished;
            Still[W] = Car.Speed < STANDING_SPEED && !Car.Finished ? Still[W] + 1 : 0;
            if (Still[W] > Driven[W].LongestStopUpdates) {
                Driven[W].LongestStopUpdates = Still[W];
                Driven[W].LongestStop = Car.Pos;
            }
        }
        if (AllDone && Race.Started) break;
    }
    return Driven;
}

} // namespace

int SimPicture(const TSimArgs& Args) {
    std::string MapFile, PngFile;
    int Car = 0;
    for (size_t I = 0; I < Args.size(); ++I) {
        if (Args[I] == "--car" && I + 1 < Args.size()) {
            Car = std::atoi(Args[++I].c_str());
            if (Car < 0 || Car >= TMenu::CAR_CHOICES) {
                std::fprintf(stderr, "marvolin-sim picture: --car wants a car model from 0 to 5\n");
                return SIM_USAGE;
            }
        } else if (MapFile.empty()) {
            MapFile = Args[I];
        } else if (PngFile.empty()) {
            PngFile = Args[I];
        } else {
            std::fprintf(stderr, "marvolin-sim picture: MAPFILE PNGFILE [--car M]\n");
            return SIM_USAGE;
        }
    }
    if (PngFile.empty()) {
        std::fprintf(stderr, "marvolin-sim picture: MAPFILE PNGFILE [--car M]\n");
        return SIM_USAGE;
    }

    TSimGame Game;
    Menu->SelectedCar = Car;
    TGameManager& Race = Game.Race();
    if (!Race.LoadLevelFile(MapFile, MapFile)) {
        std::fprintf(stderr, "marvolin-sim picture: %s\n", Race.LastLoadError.c_str());
        return SIM_BAD_FILE;
    }
    double Lap = 0;
    for (int32_t I = 0; I + 1 < Map->PointCount; ++I)
        Lap += VecDist(Map->Points[size_t(I)].Pos, Map->Points[size_t(I) + 1].Pos);
    const long Limit = 200 + long(std::ceil(Map->LapCount * Lap / MIN_AVERAGE_SPEED));
    const std::vector<TDriven> Computers = Drive(Game, {1, 2, 3, 4, 5}, Limit, false);
    Race.LoadLevelFile(MapFile, MapFile);
    const std::vector<TDriven> Bot = Drive(Game, {0}, Limit, true);

    double X0 = 1e300, Y0 = 1e300, X1 = -1e300, Y1 = -1e300;
    for (const TRoadEdge& E : Map->Edges)
        for (const TVec3& P : {E.A, E.B}) {
            X0 = std::min(X0, double(P.x));
            Y0 = std::min(Y0, double(P.y));
            X1 = std::max(X1, double(P.x));
            Y1 = std::max(Y1, double(P.y));
        }
    TCanvas Canvas(X0 - MARGIN_UNITS, Y0 - MARGIN_UNITS, X1 + MARGIN_UNITS, Y1 + MARGIN_UNITS);
    const TMesh& Road = *Map->RoadMesh;
    for (const TFace& F : Road.Faces)
        Canvas.Triangle(Road.Vertices[size_t(F.V[0])], Road.Vertices[size_t(F.V[1])],
                        Road.Vertices[size_t(F.V[2])], ROAD);
    for (const TRoadEdge& E : Map->Edges)
        Canvas.Line(E.A.x, E.A.y, E.B.x, E.B.y, 1.2, EDGE);
    const size_t S = size_t(Map->StartPoint);
    Canvas.Line(Map->Edges[2 * S].A.x, Map->Edges[2 * S].A.y, Map->Edges[2 * S + 1].B.x,
                Map->Edges[2 * S + 1].B.y, 2, START_LINE);
    const auto Path = [&](const TDriven& D, double Radius, TColour C) {
        for (size_t I = 1; I < D.Path.size(); ++I)
            Canvas.Line(D.Path[I - 1].x, D.Path[I - 1].y, D.Path[I].x, D.Path[I].y, Radius, C);
    };
    for (size_t I = 0; I < Computers.size(); ++I)
        Path(Computers[I], 0.9, COMPUTER[I]);
    Path(Bot[0], 1.8, BOT);
    // Every stop of half a second or more, and the longest of all whatever its length.
    const TDriven* Longest = &Bot[0];
    for (const TDriven& D : Computers)
        if (D.LongestStopUpdates > Longest->LongestStopUpdates) Longest = &D;
    for (size_t I = 0; I <= Computers.size(); ++I) {
        const TDriven& D = I < Computers.size() ? Computers[I] : Bot[0];
        if (D.LongestStopUpdates > 0 && (&D == Longest || D.LongestStopUpdates >= MIN_STOP_UPDATES))
            Canvas.Ring(D.LongestStop.x, D.LongestStop.y, 8,
                        I < Computers.size() ? COMPUTER[I] : BOT);
    }
    if (!Canvas.Save(PngFile)) {
        std::fprintf(stderr, "marvolin-sim picture: %s: cannot write the file\n", PngFile.c_str());
        return SIM_BAD_FILE;
    }
    std::printf("picture=%s longest_stops=", PngFile.c_str());
    for (size_t I = 0; I < Computers.size(); ++I)
        std::printf("%ld,", Computers[I].LongestStopUpdates);
    std::printf("%ld\n", Bot[0].LongestStopUpdates);
    return SIM_OK;
}
