#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

// The player's position and state reports on their way to the notification thread: a ring of
// ten slots where a position following a position replaces it, so only the latest position
// waits, however slow the user-interface thread is. States are kept each (when the ring is
// full the oldest report goes).
class NotificationRing {
public:
    enum class Kind { Position = 1, State = 2, ReadError = 3, EndOfDelivery = 4 };
    struct Entry {
        Kind kind;
        int64_t value;
    };
    static constexpr int Slots = 10;

    void push(Kind kind, int64_t value);
    // The oldest report, waiting up to `wait` for one.
    std::optional<Entry> take(std::chrono::milliseconds wait);
    void clear();

private:
    std::mutex m_mutex;
    std::condition_variable m_signal;
    std::array<Entry, Slots> m_entries{};
    int m_first = 0;
    int m_count = 0;
};
