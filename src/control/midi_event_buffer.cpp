#include "control/midi_event_buffer.h"

#include <algorithm>
#include <cstring>

MidiEventBuffer::MidiEventBuffer(int capacity, int sysexSlots, int sysexSize,
                                 MidiMessageFilter filter)
    : m_filter(filter)
    , m_items(size_t(std::max(1, capacity)))
    , m_slots(size_t(std::max(0, sysexSlots)), std::vector<uint8_t>(size_t(std::max(0, sysexSize))))
    , m_slotUsed(new std::atomic<bool>[size_t(std::max(0, sysexSlots))]())
{
}

bool MidiEventBuffer::push(const Item& item)
{
    const uint32_t written = m_written.load(std::memory_order_relaxed);
    if (written - m_read.load(std::memory_order_acquire) >= m_items.size()) {
        ++m_overflows;
        return false;
    }
    m_items[written % m_items.size()] = item;
    m_written.store(written + 1, std::memory_order_release);
    return true;
}

bool MidiEventBuffer::putShort(uint32_t message, uint32_t time)
{
    if ((message == 0xF8 && m_filter.timingClock) || (message == 0xFE && m_filter.activeSensing) ||
        m_filter.sysexOnly)
        return false;
    return push({message, time, -1, 0});
}

bool MidiEventBuffer::putSysex(const uint8_t* bytes, size_t length, uint32_t time)
{
    for (size_t slot = 0; slot < m_slots.size(); ++slot) {
        if (m_slotUsed[slot].load(std::memory_order_acquire))
            continue;
        if (length > m_slots[slot].size())
            break; // never written past a slot
        std::memcpy(m_slots[slot].data(), bytes, length);
        m_slotUsed[slot].store(true, std::memory_order_release);
        if (push({0xF0, time, int(slot), uint32_t(length)}))
            return true;
        m_slotUsed[slot].store(false, std::memory_order_release);
        return false;
    }
    ++m_sysexDropped;
    return false;
}

bool MidiEventBuffer::claimNotice()
{
    return !m_noticePending.exchange(true, std::memory_order_acq_rel);
}

void MidiEventBuffer::noticeTaken()
{
    m_noticePending.store(false, std::memory_order_release);
}

std::optional<MidiEvent> MidiEventBuffer::take()
{
    const uint32_t read = m_read.load(std::memory_order_relaxed);
    if (m_written.load(std::memory_order_acquire) == read)
        return std::nullopt;
    const Item item = m_items[read % m_items.size()];
    MidiEvent event;
    event.time = item.time;
    if (item.slot >= 0) {
        event.status = 0xF0;
        event.sysex = QByteArray(reinterpret_cast<const char*>(m_slots[size_t(item.slot)].data()),
                                 qsizetype(item.length));
        m_slotUsed[size_t(item.slot)].store(false, std::memory_order_release);
    } else {
        event.status = uint8_t(item.message & 0xFF);
        event.data1 = uint8_t((item.message >> 8) & 0xFF);
        event.data2 = uint8_t((item.message >> 16) & 0xFF);
    }
    m_read.store(read + 1, std::memory_order_release);
    return event;
}

void MidiEventBuffer::flush()
{
    while (take()) {
    }
}

int MidiEventBuffer::count() const
{
    return int(m_written.load(std::memory_order_acquire) - m_read.load(std::memory_order_acquire));
}
