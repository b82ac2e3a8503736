#pragma once
// Key and mouse-button presses waiting for the updates that report them: one press per update, in
// the order they happened.

#include <cstddef>
#include <deque>

class TPressQueue {
public:
    // Presses beyond this many wait nowhere: they are dropped (a key held through a long stall).
    static constexpr size_t MAX_WAITING = 64;

    // A press of the virtual key, typing Char (0 for none) unless typed text follows (AttachText).
    void Push(int VirtualKey, int Char);
    // The character that the latest press types, from the text the system made of it: it replaces
    // the press's own character, once. Text that no press is waiting for is ignored.
    void AttachText(int Char1251);
    // The latest press gets no typed text (text that follows came from a key not reported).
    void EndTextOfLatest() { LatestAwaitsText = false; }
    // Takes the oldest press for the coming update; Key() and Char() report it until the next
    // call. With nothing waiting they report VK_NONE and 0.
    void TakeNext();
    int Key() const { return CurrentKey; }
    int Char() const { return CurrentChar; }
    size_t Waiting() const { return Presses.size(); }
    void Clear();

private:
    struct TPress {
        int Key, Char;
    };
    std::deque<TPress> Presses;
    bool LatestAwaitsText = false;
    int CurrentKey = -1, CurrentChar = 0;
};
