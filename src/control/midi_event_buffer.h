#pragma once

#include <QByteArray>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// One message from the MIDI input: a short message (status and two data bytes) or a system
// exclusive block (status 0xF0, its bytes in `sysex`).
struct MidiEvent {
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
    uint32_t time = 0; // milliseconds, as the input gave them
    QByteArray sysex;
};

// What the MIDI input's writer drops before its buffer: timing clock (0xF8) and active
// sensing (0xFE) by default, and every short message when only system exclusive is wanted.
struct MidiMessageFilter {
    bool timingClock = true;
    bool activeSensing = true;
    bool sysexOnly = false;
};

// The MIDI input's buffer between the input's real-time callback (the one writer) and the
// user-interface thread (the one reader). The writer never allocates, locks or waits: it copies
// into a ring of `capacity` items (system exclusive blocks into one of the slots made at the
// start) and publishes. A full ring never overwrites what is unread: the new item is dropped
// and counted, as is a block longer than a slot or one that finds no free slot.
//
// Threads: put*() and claimNotice() on the writer's thread only; take(), noticeTaken(),
// flush() on the reader's only; the counters anywhere.
class MidiEventBuffer {
public:
    static constexpr int DefaultCapacity = 1024;
    static constexpr int DefaultSysexSlots = 16;
    static constexpr int DefaultSysexSize = 63999;

    explicit MidiEventBuffer(int capacity = DefaultCapacity, int sysexSlots = DefaultSysexSlots,
                             int sysexSize = DefaultSysexSize, MidiMessageFilter filter = {});

    // Writer. `message` holds the status in bits 0-7 and the data bytes in 8-15 and 16-23.
    // True when the item is in the ring (false: filtered or dropped).
    bool putShort(uint32_t message, uint32_t time);
    bool putSysex(const uint8_t* bytes, size_t length, uint32_t time);
    // True for the put that should wake the reader: the first since the reader took the notice.
    bool claimNotice();

    // Reader: clears the notice first, so that a put after it wakes the reader again.
    void noticeTaken();
    std::optional<MidiEvent> take();
    void flush();

    int count() const;
    int capacity() const { return int(m_items.size()); }
    uint64_t overflows() const { return m_overflows; }
    uint64_t sysexDropped() const { return m_sysexDropped; }

private:
    struct Item {
        uint32_t message;
        uint32_t time;
        int slot; // -1 for a short message
        uint32_t length;
    };
    bool push(const Item& item);

    MidiMessageFilter m_filter;
    std::vector<Item> m_items;
    std::atomic<uint32_t> m_written = 0; // items put, ever (the writer's)
    std::atomic<uint32_t> m_read = 0;    // items taken, ever (the reader's)
    std::vector<std::vector<uint8_t>> m_slots;
    std::unique_ptr<std::atomic<bool>[]> m_slotUsed;
    std::atomic<bool> m_noticePending = false;
    std::atomic<uint64_t> m_overflows = 0;
    std::atomic<uint64_t> m_sysexDropped = 0;
};
