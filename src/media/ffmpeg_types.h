#pragma once

// FFmpeg objects in unique_ptrs, and FFmpeg errors as text.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <QString>
#include <memory>

struct AVFormatContextCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct AVCodecContextFreer {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct AVFrameFreer {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct AVPacketFreer {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct AVFilterGraphFreer {
    void operator()(AVFilterGraph* graph) const { avfilter_graph_free(&graph); }
};
struct SwsContextFreer {
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};
struct SwrContextFreer {
    void operator()(SwrContext* context) const { swr_free(&context); }
};

using FormatContextPtr = std::unique_ptr<AVFormatContext, AVFormatContextCloser>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, AVCodecContextFreer>;
using FramePtr = std::unique_ptr<AVFrame, AVFrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, AVPacketFreer>;
using FilterGraphPtr = std::unique_ptr<AVFilterGraph, AVFilterGraphFreer>;
using SwsContextPtr = std::unique_ptr<SwsContext, SwsContextFreer>;
using SwrContextPtr = std::unique_ptr<SwrContext, SwrContextFreer>;

inline QString avErrorText(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return QString::fromUtf8(text);
}

// "call failed: reason", for an error from the named FFmpeg call.
inline QString avCallError(const char* call, int error)
{
    return QStringLiteral("%1 failed: %2").arg(QString::fromLatin1(call), avErrorText(error));
}
