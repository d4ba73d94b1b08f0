// The channel picture's filters on the real console while both channels play 1080p H.264:
//   live   a saturation bar move (grey, then colour again) → the changed picture painted on
//          the layer's surface, no re-opening (median and 95th percentile over 100 moves);
//   apply  a filter script "APPLY" on the playing clip → the first picture of the new filters
//          painted, and how far the clip then stands from where it would had it played on;
//   mask   perspective on with corners pulled in: SECONDS without the picture hook's masks,
//          then SECONDS with them: pictures dropped and CPU of each half.
#include "channels/channel_panel.h"
#include "core/main_window.h"
#include "media/ff_player.h"
#include "stage/output_window.h"
#include "stage/video_surface.h"

#include "bench_measure.h"
#include "bench_show.h"
#include "cpu_time.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QSlider>
#include <QSpinBox>

namespace {
// Sixteen points spread over the picture, each checked by `matches`.
bool everywhere(const QImage& picture, const std::function<bool(QColor)>& matches)
{
    if (picture.isNull())
        return false;
    for (int y = 1; y <= 4; ++y)
        for (int x = 1; x <= 4; ++x)
            if (!matches(picture.pixelColor(picture.width() * x / 5, picture.height() * y / 5)))
                return false;
    return true;
}

bool grey(QColor c)
{
    return std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) < 12;
}

// Waits (at most 3 s) until the surface's latest picture satisfies `shows` and has then been
// painted; the milliseconds since `from`, or -1.
double untilPainted(VideoSurface* surface, const std::function<bool(const QImage&)>& shows,
                    Clock::time_point from)
{
    while (msBetween(from, Clock::now()) < 3000) {
        if (shows(surface->picture())) {
            const qint64 painted = surface->paintedCount();
            while (surface->paintedCount() == painted && msBetween(from, Clock::now()) < 3000)
                pause(1);
            return msBetween(from, Clock::now());
        }
        pause(1);
    }
    return -1;
}

void benchLive(MainWindow* main, VideoSurface* surface)
{
    QSlider* saturation = main->panel(1)->saturationBar();
    TFFPlayer* player = main->channels().ThePlayer(1);
    const QString graph = player->VideoFilters();
    QList<double> ms;
    int missed = 0;
    for (int move = 0; move < 100; ++move) {
        const bool toGrey = move % 2 == 0;
        const Clock::time_point start = Clock::now();
        saturation->setValue(toGrey ? 100 : 90);
        const double took = untilPainted(
            surface,
            [toGrey](const QImage& p) {
                return toGrey ? everywhere(p, grey) : !everywhere(p, grey);
            },
            start);
        took < 0 ? void(++missed) : ms.append(took);
        pause(150);
    }
    report("saturation bar → changed picture painted", ms);
    std::printf("moves whose picture never came: %d; re-opened: %s\n", missed,
                player->VideoFilters() == graph ? "no" : "yes");
}

void benchApply(MainWindow* main, VideoSurface* surface)
{
    auto* script = main->findChild<QPlainTextEdit*>("mFiltro");
    auto* apply = main->findChild<QPushButton*>("btnScriptApply");
    TFFPlayer* player = main->channels().ThePlayer(1);
    const auto red = [](QColor c) { return c.red() >= 240; };
    QList<double> ms, offsets;
    int missed = 0;
    for (int press = 0; press < 30; ++press) {
        const bool full = press % 2 == 0; // the red channel full, or the picture as it is
        script->setPlainText(full ? "lutrgb=r=255" : "");
        const int64_t before = player->CurrentPTS();
        const Clock::time_point start = Clock::now();
        apply->click();
        const double took = untilPainted(
            surface,
            [&](const QImage& p) { return full ? everywhere(p, red) : !everywhere(p, red); },
            start);
        if (took < 0) {
            ++missed;
        } else {
            ms.append(took);
            // Where the clip stands against where it would stand had it played on untouched:
            // a re-opening that froze it shows as time lost.
            offsets.append(std::abs(player->CurrentPTS() - before - took * 1000) / 1000.0);
        }
        pause(700);
    }
    report("APPLY → first picture of the new filters painted", ms);
    report("first new picture's position against the clip played on untouched (ms)", offsets);
    std::printf("presses whose picture never came: %d\n", missed);
}

void benchMask(MainWindow* main, int seconds)
{
    TFFPlayer* player = main->channels().ThePlayer(1);
    main->findChild<QPushButton*>("btnPerspective")->click();
    const char* numbers[8] = {"tx0", "ty0", "tx1", "ty1", "tx2", "ty2", "tx3", "ty3"};
    const int corners[8] = {192, 108, 1728, 108, 192, 972, 1728, 972};
    for (int i = 0; i < 8; ++i)
        main->findChild<QSpinBox*>(numbers[i])->setValue(corners[i]);
    main->findChild<QPushButton*>("btnPerspectiveApply")->click();
    pause(1000);
    for (const bool masks : {false, true}) {
        player->setVideoHook(masks);
        const int dropped = player->FramesDropped();
        const int droppedB = main->channels().ThePlayer(2)->FramesDropped();
        const double cpu = cpuSeconds();
        pause(seconds * 1000);
        std::printf("%s: CPU %.1f %% of one core, pictures dropped A %d, B %d\n",
                    masks ? "with the masks   " : "without the masks",
                    (cpuSeconds() - cpu) * 100 / seconds, player->FramesDropped() - dropped,
                    main->channels().ThePlayer(2)->FramesDropped() - droppedB);
    }
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: %s live|apply|mask FILE_A FILE_B [SECONDS]\n",
                     qPrintable(arguments.first()));
        return 2;
    }
    QTemporaryDir dir;
    const std::unique_ptr<Console> console = startBenchConsole(dir);
    if (!console)
        return 1;
    MainWindow* main = console->main();
    playLoopingClips(main, arguments.at(2), arguments.at(3));
    benchButton(main, "btnLayerA")->click(); // the filter panel shows Player A
    pause(1500);
    auto* surface = static_cast<OutputWindow*>(console->window("playout"))->surface();
    const QString mode = arguments.at(1);
    if (mode == "live")
        benchLive(main, surface);
    else if (mode == "apply")
        benchApply(main, surface);
    else
        benchMask(main, arguments.size() > 4 ? arguments.at(4).toInt() : 60);
    for (const int channel : {1, 2})
        std::printf("Player %c: %d pictures dropped in all\n", channel == 1 ? 'A' : 'B',
                    main->channels().ThePlayer(channel)->FramesDropped());
    main->closeWithoutAsking();
    return 0;
}
