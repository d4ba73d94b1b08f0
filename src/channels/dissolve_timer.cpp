#include "channels/dissolve_timer.h"

#include "channels/fade.h"

#include <QTimer>

DissolveTimer::DissolveTimer(QObject* parent)
    : QObject(parent)
    , m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &DissolveTimer::fire);
}

void DissolveTimer::start()
{
    if (m_active)
        return;
    m_active = true;
    m_ticks = 0;
    m_clock.start();
    m_timer->start(0);
}

void DissolveTimer::stop()
{
    m_active = false;
    m_timer->stop();
}

void DissolveTimer::fire()
{
    // Every tick that is due runs now, one after the other: when the user-interface thread
    // was held (a window waiting on the window system), the steps come late but the
    // dissolve still ends on time.
    do {
        ++m_ticks;
        emit timeout(); // may stop or restart the timer
    } while (m_active && !m_timer->isActive() && nextDue() <= m_clock.nsecsElapsed());
    if (m_active && !m_timer->isActive()) {
        const qint64 wait = (nextDue() - m_clock.nsecsElapsed() + 999999) / 1000000; // never early
        m_timer->start(int(std::max<qint64>(wait, 0)));
    }
}

qint64 DissolveTimer::nextDue() const
{
    return m_ticks * 1000000000LL / Fade::TicksPerSecond;
}
