#include "media/ff_decoder.h"

namespace {
const char* const Where = "TFFDecoder.Decode() for video";
}

void TFFDecoder::fail(const QString& message)
{
    m_lastError = message;
    if (OnLog)
        OnLog(message);
}

bool TFFDecoder::LoadFile(const QString& fileName, const QString& formatName)
{
    CloseFile();
    const AVInputFormat* format = nullptr;
    if (!formatName.isEmpty()) {
        format = av_find_input_format(formatName.toLatin1().constData());
        if (!format) {
            fail(QStringLiteral("Unknown input format: %1").arg(formatName));
            return false;
        }
    }
    AVFormatContext* context = nullptr;
    const QByteArray path = fileName.toUtf8();
    int result = avformat_open_input(&context, path.constData(), format, nullptr);
    if (result < 0) {
        fail(QStringLiteral("%1: %2").arg(fileName, avErrorText(result)));
        return false;
    }
    m_format.reset(context);
    result = avformat_find_stream_info(context, nullptr);
    if (result < 0) {
        fail(QStringLiteral("%1: could not find codec parameters").arg(fileName));
        m_format.reset();
        return false;
    }
    m_fileName = fileName;
    return true;
}

TFileStreamInfo TFFDecoder::FileStreamInfo() const
{
    TFileStreamInfo info;
    if (!m_format)
        return info;
    info.StartTime = m_format->start_time != AV_NOPTS_VALUE ? m_format->start_time : 0;
    info.Duration = m_format->duration != AV_NOPTS_VALUE ? m_format->duration : 0;
    info.BitRate = int(m_format->bit_rate);
    return info;
}

QString TFFDecoder::FormatName() const
{
    return m_format ? QString::fromLatin1(m_format->iformat->name) : QString();
}

bool TFFDecoder::openVideoDecoder(int streamIndex)
{
    if (m_codec && m_stream == streamIndex)
        return true;
    const int index = streamIndex >= 0 ? streamIndex
                                       : av_find_best_stream(m_format.get(), AVMEDIA_TYPE_VIDEO, -1,
                                                             -1, nullptr, 0);
    if (index < 0 || index >= int(m_format->nb_streams)) {
        fail(QStringLiteral("%1: no video stream.").arg(Where));
        return false;
    }
    AVStream* stream = m_format->streams[index];
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    CodecContextPtr context(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!context || avcodec_parameters_to_context(context.get(), stream->codecpar) < 0 ||
        avcodec_open2(context.get(), codec, nullptr) < 0) {
        fail(QStringLiteral("%1: cannot open the decoder.").arg(Where));
        return false;
    }
    m_codec = std::move(context);
    m_stream = index;
    m_frame.reset(av_frame_alloc());
    // A picture alone: once it is decoded, every further Decode has it.
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(stream->codecpar->codec_id);
    m_still = stream->nb_frames == 1 ||
              (descriptor && (descriptor->props & AV_CODEC_PROP_INTRA_ONLY) &&
               QByteArray(m_format->iformat->name).contains("_pipe")) ||
              QByteArray(m_format->iformat->name) == "image2";
    return true;
}

bool TFFDecoder::Seek(int64_t pts, TSeekFlags flags)
{
    if (!m_format)
        return false;
    const int64_t target = pts + FileStreamInfo().StartTime;
    int avFlags = 0;
    if (flags & sfBackward)
        avFlags |= AVSEEK_FLAG_BACKWARD;
    if (flags & sfAny)
        avFlags |= AVSEEK_FLAG_ANY;
    const int result = av_seek_frame(m_format.get(), -1, target, avFlags);
    if (m_codec)
        avcodec_flush_buffers(m_codec.get());
    return result >= 0;
}

bool TFFDecoder::Decode(int streamIndex)
{
    if (!m_format || !openVideoDecoder(streamIndex))
        return false;
    if (m_still && m_pictureReady)
        return true;
    PacketPtr packet(av_packet_alloc());
    for (;;) {
        const int received = avcodec_receive_frame(m_codec.get(), m_frame.get());
        if (received >= 0) {
            m_pictureReady = true;
            return true;
        }
        if (received == AVERROR_EOF) {
            fail(QStringLiteral("%1: stream eof reached.").arg(Where));
            return false;
        }
        const int read = av_read_frame(m_format.get(), packet.get());
        if (read == AVERROR_EOF) {
            avcodec_send_packet(m_codec.get(), nullptr); // the decoder gives what it holds
            continue;
        }
        if (read == AVERROR(EAGAIN)) {
            fail(QStringLiteral("%1: no data, please try again.").arg(Where));
            return false;
        }
        if (read < 0) {
            fail(QStringLiteral("%1: unknown error #%2.").arg(Where).arg(read));
            return false;
        }
        if (packet->stream_index == m_stream)
            avcodec_send_packet(m_codec.get(), packet.get());
        av_packet_unref(packet.get());
    }
}

TFrameInfo TFFDecoder::FrameInfo() const
{
    if (!m_pictureReady)
        return {};
    return {m_frame->width, m_frame->height};
}

bool TFFDecoder::CopyToBitmap(QImage& bitmap)
{
    if (!m_pictureReady) {
        fail("picture not ready, please decode first");
        return false;
    }
    const AVFrame* frame = m_frame.get();
    bitmap = QImage(frame->width, frame->height, QImage::Format_RGB32);
    SwsContextPtr converter(
        sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                       frame->height, AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!converter) {
        bitmap.fill(Qt::black);
        return false;
    }
    uint8_t* planes[1] = {bitmap.bits()};
    const int strides[1] = {int(bitmap.bytesPerLine())};
    sws_scale(converter.get(), frame->data, frame->linesize, 0, frame->height, planes, strides);
    return true;
}

void TFFDecoder::CloseFile()
{
    m_codec.reset();
    m_format.reset();
    m_frame.reset();
    m_stream = -1;
    m_pictureReady = false;
    m_still = false;
    m_fileName.clear();
}
