#pragma once

#include "media/ffmpeg_types.h"

#include <QImage>
#include <QString>
#include <functional>
#include <mutex>

struct LiveSettings;
class VideoSink;

// Puts the pictures of one opening on its video sink: the display rectangle for the aspect
// asked for, centred on the surface, the video hook's drawing, the scaling to that rectangle
// and the vertical flip. Keeps the picture on screen for currentFrame().
//
// Threads: present() on the playback thread, which owns the scaler; currentFrame() and
// leaveSink() on any thread (the picture on screen and the sink are each under a lock).
class PicturePresenter {
public:
    // Draws on the picture (32-bit RGB, its own size) whose time is `pts` microseconds when
    // the live settings ask for it; `update` false shows the picture as it came.
    using Hook = std::function<void(QImage& picture, int64_t pts, bool& update)>;

    PicturePresenter(VideoSink* sink, const LiveSettings& live, Hook hook,
                     std::function<void(const QString& line)> log);

    // Shows this picture, whose time is `pts` seconds.
    void present(const AVFrame* frame, double pts);
    // Shows nothing more on the sink; returns once a picture being shown is on it.
    void leaveSink();
    // The picture on screen in 32-bit RGB, at its own size or scaled to `size`; empty when
    // none.
    QImage currentFrame(const QSize& size = {});

private:
    std::mutex m_sinkMutex; // held while a picture goes to the sink
    VideoSink* m_sink;
    const LiveSettings& m_live;
    Hook m_hook;
    std::function<void(const QString& line)> m_log;
    SwsContextPtr m_scaler;
    std::mutex m_shownMutex;
    FramePtr m_shown;
};
