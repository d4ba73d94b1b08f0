#include "media/ff_player.h"

#include "media/notification_ring.h"
#include "media/playback_session.h"
#include "media/thread_rank.h"
#include "media/video_sink.h"
#include "shared/player_wait.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QThread>
#include <chrono>

namespace {
// How long an opening waits for a file that does not answer.
constexpr std::chrono::seconds OpenGiveUp{5};
} // namespace

// The delivery of one opening's positions and states: its ring and its thread.
struct Notifier {
    NotificationRing ring;
    std::thread thread;
    std::atomic<bool> running{true};
    std::atomic<bool> ending{false};
    std::atomic<bool> stopDelivered{false};
    std::shared_ptr<Notifier> previous; // delivers first
};

// One opening of a file: its session, opened on a thread of its own, and the notifier that
// will deliver its reports.
struct TFFPlayer::Opening {
    QString fileName;
    VideoSink* screen = nullptr;
    OpenSettings settings;
    std::shared_ptr<Notifier> notifier = std::make_shared<Notifier>();
    std::unique_ptr<PlaybackSession> session;
    // Written by the opening thread before `done`.
    QString error;
    bool opened = false;
    std::atomic<bool> done{false};
    bool started = false; // prepared ahead: its threads run (user-interface thread)

    // The same file on the same screen, with the same filters, deinterlacing and sound
    // channels: paused or not, and from where, do not matter to an Open (the open handler sets
    // the start point, and a different one is sought).
    bool sameAs(const QString& file, VideoSink* sink, const OpenSettings& wanted) const
    {
        return file == fileName && sink == screen && wanted.videoFilters == settings.videoFilters &&
               wanted.deinterlace == settings.deinterlace &&
               wanted.audioChannels == settings.audioChannels;
    }
};

TFFPlayer::TFFPlayer(QObject* parent)
    : QObject(parent)
{
}

TFFPlayer::~TFFPlayer()
{
    // A player that is going away reports nothing more; its handlers may be gone already.
    // The hooks run on the player's threads: they are left alone until those have ended.
    OnFileOpen = nullptr;
    OnPosition = nullptr;
    OnState = nullptr;
    OnOpenFailed = nullptr;
    OnReadError = nullptr;
    DropPrepared();
    while (*m_droppingElsewhere > 0) // their sessions use the live settings and the log
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    stopSession(false);
    endNotifications();
}

void TFFPlayer::log(const QString& line)
{
    if (OnLog)
        OnLog(this, line);
}

void TFFPlayer::fail(const QString& message)
{
    m_lastError = message;
    log(message);
}

bool TFFPlayer::Open(const QString& fileName, VideoSink* screen, bool paused)
{
    if (m_opening) {
        fail("Current trying open is not completed.");
        return false;
    }
    m_opening = true;
    struct OpeningFlag {
        bool& flag;
        ~OpeningFlag() { flag = false; }
    } openingFlag{m_opening};

    OpenSettings settings = m_open;
    settings.paused = paused;
    std::shared_ptr<Opening> prepared = std::exchange(m_prepared, nullptr);
    if (prepared && !prepared->sameAs(fileName, screen, settings)) {
        dropOpening(*prepared);
        prepared.reset();
    }
    QString error;
    if (prepared && !takeOver(*prepared, error)) {
        couldNotOpenAhead(*prepared, error);
        prepared.reset();
    }
    // A prepared opening with its sound device shows its first picture before the old one is
    // stopped: the old one only leaves the screen now, and stops at the end, while the screen
    // is painted.
    std::unique_ptr<PlaybackSession> old;
    if (prepared && prepared->session->soundReady()) {
        old = std::move(m_session);
        if (old)
            old->leaveScreen();
    }
    stopSession(true);
    endNotifications();
    // Notifications of the old file are delivered before anything of the new one. A prepared
    // opening's notifier starts after the old ones have ended: it needs no pause for that.
    if (!prepared) {
        const auto settled = std::chrono::steady_clock::now() + std::chrono::milliseconds(20);
        waitDelivering([&] { return std::chrono::steady_clock::now() >= settled; });
    }

    log(QStringLiteral("using video driver: %1").arg(screen ? "surface" : "none"));
    // A driver with a single sound device has freed it now.
    if (prepared && !prepared->session->openHeldSound(error)) {
        couldNotOpenAhead(*prepared, error);
        prepared.reset();
    }
    std::shared_ptr<Opening> next = prepared;
    if (!next) {
        next = beginOpening(fileName, screen, settings);
        if (!finishOpening(*next, error)) {
            dropOpening(*next);
            fail(error);
            if (OnOpenFailed)
                OnOpenFailed(this);
            return false;
        }
    }
    if (prepared)
        log(QStringLiteral("%1 was opened ahead").arg(fileName));
    PlaybackSession& session = *next->session;
    m_fileName = fileName;
    m_formatName = session.formatName();
    m_videoAspect = session.displayAspect();
    const QSize surface = screen ? screen->surfaceSize() : QSize();
    int screenWidth = 0;
    int screenHeight = 0;
    if (OnFileOpen)
        OnFileOpen(this, session.duration(), session.frameWidth(), session.frameHeight(),
                   screenWidth, screenHeight);
    if (screenWidth <= 0 || screenHeight <= 0) {
        screenWidth = surface.width();
        screenHeight = surface.height();
    }
    m_session = std::move(next->session);
    // A start point set by the open handler applies to this opening.
    if (m_open.startTime != next->settings.startTime && m_open.startTime >= 0)
        m_session->seek(m_open.startTime, 0);
    startNotifications(next->notifier);
    if (prepared) {
        // The speed may have changed since it was prepared.
        m_session->setSpeed(m_live.playbackSpeed);
        m_session->release(paused);
        if (old)
            stopWhileDelivering(std::move(old));
    } else if (!m_session->start(error)) {
        fail(error);
        stopSession(false);
        endNotifications();
        return false;
    }
    // Until the playback thread runs and its first state has been delivered; inside a
    // notification handler that state can only come after the handler.
    const auto started = std::chrono::steady_clock::now();
    if (m_deliveryDepth == 0)
        waitDelivering([&] {
            return m_state != psStop ||
                   std::chrono::steady_clock::now() - started > std::chrono::seconds(5);
        });
    return true;
}

TFFPlayer::Preparation TFFPlayer::Prepare(const QString& fileName, VideoSink* screen,
                                          const OpenSettings& settings, QString& error)
{
    OpenSettings held = settings;
    held.paused = true;
    held.held = true;
    if (m_prepared && (!m_prepared->sameAs(fileName, screen, held) ||
                       m_prepared->settings.startTime != held.startTime))
        DropPrepared();
    if (!m_prepared)
        m_prepared = beginOpening(fileName, screen, held);
    Opening& prepared = *m_prepared;
    if (!prepared.done)
        return Preparation::Opening;
    // Its threads start on this thread, as every opening's, once the file is open.
    if (prepared.opened && !prepared.started) {
        prepared.started = prepared.session->start(prepared.error);
        prepared.opened = prepared.started;
    }
    if (!prepared.opened) {
        error = prepared.error;
        return Preparation::Failed;
    }
    return Preparation::Ready;
}

void TFFPlayer::DropPrepared()
{
    const std::shared_ptr<Opening> prepared = std::exchange(m_prepared, nullptr);
    if (!prepared || !prepared->started) {
        if (prepared)
            dropOpening(*prepared);
        return;
    }
    // Its stop (its threads, its sound device) takes a while: on a thread of its own.
    ++*m_droppingElsewhere;
    std::thread([prepared, dropping = m_droppingElsewhere] {
        dropOpening(*prepared);
        --*dropping;
    }).detach();
}

std::shared_ptr<TFFPlayer::Opening>
TFFPlayer::beginOpening(const QString& fileName, VideoSink* screen, const OpenSettings& settings)
{
    auto opening = std::make_shared<Opening>();
    opening->fileName = fileName;
    opening->screen = screen;
    opening->settings = settings;
    PlaybackSession::Callbacks callbacks;
    callbacks.notify = [notifier = opening->notifier](int kind, int64_t value) {
        notifier->ring.push(NotificationRing::Kind(kind), value);
    };
    callbacks.videoHook = [this](QImage& picture, int64_t pts, bool& update) {
        if (OnVideoHook)
            OnVideoHook(this, picture, pts, update);
    };
    callbacks.audioHook = [this](int64_t pts, uint8_t* samples, int bytes, int rate, int channels) {
        if (OnAudioHook)
            OnAudioHook(this, pts, samples, bytes, rate, channels);
    };
    callbacks.log = [this](const QString& line) {
        // From any thread: the log handler must be thread-safe.
        if (OnLog)
            OnLog(this, line);
    };
    opening->session =
        std::make_unique<PlaybackSession>(fileName, settings, m_live, screen, std::move(callbacks));
    std::thread([opening] {
        runAsWorkAhead("opening");
        QString error;
        opening->opened = opening->session->open(error);
        opening->error = error;
        opening->done = true;
    }).detach();
    return opening;
}

bool TFFPlayer::takeOver(Opening& prepared, QString& error)
{
    if (!finishOpening(prepared, error))
        return false;
    if (!prepared.started)
        prepared.started = prepared.session->start(error);
    return prepared.started;
}

void TFFPlayer::couldNotOpenAhead(Opening& prepared, const QString& error)
{
    log(QStringLiteral("%1 could not be opened ahead (%2): it is opened now.")
            .arg(prepared.fileName, error));
    dropOpening(prepared);
}

void TFFPlayer::stopWhileDelivering(std::unique_ptr<PlaybackSession> session)
{
    std::atomic<bool> done{false};
    bool stopped = false;
    std::thread stopper([&] {
        stopped = session->stop();
        done = true;
    });
    waitDelivering([&] { return done.load(); });
    stopper.join();
    if (!stopped)
        PlaybackSession::endWhenRead(std::move(session));
}

bool TFFPlayer::finishOpening(Opening& opening, QString& error)
{
    const auto began = std::chrono::steady_clock::now();
    waitDelivering(
        [&] { return opening.done || std::chrono::steady_clock::now() - began > OpenGiveUp; });
    if (!opening.done) {
        error = QStringLiteral("%1: the file does not answer").arg(opening.fileName);
        return false;
    }
    error = opening.error;
    return opening.opened;
}

void TFFPlayer::dropOpening(Opening& opening)
{
    if (!opening.session)
        return;
    if (!opening.done) {
        // The opening thread ends the session when the file answers at last.
        opening.session->switchCallbacksOff();
        return;
    }
    if (opening.started && !opening.session->stop())
        PlaybackSession::endWhenRead(std::move(opening.session));
    opening.session.reset();
}

void TFFPlayer::stopSession(bool keepOpenSettings)
{
    if (m_session) {
        // The playback thread queues psStop on its way out. A reading thread stuck in a file
        // that does not answer is left to end on its own.
        if (!m_session->stop())
            PlaybackSession::endWhenRead(std::move(m_session));
        m_session.reset();
    }
    m_fileName.clear();
    m_formatName.clear();
    m_videoAspect = 0;
    if (!keepOpenSettings) {
        m_open.startTime = INT64_MIN;
        m_live.verticalFlip = false;
    }
}

void TFFPlayer::Stop(bool waitForStop)
{
    Q_UNUSED(waitForStop); // the threads end within a few milliseconds: always waited for
    DropPrepared();
    stopSession(false);
    endNotifications();
}

void TFFPlayer::startNotifications(const std::shared_ptr<Notifier>& notifier)
{
    notifier->previous = m_retired.empty() ? nullptr : m_retired.back();
    notifier->thread = std::thread([this, raw = notifier.get()] {
        // What an older opening still has to say comes first.
        while (raw->previous && raw->previous->running && !raw->ending)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        for (;;) {
            const auto entry = raw->ring.take(std::chrono::milliseconds(100));
            if (entry && entry->kind != NotificationRing::Kind::EndOfDelivery) {
                deliver(*raw, int(entry->kind), entry->value);
                if (raw->stopDelivered)
                    break;
                continue;
            }
            if (raw->ending) { // ended from outside: psStop on the way out
                if (!raw->stopDelivered)
                    deliver(*raw, int(NotificationRing::Kind::State), psStop);
                break;
            }
        }
        raw->running = false;
    });
    m_notifier = notifier;
}

void TFFPlayer::endNotifications()
{
    if (m_notifier) {
        m_notifier->ending = true;
        m_notifier->ring.push(NotificationRing::Kind::EndOfDelivery, 0);
        m_retired.push_back(std::move(m_notifier));
    }
    // A notifier that is delivering to a handler up the stack ends after that handler.
    if (m_deliveryDepth > 0)
        return;
    waitDelivering([this] {
        for (const auto& notifier : m_retired)
            if (notifier->running)
                return false;
        return true;
    });
    for (const auto& notifier : m_retired)
        notifier->thread.join();
    m_retired.clear();
}

void TFFPlayer::deliver(Notifier& notifier, int kind, int64_t value)
{
    const auto handle = [this, &notifier, kind, value] {
        // Also when a handler throws: the exception ends at the event loop's last-resort catch,
        // and the player must still know that no handler runs.
        ++m_deliveryDepth;
        const auto leave = qScopeGuard([this] { --m_deliveryDepth; });
        if (kind == int(NotificationRing::Kind::State)) {
            notifier.stopDelivered = notifier.stopDelivered || value == psStop;
            m_state = TPlayState(value);
            if (OnState)
                OnState(this, TPlayState(value));
        } else if (kind == int(NotificationRing::Kind::ReadError)) {
            if (OnReadError)
                OnReadError(this, value);
        } else if (OnPosition) {
            OnPosition(this, value);
        }
    };
    QMetaObject::invokeMethod(this, handle, Qt::BlockingQueuedConnection);
}

void TFFPlayer::waitDelivering(const std::function<bool()>& done)
{
    // The operator's clicks and keys wait until the operation returns; commands check
    // PlayerWait and wait as well.
    const PlayerWait wait;
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 5);
        QThread::usleep(500);
    }
}

void TFFPlayer::Pause()
{
    if (m_session && !m_session->paused()) {
        m_session->togglePause();
        m_notifier->ring.push(NotificationRing::Kind::State, psPause);
    }
}

void TFFPlayer::Resume()
{
    if (m_session && m_session->paused()) {
        m_session->togglePause();
        m_notifier->ring.push(NotificationRing::Kind::State, psResume);
    }
}

void TFFPlayer::TogglePause()
{
    if (!m_session)
        return;
    const bool paused = m_session->togglePause();
    m_notifier->ring.push(NotificationRing::Kind::State, paused ? psPause : psResume);
}

void TFFPlayer::StepToNextFrame()
{
    if (!m_session)
        return;
    if (m_state != psStep || !m_session->paused())
        m_notifier->ring.push(NotificationRing::Kind::State, psStep);
    m_session->stepToNextFrame();
}

void TFFPlayer::Seek(int64_t pts, TSeekFlags flags, bool waitForSeekEnd)
{
    Q_UNUSED(waitForSeekEnd);
    if (m_session && pts != INT64_MIN && pts >= 0)
        m_session->seek(pts, flags);
}

bool TFFPlayer::SendVideoFilterCommand(const QString& target, const QString& cmd,
                                       const QString& arg, int flags)
{
    if (!m_session) {
        log("avfilter_graph_send_command() failed");
        return false;
    }
    return m_session->sendFilterCommand(target, cmd, arg, flags);
}

bool TFFPlayer::CheckVideoFilters(const QString& filters, QString& error) const
{
    return !m_session || m_session->checkFilters(filters, m_open.deinterlace, error);
}

bool TFFPlayer::ChangeVideoFilters(const QString& filters)
{
    if (!m_session || m_session->paused() || (m_state != psPlay && m_state != psResume) ||
        !m_session->changeFilters(filters, m_open.deinterlace))
        return false;
    m_open.videoFilters = filters;
    return true;
}

QImage TFFPlayer::CurrentFrame(const QSize& size)
{
    return m_session ? m_session->currentFrame(size) : QImage();
}

void TFFPlayer::UpdateScreenPosition()
{
    if (m_session)
        m_session->updateScreenPosition();
}

int TFFPlayer::VideoStreamIndex() const
{
    return m_session ? m_session->videoStreamIndex() : -1;
}

void TFFPlayer::setAspectRatio(float ratio)
{
    if (ratio == m_live.aspectRatio)
        return;
    m_live.aspectRatio = ratio;
    UpdateScreenPosition();
}

void TFFPlayer::setBackColor(unsigned colour)
{
    m_live.backColor = colour;
    UpdateScreenPosition();
}

void TFFPlayer::setPlaybackSpeed(double speed)
{
    m_live.playbackSpeed = speed;
    if (m_session)
        m_session->setSpeed(speed);
}

void TFFPlayer::setStartTime(int64_t microseconds)
{
    const bool changed = microseconds != m_open.startTime;
    m_open.startTime = microseconds;
    if (changed && m_session && microseconds >= 0)
        m_session->seek(microseconds, 0);
}

int64_t TFFPlayer::CurrentPTS() const
{
    return m_session ? m_session->currentPts() : -1;
}

bool TFFPlayer::Paused() const
{
    return !m_session || m_session->paused();
}

int TFFPlayer::FramesDropped() const
{
    return m_session ? m_session->droppedFrames() : 0;
}

double TFFPlayer::ClockDrift() const
{
    return m_session ? m_session->clockDrift() : NAN;
}
