// A long show on the real console: one playlist of short clips of mixed formats, one of them
// cut short, chained with "NEXT CLIP" and "REPEAT PLAYLIST" in Player A and Player B, with a
// 1.0 s dissolve every INTERVAL seconds, for SECONDS. A next clip loads into the selected
// channel: each dissolve selects the channel it takes off air. Every REPORT seconds and at the end
// it prints resident memory, open descriptors and threads, the largest picture/sound drift seen,
// pictures dropped, dissolve durations, clips played and faults met. The fault messages are
// answered as an operator would.
#include "channels/channel_mixer.h"
#include "channels/channel_panel.h"
#include "core/console.h"
#include "core/console_application.h"
#include "core/main_window.h"
#include "media/ff_player.h"

#include "bench_measure.h"
#include "bench_show.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
long threads()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("Threads:"))
            return line.mid(8).trimmed().toLong();
    return -1;
}

long openDescriptors()
{
    return long(QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

// What one channel did: clips opened, pictures dropped over all its openings, the largest
// picture/sound drift in steady play since the last report (the first report includes the
// sound server's start).
struct ChannelCount {
    int clips = 0;
    long dropped = 0;
    long droppedAtStart = 0; // of those, in a clip's first second
    int droppedNow = 0;      // of the current opening
    double worstDrift = 0;
    bool brokeOff = false;  // the current opening's file broke off: its sound runs out alone
    bool driftTold = false; // a drift over 100 ms of the current opening was logged
    qint64 openedAt = -1;   // when the current opening began, on the show's clock (ms)
};

struct Interval {
    QList<double> dissolves;
    int faults = 0;
};

} // namespace

int main(int argc, char* argv[])
{
    ConsoleApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: %s SECONDS REPORT_SECONDS [INTERVAL] FILE...\n",
                     qPrintable(arguments.first()));
        return 2;
    }
    const qint64 seconds = arguments.at(1).toLongLong();
    const qint64 report = std::max<qint64>(1, arguments.at(2).toLongLong());
    const int interval = arguments.at(3).toInt();
    const QStringList files = arguments.mid(4);
    if (seconds <= 0 || interval <= 0 || files.size() < 2) {
        std::fprintf(stderr, "usage: %s SECONDS REPORT_SECONDS INTERVAL FILE FILE...\n",
                     qPrintable(arguments.first()));
        return 2;
    }
    int escaped = 0;
    app.showError = [&escaped](const QString& message) {
        ++escaped;
        std::fprintf(stderr, "escaped error: %s\n", qPrintable(message));
    };

    QTemporaryDir dir;
    const std::unique_ptr<Console> console = startBenchConsole(dir);
    if (!console)
        return 1;
    MainWindow* main = console->main();
    addChainedClips(main, files);

    ChannelCount counts[2];
    QElapsedTimer clock; // for the times of openings
    clock.start();
    QMap<QString, long> droppedByFile; // where pictures were dropped
    for (const int channel : {1, 2}) {
        TFFPlayer* player = main->channels().ThePlayer(channel);
        auto forward = player->OnFileOpen;
        player->OnFileOpen = [forward, &counts, &clock,
                              channel](TFFPlayer* sender, int64_t duration, int width, int height,
                                       int& screenWidth, int& screenHeight) {
            ++counts[channel - 1].clips;
            counts[channel - 1].droppedNow = 0;
            counts[channel - 1].brokeOff = false;
            counts[channel - 1].driftTold = false;
            counts[channel - 1].openedAt = clock.elapsed();
            forward(sender, duration, width, height, screenWidth, screenHeight);
        };
        auto forwardBreak = player->OnReadError;
        player->OnReadError = [forwardBreak, &counts, channel](TFFPlayer* sender, int64_t at) {
            counts[channel - 1].brokeOff = true;
            forwardBreak(sender, at);
        };
        main->panel(channel)->transitionTime()->setValue(2); // 1.0 s
        benchButton(main, channel == 1 ? "btnLayerA" : "btnLayerB")->click();
        main->database().playlist.moveTo(channel - 1);
        benchButton(main, "btnPlayA")->click();
    }
    benchButton(main, "btnCutB")->click(); // B waits off air
    ChannelMixer& mixer = main->channels().mixer();

    QElapsedTimer show;
    show.start();
    Interval now, total;
    QElapsedTimer dissolve;
    long firstMemory = -1;

    // Every 20 ms: pictures dropped, the drift, the fault messages answered.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &app, [&] {
        for (const int channel : {1, 2}) {
            TFFPlayer* player = main->channels().ThePlayer(channel);
            ChannelCount& count = counts[channel - 1];
            const int dropped = player->FramesDropped();
            if (dropped > count.droppedNow) {
                const int more = dropped - count.droppedNow;
                count.dropped += more;
                if (player->CurrentPTS() < 1000000)
                    count.droppedAtStart += more;
                count.droppedNow = dropped;
                // Where, and what else went on: the other channel's opening, a dissolve.
                const QString file = QFileInfo(player->FileName()).fileName();
                droppedByFile[file] += more;
                const ChannelCount& other = counts[2 - channel];
                std::fprintf(stderr,
                             "dropped %d: %c %s at %.2f s of the clip, %.1f s into the show; the "
                             "other channel opened %.2f s before%s\n",
                             more, channel == 1 ? 'A' : 'B', qPrintable(file),
                             player->CurrentPTS() / 1e6, show.elapsed() / 1000.0,
                             (clock.elapsed() - other.openedAt) / 1000.0,
                             mixer.dissolving(1) || mixer.dissolving(2) ? ", dissolving" : "");
            }
            // In steady play: from 1 s into the clip (both clocks set and settled).
            const double drift = player->ClockDrift();
            if (player->PlayState() == psPlay && player->CurrentPTS() > 1000000 &&
                !count.brokeOff && std::isfinite(drift)) {
                count.worstDrift = std::max(count.worstDrift, std::fabs(drift));
                if (std::fabs(drift) > 0.1 && !std::exchange(count.driftTold, true))
                    std::fprintf(stderr,
                                 "drift %.0f ms: %c %s at %.2f s of the clip, %.1f s into "
                                 "the show\n",
                                 drift * 1000, channel == 1 ? 'A' : 'B',
                                 qPrintable(QFileInfo(player->FileName()).fileName()),
                                 player->CurrentPTS() / 1e6, show.elapsed() / 1000.0);
            }
        }
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                ++now.faults;
                std::fprintf(stderr, "%.0f s: %s\n", show.elapsed() / 1000.0,
                             qPrintable(box->text().replace('\n', ' ')));
                box->accept();
            }
        if (dissolve.isValid() && !mixer.dissolving(1) && !mixer.dissolving(2)) {
            now.dissolves.append(dissolve.nsecsElapsed() / 1e9);
            dissolve.invalidate();
        }
    });
    watch.start(20);

    // The channel going off air is selected, as an operator prepares there: the next clip of
    // either channel loads into the selected one.
    QTimer next;
    bool aOnAir = true;
    QObject::connect(&next, &QTimer::timeout, &app, [&] {
        benchButton(main, aOnAir ? "btnLayerA" : "btnLayerB")->click();
        aOnAir = !aOnAir;
        emit benchButton(main, "btnDissolve")->customContextMenuRequested({}); // A and B cross
        dissolve.start();
    });
    next.start(interval * 1000);

    const auto print = [&](const char* label) {
        const long memory = residentKiB();
        if (firstMemory < 0)
            firstMemory = memory;
        std::printf("%s %6.0f s: memory %ld MB, descriptors %ld, threads %ld | clips A %d B %d, "
                    "dropped A %ld (%ld at a clip's start) B %ld (%ld), worst drift A %.0f ms B "
                    "%.0f ms | dissolves %lld "
                    "(median %.3f s, longest %.3f s) | faults %d, escaped errors %d\n",
                    label, show.elapsed() / 1000.0, memory / 1024, openDescriptors(), threads(),
                    counts[0].clips, counts[1].clips, counts[0].dropped, counts[0].droppedAtStart,
                    counts[1].dropped, counts[1].droppedAtStart, counts[0].worstDrift * 1000,
                    counts[1].worstDrift * 1000, qint64(now.dissolves.size()),
                    percentile(now.dissolves, 0.5), percentile(now.dissolves, 1.0), now.faults,
                    escaped);
        std::fflush(stdout);
        for (ChannelCount& count : counts) // the largest drift of each interval
            count.worstDrift = 0;
        total.dissolves += now.dissolves;
        total.faults += now.faults;
        now = {};
    };
    QTimer reports;
    QObject::connect(&reports, &QTimer::timeout, &app, [&] { print("at"); });
    reports.start(int(report * 1000));

    QTimer::singleShot(int(seconds * 1000), &app, [&] {
        watch.stop();
        next.stop();
        reports.stop();
        print("last");
        const long memory = residentKiB();
        std::printf("whole show %lld s: dissolves %lld (median %.3f s, longest %.3f s), faults "
                    "%d, memory from %ld MB to %ld MB\n",
                    seconds, qint64(total.dissolves.size()), percentile(total.dissolves, 0.5),
                    percentile(total.dissolves, 1.0), total.faults, firstMemory / 1024,
                    memory / 1024);
        QStringList files;
        for (auto it = droppedByFile.cbegin(); it != droppedByFile.cend(); ++it)
            files.append(QStringLiteral("%1 %2").arg(it.key()).arg(it.value()));
        std::printf("pictures dropped by file: %s\n",
                    files.isEmpty() ? "none" : qPrintable(files.join(", ")));
        main->closeWithoutAsking(); // the clips are on air: no question
    });
    return app.exec();
}
