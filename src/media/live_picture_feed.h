#pragma once

#include <QColor>
#include <QString>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class VideoSink;

// Where a live input's pictures go: sinks with the colour around nothing (the picture is
// stretched over the whole surface). Shared by the encoder and the feeds of its tasks.
//
// Threads: set() is called on the user-interface thread, the feeds present on their own.
// The mutex is held while a feed presents, so once set() returns no picture reaches a sink
// that is no longer a target.
class LiveTargets {
public:
    struct Target {
        VideoSink* sink = nullptr;
        QColor background;
    };
    struct Snapshot {
        std::vector<Target> targets;
        uint64_t generation = 0;
    };
    void set(std::vector<Target> targets);
    Snapshot get() const;
    // Calls `present` with each target and its index under the lock, if the targets are still
    // those of `generation` (a picture made for targets that changed meanwhile is dropped).
    void presentIfCurrent(uint64_t generation,
                          const std::function<void(size_t index, const Target&)>& present) const;

private:
    mutable std::mutex m_mutex; // guards both below
    std::vector<Target> m_targets;
    uint64_t m_generation = 0;
};

// A running task's pictures at the input's own rate and size, read as YUV4MPEG from a pipe
// on a thread of its own, scaled to each target's surface and presented there, as a player
// presents its pictures. The thread ends when the writer closes the pipe (the task ended)
// or the feed is destroyed.
class LivePictureFeed {
public:
    // Takes the pipe's reading end.
    LivePictureFeed(int readFd, std::shared_ptr<LiveTargets> targets,
                    std::function<void(const QString&)> log);
    ~LivePictureFeed();
    LivePictureFeed(const LivePictureFeed&) = delete;
    LivePictureFeed& operator=(const LivePictureFeed&) = delete;

private:
    void run();
    // Fills `bytes` from the pipe; false at its end or when the feed stops.
    bool readExactly(char* bytes, size_t count);
    bool readLine(std::string& line);

    int m_fd;
    int m_wake; // an eventfd that ends the thread's wait
    std::shared_ptr<LiveTargets> m_targets;
    std::function<void(const QString&)> m_log;
    std::thread m_thread;
};
