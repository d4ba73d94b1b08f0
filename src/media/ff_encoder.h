#pragma once

#include "media/live_picture_feed.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

class CaptureDevices;
class QProcess;

struct TInputOptions {
    QString FileName; // empty: the name given to AddTask
    QString Options;  // input options, FFmpeg's command-line syntax
    QString Presets;
    int Tag = 0;
};

struct TOutputOptions {
    QString FileName; // empty: the name given to SetOutput
    QString Options;  // output options, FFmpeg's command-line syntax
    QString Presets;
    bool AudioInputHook = false, AudioOutputHook = false;
    bool VideoInputHook = false, VideoOutputHook = false;
    int VideoHookBitsPixel = 32;
    bool FrameInputHook = false, FrameOutputHook = false, Join = false;
    int Tag = 0;
    // The task's pictures at the input's own rate and size go to the encoder's live targets.
    bool LivePictures = false;
};

struct TProgressInfo {
    int TaskIndex = 0;
    int FileIndex = 0;
    int FrameNumber = 0;
    int FPS = 0;
    float Quality = 0;
    float BitRate = 0;           // kbit/s
    int64_t CurrentSize = 0;     // bytes
    int64_t CurrentDuration = 0; // microseconds
    int64_t TotalDuration = 0;
};

struct TPreviewInfo {
    int TaskIndex = 0;
    QImage Bitmap; // valid during the notification
    int FrameNumber = 0;
    int64_t PTS = 0; // microseconds
};

struct TTerminateInfo {
    int TaskIndex = -1; // -1: the end of the whole run
    bool Finished = false;
    bool Exception = false;
    QString ExceptionMsg;
};

// A refused change of the tasks ("Cannot AddTask while working." ...).
class EncoderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Conversions in the manner of FFmpeg's command-line tool: each task is one input and one
// output with their option texts, run as a child process of the `ffmpeg` program, so every
// option text is parsed by FFmpeg's own parser. Lives on the user-interface thread, which
// receives its notifications; the run's final OnTerminate (task -1) always comes last.
class TFFEncoder : public QObject {
    Q_OBJECT
public:
    explicit TFFEncoder(QObject* parent = nullptr);
    ~TFFEncoder() override;

    static bool AVLibLoaded() { return true; }
    static bool LoadAVLib(const QString&) { return true; }

    // Where capture devices ("video=Name") are found; the machine's V4L2 devices unless set.
    // Not owned; it outlives the tasks.
    void setCaptureDevices(CaptureDevices* devices) { m_devices = devices; }

    // A new task reading `fileName` (a file, a device "video=Name", a lavfi description
    // with "-f lavfi"); its index, or negative with the reason in LastErrMsg.
    int AddTask(const QString& fileName, const TInputOptions& options);
    int SetOutput(int taskIndex, const QString& fileName, const TOutputOptions& options);
    void RemoveTask(int taskIndex);
    void ClearTasks();
    void Start(int threadCount = 1);
    void Stop(bool waitForStop);

    // Milliseconds between two progress reports / preview pictures of a task, at least 10.
    // A task takes the values current when it is added.
    int ProgressInterval() const { return m_progressInterval; }
    void setProgressInterval(int milliseconds) { m_progressInterval = std::max(10, milliseconds); }
    int PreviewInterval() const { return m_previewInterval; }
    void setPreviewInterval(int milliseconds) { m_previewInterval = std::max(10, milliseconds); }
    // Whether running tasks deliver their current picture through OnPreviewBitmap; reaches
    // running tasks at once.
    bool PreviewBitmap() const { return m_preview; }
    void setPreviewBitmap(bool on) { m_preview = on; }
    // The sinks that the pictures of tasks with LivePictures go to, stretched; reaches running
    // tasks at once. Once it returns, no picture reaches a sink that is no longer listed.
    void setLiveTargets(std::vector<LiveTargets::Target> targets)
    {
        m_liveTargets->set(std::move(targets));
    }
    static constexpr int PreviewWidth = 320;
    static constexpr int PreviewHeight = 180;
    bool AutoReleaseTask = false;
    bool Working() const { return m_working; }
    bool Terminated() const { return m_terminated; }
    int TasksCount() const { return int(m_tasks.size()); }
    QString LastErrMsg() const { return m_lastError; }

    // The ffmpeg program's arguments for a task (after its output has been set).
    QStringList Arguments(int taskIndex) const;
    // The option text without the hook options, which are set in `options` instead.
    static QString TakeHookOptions(const QString& text, TOutputOptions& options);

    std::function<void(TFFEncoder* sender, const TProgressInfo& info)> OnProgress;
    std::function<void(TFFEncoder* sender, const TTerminateInfo& info)> OnTerminate;
    std::function<void(TFFEncoder* sender, const TPreviewInfo& info)> OnPreviewBitmap;

private:
    struct Task;
    void refuseWhileWorking(const char* operation) const;
    void startNext();
    void finishTask(Task& task, int exitCode, bool crashed);
    void readErrorOutput(Task& task);
    void readPreview(Task& task);
    // Empty when the frame input's options are good; the reason otherwise.
    QString parseFrameInput(const QString& input, const QStringList& tokens, Task& task);
    void feedFrames(Task& task);

    // Starts reading the live pictures of a task whose process is about to start; the pipe's
    // writing end for the process, or -1 when there is no pipe.
    int prepareLivePictures(Task& task);

    std::vector<std::unique_ptr<Task>> m_tasks;
    CaptureDevices* m_devices = nullptr;
    std::shared_ptr<LiveTargets> m_liveTargets = std::make_shared<LiveTargets>();
    int m_threads = 1;
    bool m_working = false;
    bool m_terminated = false;
    bool m_stopping = false;
    bool m_preview = false;
    int m_progressInterval = 500;
    int m_previewInterval = 100;
    QString m_lastError;
};
