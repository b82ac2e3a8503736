#pragma once
// The race manager: loads a level (the track and six cars on a starting grid), counts the start
// down, updates the cars and their running order, notices the player's finish, and draws the race
// with its texts. Its State decides whether the race or the menu is in front.
//
// State 0: no race in front (before the first level, or paused behind the menu); 1: a race is
// running (countdown, then racing); 2: the player has finished, the result is shown.

#include "cars/dRace.h"
#include "models/Assets.h"

#include <string>

class TGameManager final : public TRace {
public:
    static constexpr int RACE_CARS = 6;
    static_assert(RACE_CARS == CAR_MODEL_COUNT, "every car model is on the road once");
    static constexpr int COUNTDOWN_START = 3;
    static constexpr int COUNTDOWN_STEP_MS = 1000; // a step comes when strictly more has passed

    TGameManager();
    ~TGameManager() override;
    TGameManager(const TGameManager&) = delete;
    TGameManager& operator=(const TGameManager&) = delete;

    // Loads "data\maps\" + Name + ".map" (see LoadLevelFile).
    bool LoadLevel(const std::string& Name) override;
    // The level from the map file FileName, announced on the console as Name. A file that is
    // missing, unreadable or refused by the map's loader changes nothing of the race or the map:
    // the console names the fault, LastLoadError keeps the loader's message, and the result is
    // false.
    bool LoadLevelFile(const std::string& FileName, const std::string& Name);
    void CarFinished(TBasicCar* Car) override;
    void Update() override;
    void Draw() override; // app/dGameManagerDraw.cpp
    void SortOrder();
    void ResumedAt(int32_t Now) override;
    bool TuningAllowed(int32_t Car, const std::string& Command, float Value) override;

    std::string LastLoadError; // the loader's message for the latest refused map, else empty
};
