#include "engine/sdl/PressQueue.h"

#include "engine/Engine.h"

#include <string>

void TPressQueue::Push(int VirtualKey, int Char) {
    if (Presses.size() >= MAX_WAITING) {
        LatestAwaitsText = false;
        if (!Overflowing)
            exLog("input: " + std::to_string(MAX_WAITING) +
                  " presses are waiting for updates (a long stall); the presses after them are "
                  "dropped until those are taken");
        Overflowing = true;
        return;
    }
    Presses.push_back({VirtualKey, Char});
    LatestAwaitsText = true;
}

void TPressQueue::AttachText(int Char1251) {
    if (!LatestAwaitsText || Presses.empty()) return;
    Presses.back().Char = Char1251;
    LatestAwaitsText = false;
}

void TPressQueue::TakeNext() {
    CurrentKey = VK_NONE;
    CurrentChar = 0;
    if (Presses.empty()) return;
    CurrentKey = Presses.front().Key;
    CurrentChar = Presses.front().Char;
    Presses.pop_front();
    if (Presses.empty()) LatestAwaitsText = Overflowing = false;
}

void TPressQueue::Clear() {
    Presses.clear();
    LatestAwaitsText = Overflowing = false;
    CurrentKey = VK_NONE;
    CurrentChar = 0;
}
