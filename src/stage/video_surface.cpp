#include "stage/video_surface.h"

#include <QPainter>

VideoSurface::VideoSurface(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    m_size = size();
}

QSize VideoSurface::surfaceSize() const
{
    QMutexLocker lock(&m_mutex);
    return m_size;
}

void VideoSurface::present(const QImage& picture, const QRect& target, const QColor& background)
{
    {
        QMutexLocker lock(&m_mutex);
        m_picture = picture; // shared: the player draws the next picture into a new image
        m_target = target;
        m_background = background;
        ++m_presented;
    }
    scheduleRepaint();
}

void VideoSurface::clear(const QColor& background)
{
    {
        QMutexLocker lock(&m_mutex);
        m_picture = QImage();
        m_background = background;
    }
    scheduleRepaint();
}

bool VideoSurface::showsPicture() const
{
    QMutexLocker lock(&m_mutex);
    return !m_picture.isNull();
}

QImage VideoSurface::picture() const
{
    QMutexLocker lock(&m_mutex);
    return m_picture;
}

void VideoSurface::scheduleRepaint()
{
    QMutexLocker lock(&m_mutex);
    if (m_repaintPending)
        return;
    m_repaintPending = true;
    QMetaObject::invokeMethod(
        this, [this] { update(); }, Qt::QueuedConnection);
}

qint64 VideoSurface::presentedCount() const
{
    QMutexLocker lock(&m_mutex);
    return m_presented;
}

qint64 VideoSurface::paintedCount() const
{
    QMutexLocker lock(&m_mutex);
    return m_painted;
}

void VideoSurface::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QMutexLocker lock(&m_mutex);
    m_repaintPending = false;
    painter.fillRect(rect(), m_background);
    if (!m_picture.isNull()) {
        painter.drawImage(m_target.topLeft(), m_picture);
        ++m_painted;
    }
}

void VideoSurface::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    QMutexLocker lock(&m_mutex);
    m_size = size();
}
