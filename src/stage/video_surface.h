#pragma once

#include "media/video_sink.h"

#include <QMutex>
#include <QWidget>

// A widget that shows the latest picture a player presented on it. The player presents from
// its playback thread; the picture is kept under a lock and painted on the user-interface
// thread at the next repaint.
class VideoSurface : public QWidget, public VideoSink {
    Q_OBJECT
public:
    explicit VideoSurface(QWidget* parent = nullptr);

    QSize surfaceSize() const override;
    void present(const QImage& picture, const QRect& target, const QColor& background) override;
    void clear(const QColor& background) override;

    // A picture is on the surface (not only its background colour).
    bool showsPicture() const;
    // The latest picture presented, null when none (for benchmarks and tests).
    QImage picture() const;
    // How many pictures were presented and painted (for benchmarks and tests).
    qint64 presentedCount() const;
    qint64 paintedCount() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void scheduleRepaint();

    mutable QMutex m_mutex; // guards everything below
    QImage m_picture;
    QRect m_target;
    QColor m_background = Qt::black;
    QSize m_size;
    qint64 m_presented = 0;
    qint64 m_painted = 0;
    bool m_repaintPending = false;
};
