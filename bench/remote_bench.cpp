// The command server of the real console while both channels play 1080p H.264, driven by
// clients on threads of their own over 127.0.0.1:
//   latency  1,000 messages, each from its own connection → the layer window's opacity on
//            the X server (median and 99th percentile);
//   stream   40 messages a second for SECONDS plus a burst of 20 clients at once every 5 s:
//            none lost, none doubled, the stream's order kept;
//   junk     random bytes, over-long lines and 1,000 idle connections alongside 10 real
//            messages a second: their latency, the memory, no modal box;
//   chain    a second console drives this one through a "QVX" connection: 100 messages.
#include "automation/remote_command_server.h"
#include "core/main_window.h"
#include "media/ff_player.h"

#include "bench_measure.h"
#include "bench_show.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QSlider>
#include <QTcpServer>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {
// A client's connection to the console's command server; -1 when it failed.
int connectTo(quint16 port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// One message as a client sends it: connect, the line, close.
bool sendLine(quint16 port, const QByteArray& line)
{
    const int fd = connectTo(port);
    if (fd < 0)
        return false;
    const QByteArray bytes = line + "\r\n";
    const bool sent = write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    close(fd);
    return sent;
}

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The values a slider takes, in order.
struct Recorder {
    QList<int> values;
    explicit Recorder(QSlider* slider)
    {
        QObject::connect(slider, &QSlider::valueChanged, slider,
                         [this](int value) { values.append(value); });
    }
};

bool anyMessageBox()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<QMessageBox*>(widget) && widget->isVisible())
            return true;
    return false;
}

// Sends `count` opacity messages `gapMs` apart and prints their latency to the X server.
void opacityLatency(Console& console, quint16 port, int count, int gapMs, const char* what)
{
    OpacityWatch watch(console.window("playout")->winId());
    pause(300);
    std::mutex mutex;
    QList<Clock::time_point> sent;
    int failed = 0;
    whileRunning([&] {
        for (int i = 0; i < count; ++i) {
            const auto at = Clock::now();
            if (sendLine(port, i % 2 ? "SETOPACITY.A.200" : "SETOPACITY.A.100")) {
                std::lock_guard lock(mutex);
                sent.append(at);
            } else {
                ++failed;
            }
            sleepMs(gapMs);
        }
    });
    pause(300);
    const int unseen = reportOpacityChanges(what, watch, sent);
    std::printf("messages not delivered: %d, without a change seen: %d\n", failed, unseen);
}

void benchStream(MainWindow* main, quint16 port, int seconds)
{
    Recorder alpha(main->findChild<QSlider*>("AlphaTrack1"));
    Recorder volume(main->findChild<QSlider*>("volB"));
    QList<int> expected;
    int bursts = 0;
    whileRunning([&] {
        const auto start = Clock::now();
        for (int i = 0; Clock::now() - start < std::chrono::seconds(seconds); ++i) {
            const int value = i % 128; // neighbours differ, so every message moves the bar
            sendLine(port, QStringLiteral("SETOPACITY.A.%1").arg(value).toLatin1());
            expected.append(255 - value);
            if (i % 200 == 199) { // every 5 s: 20 clients at once
                const int base = 20 * (bursts++ % 2);
                std::vector<std::thread> clients;
                for (int k = 1; k <= 20; ++k)
                    clients.emplace_back([port, base, k] {
                        sendLine(port, QStringLiteral("SETVOLUME.B.%1").arg(base + k).toLatin1());
                    });
                for (std::thread& client : clients)
                    client.join();
            }
            sleepMs(25);
        }
    });
    while (!main->runner().idle())
        pause(50);
    pause(200);
    std::printf("stream: %lld messages sent, %lld run; %s\n", (long long)expected.size(),
                (long long)alpha.values.size(),
                alpha.values == expected ? "none lost, none doubled, in order"
                                         : "LOST, DOUBLED OR OUT OF ORDER");
    std::printf("bursts: %d of 20 clients, %lld messages run (expected %d)\n", bursts,
                (long long)volume.values.size(), bursts * 20);
}

void benchJunk(Console& console, quint16 port)
{
    const long before = residentKiB();
    std::atomic<bool> stop = false;
    std::vector<int> idle;
    std::thread junk([&] {
        QRandomGenerator random(7);
        for (int round = 0; !stop; ++round) {
            // Random bytes (no line feed), an over-long line, then more idle connections.
            QByteArray bytes(512, 0);
            for (char& byte : bytes)
                byte = char(random.bounded(256) == '\n' ? 'x' : random.bounded(256));
            if (const int fd = connectTo(port); fd >= 0) {
                (void)!write(fd, bytes.constData(), size_t(bytes.size()));
                close(fd);
            }
            if (const int fd = connectTo(port); fd >= 0) {
                const QByteArray longLine(RemoteCommandServer::MaxLineBytes * 2, 'A');
                (void)!write(fd, longLine.constData(), size_t(longLine.size()));
                close(fd);
            }
            for (int i = 0; i < 50 && idle.size() < 1000; ++i)
                if (const int fd = connectTo(port); fd >= 0)
                    idle.push_back(fd);
            sleepMs(10);
        }
    });
    opacityLatency(console, port, 200, 100, "real messages among junk → opacity on the X server");
    stop = true;
    junk.join();
    for (const int fd : idle)
        close(fd);
    pause(500);
    std::printf("idle connections opened: %lld; memory: %ld KiB before, %ld KiB after "
                "(+%ld KiB); a message box: %s\n",
                (long long)idle.size(), before, residentKiB(), residentKiB() - before,
                anyMessageBox() ? "YES" : "none");
}

void benchChain(MainWindow* main, quint16 port)
{
    QTemporaryDir dir;
    const std::unique_ptr<Console> other = startBenchConsole(
        dir, {QStringLiteral(R"(insert into "connessioni" ("id", "nome", "tipo", "tiponome",
                 "host", "port") values (1, 'Peer', 3, 'QVX', '127.0.0.1', %1))")
                  .arg(port)});
    if (!other)
        return;
    Recorder alpha(main->findChild<QSlider*>("AlphaTrack1"));
    QList<int> expected;
    for (int i = 0; i < 100; ++i) {
        const int value = i % 128;
        other->main()->eseguiScript(QStringLiteral("CONNSEND,1,SETOPACITY.A.%1").arg(value));
        expected.append(255 - value);
        pause(50);
    }
    pause(500);
    std::printf("chain: 100 sent by the second console, %lld run here; %s\n",
                (long long)alpha.values.size(),
                alpha.values == expected ? "none lost, in order" : "LOST OR OUT OF ORDER");
    other->main()->closeWithoutAsking();
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: %s latency|stream|junk|chain FILE_A FILE_B [SECONDS]\n",
                     qPrintable(arguments.first()));
        return 2;
    }
    QTemporaryDir dir;
    const std::unique_ptr<Console> console = startBenchConsole(dir);
    if (!console)
        return 1;
    MainWindow* main = console->main();
    playLoopingClips(main, arguments.at(2), arguments.at(3));
    // The command server on a free port, switched on as the operator does.
    quint16 port = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        port = probe.serverPort();
    }
    main->findChild<QLineEdit*>("txtPort")->setText(QString::number(port));
    main->findChild<QCheckBox*>("chkServerActive")->click();
    pause(1000);

    const QString mode = arguments.at(1);
    if (mode == "latency")
        opacityLatency(*console, port, 1000, 30, "TCP message → opacity on the X server");
    else if (mode == "stream")
        benchStream(main, port, arguments.size() > 4 ? arguments.at(4).toInt() : 60);
    else if (mode == "junk")
        benchJunk(*console, port);
    else
        benchChain(main, port);
    for (const int channel : {1, 2})
        std::printf("Player %c: %d pictures dropped\n", channel == 1 ? 'A' : 'B',
                    main->channels().ThePlayer(channel)->FramesDropped());
    main->closeWithoutAsking();
    return 0;
}
