// What the audience sees where clips meet. Player A chains numbered clips (each picture one
// flat colour telling its clip and number, tests/media/numbered_frames.h) with "NEXT CLIP" and
// "REPEAT PLAYLIST" for SECONDS, then the operator sets its end status to "LOOP" and the clip
// on air loops for LOOP_SECONDS. All the while FFmpeg's X11 grabber records the middle of
// layer A's window at 50 pictures a second. For every seam (a clip's last picture followed by
// a first one) it prints the time from the last picture's appearance to the first one's and
// the grabs in between that showed no numbered picture (black, the layer's colour), then the
// chain's seams against the loop's.
#include "channels/channel_panel.h"
#include "core/console.h"
#include "core/console_application.h"
#include "core/main_window.h"
#include "media/numbered_frames.h"
#include "stage/output_window.h"

#include "bench_measure.h"
#include "bench_show.h"

#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {
constexpr int GrabRate = 50;
constexpr int GrabSide = 8; // pixels of the grabbed square
constexpr double GrabMs = 1000.0 / GrabRate;

// A run of grabs that read the same.
struct Run {
    std::optional<PictureNumber> picture; // none: no numbered picture
    int first = 0;                        // grab index
    int length = 0;
};

struct Seam {
    PictureNumber last, next;
    double ms = 0;      // from the last picture's first grab to the next one's
    int unnumbered = 0; // grabs between them showing no numbered picture
};

QList<Run> runsOf(const QList<std::optional<PictureNumber>>& grabs)
{
    QList<Run> runs;
    for (int i = 0; i < grabs.size(); ++i) {
        if (!runs.isEmpty() && runs.last().picture == grabs.at(i))
            ++runs.last().length;
        else
            runs.append({grabs.at(i), i, 1});
    }
    return runs;
}

// Seams: a numbered picture followed (after unnumbered grabs, if any) by another clip's or
// an earlier picture of the same clip. Also the ordinary steps, picture to next picture.
void findSeams(const QList<Run>& runs, QList<Seam>& seams, QList<double>& steps)
{
    int previous = -1; // the last run with a numbered picture
    int unnumbered = 0;
    for (int i = 0; i < runs.size(); ++i) {
        if (!runs.at(i).picture) {
            if (previous >= 0)
                unnumbered += runs.at(i).length;
            continue;
        }
        if (previous >= 0) {
            const PictureNumber last = *runs.at(previous).picture;
            const PictureNumber next = *runs.at(i).picture;
            const double ms = (runs.at(i).first - runs.at(previous).first) * GrabMs;
            if (next.clip != last.clip || next.number < last.number)
                seams.append({last, next, ms, unnumbered});
            else if (next.number == last.number + 1)
                steps.append(ms);
            if (next.number == last.number + 1 && ms > 2.5 * 40)
                std::printf("a picture held long: %d:%02d for %.0f ms, %.1f s into the "
                            "recording\n",
                            last.clip, last.number, ms, runs.at(previous).first * GrabMs / 1000);
        }
        previous = i;
        unnumbered = 0;
    }
}

void summarise(const char* kind, const QList<Seam>& seams)
{
    QList<double> ms;
    int unnumbered = 0;
    for (const Seam& seam : seams) {
        ms.append(seam.ms);
        unnumbered += seam.unnumbered;
    }
    std::printf("%s seams: %d, last picture to first median %.0f ms, longest %.0f ms; grabs "
                "without a numbered picture %d\n",
                kind, int(seams.size()), percentile(ms, 0.5), percentile(ms, 1.0), unnumbered);
}
} // namespace

int main(int argc, char* argv[])
{
    ConsoleApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int seconds = arguments.value(1).toInt();
    const int loopSeconds = arguments.value(2).toInt();
    const QStringList files = arguments.mid(3);
    if (seconds <= 0 || loopSeconds <= 0 || files.size() < 2) {
        std::fprintf(stderr, "usage: %s SECONDS LOOP_SECONDS NUMBERED_FILE...\n",
                     qPrintable(arguments.first()));
        return 2;
    }
    QTemporaryDir dir;
    const std::unique_ptr<Console> console = startBenchConsole(dir);
    if (!console)
        return 1;
    MainWindow* main = console->main();
    addChainedClips(main, files);
    benchButton(main, "btnLayerA")->click();
    pause(500); // the stage's windows are shown and placed

    auto* layer = static_cast<OutputWindow*>(console->window("playout"));
    const QPoint middle = layer->mapToGlobal(layer->rect().center());
    QProcess grabber;
    grabber.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    grabber.start("ffmpeg", {"-hide_banner",
                             "-loglevel",
                             "error",
                             "-f",
                             "x11grab",
                             "-framerate",
                             QString::number(GrabRate),
                             "-video_size",
                             QStringLiteral("%1x%1").arg(GrabSide),
                             "-i",
                             QStringLiteral("%1+%2,%3")
                                 .arg(qEnvironmentVariable("DISPLAY"))
                                 .arg(middle.x() - GrabSide / 2)
                                 .arg(middle.y() - GrabSide / 2),
                             "-fps_mode",
                             "cfr",
                             "-r",
                             QString::number(GrabRate),
                             "-f",
                             "rawvideo",
                             "-pix_fmt",
                             "rgb24",
                             "-"});
    if (!grabber.waitForStarted()) {
        std::fprintf(stderr, "cannot start ffmpeg's X11 grabber\n");
        return 1;
    }
    QList<std::optional<PictureNumber>> grabs;
    int loopFrom = -1; // the first grab after the end status became "LOOP"
    QByteArray pending;
    const int grabBytes = GrabSide * GrabSide * 3;
    QObject::connect(&grabber, &QProcess::readyReadStandardOutput, &app, [&] {
        pending += grabber.readAllStandardOutput();
        for (; pending.size() >= grabBytes; pending.remove(0, grabBytes)) {
            const auto* pixel = reinterpret_cast<const uchar*>(pending.constData()) +
                                grabBytes / 2 + GrabSide * 3 / 2;
            grabs.append(readPictureNumber(qRgb(pixel[0], pixel[1], pixel[2])));
        }
    });
    pause(500); // the grabber records before the first clip starts

    main->database().playlist.moveTo(0);
    benchButton(main, "btnPlayA")->click();
    QTimer::singleShot(seconds * 1000, &app, [&] {
        benchButton(main, "status")->click(); // "NEXT CLIP" -> "LOOP"
        loopFrom = int(grabs.size());
    });
    QTimer::singleShot((seconds + loopSeconds) * 1000, &app, [&] {
        grabber.terminate();
        grabber.waitForFinished(3000);
        QList<Seam> seams, chain, loop;
        QList<double> steps;
        findSeams(runsOf(grabs), seams, steps);
        for (const Seam& seam : seams) {
            const bool looped = seam.next.clip == seam.last.clip;
            (looped ? loop : chain).append(seam);
            std::printf("seam %-5s %d:%02d -> %d:%02d  %4.0f ms, %d grabs without a numbered "
                        "picture\n",
                        looped ? "loop" : "chain", seam.last.clip, seam.last.number, seam.next.clip,
                        seam.next.number, seam.ms, seam.unnumbered);
        }
        std::printf("grabs: %d at %d a second (%d after the switch to LOOP)\n", int(grabs.size()),
                    GrabRate, loopFrom < 0 ? 0 : int(grabs.size()) - loopFrom);
        std::printf("ordinary steps (picture to next picture): %d, median %.0f ms, longest %.0f "
                    "ms\n",
                    int(steps.size()), percentile(steps, 0.5), percentile(steps, 1.0));
        summarise("chain", chain);
        summarise("loop", loop);
        main->closeWithoutAsking(); // the clip is on air: no question
    });
    return app.exec();
}
