#include "media/ff_encoder.h"

#include "media/capture_devices.h"
#include "media/frame_input.h"
#include "shared/child_process.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QRegularExpression>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
Q_LOGGING_CATEGORY(encoderLog, "quillon.encoder")
} // namespace

struct TFFEncoder::Task {
    int index = 0;
    QString input;
    QStringList deviceOptions; // how a capture device is opened
    QString inputOptions;
    QString output;
    QString outputOptions;
    TOutputOptions hooks;
    bool hasOutput = false;
    bool started = false;
    bool ended = false;
    bool stopped = false;
    std::unique_ptr<QProcess> process;
    // A frame input: pictures of this size and pixel format, asked for one by one.
    TFrameInputAdapter* adapter = nullptr;
    QSize frameSize;
    QString pixelFormat;
    QString rate;
    int frameNumber = 0;
    bool inputEnded = false;
    QByteArray errors;     // what ffmpeg said besides its progress
    QByteArray errorLines; // error output not yet split into lines
    QByteArray preview;    // raw preview pictures not yet complete
    int progressInterval = 500;
    int previewInterval = 100;
    int previewNumber = 0;
    TProgressInfo info;
    std::unique_ptr<LivePictureFeed> liveFeed;
};

TFFEncoder::TFFEncoder(QObject* parent)
    : QObject(parent)
{
}

TFFEncoder::~TFFEncoder()
{
    OnProgress = nullptr;
    OnTerminate = nullptr;
    OnPreviewBitmap = nullptr;
    Stop(true);
}

void TFFEncoder::refuseWhileWorking(const char* operation) const
{
    if (m_working)
        throw EncoderError(QStringLiteral("Cannot %1 while working.").arg(operation).toStdString());
}

int TFFEncoder::AddTask(const QString& fileName, const TInputOptions& options)
{
    refuseWhileWorking("AddTask");
    QString input = options.FileName.isEmpty() ? fileName : options.FileName;
    const QStringList tokens = QProcess::splitCommand(options.Options);
    const bool formatGiven = tokens.contains("-f");
    auto task = std::make_unique<Task>();
    const qsizetype format = tokens.indexOf("-f");
    if (format >= 0 && tokens.value(format + 1) == "frameinput") {
        const QString error = parseFrameInput(input, tokens, *task);
        if (!error.isEmpty()) {
            m_lastError = error;
            return -1;
        }
    } else if (input.startsWith("video=")) {
        static V4L2CaptureDevices machine;
        QString reason;
        const auto device = (m_devices ? m_devices : &machine)->videoInput(input, reason);
        if (!device) {
            m_lastError = reason;
            return -1;
        }
        input = device->url;
        task->deviceOptions = device->options;
    } else if (!formatGiven && !QFileInfo::exists(input)) {
        m_lastError = QStringLiteral("%1: No such file or directory").arg(input);
        return -1;
    }
    task->index = int(m_tasks.size());
    task->progressInterval = m_progressInterval;
    task->previewInterval = m_previewInterval;
    task->input = input;
    task->inputOptions = options.Options;
    m_tasks.push_back(std::move(task));
    return int(m_tasks.size()) - 1;
}

QString TFFEncoder::TakeHookOptions(const QString& text, TOutputOptions& options)
{
    QString padded = ' ' + text + ' ';
    const std::pair<const char*, bool*> hooks[] = {{" -audioinputhook ", &options.AudioInputHook},
                                                   {" -audiooutputhook ", &options.AudioOutputHook},
                                                   {" -videoinputhook ", &options.VideoInputHook},
                                                   {" -videooutputhook ", &options.VideoOutputHook},
                                                   {" -frameinputhook ", &options.FrameInputHook},
                                                   {" -frameoutputhook ", &options.FrameOutputHook},
                                                   {" -join ", &options.Join}};
    for (const auto& [word, flag] : hooks) {
        const QString option = QString::fromLatin1(word);
        while (padded.contains(option, Qt::CaseInsensitive)) {
            padded.replace(padded.indexOf(option, 0, Qt::CaseInsensitive), option.size(), " ");
            *flag = true;
        }
    }
    return padded.trimmed();
}

int TFFEncoder::SetOutput(int taskIndex, const QString& fileName, const TOutputOptions& options)
{
    refuseWhileWorking("SetOutput");
    if (taskIndex < 0 || taskIndex >= int(m_tasks.size())) {
        m_lastError = QStringLiteral("Invalid task index #%1.").arg(taskIndex);
        return -1;
    }
    Task* task = m_tasks[size_t(taskIndex)].get();
    if (!task) {
        m_lastError = QStringLiteral("The task #%1 had been released.").arg(taskIndex);
        return -1;
    }
    task->hooks = options;
    task->outputOptions = TakeHookOptions(options.Options, task->hooks);
    task->output = options.FileName.isEmpty() ? fileName : options.FileName;
    task->hasOutput = true;
    return taskIndex;
}

void TFFEncoder::RemoveTask(int taskIndex)
{
    refuseWhileWorking("RemoveTask");
    if (taskIndex < 0 || taskIndex >= int(m_tasks.size()))
        return;
    m_tasks.erase(m_tasks.begin() + taskIndex);
    for (int i = 0; i < int(m_tasks.size()); ++i)
        if (m_tasks[size_t(i)])
            m_tasks[size_t(i)]->index = i;
}

void TFFEncoder::ClearTasks()
{
    if (m_working && !m_terminated)
        throw EncoderError("Cannot ClearTasks while working.");
    m_tasks.clear();
    m_lastError.clear();
    m_working = false;
    m_terminated = false;
}

QStringList TFFEncoder::Arguments(int taskIndex) const
{
    const Task& task = *m_tasks.at(size_t(taskIndex));
    // Progress goes to the error output with the errors; the standard output carries the
    // preview pictures of a second output.
    QStringList arguments = {"-hide_banner",
                             "-nostdin",
                             "-y",
                             "-loglevel",
                             "error",
                             "-nostats",
                             "-progress",
                             "pipe:2",
                             "-stats_period",
                             QString::number(task.progressInterval / 1000.0)};
    if (task.adapter) // the pictures come as raw video on the standard input
        arguments +=
            {"-f",
             "rawvideo",
             "-pix_fmt",
             task.pixelFormat,
             "-s",
             QStringLiteral("%1x%2").arg(task.frameSize.width()).arg(task.frameSize.height()),
             "-r",
             task.rate,
             "-i",
             "-"};
    else
        // The device's own options last: they name its format.
        arguments += QProcess::splitCommand(task.inputOptions) + task.deviceOptions +
                     QStringList{"-i", task.input};
    QStringList output = QProcess::splitCommand(task.outputOptions);
    // FFmpeg no longer knows -deinterlace: the yadif filter does the same, in front of any
    // video filters of the task.
    if (output.removeAll("-deinterlace") > 0) {
        const qsizetype filters = std::max(output.indexOf("-vf"), output.indexOf("-filter:v"));
        if (filters >= 0 && filters + 1 < output.size())
            output[filters + 1] = "yadif," + output[filters + 1];
        else
            output += {"-vf", "yadif"};
    }
    // Nor -intra: a key frame every picture is the same.
    if (output.removeAll("-intra") > 0)
        output += {"-g", "1"};
    arguments += output;
    // An output that needs no file ("-f null") still takes a name.
    arguments += task.output.isEmpty() ? QStringLiteral("-") : task.output;
    if (task.hooks.LivePictures) // each picture written out as soon as it is there
        arguments += {"-map", "0:v?", "-pix_fmt",     "yuv420p", "-flush_packets",
                      "1",    "-f",   "yuv4mpegpipe", "pipe:3" /* the live pipe, see startNext */};
    arguments += {"-map",
                  "0:v?",
                  "-vf",
                  QStringLiteral("fps=%1,scale=%2:%3:force_original_aspect_ratio=decrease,"
                                 "pad=%2:%3:(ow-iw)/2:(oh-ih)/2")
                      .arg(1000.0 / task.previewInterval)
                      .arg(PreviewWidth)
                      .arg(PreviewHeight),
                  "-f",
                  "rawvideo",
                  "-pix_fmt",
                  "bgra",
                  "pipe:1"};
    return arguments;
}

void TFFEncoder::Start(int threadCount)
{
    refuseWhileWorking("StartTask");
    m_working = true;
    m_terminated = false;
    m_stopping = false;
    m_threads = std::max(1, threadCount);
    startNext();
    if (threadCount <= 0) // one after another, and back when they are done
        while (!m_terminated)
            for (const auto& task : m_tasks)
                if (task && task->process)
                    task->process->waitForFinished(50);
}

void TFFEncoder::startNext()
{
    int running = 0;
    for (const auto& task : m_tasks)
        if (task && task->started && !task->ended)
            ++running;
    for (const auto& slot : m_tasks) {
        if (running >= m_threads || m_stopping)
            break;
        Task* task = slot.get();
        if (!task || task->started)
            continue;
        task->started = true;
        if (!task->hasOutput) {
            task->errors = "The task has no output.";
            finishTask(*task, 1, false);
            return;
        }
        task->process = std::make_unique<QProcess>();
        QProcess* process = task->process.get();
        connect(process, &QProcess::readyReadStandardOutput, this,
                [this, task] { readPreview(*task); });
        connect(process, &QProcess::readyReadStandardError, this,
                [this, task] { readErrorOutput(*task); });
        connect(process, &QProcess::finished, this,
                [this, task](int code, QProcess::ExitStatus status) {
                    finishTask(*task, code, status == QProcess::CrashExit);
                });
        connect(process, &QProcess::errorOccurred, this,
                [this, task](QProcess::ProcessError error) {
                    if (error == QProcess::FailedToStart) {
                        task->errors = "The ffmpeg program could not be started.";
                        finishTask(*task, 1, false);
                    }
                });
        if (task->adapter) {
            connect(process, &QProcess::started, this, [this, task] { feedFrames(*task); });
            connect(process, &QProcess::bytesWritten, this, [this, task] { feedFrames(*task); });
        }
        const int liveWriteEnd = task->hooks.LivePictures ? prepareLivePictures(*task) : -1;
        if (task->hooks.LivePictures && liveWriteEnd < 0) {
            task->errors = "No pipe for the live pictures.";
            finishTask(*task, 1, false);
            return;
        }
        keepDescriptorsFromChildren();
        if (liveWriteEnd >= 0)
            process->setChildProcessModifier([liveWriteEnd] {
                if (liveWriteEnd == 3) // dup2 would leave it to close at exec
                    fcntl(3, F_SETFD, 0);
                else
                    dup2(liveWriteEnd, 3);
            });
        process->start("ffmpeg", Arguments(task->index));
        // The child was forked within start() and has its copy; ours goes, so the reader
        // sees the end of the pipe when the child ends.
        if (liveWriteEnd >= 0)
            close(liveWriteEnd);
        ++running;
    }
}

int TFFEncoder::prepareLivePictures(Task& task)
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return -1;
    // Room for a picture or two: ffmpeg is not held up by each block the reader takes.
    fcntl(ends[0], F_SETPIPE_SZ, 1 << 20);
    task.liveFeed =
        std::make_unique<LivePictureFeed>(ends[0], m_liveTargets, [](const QString& line) {
            qCWarning(encoderLog).noquote() << line;
        });
    return ends[1];
}

void TFFEncoder::readErrorOutput(Task& task)
{
    task.errorLines += task.process->readAllStandardError();
    qsizetype end;
    static const QRegularExpression progressLine(QStringLiteral(R"(^[a-z0-9_]+=)"));
    while ((end = task.errorLines.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(task.errorLines.left(end)).trimmed();
        task.errorLines.remove(0, end + 1);
        if (!progressLine.match(line).hasMatch()) {
            task.errors += line.toUtf8() + '\n';
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        const QString key = line.left(equals);
        const QString value = line.mid(equals + 1);
        TProgressInfo& info = task.info;
        info.TaskIndex = task.index;
        if (key == "frame")
            info.FrameNumber = value.toInt();
        else if (key == "fps")
            info.FPS = int(value.toDouble());
        else if (key == "bitrate")
            info.BitRate = value.left(value.indexOf("kbits")).toFloat();
        else if (key == "total_size")
            info.CurrentSize = value.toLongLong();
        else if (key == "out_time_us")
            info.CurrentDuration = value.toLongLong();
        else if (key.startsWith("stream_") && key.endsWith("_q"))
            info.Quality = value.toFloat();
        else if (key == "progress" && OnProgress)
            OnProgress(this, info);
    }
}

void TFFEncoder::readPreview(Task& task)
{
    task.preview += task.process->readAllStandardOutput();
    const int frameBytes = PreviewWidth * PreviewHeight * 4;
    while (task.preview.size() >= frameBytes) {
        if (m_preview && OnPreviewBitmap) {
            const QImage picture(reinterpret_cast<const uchar*>(task.preview.constData()),
                                 PreviewWidth, PreviewHeight, QImage::Format_RGB32);
            OnPreviewBitmap(this, {task.index, picture, task.previewNumber,
                                   int64_t(task.previewNumber) * task.previewInterval * 1000});
        }
        ++task.previewNumber;
        task.preview.remove(0, frameBytes);
    }
}

void TFFEncoder::finishTask(Task& task, int exitCode, bool crashed)
{
    if (task.ended)
        return;
    task.ended = true;
    if (task.process) {
        readErrorOutput(task);
        task.errors += task.errorLines;
    }
    task.liveFeed.reset();
    TTerminateInfo info;
    info.TaskIndex = task.index;
    info.Finished = !task.stopped && !crashed && exitCode == 0;
    info.Exception = !task.stopped && !info.Finished;
    if (info.Exception) {
        info.ExceptionMsg = QString::fromUtf8(task.errors).trimmed();
        if (info.ExceptionMsg.isEmpty())
            info.ExceptionMsg = QStringLiteral("ffmpeg ended with code %1").arg(exitCode);
    }
    const int index = task.index;
    if (OnTerminate)
        OnTerminate(this, info);
    if (AutoReleaseTask && index < int(m_tasks.size()))
        m_tasks[size_t(index)].reset(); // its place in the list stays empty
    bool pending = false;
    for (const auto& other : m_tasks)
        if (other && !other->ended && (other->started || !m_stopping))
            pending = true;
    if (pending) {
        startNext();
        return;
    }
    m_terminated = true;
    if (OnTerminate)
        OnTerminate(this, {-1, true, false, {}});
}

void TFFEncoder::Stop(bool waitForStop)
{
    if (!m_working || m_terminated)
        return;
    m_stopping = true;
    for (const auto& task : m_tasks) {
        if (!task || !task->process || task->ended)
            continue;
        task->stopped = true;
        // ffmpeg ends on an interrupt as on its end: the output file is closed properly.
        ::kill(pid_t(task->process->processId()), SIGINT);
    }
    bool anyRunning = false;
    for (const auto& task : m_tasks)
        if (task && task->started && !task->ended)
            anyRunning = true;
    if (!anyRunning) { // only tasks that never started: the run ends here
        m_terminated = true;
        if (OnTerminate)
            OnTerminate(this, {-1, true, false, {}});
        return;
    }
    if (!waitForStop)
        return;
    for (const auto& task : m_tasks)
        if (task && task->process && !task->ended && !task->process->waitForFinished(10000)) {
            task->process->kill();
            task->process->waitForFinished(2000);
        }
}

QString TFFEncoder::parseFrameInput(const QString& input, const QStringList& tokens, Task& task)
{
    const auto option = [&](const char* name) {
        const qsizetype at = tokens.indexOf(QString::fromLatin1(name));
        return at >= 0 ? tokens.value(at + 1) : QString();
    };
    TFrameInputAdapter* adapter = TFrameInputAdapter::find(input);
    if (!adapter)
        return QStringLiteral("Could not parse FrameInputAdapter: \"%1\", it should be address "
                              "of FrameInputAdapter\n")
            .arg(input);
    const QString type = option("-input_type");
    if (!QStringList({"canvas", "bmp", "dc", "yuv"}).contains(type))
        return QStringLiteral("Invalid frame input type: \"%1\", it should be one of "
                              "canvas/bmp/dc/yuv\n")
            .arg(type);
    const QString rate = option("-r");
    static const QRegularExpression rational(QStringLiteral(R"(^\d+(\.\d+)?(/\d+)?$)"));
    if (!rational.match(rate).hasMatch() || rate.startsWith("0"))
        return QStringLiteral("Could not parse framerate \"%1\".\n").arg(rate);
    static const QRegularExpression dimensions(QStringLiteral(R"(^(\d+)x(\d+)$)"));
    const auto size = dimensions.match(option("-s"));
    if (!size.hasMatch() || size.captured(1).toInt() <= 0 || size.captured(2).toInt() <= 0)
        return QStringLiteral("Couldn't parse video size.\n");
    const QString pixelFormat = option("-pix_fmt").isEmpty() ? "bgr24" : option("-pix_fmt");
    static const QStringList known = {"pal8",    "rgb555le", "bgr24", "bgra",
                                      "yuv420p", "rgb24",    "rgba",  "gray"};
    if (!known.contains(pixelFormat))
        return QStringLiteral("Unknown pixel format requested\n");
    if (type != "yuv" && !QStringList({"pal8", "rgb555le", "bgr24", "bgra"}).contains(pixelFormat))
        return QStringLiteral("Invalid pixel format for canvas/bmp/dc input, should be one of "
                              "pal8/rgb555le/bgr24/bgra\n");
    if (type != "canvas")
        return QStringLiteral("Invalid frame input type: \"%1\", only canvas is read here\n")
            .arg(type);
    task.adapter = adapter;
    task.frameSize = QSize(size.captured(1).toInt(), size.captured(2).toInt());
    // Paletted pictures travel as bgr24: a palette cannot follow raw video on a pipe.
    task.pixelFormat = pixelFormat == "pal8" ? "bgr24" : pixelFormat;
    task.rate = rate;
    return {};
}

void TFFEncoder::feedFrames(Task& task)
{
    if (task.inputEnded || !task.process)
        return;
    static const QHash<QString, std::pair<QImage::Format, int>> formats = {
        {"bgr24", {QImage::Format_BGR888, 3}},
        {"bgra", {QImage::Format_ARGB32, 4}},
        {"rgb555le", {QImage::Format_RGB555, 2}}};
    const auto [format, bytesPerPixel] = formats.value(task.pixelFormat);
    const int lineBytes = task.frameSize.width() * bytesPerPixel;
    const int frameBytes = lineBytes * task.frameSize.height();
    // Two pictures in the pipe at most: ffmpeg takes them at its own pace.
    while (task.process->bytesToWrite() < frameBytes) {
        QImage canvas(task.frameSize, format);
        canvas.fill(Qt::black);
        TInputFrameInfo info;
        info.FrameNumber = task.frameNumber;
        info.Width = canvas.width();
        info.Height = canvas.height();
        info.BitsPerPixel = bytesPerPixel * 8;
        info.BytesPerLine = lineBytes;
        info.BytesPerFrame = frameBytes;
        info.PixelFormat = task.pixelFormat;
        const int result = task.adapter->OnReadFrameCanvas
                               ? task.adapter->OnReadFrameCanvas(task.adapter, canvas, &info)
                               : -1;
        if (result < 0) {
            task.inputEnded = true;
            task.process->closeWriteChannel();
            return;
        }
        const QImage picture = canvas.format() == format ? canvas : canvas.convertToFormat(format);
        if (picture.size() != task.frameSize) {
            task.inputEnded = true; // a picture of another size cannot travel as raw video
            task.process->closeWriteChannel();
            return;
        }
        if (picture.bytesPerLine() == lineBytes) {
            task.process->write(reinterpret_cast<const char*>(picture.constBits()), frameBytes);
        } else {
            QByteArray bytes;
            bytes.reserve(frameBytes);
            for (int y = 0; y < picture.height(); ++y)
                bytes.append(reinterpret_cast<const char*>(picture.constScanLine(y)), lineBytes);
            task.process->write(bytes);
        }
        ++task.frameNumber;
    }
}
