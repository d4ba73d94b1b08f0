// MIDI on the real console while both channels play 1080p H.264, from an RtMidi sender on the
// same JACK server (dummy back-end):
//   latency  2,000 controller messages, 30 ms apart, mapped to OpacityA → the layer window's
//            opacity on the X server (median and 99th percentile);
//   fader    a fader sending 1,000 messages a second for SECONDS (60): the final value exact,
//            none lost, the event loop's lag, the pictures dropped;
//   idle     the same time without MIDI, for the pictures dropped without it.
#include "core/main_menu.h"
#include "core/main_window.h"
#include "core/system_devices.h"
#include "media/ff_player.h"

#include "bench_measure.h"
#include "bench_show.h"
#include "cpu_time.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSlider>
#include <rtmidi/RtMidi.h>

namespace {
const char* const SenderName = "Quillon bench sender";

void controlChange(RtMidiOut& out, int controller, int value)
{
    std::vector<unsigned char> message{0xB0, (unsigned char)controller, (unsigned char)value};
    out.sendMessage(&message);
}

void benchLatency(Console& console, RtMidiOut& out)
{
    OpacityWatch watch(console.window("playout")->winId());
    pause(300);
    QList<Clock::time_point> sent;
    whileRunning([&] {
        for (int i = 0; i < 2000; ++i) {
            sent.append(Clock::now());
            controlChange(out, 8, i % 2 ? 100 : 50);
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
    });
    pause(300);
    const int unseen = reportOpacityChanges("MIDI message → opacity on the X server", watch, sent);
    std::printf("without a change seen: %d\n", unseen);
}

void benchFader(MainWindow* main, RtMidiOut* out, int seconds)
{
    auto* volume = main->findChild<QSlider*>("volA");
    int moves = 0;
    QObject::connect(volume, &QSlider::valueChanged, volume, [&moves] { ++moves; });
    EventLoopLag lag;
    const double cpuBefore = cpuSeconds();
    int sent = 0;
    int last = 0;
    whileRunning([&] {
        const auto start = Clock::now();
        auto next = start;
        // Up and down the fader's whole travel, one message a millisecond.
        for (int i = 0; Clock::now() - start < std::chrono::seconds(seconds); ++i) {
            const int step = i % 254;
            last = step < 127 ? step : 254 - step;
            if (out) {
                controlChange(*out, 7, last);
                ++sent;
            }
            next += std::chrono::milliseconds(1);
            std::this_thread::sleep_until(next);
        }
    });
    pause(300);
    const double cpu = cpuSeconds() - cpuBefore;
    report("event-loop lag", lag.ms);
    std::printf("process CPU: %.1f %% of one core\n", 100 * cpu / seconds);
    if (!out)
        return;
    const int expected = 100 - last; // VolumeA: 100 − value × 2 div 2
    std::printf("fader: %d messages sent in %d s, the bar moved %d times; final position %d "
                "(expected %d): %s\n",
                sent, seconds, moves, volume->value(), expected,
                volume->value() == expected ? "exact" : "WRONG");
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: %s latency|fader|idle FILE_A FILE_B [SECONDS]\n",
                     qPrintable(arguments.first()));
        return 2;
    }
    const QString mode = arguments.at(1);
    const int seconds = arguments.size() > 4 ? arguments.at(4).toInt() : 60;
    std::unique_ptr<RtMidiOut> out;
    if (mode != "idle") {
        try {
            out = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, SenderName);
            out->openVirtualPort("out");
        } catch (const RtMidiError& error) {
            std::fprintf(stderr, "no MIDI sender on JACK: %s\n", error.what());
            return 1;
        }
    }
    PlatformServices services;
    auto* input = new SystemMidiInput;
    services.midi.reset(input);
    QTemporaryDir dir;
    const std::unique_ptr<Console> console = startBenchConsole(
        dir,
        {R"(update "midi" set "midi1" = 0, "midi2" = 7 where "tipo" = 'VolumeA')",
         R"(update "midi" set "midi1" = 0, "midi2" = 8 where "tipo" = 'OpacityA')"},
        std::move(services));
    if (!console)
        return 1;
    MainWindow* main = console->main();
    playLoopingClips(main, arguments.at(2), arguments.at(3));
    if (out) {
        // The sender chosen in "Midi Device", then "Midi Active", as the operator does.
        MainMenu* menu = main->mainMenu();
        for (QAction* entry : menu->midiDevice()->actions())
            if (entry->text().contains(SenderName))
                entry->trigger();
        menu->midiActive()->trigger();
        if (!menu->midiActive()->isChecked()) {
            std::fprintf(stderr, "the sender's port did not open\n");
            return 1;
        }
    }
    pause(1000);

    if (mode == "latency")
        benchLatency(*console, *out);
    else
        benchFader(main, out.get(), seconds);
    if (out)
        std::printf("MIDI messages lost: %llu\n", (unsigned long long)input->overflows());
    for (const int channel : {1, 2})
        std::printf("Player %c: %d pictures dropped\n", channel == 1 ? 'A' : 'B',
                    main->channels().ThePlayer(channel)->FramesDropped());
    main->closeWithoutAsking();
    return 0;
}
