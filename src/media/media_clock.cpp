#include "media/media_clock.h"

extern "C" {
#include <libavutil/time.h>
}

double MediaClock::now()
{
    return double(av_gettime_relative()) / 1000000.0;
}

double MediaClock::getLocked() const
{
    if (m_queueSerial && *m_queueSerial != m_serial)
        return NAN;
    if (m_paused)
        return m_pts;
    const double time = now();
    return m_drift + time - (time - m_lastUpdated) * (1.0 - m_speed);
}

void MediaClock::setAtLocked(double pts, int serial, double time)
{
    m_pts = pts;
    m_lastUpdated = time;
    m_drift = pts - time;
    m_serial = serial;
}

double MediaClock::get() const
{
    std::lock_guard lock(m_mutex);
    return getLocked();
}

void MediaClock::setAt(double pts, int serial, double time)
{
    std::lock_guard lock(m_mutex);
    setAtLocked(pts, serial, time);
}

void MediaClock::set(double pts, int serial)
{
    setAt(pts, serial, now());
}

void MediaClock::setSpeed(double speed)
{
    std::lock_guard lock(m_mutex);
    setAtLocked(getLocked(), m_serial, now());
    m_speed = speed;
}

void MediaClock::setPaused(bool paused)
{
    std::lock_guard lock(m_mutex);
    if (paused == m_paused)
        return;
    if (paused)
        m_pts = getLocked();
    m_paused = paused;
    if (!paused)
        setAtLocked(m_pts, m_serial, now());
}

int MediaClock::serial() const
{
    std::lock_guard lock(m_mutex);
    return m_serial;
}

double MediaClock::lastUpdated() const
{
    std::lock_guard lock(m_mutex);
    return m_lastUpdated;
}

void MediaClock::syncTo(const MediaClock& other, double threshold)
{
    const double theirs = other.get();
    const int theirSerial = other.serial();
    std::lock_guard lock(m_mutex);
    const double mine = getLocked();
    if (!std::isnan(theirs) && (std::isnan(mine) || std::fabs(mine - theirs) > threshold))
        setAtLocked(theirs, theirSerial, now());
}
