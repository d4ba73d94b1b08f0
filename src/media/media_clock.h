#pragma once

#include <atomic>
#include <cmath>
#include <mutex>

// A clock that runs from the last time it was set, at its speed, unless paused. Times are
// seconds. Its serial tells which packets it was last set from: after a seek, a clock whose
// serial is not the queue's serial is unknown (NAN). Thread-safe: the sound thread sets the
// audio clock while the playback thread reads it.
class MediaClock {
public:
    explicit MediaClock(const std::atomic<int>* queueSerial = nullptr)
        : m_queueSerial(queueSerial)
    {
    }

    double get() const;
    void set(double pts, int serial);
    void setAt(double pts, int serial, double time);
    void setSpeed(double speed);
    void setPaused(bool paused);
    int serial() const;
    double lastUpdated() const;
    // Follows another clock when they drift apart by more than `threshold` seconds.
    void syncTo(const MediaClock& other, double threshold);
    // The threshold the external clock follows the picture or sound clock with.
    static constexpr double NoSyncThreshold = 10.0;

    static double now();

private:
    double getLocked() const;
    void setAtLocked(double pts, int serial, double time);

    mutable std::mutex m_mutex;
    double m_pts = NAN;
    double m_drift = NAN;
    double m_lastUpdated = 0;
    double m_speed = 1.0;
    int m_serial = -1;
    bool m_paused = false;
    const std::atomic<int>* m_queueSerial;
};
