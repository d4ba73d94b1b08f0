// The stage as it reaches the screen: real X11 windows on the test's virtual screen, under a
// compositor as on an operator's desktop, read back pixel by pixel.
#include "stage/output_window.h"
#include "support/started_console.h"

#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

namespace {
void seedScreenStage(const ShowFixture& fixture)
{
    // 400x300 red background; layer A blue 200x150 at 50,50 with a circular mask; layer B
    // green 100x100 at 260,160.
    fixture.exec(R"(insert into "layout" ("nome", "ordine", "sx", "sy", "offsetx", "offsety",
        "colore", "picture", "fullscreen", "atop", "aleft", "awidth", "aheigth", "acolor",
        "btop", "bleft", "bwidth", "bheigth", "bcolor", "battivo", "ashape", "schermo",
        "alati", "bshape", "blati", "restart")
        values ('Screen', 0, 400, 300, 0, 0, 255, 0, 0, 50, 50, 200, 150, 16711680,
                160, 260, 100, 100, 65280, 1, 2, 0, 3, 0, 3, 0))");
}

QImage screenshot()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("screen.png");
    QProcess::execute("import", {"-window", "root", file});
    return QImage(file);
}

bool near(const QColor& colour, int red, int green, int blue)
{
    return std::abs(colour.red() - red) <= 3 && std::abs(colour.green() - green) <= 3 &&
           std::abs(colour.blue() - blue) <= 3;
}
} // namespace

class TestStageScreen : public QObject {
    Q_OBJECT
    QProcess m_compositor;

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X display (the test command runs one)");
        m_compositor.start("xcompmgr", {"-n"});
        QVERIFY(m_compositor.waitForStarted());
        QTest::qWait(300);
    }

    void cleanupTestCase()
    {
        m_compositor.terminate();
        m_compositor.waitForFinished(3000);
    }

    void theStageOnScreenPixelByPixel()
    {
        StartedConsole started(seedScreenStage);
        started.main->hide(); // the console is not what this looks at
        started.child<QPushButton>("btnScreen1")->click();
        auto* layerA = static_cast<OutputWindow*>(started.console->window("playout"));
        QTRY_VERIFY(layerA->isVisible());
        QTest::qWait(600);

        QImage screen = screenshot();
        QVERIFY(!screen.isNull());
        const auto pixel = [&](int x, int y) { return screen.pixelColor(x, y); };
        QVERIFY2(near(pixel(10, 10), 255, 0, 0), qPrintable(pixel(10, 10).name()));
        QVERIFY2(near(pixel(150, 125), 0, 0, 255), qPrintable(pixel(150, 125).name()));
        QVERIFY2(near(pixel(310, 210), 0, 255, 0), qPrintable(pixel(310, 210).name()));
        // The corner of layer A's rectangle lies outside its circle: the background shows.
        QVERIFY2(near(pixel(53, 53), 255, 0, 0), qPrintable(pixel(53, 53).name()));

        // Layer A at opacity 128: the compositor blends it over the background.
        started.child<QSlider>("AlphaTrack1")->setValue(127);
        QCOMPARE(layerA->windowOpacity(), 128 / 255.0);
        QTest::qWait(600);
        screen = screenshot();
        QVERIFY2(near(pixel(150, 125), 127, 0, 128), qPrintable(pixel(150, 125).name()));
        QVERIFY2(near(pixel(310, 210), 0, 255, 0), qPrintable(pixel(310, 210).name()));
    }
};

QTEST_MAIN(TestStageScreen)
#include "test_stage_screen.moc"
