#include "library/clip_adder.h"
#include "media/test_media.h"
#include "support/modal_answers.h"
#include "support/started_console.h"
#include "ui/dataset_grid.h"

#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

namespace {
// Drops files on the console as the desktop's file manager does.
void drop(QWidget* window, const QStringList& files)
{
    QList<QUrl> urls;
    for (const QString& file : files)
        urls.append(QUrl::fromLocalFile(file));
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &dropped);
}

void seedShow(const ShowFixture& fixture)
{
    fixture.exec(R"(insert into "liste" values ('Show', 1))");
    fixture.exec(
        R"(insert into "playlist" ("codice", "titolo", "lista", "ordine") values (1, 'Old', 'Show', 7))");
}
} // namespace

class TestClipAdder : public QObject {
    Q_OBJECT
private slots:
    void acceptedNamesAndTitles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("title");
        QTest::newRow("mp4") << "/media/show/intro.mp4" << true << "intro";
        QTest::newRow("ts") << "/media/show/intro.ts" << true << "intro";
        QTest::newRow("mpeg") << "/media/show/intro.mpeg" << true << "intro";
        QTest::newRow("webm") << "/media/show/clip.webm" << true << "clip";
        QTest::newRow("upper case, blanks after") << "/m/LOOP.MOV  " << true << "LOOP";
        QTest::newRow("jpeg") << "/m/poster.jpeg" << true << "poster";
        QTest::newRow("flac") << "/m/song.flac" << true << "song";
        QTest::newRow("dots in the name") << "/m/clip.v2.mp4" << true << "clip.v2";
        QTest::newRow("text") << "/m/notes.txt" << false << "notes";
        QTest::newRow("pdf") << "/m/rider.pdf" << false << "rider";
    }
    void acceptedNamesAndTitles()
    {
        QFETCH(QString, path);
        QFETCH(bool, accepted);
        QFETCH(QString, title);
        QCOMPARE(ClipAdder::acceptedExtension(path), accepted);
        QCOMPARE(ClipAdder::titleOf(path), title);
    }

    void thumbnailSizes_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("thumbnail");
        QTest::newRow("1920x1080") << QSize(1920, 1080) << QSize(127, 71);
        QTest::newRow("1080x1920") << QSize(1080, 1920) << QSize(43, 77);
        QTest::newRow("320x240") << QSize(320, 240) << QSize(127, 95);
        QTest::newRow("square") << QSize(500, 500) << QSize(77, 77);
        QTest::newRow("no picture") << QSize(0, 0) << QSize(0, 0);
    }
    void thumbnailSizes()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, thumbnail);
        QImage image(picture, QImage::Format_RGB32);
        image.fill(Qt::red);
        const QImage icon = ClipAdder::thumbnail(image);
        QCOMPARE(icon.isNull() ? QSize(0, 0) : icon.size(), thumbnail);
    }

    void droppedFilesBecomeClipsInDropOrder()
    {
        StartedConsole started(seedShow);
        started.child<QComboBox>("chkDefaultAspectRatio")->setCurrentText("16:9");
        started.child<QComboBox>("chkDefaultStatus")->setCurrentText("LOOP");
        ModalAnswers answers;
        drop(started.main, {media("clip_vp9.webm"), media("clip_h264.mp4"), media("tone.wav")});

        QVERIFY2(answers.seen.isEmpty(), qPrintable(answers.seen.join('\n')));
        const ShowFixture& show = started.fixture;
        QCOMPARE(show.scalar(R"(select count(*) from "playlist")").toInt(), 4);
        const QStringList order = {"clip_vp9", "clip_h264", "tone"};
        for (int i = 0; i < order.size(); ++i)
            QCOMPARE(
                show.scalar(R"(select "ordine" from "playlist" where "titolo" = ?)", {order.at(i)})
                    .toInt(),
                8 + i);
        QCOMPARE(started.child<QLabel>("tot1")->text(), QString("4"));

        ReadDataset& clips = started.main->database().playlist;
        QVERIFY(clips.locate("titolo", QString("clip_h264")));
        QCOMPARE(clips.text("file"), media("clip_h264.mp4"));
        QCOMPARE(clips.text("tipo"), QString("mov,mp4,m4a,3gp")); // cut to 15 characters
        QVERIFY(std::llabs(clips.integer("duratams") - 2000000) < 50000);
        QCOMPARE(clips.integer("end"), clips.integer("duratams"));
        QVERIFY(clips.text("t1").startsWith("00:00:0")); // about two seconds
        QCOMPARE(clips.text("risoluzione"), QString("320x240"));
        QCOMPARE(clips.text("aspectratio"), QString("16:9"));
        QCOMPARE(clips.text("status"), QString("LOOP"));
        QCOMPARE(clips.text("lista"), QString("Show"));
        const QList<std::pair<const char*, int>> numbers = {
            {"start", 0},          {"volume", 100}, {"monitor", 0},
            {"player", 1},         {"gruppo", 0},   {"cropw", 320},
            {"croph", 240},        {"ruota", 4},    {"azione_iniziale", -1},
            {"azione_finale", -1}, {"x3", 320},     {"y3", 240},
            {"opacity", 255},      {"preview", 1},  {"trxtime", 2},
            {"changeA", 1},        {"changeB", 1},  {"changeBG", 1}};
        for (const auto& [column, value] : numbers)
            QVERIFY2(clips.integer(column) == value, column);
        QCOMPARE(clips.value("saturation").toDouble(), 1.0);
        QVERIFY(clips.value("filtro").isNull());
        QImage icon;
        QVERIFY(icon.loadFromData(clips.value("frame").toByteArray(), "BMP"));
        QCOMPARE(icon.size(), QSize(127, 95));

        QVERIFY(clips.locate("titolo", QString("clip_vp9"))); // a WebM, through "EBM"
        QCOMPARE(clips.text("tipo"), QString("matroska,webm"));
        QVERIFY(!clips.value("frame").isNull());
        QVERIFY(clips.locate("titolo", QString("tone"))); // sound alone: no picture
        QCOMPARE(clips.text("risoluzione"), QString("0x0"));
        QVERIFY(clips.value("frame").isNull());

        QVERIFY(started.main->levelMetersOn());
        QCOMPARE(started.child<QProgressBar>("progresso")->value(), 0);
    }

    void rejectedFilesAreSkippedAndNamedOnce()
    {
        StartedConsole started(seedShow);
        QTemporaryDir dir;
        const QString notes = dir.filePath("notes.txt");
        QFile text(notes);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("call times\n");
        text.close();
        ModalAnswers answers;
        drop(started.main,
             {notes, media("clip_mpeg4.avi"), media("random.mp4"), media("clip_mpeg2.ts")});
        QCOMPARE(answers.seen, QStringList({"These files were not added:\n"
                                            "notes.txt: not a media file\n"
                                            "random.mp4: cannot be opened"}));
        QCOMPARE(started.fixture.scalar(R"(select count(*) from "playlist")").toInt(), 3);
        QCOMPARE(started.fixture.scalar(R"(select max("ordine") from "playlist")").toInt(), 9);
        QVERIFY(started.main->levelMetersOn());
    }

    void addingShowsHowFarAndCanBeCancelled()
    {
        StartedConsole started(seedShow);
        auto* adding = started.child<QLabel>("adding");
        QStringList files;
        for (int i = 0; i < 200; ++i)
            files.append(media("clip_h264.mp4"));
        // The operator follows the count, and cancels once a few files are in.
        QStringList seen;
        QTimer operatorWatching;
        connect(&operatorWatching, &QTimer::timeout, [&] {
            if (!adding->isVisible() || seen.contains(adding->text()))
                return;
            seen.append(adding->text());
            if (seen.size() == 3)
                started.child<QPushButton>("btnCancelAdding")->click();
        });
        operatorWatching.start(1);
        started.main->addClips(files);
        QVERIFY2(seen.first().startsWith("Adding ") && seen.first().endsWith(" of 200"),
                 qPrintable(seen.join(", ")));
        QVERIFY(!adding->isVisible());
        // What was probed before "Cancel" is kept, in one write.
        const int added = started.fixture.scalar(R"(select count(*) from "playlist")").toInt() - 1;
        QVERIFY2(added >= 2 && added < 200, qPrintable(QString::number(added)));
        QCOMPARE(started.main->database().playlist.count(), added + 1);
        QVERIFY(!started.main->addingClips());
    }
};

QTEST_MAIN(TestClipAdder)
#include "test_clip_adder.moc"
