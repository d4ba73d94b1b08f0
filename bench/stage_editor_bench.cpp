// The stage editor on a show of 100 stages: its opening ("STAGE SETUP" → the editor exposed,
// 20 times), and in "REAL TIME MODE" each step of a drag of layer A's panel → layer A's output
// window at its new place on the X server (200 steps of one workspace pixel, 30 ms apart),
// watched from a connection of its own.
#include "bench_measure.h"
#include "bench_show.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QWidget>
#include <QWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QStringList stages;
    for (int i = 0; i < 99; ++i)
        stages.append(QStringLiteral(R"(insert into "layout" select 'Stage %1', %2, "sfondo", "sx",
            "sy", "offsetx", "offsety", "colore", "picture", "fullscreen", "atop", "aleft",
            "awidth", "aheigth", "acolor", "btop", "bleft", "bwidth", "bheigth", "bcolor",
            "battivo", "ashape", "schermo", "alati", "bshape", "blati", "restart" from "layout"
            where "nome" = 'Main')")
                          .arg(i + 2)
                          .arg(i + 2));
    std::unique_ptr<Console> console = startBenchConsole(dir, stages);
    if (!console)
        return 1;
    MainWindow* main = console->main();
    std::printf("stages in the show: %d\n", main->database().layoutdb1.count());
    QWidget* editor = console->window("layersetup");

    QList<double> openings;
    for (int i = 0; i < 20; ++i) {
        const Clock::time_point start = Clock::now();
        benchButton(main, "btnLayerSetup")->click();
        while (!editor->isVisible() || !editor->windowHandle() ||
               !editor->windowHandle()->isExposed())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        openings.append(msBetween(start, Clock::now()));
        pause(100);
        editor->close();
        pause(100);
    }
    report("STAGE SETUP → the editor exposed", openings);

    // The stage on air with a pattern on layer A (so that its window shows), then the editor
    // in real-time mode.
    benchButton(main, "btnScreen1")->click();
    benchButton(main, "btnLayerA")->click();
    benchButton(main, "btnBars")->click();
    benchButton(main, "btnLayerSetup")->click();
    pause(500);
    auto* realTime = editor->findChild<QPushButton*>("btnRealTime");
    realTime->click();
    QWidget* panel = editor->findChild<QWidget*>("pa");
    QWidget* layer = console->window("playout");
    PositionWatch watch(xcb_window_t(layer->winId()));
    QList<Clock::time_point> steps;
    QTest::mousePress(panel, Qt::LeftButton, {}, {5, 5});
    for (int i = 0; i < 200; ++i) {
        const QPoint to(5 + (i % 2 ? -1 : 1), 5);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), panel->mapToGlobal(QPointF(to)),
                         Qt::NoButton, Qt::LeftButton, {});
        steps.append(Clock::now());
        QApplication::sendEvent(panel, &move);
        pause(30);
    }
    QTest::mouseRelease(panel, Qt::LeftButton, {}, {5, 5});
    pause(200);
    const int unseen = [&] {
        QList<double> ms;
        int none = 0;
        for (const Clock::time_point& at : steps) {
            if (const auto moved = watch.changeAfter(at); moved && msBetween(at, *moved) < 30)
                ms.append(msBetween(at, *moved));
            else
                ++none;
        }
        report("drag step → layer A's window moved on the X server", ms);
        return none;
    }();
    std::printf("steps whose move was not seen within 30 ms: %d of %d (real-time mode %s)\n",
                unseen, int(steps.size()), realTime->isChecked() ? "on" : "OFF");
    return 0;
}
