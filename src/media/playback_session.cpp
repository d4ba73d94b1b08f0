#include "media/playback_session.h"

#include "media/picture_pacing.h"
#include "media/sound_output.h"
#include "media/thread_rank.h"
#include "media/video_filter_graph.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {
constexpr int PictureQueueSize = 3;
constexpr int SoundQueueSize = 9;
constexpr int MaxQueueBytes = 15 * 1024 * 1024;
constexpr int MinPackets = 5;
constexpr double RefreshRate = 0.01;
// How long, at most, the pictures wait for the sound when play begins (seconds).
constexpr double SoundStartWait = 1.0;
// How long after play begins no picture is dropped for lateness (seconds; the wait for the
// sound included).
constexpr double StartWithoutDrops = 2.0;
// Data that ends this much (microseconds) before the file's declared length broke off.
constexpr int64_t BrokenOffMargin = 500000;
// A read of the file that has not returned for this long (seconds) ends the clip there: the
// file does not answer (a network share gone, a disk that hangs).
constexpr double StalledReadLimit = 2.0;
// How long a stop waits for a reading thread stuck in the file.
constexpr std::chrono::milliseconds ReadGiveUp{500};

std::atomic<int> sessionsAlive{0};

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
    , m_callbacks(std::move(callbacks))
    , m_audioClock(m_audio.packets.serialPointer())
    , m_videoClock(m_video.packets.serialPointer())
    , m_externalClock(nullptr)
    , m_presenter(
          sink, live,
          [this](QImage& picture, int64_t pts, bool& update) {
              if (m_callbacks.videoHook) // its times count from the file's start
                  m_callbacks.videoHook(picture, pts - startTime(), update);
          },
          [this](const QString& line) { log(line); })
    , m_reportPositions(!settings.paused)
{
    m_paused = settings.paused;
    m_held = settings.held;
    ++sessionsAlive;
}

PlaybackSession::~PlaybackSession()
{
    stop();
    if (m_readThread.joinable())
        m_readThread.join(); // a session handed to endWhenRead(): its read has to return
    --sessionsAlive;
}

int PlaybackSession::alive()
{
    return sessionsAlive;
}

void PlaybackSession::switchCallbacksOff()
{
    std::lock_guard lock(m_callbackGate);
    m_callbacksOff = true;
}

void PlaybackSession::endWhenRead(std::unique_ptr<PlaybackSession> session)
{
    session->switchCallbacksOff();
    std::thread([ending = std::move(session)]() mutable { ending.reset(); }).detach();
}

void PlaybackSession::log(const QString& line) const
{
    std::lock_guard lock(m_callbackGate);
    if (m_callbacks.log && !m_callbacksOff)
        m_callbacks.log(line);
}

void PlaybackSession::notify(int kind, int64_t value)
{
    std::lock_guard lock(m_callbackGate);
    if (m_callbacks.notify && !m_callbacksOff)
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
    if (m_videoStream >= 0) {
        if (!m_video.open(m_format.get(), m_videoStream, error))
            return false;
        m_filterGraph = std::make_unique<VideoFilterGraph>(
            m_video.stream->time_base, m_settings.videoFilters, m_settings.deinterlace,
            [this](const QString& line) { log(line); });
    }
    if (m_audioStream >= 0 && !m_audio.open(m_format.get(), m_audioStream, error))
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

bool PlaybackSession::openSound(QString& error)
{
    auto sound = std::make_unique<SoundOutput>(SoundOutput::Source{
        *m_sounds, m_audio.packets, m_audioClock, m_externalClock, m_live, m_paused, m_abort,
        startTime(), m_callbacks.audioHook, [this](const QString& line) { log(line); }});
    if (!sound->open(m_audio.codec->sample_rate, m_settings.audioChannels, error))
        return false;
    std::lock_guard lock(m_control);
    m_sound = std::move(sound);
    m_sound->setPaused(m_paused);
    return true;
}

bool PlaybackSession::openHeldSound(QString& error)
{
    return soundReady() || openSound(error);
}

bool PlaybackSession::start(QString& error)
{
    // Without a sound device the picture still plays. A session opened held tries again when
    // it is released (a driver with a single device frees it when the last opening stops).
    if (m_audioStream >= 0 && !openSound(error) && !m_held) {
        log(error);
        m_audioStream = -1;
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
    m_readThread = std::thread([this] {
        nameThisThread("read");
        readLoop();
        std::lock_guard lock(m_control);
        m_readEnded = true;
        m_wake.notify_all();
    });
    m_playbackThread = std::thread(&PlaybackSession::playbackLoop, this);
    m_started = true;
    return true;
}

bool PlaybackSession::stop()
{
    if (!m_started.exchange(false))
        return true;
    m_abort = true;
    m_video.packets.abort();
    m_audio.packets.abort();
    for (FrameQueue* queue : {m_pictures.get(), m_sounds.get()})
        if (queue)
            queue->wake();
    m_wake.notify_all();
    for (std::thread* thread : {&m_video.thread, &m_audio.thread, &m_playbackThread})
        if (thread->joinable())
            thread->join();
    // After them: the playback thread pauses the device after a step, and the sound thread
    // reads the queues until the device is closed.
    m_sound.reset();
    std::unique_lock lock(m_control);
    const bool readEnded = m_wake.wait_for(lock, ReadGiveUp, [this] { return m_readEnded; });
    lock.unlock();
    if (!readEnded) {
        log(QStringLiteral("%1: the file does not answer; its reading ends when it does")
                .arg(m_fileName));
        return false;
    }
    m_readThread.join();
    return true;
}

int64_t PlaybackSession::startTime() const
{
    return m_format->start_time != AV_NOPTS_VALUE ? m_format->start_time : 0;
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
    const int64_t start = startTime();
    bool breakReported = false; // once per opening
    // A call that waits on the file: how long it waits shows in m_readingSince.
    const auto fromFile = [this](const auto& call) {
        m_readingSince = MediaClock::now();
        const int result = call();
        m_readingSince = 0;
        return result;
    };
    while (!m_abort && !m_stalled) {
        bool seeking = false;
        int64_t seekTarget = 0;
        TSeekFlags seekFlags = 0;
        {
            std::unique_lock lock(m_control);
            seeking = std::exchange(m_seekRequested, false);
            seekTarget = m_seekTarget;
            seekFlags = m_seekFlags;
        }
        if (seeking) {
            // Not under m_control: a seek in a file that does not answer must not hold the
            // threads that ask.
            const int64_t target = seekTarget + start;
            const int result = fromFile([&] {
                return avformat_seek_file(m_format.get(), -1, INT64_MIN, target, INT64_MAX,
                                          seekFlags & sfBackward ? AVSEEK_FLAG_BACKWARD : 0);
            });
            if (m_abort || m_stalled)
                break;
            if (result < 0)
                log(QStringLiteral("%1: error while seeking").arg(m_fileName));
            std::unique_lock lock(m_control);
            m_reached = seekTarget;
            for (StreamDecoder* decoder : {&m_video, &m_audio})
                if (decoder->codec)
                    decoder->packets.flush();
            const bool exact = seekFlags & sfExact;
            m_exactTarget = double(target) / 1e6;
            m_exactVideoSerial = exact ? m_video.packets.serial() : -1;
            m_exactAudioSerial = exact ? m_audio.packets.serial() : -1;
            m_externalClock.set(double(seekTarget) / 1e6, 0);
            m_eof = false;
            endQueued = false;
            ++m_seeksDone; // the playback thread may report the end again
            if (m_paused)
                m_forceRefresh = true; // show the picture of the new place
        }
        const bool queuesFull = m_video.packets.bytes() + m_audio.packets.bytes() > MaxQueueBytes ||
                                ((m_videoStream < 0 || m_video.packets.count() > MinPackets) &&
                                 (m_audioStream < 0 || m_audio.packets.count() > MinPackets));
        if (queuesFull || (m_eof && endQueued)) {
            std::unique_lock lock(m_control);
            m_wake.wait_for(lock, std::chrono::milliseconds(10));
            continue;
        }
        const int result = fromFile([&] { return av_read_frame(m_format.get(), packet.get()); });
        if (m_abort || m_stalled) {
            av_packet_unref(packet.get());
            break;
        }
        if (result < 0) {
            // The end of the input, or a read error, which ends it the same way.
            const bool ended = result == AVERROR_EOF || avio_feof(m_format->pb) ||
                               (m_format->pb && m_format->pb->error);
            if (ended && !m_eof) {
                if (!breakReported && brokenOff(m_reached, result)) {
                    breakReported = true;
                    notify(3, m_reached);
                }
                queueEnd();
                endQueued = true;
            }
            std::unique_lock lock(m_control);
            m_wake.wait_for(lock, std::chrono::milliseconds(10));
            continue;
        }
        if ((packet->stream_index == m_videoStream || packet->stream_index == m_audioStream) &&
            packet->pts != AV_NOPTS_VALUE) {
            const AVRational base = m_format->streams[packet->stream_index]->time_base;
            m_reached = std::max<int64_t>(
                m_reached,
                av_rescale_q(packet->pts + packet->duration, base, AV_TIME_BASE_Q) - start);
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
    if (m_filterGraph->build(frame.get(), detail))
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
    return m_filterGraph->check(frame.get(), filters, deinterlace, error);
}

bool PlaybackSession::changeFilters(const QString& filters, bool deinterlace)
{
    return m_filterGraph && m_filterGraph->change(filters, deinterlace, m_video.packets.serial());
}

void PlaybackSession::videoDecodeLoop()
{
    runAsWorkAhead("video decode");
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
        const int got = m_video.decode(decoded.get());
        if (got < 0)
            break;
        if (got == 0) {
            const bool changed = m_filterGraph->decodingEnded(m_video.packetSerial);
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
        if (!m_filterGraph->prepare(decoded.get()))
            break;
        const int serial = m_video.packetSerial;
        if (!m_filterGraph->add(decoded.get()))
            continue;
        AVRational base{};
        while (m_filterGraph->take(filtered.get(), base)) {
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
    nameThisThread("sound decode");
    FramePtr frame(av_frame_alloc());
    for (;;) {
        const int got = m_audio.decode(frame.get());
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

double PlaybackSession::pictureDelay(double duration) const
{
    if (masterSync() == stVideo)
        return duration;
    return PicturePacing::pictureDelay(duration, m_videoClock.get() - masterClock(),
                                       m_maxFrameDuration);
}

bool PlaybackSession::mayDropLatePicture(const DecodedFrame& frame) const
{
    // The pictures are the clock: the time alone decides.
    if (masterSync() == stVideo)
        return true;
    return PicturePacing::mayDropLatePicture(masterClock() - frame.pts);
}

void PlaybackSession::reportPosition(double seconds, bool force)
{
    if (std::isnan(seconds))
        return;
    const int64_t start = startTime();
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

void PlaybackSession::checkStalledRead()
{
    const double since = m_readingSince;
    if (m_stalled || m_eof || since == 0 || MediaClock::now() - since < StalledReadLimit)
        return;
    // The reader stops reading when its read returns; the end goes to the decoders from here,
    // and the clip ends as a file that broke off.
    m_stalled = true;
    log(QStringLiteral("%1: the file has not answered for %2 s")
            .arg(m_fileName)
            .arg(StalledReadLimit, 0, 'f', 0));
    notify(3, m_reached);
    queueEnd();
}

void PlaybackSession::queueEnd()
{
    if (m_videoStream >= 0)
        m_video.packets.putEnd(m_videoStream);
    if (m_audioStream >= 0)
        m_audio.packets.putEnd(m_audioStream);
    m_eof = true;
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
        if (m_held)
            return; // opened ahead: its first picture waits for its turn
    }
    for (;;) {
        if (m_pictures->remaining() == 0) {
            // Nothing new to show (a still, a held last picture): a refresh asked for shows
            // the last picture again, through the hook and at the surface's new size.
            if (m_firstPictureShown && m_redrawLast.exchange(false)) {
                const DecodedFrame* last = m_pictures->peekLast();
                if (last->frame && last->frame->width > 0)
                    m_presenter.present(last->frame, last->pts);
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
        if (paused && !showNow && m_steps == 0)
            return;
        const double time = MediaClock::now();
        if (m_playingSince == 0 && !paused)
            m_playingSince = time;
        // In the first moments of play the pictures after the first wait until the sound is
        // heard: a sound device that starts late would leave the picture ahead, which would
        // then crawl at half speed until the sound caught up.
        if (!showNow && m_steps == 0 && masterSync() == stAudio && std::isnan(m_audioClock.get()) &&
            m_playingSince > 0 && time - m_playingSince < SoundStartWait) {
            m_frameTimer = time;
            remaining = std::min(remaining, RefreshRate);
            return;
        }
        const double delay = pictureDelay(frameDuration(*last, *frame));
        if (!showNow && time < m_frameTimer + delay) {
            remaining = std::min(m_frameTimer + delay - time, remaining);
            return;
        }
        m_frameTimer += delay;
        if (delay > 0 && time - m_frameTimer > PicturePacing::SyncThresholdMax)
            m_frameTimer = time;
        if (!std::isnan(frame->pts))
            m_videoClock.set(frame->pts, frame->serial);
        m_externalClock.syncTo(m_videoClock, MediaClock::NoSyncThreshold);
        // A late picture is dropped to keep up, except when play begins: there it is late
        // because the decoders are starting, and showing the next pictures without waiting
        // catches up within a few pictures, with none missing. What lateness is left when
        // that time ends is forgiven once (the sound sync corrects the rest): it is the
        // start's, and counting it against the next pictures would drop several at once.
        // Nor is a picture dropped that is only a little behind the sound, as after a busy
        // moment: it and the next are shown without waiting until they have caught up.
        const bool mayDrop = m_playingSince > 0 && time - m_playingSince > StartWithoutDrops;
        if (mayDrop && !std::exchange(m_dropsAllowed, true))
            m_frameTimer = std::max(m_frameTimer, time);
        if (!showNow && m_steps == 0 && m_pictures->remaining() > 1 && mayDrop &&
            mayDropLatePicture(*frame)) {
            DecodedFrame* next = m_pictures->peekNext();
            if (time > m_frameTimer + frameDuration(*frame, *next)) {
                m_pictures->next(); // late: dropped
                ++m_dropped;
                continue;
            }
        }
        m_presenter.present(frame->frame, frame->pts);
        const bool wasFirst = !m_firstPictureShown;
        m_firstPictureShown = true;
        m_pictures->next();
        if (paused && wasFirst && m_settings.paused) {
            reportPosition(frame->pts, false); // not reported yet: sets CurrentPTS
            notify(2, psPause);                // opened paused: the first picture is on screen
            return;
        }
        if (paused && showNow && m_steps == 0)
            m_reportPositions = true; // sought while paused: the new place is reported
        reportPosition(frame->pts, false);
        if (m_steps > 0) { // one picture a step, then paused again (not reported)
            std::lock_guard lock(m_control);
            if (--m_steps == 0)
                setPausedLocked(true);
        }
        return;
    }
}

void PlaybackSession::playbackLoop()
{
    nameThisThread("playback");
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
            checkStalledRead();
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
    setPausedLocked(!m_paused);
    return m_paused;
}

void PlaybackSession::release(bool paused)
{
    std::lock_guard lock(m_control);
    m_held = false;
    if (!paused)
        setPausedLocked(false);
    m_wake.notify_all();
}

void PlaybackSession::setPausedLocked(bool pausing)
{
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
    if (m_sound)
        m_sound->setPaused(pausing);
    m_wake.notify_all();
}

void PlaybackSession::stepToNextFrame()
{
    // Counted, and with the resume under the same lock: a step asked for while the last one
    // is still being shown is one more picture, not lost.
    std::lock_guard lock(m_control);
    ++m_steps;
    if (m_paused)
        setPausedLocked(false);
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
    if (!m_filterGraph) {
        log(QStringLiteral("avfilter_graph_send_command() failed"));
        return false;
    }
    if (!m_filterGraph->sendCommand(target, command, argument, flags))
        return false;
    m_forceRefresh = m_paused.load(); // a paused picture shows the command's effect
    return true;
}

QImage PlaybackSession::currentFrame(const QSize& size)
{
    return m_presenter.currentFrame(size);
}
