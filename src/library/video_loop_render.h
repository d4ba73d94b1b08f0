#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <functional>

class QProgressBar;
class TFFEncoder;
class TFrameInputAdapter;

// "Convert": a still clip rendered into a video loop of 90, 150 or 300 pictures at 30 a
// second, an AVI in the cache video folder, through a frame input and an encoder of its own.
// The clip's file and size are taken when the render starts and the picture is read once;
// the file is written under a temporary name in the folder and takes its own name only when
// the render ended well, so a file of that name that may be on air is never half written.
class VideoLoopRender : public QObject {
    Q_OBJECT
public:
    struct Clip {
        QString file;
        QString title;
        int width = 0;
        int height = 0;
    };
    VideoLoopRender(QProgressBar* progress, std::function<void(const QString&)> showError,
                    QObject* parent = nullptr);
    ~VideoLoopRender() override;

    // Starts rendering `frames` pictures of the clip at `size` ("Original": the clip's own)
    // into `folder`; false, with the operator told why where there is a reason to tell, when
    // it cannot start (another render running, no folder, an unreadable picture, a refused
    // task).
    bool start(const Clip& clip, int frames, const QString& folder, const QString& size);
    bool rendering() const { return m_rendering; }
    // The file name a title renders to in a folder: "/" cannot lead out of it.
    static QString loopFileName(const QString& folder, const QString& title);

signals:
    // The render ended: the loop's file, or empty when it failed.
    void finished(const QString& file);

private:
    void end(bool ok, const QString& error);

    QProgressBar* m_progress;
    std::function<void(const QString&)> m_showError;
    TFFEncoder* m_encoder;
    TFrameInputAdapter* m_frames;
    bool m_rendering = false;
    int m_remaining = 0;
    QImage m_picture; // the clip's picture at the render's size
    QString m_partial;
    QString m_file;
};
