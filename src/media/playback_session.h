#pragma once

#include "media/ffmpeg_types.h"
#include "media/frame_queue.h"
#include "media/media_clock.h"
#include "media/packet_queue.h"
#include "media/picture_presenter.h"
#include "media/player_types.h"
#include "media/stream_decoder.h"

#include <QImage>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class SoundOutput;
class VideoFilterGraph;
class VideoSink;

// One opened file of a player. The session reads the file and paces the pictures; its parts
// are each a class: a StreamDecoder per stream (with its packet queue), the
// VideoFilterGraph, the SoundOutput (with the time stretch) and the PicturePresenter, with
// the frame queues and clocks between them.
//
// Threads and what they own:
// - the reading thread fills the packet queues, handles seek requests and notices a file
//   that breaks off;
// - the decoding threads fill the frame queues (pictures through the filter graph);
// - the playback thread shows pictures, runs the video and external clocks, reports
//   positions, the end and the states psPlay / psPause / psStop;
// - the sound thread (SDL) takes sound frames and runs the audio clock.
// The picture decoding (with its filter graph) and the opening run a rank below the others
// (thread_rank.h): they work ahead, the others must be on time.
// The user-interface thread calls the public operations; they only set requests and flags
// (under m_control, or atomic) that the threads pick up; no thread writes another's own
// state. Calls go down the hierarchy, wake-ups go up.
class PlaybackSession {
public:
    struct Callbacks {
        // 1 position, 2 state, 3 the file cannot be read past this position (then the end)
        std::function<void(int kind, int64_t value)> notify;
        std::function<void(QImage& picture, int64_t pts, bool& update)> videoHook;
        std::function<void(int64_t pts, uint8_t* samples, int bytes, int rate, int channels)>
            audioHook;
        std::function<void(const QString& line)> log;
    };

    PlaybackSession(const QString& fileName, const OpenSettings& settings, LiveSettings& live,
                    VideoSink* sink, Callbacks callbacks);
    ~PlaybackSession();
    PlaybackSession(const PlaybackSession&) = delete;
    PlaybackSession& operator=(const PlaybackSession&) = delete;

    // Opens the input and its decoders; false with the reason in `error`.
    bool open(QString& error);
    // Starts the threads; playback begins (or waits, when opened paused).
    bool start(QString& error);
    // The sound device of a session opened held: opened by start() when it could be, else
    // now. False, with the reason, when the file has sound and no device can be had.
    bool openHeldSound(QString& error);
    // Whether it has its sound device, or has no sound.
    bool soundReady() const { return m_audioStream < 0 || m_sound; }
    // Shows nothing more from now on (another opening takes its screen over); a picture being
    // shown is finished first.
    void leaveScreen() { m_presenter.leaveSink(); }
    // Ends every thread and waits for them. The playback thread reports psStop on its way.
    // The reading thread may be stuck in the file (a share that stopped answering): it is
    // waited for ReadGiveUp at most, and false says it is still reading; then the session
    // must not be destroyed here but handed to endWhenRead().
    bool stop();
    // Ends a session whose reading thread (or opening) is stuck in the file: its callbacks
    // are switched off at once, and the session is destroyed on another thread once the
    // read returns. The caller goes on at once.
    static void endWhenRead(std::unique_ptr<PlaybackSession> session);
    // Sessions made and not yet destroyed (those left to end on their own included).
    static int alive();
    // No callback is called any more (their owner is going away while a read is stuck).
    void switchCallbacksOff();

    const QString& fileName() const { return m_fileName; }
    int64_t duration() const;  // microseconds, 0 or less when unknown
    int64_t startTime() const; // the file's first time stamp, microseconds
    int frameWidth() const;    // -1 without video
    int frameHeight() const;
    // Width x sample aspect / height of the video stream (a sample aspect with a zero part
    // counts as 1); 0 without video.
    double displayAspect() const;
    int videoStreamIndex() const { return m_videoStream; }
    QString formatName() const;
    int64_t currentPts() const { return m_currentPts; } // microseconds, -1 before the first

    bool paused() const { return m_paused; }
    // A session opened held (OpenSettings::held) shows its first picture now, and plays on
    // unless `paused`.
    void release(bool paused);
    // Pauses or resumes; returns the new paused state.
    bool togglePause();
    // Shows the next picture, then pauses again.
    void stepToNextFrame();
    void seek(int64_t microseconds, TSeekFlags flags);
    bool sendFilterCommand(const QString& target, const QString& command, const QString& argument,
                           int flags);
    // Whether FFmpeg builds this filter text on the video stream's picture size and format,
    // as an opening would; `error` holds FFmpeg's reason when it does not.
    bool checkFilters(const QString& filters, bool deinterlace, QString& error) const;
    // Takes this filter text from the next decoded picture on, without re-opening: the
    // pictures already filtered are shown as they are, and the clip plays on without a gap.
    // Commands sent meanwhile go to the new filters. When FFmpeg refuses the text after all,
    // the graph in use stays (and the log says why). False, with nothing changed, when the
    // video stream has no picture left to decode (a still, the end of a clip).
    bool changeFilters(const QString& filters, bool deinterlace);
    // The picture on screen in 32-bit RGB; empty when none.
    QImage currentFrame(const QSize& size = {});
    // The output surface was moved or resized.
    void updateScreenPosition()
    {
        m_forceRefresh = true;
        m_redrawLast = true;
    }
    void setSpeed(double speed);
    // Pictures dropped because they were late, since the start.
    int droppedFrames() const { return m_dropped; }
    // Picture clock minus sound clock, seconds (NAN without both).
    double clockDrift() const { return m_videoClock.get() - m_audioClock.get(); }

private:
    void readLoop();
    // Whether the reading that ended with `readResult` at `reached` (microseconds) broke off
    // before the file's end: a read error, or data shorter than the file says.
    bool brokenOff(int64_t reached, int readResult) const;
    void videoDecodeLoop();
    void audioDecodeLoop();
    void playbackLoop();
    bool checkFilterGraph(QString& error);
    // A frame of the video stream's size and format, without data; null when not known yet.
    FramePtr streamPicture() const;
    // Opens the sound device, paused as the session is; nothing changes when it cannot.
    bool openSound(QString& error);
    void refreshVideo(double& remaining);
    // The delay before the next picture, kept in step with the master clock.
    double pictureDelay(double duration) const;
    // Whether `frame`, its time passed, is far enough behind to be dropped.
    bool mayDropLatePicture(const DecodedFrame& frame) const;
    double frameDuration(const DecodedFrame& frame, const DecodedFrame& next) const;
    double masterClock() const;
    int masterSync() const;
    void reportPosition(double seconds, bool force);
    // Pauses or resumes the clocks and the sound device; under m_control.
    void setPausedLocked(bool pausing);
    void checkEnd();
    void notify(int kind, int64_t value);
    void log(const QString& line) const;
    // Called by the playback thread: a read that has not returned for StalledReadLimit ends
    // the clip as if the file broke off there.
    void checkStalledRead();
    // The end of the input to the decoders.
    void queueEnd();

    QString m_fileName;
    OpenSettings m_settings;
    LiveSettings& m_live;
    Callbacks m_callbacks;
    mutable std::mutex m_callbackGate;
    bool m_callbacksOff = false; // under m_callbackGate

    FormatContextPtr m_format;
    int m_videoStream = -1;
    int m_audioStream = -1;
    StreamDecoder m_video;
    StreamDecoder m_audio;
    std::unique_ptr<FrameQueue> m_pictures;
    std::unique_ptr<FrameQueue> m_sounds;
    MediaClock m_audioClock;
    MediaClock m_videoClock;
    MediaClock m_externalClock;

    std::unique_ptr<VideoFilterGraph> m_filterGraph; // with a video stream
    // Made by start() with a sound stream (or, opened held, by openHeldSound()), ended by
    // stop() after the other threads; set under m_control, as the playback thread pauses it
    // after a step.
    std::unique_ptr<SoundOutput> m_sound;
    PicturePresenter m_presenter;

    // Playback thread's own state: no other thread reads or writes it. What other threads
    // want changed in it they ask for (m_pausedFor, m_seeksDone) and the playback thread
    // takes it over.
    double m_frameTimer = 0;
    double m_maxFrameDuration = 10.0;
    int64_t m_lastReported = INT64_MIN;
    bool m_clamped = false;
    bool m_endReported = false;
    int m_seeksSeen = 0;
    bool m_firstPictureShown = false;
    double m_playingSince = 0;   // when play first went on unpaused (MediaClock time), 0 before
    bool m_dropsAllowed = false; // the start's time without drops is over
    // Off while opened paused, until resumed (user-interface thread) or sought (playback
    // thread); it only ever turns on.
    std::atomic<bool> m_reportPositions;
    std::atomic<int64_t> m_currentPts{-1};
    std::atomic<int> m_dropped{0};

    // Requests from the user-interface thread, and the seeks done by the reading thread.
    std::mutex m_control;
    // Time spent paused that the picture timer has still to skip (under m_control).
    double m_pausedFor = 0;
    // Seeks done so far: a new one lets the end be reported again (written by the reading
    // thread only).
    std::atomic<int> m_seeksDone{0};
    std::condition_variable m_wake;
    std::atomic<bool> m_abort{false};
    // Written under m_control (user-interface thread, or the playback thread after a step).
    std::atomic<bool> m_paused{false};
    std::atomic<int> m_steps{0}; // pictures still to show before pausing (under m_control)
    std::atomic<bool> m_forceRefresh{false};
    // The surface changed or the hook has new marks: the last picture again when none is new.
    std::atomic<bool> m_redrawLast{false};
    // Opened held: no picture is shown until release() (under m_control).
    std::atomic<bool> m_held{false};
    bool m_seekRequested = false;
    int64_t m_seekTarget = 0;
    // The last exact seek: its time in the stream's seconds and the packet serials it applies
    // to (-1: none); read by the decoding threads.
    std::atomic<double> m_exactTarget{0};
    std::atomic<int> m_exactVideoSerial{-1};
    std::atomic<int> m_exactAudioSerial{-1};
    TSeekFlags m_seekFlags = 0;
    std::atomic<bool> m_eof{false};
    // Written by the reading thread: since when (MediaClock time) its current read or seek
    // waits for the file, 0 when it does not; how far the packets read since the opening or
    // the last seek reach (microseconds from the start); and that it has ended.
    std::atomic<double> m_readingSince{0};
    std::atomic<int64_t> m_reached{0};
    bool m_readEnded = false; // under m_control
    // Set once by the playback thread when a read stalled: the end is queued for the reader,
    // which stops reading when its read returns.
    std::atomic<bool> m_stalled{false};
    std::atomic<bool> m_started{false};

    std::thread m_readThread;
    std::thread m_playbackThread;
};
