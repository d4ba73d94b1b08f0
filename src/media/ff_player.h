#pragma once

#include "media/player_types.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

class NotificationRing;
class PlaybackSession;
struct Notifier;
class VideoSink;

// A media player: opens a file, shows its pictures on a video sink and plays its sound on an
// audio device of its own, at its time, and reports positions and states.
//
// Threads: every operation is called on the user-interface thread, which also receives
// OnFileOpen, OnPosition, OnState, OnOpenFailed and OnReadError. A notification thread per opening
// takes positions and states from a ring and delivers them synchronously on the user-interface
// thread; while the user-interface thread waits for the player (Stop, Open) it keeps
// delivering them. OnVideoHook runs on the playback thread, OnAudioHook on the sound thread.
//
// Inside those waits the event loop runs nested, and only this may happen there: the
// notifications of this and the other players (their handlers may open, stop or seek a
// player; an Open asked for inside this player's own Open is refused), timers, network and
// device reads that only queue their work, and painting. The operator's input waits until
// the operation returns, and so do script lines, MIDI and DMX commands (PlayerWait).
class TFFPlayer : public QObject {
    Q_OBJECT
public:
    explicit TFFPlayer(QObject* parent = nullptr);
    ~TFFPlayer() override;

    int Tag = 0; // the channel: 1 Player A, 2 Player B

    // The libraries are linked with the program: these succeed at once.
    static bool AVLibLoaded() { return true; }
    static bool LoadAVLib(const QString&, bool) { return true; }
    bool SDLLibLoaded() const { return true; }
    bool LoadSDLLib(const QString&, const QString&) { return true; }

    // Opens the file and starts it (paused or playing). An opening prepared for it (Prepare)
    // is taken over: its first picture replaces the picture on the screen at once.
    bool Open(const QString& fileName, VideoSink* screen, bool paused);
    // Keeps this opening prepared for an Open to come, while the current one plays on: the
    // file is opened on a thread of its own, then started paused with its first picture
    // decoded and not shown. An Open of the same file on the same screen, with the same
    // filters, deinterlacing and sound channels, takes it over; any other Open, a Stop or a
    // preparation of something else drops it. Called again with the same opening (as it
    // plays on), it only looks how the preparation goes; the reason is in `error` when the
    // file cannot be opened.
    enum class Preparation { Opening, Ready, Failed };
    Preparation Prepare(const QString& fileName, VideoSink* screen, const OpenSettings& settings,
                        QString& error);
    // Drops the prepared opening; a started one stops on a thread of its own.
    void DropPrepared();
    void Stop(bool waitForStop);
    void Pause();
    void Resume();
    void TogglePause();
    void StepToNextFrame();
    void Seek(int64_t pts, TSeekFlags flags = 0, bool waitForSeekEnd = false);
    bool SendVideoFilterCommand(const QString& target, const QString& cmd, const QString& arg,
                                int flags = 0);
    // Whether the open file's picture would pass through this filter text (with the
    // deinterlace setting now set); `error` holds FFmpeg's reason when not. True with no file.
    bool CheckVideoFilters(const QString& filters, QString& error) const;
    // Takes this filter text on the clip as it plays, from its next picture on, without
    // re-opening it; false (and nothing changed) unless a clip plays unpaused.
    bool ChangeVideoFilters(const QString& filters);
    // The picture on screen, at its own size or scaled to `size` (a preview needs no more).
    QImage CurrentFrame(const QSize& size = {});
    void UpdateScreenPosition();
    int VideoStreamIndex() const;

    // Properties.
    float AspectRatio() const { return m_live.aspectRatio; }
    void setAspectRatio(float ratio);
    int AudioVolume() const { return m_live.audioVolume; }
    void setAudioVolume(int volume) { m_live.audioVolume = std::clamp(volume, 0, 128); }
    bool Mute() const { return m_live.mute; }
    void setMute(bool mute) { m_live.mute = mute; }
    bool AudioHook() const { return m_live.audioHook; }
    void setAudioHook(bool on) { m_live.audioHook = on; }
    bool VideoHook() const { return m_live.videoHook; }
    void setVideoHook(bool on) { m_live.videoHook = on; }
    bool VerticalFlip() const { return m_live.verticalFlip; }
    void setVerticalFlip(bool on) { m_live.verticalFlip = on; }
    bool Deinterlace() const { return m_open.deinterlace; }
    void setDeinterlace(bool on) { m_open.deinterlace = on; }
    QString VideoFilters() const { return m_open.videoFilters; }
    void setVideoFilters(const QString& filters) { m_open.videoFilters = filters; }
    TAudioDriver AudioDriver = adDefault;
    TVideoDriver VideoDriver = vdDefault;
    // Channels of the sound device at the next Open: 2, or 6 for a 5.1 output.
    int AudioChannels() const { return m_open.audioChannels; }
    void setAudioChannels(int channels) { m_open.audioChannels = channels; }
    double PlaybackSpeed() const { return m_live.playbackSpeed; }
    void setPlaybackSpeed(double speed);
    bool EnableAudioSpeed() const { return m_live.enableAudioSpeed; }
    void setEnableAudioSpeed(bool on) { m_live.enableAudioSpeed = on; }
    Tav_sync_type SyncType() const { return Tav_sync_type(m_live.syncType.load()); }
    void setSyncType(Tav_sync_type type) { m_live.syncType = type; }
    int64_t StartTime() const { return m_open.startTime; }
    void setStartTime(int64_t microseconds);
    unsigned BackColor() const { return m_live.backColor; }
    void setBackColor(unsigned colour);
    int64_t PositionInterval() const { return m_live.positionInterval; }
    void setPositionInterval(int64_t microseconds) { m_live.positionInterval = microseconds; }
    int64_t CurrentPTS() const;
    TPlayState PlayState() const { return m_state; }
    bool Paused() const;
    QString FileName() const { return m_fileName; }
    // The open file's container format ("mov,mp4,m4a,3gp,3g2,mj2" ...), empty when closed.
    QString FormatName() const { return m_formatName; }
    // The open video's display aspect (width x sample aspect / height), 0 without video.
    double VideoAspect() const { return m_videoAspect; }
    // Pictures dropped for lateness, and the picture clock minus the sound clock in seconds,
    // of the current opening (for measurements).
    int FramesDropped() const;
    double ClockDrift() const;
    // The last failure, as reported to the log.
    QString LastError() const { return m_lastError; }

    // Notifications (see the class comment for their threads). The hooks and the log handler
    // are read by the player's threads: set them before Open and switch the hooks with
    // setVideoHook / setAudioHook.
    std::function<void(TFFPlayer* sender, int64_t duration, int frameWidth, int frameHeight,
                       int& screenWidth, int& screenHeight)>
        OnFileOpen;
    std::function<void(TFFPlayer* sender, int64_t pts)> OnPosition;
    std::function<void(TFFPlayer* sender, TPlayState state)> OnState;
    std::function<void(TFFPlayer* sender)> OnOpenFailed;
    // The playing file cannot be read past `reached` (microseconds): a read error, or its
    // data ends before the length it declares (truncated, cut off while playing). Once per
    // opening; the end of the clip (psEnd) follows as at the file's end.
    std::function<void(TFFPlayer* sender, int64_t reached)> OnReadError;
    std::function<void(TFFPlayer* sender, QImage& picture, int64_t pts, bool& update)> OnVideoHook;
    std::function<void(TFFPlayer* sender, int64_t pts, uint8_t* samples, int bytes, int rate,
                       int channels)>
        OnAudioHook;
    // Every log line of the player (also its failures).
    std::function<void(TFFPlayer* sender, const QString& line)> OnLog;

private:
    struct Opening;

    void fail(const QString& message);
    void log(const QString& line);
    void stopSession(bool keepOpenSettings);
    // Opens a session on a thread of its own, so that a file that does not answer (a network
    // share gone) cannot hold the console.
    std::shared_ptr<Opening> beginOpening(const QString& fileName, VideoSink* screen,
                                          const OpenSettings& settings);
    // Waits, delivering, until the opening is done; it is given up after a few seconds. False
    // with the reason in `error` when the file did not open.
    bool finishOpening(Opening& opening, QString& error);
    // Makes a prepared opening ready to be shown: open and started.
    bool takeOver(Opening& prepared, QString& error);
    // Says why, and drops it.
    void couldNotOpenAhead(Opening& prepared, const QString& error);
    // Stops a session on a thread of its own while delivering, so that the screen is painted
    // meanwhile; a reading thread stuck in the file is left to end on its own.
    void stopWhileDelivering(std::unique_ptr<PlaybackSession> session);
    // Ends an opening wherever it is: still opening, open, or started.
    static void dropOpening(Opening& opening);
    void startNotifications(const std::shared_ptr<Notifier>& notifier);
    void endNotifications();
    void deliver(Notifier& notifier, int kind, int64_t value);
    // Waits for `done` while delivering the notifications that wait for this thread.
    void waitDelivering(const std::function<bool()>& done);

    LiveSettings m_live;
    OpenSettings m_open;
    std::unique_ptr<PlaybackSession> m_session;
    std::shared_ptr<Opening> m_prepared; // the opening prepared for the next Open, if any
    // Prepared openings being dropped on threads of their own.
    std::shared_ptr<std::atomic<int>> m_droppingElsewhere = std::make_shared<std::atomic<int>>(0);
    // The notifier of the current opening, and older ones still finishing a delivery (when a
    // handler stopped or reopened the player from inside a notification).
    std::shared_ptr<Notifier> m_notifier;
    std::vector<std::shared_ptr<Notifier>> m_retired;
    int m_deliveryDepth = 0; // > 0 while a notification handler runs
    std::atomic<TPlayState> m_state{psStop};
    bool m_opening = false;
    QString m_fileName;
    QString m_formatName;
    double m_videoAspect = 0;
    QString m_lastError;
};
