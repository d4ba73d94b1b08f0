#include "media/frame_queue.h"

#include "media/packet_queue.h"

FrameQueue::FrameQueue(PacketQueue& packets, int capacity, bool keepLast)
    : m_packets(packets)
    , m_frames(size_t(capacity))
    , m_keepLast(keepLast)
{
    for (DecodedFrame& slot : m_frames)
        slot.frame = av_frame_alloc();
}

FrameQueue::~FrameQueue()
{
    for (DecodedFrame& slot : m_frames)
        av_frame_free(&slot.frame);
}

DecodedFrame* FrameQueue::peekWritable()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_size < int(m_frames.size()) || m_packets.aborted(); });
    if (m_packets.aborted())
        return nullptr;
    return &m_frames[size_t(m_writeIndex)];
}

void FrameQueue::push()
{
    std::lock_guard lock(m_mutex);
    m_writeIndex = (m_writeIndex + 1) % int(m_frames.size());
    ++m_size;
    m_changed.notify_all();
}

DecodedFrame* FrameQueue::peek()
{
    std::lock_guard lock(m_mutex);
    return &m_frames[size_t((m_readIndex + int(m_lastShown)) % int(m_frames.size()))];
}

DecodedFrame* FrameQueue::peekNext()
{
    std::lock_guard lock(m_mutex);
    return &m_frames[size_t((m_readIndex + int(m_lastShown) + 1) % int(m_frames.size()))];
}

DecodedFrame* FrameQueue::peekLast()
{
    std::lock_guard lock(m_mutex);
    return &m_frames[size_t(m_readIndex)];
}

DecodedFrame* FrameQueue::peekReadable()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_size - int(m_lastShown) > 0 || m_packets.aborted(); });
    if (m_packets.aborted())
        return nullptr;
    return &m_frames[size_t((m_readIndex + int(m_lastShown)) % int(m_frames.size()))];
}

void FrameQueue::next()
{
    std::lock_guard lock(m_mutex);
    if (m_keepLast && !m_lastShown) {
        m_lastShown = true;
        return;
    }
    av_frame_unref(m_frames[size_t(m_readIndex)].frame);
    m_readIndex = (m_readIndex + 1) % int(m_frames.size());
    --m_size;
    m_changed.notify_all();
}

int FrameQueue::remaining() const
{
    std::lock_guard lock(m_mutex);
    return m_size - int(m_lastShown);
}

void FrameQueue::wake()
{
    std::lock_guard lock(m_mutex);
    m_changed.notify_all();
}
