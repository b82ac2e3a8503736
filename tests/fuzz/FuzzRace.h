#pragma once
// A race for the targets that drive the console and replays: the six real cars of a loaded level
// on a headless engine, and no map (loading a level is only written down).

#include "app/variables.h"
#include "cars/dCars.h"
#include "cars/dRace.h"
#include "engine/EngineHeadless.h"

#include <string>
#include <vector>

class TFuzzRace final : public TRace {
public:
    std::vector<std::string> LoadedLevels;

    TFuzzRace() {
        CarCount = 6;
        Cars.push_back(new TPlayerCar);
        for (int I = 1; I < CarCount; ++I)
            Cars.push_back(new TAICar);
    }
    ~TFuzzRace() override {
        for (TBasicCar* Car : Cars)
            delete Car;
    }
    TFuzzRace(const TFuzzRace&) = delete;
    TFuzzRace& operator=(const TFuzzRace&) = delete;

    bool LoadLevel(const std::string& Name) override {
        LoadedLevels.push_back(Name);
        return true;
    }
    void CarFinished(TBasicCar*) override {}
    void Update() override {}
    void Draw() override {}
};
