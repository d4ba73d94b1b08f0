#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>

// Where a player's pictures go: an output surface that paints the latest picture it was
// given. The player calls these from its playback thread; implementations hand the picture
// over to their own thread.
class VideoSink {
public:
    virtual ~VideoSink() = default;
    // The surface's size in pixels, as last known (thread-safe).
    virtual QSize surfaceSize() const = 0;
    // A picture already scaled to `target`, centred on the surface; the rest is `background`.
    // The player does not draw into a picture it has presented, so it may be kept as it is.
    virtual void present(const QImage& picture, const QRect& target, const QColor& background) = 0;
    // Nothing to show: the whole surface in `background`.
    virtual void clear(const QColor& background) = 0;
};
