#pragma once

#include <QElapsedTimer>
#include <QObject>

class QTimer;

// The tick of a dissolve, 60 times a second measured from the start: the first tick comes at
// once, tick k at k / 60 s. A late tick does not push the later ones back: the ticks that are
// due run together, so a dissolve of N + 1 ticks ends N / 60 s after it began.
class DissolveTimer : public QObject {
    Q_OBJECT
public:
    explicit DissolveTimer(QObject* parent = nullptr);

    void start();
    void stop();
    bool isActive() const { return m_active; }

signals:
    void timeout();

private:
    void fire();
    qint64 nextDue() const; // the next tick's time, nanoseconds from the start

    QTimer* m_timer;
    QElapsedTimer m_clock;
    qint64 m_ticks = 0;
    bool m_active = false;
};
