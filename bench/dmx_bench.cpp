// DMX over Art-Net on the real console while both channels play 1080p H.264, from a desk on a
// thread of its own sending to 127.0.0.2:6454:
//   stream   4 universes × 512 channels at 44 frames a second for SECONDS (600), every channel
//            changing every frame, OpacityA on channel 1 of universe 3: the values delivered
//            against those sent, the opacity moves, the event loop's lag, CPU, pictures dropped;
//   static   the same frames resent unchanged (as desks do): CPU and lag;
//   idle     no Art-Net at all, for comparison;
//   latency  1,000 packets, 30 ms apart, each moving OpacityA → the layer window's opacity on
//            the X server (median and 99th percentile);
//   junk     20,000 junk datagrams a second for SECONDS (30) beside a valid 44 frames a second
//            stream: nothing taken from junk, memory, the event loop's lag.
#include "control/artnet_packet.h"
#include "core/main_menu.h"
#include "core/main_window.h"
#include "core/system_devices.h"
#include "media/ff_player.h"

#include "bench_measure.h"
#include "bench_show.h"
#include "cpu_time.h"

#include <QAction>
#include <QApplication>
#include <QRandomGenerator>
#include <QSlider>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {
// The program's reception, counting the values it hands to the console.
class CountingArtNet : public SystemArtNet {
public:
    using SystemArtNet::SystemArtNet;
    std::optional<QString> activate(Receiver receiver) override
    {
        return SystemArtNet::activate([this, receiver](int s, int u, int c, int v) {
            ++delivered;
            receiver(s, u, c, v);
        });
    }
    uint64_t delivered = 0;
};

// A desk: datagrams from 127.0.0.3 to the console's 127.0.0.2:6454.
class Desk {
public:
    Desk()
    {
        m_fd = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in from{};
        from.sin_family = AF_INET;
        from.sin_addr.s_addr = inet_addr("127.0.0.3");
        bind(m_fd, reinterpret_cast<sockaddr*>(&from), sizeof from);
        m_to.sin_family = AF_INET;
        m_to.sin_addr.s_addr = inet_addr("127.0.0.2");
        m_to.sin_port = htons(ArtNetReceiver::Port);
    }
    ~Desk() { close(m_fd); }
    void send(const QByteArray& datagram)
    {
        sendto(m_fd, datagram.constData(), size_t(datagram.size()), 0,
               reinterpret_cast<const sockaddr*>(&m_to), sizeof m_to);
    }

private:
    int m_fd;
    sockaddr_in m_to{};
};

// 4 universes at 44 frames a second for `seconds`; `changing`: every channel changes every
// frame. Returns the frames sent.
int sendFrames(Desk& desk, int seconds, bool changing)
{
    const auto start = Clock::now();
    auto next = start;
    int frames = 0;
    for (int frame = 0; Clock::now() - start < std::chrono::seconds(seconds); ++frame) {
        for (int universe = 0; universe < 4; ++universe) {
            QByteArray values(512, 0);
            for (int channel = 0; channel < 512; ++channel)
                values[channel] = char(changing ? (frame + channel) % 256 : channel % 256);
            desk.send(makeArtDmx(0, 0, universe, values, frame % 255 + 1));
        }
        ++frames;
        next += std::chrono::microseconds(1000000 / 44);
        std::this_thread::sleep_until(next);
    }
    return frames;
}

void printLoad(const char* what, const EventLoopLag& lag, double cpuBefore, int seconds)
{
    report(what, lag.ms);
    std::printf("process CPU: %.1f %% of one core\n", 100 * (cpuSeconds() - cpuBefore) / seconds);
}

void benchStream(MainWindow* main, CountingArtNet& artNet, int seconds, bool changing)
{
    auto* opacity = main->findChild<QSlider*>("AlphaTrack1");
    int moves = 0;
    QObject::connect(opacity, &QSlider::valueChanged, opacity, [&moves] { ++moves; });
    Desk desk;
    EventLoopLag lag;
    const double cpuBefore = cpuSeconds();
    int frames = 0;
    whileRunning([&] { frames = sendFrames(desk, seconds, changing); });
    pause(500);
    printLoad("event-loop lag", lag, cpuBefore, seconds);
    const ArtNetCounters counters = artNet.receiver().counters();
    const uint64_t expected = changing ? uint64_t(frames) * 4 * 512 : 4 * 512;
    std::printf("frames sent %d × 4 universes, accepted %llu; values delivered %llu of %llu "
                "changes: %s; queue full %llu times\n",
                frames, (unsigned long long)counters.accepted, (unsigned long long)artNet.delivered,
                (unsigned long long)expected, artNet.delivered == expected ? "none lost" : "LOST",
                (unsigned long long)counters.overflows);
    std::printf("OpacityA (universe 3, channel 1) moved %d times for %d frames\n", moves,
                changing ? frames : 1);
}

void benchLatency(Console& console)
{
    OpacityWatch watch(console.window("playout")->winId());
    Desk desk;
    pause(300);
    QList<Clock::time_point> sent;
    whileRunning([&] {
        for (int i = 0; i < 1000; ++i) {
            sent.append(Clock::now());
            desk.send(makeArtDmx(0, 0, 3, QByteArray(1, char(i % 2 ? 100 : 200))));
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
    });
    pause(300);
    const int unseen =
        reportOpacityChanges("Art-Net packet → opacity on the X server", watch, sent);
    std::printf("without a change seen: %d\n", unseen);
}

void benchJunk(MainWindow* main, CountingArtNet& artNet, int seconds)
{
    auto* opacity = main->findChild<QSlider*>("AlphaTrack1");
    int moves = 0;
    QObject::connect(opacity, &QSlider::valueChanged, opacity, [&moves] { ++moves; });
    const long before = residentKiB();
    long largest = before;
    EventLoopLag lag;
    std::atomic<bool> stop = false;
    std::atomic<long> junkSent = 0;
    std::thread junk([&] {
        Desk desk;
        QRandomGenerator random(11);
        const QByteArray valid = makeArtDmx(0, 0, 3, QByteArray(512, 9));
        auto next = Clock::now();
        while (!stop) {
            // 200 datagrams every 10 ms: random bytes, broken and foreign Art-Net.
            for (int i = 0; i < 200; ++i) {
                QByteArray datagram;
                switch (i % 5) {
                case 0: // random bytes
                    datagram.resize(random.bounded(1, 600));
                    for (char& byte : datagram)
                        byte = char(random.bounded(256));
                    break;
                case 1: // cut short
                    datagram = valid.left(random.bounded(1, 18));
                    break;
                case 2: // more announced than sent
                    datagram = valid.left(18 + random.bounded(0, 500));
                    break;
                case 3: // another Net
                    datagram = makeArtDmx(1 + random.bounded(127), 0, 3, QByteArray(512, 77));
                    break;
                default: // ArtPoll
                    datagram = valid.left(14);
                    datagram[9] = 0x20;
                }
                desk.send(datagram);
                ++junkSent;
            }
            next += std::chrono::milliseconds(10);
            std::this_thread::sleep_until(next);
        }
    });
    Desk desk;
    int frames = 0;
    whileRunning([&] {
        const auto start = Clock::now();
        auto next = start;
        for (; Clock::now() - start < std::chrono::seconds(seconds); ++frames) {
            desk.send(makeArtDmx(0, 0, 3, QByteArray(1, char(frames % 2 ? 10 : 20))));
            next += std::chrono::microseconds(1000000 / 44);
            std::this_thread::sleep_until(next);
        }
    });
    stop = true;
    junk.join();
    pause(500);
    largest = std::max(largest, residentKiB());
    report("event-loop lag", lag.ms);
    const ArtNetCounters c = artNet.receiver().counters();
    std::printf("junk sent %ld (%.0f a second); valid frames %d, accepted %llu, values delivered "
                "%llu, OpacityA moved %d times\n",
                long(junkSent), double(junkSent) / seconds, frames, (unsigned long long)c.accepted,
                (unsigned long long)artNet.delivered, moves);
    std::printf("rejected: too short %llu, not Art-Net %llu, other packets %llu, bad length "
                "%llu, other Net %llu\n",
                (unsigned long long)c.tooShort, (unsigned long long)c.notArtNet,
                (unsigned long long)c.otherOpCode, (unsigned long long)c.badLength,
                (unsigned long long)c.otherNet);
    std::printf("memory: %ld KiB before, %ld KiB after (+%ld KiB)\n", before, largest,
                largest - before);
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: %s stream|static|idle|latency|junk FILE_A FILE_B [SECONDS]\n",
                     qPrintable(arguments.first()));
        return 2;
    }
    const QString mode = arguments.at(1);
    const int seconds = arguments.size() > 4 ? arguments.at(4).toInt() : 60;
    QTemporaryDir dir;
    CountingArtNet* artNet = nullptr;
    PlatformServices services;
    services.loadArtNet = [&] {
        ArtNetSettings settings;
        settings.address = QHostAddress("127.0.0.2");
        const QString path = dir.filePath(ArtNetSettings::FileName);
        settings.save(path);
        auto made = std::make_unique<CountingArtNet>(path);
        artNet = made.get();
        return made;
    };
    const std::unique_ptr<Console> console = startBenchConsole(
        dir, {R"(update "dmx" set "universo" = 3, "channel" = 1 where "tipo" = 'OpacityA')"},
        std::move(services));
    if (!console)
        return 1;
    MainWindow* main = console->main();
    playLoopingClips(main, arguments.at(2), arguments.at(3));
    if (mode != "idle") {
        main->mainMenu()->artNetActive()->trigger(); // as the operator does
        if (!main->mainMenu()->artNetActive()->isChecked()) {
            std::fprintf(stderr, "Art-Net reception did not start\n");
            return 1;
        }
    }
    pause(1000);

    if (mode == "stream" || mode == "static") {
        benchStream(main, *artNet, seconds, mode == "stream");
    } else if (mode == "idle") {
        EventLoopLag lag;
        const double cpuBefore = cpuSeconds();
        pause(seconds * 1000);
        printLoad("event-loop lag", lag, cpuBefore, seconds);
    } else if (mode == "latency") {
        benchLatency(*console);
    } else {
        benchJunk(main, *artNet, seconds);
    }
    for (const int channel : {1, 2})
        std::printf("Player %c: %d pictures dropped\n", channel == 1 ? 'A' : 'B',
                    main->channels().ThePlayer(channel)->FramesDropped());
    main->closeWithoutAsking();
    return 0;
}
