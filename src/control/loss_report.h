#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>

// Logs how many items an input lost, at most once every 5 s: a flood that loses thousands
// writes one line per 5 s, not one per item. `total` gives the count lost so far; `log` writes
// how many were lost since the last line.
class LossReport : public QObject {
public:
    LossReport(std::function<uint64_t()> total, std::function<void(uint64_t lost)> log,
               QObject* parent = nullptr)
        : QObject(parent)
        , m_total(std::move(total))
        , m_log(std::move(log))
    {
        m_pause.setSingleShot(true);
        m_pause.setInterval(5000);
        connect(&m_pause, &QTimer::timeout, this, &LossReport::check);
    }

    // Logs the losses since the last line, unless a line was written in the last 5 s (then
    // once those are over).
    void check()
    {
        const uint64_t total = m_total();
        if (total == m_reported || m_pause.isActive())
            return;
        m_log(total - m_reported);
        m_reported = total;
        m_pause.start();
    }
    // The input counts from 0 again.
    void restart() { m_reported = 0; }

private:
    std::function<uint64_t()> m_total;
    std::function<void(uint64_t)> m_log;
    uint64_t m_reported = 0;
    QTimer m_pause;
};
