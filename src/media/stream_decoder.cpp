#include "media/stream_decoder.h"

#include <QtGlobal>

extern "C" {
#include <libavutil/opt.h>
}

bool StreamDecoder::open(AVFormatContext* format, int streamIndex, QString& error)
{
    AVStream* opened = format->streams[streamIndex];
    const AVCodec* found = avcodec_find_decoder(opened->codecpar->codec_id);
    if (!found) {
        error = QStringLiteral("No decoder could be found for codec %1")
                    .arg(QString::fromLatin1(avcodec_get_name(opened->codecpar->codec_id)));
        return false;
    }
    CodecContextPtr context(avcodec_alloc_context3(found));
    int result = avcodec_parameters_to_context(context.get(), opened->codecpar);
    if (result >= 0) {
        context->pkt_timebase = opened->time_base;
        av_opt_set(context.get(), "threads", "auto", 0);
        result = avcodec_open2(context.get(), found, nullptr);
    }
    if (result < 0) {
        error = avCallError("avcodec_open2()", result);
        return false;
    }
    stream = opened;
    codec = std::move(context);
    return true;
}

int StreamDecoder::decode(AVFrame* frame)
{
    PacketPtr packet(av_packet_alloc());
    for (;;) {
        if (packets.serial() == packetSerial) {
            for (;;) {
                if (packets.aborted())
                    return -1;
                const int result = avcodec_receive_frame(codec.get(), frame);
                if (result == AVERROR_EOF) {
                    finishedSerial = packetSerial;
                    avcodec_flush_buffers(codec.get());
                    return 0;
                }
                if (result >= 0)
                    return 1;
                if (result == AVERROR(EAGAIN))
                    break; // needs the next packet
                // A damaged picture or sound frame: the decoder goes on after it. Waiting
                // for a packet here would wait forever once the end packet was sent.
            }
        }
        int serial = 0;
        do {
            if (packets.get(packet.get(), true, &serial) < 0)
                return -1;
            if (serial != packetSerial) {
                avcodec_flush_buffers(codec.get());
                finishedSerial = -1;
                packetSerial = serial;
            }
        } while (packets.serial() != serial);
        const bool endOfStream = packet->data == nullptr;
        if (avcodec_send_packet(codec.get(), endOfStream ? nullptr : packet.get()) ==
            AVERROR(EAGAIN))
            qWarning("Receive_frame and send_packet both returned EAGAIN");
        av_packet_unref(packet.get());
    }
}
