#pragma once

// What the console benchmarks measure with: percentiles, the process's memory, the event loop
// running for a while, and a window's opacity as the X server has it.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QList>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>

using Clock = std::chrono::steady_clock;

inline double percentile(QList<double> values, double p)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(std::min<qsizetype>(values.size() - 1, qsizetype(p * values.size())));
}

inline void report(const char* what, const QList<double>& ms)
{
    std::printf("%s: %d samples, median %.2f ms, 95th percentile %.2f ms, 99th percentile %.2f ms, "
                "largest %.2f ms\n",
                what, int(ms.size()), percentile(ms, 0.5), percentile(ms, 0.95),
                percentile(ms, 0.99), percentile(ms, 1.0));
}

inline long residentKiB()
{
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Runs the event loop for a while.
inline void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Polls something of a window on the X server from a connection of its own and keeps the time
// of every change of it.
class WindowWatch {
public:
    // Asks the server for the value, on the watch's connection.
    using Reader = std::function<uint64_t(xcb_connection_t*, xcb_window_t)>;

    WindowWatch(xcb_window_t window, Reader read)
        : m_window(window)
        , m_read(std::move(read))
        , m_connection(xcb_connect(nullptr, nullptr))
    {
        m_thread = std::thread([this] { watch(); });
    }
    ~WindowWatch()
    {
        m_stop = true;
        m_thread.join();
        xcb_disconnect(m_connection);
    }
    // The first change at or after `since`.
    std::optional<Clock::time_point> changeAfter(Clock::time_point since)
    {
        std::lock_guard lock(m_mutex);
        for (const Clock::time_point& at : m_changes)
            if (at >= since)
                return at;
        return std::nullopt;
    }

private:
    void watch()
    {
        std::optional<uint64_t> last;
        while (!m_stop) {
            const uint64_t value = m_read(m_connection, m_window);
            const auto now = Clock::now();
            if (last && *last != value) {
                std::lock_guard lock(m_mutex);
                m_changes.append(now);
            }
            last = value;
        }
    }

    xcb_window_t m_window;
    Reader m_read;
    xcb_connection_t* m_connection;
    std::atomic<bool> m_stop = false;
    std::mutex m_mutex;
    QList<Clock::time_point> m_changes;
    std::thread m_thread;
};

// A window's _NET_WM_WINDOW_OPACITY (a window without it is opaque).
class OpacityWatch : public WindowWatch {
public:
    explicit OpacityWatch(xcb_window_t window)
        : WindowWatch(window, [atom = xcb_atom_t(XCB_ATOM_NONE)](xcb_connection_t* connection,
                                                                 xcb_window_t watched) mutable {
            if (atom == XCB_ATOM_NONE) {
                const char name[] = "_NET_WM_WINDOW_OPACITY";
                xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
                    connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
                atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
                std::free(reply);
            }
            xcb_get_property_reply_t* reply = xcb_get_property_reply(
                connection, xcb_get_property(connection, 0, watched, atom, XCB_ATOM_CARDINAL, 0, 1),
                nullptr);
            const uint64_t value = reply && xcb_get_property_value_length(reply) == 4
                                       ? *static_cast<uint32_t*>(xcb_get_property_value(reply))
                                       : 0xffffffffu;
            std::free(reply);
            return value;
        })
    {
    }
};

// A window's place relative to the root window.
class PositionWatch : public WindowWatch {
public:
    explicit PositionWatch(xcb_window_t window)
        : WindowWatch(window, [](xcb_connection_t* connection, xcb_window_t watched) {
            const xcb_window_t root =
                xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
            xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(
                connection, xcb_translate_coordinates(connection, watched, root, 0, 0), nullptr);
            const uint64_t value =
                reply ? uint64_t(uint16_t(reply->dst_x)) << 16 | uint16_t(reply->dst_y) : 0;
            std::free(reply);
            return value;
        })
    {
    }
};

// The event loop's lag while this lives: how late a 1 ms timer comes, in ms.
class EventLoopLag {
public:
    EventLoopLag()
    {
        m_probe.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_probe, &QTimer::timeout, &m_probe, [this] {
            if (m_since.isValid())
                ms.append(std::max(0.0, double(m_since.nsecsElapsed()) / 1e6 - 1));
            m_since.start();
        });
        m_probe.start(1);
    }
    void clear()
    {
        ms.clear();
        m_since.invalidate();
    }

    QList<double> ms;

private:
    QTimer m_probe;
    QElapsedTimer m_since;
};

inline double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Prints the delay from each of the times to the first opacity change the watch saw after it;
// returns how many saw none.
inline int reportOpacityChanges(const char* what, OpacityWatch& watch,
                                const QList<Clock::time_point>& times)
{
    QList<double> latencies;
    int unseen = 0;
    for (const Clock::time_point& at : times) {
        if (const auto changed = watch.changeAfter(at))
            latencies.append(msBetween(at, *changed));
        else
            ++unseen;
    }
    report(what, latencies);
    return unseen;
}

// Runs `work` on a thread of its own while the event loop runs, until it ends.
inline void whileRunning(const std::function<void()>& work)
{
    std::atomic<bool> done = false;
    std::thread thread([&] {
        work();
        done = true;
    });
    while (!done)
        pause(20);
    thread.join();
}
