// The "Test Pattern" page on the real console: what reaches the layers of the stage on air.
#include "media/test_media.h"
#include "stage/video_surface.h"
#include "support/log_capture.h"
#include "support/show_console.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>

namespace {
bool isWhite(const QColor& c)
{
    return c == QColor(Qt::white);
}
} // namespace

class TestPatternPageOnAir : public QObject {
    Q_OBJECT

    static QImage shown(Show& show, int channel)
    {
        return show.layer(channel)->surface()->picture();
    }

private slots:
    void aPatternGoesToTheSelectedLayerAndOffTakesItAway()
    {
        Show show;
        show.stageActive();
        OutputWindow* b = show.layer(2);
        QVERIFY(!b->isVisible()); // nothing in it yet
        show.click("btnLayerB");
        show.click("btnBars");
        const QImage bars = shown(show, 2);
        QCOMPARE(bars.size(), b->size());
        QVERIFY(isWhite(bars.pixelColor(0, bars.height() / 2)));
        QCOMPARE(bars.pixelColor(bars.width() - 1, 0), QColor(Qt::black));
        QVERIFY(b->isVisible());
        QVERIFY(shown(show, 1).isNull()); // Player A's layer untouched
        QCOMPARE(show.main->state().selectedChannel, 2);

        // Another pattern replaces it; the grid's options open, the LED wall's stay shut.
        show.click("btnGrid");
        QVERIFY(show.child<QGroupBox>("gGrid")->isEnabled());
        QVERIFY(!show.child<QGroupBox>("gLedwall")->isEnabled());
        QVERIFY(isWhite(shown(show, 2).pixelColor(b->width() / 10, b->height() / 2)));

        show.click("btnPatternOff");
        QVERIFY(shown(show, 2).isNull());
        QVERIFY(!b->isVisible()); // an empty layer hides nothing beneath it
    }

    void patternsAreRefusedWhilePlayersAreActiveOrTheStageIsOff()
    {
        Show show;
        const int clip = show.add(media("clip_6s.mp4"));
        // The stage not on air: "OFF" pressed, nothing drawn.
        show.click("btnLayerA");
        show.click("btnCircle");
        QVERIFY(show.child<QPushButton>("btnPatternOff")->isChecked());
        QVERIFY(shown(show, 1).isNull());

        show.stageActive();
        show.load(1, clip); // cued: paused on its first picture
        QTRY_COMPARE(show.label("pausedA"), QString("PAUSED"));
        QTRY_VERIFY(!shown(show, 1).isNull());
        const qint64 cued = shown(show, 1).cacheKey();
        for (const char* pattern : {"btnBars", "btnBars75", "btnVGrayscale", "btnHGrayScale",
                                    "btnGrid", "btnCircle", "btnLedWall"}) {
            show.click(pattern);
            QVERIFY2(show.child<QPushButton>("btnPatternOff")->isChecked(), pattern);
            QCOMPARE(shown(show, 1).cacheKey(), cued);
        }
        // "OFF" leaves the cued picture where it is, and so does Player B's side.
        show.click("btnPatternOff");
        QCOMPARE(shown(show, 1).cacheKey(), cued);
        show.click("btnLayerB");
        show.click("btnBars");
        QVERIFY(shown(show, 2).isNull());

        // Stopped: patterns are drawn; loading a clip takes the pattern away.
        show.click("btnLayerA");
        show.click("btnStopA");
        show.click("btnBars");
        QVERIFY(show.layer(1)->showsPattern());
        show.load(1, clip);
        QVERIFY(show.child<QPushButton>("btnPatternOff")->isChecked());
        QTRY_VERIFY(!shown(show, 1).isNull() && !show.layer(1)->showsPattern());
        QVERIFY(show.layer(1)->isVisible());
    }

    void theGridStepsWithinItsRange()
    {
        Show show;
        show.stageActive();
        show.click("btnLayerA");
        show.click("btnGrid");
        const int width = show.layer(1)->width();
        // The first cell's right border: 10 cells, then 11.
        QVERIFY(isWhite(shown(show, 1).pixelColor(width / 10 - 1, 5)));
        show.click("btnHpiu");
        QCOMPARE(show.label("gridH"), QString("11"));
        QVERIFY(show.child<QPushButton>("btnGrid")->isChecked());
        QVERIFY(isWhite(shown(show, 1).pixelColor(width / 11 - 1, 5)));
        QVERIFY(!isWhite(shown(show, 1).pixelColor(width / 10 - 1, 5)));
        for (int i = 0; i < 40; ++i)
            show.click("btnHpiu");
        QCOMPARE(show.label("gridH"), QString("48"));
        for (int i = 0; i < 60; ++i)
            show.click("btnVmeno");
        QCOMPARE(show.label("gridV"), QString("1"));
        QVERIFY(show.child<QPushButton>("btnGrid")->isChecked()); // "TAKE" draws it again
    }

    void theLedWallOptions()
    {
        Show show;
        show.stageActive();
        show.click("btnLayerA");
        show.click("btnLedWall");
        QVERIFY(show.child<QGroupBox>("gLedwall")->isEnabled());
        QCOMPARE(shown(show, 1).pixelColor(2, 2), QColor(0x80, 0x80, 0x80));
        // The vertical count goes down to 1 like the horizontal one, and the selected tile
        // reaches the last row and column.
        for (int i = 0; i < 12; ++i)
            show.click("btnLedVmeno");
        QCOMPARE(show.label("txtVLed"), QString("1"));
        show.click("btnLedVpiu");
        show.click("btnLedVpiu");
        for (int i = 0; i < 5; ++i)
            show.click("btnTileVpiu");
        QCOMPARE(show.label("txtTileV"), QString("3"));
        for (int i = 0; i < 12; ++i)
            show.click("btnTileHPiu");
        QCOMPARE(show.label("txtTileH"), QString("10"));
        // Power only the selected tile: column 10, row 3.
        show.child<QCheckBox>("chkPowerOnly")->click();
        QImage wall = shown(show, 1);
        QCOMPARE(wall.pixelColor(2, 2), show.layer(1)->colour());
        QCOMPARE(wall.pixelColor(9 * 48 + 2, 2 * 48 + 2), QColor(0, 0, 0x80));
        // A count lowered below the selected tile takes the selection with it.
        show.click("btnLedVmeno");
        QCOMPARE(show.label("txtTileV"), QString("2"));
        QCOMPARE(shown(show, 1).pixelColor(9 * 48 + 2, 48 + 2), QColor(0x80, 0x80, 0x80));

        // Tiles of no size: nothing drawn, logged, the options stay open to correct it.
        LogCapture log;
        auto* width = show.child<QLineEdit>("txtHPixel");
        width->setText("0");
        QTest::keyClick(width, Qt::Key_Return);
        QVERIFY(!show.layer(1)->showsPattern());
        QVERIFY(!log.containing("LED tiles have no size").isEmpty());
        QVERIFY(show.child<QGroupBox>("gLedwall")->isEnabled());
        width->setText("64");
        QTest::keyClick(width, Qt::Key_Return);
        QCOMPARE(shown(show, 1).pixelColor(9 * 64 + 2, 48 + 2), QColor(0x80, 0x80, 0x80));
    }

    // "TAKE" of another stage: the pattern drawn again at the layer's new size, and the layer
    // never leaves the screen in between.
    void takeDrawsThePatternAgainInTheNewGeometry()
    {
        Show show([](const ShowFixture& fixture) {
            fixture.insertStage({"Small", 2, 400, 300, 0,   0,        255, 0, 0, 10, 20, 200, 150,
                                 65280,   0, 0,   100, 100, 16711680, 1,   0, 0, 3,  0,  3,   0});
        });
        show.stageActive();
        show.click("btnLayerA");
        show.click("btnBars");
        OutputWindow* a = show.layer(1);
        QVERIFY(a->isVisible());
        struct HideWatch : QObject {
            bool hidden = false;
            bool eventFilter(QObject*, QEvent* event) override
            {
                hidden = hidden || event->type() == QEvent::Hide;
                return false;
            }
        } watch;
        a->installEventFilter(&watch);
        auto* stages = show.child<DatasetGrid>("sceltalayout");
        stages->setCurrentIndex(stages->model()->index(1, 0));
        show.click("btnStageTake");
        QCOMPARE(show.label("stageOnAir"), QString("Small"));
        const QImage bars = shown(show, 1);
        QCOMPARE(bars.size(), QSize(200, 150));
        QVERIFY(isWhite(bars.pixelColor(0, 75)));
        QCOMPARE(bars.pixelColor(199, 75), QColor(Qt::black));
        QCOMPARE(bars.pixelColor(175, 75), QColor(Qt::black));
        QVERIFY(!watch.hidden);
    }

    // From a script line, on the channel it names, the selected channel put back after.
    void scriptLinesDrawPatternsAndRefuseBadCounts()
    {
        Show show;
        show.stageActive();
        show.click("btnLayerA");
        show.main->eseguiScript("PATTERN,B,BARS");
        QVERIFY(show.layer(2)->showsPattern());
        QVERIFY(!show.layer(1)->showsPattern());
        QCOMPARE(show.main->state().selectedChannel, 1);

        show.main->eseguiScript("GRID,A,4,3");
        QCOMPARE(show.label("gridH"), QString("4"));
        const QImage grid = shown(show, 1);
        const int cell = show.layer(1)->width() / 4;
        QVERIFY(isWhite(grid.pixelColor(cell, 5)));
        QVERIFY(!isWhite(grid.pixelColor(cell / 2, show.layer(1)->height() / 6)));

        LogCapture log;
        for (const char* line :
             {"GRID,A,0,3", "GRID,A,4,x", "GRID,A,49,3", "GRID,A,-2,3", "GRID,A,,"}) {
            show.main->eseguiScript(line);
            QCOMPARE(show.label("gridH"), QString("4"));
            QCOMPARE(shown(show, 1).cacheKey(), grid.cacheKey());
        }
        QCOMPARE(log.containing("are not whole numbers from 1 to 48").size(), 5);
        show.main->eseguiScript("PATTERN,A,OFF");
        QVERIFY(!show.layer(1)->showsPattern());
    }
};

QTEST_MAIN(TestPatternPageOnAir)
#include "test_pattern_page.moc"
