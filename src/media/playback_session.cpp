#include "media/playback_session.h"

#include "media/scaler_image.h"
#include "media/video_sink.h"

#include <QColor>
#include <SDL2/SDL.h>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <soundtouch/SoundTouch.h>

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/time.h>
}

namespace {
constexpr int PictureQueueSize = 3;
constexpr int SoundQueueSize = 9;
constexpr int MaxQueueBytes = 15 * 1024 * 1024;
constexpr int MinPackets = 5;
constexpr double SyncThresholdMin = 0.04;
constexpr double SyncThresholdMax = 0.1;
constexpr double FrameDuplicationThreshold = 0.1;
constexpr double NoSyncThreshold = 10.0;
constexpr double RefreshRate = 0.01;
// Data that ends this much (microseconds) before the file's declared length broke off.
constexpr int64_t BrokenOffMargin = 500000;

// SDL's sound subsystem is started once per process, under one lock for all players.
std::mutex sdlMutex;

// The picture in 32-bit RGB, at its own size or scaled to `size`.
QImage toRgbImage(const AVFrame* frame, QSize size = {})
{
    if (size.isEmpty())
        size = QSize(frame->width, frame->height);
    QImage picture = scalerImage(size);
    if (picture.isNull())
        return {};
    SwsContextPtr converter(
        sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), size.width(),
                       size.height(), AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr));
    uint8_t* planes[1] = {picture.bits()};
    const int strides[1] = {int(picture.bytesPerLine())};
    sws_scale(converter.get(), frame->data, frame->linesize, 0, frame->height, planes, strides);
    return picture;
}

double toSeconds(int64_t value, AVRational base)
{
    return value == AV_NOPTS_VALUE ? NAN : double(value) * av_q2d(base);
}
} // namespace

PlaybackSession::PlaybackSession(const QString& fileName, const OpenSettings& settings,
                                 LiveSettings& live, VideoSink* sink, Callbacks callbacks)
    : m_fileName(fileName)
    , m_settings(settings)
    , m_live(live)
    , m_sink(sink)
    , m_callbacks(std::move(callbacks))
    , m_audioClock(m_audio.packets.serialPointer())
    , m_videoClock(m_video.packets.serialPointer())
    , m_externalClock(nullptr)
    , m_reportPositions(!settings.paused)
{
    m_paused = settings.paused;
}

PlaybackSession::~PlaybackSession()
{
    stop();
}

void PlaybackSession::log(const QString& line) const
{
    if (m_callbacks.log)
        m_callbacks.log(line);
}

void PlaybackSession::notify(int kind, int64_t value)
{
    if (m_callbacks.notify)
        m_callbacks.notify(kind, value);
}

bool PlaybackSession::open(QString& error)
{
    AVFormatContext* context = nullptr;
    const QByteArray path = m_fileName.toUtf8();
    int result = avformat_open_input(&context, path.constData(), nullptr, nullptr);
    if (result < 0) {
        error = QStringLiteral("%1: %2").arg(m_fileName, avErrorText(result));
        return false;
    }
    m_format.reset(context);
    result = avformat_find_stream_info(context, nullptr);
    if (result < 0) {
        error = QStringLiteral("%1: could not find codec parameters").arg(m_fileName);
        return false;
    }
    m_videoStream = av_find_best_stream(context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    m_audioStream = av_find_best_stream(context, AVMEDIA_TYPE_AUDIO, -1, m_videoStream, nullptr, 0);
    if (m_videoStream < 0 && m_audioStream < 0) {
        error = QStringLiteral("Failed to open file '%1' or configure filtergraph").arg(m_fileName);
        return false;
    }
    if (m_videoStream >= 0 && !openDecoder(m_video, m_videoStream, error))
        return false;
    if (m_audioStream >= 0 && !openDecoder(m_audio, m_audioStream, error))
        m_audioStream = -1; // a sound track that cannot be decoded: play the picture alone
    if (m_videoStream >= 0) {
        m_pictures = std::make_unique<FrameQueue>(m_video.packets, PictureQueueSize, true);
        if (context->iformat->flags & AVFMT_TS_DISCONT)
            m_maxFrameDuration = 10.0;
        else
            m_maxFrameDuration = 3600.0;
    }
    if (m_audioStream >= 0)
        m_sounds = std::make_unique<FrameQueue>(m_audio.packets, SoundQueueSize, true);
    if (m_videoStream >= 0 && !m_settings.videoFilters.trimmed().isEmpty() &&
        !checkFilterGraph(error))
        return false;
    if (m_settings.startTime != INT64_MIN) {
        int64_t target = m_settings.startTime;
        if (context->start_time != AV_NOPTS_VALUE)
            target += context->start_time;
        avformat_seek_file(context, -1, INT64_MIN, target, INT64_MAX, 0);
    }
    return true;
}

bool PlaybackSession::openDecoder(StreamDecoder& decoder, int streamIndex, QString& error)
{
    AVStream* stream = m_format->streams[streamIndex];
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) {
        error = QStringLiteral("No decoder could be found for codec %1")
                    .arg(QString::fromLatin1(avcodec_get_name(stream->codecpar->codec_id)));
        return false;
    }
    CodecContextPtr context(avcodec_alloc_context3(codec));
    int result = avcodec_parameters_to_context(context.get(), stream->codecpar);
    if (result >= 0) {
        context->pkt_timebase = stream->time_base;
        av_opt_set(context.get(), "threads", "auto", 0);
        result = avcodec_open2(context.get(), codec, nullptr);
    }
    if (result < 0) {
        error = avCallError("avcodec_open2()", result);
        return false;
    }
    decoder.streamIndex = streamIndex;
    decoder.stream = stream;
    decoder.codec = std::move(context);
    return true;
}

bool PlaybackSession::start(QString& error)
{
    if (m_audioStream >= 0 && !openAudioDevice(error)) {
        log(error);
        m_audioStream = -1; // no sound device: the picture still plays
        m_sounds.reset();
    }
    m_externalClock.set(NAN, -1);
    m_externalClock.setSpeed(m_live.playbackSpeed);
    for (StreamDecoder* decoder : {&m_video, &m_audio})
        if (decoder->codec)
            decoder->packets.start();
    if (m_videoStream >= 0)
        m_video.thread = std::thread(&PlaybackSession::videoDecodeLoop, this);
    if (m_audioStream >= 0)
        m_audio.thread = std::thread(&PlaybackSession::audioDecodeLoop, this);
    m_readThread = std::thread(&PlaybackSession::readLoop, this);
    m_playbackThread = std::thread(&PlaybackSession::playbackLoop, this);
    if (m_device)
        SDL_PauseAudioDevice(m_device, m_paused ? 1 : 0);
    m_started = true;
    return true;
}

void PlaybackSession::stop()
{
    if (!m_started.exchange(false))
        return;
    m_abort = true;
    m_video.packets.abort();
    m_audio.packets.abort();
    for (FrameQueue* queue : {m_pictures.get(), m_sounds.get()})
        if (queue)
            queue->wake();
    m_wake.notify_all();
    for (std::thread* thread : {&m_readThread, &m_video.thread, &m_audio.thread, &m_playbackThread})
        if (thread->joinable())
            thread->join();
    // Last: the playback thread pauses the device after a step, and the sound thread reads
    // the queues until the device is closed.
    if (m_device) {
        SDL_CloseAudioDevice(m_device);
        m_device = 0;
    }
}

int64_t PlaybackSession::duration() const
{
    return m_format && m_format->duration != AV_NOPTS_VALUE ? m_format->duration : 0;
}

int PlaybackSession::frameWidth() const
{
    return m_videoStream >= 0 ? m_video.codec->width : -1;
}

int PlaybackSession::frameHeight() const
{
    return m_videoStream >= 0 ? m_video.codec->height : -1;
}

double PlaybackSession::displayAspect() const
{
    if (m_videoStream < 0 || frameHeight() <= 0)
        return 0;
    const AVRational sar = m_format->streams[m_videoStream]->codecpar->sample_aspect_ratio;
    const double pixel = sar.num > 0 && sar.den > 0 ? av_q2d(sar) : 1.0;
    return frameWidth() * pixel / frameHeight();
}

QString PlaybackSession::formatName() const
{
    return m_format ? QString::fromLatin1(m_format->iformat->name) : QString();
}

// ---- Reading ----

void PlaybackSession::readLoop()
{
    PacketPtr packet(av_packet_alloc());
    bool endQueued = false;
    const int64_t start = m_format->start_time != AV_NOPTS_VALUE ? m_format->start_time : 0;
    // How far the packets read since the opening or the last seek reach, microseconds from
    // the start; and whether a break of the file was reported (once per opening).
    int64_t reached = 0;
    bool breakReported = false;
    while (!m_abort) {
        {
            std::unique_lock lock(m_control);
            if (m_seekRequested) {
                const int64_t target = m_seekTarget + start;
                reached = m_seekTarget;
                const int result =
                    avformat_seek_file(m_format.get(), -1, INT64_MIN, target, INT64_MAX,
                                       m_seekFlags & sfBackward ? AVSEEK_FLAG_BACKWARD : 0);
                if (result < 0)
                    log(QStringLiteral("%1: error while seeking").arg(m_fileName));
                for (StreamDecoder* decoder : {&m_video, &m_audio})
                    if (decoder->codec)
                        decoder->packets.flush();
                const bool exact = m_seekFlags & sfExact;
                m_exactTarget = double(target) / 1e6;
                m_exactVideoSerial = exact ? m_video.packets.serial() : -1;
                m_exactAudioSerial = exact ? m_audio.packets.serial() : -1;
                m_externalClock.set(double(m_seekTarget) / 1e6, 0);
                m_seekRequested = false;
                m_eof = false;
                endQueued = false;
                ++m_seeksDone; // the playback thread may report the end again
                if (m_paused)
                    m_forceRefresh = true; // show the picture of the new place
            }
        }
        const bool queuesFull = m_video.packets.bytes() + m_audio.packets.bytes() > MaxQueueBytes ||
                                ((m_videoStream < 0 || m_video.packets.count() > MinPackets) &&
                                 (m_audioStream < 0 || m_audio.packets.count() > MinPackets));
        if (queuesFull || (m_eof && endQueued)) {
            std::unique_lock lock(m_control);
            m_wake.wait_for(lock, std::chrono::milliseconds(10));
            continue;
        }
        const int result = av_read_frame(m_format.get(), packet.get());
        if (result < 0) {
            // The end of the input, or a read error, which ends it the same way.
            const bool ended = result == AVERROR_EOF || avio_feof(m_format->pb) ||
                               (m_format->pb && m_format->pb->error);
            if (ended && !m_eof) {
                if (!breakReported && brokenOff(reached, result)) {
                    breakReported = true;
                    notify(3, reached);
                }
                if (m_videoStream >= 0)
                    m_video.packets.putEnd(m_videoStream);
                if (m_audioStream >= 0)
                    m_audio.packets.putEnd(m_audioStream);
                m_eof = true;
                endQueued = true;
            }
            std::unique_lock lock(m_control);
            m_wake.wait_for(lock, std::chrono::milliseconds(10));
            continue;
        }
        if ((packet->stream_index == m_videoStream || packet->stream_index == m_audioStream) &&
            packet->pts != AV_NOPTS_VALUE) {
            const AVRational base = m_format->streams[packet->stream_index]->time_base;
            reached = std::max(reached,
                               av_rescale_q(packet->pts + packet->duration, base, AV_TIME_BASE_Q) -
                                   start);
        }
        if (packet->stream_index == m_videoStream &&
            !(m_video.stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            m_video.packets.put(packet.get());
        else if (packet->stream_index == m_audioStream)
            m_audio.packets.put(packet.get());
        else
            av_packet_unref(packet.get());
    }
}

bool PlaybackSession::brokenOff(int64_t reached, int readResult) const
{
    const AVIOContext* io = m_format->pb;
    if (io && io->error < 0 && io->error != AVERROR_EOF) {
        log(QStringLiteral("%1: read error: %2").arg(m_fileName, avErrorText(io->error)));
        return true;
    }
    // The data ends before the length the file declares (a length guessed from the bit rate
    // says nothing).
    const int64_t length = duration();
    if (length <= 0 || m_format->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE ||
        reached >= length - BrokenOffMargin)
        return false;
    log(QStringLiteral("%1: the data ends at %2 s of %3 s (%4)")
            .arg(m_fileName)
            .arg(double(reached) / 1e6, 0, 'f', 2)
            .arg(double(length) / 1e6, 0, 'f', 2)
            .arg(avErrorText(readResult)));
    return true;
}

// ---- Decoding ----

int PlaybackSession::decodeFrame(StreamDecoder& decoder, AVFrame* frame)
{
    PacketPtr packet(av_packet_alloc());
    for (;;) {
        if (decoder.packets.serial() == decoder.packetSerial) {
            for (;;) {
                if (decoder.packets.aborted())
                    return -1;
                const int result = avcodec_receive_frame(decoder.codec.get(), frame);
                if (result == AVERROR_EOF) {
                    decoder.finishedSerial = decoder.packetSerial;
                    avcodec_flush_buffers(decoder.codec.get());
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
            if (decoder.packets.get(packet.get(), true, &serial) < 0)
                return -1;
            if (serial != decoder.packetSerial) {
                avcodec_flush_buffers(decoder.codec.get());
                decoder.finishedSerial = -1;
                decoder.packetSerial = serial;
            }
        } while (decoder.packets.serial() != serial);
        const bool endOfStream = packet->data == nullptr;
        if (avcodec_send_packet(decoder.codec.get(), endOfStream ? nullptr : packet.get()) ==
            AVERROR(EAGAIN))
            log(QStringLiteral("Receive_frame and send_packet both returned EAGAIN"));
        av_packet_unref(packet.get());
    }
}

FramePtr PlaybackSession::streamPicture() const
{
    const AVCodecParameters* parameters = m_video.stream->codecpar;
    if (parameters->format < 0 || parameters->width <= 0 || parameters->height <= 0)
        return nullptr; // known only once decoded
    FramePtr frame(av_frame_alloc());
    frame->width = parameters->width;
    frame->height = parameters->height;
    frame->format = parameters->format;
    frame->sample_aspect_ratio = parameters->sample_aspect_ratio;
    return frame;
}

bool PlaybackSession::checkFilterGraph(QString& error)
{
    // Built once on the stream's own picture size and format, as the first picture will
    // build it, so that a filter text FFmpeg refuses fails the opening instead of leaving
    // the picture out.
    const FramePtr frame = streamPicture();
    if (!frame)
        return true;
    QString detail;
    std::lock_guard lock(m_filterMutex);
    if (buildFilterGraph(frame.get(), detail))
        return true;
    log(detail);
    error = QStringLiteral("Failed to open file '%1' or configure filtergraph").arg(m_fileName);
    return false;
}

bool PlaybackSession::checkFilters(const QString& filters, bool deinterlace, QString& error) const
{
    if (m_videoStream < 0)
        return true;
    const FramePtr frame = streamPicture();
    if (!frame)
        return true;
    FilterGraph graph;
    return createFilterGraph(frame.get(), graphDescription(filters, deinterlace), graph, error);
}

bool PlaybackSession::changeFilters(const QString& filters, bool deinterlace)
{
    std::lock_guard lock(m_filterMutex);
    if (m_videoStream < 0 || m_decodingEndedSerial == m_video.packets.serial())
        return false;
    m_changedFilters.emplace(filters, deinterlace);
    return true;
}

QString PlaybackSession::graphDescription(const QString& filters, bool deinterlace)
{
    QString description = filters.trimmed();
    if (deinterlace)
        description = description.isEmpty() ? QStringLiteral("yadif")
                                            : QStringLiteral("yadif,") + description;
    return description;
}

bool PlaybackSession::buildFilterGraph(const AVFrame* frame, QString& error)
{
    FilterGraph built;
    if (!createFilterGraph(frame, graphDescription(m_settings.videoFilters, m_settings.deinterlace),
                           built, error))
        return false;
    m_graph = std::move(built.graph);
    m_bufferSource = built.source;
    m_bufferSink = built.sink;
    m_graphWidth = frame->width;
    m_graphHeight = frame->height;
    m_graphFormat = frame->format;
    return true;
}

bool PlaybackSession::createFilterGraph(const AVFrame* frame, const QString& description,
                                        FilterGraph& built, QString& error) const
{
    FilterGraphPtr graph(avfilter_graph_alloc());
    const AVRational timeBase = m_video.stream->time_base;
    const AVRational sar =
        frame->sample_aspect_ratio.num ? frame->sample_aspect_ratio : AVRational{1, 1};
    const QByteArray arguments =
        QStringLiteral("video_size=%1x%2:pix_fmt=%3:time_base=%4/%5:pixel_aspect=%6/%7")
            .arg(frame->width)
            .arg(frame->height)
            .arg(frame->format)
            .arg(timeBase.num)
            .arg(timeBase.den)
            .arg(sar.num)
            .arg(sar.den)
            .toLatin1();
    AVFilterContext* source = nullptr;
    AVFilterContext* sink = nullptr;
    int result = avfilter_graph_create_filter(&source, avfilter_get_by_name("buffer"), "in",
                                              arguments.constData(), nullptr, graph.get());
    if (result >= 0)
        result = avfilter_graph_create_filter(&sink, avfilter_get_by_name("buffersink"), "out",
                                              nullptr, nullptr, graph.get());
    if (result < 0) {
        error = avCallError("avfilter_graph_create_filter()", result);
        return false;
    }
    if (description.isEmpty()) {
        result = avfilter_link(source, 0, sink, 0);
    } else {
        AVFilterInOut* outputs = avfilter_inout_alloc();
        AVFilterInOut* inputs = avfilter_inout_alloc();
        outputs->name = av_strdup("in");
        outputs->filter_ctx = source;
        inputs->name = av_strdup("out");
        inputs->filter_ctx = sink;
        const QByteArray text = description.toUtf8();
        result =
            avfilter_graph_parse_ptr(graph.get(), text.constData(), &inputs, &outputs, nullptr);
        avfilter_inout_free(&inputs);
        avfilter_inout_free(&outputs);
        // Each instance is named after its filter, so commands can address it by that name.
        for (unsigned i = 0; result >= 0 && i < graph->nb_filters; ++i) {
            AVFilterContext* instance = graph->filters[i];
            if (instance == source || instance == sink)
                continue;
            av_free(instance->name);
            instance->name = av_strdup(instance->filter->name);
        }
    }
    if (result >= 0)
        result = avfilter_graph_config(graph.get(), nullptr);
    if (result < 0) {
        error = QStringLiteral("%1: %2").arg(description, avErrorText(result));
        return false;
    }
    built.graph = std::move(graph);
    built.source = source;
    built.sink = sink;
    return true;
}

bool PlaybackSession::prepareFilters(const AVFrame* frame)
{
    std::lock_guard lock(m_filterMutex);
    const bool sameInput = m_graph && frame->width == m_graphWidth &&
                           frame->height == m_graphHeight && frame->format == m_graphFormat;
    if (sameInput && !m_changedFilters)
        return true;
    if (m_changedFilters) {
        std::tie(m_settings.videoFilters, m_settings.deinterlace) = *m_changedFilters;
        m_changedFilters.reset();
    }
    QString error;
    const bool built = buildFilterGraph(frame, error);
    if (!built)
        log(error);
    for (const FilterCommand& command : m_waitingCommands)
        sendCommand(command);
    m_waitingCommands.clear();
    return built || sameInput;
}

void PlaybackSession::videoDecodeLoop()
{
    FramePtr decoded(av_frame_alloc());
    FramePtr filtered(av_frame_alloc());
    const AVRational rate = av_guess_frame_rate(m_format.get(), m_video.stream, nullptr);
    // The last picture an exact seek left out: shown after all when the stream ends before
    // the time asked (a re-opening at the very end of a clip).
    FramePtr leftOut(av_frame_alloc());
    int leftOutSerial = -1;
    // The last picture given to the filters: through new ones again when they come after the
    // stream's end.
    FramePtr lastSource(av_frame_alloc());
    for (;;) {
        const int got = decodeFrame(m_video, decoded.get());
        if (got < 0)
            break;
        if (got == 0) {
            bool changed = false;
            {
                std::lock_guard lock(m_filterMutex);
                m_decodingEndedSerial = m_video.packetSerial;
                changed = m_changedFilters.has_value();
            }
            if (leftOutSerial == m_video.packetSerial && leftOut->buf[0])
                av_frame_move_ref(decoded.get(), leftOut.get());
            else if (changed && lastSource->buf[0])
                av_frame_ref(decoded.get(), lastSource.get()); // again, through the new filters
            else
                continue;
        } else if (m_video.packetSerial == m_exactVideoSerial &&
                   toSeconds(decoded->best_effort_timestamp, m_video.stream->time_base) +
                           (rate.num > 0 ? 0.5 * rate.den / rate.num : 0) <
                       m_exactTarget) {
            // After an exact seek, the pictures before the time asked are decoded only.
            av_frame_unref(leftOut.get());
            av_frame_move_ref(leftOut.get(), decoded.get());
            leftOutSerial = m_video.packetSerial;
            continue;
        }
        av_frame_unref(leftOut.get());
        av_frame_unref(lastSource.get());
        av_frame_ref(lastSource.get(), decoded.get());
        if (!prepareFilters(decoded.get()))
            break;
        const int serial = m_video.packetSerial;
        {
            std::lock_guard lock(m_filterMutex);
            if (av_buffersrc_add_frame(m_bufferSource, decoded.get()) < 0)
                continue;
        }
        for (;;) {
            int result = 0;
            {
                std::lock_guard lock(m_filterMutex);
                result = av_buffersink_get_frame_flags(m_bufferSink, filtered.get(), 0);
            }
            if (result < 0)
                break;
            const AVRational base = av_buffersink_get_time_base(m_bufferSink);
            DecodedFrame* slot = m_pictures->peekWritable();
            if (!slot) {
                av_frame_unref(filtered.get());
                return;
            }
            slot->pts = toSeconds(filtered->best_effort_timestamp, base);
            slot->duration = rate.num && rate.den ? av_q2d({rate.den, rate.num}) : 0;
            slot->serial = serial;
            slot->position = -1;
            av_frame_move_ref(slot->frame, filtered.get());
            m_pictures->push();
        }
    }
}

void PlaybackSession::audioDecodeLoop()
{
    FramePtr frame(av_frame_alloc());
    for (;;) {
        const int got = decodeFrame(m_audio, frame.get());
        if (got < 0)
            break;
        if (got == 0)
            continue;
        const double pts = toSeconds(frame->pts, m_audio.stream->time_base);
        const double duration = double(frame->nb_samples) / frame->sample_rate;
        if (m_audio.packetSerial == m_exactAudioSerial && pts + duration <= m_exactTarget) {
            av_frame_unref(frame.get()); // before the time an exact seek asked for
            continue;
        }
        DecodedFrame* slot = m_sounds->peekWritable();
        if (!slot)
            break;
        slot->pts = pts;
        slot->duration = duration;
        slot->serial = m_audio.packetSerial;
        av_frame_move_ref(slot->frame, frame.get());
        m_sounds->push();
    }
}

// ---- Sound ----

bool PlaybackSession::openAudioDevice(QString& error)
{
    std::lock_guard lock(sdlMutex);
    if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error =
            QStringLiteral("Could not initialize SDL - %1").arg(QString::fromUtf8(SDL_GetError()));
        return false;
    }
    log(QStringLiteral("using audio driver: %1")
            .arg(QString::fromUtf8(SDL_GetCurrentAudioDriver())));
    SDL_AudioSpec wanted{};
    wanted.freq = m_audio.codec->sample_rate > 0 ? m_audio.codec->sample_rate : 48000;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = Uint8(m_settings.audioChannels);
    wanted.samples = 1024;
    wanted.callback = &PlaybackSession::audioCallback;
    wanted.userdata = this;
    m_device =
        SDL_OpenAudioDevice(nullptr, 0, &wanted, &m_deviceSpec,
                            SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (!m_device) {
        error = QStringLiteral("SDL_OpenAudio (%1 channels, %2 Hz): %3")
                    .arg(wanted.channels)
                    .arg(wanted.freq)
                    .arg(QString::fromUtf8(SDL_GetError()));
        return false;
    }
    return true;
}

void PlaybackSession::audioCallback(void* self, Uint8* stream, int length)
{
    static_cast<PlaybackSession*>(self)->fillAudio(stream, length);
}

int PlaybackSession::decodeAudioFrame()
{
    DecodedFrame* sound = nullptr;
    for (;;) {
        if (m_abort || m_paused || m_sounds->remaining() == 0)
            return -1;
        sound = m_sounds->peekReadable();
        if (!sound)
            return -1;
        if (sound->serial == m_audio.packets.serial())
            break;
        m_sounds->next();
    }
    AVFrame* frame = sound->frame;
    const int channels = m_deviceSpec.channels;
    const int rate = m_deviceSpec.freq;
    if (!m_resampler || frame->format != m_resamplerFormat ||
        frame->sample_rate != m_resamplerRate ||
        frame->ch_layout.nb_channels != m_resamplerChannels) {
        AVChannelLayout outLayout;
        av_channel_layout_default(&outLayout, channels);
        SwrContext* resampler = nullptr;
        swr_alloc_set_opts2(&resampler, &outLayout, AV_SAMPLE_FMT_S16, rate, &frame->ch_layout,
                            AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
        if (!resampler || swr_init(resampler) < 0) {
            swr_free(&resampler);
            m_sounds->next();
            return -1;
        }
        m_resampler.reset(resampler);
        m_resamplerFormat = frame->format;
        m_resamplerRate = frame->sample_rate;
        m_resamplerChannels = frame->ch_layout.nb_channels;
    }
    const int capacity = int(int64_t(frame->nb_samples) * rate / frame->sample_rate) + 256;
    m_audioBuffer.resize(size_t(capacity * channels * 2));
    uint8_t* out = m_audioBuffer.data();
    int samples = swr_convert(m_resampler.get(), &out, capacity,
                              const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
    if (samples < 0) {
        m_sounds->next();
        return -1;
    }
    const double pts = sound->pts;
    m_audioBufferPts = std::isnan(pts) ? NAN : pts + double(frame->nb_samples) / frame->sample_rate;
    m_audioSerial = sound->serial;
    m_sounds->next();

    // At another speed the buffer is shortened to its length divided by the speed: time-
    // stretched when it can be (pitch kept), silent otherwise.
    const double speed = m_live.playbackSpeed;
    if (speed > 0 && speed != 1.0 && m_live.syncType == stExternal) {
        const int shortened = int(samples / speed);
        // Slower than normal the buffer grows: room for the longer sound first.
        if (m_audioBuffer.size() < size_t(shortened * channels * 2))
            m_audioBuffer.resize(size_t(shortened * channels * 2));
        if (m_live.enableAudioSpeed && channels <= 2) {
            if (!m_stretch) {
                m_stretch = std::make_unique<soundtouch::SoundTouch>();
                m_stretch->setChannels(uint(channels));
                m_stretch->setSampleRate(uint(rate));
            }
            m_stretch->setTempo(speed);
            m_stretchIn.resize(size_t(samples * channels));
            const auto* pcm = reinterpret_cast<const int16_t*>(m_audioBuffer.data());
            for (size_t i = 0; i < m_stretchIn.size(); ++i)
                m_stretchIn[i] = pcm[i] / 32768.0f;
            m_stretch->putSamples(m_stretchIn.data(), uint(samples));
            m_stretchOut.resize(size_t(shortened * channels));
            const int received =
                int(m_stretch->receiveSamples(m_stretchOut.data(), uint(shortened)));
            auto* target = reinterpret_cast<int16_t*>(m_audioBuffer.data());
            for (size_t i = 0; i < size_t(received * channels); ++i)
                target[i] = int16_t(std::clamp(m_stretchOut[i] * 32768.0f, -32768.0f, 32767.0f));
            samples = received;
        } else {
            std::fill_n(m_audioBuffer.begin(), size_t(shortened * channels * 2), uint8_t(0));
            samples = shortened;
        }
    } else if (m_stretch) {
        m_stretch->clear();
    }
    const int bytes = samples * channels * 2;
    m_audioBuffer.resize(size_t(bytes));
    if (m_live.audioHook && m_callbacks.audioHook && bytes > 0) {
        const int64_t start = m_format->start_time != AV_NOPTS_VALUE ? m_format->start_time : 0;
        m_callbacks.audioHook(std::isnan(pts) ? -1 : int64_t(pts * 1e6) - start,
                              m_audioBuffer.data(), bytes, rate, channels);
    }
    return bytes;
}

void PlaybackSession::fillAudio(Uint8* stream, int length)
{
    const double callbackTime = MediaClock::now();
    const int frameBytes = m_deviceSpec.channels * 2;
    while (length > 0) {
        if (m_audioBufferIndex >= int(m_audioBuffer.size())) {
            if (decodeAudioFrame() < 0)
                m_audioBuffer.assign(size_t(512 * frameBytes), 0); // nothing ready: silence
            m_audioBufferIndex = 0;
        }
        const int chunk = std::min(length, int(m_audioBuffer.size()) - m_audioBufferIndex);
        const uint8_t* source = m_audioBuffer.data() + m_audioBufferIndex;
        const int volume = m_live.audioVolume;
        if (m_live.mute || volume <= 0) {
            std::memset(stream, 0, size_t(chunk));
        } else if (volume >= 128) {
            std::memcpy(stream, source, size_t(chunk));
        } else {
            const auto* in = reinterpret_cast<const int16_t*>(source);
            auto* out = reinterpret_cast<int16_t*>(stream);
            for (int i = 0; i < chunk / 2; ++i)
                out[i] = int16_t(in[i] * volume / 128);
        }
        length -= chunk;
        stream += chunk;
        m_audioBufferIndex += chunk;
    }
    if (!std::isnan(m_audioBufferPts)) {
        const double bytesPerSecond = double(m_deviceSpec.freq) * frameBytes;
        const int pending = int(m_audioBuffer.size()) - m_audioBufferIndex;
        m_audioClock.setAt(m_audioBufferPts - (2.0 * m_deviceSpec.size + pending) / bytesPerSecond,
                           m_audioSerial, callbackTime);
        m_externalClock.syncTo(m_audioClock, NoSyncThreshold);
    }
}

// ---- Playback ----

int PlaybackSession::masterSync() const
{
    const int wanted = m_live.syncType;
    if (wanted == stVideo)
        return m_videoStream >= 0 ? stVideo : stAudio;
    if (wanted == stAudio)
        return m_audioStream >= 0 ? stAudio : stExternal;
    return stExternal;
}

double PlaybackSession::masterClock() const
{
    switch (masterSync()) {
    case stVideo:
        return m_videoClock.get();
    case stAudio:
        return m_audioClock.get();
    default:
        return m_externalClock.get();
    }
}

double PlaybackSession::frameDuration(const DecodedFrame& frame, const DecodedFrame& next) const
{
    if (frame.serial != next.serial)
        return 0.0;
    const double duration = next.pts - frame.pts;
    if (std::isnan(duration) || duration <= 0 || duration > m_maxFrameDuration)
        return frame.duration;
    return duration;
}

double PlaybackSession::targetDelay(double delay) const
{
    if (masterSync() == stVideo)
        return delay;
    const double difference = m_videoClock.get() - masterClock();
    const double threshold = std::clamp(delay, SyncThresholdMin, SyncThresholdMax);
    if (!std::isnan(difference) && std::fabs(difference) < m_maxFrameDuration) {
        if (difference <= -threshold)
            delay = std::max(0.0, delay + difference);
        else if (difference >= threshold && delay > FrameDuplicationThreshold)
            delay = delay + difference;
        else if (difference >= threshold)
            delay = 2 * delay;
    }
    return delay;
}

void PlaybackSession::showPicture(const DecodedFrame& shown)
{
    const AVFrame* frame = shown.frame;
    {
        std::lock_guard lock(m_shownMutex);
        if (!m_shown)
            m_shown.reset(av_frame_alloc());
        av_frame_unref(m_shown.get());
        av_frame_ref(m_shown.get(), frame);
    }
    if (!m_sink)
        return;
    const QColor background = m_live.background();
    const QSize surface = m_sink->surfaceSize();
    if (surface.isEmpty() || frame->width <= 0 || frame->height <= 0)
        return;

    // The display rectangle: the stream's own aspect, the surface's, or the one asked for.
    const float aspect = m_live.aspectRatio;
    double ratio = aspect;
    if (aspect == 0) {
        const AVRational sar = frame->sample_aspect_ratio;
        ratio = double(frame->width) / frame->height * (sar.num > 0 ? av_q2d(sar) : 1.0);
    } else if (aspect < 0) {
        ratio = double(surface.width()) / surface.height();
    }
    int height = surface.height();
    int width = int(std::lround(height * ratio)) & ~1;
    if (width > surface.width()) {
        width = surface.width();
        height = int(std::lround(width / ratio)) & ~1;
    }
    width = std::max(width, 2);
    height = std::max(height, 2);
    const QRect target((surface.width() - width) / 2, (surface.height() - height) / 2, width,
                       height);

    FramePtr hooked;
    const AVFrame* source = frame;
    if (m_live.videoHook && m_callbacks.videoHook) {
        // The hook draws on the picture at its own size, in 32-bit RGB.
        QImage picture = toRgbImage(frame);
        bool update = true;
        const int64_t start = m_format->start_time != AV_NOPTS_VALUE ? m_format->start_time : 0;
        try {
            m_callbacks.videoHook(picture, int64_t(shown.pts * 1e6) - start, update);
        } catch (const std::exception& error) {
            log(QStringLiteral("Error occurs OnVideoHook: %1")
                    .arg(QString::fromUtf8(error.what())));
            update = false;
        } catch (...) {
            log(QStringLiteral("Error occurs OnVideoHook: unknown error"));
            update = false;
        }
        if (update) {
            hooked.reset(av_frame_alloc());
            hooked->format = AV_PIX_FMT_BGRA;
            hooked->width = picture.width();
            hooked->height = picture.height();
            av_frame_get_buffer(hooked.get(), 0);
            av_image_copy_plane(hooked->data[0], hooked->linesize[0], picture.constBits(),
                                int(picture.bytesPerLine()), picture.width() * 4, picture.height());
            source = hooked.get();
        }
    }

    m_scaler.reset(sws_getCachedContext(m_scaler.release(), source->width, source->height,
                                        AVPixelFormat(source->format), width, height,
                                        AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr));
    // A new image each time: the sink keeps the one it was given without copying it.
    m_scaled = scalerImage(QSize(width, height));
    if (m_scaled.isNull())
        return;
    uint8_t* planes[1] = {m_scaled.bits()};
    const int strides[1] = {int(m_scaled.bytesPerLine())};
    sws_scale(m_scaler.get(), source->data, source->linesize, 0, source->height, planes, strides);
    // Flipped afterwards: the scaler's fast paths write past a row's end, which a bottom-up
    // (negative stride) output turns into writes before the image.
    if (m_live.verticalFlip)
        for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
            std::swap_ranges(m_scaled.scanLine(top), m_scaled.scanLine(top) + strides[0],
                             m_scaled.scanLine(bottom));
    m_sink->present(m_scaled, target, background);
}

void PlaybackSession::reportPosition(double seconds, bool force)
{
    if (std::isnan(seconds))
        return;
    const int64_t start = m_format->start_time != AV_NOPTS_VALUE ? m_format->start_time : 0;
    int64_t position = int64_t(std::llround(seconds * 1e6)) - start;
    const int64_t length = duration();
    if (length > 0 && position >= length) {
        position = length;
        if (!m_clamped) { // the exact duration is reported once
            m_clamped = true;
            m_lastReported = INT64_MIN;
        }
    }
    position = std::max<int64_t>(position, 0);
    m_currentPts = position;
    if (!m_reportPositions)
        return;
    if (force || m_lastReported == INT64_MIN ||
        std::llabs(position - m_lastReported) > m_live.positionInterval) {
        m_lastReported = position;
        notify(1, position);
    }
}

void PlaybackSession::checkEnd()
{
    if (!m_eof || m_endReported)
        return;
    const bool videoDone =
        m_videoStream < 0 ||
        (m_video.finishedSerial == m_video.packets.serial() && m_pictures->remaining() == 0);
    const bool soundDone =
        m_audioStream < 0 ||
        (m_audio.finishedSerial == m_audio.packets.serial() && m_sounds->remaining() == 0);
    if (!videoDone || !soundDone)
        return;
    m_endReported = true;
    if (duration() > 0 && m_reportPositions) {
        m_currentPts = duration();
        if (m_lastReported != duration())
            notify(1, duration());
        m_lastReported = duration();
        m_clamped = true;
    }
    notify(2, psEnd);
}

void PlaybackSession::refreshVideo(double& remaining)
{
    bool paused = false;
    {
        std::lock_guard lock(m_control);
        m_frameTimer += std::exchange(m_pausedFor, 0.0);
        paused = m_paused;
    }
    for (;;) {
        if (m_pictures->remaining() == 0) {
            // Nothing new to show (a still, a held last picture): a refresh asked for shows
            // the last picture again, through the hook and at the surface's new size.
            if (m_firstPictureShown && m_redrawLast.exchange(false)) {
                const DecodedFrame* last = m_pictures->peekLast();
                if (last->frame && last->frame->width > 0)
                    showPicture(*last);
            }
            return;
        }
        DecodedFrame* last = m_pictures->peekLast();
        DecodedFrame* frame = m_pictures->peek();
        if (frame->serial != m_video.packets.serial()) {
            m_pictures->next();
            continue;
        }
        if (last->serial != frame->serial)
            m_frameTimer = MediaClock::now();
        const bool showNow = m_forceRefresh.exchange(false) || !m_firstPictureShown;
        if (paused && !showNow && !m_step)
            return;
        const double delay = targetDelay(frameDuration(*last, *frame));
        const double time = MediaClock::now();
        if (!showNow && time < m_frameTimer + delay) {
            remaining = std::min(m_frameTimer + delay - time, remaining);
            return;
        }
        m_frameTimer += delay;
        if (delay > 0 && time - m_frameTimer > SyncThresholdMax)
            m_frameTimer = time;
        if (!std::isnan(frame->pts))
            m_videoClock.set(frame->pts, frame->serial);
        m_externalClock.syncTo(m_videoClock, NoSyncThreshold);
        if (!showNow && !m_step && m_pictures->remaining() > 1) {
            DecodedFrame* next = m_pictures->peekNext();
            if (time > m_frameTimer + frameDuration(*frame, *next)) {
                m_pictures->next(); // late: dropped
                ++m_dropped;
                continue;
            }
        }
        showPicture(*frame);
        const bool wasFirst = !m_firstPictureShown;
        m_firstPictureShown = true;
        m_pictures->next();
        if (paused && wasFirst && m_settings.paused) {
            reportPosition(frame->pts, false); // not reported yet: sets CurrentPTS
            notify(2, psPause);                // opened paused: the first picture is on screen
            return;
        }
        if (paused && showNow && !m_step)
            m_reportPositions = true; // sought while paused: the new place is reported
        reportPosition(frame->pts, false);
        if (m_step.exchange(false)) { // one picture, then paused again (not reported)
            std::lock_guard lock(m_control);
            m_paused = true;
            m_videoClock.setPaused(true);
            m_audioClock.setPaused(true);
            m_externalClock.setPaused(true);
            if (m_device)
                SDL_PauseAudioDevice(m_device, 1);
        }
        return;
    }
}

void PlaybackSession::playbackLoop()
{
    notify(2, psPlay);
    if (m_videoStream < 0 && m_settings.paused)
        notify(2, psPause); // sound alone has no first picture to wait for
    m_frameTimer = MediaClock::now();
    try {
        while (!m_abort) {
            if (const int seeks = m_seeksDone; seeks != m_seeksSeen) {
                m_seeksSeen = seeks;
                m_endReported = false;
                m_clamped = false;
            }
            double remaining = RefreshRate;
            if (m_videoStream >= 0) {
                refreshVideo(remaining);
            } else if (!m_paused && !m_endReported) {
                reportPosition(m_audioClock.get(), false); // sound alone: its clock
            }
            checkEnd();
            std::unique_lock lock(m_control);
            m_wake.wait_for(lock, std::chrono::microseconds(int64_t(remaining * 1e6)));
        }
    } catch (const std::exception& error) {
        // The playback ends as if stopped; the other threads end with the session.
        log(QStringLiteral("PlayThread Exception: %1").arg(QString::fromUtf8(error.what())));
    }
    notify(2, psStop);
}

// ---- Requests of the user-interface thread ----

bool PlaybackSession::togglePause()
{
    std::lock_guard lock(m_control);
    const bool pausing = !m_paused;
    if (!pausing) {
        // The picture timer skips the time spent paused; before the first picture (a resume
        // right after a paused open) there is nothing to skip.
        const double updated = m_videoClock.lastUpdated();
        if (updated > 0)
            m_pausedFor += MediaClock::now() - updated;
        m_reportPositions = true;
    }
    m_videoClock.setPaused(pausing);
    m_audioClock.setPaused(pausing);
    m_externalClock.setPaused(pausing);
    m_paused = pausing;
    if (m_device)
        SDL_PauseAudioDevice(m_device, pausing ? 1 : 0);
    m_wake.notify_all();
    return pausing;
}

void PlaybackSession::stepToNextFrame()
{
    if (m_paused)
        togglePause();
    m_step = true;
}

void PlaybackSession::seek(int64_t microseconds, TSeekFlags flags)
{
    std::lock_guard lock(m_control);
    m_seekTarget = microseconds;
    m_seekFlags = flags;
    m_seekRequested = true;
    m_wake.notify_all();
}

void PlaybackSession::setSpeed(double speed)
{
    m_externalClock.setSpeed(speed);
}

bool PlaybackSession::sendFilterCommand(const QString& target, const QString& command,
                                        const QString& argument, int flags)
{
    log(QStringLiteral("Sending filter command target:%1 cmd:%2 arg:%3 flags:%4")
            .arg(target, command, argument)
            .arg(flags));
    std::lock_guard lock(m_filterMutex);
    if (m_changedFilters) {
        // For the new filters: sent as soon as they are built.
        m_waitingCommands.push_back({target, command, argument, flags});
        return true;
    }
    return sendCommand({target, command, argument, flags});
}

bool PlaybackSession::sendCommand(const FilterCommand& command)
{
    if (!m_graph) {
        log(QStringLiteral("avfilter_graph_send_command() failed"));
        return false;
    }
    char response[4096] = {};
    const int result = avfilter_graph_send_command(
        m_graph.get(), command.target.toUtf8().constData(), command.command.toUtf8().constData(),
        command.argument.toUtf8().constData(), response, sizeof response, command.flags);
    if (result < 0) {
        log(QStringLiteral("avfilter_graph_send_command() failed"));
        return false;
    }
    log(QStringLiteral("Command reply: ret:%1 response:%2")
            .arg(result)
            .arg(QString::fromUtf8(response)));
    m_forceRefresh = m_paused.load();
    return true;
}

QImage PlaybackSession::currentFrame(const QSize& size)
{
    std::lock_guard lock(m_shownMutex);
    if (!m_shown || m_shown->width <= 0)
        return {};
    return toRgbImage(m_shown.get(), size);
}
