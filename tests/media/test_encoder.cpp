#include "media/ff_decoder.h"
#include "media/ff_encoder.h"
#include "media/frame_input.h"
#include "media/recording_sink.h"
#include "media/test_media.h"
#include "support/test_cameras.h"

#include <QElapsedTimer>

#include <QTemporaryDir>
#include <QTest>

namespace {
// What an encoder reported, in order.
struct EncoderProbe {
    QList<TTerminateInfo> ends;
    int progress = 0;
    explicit EncoderProbe(TFFEncoder& encoder)
    {
        encoder.OnTerminate = [this](TFFEncoder*, const TTerminateInfo& info) {
            ends.append(info);
        };
        encoder.OnProgress = [this](TFFEncoder*, const TProgressInfo&) { ++progress; };
    }
    bool runEnded() const { return !ends.isEmpty() && ends.last().TaskIndex == -1; }
};

TInputOptions input(const QString& options = {})
{
    TInputOptions result;
    result.Options = options;
    return result;
}

TOutputOptions output(const QString& options)
{
    TOutputOptions result;
    result.Options = options;
    return result;
}

const QString Lavfi = "-f lavfi";
const QString ShortPicture = "testsrc2=size=320x240:rate=25:duration=1";
} // namespace

class TestEncoder : public QObject {
    Q_OBJECT
private slots:
    void aTaskConvertsAFileAndEndsTheRunLast()
    {
        QTemporaryDir dir;
        TFFEncoder encoder;
        encoder.setProgressInterval(100);
        EncoderProbe probe(encoder);
        QCOMPARE(encoder.AddTask(media("clip_h264.mp4"), input()), 0);
        const QString converted = dir.filePath("converted.avi");
        QCOMPARE(encoder.SetOutput(0, converted, output("-c:v mpeg4 -q:v 5 -c:a mp2")), 0);
        encoder.Start(1);
        QVERIFY(encoder.Working());
        QTRY_VERIFY_WITH_TIMEOUT(probe.runEnded(), 20000);
        QCOMPARE(probe.ends.size(), 2);
        QCOMPARE(probe.ends.first().TaskIndex, 0);
        QVERIFY(probe.ends.first().Finished);
        QVERIFY(!probe.ends.first().Exception);
        QVERIFY(probe.progress >= 1);
        QVERIFY(encoder.Terminated());
        QVERIFY(encoder.Working()); // until ClearTasks

        TFFDecoder decoder;
        QVERIFY(decoder.LoadFile(converted));
        QVERIFY(std::llabs(decoder.FileStreamInfo().Duration - 2000000) < 100000);
    }

    void tasksCannotChangeWhileWorking()
    {
        QTemporaryDir dir;
        TFFEncoder encoder;
        EncoderProbe probe(encoder);
        encoder.AddTask(ShortPicture, input(Lavfi));
        encoder.SetOutput(0, dir.filePath("a.avi"), output("-c:v mpeg4"));
        encoder.Start(1);
        const auto refused = [](const std::function<void()>& call) {
            try {
                call();
            } catch (const EncoderError& error) {
                return QString::fromUtf8(error.what());
            }
            return QString();
        };
        QCOMPARE(refused([&] { encoder.AddTask(ShortPicture, input(Lavfi)); }),
                 QString("Cannot AddTask while working."));
        QCOMPARE(refused([&] { encoder.SetOutput(0, "b.avi", output({})); }),
                 QString("Cannot SetOutput while working."));
        QCOMPARE(refused([&] { encoder.ClearTasks(); }),
                 QString("Cannot ClearTasks while working."));
        QTRY_VERIFY_WITH_TIMEOUT(probe.runEnded(), 20000);
        QCOMPARE(refused([&] { encoder.AddTask(ShortPicture, input(Lavfi)); }),
                 QString("Cannot AddTask while working.")); // still working until cleared
        encoder.ClearTasks();
        QVERIFY(!encoder.Working());
        QCOMPARE(encoder.AddTask(ShortPicture, input(Lavfi)), 0);
    }

    void refusedInputsAndFailingTasks()
    {
        QTemporaryDir dir;
        TFFEncoder encoder;
        EncoderProbe probe(encoder);
        QCOMPARE(encoder.AddTask(media("no such file.mp4"), input()), -1);
        QVERIFY(encoder.LastErrMsg().contains("No such file or directory"));
        QCOMPARE(encoder.AddTask("video=No Such Camera", input()), -1);
        QVERIFY(encoder.LastErrMsg().contains("No Such Camera"));
        QCOMPARE(encoder.TasksCount(), 0);

        QCOMPARE(encoder.AddTask(ShortPicture, input(Lavfi)), 0);
        encoder.SetOutput(0, dir.filePath("x.avi"), output("-c:v no_such_codec"));
        encoder.Start(1);
        QTRY_VERIFY_WITH_TIMEOUT(probe.runEnded(), 20000);
        QCOMPARE(probe.ends.size(), 2);
        QVERIFY(probe.ends.first().Exception);
        QVERIFY(!probe.ends.first().Finished);
        QVERIFY2(probe.ends.first().ExceptionMsg.contains("no_such_codec"),
                 qPrintable(probe.ends.first().ExceptionMsg));
    }

    void stopEndsARunningTaskWithItsFileClosed()
    {
        QTemporaryDir dir;
        TFFEncoder encoder;
        EncoderProbe probe(encoder);
        encoder.AddTask("testsrc2=size=320x240:rate=25:duration=120", input(Lavfi));
        const QString file = dir.filePath("long.avi");
        encoder.SetOutput(0, file, output("-c:v mpeg4"));
        encoder.Start(1);
        QTest::qWait(700);
        encoder.Stop(true);
        QVERIFY(probe.runEnded());
        QCOMPARE(probe.ends.size(), 2);
        QVERIFY(!probe.ends.first().Finished);
        QVERIFY(!probe.ends.first().Exception);
        TFFDecoder decoder;
        QVERIFY(decoder.LoadFile(file));
        QVERIFY(decoder.Decode(-1));
    }

    void optionTextsOfTheLiveInputsAndTheLoops_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("file");
        QTest::newRow("live H264, 720x576")
            << " -c:v libx264 -preset ultrafast -deinterlace -r 25 -f null -s 720x576 "
            << "";
        QTest::newRow("live H264, original")
            << " -c:v libx264 -preset ultrafast -deinterlace -r 50 -f null "
            << "";
        QTest::newRow("live MPEG, original")
            << "-vcodec mpeg2video -pix_fmt yuv422p -qscale 1 -qmin 1 -intra -r 30 -an -f null "
            << "";
        QTest::newRow("3 s loop") << "-c:v mpeg4 -c:a mp2 -r 30/1 -s 320x240 -vsync -1"
                                  << "Logo.avi";
    }
    void optionTextsOfTheLiveInputsAndTheLoops()
    {
        QFETCH(QString, options);
        QFETCH(QString, file);
        QTemporaryDir dir;
        TFFEncoder encoder;
        EncoderProbe probe(encoder);
        encoder.AddTask(ShortPicture, input(Lavfi));
        QCOMPARE(
            encoder.SetOutput(0, file.isEmpty() ? QString() : dir.filePath(file), output(options)),
            0);
        const QStringList arguments = encoder.Arguments(0);
        QVERIFY(!arguments.contains("-deinterlace"));
        QVERIFY(!arguments.contains("-intra"));
        if (options.contains("-deinterlace"))
            QVERIFY(arguments.join(' ').contains("-vf yadif"));
        encoder.Start(1);
        QTRY_VERIFY_WITH_TIMEOUT(probe.runEnded(), 20000);
        QVERIFY2(probe.ends.first().Finished, qPrintable(probe.ends.first().ExceptionMsg));
    }

    void aFrameInputFeedsTheTaskUntilItSaysNoMore()
    {
        QTemporaryDir dir;
        TFrameInputAdapter adapter;
        int asked = 0;
        adapter.OnReadFrameCanvas = [&](TFrameInputAdapter*, QImage& canvas,
                                        TInputFrameInfo* info) {
            if (info->FrameNumber != asked++ || info->Width != 320 || asked > 10)
                return -1;
            canvas.fill(QColor(200, 30, 30));
            return 0;
        };
        TFFEncoder encoder;
        EncoderProbe probe(encoder);
        QCOMPARE(encoder.AddTask(adapter.Identity(),
                                 input("-f frameinput -input_type canvas -pix_fmt bgr24 -r 30 "
                                       "-s 320x240")),
                 0);
        const QString file = dir.filePath("Logo.avi");
        encoder.SetOutput(0, file, output("-c:v mpeg4 -c:a mp2 -r 30/1 -s 320x240 -vsync -1"));
        encoder.Start(1);
        QTRY_VERIFY_WITH_TIMEOUT(probe.runEnded(), 20000);
        QVERIFY2(probe.ends.first().Finished, qPrintable(probe.ends.first().ExceptionMsg));
        TFFDecoder decoder;
        QVERIFY(decoder.LoadFile(file));
        int pictures = 0;
        QImage first;
        while (decoder.Decode(-1))
            if (pictures++ == 0)
                decoder.CopyToBitmap(first);
        QCOMPARE(pictures, 10);
        const QColor colour = first.pixelColor(160, 120);
        QVERIFY2(colour.red() > 150 && colour.green() < 80, qPrintable(colour.name()));
    }

    void aFrameInputWithNothingEndsItsTask()
    {
        QTemporaryDir dir;
        TFrameInputAdapter adapter;
        adapter.OnReadFrameCanvas = [](TFrameInputAdapter*, QImage&, TInputFrameInfo*) {
            return -1;
        };
        TFFEncoder encoder;
        EncoderProbe probe(encoder);
        encoder.AddTask(adapter.Identity(),
                        input("-f frameinput -input_type canvas -pix_fmt bgr24 -r 30 -s 64x64"));
        encoder.SetOutput(0, dir.filePath("empty.avi"), output("-c:v mpeg4"));
        encoder.Start(1);
        QTRY_VERIFY_WITH_TIMEOUT(probe.runEnded(), 20000);
        QCOMPARE(probe.ends.size(), 2);
    }

    // A picture handed back at another size cannot travel as raw video: the input ends
    // there, after the pictures that fitted.
    void aFrameOfAnotherSizeEndsTheInput()
    {
        QTemporaryDir dir;
        TFrameInputAdapter adapter;
        int asked = 0;
        adapter.OnReadFrameCanvas = [&](TFrameInputAdapter*, QImage& canvas, TInputFrameInfo*) {
            canvas = ++asked <= 3 ? QImage(64, 64, QImage::Format_BGR888)
                                  : QImage(32, 32, QImage::Format_BGR888);
            canvas.fill(Qt::blue);
            return 0;
        };
        TFFEncoder encoder;
        EncoderProbe probe(encoder);
        encoder.AddTask(adapter.Identity(),
                        input("-f frameinput -input_type canvas -pix_fmt bgr24 -r 30 -s 64x64"));
        const QString file = dir.filePath("three.avi");
        encoder.SetOutput(0, file, output("-c:v mpeg4"));
        encoder.Start(1);
        QTRY_VERIFY_WITH_TIMEOUT(probe.runEnded(), 20000);
        QCOMPARE(asked, 4);
        TFFDecoder decoder;
        QVERIFY(decoder.LoadFile(file));
        int pictures = 0;
        while (decoder.Decode(-1))
            ++pictures;
        QCOMPARE(pictures, 3);
    }

    void frameInputOptionsAreChecked_data()
    {
        QTest::addColumn<bool>("known");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("error");
        QTest::newRow("not an adapter")
            << false << "-input_type canvas -r 30 -s 64x64"
            << "Could not parse FrameInputAdapter: \"12\", it should be address of "
               "FrameInputAdapter\n";
        QTest::newRow("type")
            << true << "-input_type jpg -r 30 -s 64x64"
            << "Invalid frame input type: \"jpg\", it should be one of canvas/bmp/dc/yuv\n";
        QTest::newRow("rate") << true << "-input_type canvas -r fast -s 64x64"
                              << "Could not parse framerate \"fast\".\n";
        QTest::newRow("size") << true << "-input_type canvas -r 30 -s huge"
                              << "Couldn't parse video size.\n";
        QTest::newRow("unknown pixel format")
            << true << "-input_type canvas -r 30 -s 64x64 -pix_fmt bgr48"
            << "Unknown pixel format requested\n";
        QTest::newRow("pixel format for a canvas")
            << true << "-input_type canvas -r 30 -s 64x64 -pix_fmt yuv420p"
            << "Invalid pixel format for canvas/bmp/dc input, should be one of "
               "pal8/rgb555le/bgr24/bgra\n";
    }
    void frameInputOptionsAreChecked()
    {
        QFETCH(bool, known);
        QFETCH(QString, options);
        QFETCH(QString, error);
        TFrameInputAdapter adapter;
        TFFEncoder encoder;
        QCOMPARE(
            encoder.AddTask(known ? adapter.Identity() : "12", input("-f frameinput " + options)),
            -1);
        QCOMPARE(encoder.LastErrMsg(), error);
        QCOMPARE(encoder.TasksCount(), 0);
    }

    void previewPicturesWhileRunning()
    {
        QTemporaryDir dir;
        TFFEncoder encoder;
        encoder.setPreviewInterval(5);
        QCOMPARE(encoder.PreviewInterval(), 10); // at least 10 ms
        encoder.setPreviewInterval(100);
        encoder.setPreviewBitmap(true);
        EncoderProbe probe(encoder);
        QList<int> numbers;
        QSize size;
        encoder.OnPreviewBitmap = [&](TFFEncoder*, const TPreviewInfo& info) {
            numbers.append(info.FrameNumber);
            size = info.Bitmap.size();
        };
        encoder.AddTask(ShortPicture, input(Lavfi)); // one second
        encoder.SetOutput(0, dir.filePath("out.avi"), output("-c:v mpeg4"));
        encoder.Start(1);
        QTRY_VERIFY_WITH_TIMEOUT(probe.runEnded(), 20000);
        QCOMPARE(size, QSize(TFFEncoder::PreviewWidth, TFFEncoder::PreviewHeight));
        QVERIFY2(numbers.size() >= 9 && numbers.size() <= 11,
                 qPrintable(QString::number(numbers.size())));
        for (int i = 0; i < numbers.size(); ++i)
            QCOMPARE(numbers.at(i), i);
    }

    void theArgumentsOfALiveInput()
    {
        TFFEncoder encoder;
        encoder.setProgressInterval(100);
        encoder.AddTask("testsrc2", input(Lavfi));
        encoder.SetOutput(0, {},
                          output(" -c:v libx264 -preset ultrafast -deinterlace -r 25 -f null "
                                 "-s 720x576 "));
        const QStringList arguments = encoder.Arguments(0);
        const QStringList expected = {"-hide_banner", "-nostdin", "-y",
                                      "-loglevel",    "error",    "-nostats",
                                      "-progress",    "pipe:2",   "-stats_period",
                                      "0.1",          "-f",       "lavfi",
                                      "-i",           "testsrc2", "-c:v",
                                      "libx264",      "-preset",  "ultrafast",
                                      "-r",           "25",       "-f",
                                      "null",         "-s",       "720x576",
                                      "-vf",          "yadif",    "-"};
        QCOMPARE(arguments.mid(0, expected.size()), expected);
        QCOMPARE(arguments.mid(expected.size(), 2), QStringList({"-map", "0:v?"})); // preview
    }

    void livePicturesReachTheirTargetsAtTheInputsRate()
    {
        // Two seconds of a red camera at 25 pictures a second, shown on layer A, then moved
        // to layer B (of another size) while it runs.
        TestCameras cameras(
            {TestCameras::Camera{"Red camera", "color=c=red:size=320x240:rate=25:duration=2"}});
        TFFEncoder encoder;
        encoder.setCaptureDevices(&cameras);
        EncoderProbe probe(encoder);
        RecordingSink layerA({64, 48}), layerB({32, 24});
        encoder.setLiveTargets({{&layerA, Qt::black}});
        QCOMPARE(encoder.AddTask("video=Red camera", input("-thread_queue_size 8")), 0);
        QVERIFY(encoder.Arguments(0).join(' ').contains(
            "-thread_queue_size 8 -re -f lavfi -i color=c=red"));
        TOutputOptions options = output(" -c:v libx264 -preset ultrafast -r 25 -f null");
        options.LivePictures = true;
        encoder.SetOutput(0, {}, options);
        QElapsedTimer clock;
        clock.start();
        encoder.Start(1);
        QTRY_VERIFY_WITH_TIMEOUT(layerA.count() >= 10, 10000);
        encoder.setLiveTargets({{&layerB, Qt::black}});
        const int shownOnA = layerA.count();
        QTRY_VERIFY_WITH_TIMEOUT(probe.runEnded(), 20000);
        QVERIFY2(probe.ends.first().Finished, qPrintable(probe.ends.first().ExceptionMsg));
        QCOMPARE(layerA.count(), shownOnA); // nothing after the move
        // Every picture of the input, in its time, on one layer or the other: at most the
        // picture made for A while the targets changed is left out.
        QVERIFY2(shownOnA + layerB.count() >= 49,
                 qPrintable(QStringLiteral("%1 + %2").arg(shownOnA).arg(layerB.count())));
        QVERIFY(clock.elapsed() >= 1800);
        for (const RecordingSink* layer : {&layerA, &layerB}) {
            QCOMPARE(layer->picture().size(), layer->surfaceSize()); // stretched over it
            QCOMPARE(layer->target(), QRect(QPoint(), layer->surfaceSize()));
            const QColor centre = layer->picture().pixelColor(layer->surfaceSize().width() / 2,
                                                              layer->surfaceSize().height() / 2);
            QVERIFY2(centre.red() > 230 && centre.green() < 30 && centre.blue() < 30,
                     qPrintable(centre.name()));
        }
    }

    void aCameraThatCannotBeUsedIsRefused()
    {
        TestCameras cameras(QList<TestCameras::Camera>{});
        TFFEncoder encoder;
        encoder.setCaptureDevices(&cameras);
        QCOMPARE(encoder.AddTask("video=Gone", input()), -1);
        QCOMPARE(encoder.LastErrMsg(), QString("no test camera video=Gone"));
        QCOMPARE(encoder.TasksCount(), 0);
    }

    void hookOptionsAreTakenOutOfTheText()
    {
        TOutputOptions options;
        const QString text =
            TFFEncoder::TakeHookOptions("-VideoInputHook -c:v mpeg4 -join -r 25", options);
        QCOMPARE(text, QString("-c:v mpeg4 -r 25"));
        QVERIFY(options.VideoInputHook);
        QVERIFY(options.Join);
        QVERIFY(!options.AudioOutputHook);
    }
};

QTEST_GUILESS_MAIN(TestEncoder)
#include "test_encoder.moc"
