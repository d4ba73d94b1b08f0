// A show on the real console: two looping clips in Player A and Player B on the stage "Main",
// crossfaded with a right click on "DISSOLVE" every INTERVAL seconds for SECONDS. Prints each
// dissolve's real duration against its set time, the pictures dropped per channel and the
// CPU time per media second.
#include "channels/channel_mixer.h"
#include "channels/channel_panel.h"
#include "core/console.h"
#include "core/main_window.h"
#include "media/ff_player.h"

#include "bench_show.h"
#include "cpu_time.h"

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
    QApplication app(argc, argv);
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
    QList<double> durations;
    QElapsedTimer show;
    QElapsedTimer dissolve;
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
        emit benchButton(main, "btnDissolve")->customContextMenuRequested({}); // A and B cross
        dissolve.start();
    });
    QTimer watch;
    watch.setTimerType(Qt::PreciseTimer);
    QObject::connect(&watch, &QTimer::timeout, &app, [&] {
        if (dissolve.isValid() && !mixer.dissolving(1) && !mixer.dissolving(2)) {
            durations.append(dissolve.nsecsElapsed() / 1e9);
            dissolve.invalidate();
        }
    });
    next.start(interval * 1000);
    watch.start(1);
    app.exec();

    const double cpu = cpuSeconds() - cpuBefore;
    const double elapsed = show.elapsed() / 1000.0;
    double worst = 0;
    QStringList listed;
    for (const double duration : durations) {
        listed.append(QString::number(duration, 'f', 3));
        worst = std::max(worst, std::abs(duration - setTime));
    }
    std::printf("dissolves: %d, set %.1f s, real %s s\n", int(durations.size()), setTime,
                qPrintable(listed.join(' ')));
    std::printf("largest difference from the set time: %.1f ms (one frame at 60 Hz is 16.7 "
                "ms)\n",
                worst * 1000);
    std::printf("%s", qPrintable(players));
    std::printf("CPU: %.2f s over %.1f s of show with two channels playing: %.3f CPU s per "
                "media s of one channel\n",
                cpu, elapsed, cpu / (2 * elapsed));
    return 0;
}
