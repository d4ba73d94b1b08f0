#include "media/notification_ring.h"

void NotificationRing::push(Kind kind, int64_t value)
{
    std::lock_guard lock(m_mutex);
    // Only positions are coalesced: a state change is never folded into the next one, so an
    // end is not lost to the stop that follows it, nor a start to the pause of an opening.
    if (m_count > 0 && kind == Kind::Position) {
        Entry& newest = m_entries[size_t((m_first + m_count - 1) % Slots)];
        if (newest.kind == kind) {
            newest.value = value;
            m_signal.notify_one();
            return;
        }
    }
    if (m_count == Slots) { // full: the oldest goes
        m_first = (m_first + 1) % Slots;
        --m_count;
    }
    m_entries[size_t((m_first + m_count) % Slots)] = {kind, value};
    ++m_count;
    m_signal.notify_one();
}

std::optional<NotificationRing::Entry> NotificationRing::take(std::chrono::milliseconds wait)
{
    std::unique_lock lock(m_mutex);
    if (!m_signal.wait_for(lock, wait, [this] { return m_count > 0; }))
        return std::nullopt;
    const Entry oldest = m_entries[size_t(m_first)];
    m_first = (m_first + 1) % Slots;
    --m_count;
    return oldest;
}

void NotificationRing::clear()
{
    std::lock_guard lock(m_mutex);
    m_first = 0;
    m_count = 0;
}
