// Each test pattern on a 3840x2160 layer A of the stage on air: the time from its button's
// click to the pattern painted on the layer and the X server through with it (20 times each),
// and the drawing alone. The LED wall covers the layer with 80 x 45 numbered tiles. The
// first pattern, which also shows the layer (empty until then), is timed on its own.
#include "bench_measure.h"
#include "bench_show.h"
#include "stage/output_window.h"
#include "stage/test_pattern.h"
#include "stage/video_surface.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>

namespace {
// Waits for the X server to have handled everything this program sent it.
void xRoundTrip()
{
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11->connection();
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    std::unique_ptr<Console> console = startBenchConsole(
        dir, {R"(update "layout" set "sx" = 3840, "sy" = 2160, "atop" = 0, "aleft" = 0,
                 "awidth" = 3840, "aheigth" = 2160 where "nome" = 'Main')"});
    if (!console)
        return 1;
    MainWindow* main = console->main();
    benchButton(main, "btnScreen1")->click();
    benchButton(main, "btnLayerA")->click();
    auto* layer = static_cast<OutputWindow*>(console->window("playout"));
    main->findChild<QLabel*>("txtHLed")->setNum(80);
    main->findChild<QLabel*>("txtVLed")->setNum(45);
    main->findChild<QCheckBox*>("chkShowNumber")->setChecked(true);
    pause(500);
    std::printf("layer A: %dx%d\n", layer->width(), layer->height());

    const std::pair<const char*, int> patterns[] = {{"btnBars", PatternBars},
                                                    {"btnBars75", PatternBars75},
                                                    {"btnVGrayscale", PatternVGrayScale},
                                                    {"btnHGrayScale", PatternHGrayScale},
                                                    {"btnGrid", PatternGrid},
                                                    {"btnCircle", PatternCircle},
                                                    {"btnLedWall", PatternLedWall}};
    PatternOptions options;
    options.ledColumns = 80;
    options.ledRows = 45;
    options.showNumbers = true;
    options.fontFamily = layer->font().family();
    {
        // The first pattern also shows the layer, empty until then.
        const Clock::time_point start = Clock::now();
        benchButton(main, "btnCircle")->click();
        while (layer->surface()->paintedCount() == 0 && msBetween(start, Clock::now()) < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        xRoundTrip();
        std::printf("first pattern, showing the layer: %.2f ms\n", msBetween(start, Clock::now()));
        pause(200);
    }
    for (const auto& [name, tag] : patterns) {
        QList<double> shown, drawn;
        for (int i = 0; i < 20; ++i) {
            const qint64 painted = layer->surface()->paintedCount();
            const Clock::time_point start = Clock::now();
            benchButton(main, name)->click();
            while (layer->surface()->paintedCount() == painted &&
                   msBetween(start, Clock::now()) < 2000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            xRoundTrip();
            shown.append(msBetween(start, Clock::now()));
            pause(50);

            QImage canvas(3840, 2160, QImage::Format_RGB32);
            canvas.fill(Qt::black);
            QString refusal;
            const Clock::time_point from = Clock::now();
            drawTestPattern(canvas, tag, options, refusal);
            drawn.append(msBetween(from, Clock::now()));
        }
        if (!layer->showsPattern())
            std::printf("%s: the pattern did not reach the layer\n", name);
        report(qPrintable(QStringLiteral("%1 click → painted").arg(name)), shown);
        report(qPrintable(QStringLiteral("%1 drawing alone").arg(name)), drawn);
    }
    return 0;
}
