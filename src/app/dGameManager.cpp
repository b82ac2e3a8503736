#include "app/dGameManager.h"

#include "app/Replay.h"
#include "app/variables.h"
#include "cars/dCars.h"
#include "console/ConsoleFunctions.h"
#include "console/dConsole.h"
#include "engine/Files.h"
#include "engine/Text1251.h"
#include "frontend/dMenu.h"
#include "math/dMath.h"
#include "world/dCamera.h"
#include "world/dMap.h"

#include <utility>

namespace {

// The grid spans 80 % of the road's width at the start point, from the right of the centre line
// towards its left.
constexpr double GRID_WIDTH_SHARE = 0.8;

void FreeCars(std::vector<TBasicCar*>& Cars) {
    for (TBasicCar* Car : Cars)
        delete Car;
    Cars.clear();
}

} // namespace

TGameManager::TGameManager() = default;

TGameManager::~TGameManager() {
    // The cars die with the race manager: nothing may keep pointing at them.
    const bool OursInCarList = !Cars.empty() && CarList == Cars;
    // Compared entry by entry with ==: ordering a pointer into another list against this one's
    // storage would not be defined.
    if (Camera)
        for (TBasicCar* const& Entry : Cars)
            if (Camera->Target == &Entry) Camera->Target = nullptr;
    FreeCars(Cars);
    Order.clear();
    CarCount = 0;
    if (OursInCarList) CarList.clear();
}

bool TGameManager::LoadLevel(const std::string& Name) {
    return LoadLevelFile(LevelFile(Name), Name);
}

bool TGameManager::LoadLevelFile(const std::string& FileName, const std::string& Name) {
    // The map goes first: its loader throws before it has changed anything, so a refused file
    // leaves the race exactly as it was.
    try {
        Map->LoadFromFile(FileName);
    } catch (const TFileError& Error) {
        LastLoadError = Error.what();
        if (Console) {
            if (!FileExists(FileName))
                Console->AddLine(NoSuchMapLine(Name));
            else
                // Name is the console's own text, already in Windows-1251, and so is the
                // loader's Russian fault; LastLoadError, in English, is for the log.
                Console->AddLine(
                    Win1251("Карта ") + Name + Win1251(" не загружена: ") +
                    (Error.Russian().empty() ? Win1251("файл не годится") : Error.Russian()));
        }
        return false;
    }
    LastLoadError.clear();

    LapCount = Map->LapCount;
    RaceOver = false;
    Started = false;
    Countdown = COUNTDOWN_START;

    FreeCars(Cars);
    CarCount = RACE_CARS;
    Cars.push_back(new TPlayerCar());
    for (int I = 1; I < CarCount; ++I)
        Cars.push_back(new TAICar());

    // The cars find their places in Order and each other in CarList from their first update on,
    // which runs inside PlaceAt below.
    CarList = Cars;
    Order = Cars;
    Camera->Target = &Cars[0];

    const TRoadPoint& P = Map->Points[size_t(Map->StartPoint)];
    const TVec3 S = VecNormalize(P.Side);
    const float W = P.HalfWidth;
    const TVec3 Base = VecSub(P.Pos, VecScale(S, float(double(W) * GRID_WIDTH_SHARE)));
    const TVec3 Back = VecNormalize(Perp2D(TVec3{}, P.Side));
    for (int I = 0; I < CarCount; ++I) {
        // The offset across the road, S * W * I * 2 / CarCount * 0.8, is taken one vector step at a
        // time, each rounded to floats: the grid (and so every race) depends on those roundings.
        TVec3 D = VecScale(S, W);
        D = VecScale(D, float(I));
        D = VecScale(D, 2);
        D = VecDiv(D, float(CarCount));
        D = VecScale(D, GRID_WIDTH_SHARE);
        const TVec3 Spot = VecAdd(Base, D);
        Cars[size_t(I)]->PlaceAt(Back, Spot.x, Spot.y);
        if (I > 0) Cars[size_t(I)]->SetPersonality(I - 1);
        Cars[size_t(I)]->Model = I;
    }

    // The player drives the chosen model; the computer car that had it takes model 0, so every
    // model is on the road once.
    const int32_t Chosen = Menu ? Menu->SelectedCar : 0;
    if (Chosen >= 0 && Chosen < CarCount) {
        Cars[size_t(Chosen)]->Model = Cars[0]->Model;
        Cars[0]->Model = Chosen;
    }
    for (TBasicCar* Car : Cars)
        Car->ApplyModelPreset(Car->Model);

    State = STATE_RACING;
    LastTick = Engine->Time();
    if (Console) Console->AddLine(Win1251("Карта ") + Name + Win1251(" загружена"));
    if (Recorder)
        Recorder->LevelLoaded(Name, FileName, Chosen, LastTick, HeldKeysOf(*Input), *this);
    return true;
}

void TGameManager::Update() {
    if (CarCount <= 0) return;
    if (Started) {
        for (size_t I = 0; I < Cars.size(); ++I)
            Cars[I]->Update();
        SortOrder();
        if (State == STATE_FINISHED && Menu) Menu->Update();
    } else if (State == STATE_RACING) {
        const int Now = Engine->Time();
        if (ElapsedMs(LastTick, Now) > COUNTDOWN_STEP_MS) {
            LastTick = Now;
            --Countdown;
            if (Countdown == 0) {
                Started = true;
                RestartStuckChecks(Engine->Time());
            }
        }
    }
}

void TGameManager::SortOrder() {
    const int32_t S = Map->StartPoint;
    for (int J = 0; J + 1 < CarCount; ++J) {
        const TBasicCar* A = Order[size_t(J)];
        const TBasicCar* B = Order[size_t(J) + 1];
        // Within one lap a car passes S, S + 1, ..., the last point, 0, ..., S - 1: an index below
        // S is further on than one at or above it.
        const bool Behind =
            A->Laps < B->Laps || (A->Laps == B->Laps && A->RoadPoint < B->RoadPoint &&
                                  (A->RoadPoint >= S || A->RoadPoint < 0 || B->RoadPoint <= S));
        if (Behind) std::swap(Order[size_t(J)], Order[size_t(J) + 1]);
    }
}

void TGameManager::ResumedAt(int32_t Now) {
    if (ReplayDrives) return;
    RestartStuckChecks(Now);
    if (Recorder) Recorder->Resumed(Now);
}

bool TGameManager::TuningAllowed(int32_t Car, const std::string& Command, float Value) {
    if (ReplayDrives) {
        if (Console) Console->AddLine(Win1251("Во время повтора гонку не настроить"));
        return false;
    }
    if (Recorder) Recorder->Tuned(Car, Command, Value);
    return true;
}

void TGameManager::CarFinished(TBasicCar* Car) {
    if (RaceOver) return;
    size_t I = 0;
    while (I < Cars.size() && Cars[I] != Car)
        ++I;
    if (I != 0 || Cars.empty() || Car->Finished) return; // computer cars change nothing
    State = STATE_FINISHED;
    FinishPlace = Car->Place + 1;
    if (Menu) Menu->Page = PAGE_RACE;
    RaceOver = true;
}
