// A show on the real console: two looping clips in Player A and Player B on the stage "Main",
// crossfaded with a right click on "DISSOLVE" every INTERVAL seconds for SECONDS. Prints each
// dissolve's real duration against its set time, the pictures dropped per channel and the
// CPU time per media second; and where the user-interface thread's time went: the event
// loop's lag and the slowest handlings during each dissolve, and the slowest kinds overall.
#include "channels/channel_mixer.h"
#include "channels/channel_panel.h"
#include "core/console.h"
#include "core/main_window.h"
#include "media/ff_player.h"

#include "bench_show.h"
#include "cpu_time.h"
#include "ui_thread_probe.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

int main(int argc, char* argv[])
{
    TimedApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: %s FILE_A FILE_B [SECONDS [INTERVAL]]\n",
                     qPrintable(arguments.first()));
        return 2;
    }
    const int seconds = arguments.size() > 3 ? arguments.at(3).toInt() : 60;
    const int interval = arguments.size() > 4 ? arguments.at(4).toInt() : 5;

    QTemporaryDir dir;
    const std::unique_ptr<Console> console = startBenchConsole(dir);
    if (!console)
        return 1;
    MainWindow* main = console->main();
    playLoopingClips(main, arguments.at(1), arguments.at(2));
    for (const int channel : {1, 2})
        main->panel(channel)->transitionTime()->setValue(2); // 1.0 s
    benchButton(main, "btnCutB")->click();                   // B waits off air
    ChannelMixer& mixer = main->channels().mixer();

    const double setTime = main->panel(1)->transitionTime()->value() / 2.0;
    struct Dissolve {
        qint64 from, to; // on the application's clock
    };
    std::vector<Dissolve> dissolves;
    QElapsedTimer show;
    qint64 dissolveFrom = -1;
    const double cpuBefore = cpuSeconds();
    show.start();

    QString players; // read before quitting, which closes the console and its players
    QTimer next;
    QObject::connect(&next, &QTimer::timeout, &app, [&] {
        if (show.elapsed() >= seconds * 1000LL) {
            for (const int channel : {1, 2}) {
                TFFPlayer* player = main->channels().ThePlayer(channel);
                players += QStringLiteral("Player %1: %2 pictures dropped, playing at %3 s\n")
                               .arg(QChar(channel == 1 ? 'A' : 'B'))
                               .arg(player->FramesDropped())
                               .arg(player->CurrentPTS() / 1e6, 0, 'f', 2);
            }
            main->closeWithoutAsking(); // the clips are on air: no question
            return;
        }
        dissolveFrom = app.clock.nsecsElapsed();
        emit benchButton(main, "btnDissolve")->customContextMenuRequested({}); // A and B cross
    });
    QTimer watch;
    watch.setTimerType(Qt::PreciseTimer);
    QObject::connect(&watch, &QTimer::timeout, &app, [&] {
        if (dissolveFrom >= 0 && !mixer.dissolving(1) && !mixer.dissolving(2)) {
            dissolves.push_back({dissolveFrom, app.clock.nsecsElapsed()});
            dissolveFrom = -1;
        }
    });
    next.start(interval * 1000);
    watch.start(1);
    app.exec();

    const double cpu = cpuSeconds() - cpuBefore;
    const double elapsed = show.elapsed() / 1000.0;
    double worst = 0;
    QStringList listed;
    for (const Dissolve& d : dissolves) {
        const double duration = (d.to - d.from) / 1e9;
        listed.append(QString::number(duration, 'f', 3));
        worst = std::max(worst, std::abs(duration - setTime));
    }
    std::printf("dissolves: %d, set %.1f s, real %s s\n", int(dissolves.size()), setTime,
                qPrintable(listed.join(' ')));
    std::printf("largest difference from the set time: %.1f ms (one frame at 30 fps is 33.3 "
                "ms)\n",
                worst * 1000);
    std::printf("user-interface thread during each dissolve (event-loop lag, slowest "
                "handlings):\n");
    for (const Dissolve& d : dissolves) {
        QStringList slowest;
        for (const auto& handling : app.slowBetween(d.from, d.to)) {
            if (slowest.size() == 3)
                break;
            slowest.append(
                QStringLiteral("%1 ms %2").arg(handling.took / 1e6, 0, 'f', 1).arg(handling.what));
        }
        std::printf("  %.3f s: lag %.1f ms; %s\n", (d.to - d.from) / 1e9,
                    app.largestLagBetween(d.from, d.to) / 1e6,
                    slowest.isEmpty() ? "none above 2 ms" : qPrintable(slowest.join("; ")));
    }
    std::vector<std::pair<QString, TimedApplication::Total>> kinds(app.totals.begin(),
                                                                   app.totals.end());
    std::sort(kinds.begin(), kinds.end(),
              [](const auto& a, const auto& b) { return a.second.took > b.second.took; });
    std::printf("the show's handlings by time taken (count, total, longest):\n");
    for (size_t i = 0; i < std::min<size_t>(kinds.size(), 12); ++i)
        std::printf("  %6d %8.1f ms %6.1f ms  %s\n", kinds[i].second.count,
                    kinds[i].second.took / 1e6, kinds[i].second.longest / 1e6,
                    qPrintable(kinds[i].first));
    std::printf("%s", qPrintable(players));
    std::printf("CPU: %.2f s over %.1f s of show with two channels playing: %.3f CPU s per "
                "media s of one channel\n",
                cpu, elapsed, cpu / (2 * elapsed));
    return 0;
}
