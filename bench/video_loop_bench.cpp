// A 10 s loop (300 pictures at 30 a second) rendered from a 1920x1080 still, three times,
// against the plain ffmpeg program turning the same still into as many pictures with the
// same codec and size in the same run.
#include "bench_measure.h"
#include "library/video_loop_render.h"

#include <QApplication>
#include <QProcess>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s STILL.png\n", argv[0]);
        return 2;
    }
    const QString still = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir dir;
    QProgressBar progress;
    VideoLoopRender render(
        &progress, [](const QString& error) { std::fprintf(stderr, "%s\n", qPrintable(error)); });
    QList<double> ours, plain;
    for (int run = 0; run < 3; ++run) {
        QSignalSpy done(&render, &VideoLoopRender::finished);
        const Clock::time_point start = Clock::now();
        if (!render.start({still, "Logo", 1920, 1080}, 300, dir.path(), "Original"))
            return 1;
        while (done.isEmpty())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        ours.append(msBetween(start, Clock::now()));
        if (done.first().first().toString().isEmpty())
            std::fprintf(stderr, "render %d failed\n", run);

        const Clock::time_point from = Clock::now();
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg",
                     {"-v", "error", "-y", "-loop", "1", "-i", still, "-r", "30", "-frames:v",
                      "300", "-c:v", "mpeg4", "-s", "1920x1080", dir.filePath("plain.avi")});
        ffmpeg.waitForFinished(-1);
        plain.append(msBetween(from, Clock::now()));
    }
    report("Convert, 10 s loop of a 1920x1080 still", ours);
    report("ffmpeg -loop 1 ... -frames:v 300, same still", plain);
    std::printf("ratio of the medians: %.2f\n", percentile(ours, 0.5) / percentile(plain, 0.5));
    return 0;
}
