// "Convert" of a still clip into a video loop, with the real encoder, read back with ffprobe.
#include "library/video_loop_render.h"
#include "media/test_media.h"
#include "support/modal_answers.h"
#include "support/show_console.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QProcess>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {
// "codec,width,height,frames" of the file's video stream, as ffprobe counts them.
QString probe(const QString& file)
{
    QProcess ffprobe;
    ffprobe.start("ffprobe", {"-v", "error", "-select_streams", "v", "-count_frames",
                              "-show_entries", "stream=codec_name,width,height,nb_read_frames",
                              "-show_entries", "format=format_name", "-of", "csv=p=0", file});
    ffprobe.waitForFinished(30000);
    return QString::fromUtf8(ffprobe.readAllStandardOutput()).simplified();
}

struct LoopShow : Show {
    QTemporaryDir folder;
    int red = 0;
    int blue = 0;
    LoopShow()
    {
        fixture.settings().write(SettingsFile::CacheVideo, folder.path() + '/');
        red = add(media("red.png"));
        blue = add(media("blue.png"));
        select(red);
    }
    void convert(const char* entry)
    {
        for (QAction* action : main->findChildren<QAction*>())
            if (action->text() == entry && action->parent() &&
                action->parent()->objectName() != "main") {
                action->trigger();
                return;
            }
        qFatal("no menu entry %s", entry);
    }
};
} // namespace

class TestVideoLoop : public QObject {
    Q_OBJECT
private slots:
    void aStillBecomesALoopOfExactlyItsFrames()
    {
        LoopShow show;
        VideoLoopRender& render = show.main->loopRender();
        QSignalSpy done(&render, &VideoLoopRender::finished);
        auto* progress = show.child<QProgressBar>("progresso");
        int highest = 0;
        QObject::connect(progress, &QProgressBar::valueChanged,
                         [&](int value) { highest = std::max(highest, value); });
        // A file of that name, perhaps on air: untouched until the new one is whole.
        const QString file = show.folder.filePath("red.avi");
        {
            QFile old(file);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old");
        }
        QVERIFY(
            render.start({media("red.png"), "red", 320, 240}, 90, show.folder.path(), "Original"));
        QVERIFY(render.rendering());
        // Another clip under the cursor, and a second render asked for: neither reaches this one.
        show.select(show.blue);
        ModalAnswers answers;
        answers.button("OK");
        QVERIFY(!render.start({media("blue.png"), "blue", 320, 240}, 150, show.folder.path(),
                              "Original"));
        QCOMPARE(answers.seen, QStringList{"A video loop is being rendered: wait for its end."});
        {
            QFile old(file);
            QVERIFY(old.open(QIODevice::ReadOnly));
            QCOMPARE(old.readAll(), QByteArray("old"));
        }
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, 30000);
        QCOMPARE(done.first().first().toString(), file);
        QCOMPARE(probe(file), QString("mpeg4,320,240,90 avi"));
        QCOMPARE(highest, 90);
        QCOMPARE(progress->value(), 0);
        QCOMPARE(QDir(show.folder.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"red.avi"});
        // Every picture is the red still: the centre pixel of each, as FFmpeg decodes them.
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", {"-v", "error", "-i", file, "-vf", "format=rgb24,crop=1:1:160:120",
                                "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
        QVERIFY(ffmpeg.waitForFinished(30000));
        const QByteArray centres = ffmpeg.readAllStandardOutput();
        QCOMPARE(centres.size(), 90 * 3);
        for (int i = 0; i < 90; ++i)
            QVERIFY2(quint8(centres[3 * i]) > 200 && quint8(centres[3 * i + 2]) < 60,
                     qPrintable(QStringLiteral("picture %1").arg(i)));
    }

    void theMenuRendersItsLengthAtTheChosenSize_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("probed");
        QTest::newRow("3 s at 1280x720") << "3s video loop"
                                         << "1280x720"
                                         << "mpeg4,1280,720,90 avi";
        QTest::newRow("5 s at the clip's size") << "5s video loop"
                                                << "Original"
                                                << "mpeg4,320,240,150 avi";
        QTest::newRow("10 s at 720x576") << "10s video loop"
                                         << "720x576"
                                         << "mpeg4,720,576,300 avi";
    }
    void theMenuRendersItsLengthAtTheChosenSize()
    {
        QFETCH(QString, entry);
        QFETCH(QString, size);
        QFETCH(QString, probed);
        LoopShow show;
        show.child<QComboBox>("chkConvert")->setCurrentText(size);
        QSignalSpy done(&show.main->loopRender(), &VideoLoopRender::finished);
        show.convert(qPrintable(entry));
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, 60000);
        QCOMPARE(probe(show.folder.filePath("red.avi")), probed);
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<bool>("folderSet");
        QTest::addColumn<QString>("message");
        QTest::newRow("unreadable picture") << "broken" << false << true << "cannot be read";
        QTest::newRow("no cache video folder") << "red" << true << false << "cache video folder";
    }
    void refusals()
    {
        QFETCH(QString, title);
        QFETCH(bool, readable);
        QFETCH(bool, folderSet);
        QFETCH(QString, message);
        LoopShow show;
        QTemporaryDir dir;
        QString picture = media("red.png");
        if (!readable) {
            picture = dir.filePath("broken.png");
            QFile broken(picture);
            QVERIFY(broken.open(QIODevice::WriteOnly));
            broken.write("\\x89PNG not really");
        }
        ModalAnswers answers;
        answers.button("OK");
        VideoLoopRender& render = show.main->loopRender();
        QVERIFY(!render.start({picture, title, 320, 240}, 90,
                              folderSet ? show.folder.path() : QString(), "Original"));
        QCOMPARE(answers.seen.size(), 1);
        QVERIFY2(answers.seen.first().contains(message), qPrintable(answers.seen.first()));
        QVERIFY(!render.rendering());
        QVERIFY(QDir(show.folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    void aTitleCannotLeaveTheFolder()
    {
        QCOMPARE(VideoLoopRender::loopFileName("/cache/video/", "../../etc/Logo  "),
                 QString("/cache/video/.._.._etc_Logo.avi"));
        QCOMPARE(VideoLoopRender::loopFileName("/cache/video", ".."),
                 QString("/cache/video/loop.avi"));
    }
};

QTEST_MAIN(TestVideoLoop)
#include "test_video_loop.moc"
