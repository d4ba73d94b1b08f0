// Two players at once, each into a 960x540 window: plays both files for a given media time
// and prints CPU seconds per media second, dropped pictures, the picture/sound drift at the
// end, the time from Open to the first picture and from a Seek to the first new picture.
// Dropped pictures are counted by phase (the openings, the seeks and the 2 s after them,
// steady play) with the time of each drop.
#include "media/ff_player.h"
#include "stage/video_surface.h"

#include "cpu_time.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

namespace {
struct Channel {
    QString file;
    VideoSurface surface;
    TFFPlayer player;
    qint64 openToPicture = -1;
    qint64 seekToPicture = -1;
    int64_t lastPosition = 0;
    // Pictures dropped by phase, and when (ms since the first opening).
    int droppedIn[3] = {};
    QStringList dropTimes;
    int droppedSeen = 0;

    // Milliseconds from now until the surface has been handed a new picture.
    qint64 waitForPicture(qint64 timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        const qint64 before = surface.presentedCount();
        while (surface.presentedCount() == before && clock.elapsed() < timeoutMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        return clock.elapsed();
    }
};
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: %s FILE_A FILE_B SECONDS\n", qPrintable(arguments.first()));
        return 2;
    }
    const int seconds = arguments.at(3).toInt();
    Channel channels[2];
    for (int i = 0; i < 2; ++i) {
        Channel& channel = channels[i];
        channel.file = arguments.at(1 + i);
        channel.surface.setWindowTitle(QStringLiteral("Player %1").arg(QChar('A' + i)));
        channel.surface.setGeometry(i * 960, 0, 960, 540);
        channel.surface.show();
        channel.player.setAudioVolume(0);
        channel.player.OnLog = [i](TFFPlayer*, const QString& line) {
            std::fprintf(stderr, "player %c: %s\n", 'A' + i, qPrintable(line));
        };
        channel.player.OnPosition = [&channel](TFFPlayer*, int64_t pts) {
            channel.lastPosition = pts;
        };
    }
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500)
        app.processEvents();

    // Drops counted every 20 ms into the phase they happen in.
    enum Phase { Opening, Seeking, Steady };
    Phase phase = Opening;
    QElapsedTimer sinceOpen;
    sinceOpen.start();
    qint64 seeksEnded = -1;
    QTimer dropWatch;
    QObject::connect(&dropWatch, &QTimer::timeout, [&] {
        if (phase == Seeking && seeksEnded >= 0 && sinceOpen.elapsed() > seeksEnded + 2000)
            phase = Steady;
        for (Channel& channel : channels) {
            const int dropped = channel.player.FramesDropped();
            if (dropped <= channel.droppedSeen)
                continue;
            channel.droppedIn[phase] += dropped - channel.droppedSeen;
            channel.dropTimes.append(QString::number(sinceOpen.elapsed()));
            channel.droppedSeen = dropped;
        }
    });
    dropWatch.start(20);

    // Opening and seeking, each timed to the first picture handed to the window.
    for (Channel& channel : channels) {
        QElapsedTimer clock;
        clock.start();
        if (!channel.player.Open(channel.file, &channel.surface, false)) {
            std::fprintf(stderr, "%s\n", qPrintable(channel.player.LastError()));
            return 1;
        }
        channel.waitForPicture(2000);
        channel.openToPicture = clock.elapsed();
    }
    phase = Seeking;
    for (Channel& channel : channels) {
        channel.player.Seek(int64_t(seconds / 2) * 1000000, sfBackward);
        channel.seekToPicture = channel.waitForPicture(2000);
        channel.player.Seek(0, sfBackward);
    }
    seeksEnded = sinceOpen.elapsed();

    const double cpuStart = cpuSeconds();
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    const double cpu = cpuSeconds() - cpuStart;

    std::printf("quillon: media %d s, CPU %.2f s, %.3f CPU s per media s\n", seconds, cpu,
                cpu / seconds);
    for (int i = 0; i < 2; ++i) {
        Channel& channel = channels[i];
        std::printf("quillon %c: %s: dropped %d, painted %lld of %lld, drift %.1f ms, "
                    "open to picture %lld ms, seek to picture %lld ms, position %.2f s\n",
                    'A' + i, qPrintable(channel.file), channel.player.FramesDropped(),
                    channel.surface.paintedCount(), channel.surface.presentedCount(),
                    channel.player.ClockDrift() * 1000.0, channel.openToPicture,
                    channel.seekToPicture, channel.lastPosition / 1e6);
        std::printf("quillon %c: dropped while opening %d, seeking %d, in steady play %d%s%s\n",
                    'A' + i, channel.droppedIn[Opening], channel.droppedIn[Seeking],
                    channel.droppedIn[Steady], channel.dropTimes.isEmpty() ? "" : ", at ms ",
                    qPrintable(channel.dropTimes.join(' ')));
        channel.player.Stop(true);
    }
    return 0;
}
