// The automation path on the real console while both channels play 1080p H.264:
//   pad      a pad tile pressed → the layer window's opacity changed on the X server, read by
//            a second X connection (median and 99th percentile over 500 presses);
//   spacing  the real spacing of the lines of a 10-line action (target 10 ms ± 2 ms);
//   connsend 1,000 CONNSEND to a host that never answers, from an action and as one flood:
//            the event loop's lag (99th percentile, target under 20 ms) and the memory.
#include "automation/action_runner.h"
#include "automation/connection_senders.h"
#include "channels/channel_panel.h"
#include "core/main_window.h"
#include "media/ff_player.h"
#include "ui/action_pad.h"

#include "bench_measure.h"
#include "bench_show.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

void benchPad(Console& console)
{
    auto* pad = static_cast<ActionPad*>(console.window("f_azioni"));
    OpacityWatch watch(console.window("playout")->winId());
    pause(500);
    QList<Clock::time_point> presses;
    for (int press = 0; press < 500; ++press) {
        presses.append(Clock::now());
        static_cast<QAbstractButton*>(pad->tile(1 + press % 2))->click();
        pause(30);
    }
    const int unseen = reportOpacityChanges("pad tile → opacity on the X server", watch, presses);
    std::printf("presses without a change seen: %d\n", unseen);
}

void benchSpacing(MainWindow* main)
{
    QList<Clock::time_point> lines;
    QObject::connect(main->channels().TheVolume(1), &QSlider::valueChanged, main,
                     [&lines] { lines.append(Clock::now()); });
    QList<double> spacing;
    for (int run = 0; run < 100; ++run) {
        lines.clear();
        main->runner().runAction(3, ActionRunner::Source::Pad);
        while (!main->runner().idle())
            pause(5);
        for (qsizetype i = 1; i < lines.size(); ++i)
            spacing.append(msBetween(lines.at(i - 1), lines.at(i)));
        pause(20);
    }
    report("spacing of the lines of a 10-line action", spacing);
    const auto within = std::count_if(spacing.begin(), spacing.end(),
                                      [](double ms) { return std::abs(ms - 10) <= 2; });
    std::printf("within 10 ms ± 2 ms: %lld of %lld\n", (long long)within,
                (long long)spacing.size());
}

void benchConnSend(MainWindow* main)
{
    int finished = 0;
    QObject::connect(&main->senders(), &ConnectionSenders::finished, main,
                     [&finished] { ++finished; });
    const long before = residentKiB();
    EventLoopLag lag;
    main->runner().runAction(4, ActionRunner::Source::Pad);
    while (!main->runner().idle())
        pause(50);
    long largest = residentKiB();
    report("event-loop lag while an action sends 1,000 CONNSEND", lag.ms);
    std::printf("sends waiting at its end: %d, finished: %d\n", main->senders().pending(),
                finished);

    lag.clear();
    const int finishedBefore = finished;
    const int pendingBefore = main->senders().pending();
    for (int i = 0; i < 1000; ++i)
        main->eseguiScript("CONNSEND,1,flood");
    const int accepted = main->senders().pending() - pendingBefore;
    for (int i = 0; i < 40; ++i) {
        pause(100);
        largest = std::max(largest, residentKiB());
    }
    report("event-loop lag in the 4 s after a flood of 1,000 CONNSEND", lag.ms);
    std::printf("flood: accepted at once %d (the rest dropped), finished since %d\n",
                accepted + (finished - finishedBefore), finished - finishedBefore);
    std::printf("memory: %ld KiB before, %ld KiB at most (+%ld KiB)\n", before, largest,
                largest - before);
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: %s pad|spacing|connsend FILE_A FILE_B\n",
                     qPrintable(arguments.first()));
        return 2;
    }

    // A host that never answers: a socket listening with no room and never accepting, so
    // that connections wait for their time-out.
    const int silent = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(silent, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(silent, 0) != 0 ||
        getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("silent host");
        return 1;
    }
    QStringList volumes, sends;
    for (int i = 1; i <= 10; ++i)
        volumes.append(QStringLiteral("SETVOLUME,A,%1").arg(i * 5));
    for (int i = 0; i < 1000; ++i)
        sends.append(QStringLiteral("CONNSEND,1,x")); // one SQL text holds at most 16,383
    const QString insertAction =
        QStringLiteral(R"(insert into "azioni" ("id", "nome", "script") values (%1, '%2', '%3'))");
    QTemporaryDir dir;
    const std::unique_ptr<Console> console = startBenchConsole(
        dir, {insertAction.arg(1).arg("Half").arg("SETOPACITY,A,100"),
              insertAction.arg(2).arg("Most").arg("SETOPACITY,A,200"),
              insertAction.arg(3).arg("Ten").arg(volumes.join("\r\n")),
              insertAction.arg(4).arg("Thousand").arg(sends.join("\r\n")),
              QStringLiteral(R"(insert into "connessioni" ("id", "nome", "tipo", "tiponome",
                 "host", "port") values (1, 'Silent', 0, 'TCP', '127.0.0.1', %1))")
                  .arg(ntohs(address.sin_port))});
    if (!console)
        return 1;
    MainWindow* main = console->main();
    playLoopingClips(main, arguments.at(2), arguments.at(3));
    pause(1000);

    const QString mode = arguments.at(1);
    if (mode == "pad")
        benchPad(*console);
    else if (mode == "spacing")
        benchSpacing(main);
    else
        benchConnSend(main);
    for (const int channel : {1, 2})
        std::printf("Player %c: %d pictures dropped\n", channel == 1 ? 'A' : 'B',
                    main->channels().ThePlayer(channel)->FramesDropped());
    main->closeWithoutAsking();
    close(silent);
    return 0;
}
