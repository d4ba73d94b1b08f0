#pragma once

// While a player opens or stops a file it waits for its threads and runs the event loop
// nested inside the operation that asked, so that pictures and reports go on. Commands that
// arrive then (script lines, MIDI, DMX, the network) must not reach a player from inside
// that wait: their handlers ask `active()` and try again after it.
//
// User-interface thread only.
class PlayerWait {
public:
    PlayerWait() { ++s_depth; }
    ~PlayerWait() { --s_depth; }
    PlayerWait(const PlayerWait&) = delete;
    PlayerWait& operator=(const PlayerWait&) = delete;

    static bool active() { return s_depth > 0; }

private:
    static inline int s_depth = 0;
};
