#include "library/video_loop_render.h"

#include "media/ff_encoder.h"
#include "media/frame_input.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProgressBar>
#include <cstdio>

VideoLoopRender::VideoLoopRender(QProgressBar* progress,
                                 std::function<void(const QString&)> showError, QObject* parent)
    : QObject(parent)
    , m_progress(progress)
    , m_showError(std::move(showError))
    , m_encoder(new TFFEncoder(this))
    , m_frames(new TFrameInputAdapter(this))
{
    m_encoder->setProgressInterval(100);
    m_frames->OnReadFrameCanvas = [this](TFrameInputAdapter*, QImage& canvas, TInputFrameInfo*) {
        if (m_remaining <= 0)
            return -1;
        // The picture in the canvas's own size and format once; then handed over as it is.
        if (m_picture.size() != canvas.size() || m_picture.format() != canvas.format())
            m_picture =
                m_picture.scaled(canvas.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .convertToFormat(canvas.format());
        canvas = m_picture;
        if (--m_remaining == 0)
            m_progress->setValue(m_progress->maximum()); // the last picture is delivered
        return 0;
    };
    m_encoder->OnProgress = [this](TFFEncoder*, const TProgressInfo&) {
        m_progress->setValue(m_progress->maximum() - m_remaining);
    };
    m_encoder->OnTerminate = [this](TFFEncoder*, const TTerminateInfo& info) {
        if (info.TaskIndex == -1 && m_rendering)
            end(!info.Exception && m_remaining <= 0,
                info.Exception ? info.ExceptionMsg : QString());
    };
}

VideoLoopRender::~VideoLoopRender()
{
    if (m_rendering) {
        m_encoder->Stop(true);
        QFile::remove(m_partial);
    }
}

QString VideoLoopRender::loopFileName(const QString& folder, const QString& title)
{
    QString name = title;
    while (name.endsWith(' '))
        name.chop(1);
    name.replace('/', '_');
    if (name.isEmpty() || name == "." || name == "..")
        name = "loop";
    return QDir(folder).filePath(name + ".avi");
}

bool VideoLoopRender::start(const Clip& clip, int frames, const QString& folder,
                            const QString& size)
{
    if (m_rendering) {
        m_showError("A video loop is being rendered: wait for its end.");
        return false;
    }
    if (folder.trimmed().isEmpty() || !QFileInfo(folder).isDir()) {
        m_showError("Set the cache video folder first: nothing was rendered.");
        return false;
    }
    const QString sizeText =
        size == "Original" ? QStringLiteral("%1x%2").arg(clip.width).arg(clip.height) : size;
    const QStringList parts = sizeText.split('x');
    const int width = parts.size() == 2 ? parts[0].toInt() : 0;
    const int height = parts.size() == 2 ? parts[1].toInt() : 0;
    QString file = clip.file;
    while (file.endsWith(' '))
        file.chop(1);
    QImageReader reader(file);
    reader.setDecideFormatFromContent(true);
    const QImage picture = reader.read();
    if (picture.isNull() || width <= 0 || height <= 0) {
        m_showError(QStringLiteral("The picture \"%1\" cannot be read (%2): nothing was "
                                   "rendered.")
                        .arg(file, picture.isNull() ? reader.errorString() : sizeText));
        return false;
    }
    m_picture = picture.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .convertToFormat(QImage::Format_RGB32);
    m_file = loopFileName(folder, clip.title);
    m_partial = QDir(folder).filePath(
        QStringLiteral(".%1.rendering.avi").arg(QFileInfo(m_file).completeBaseName()));
    m_remaining = frames;
    m_progress->setMaximum(frames);
    m_progress->setValue(0);
    m_encoder->ClearTasks();
    TInputOptions input;
    input.Options = QStringLiteral("-f frameinput -input_type canvas -pix_fmt bgr24 -r 30/1 -s %1")
                        .arg(sizeText);
    const int task = m_encoder->AddTask(m_frames->Identity(), input);
    if (task < 0)
        return false;
    TOutputOptions output;
    output.Options = QStringLiteral("-c:v mpeg4 -c:a mp2 -r 30/1 -s %1 -vsync -1").arg(sizeText);
    if (m_encoder->SetOutput(task, m_partial, output) < 0) {
        m_encoder->RemoveTask(task);
        return false;
    }
    m_rendering = true;
    m_encoder->Start(1);
    return true;
}

void VideoLoopRender::end(bool ok, const QString& error)
{
    m_rendering = false;
    m_progress->setValue(0);
    m_picture = QImage();
    // The finished file takes its name in one step (a player may hold the old one open).
    const bool renamed = ok && std::rename(QFile::encodeName(m_partial).constData(),
                                           QFile::encodeName(m_file).constData()) == 0;
    if (!renamed)
        QFile::remove(m_partial);
    if (!error.isEmpty())
        m_showError(error);
    emit finished(renamed ? m_file : QString());
}
