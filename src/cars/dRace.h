#pragma once
// The race manager as the modules below the app see it: the cars, the camera, the console
// commands and the menu read its state and call the operations here. TGameManager
// (app/dGameManager) is the implementation; tests use small stand-ins. The fields are the race
// manager's; see app/dGameManager.h for what each one means over a race.

#include <cstdint>
#include <string>
#include <vector>

class TBasicCar;

// The race manager's State: which of the race and the menu is in front.
constexpr int32_t STATE_MENU = 0;     // no race in front: before the first level, or paused
constexpr int32_t STATE_RACING = 1;   // the countdown, then the race
constexpr int32_t STATE_FINISHED = 2; // the player has finished; the result is shown

// The map file of a level name: "map3" is data\maps\map3.map.
inline std::string LevelFile(const std::string& Name) {
    return "data\\maps\\" + Name + ".map";
}

class TRace {
public:
    int32_t CarCount = 0;         // 0 until the first level is loaded, then 6
    std::vector<TBasicCar*> Cars; // [0] the player's car, [1..5] computer cars; owned
    int32_t State = STATE_MENU;
    int32_t LapCount = 0;
    bool RaceOver = false;
    bool Started = false;
    int32_t LastTick = 0; // ms
    int32_t Countdown = 0;
    int32_t FinishPlace = 0; // counted from 1
    int32_t Level = 1;
    std::vector<TBasicCar*> Order; // running order, leader first

    virtual ~TRace() = default;

    // Loads "data\maps\" + Name + ".map" and starts its countdown. A map that cannot be read or is
    // refused changes nothing of the race or the map, prints the reason on the console and gives
    // false.
    virtual bool LoadLevel(const std::string& Name) = 0;
    // Called by a car each time it moves to another road point while its Laps equals LapCount.
    virtual void CarFinished(TBasicCar* Car) = 0;
    virtual void Update() = 0;
    virtual void Draw() = 0;

    // Every computer car's stuck check starts its interval anew at Now: time on the grid or behind
    // the menu is no time spent stuck (cars/dCars.cpp).
    void RestartStuckChecks(int32_t Now);

    // The menu resumes the paused race at Now: the stuck checks restart. (The race manager also
    // records it for a replay; while a replay drives the race, the replay's own resumes count.)
    virtual void ResumedAt(int32_t Now) { RestartStuckChecks(Now); }
    // A console command is about to set computer car Car's tuning (Command is its name) to Value;
    // false refuses it (while a replay drives the race).
    virtual bool TuningAllowed(int32_t /*Car*/, const std::string& /*Command*/, float /*Value*/) {
        return true;
    }
};
