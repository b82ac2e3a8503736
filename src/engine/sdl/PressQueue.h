#pragma once
// Key and mouse-button presses waiting for the updates that report them: one press per update, in
// the order they happened.

#include <cstddef>
#include <deque>

class TPressQueue {
public:
    // At most this many presses wait. After a long stall the oldest are kept, in order, and later
    // ones dropped: what was pressed first still happens first, and typed text loses only its end
    // (keeping the newest instead would cut letters out of its middle or beginning). The log says
    // so once per overflow: from the first press dropped until the queue has emptied.
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
    bool Overflowing = false; // a press was dropped since the queue was last empty
    int CurrentKey = -1, CurrentChar = 0;
};
