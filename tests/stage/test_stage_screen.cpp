// The stage as it reaches the screen: real X11 windows on the test's virtual screen, under a
// compositor as on an operator's desktop, read back pixel by pixel.
#include "automation/action_runner.h"
#include "channels/channel_mixer.h"
#include "channels/channel_panel.h"
#include "media/test_media.h"
#include "stage/display_screens.h"
#include "stage/output_window.h"
#include "support/modal_answers.h"
#include "support/started_console.h"
#include "support/test_cameras.h"
#include "ui/action_pad.h"
#include "ui/dataset_grid.h"

#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

namespace {
void seedScreenStage(const ShowFixture& fixture)
{
    // 400x300 red background; layer A blue 200x150 at 50,50 with a circular mask; layer B
    // green 100x100 at 260,160.
    fixture.insertStage({"Screen", 0,   400, 300, 0,   0,     255, 0, 0, 50, 50, 200, 150,
                         16711680, 160, 260, 100, 100, 65280, 1,   2, 0, 3,  0,  3,   0});
}

// Layers A and B on the same 200x150 rectangle at 50,50 of a green 400x300 stage, and a
// playlist for the clips the test adds.
void seedOverlapStage(const ShowFixture& fixture)
{
    fixture.insertStage({"Overlap", 0,  400, 300, 0,   0, 65280, 0, 0, 50, 50, 200, 150,
                         0,         50, 50,  200, 150, 0, 1,     0, 0, 3,  0,  3,   0});
    fixture.exec(R"(insert into "liste" values ('Show', 1))");
}

// The console on the overlapping stage with a red and a blue still as clips.
struct ColourShow : StartedConsole {
    int red = 0;
    int blue = 0;

    ColourShow()
        : StartedConsole(seedOverlapStage)
    {
        main->addClips({media("red.png"), media("blue.png")});
        red = fixture.scalar(R"(select "codice" from "playlist" where "titolo" = 'red')").toInt();
        blue = fixture.scalar(R"(select "codice" from "playlist" where "titolo" = 'blue')").toInt();
        main->hide(); // the console is not what these tests look at
    }

    // "A" or "B", the clip in the grid, "LOAD" with "PLAY AFTER LOAD".
    void play(int channel, int clip)
    {
        child<QPushButton>(channel == 1 ? "btnLayerA" : "btnLayerB")->click();
        child<QPushButton>("chkPlayAfterLoad")->setChecked(true);
        main->database().playlist.locate("codice", clip);
        child<DatasetGrid>("elencoClip")->showCursor();
        child<QPushButton>("btnPlayA")->click();
        QTest::qWait(600); // the picture reaches the screen through the compositor
    }
};

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
        // The layers show their colours as they do when something is loaded into them.
        layerA->setHoldsPicture(true);
        static_cast<OutputWindow*>(started.console->window("playoutB"))->setHoldsPicture(true);
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

    void theFirstClipShowsAndAStoppedChannelHidesNothing()
    {
        ColourShow show;
        show.child<QPushButton>("btnScreen1")->click();
        QTest::qWait(600);
        const auto centre = [] { return screenshot().pixelColor(150, 125); };
        QVERIFY2(near(centre(), 0, 255, 0), "no clip yet: the stage shows its background");

        show.play(1, show.red); // layer B, empty, lies above A and must not hide it
        QVERIFY2(near(centre(), 255, 0, 0), "the first clip in Player A is on the stage");

        show.child<QPushButton>("btnStopA")->click();
        QTest::qWait(600);
        QVERIFY2(near(centre(), 0, 255, 0), "a stopped channel shows nothing");
    }

    // Bars 25 pixels wide on layer A's 200x150 rectangle at 50,50; empty layer B above it.
    void aTestPatternReachesTheScreen()
    {
        ColourShow show;
        show.child<QPushButton>("btnScreen1")->click();
        show.child<QPushButton>("btnLayerA")->click();
        show.child<QPushButton>("btnBars")->click();
        QTest::qWait(600);
        QImage screen = screenshot();
        const std::tuple<int, int, int, int> bars[] = {
            {50, 255, 255, 255}, {74, 255, 255, 255}, {75, 255, 255, 0}, {150, 255, 0, 255},
            {224, 0, 0, 255},    {225, 0, 0, 0},      {249, 0, 0, 0}};
        for (const auto& [x, red, green, blue] : bars)
            QVERIFY2(near(screen.pixelColor(x, 125), red, green, blue),
                     qPrintable(
                         QStringLiteral("x %1: %2").arg(x).arg(screen.pixelColor(x, 125).name())));
        QVERIFY(near(screen.pixelColor(250, 125), 0, 255, 0)); // the stage beside it

        show.child<QPushButton>("btnPatternOff")->click();
        QTest::qWait(600);
        QVERIFY(near(screenshot().pixelColor(150, 125), 0, 255, 0));
    }

    // A test camera routed to layer A: its moving picture fills A's rectangle on the stage.
    void aLiveCameraMovesOnLayerA()
    {
        PlatformServices services;
        services.capture = std::make_unique<TestCameras>(
            QList<TestCameras::Camera>{{"Test camera", movingPicture({320, 240}, 25)}});
        StartedConsole show(seedOverlapStage, std::move(services));
        show.main->hide();
        show.child<QPushButton>("btnScreen1")->click();
        show.child<QPushButton>("btnLive2")->click();
        show.child<QPushButton>("t_live")->click();
        QTest::qWait(1000);
        const auto layerArea = [](const QImage& screen) { return screen.copy(50, 50, 200, 150); };
        const QImage first = screenshot();
        QVERIFY(near(first.pixelColor(10, 10), 0, 255, 0)); // the stage around it
        QSet<QRgb> colours;
        for (int x = 55; x < 250; x += 10)
            colours.insert(first.pixel(x, 125));
        QVERIFY2(colours.size() > 5, "the camera's picture, not a colour");
        QTest::qWait(300);
        QVERIFY2(layerArea(screenshot()) != layerArea(first), "the picture moves");

        show.child<QPushButton>("btnLiveStop")->click();
        QTest::qWait(600);
        QVERIFY(near(screenshot().pixelColor(150, 125), 0, 255, 0)); // layer A empty again
    }

    // This machine's one virtual screen, and a mode it does not have refused without a word.
    void theRealScreensAndARefusedModeChange()
    {
        const std::unique_ptr<DisplayScreens> screens = systemDisplayScreens();
        const QList<DisplayScreens::Monitor> monitors = screens->monitors();
        QCOMPARE(monitors.size(), 1);
        QCOMPARE(QSize(monitors[0].width, monitors[0].height), QSize(1920, 1080));
        QVERIFY(monitors[0].primary);
        QVERIFY(screens->canChangeMode());
        QVERIFY(!screens->changeMode(monitors[0].name, 1234, 567));
        QVERIFY(!screens->changeMode("no such output", 1920, 1080));
        QVERIFY(!screens->changeMode(monitors[0].name, 0, -5));
        QCOMPARE(screens->monitors().first().width, 1920);

        // The editor lists it; "SET" with a mode it lacks says nothing.
        ColourShow show;
        show.child<QPushButton>("btnLayerSetup")->click();
        auto* editor = show.console->window("layersetup");
        QTRY_VERIFY(editor->isVisible());
        auto* list = editor->findChild<QListWidget*>("tiposchermo");
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QString("Screen n.1 - 1920x1080 (primary)"));
        list->setCurrentRow(0);
        editor->findChild<QLineEdit*>("sfondow")->setText("1234");
        editor->findChild<QLineEdit*>("sfondoh")->setText("567");
        ModalAnswers answers;
        answers.button("Yes");
        editor->findChild<QPushButton*>("SpeedButton1")->click();
        QCOMPARE(answers.seen.size(), 1); // the question, then nothing
    }

    void padTilesChangeWhatTheAudienceSees()
    {
        ColourShow show;
        show.fixture.exec(R"(insert into "azioni" ("id", "nome", "script") values (1, 'Red', ?))",
                          {QStringLiteral("LOAD,A,%1\r\nPLAY,A").arg(show.red)});
        show.fixture.exec(
            R"(insert into "azioni" ("id", "nome", "script") values (2, 'Half', 'SETOPACITY,A,128'))");
        show.main->AggiornaElementi(show.red, "Show", "Overlap", 1, 1);
        show.child<QPushButton>("btnScreen1")->click();
        auto* pad = static_cast<ActionPad*>(show.console->window("f_azioni"));
        const auto press = [&](int tile) {
            static_cast<QAbstractButton*>(pad->tile(tile))->click();
            if (!QTest::qWaitFor([&] { return show.main->runner().idle(); }, 5000))
                return QColor(); // the action never ended: no colour matches
            QTest::qWait(600);   // through the compositor
            return screenshot().pixelColor(150, 125);
        };
        QColor centre = press(1);
        QVERIFY2(near(centre, 255, 0, 0), qPrintable(centre.name()));
        centre = press(2); // red at half opacity over the green background
        QVERIFY2(near(centre, 128, 127, 0), qPrintable(centre.name()));
    }

    void aCrossfadeMixesThePicturesWithoutADip()
    {
        ColourShow show;
        show.child<QPushButton>("btnScreen1")->click();
        show.play(1, show.red);
        show.play(2, show.blue);
        QVERIFY(near(screenshot().pixelColor(150, 125), 0, 0, 255));
        show.child<QPushButton>("btnCutB")->click();
        QTest::qWait(600);
        QVERIFY(near(screenshot().pixelColor(150, 125), 255, 0, 0));

        // Red out and blue in over four seconds, read in the middle.
        for (const int channel : {1, 2})
            show.main->panel(channel)->transitionTime()->setValue(8);
        emit show.child<QPushButton>("btnDissolveB")->customContextMenuRequested({});
        QTest::qWait(1500);
        const QColor middle = screenshot().pixelColor(150, 125);
        ChannelMixer& mixer = show.main->channels().mixer();
        QVERIFY(mixer.dissolving(1) && mixer.dissolving(2));
        const QString seen = middle.name();
        QVERIFY2(middle.red() > 25 && middle.blue() > 25, qPrintable(seen));
        // A linear mix of red and blue: nothing of the green background, no loss of light.
        QVERIFY2(middle.green() <= 6, qPrintable(seen));
        QVERIFY2(std::abs(middle.red() + middle.blue() - 255) <= 8, qPrintable(seen));

        QTRY_VERIFY_WITH_TIMEOUT(!mixer.dissolving(1) && !mixer.dissolving(2), 6000);
        QCOMPARE(mixer.opacity(1), 0);
        QCOMPARE(show.console->window("playout")->windowOpacity(), 0.0);
        QTest::qWait(600);
        QVERIFY(near(screenshot().pixelColor(150, 125), 0, 0, 255));
    }
};

QTEST_MAIN(TestStageScreen)
#include "test_stage_screen.moc"
