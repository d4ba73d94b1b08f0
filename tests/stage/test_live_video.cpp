// The "Live Video" page on the real console: test cameras (moving lavfi sources delivered in
// real time) through real encoder tasks onto the layers of the stage.
#include "media/ff_encoder.h"
#include "media/test_media.h"
#include "stage/live_video_page.h"
#include "stage/output_window.h"
#include "stage/video_surface.h"
#include "support/modal_answers.h"
#include "support/show_console.h"
#include "support/test_cameras.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

namespace {
PlatformServices cameras(QList<TestCameras::Camera> list = {
                             {"Test camera", movingPicture({320, 240}, 25)},
                             {"Second camera", movingPicture({160, 120}, 25)}})
{
    PlatformServices services;
    services.capture = std::make_unique<TestCameras>(std::move(list));
    return services;
}

// A show on air whose live inputs see the test cameras.
struct LiveShow : Show {
    explicit LiveShow(PlatformServices services = cameras())
        : Show({}, std::move(services))
    {
        stageActive();
    }
    LiveInput* input(int number) const { return main->liveVideo().input(number); }
    VideoSurface* surface(int channel) const { return layer(channel)->surface(); }
    // Pictures presented on a layer so far.
    qint64 presented(int channel) const { return surface(channel)->presentedCount(); }
    // Waits until `count` more pictures reached the layer.
    bool receives(int channel, int count = 5) const
    {
        const qint64 before = presented(channel);
        return QTest::qWaitFor([&] { return presented(channel) >= before + count; }, 10000);
    }
    // No picture reaches the layer for a while.
    bool receivesNothing(int channel) const
    {
        const qint64 before = presented(channel);
        QTest::qWait(400);
        return presented(channel) == before;
    }
};

// The picture is the moving test picture, not a colour.
bool showsCamera(const QImage& picture)
{
    if (picture.isNull())
        return false;
    QSet<QRgb> colours;
    for (int x = 0; x < picture.width(); x += picture.width() / 16)
        colours.insert(picture.pixel(x, picture.height() / 2));
    return colours.size() > 4;
}
} // namespace

class TestLiveVideo : public QObject {
    Q_OBJECT
private slots:
    void theOutputOptionTexts_data()
    {
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<bool>("h264");
        QTest::addColumn<QString>("options");
        QTest::newRow("H264 25 fps 720x576")
            << "720x576"
            << "25" << true
            << " -c:v libx264 -preset ultrafast -deinterlace -r 25 -f null -s 720x576 -threads 2";
        QTest::newRow("MPEG 30 fps original")
            << "original"
            << "30" << false
            << "-vcodec mpeg2video -pix_fmt yuv422p -qscale 1 -qmin 1 -intra -r 30 -an -f null "
               "-threads 2";
    }
    void theOutputOptionTexts()
    {
        QFETCH(QString, size);
        QFETCH(QString, rate);
        QFETCH(bool, h264);
        QFETCH(QString, options);
        QCOMPARE(LiveInput::outputOptions(size, rate, h264, "-threads 2"), options);

        // The same from the page's controls and the option file, to the ffmpeg program.
        LiveShow show;
        QVERIFY(show.fixture.settings().write("live1Output", "-threads 2"));
        show.child<QComboBox>("caSize")->setCurrentText(size);
        show.child<QComboBox>("FreqA")->setCurrentText(rate);
        show.click(h264 ? "btnH264ca" : "btnMpegca");
        show.click("t_live");
        QVERIFY(show.input(1)->isOn());
        const QString arguments = show.input(1)->encoder()->Arguments(0).join(' ');
        QVERIFY2(arguments.contains("-r " + rate + " "), qPrintable(arguments));
        QCOMPARE(arguments.contains("-s 720x576"), size == "720x576");
        QVERIFY(arguments.contains(h264 ? "-c:v libx264" : "-vcodec mpeg2video"));
        QVERIFY(arguments.contains("-threads 2"));
        QTRY_VERIFY_WITH_TIMEOUT(!show.child<QLabel>("imgCA")->pixmap().isNull(), 10000);
        for (const char* option :
             {"caDevice", "caSize", "FreqA", "btnH264ca", "btnMpegca", "btnInput1", "btnOutput1"})
            QVERIFY2(!show.child<QWidget>(option)->isEnabled(), option);
        show.click("btnLiveStop");
        QVERIFY(!show.input(1)->encoder()->Working());
        QVERIFY(show.child<QLabel>("imgCA")->pixmap().isNull());
        QVERIFY(show.child<QWidget>("caSize")->isEnabled());
    }

    void routingMovesThePictureFromLayerToLayer()
    {
        LiveShow show;
        OutputWindow* a = show.layer(1);
        OutputWindow* b = show.layer(2);
        show.click("btnLive2"); // "A" while off: kept for "ON"
        QVERIFY(show.receivesNothing(1));
        show.click("t_live");
        QVERIFY(show.receives(1));
        QVERIFY(a->isVisible());
        QVERIFY(showsCamera(show.surface(1)->picture()));
        QCOMPARE(show.surface(1)->picture().size(), a->size()); // stretched over the layer
        QVERIFY(show.child<QLabel>("imgCA")->pixmap().isNull());
        // It moves: pictures a moment apart differ.
        const QImage first = show.surface(1)->picture();
        QVERIFY(show.receives(1));
        QVERIFY(show.surface(1)->picture() != first);

        show.click("btnLive3"); // to "B": A shows its stage colour, B the camera
        QVERIFY(!show.surface(1)->showsPicture());
        QVERIFY(!a->isVisible()); // an empty layer hides nothing beneath it
        QVERIFY(show.receives(2));
        QVERIFY(b->isVisible());
        QVERIFY(showsCamera(show.surface(2)->picture()));
        QVERIFY(show.receivesNothing(1));

        show.click("btnLive1"); // "OFF": the preview image only
        QVERIFY(!show.surface(2)->showsPicture());
        QTRY_VERIFY_WITH_TIMEOUT(!show.child<QLabel>("imgCA")->pixmap().isNull(), 10000);
        QVERIFY(show.receivesNothing(2));
    }

    void offThenOnResumesTheRouting()
    {
        LiveShow show;
        show.click("btnLive4"); // "A/B"
        show.click("t_live");
        QVERIFY(show.receives(1));
        QVERIFY(show.receives(2));
        show.click("btnLiveStop");
        QVERIFY(!show.input(1)->encoder()->Working());
        QCOMPARE(show.input(1)->routing(), 0);
        QVERIFY(!show.surface(1)->showsPicture());
        QVERIFY(!show.surface(2)->showsPicture());
        QVERIFY(show.child<QPushButton>("btnLive4")->isChecked());
        QVERIFY(show.receivesNothing(1));

        show.click("t_live");
        QCOMPARE(show.input(1)->routing(), 3);
        QVERIFY(show.receives(1));
        QVERIFY(show.receives(2));
        show.click("btnLiveStop");
    }

    void bothInputsAtOnce()
    {
        LiveShow show;
        show.click("btnLive2");
        show.click("t_live");
        // The same device on the second input is refused; the first goes on.
        show.click("btnliveB3");
        show.click("t_liveB");
        QVERIFY(show.child<QPushButton>("btnLiveStopB")->isChecked());
        QVERIFY(!show.input(2)->isOn());
        QVERIFY(show.receivesNothing(2));
        QVERIFY(show.receives(1));
        // Another device: both run, each on its layer.
        show.child<QComboBox>("cbDevice")->setCurrentText("video=Second camera");
        show.click("t_liveB");
        QVERIFY(show.input(2)->isOn());
        QVERIFY(show.receives(2));
        QVERIFY(show.receives(1));
        QCOMPARE(show.surface(2)->picture().size(), show.layer(2)->size());
        show.click("btnLiveStopB");
        QVERIFY(show.receives(1));
        show.click("btnLiveStop");
    }

    void onPressedAgainWhileRunning()
    {
        LiveShow show;
        show.click("btnLive2");
        show.click("t_live");
        QVERIFY(show.receives(1));
        ModalAnswers answers;
        answers.button("OK");
        show.click("t_live");
        QCOMPARE(answers.seen, QStringList({"Cannot ClearTasks while working."}));
        QVERIFY(show.input(1)->isOn());
        QVERIFY(show.child<QPushButton>("t_live")->isChecked());
        QVERIFY(show.receives(1));
        show.click("btnLiveStop");
    }

    void inputsThatDoNotStartOrEndByThemselves()
    {
        // No device at all.
        {
            LiveShow show(cameras({}));
            show.click("t_live");
            QVERIFY(show.child<QPushButton>("btnLiveStop")->isChecked());
            QVERIFY(!show.input(1)->encoder()->Working());
        }
        // A device the kernel describes whose node is gone: not started, no message.
        {
            QTemporaryDir root;
            QDir().mkpath(root.filePath("sys/class/video4linux/video0"));
            QFile name(root.filePath("sys/class/video4linux/video0/name"));
            QVERIFY(name.open(QIODevice::WriteOnly));
            name.write("Unplugged Camera\n");
            name.close();
            PlatformServices services;
            services.capture = std::make_unique<V4L2CaptureDevices>(root.path());
            LiveShow show(std::move(services));
            QCOMPARE(show.child<QComboBox>("caDevice")->currentText(),
                     QString("video=Unplugged Camera"));
            ModalAnswers answers;
            show.click("btnLive2");
            show.click("t_live");
            QVERIFY(show.child<QPushButton>("btnLiveStop")->isChecked());
            QVERIFY(!show.input(1)->isOn());
            QVERIFY(show.child<QWidget>("caDevice")->isEnabled());
            QVERIFY(answers.seen.isEmpty());
        }
        // An encoding error: back to "OFF" with the options enabled, the layer shows its colour,
        // and the operator reads ffmpeg's reason.
        {
            LiveShow show;
            QVERIFY(show.fixture.settings().write("live1Output", "-no_such_option 1"));
            ModalAnswers answers;
            answers.button("OK");
            show.click("btnLive2");
            show.click("t_live");
            QTRY_VERIFY_WITH_TIMEOUT(show.child<QPushButton>("btnLiveStop")->isChecked(), 10000);
            QTRY_COMPARE(answers.seen.size(), 1);
            QVERIFY2(answers.seen.first().contains("no_such_option"),
                     qPrintable(answers.seen.first()));
            QVERIFY(!show.input(1)->isOn());
            QVERIFY(show.child<QWidget>("caDevice")->isEnabled());
            QVERIFY(!show.surface(1)->showsPicture());
        }
        // A source that ends by itself (a camera unplugged): "OFF" without a message.
        {
            LiveShow show(
                cameras({{"Short camera", movingPicture({160, 120}, 25) + ":duration=1"}}));
            ModalAnswers answers;
            show.click("btnLive2");
            show.click("t_live");
            QVERIFY(show.receives(1));
            QTRY_VERIFY_WITH_TIMEOUT(show.child<QPushButton>("btnLiveStop")->isChecked(), 10000);
            QVERIFY(!show.surface(1)->showsPicture());
            QVERIFY(answers.seen.isEmpty());
            show.click("t_live"); // and it starts again
            QVERIFY(show.receives(1));
        }
    }

    // The encoder's ffmpeg program must not hold the show database's file: Firebird would
    // refuse the console's next reading of the show while the input runs.
    void theShowCanBeReadWhileAnInputRuns()
    {
        LiveShow show;
        show.click("t_live");
        QVERIFY(show.input(1)->isOn());
        ModalAnswers answers;
        const int clip = show.add(media("red.png"));
        QVERIFY(clip > 0);
        QVERIFY2(answers.seen.isEmpty(), qPrintable(answers.seen.join('\n')));
        QCOMPARE(show.main->database().playlist.integer("codice"), clip);
        show.click("btnLiveStop");
    }

    void theOptionTextsAreEditedInTheirFiles()
    {
        LiveShow show;
        const SettingsFiles settings = show.fixture.settings();
        QVERIFY(settings.write("live2Input", "-thread_queue_size 64"));
        ModalAnswers answers;
        answers.text("-thread_queue_size 512");
        show.click("btnInput2");
        answers.text(std::nullopt); // "Cancel" writes nothing
        show.click("btnOutput1");
        QCOMPARE(answers.seen,
                 QStringList({"Live video 2 - set input", "Live video 1 - set output"}));
        QCOMPARE(settings.readFirstLine("live2Input"), QString("-thread_queue_size 512"));
        QCOMPARE(settings.readFirstLine("live1Output"), QString(""));
        QCOMPARE(show.input(2)->LiveVideo(0, 0), QString("-thread_queue_size 512"));
        // A missing file is no extra option: the input still starts.
        QVERIFY(QFile::remove(settings.path("live1Input")));
        QCOMPARE(show.input(1)->LiveVideo(0, 0), QString());
        show.click("t_live");
        QVERIFY(show.input(1)->isOn());
        show.click("btnLiveStop");
    }
};

QTEST_MAIN(TestLiveVideo)
#include "test_live_video.moc"
