#include "media/packet_queue.h"

PacketQueue::~PacketQueue()
{
    flush();
}

bool PacketQueue::put(AVPacket* packet)
{
    AVPacket* owned = av_packet_alloc();
    av_packet_move_ref(owned, packet);
    {
        std::lock_guard lock(m_mutex);
        if (!m_aborted) {
            m_packets.push_back({owned, m_serial});
            m_bytes += owned->size + int(sizeof(Entry));
            m_ready.notify_one();
            return true;
        }
    }
    av_packet_free(&owned);
    return false;
}

bool PacketQueue::putEnd(int streamIndex)
{
    PacketPtr empty(av_packet_alloc());
    empty->stream_index = streamIndex;
    return put(empty.get());
}

void PacketQueue::flush()
{
    std::lock_guard lock(m_mutex);
    for (Entry& entry : m_packets)
        av_packet_free(&entry.packet);
    m_packets.clear();
    m_bytes = 0;
    ++m_serial;
}

void PacketQueue::abort()
{
    std::lock_guard lock(m_mutex);
    m_aborted = true;
    m_ready.notify_all();
}

void PacketQueue::start()
{
    std::lock_guard lock(m_mutex);
    m_aborted = false;
    ++m_serial;
}

int PacketQueue::get(AVPacket* packet, bool block, int* serial)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_aborted)
            return -1;
        if (!m_packets.empty()) {
            Entry entry = m_packets.front();
            m_packets.pop_front();
            m_bytes -= entry.packet->size + int(sizeof(Entry));
            av_packet_move_ref(packet, entry.packet);
            av_packet_free(&entry.packet);
            if (serial)
                *serial = entry.serial;
            return 1;
        }
        if (!block)
            return 0;
        m_ready.wait(lock);
    }
}

int PacketQueue::count() const
{
    std::lock_guard lock(m_mutex);
    return int(m_packets.size());
}

int PacketQueue::bytes() const
{
    std::lock_guard lock(m_mutex);
    return m_bytes;
}

bool PacketQueue::aborted() const
{
    std::lock_guard lock(m_mutex);
    return m_aborted;
}
