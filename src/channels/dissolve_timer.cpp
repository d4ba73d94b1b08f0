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
    ++m_ticks;
    emit timeout(); // may stop or restart the timer
    if (m_active && !m_timer->isActive())
        scheduleNext();
}

void DissolveTimer::scheduleNext()
{
    const qint64 due = m_ticks * 1000000000LL / Fade::TicksPerSecond;
    const qint64 wait = (due - m_clock.nsecsElapsed() + 999999) / 1000000; // never early
    m_timer->start(int(std::max<qint64>(wait, 0)));
}
