#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QMetaEnum>
#include <QTimer>
#include <algorithm>
#include <map>
#include <vector>

// Where the user-interface thread's time goes: every event handled at the top of the event
// loop is timed by what received it, and a probe timer due every millisecond measures how
// late the loop comes back to it (its lag). Times are nanoseconds on one clock, `clock`.
class TimedApplication : public QApplication {
public:
    struct Handling {
        qint64 at;   // when it began
        qint64 took; // how long it ran
        QString what;
    };
    struct Lag {
        qint64 at; // when the probe came back
        qint64 late;
    };
    struct Total {
        int count = 0;
        qint64 took = 0;
        qint64 longest = 0;
    };

    TimedApplication(int& argc, char** argv)
        : QApplication(argc, argv)
    {
        clock.start();
        m_probe.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_probe, &QTimer::timeout, this, [this] {
            const qint64 now = clock.nsecsElapsed();
            const qint64 late = now - m_probeDue;
            if (m_probeDue > 0 && late > SlowNs)
                lags.push_back({now, late});
            m_probeDue = now + 1000000;
        });
        m_probe.start(1);
    }

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (m_depth > 0) {
            if (event->type() != QEvent::Paint)
                return QApplication::notify(receiver, event);
            // Painting within a window's update: the rest of the update is its hand-over to
            // the window system.
            const QString what = describe(receiver, QEvent::Paint);
            const qint64 began = clock.nsecsElapsed();
            const bool result = QApplication::notify(receiver, event);
            const qint64 took = clock.nsecsElapsed() - began;
            add(what, took);
            m_painting += took;
            return result;
        }
        if (receiver == &m_probe)
            return QApplication::notify(receiver, event);
        // Described before: the handling may delete the receiver.
        const QString what = describe(receiver, event->type());
        ++m_depth;
        m_painting = 0;
        const qint64 began = clock.nsecsElapsed();
        const bool result = QApplication::notify(receiver, event);
        const qint64 took = clock.nsecsElapsed() - began;
        --m_depth;
        add(what, took);
        // A window's update besides its widgets' painting: laying out, and handing the
        // painted areas to the window system (which waits for the X server to have read the
        // shared image before painting over an area it was given).
        if (event->type() == QEvent::UpdateRequest)
            add(what + ", besides painting", took - m_painting);
        if (took > SlowNs)
            slow.push_back({began, took, what});
        return result;
    }

    // The slow handlings that overlap [from, to], longest first.
    std::vector<Handling> slowBetween(qint64 from, qint64 to) const
    {
        std::vector<Handling> found;
        for (const Handling& handling : slow)
            if (handling.at < to && handling.at + handling.took > from)
                found.push_back(handling);
        std::sort(found.begin(), found.end(),
                  [](const Handling& a, const Handling& b) { return a.took > b.took; });
        return found;
    }
    // The probe's largest lag within [from, to].
    qint64 largestLagBetween(qint64 from, qint64 to) const
    {
        qint64 largest = 0;
        for (const Lag& lag : lags)
            if (lag.at >= from && lag.at <= to + lag.late)
                largest = std::max(largest, lag.late);
        return largest;
    }

    static constexpr qint64 SlowNs = 2000000; // handlings and lags above 2 ms are kept
    QElapsedTimer clock;
    std::vector<Handling> slow;
    std::vector<Lag> lags;
    std::map<QString, Total> totals;

private:
    void add(const QString& what, qint64 took)
    {
        Total& total = totals[what];
        ++total.count;
        total.took += took;
        total.longest = std::max(total.longest, took);
    }
    static QString describe(QObject* receiver, QEvent::Type type)
    {
        QString what = QString::fromLatin1(receiver->metaObject()->className());
        if (!receiver->objectName().isEmpty())
            what += " '" + receiver->objectName() + "'";
        else if (receiver->parent()) // a timer: whose
            what += QStringLiteral(" of %1").arg(receiver->parent()->metaObject()->className());
        const char* name = QMetaEnum::fromType<QEvent::Type>().valueToKey(type);
        return what + ' ' + (name ? QString::fromLatin1(name) : QString::number(type));
    }

    int m_depth = 0;
    qint64 m_painting = 0; // within the current top-level handling
    QTimer m_probe;
    qint64 m_probeDue = 0;
};
