#pragma once

#include "media/ffmpeg_types.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>

// Compressed packets of one stream on their way from the reading thread to a decoder.
// Every flush (a seek) starts a new serial: packets and frames of an older serial are stale.
// Thread-safe; owned by the playback session.
class PacketQueue {
public:
    ~PacketQueue();

    // Takes the packet's reference. False (and the packet is dropped) after abort().
    bool put(AVPacket* packet);
    // An empty packet, which makes the decoder drain at the end of the input.
    bool putEnd(int streamIndex);
    // Drops every packet and starts a new serial.
    void flush();
    void abort();
    void start();

    // 1 with a packet (and its serial), 0 when empty and not blocking, -1 after abort().
    int get(AVPacket* packet, bool block, int* serial);

    int serial() const { return m_serial; }
    // For clocks, which compare their serial with the queue's without taking its lock.
    const std::atomic<int>* serialPointer() const { return &m_serial; }
    int count() const;
    int bytes() const;
    bool aborted() const;

private:
    struct Entry {
        AVPacket* packet;
        int serial;
    };
    mutable std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<Entry> m_packets;
    std::atomic<int> m_serial{0};
    int m_bytes = 0;
    bool m_aborted = true;
};
