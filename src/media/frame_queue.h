#pragma once

#include "media/ffmpeg_types.h"

#include <condition_variable>
#include <mutex>
#include <vector>

class PacketQueue;

// A decoded picture or sound frame with its timing, in seconds.
struct DecodedFrame {
    AVFrame* frame = nullptr;
    int serial = 0;
    double pts = 0;      // NAN when unknown
    double duration = 0; // expected display time
    int64_t position = -1;
};

// Decoded frames between a decoder thread (writer) and the playback or sound thread
// (reader), a fixed ring of `capacity` frames. With keepLast the frame last shown stays
// readable (peekLast) so that it can be shown again after a pause or a resize.
// Thread-safe for one writer and one reader; aborts with its packet queue.
class FrameQueue {
public:
    FrameQueue(PacketQueue& packets, int capacity, bool keepLast);
    ~FrameQueue();
    FrameQueue(const FrameQueue&) = delete;
    FrameQueue& operator=(const FrameQueue&) = delete;

    // The slot to write the next frame into; waits for room; null after abort.
    DecodedFrame* peekWritable();
    void push();

    DecodedFrame* peek();     // the next frame to show
    DecodedFrame* peekNext(); // the one after it
    DecodedFrame* peekLast(); // the one shown last
    // Waits for a frame to show; null after abort.
    DecodedFrame* peekReadable();
    // The frame to show has been shown: moves on.
    void next();
    // Frames not yet shown.
    int remaining() const;
    // Wakes a waiting writer or reader (after an abort).
    void wake();

private:
    PacketQueue& m_packets;
    std::vector<DecodedFrame> m_frames;
    int m_readIndex = 0;
    int m_writeIndex = 0;
    int m_size = 0;
    bool m_keepLast;
    bool m_lastShown = false; // the kept-last frame is in the ring
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
};
