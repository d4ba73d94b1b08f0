#pragma once

#include "media/ffmpeg_types.h"
#include "media/packet_queue.h"

#include <QString>
#include <atomic>
#include <thread>

// The decoder of one stream of an opening, with the packet queue that feeds it and the
// thread that runs it. Packets of an older serial (before a seek) are dropped and the
// decoder is flushed when the serial changes.
//
// Threads: the reading thread fills `packets`; the decoding thread owns the codec and
// `packetSerial`; others read `finishedSerial`.
struct StreamDecoder {
    AVStream* stream = nullptr;
    CodecContextPtr codec;
    PacketQueue packets;
    int packetSerial = -1;               // of the packets being decoded
    std::atomic<int> finishedSerial{-1}; // the serial whose frames are all out
    std::thread thread;

    // Opens the decoder of this stream of `format`; false with the reason in `error`.
    bool open(AVFormatContext* format, int streamIndex, QString& error);
    // The next frame: 1 got one, 0 the stream ended (for this serial), -1 aborted.
    int decode(AVFrame* frame);
};
