#pragma once

#include "media/video_sink.h"

#include <QMutex>
#include <QMutexLocker>

// A video sink of a fixed size that keeps what it was given, for tests to look at.
class RecordingSink : public VideoSink {
public:
    explicit RecordingSink(QSize size = {320, 240})
        : m_size(size)
    {
    }

    QSize surfaceSize() const override { return m_size; }
    void present(const QImage& picture, const QRect& target, const QColor&) override
    {
        QMutexLocker lock(&m_mutex);
        m_picture = picture.copy();
        m_target = target;
        ++m_count;
    }
    void clear(const QColor&) override {}

    int count() const
    {
        QMutexLocker lock(&m_mutex);
        return m_count;
    }
    QImage picture() const
    {
        QMutexLocker lock(&m_mutex);
        return m_picture;
    }
    QRect target() const
    {
        QMutexLocker lock(&m_mutex);
        return m_target;
    }

private:
    QSize m_size;
    mutable QMutex m_mutex;
    QImage m_picture;
    QRect m_target;
    int m_count = 0;
};
