#pragma once
// The game's objects on the headless engine for the length of one simulated race.

#include "app/Game.h"
#include "app/Replay.h"
#include "app/dGameManager.h"
#include "app/variables.h"
#include "engine/EngineHeadless.h"
#include "world/dCamera.h"

// The game objects on a headless engine for the length of one run.
class TSimGame {
public:
    // Listen: where the game's sounds play (else the headless engine writes them down).
    explicit TSimGame(TSounds* Listen = nullptr) {
        UseEngine(&Headless);
        if (Listen) Sounds = Listen;
        Headless.SetTime(0);
        CreateGameObjects();
        Camera->NextPos.z = TCamera::START_HEIGHT;
    }
    ~TSimGame() {
        DestroyObjects();
        UseEngine(nullptr);
    }
    TSimGame(const TSimGame&) = delete;
    TSimGame& operator=(const TSimGame&) = delete;

    void Hold(uint8_t Keys) {
        Headless.ReleaseAllKeys();
        for (uint8_t Bit = 1; Bit & HELD_KEYS_ALL; Bit = uint8_t(Bit << 1))
            if (Keys & Bit) Headless.SetKeyDown(KeyOfHeld(Bit), true);
    }
    TGameManager& Race() { return static_cast<TGameManager&>(*GameManager); }

    THeadlessEngine Headless;
};
