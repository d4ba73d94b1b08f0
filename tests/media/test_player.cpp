#include "media/ff_player.h"
#include "media/numbered_frames.h"
#include "media/playback_session.h"
#include "media/player_probe.h"
#include "media/recording_sink.h"
#include "media/test_media.h"
#include "media/thread_rank.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace {
constexpr int EndTimeout = 10000;

// A sink that reads every picture it is given as a numbered picture (none: another picture).
class NumberedSink : public RecordingSink {
public:
    void present(const QImage& picture, const QRect& target, const QColor& background) override
    {
        RecordingSink::present(picture, target, background);
        QMutexLocker lock(&m_seenMutex);
        m_seen.append(readPictureNumber(picture));
    }
    QList<std::optional<PictureNumber>> seen() const
    {
        QMutexLocker lock(&m_seenMutex);
        return m_seen;
    }

private:
    mutable QMutex m_seenMutex;
    QList<std::optional<PictureNumber>> m_seen;
};

// A sink that takes 15 ms to show each picture, as a large picture scaled on a busy machine,
// and is held once for `hold` after showing picture `heldAt`, as by a busy moment. It notes
// each picture's number and how far the picture clock was from the sound when it came.
class BusySink : public RecordingSink {
public:
    struct Shown {
        int number = -1;
        double drift = 0;
    };
    BusySink(const TFFPlayer& player, int heldAt, std::chrono::milliseconds hold)
        : m_player(player)
        , m_heldAt(heldAt)
        , m_hold(hold)
    {
    }
    void present(const QImage& picture, const QRect& target, const QColor& background) override
    {
        RecordingSink::present(picture, target, background);
        const std::optional<PictureNumber> number = readPictureNumber(picture);
        {
            QMutexLocker lock(&m_shownMutex);
            m_shown.append({number ? number->number : -1, m_player.ClockDrift()});
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
        if (number && number->number == m_heldAt)
            std::this_thread::sleep_for(m_hold);
    }
    QList<Shown> shown() const
    {
        QMutexLocker lock(&m_shownMutex);
        return m_shown;
    }

private:
    const TFFPlayer& m_player;
    const int m_heldAt;
    const std::chrono::milliseconds m_hold;
    mutable QMutex m_shownMutex;
    QList<Shown> m_shown;
};

// A file that stops answering, as a network share that is gone: a pipe that gives the first
// `bytes` of `source` and then nothing, until answer() (or the end of the test) closes it.
class SilentFile {
public:
    SilentFile(const QString& path, const QString& source, qint64 bytes)
        : m_path(path)
    {
        ::mkfifo(QFile::encodeName(path).constData(), 0600);
        QFile file(source);
        if (file.open(QIODevice::ReadOnly))
            m_data = file.read(bytes);
        m_writer = std::thread([this] {
            // Opening blocks until the player opens it; answer() opens it itself when not.
            const int fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY);
            if (!m_answered && m_data.size() > 0)
                (void)!::write(fd, m_data.constData(), size_t(m_data.size()));
            while (!m_answered)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            ::close(fd);
        });
    }
    ~SilentFile() { answer(); }
    // The read that hangs returns (with the end of the file).
    void answer()
    {
        if (m_answered.exchange(true))
            return;
        // Wakes a writer still waiting for a reader, then a reader still waiting to open.
        const int reader = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_NONBLOCK);
        m_writer.join();
        if (reader >= 0)
            ::close(reader);
    }

private:
    QString m_path;
    QByteArray m_data;
    std::atomic<bool> m_answered{false};
    std::thread m_writer;
};
} // namespace

class TestPlayer : public QObject {
    Q_OBJECT
private slots:
    void everyKindOfFilePlaysToItsEnd_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("picture");
        for (const char* name :
             {"clip_h264.mp4", "clip_vp9.webm", "clip_mpeg4.avi", "clip_prores.mov",
              "clip_mpeg2.ts", "interlaced.mpg", "Überraschung – è.mp4", "still.png", "still.jpg",
              "still.bmp", "still.gif"})
            QTest::newRow(name) << QString::fromUtf8(name) << true;
        for (const char* name : {"tone.wav", "tone_mono.mp3", "tone_51.flac"})
            QTest::newRow(name) << QString(name) << false;
    }
    void everyKindOfFilePlaysToItsEnd()
    {
        QFETCH(QString, file);
        QFETCH(bool, picture);
        RecordingSink sink;
        TFFPlayer player;
        PlayerProbe probe(player);
        player.setDeinterlace(file == "interlaced.mpg");
        QVERIFY2(player.Open(media(file), &sink, false), qPrintable(player.LastError()));
        QCOMPARE(player.FileName(), media(file));
        QVERIFY(!player.FormatName().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(probe.states.contains(psEnd), EndTimeout);
        QCOMPARE(probe.states.first(), psPlay);
        QCOMPARE(probe.readErrors, QList<int64_t>{}); // a whole file never broke off
        QCOMPARE(player.VideoStreamIndex() >= 0, picture);
        QCOMPARE(sink.count() > 0, picture);
        if (probe.duration > 0) {
            QVERIFY(!probe.positions.isEmpty());
            QCOMPARE(probe.positions.last(), probe.duration);
        }
        player.Stop(true);
        QCOMPARE(probe.states.last(), psStop);
        QCOMPARE(player.PlayState(), psStop);
    }

    void theLastPositionIsTheDurationAndASeekRearmsTheEnd()
    {
        RecordingSink sink;
        TFFPlayer player;
        PlayerProbe probe(player);
        QVERIFY(player.Open(media("clip_mpeg4.avi"), &sink, false));
        QTRY_VERIFY_WITH_TIMEOUT(probe.states.contains(psEnd), EndTimeout);
        QCOMPARE(probe.positions.last(), probe.duration);
        for (int i = 1; i < probe.positions.size(); ++i)
            QVERIFY(probe.positions.at(i) > probe.positions.at(i - 1));
        QCOMPARE(probe.states.count(psEnd), 1);
        QTest::qWait(200);
        QCOMPARE(probe.states.count(psEnd), 1); // once per end

        probe.positions.clear();
        player.Seek(0);
        QTRY_VERIFY_WITH_TIMEOUT(probe.states.count(psEnd) == 2, EndTimeout);
        QVERIFY(probe.positions.first() < 500000);
        QCOMPARE(probe.positions.last(), probe.duration);
    }

    void openedPausedShowsTheFirstPictureAndWaits()
    {
        RecordingSink sink;
        TFFPlayer player;
        PlayerProbe probe(player);
        QVERIFY(player.Open(media("clip_h264.mp4"), &sink, true));
        QTRY_COMPARE(probe.states, QList<TPlayState>({psPlay, psPause}));
        QCOMPARE(sink.count(), 1);
        QVERIFY(player.Paused());
        QTest::qWait(300);
        QVERIFY(probe.positions.isEmpty());
        QCOMPARE(sink.count(), 1);
        QCOMPARE(player.CurrentFrame().size(), QSize(320, 240));
        QCOMPARE(player.CurrentFrame(QSize(64, 36)).size(), QSize(64, 36)); // for a preview

        player.Resume();
        QTRY_VERIFY(probe.states.contains(psResume));
        QTRY_VERIFY(probe.positions.size() > 3);
        QVERIFY(!player.Paused());
    }

    void aSeekWhilePausedShowsAndReportsTheNewPlace()
    {
        RecordingSink sink;
        TFFPlayer player;
        PlayerProbe probe(player);
        QVERIFY(player.Open(media("video_only.mp4"), &sink, true));
        QTRY_COMPARE(probe.states.size(), 2);
        player.Seek(3000000, sfBackward);
        QTRY_VERIFY(!probe.positions.isEmpty());
        QVERIFY(probe.positions.last() >= 2000000 && probe.positions.last() <= 3000000);
        QVERIFY(player.Paused());
        QCOMPARE(probe.states.size(), 2); // a seek changes no state
    }

    void resumeRightAfterAPausedOpenPlays()
    {
        RecordingSink sink;
        TFFPlayer player;
        PlayerProbe probe(player);
        QVERIFY(player.Open(media("clip_mpeg4.avi"), &sink, true));
        player.Resume(); // before the first picture is on screen
        QTRY_VERIFY(sink.count() > 5);
        QVERIFY(player.CurrentPTS() > 100000);
    }

    void pauseResumeAndStep()
    {
        RecordingSink sink;
        TFFPlayer player;
        PlayerProbe probe(player);
        QVERIFY(player.Open(media("video_only.mp4"), &sink, false));
        QTRY_VERIFY(probe.positions.size() > 2);
        player.Pause();
        QTRY_COMPARE(probe.states.last(), psPause);
        QTest::qWait(100);
        const int shown = sink.count();
        const int reported = probe.positions.size();
        QTest::qWait(200);
        QCOMPARE(sink.count(), shown);
        QCOMPARE(probe.positions.size(), reported);

        player.StepToNextFrame();
        QTRY_COMPARE(sink.count(), shown + 1);
        QTest::qWait(150);
        QCOMPARE(sink.count(), shown + 1); // one picture, then paused again
        QCOMPARE(probe.states.last(), psStep);
        QCOMPARE(player.PlayState(), psStep);
        QVERIFY(player.Paused());

        // Two steps asked for at once (a quick double press): two pictures.
        player.StepToNextFrame();
        player.StepToNextFrame();
        QTRY_COMPARE(sink.count(), shown + 3);
        QTest::qWait(150);
        QCOMPARE(sink.count(), shown + 3);
        QVERIFY(player.Paused());

        player.TogglePause();
        QTRY_COMPARE(probe.states.last(), psResume);
        QTRY_VERIFY(sink.count() > shown + 5);
    }

    void anOpenInProgressRefusesAnother()
    {
        RecordingSink sink;
        TFFPlayer player;
        PlayerProbe probe(player);
        bool second = true;
        player.OnFileOpen = [&](TFFPlayer* sender, int64_t, int, int, int&, int&) {
            second = sender->Open(media("tone.wav"), &sink, false);
        };
        QVERIFY(player.Open(media("clip_h264.mp4"), &sink, false));
        QVERIFY(!second);
        QCOMPARE(player.LastError(), QString("Current trying open is not completed."));
        QCOMPARE(player.FileName(), media("clip_h264.mp4"));
        QTRY_VERIFY(sink.count() > 0);
    }

    void openingAnotherFileStopsTheFirstBeforeAnythingNew()
    {
        RecordingSink sink;
        TFFPlayer player;
        PlayerProbe probe(player);
        QVERIFY(player.Open(media("video_only.mp4"), &sink, false));
        QTRY_VERIFY(probe.positions.size() > 2);
        const int64_t reached = probe.positions.last();
        probe.events.clear();
        QVERIFY(player.Open(media("clip_mpeg4.avi"), &sink, false));
        // The first file's last reports may still arrive before its stop; nothing of the new
        // one does.
        const qsizetype stop = probe.events.indexOf(QString("state:%1").arg(int(psStop)));
        QVERIFY(stop >= 0);
        for (qsizetype i = 0; i < stop; ++i) {
            QVERIFY2(probe.events.at(i).startsWith("position:"), qPrintable(probe.events.at(i)));
            QVERIFY2(probe.events.at(i).mid(9).toLongLong() >= reached,
                     qPrintable(probe.events.at(i)));
        }
        QCOMPARE(probe.events.count(QString("state:%1").arg(int(psPlay))), 1);
        QVERIFY(probe.events.indexOf(QString("state:%1").arg(int(psPlay))) > 0);
    }

    void stopDeliversItsStopInsideTheCallAndNothingAfter()
    {
        RecordingSink sink;
        TFFPlayer player;
        PlayerProbe probe(player);
        QVERIFY(player.Open(media("video_only.mp4"), &sink, false));
        QTRY_VERIFY(probe.positions.size() > 2);
        player.Stop(true);
        QCOMPARE(probe.states.last(), psStop);
        const int events = probe.events.size();
        QTest::qWait(200);
        QCOMPARE(probe.events.size(), events);
        QVERIFY(player.Paused());
        QCOMPARE(player.CurrentPTS(), -1);
        QVERIFY(player.CurrentFrame().isNull());
        QVERIFY(player.FileName().isEmpty());
    }

    void aHandlerMayStopOrReopenThePlayer()
    {
        RecordingSink sink;
        TFFPlayer player;
        PlayerProbe probe(player);
        int ends = 0;
        player.OnState = [&](TFFPlayer* sender, TPlayState state) {
            probe.states.append(state);
            if (state == psEnd && ++ends == 1)
                QVERIFY(sender->Open(media("clip_mpeg4.avi"), &sink, false)); // the next clip
        };
        QVERIFY(player.Open(media("clip_mpeg4.avi"), &sink, false));
        QTRY_VERIFY_WITH_TIMEOUT(ends == 2, EndTimeout);
        const QList<TPlayState> expected = {psPlay, psEnd, psStop, psPlay, psEnd};
        QCOMPARE(probe.states, expected);
    }

    void filterTextsAndLiveCommands()
    {
        RecordingSink sink;
        TFFPlayer player;
        PlayerProbe probe(player);
        QVERIFY(player.Open(media("clip_h264.mp4"), &sink, true));
        QTRY_COMPARE(probe.states.size(), 2);
        QVERIFY(!player.SendVideoFilterCommand("hue", "h", "90"));
        player.Stop(true);

        player.setVideoFilters("hue=s=1,crop=160:120:0:0");
        QVERIFY(player.Open(media("clip_h264.mp4"), &sink, true));
        QTRY_COMPARE(player.CurrentFrame().size(), QSize(160, 120));
        QVERIFY(player.SendVideoFilterCommand("hue", "s", "0"));
        QVERIFY(probe.logged("Sending filter command target:hue cmd:s arg:0 flags:0"));
        QVERIFY(!player.SendVideoFilterCommand("eq", "contrast", "2"));
        QVERIFY(probe.logged("avfilter_graph_send_command() failed"));
        // Pictures filtered after the command are grey; those already decoded (the picture
        // queue holds three) are not.
        const auto grey = [&] {
            const QImage frame = player.CurrentFrame();
            const QColor colour = frame.pixelColor(80, 60);
            return frame.width() == 160 && colour.red() == colour.green() &&
                   colour.green() == colour.blue();
        };
        for (int step = 0; step < 6 && !grey(); ++step) {
            const int shown = sink.count();
            player.StepToNextFrame();
            QTRY_VERIFY(sink.count() > shown);
        }
        QVERIFY(grey());

        // A filter text FFmpeg refuses fails the opening.
        player.setVideoFilters("hue=s=1hflip");
        bool failed = false;
        player.OnOpenFailed = [&](TFFPlayer*) { failed = true; };
        QVERIFY(!player.Open(media("clip_h264.mp4"), &sink, true));
        QVERIFY(failed);
        QCOMPARE(player.LastError(),
                 QStringLiteral("Failed to open file '%1' or configure filtergraph")
                     .arg(media("clip_h264.mp4")));
    }

    // New filters on a playing clip take over from its next picture, without a re-opening;
    // a command sent meanwhile reaches them.
    void newFiltersOnAPlayingClip()
    {
        RecordingSink sink;
        TFFPlayer player;
        PlayerProbe probe(player);
        player.setVideoFilters("hue=s=1");
        QVERIFY(player.Open(media("clip_6s.mp4"), &sink, false));
        QTRY_VERIFY(player.CurrentPTS() > 500000);
        QVERIFY(player.ChangeVideoFilters("hue=s=1,crop=80:60:0:0"));
        QVERIFY(player.SendVideoFilterCommand("hue", "s", "0"));
        const auto greyQuarter = [&] {
            const QImage frame = player.CurrentFrame();
            const QColor colour = frame.pixelColor(40, 30);
            return frame.size() == QSize(80, 60) && colour.red() == colour.green() &&
                   colour.green() == colour.blue();
        };
        QTRY_VERIFY(greyQuarter());
        QVERIFY(!probe.logged("avfilter_graph_send_command() failed"));
        QCOMPARE(player.VideoFilters(), QString("hue=s=1,crop=80:60:0:0"));
        QVERIFY(!probe.states.contains(psStop));

        // A text FFmpeg refuses after all: the filters in use stay and the clip plays on.
        QVERIFY(player.ChangeVideoFilters("nosuchfilter"));
        QTRY_VERIFY(probe.logged("nosuchfilter"));
        const int shown = sink.count();
        QTRY_VERIFY(sink.count() > shown + 5);
        QVERIFY(greyQuarter());

        // Paused, nothing changes: the caller opens the clip again instead.
        player.TogglePause();
        const QString filters = player.VideoFilters();
        QVERIFY(!player.ChangeVideoFilters("hue=s=1"));
        QCOMPARE(player.VideoFilters(), filters);
        player.Stop(true);

        // A still has no picture left to decode.
        player.setVideoFilters(QString());
        QVERIFY(player.Open(media("red.png"), &sink, false));
        QTRY_VERIFY(!player.CurrentFrame().isNull());
        QVERIFY(!player.ChangeVideoFilters("hue=s=0"));
    }

    void theVideoHookDrawsOnThePicture()
    {
        RecordingSink sink;
        TFFPlayer player;
        PlayerProbe probe(player);
        player.setVideoHook(true);
        player.OnVideoHook = [](TFFPlayer*, QImage& picture, int64_t, bool& update) {
            QPainter(&picture).fillRect(picture.rect(), Qt::red);
            update = true;
        };
        QVERIFY(player.Open(media("clip_h264.mp4"), &sink, true));
        QTRY_VERIFY(sink.count() > 0);
        QCOMPARE(sink.picture().pixelColor(10, 10), QColor(Qt::red));
        player.Stop(true);

        player.OnVideoHook = [](TFFPlayer*, QImage&, int64_t, bool&) {
            throw std::runtime_error("no brush");
        };
        const int before = sink.count();
        QVERIFY(player.Open(media("clip_h264.mp4"), &sink, true));
        QTRY_VERIFY(sink.count() > before);
        QVERIFY(probe.logged("Error occurs OnVideoHook: no brush"));
        QVERIFY(sink.picture().pixelColor(10, 10) != QColor(Qt::red)); // the decoded picture
    }

    void aspectAndFlipShapeThePicture()
    {
        RecordingSink wide({640, 240});
        TFFPlayer player;
        PlayerProbe probe(player);
        QVERIFY(player.Open(media("clip_h264.mp4"), &wide, true));
        QTRY_VERIFY(wide.count() > 0);
        QCOMPARE(wide.target(), QRect(160, 0, 320, 240)); // its own 4:3, centred
        player.setAspectRatio(-1);
        player.StepToNextFrame();
        QTRY_COMPARE(wide.target(), QRect(0, 0, 640, 240)); // fills the surface
        // A step asked for while one is under way would merge with it.
        QTRY_VERIFY(player.Paused());
        const QImage upright = player.CurrentFrame();
        const int pictures = wide.count();
        player.setVerticalFlip(true);
        player.StepToNextFrame();
        QTRY_VERIFY(wide.count() > pictures);
        const QImage shown = wide.picture();
        // testsrc2 is darker at the top than at the bottom; flipped, the other way round.
        const auto brightness = [](const QImage& image, int y) {
            return image.pixelColor(image.width() / 2, y).lightness();
        };
        QVERIFY((brightness(upright, 2) < brightness(upright, upright.height() - 3)) !=
                (brightness(shown, 2) < brightness(shown, shown.height() - 3)));
        player.Stop(true);
        QVERIFY(!player.VerticalFlip()); // an explicit Stop clears it
    }

    void brokenFilesFailOrEndCleanly_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("random bytes") << "random.mp4";
        QTest::newRow("truncated") << "truncated.mp4";
        QTest::newRow("missing") << "no such file.mp4";
    }
    void brokenFilesFailOrEndCleanly()
    {
        QFETCH(QString, file);
        RecordingSink sink;
        TFFPlayer player;
        PlayerProbe probe(player);
        bool failed = false;
        player.OnOpenFailed = [&](TFFPlayer*) { failed = true; };
        if (player.Open(media(file), &sink, false)) {
            QTRY_VERIFY_WITH_TIMEOUT(probe.states.contains(psEnd), EndTimeout);
        } else {
            QVERIFY(failed);
            QVERIFY(!player.LastError().isEmpty());
            QVERIFY(probe.states.isEmpty());
        }
        player.Stop(true);
    }

    void aFileThatBreaksOffEndsWhereItBroke_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("cut short before loading") << "cut before";
        QTest::newRow("cut short while it plays") << "cut while playing";
        QTest::newRow("deleted while it plays") << "deleted while playing";
    }
    void aFileThatBreaksOffEndsWhereItBroke()
    {
        // A 6 s clip whose first 150000 bytes hold about 2.5 s; the other channel plays on.
        QFETCH(QString, fault);
        QTemporaryDir folder;
        const QString file = folder.filePath("clip.mp4");
        QVERIFY(QFile::copy(media("clip_6s_index_first.mp4"), file));
        const auto cut = [&] { QVERIFY(QFile::resize(file, 150000)); };
        if (fault == "cut before")
            cut();
        RecordingSink sink, otherSink;
        TFFPlayer player, other;
        PlayerProbe probe(player), otherProbe(other);
        QVERIFY(other.Open(media("clip_6s.mp4"), &otherSink, false));
        QVERIFY(player.Open(file, &sink, false));
        QTRY_VERIFY(!probe.positions.isEmpty() && probe.positions.last() >= 1000000);
        if (fault == "cut while playing")
            cut();
        else if (fault == "deleted while playing")
            QVERIFY(QFile::remove(file));
        QTRY_VERIFY_WITH_TIMEOUT(probe.states.contains(psEnd), EndTimeout);

        if (fault == "deleted while playing") {
            // The opened file is read to its end: nothing broke.
            QCOMPARE(probe.readErrors, QList<int64_t>{});
        } else {
            QCOMPARE(probe.readErrors.size(), 1);
            QVERIFY2(probe.readErrors[0] > 1500000 && probe.readErrors[0] < 3500000,
                     qPrintable(QString::number(probe.readErrors[0])));
            QVERIFY(probe.events.indexOf(QRegularExpression("read error:.*")) <
                    probe.events.indexOf("state:" + QString::number(psEnd)));
            QVERIFY(probe.logged("the data ends at"));
        }
        // The last picture stays: no stop, the picture on screen is there.
        QVERIFY(!probe.states.contains(psStop));
        QVERIFY(!player.CurrentFrame().isNull());
        QVERIFY(!sink.picture().isNull());
        // The other channel plays on (it ends with the whole file), and the next opening of
        // this one plays to its end.
        if (fault != "deleted while playing") {
            QVERIFY(!otherProbe.states.contains(psEnd));
            const int64_t otherAt = otherProbe.positions.last();
            QTRY_VERIFY(otherProbe.positions.last() > otherAt + 200000);
        }
        QVERIFY(player.Open(media("clip_h264.mp4"), &sink, false));
        QTRY_VERIFY_WITH_TIMEOUT(probe.states.count(psEnd) == 2, EndTimeout);
        QCOMPARE(probe.positions.last(), probe.duration);
        QCOMPARE(probe.readErrors.size(), fault == "deleted while playing" ? 0 : 1);
    }

    void aFileThatStopsAnsweringEndsAndNeverHoldsTheConsole()
    {
        // About 2.5 s of a 6 s clip, then the file stops answering.
        QTemporaryDir folder;
        const int sessions = PlaybackSession::alive();
        RecordingSink sink, otherSink;
        TFFPlayer player, other;
        PlayerProbe probe(player), otherProbe(other);
        QVERIFY(other.Open(media("clip_6s.mp4"), &otherSink, false));
        {
            SilentFile silent(folder.filePath("share.mp4"), media("clip_6s_index_first.mp4"),
                              150000);
            QVERIFY2(player.Open(folder.filePath("share.mp4"), &sink, false),
                     qPrintable(player.LastError()));
            QTRY_VERIFY_WITH_TIMEOUT(probe.states.contains(psEnd), EndTimeout);
            QCOMPARE(probe.readErrors.size(), 1);
            QVERIFY2(probe.readErrors[0] > 1500000 && probe.readErrors[0] < 3500000,
                     qPrintable(QString::number(probe.readErrors[0])));
            QVERIFY(probe.logged("has not answered"));
            // The last picture stays, and the other channel plays on.
            QVERIFY(!probe.states.contains(psStop));
            QVERIFY(!sink.picture().isNull());
            QVERIFY(!otherProbe.states.contains(psEnd));
            const int64_t otherAt = otherProbe.positions.last();
            QTRY_VERIFY(otherProbe.positions.last() > otherAt + 200000);

            // The next opening does not wait for the read that hangs (a hang would never
            // end: the file answers only below) and plays to its end.
            QElapsedTimer clock;
            clock.start();
            QVERIFY(player.Open(media("clip_h264.mp4"), &sink, false));
            QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
            QVERIFY(probe.states.contains(psStop));
            QTRY_VERIFY_WITH_TIMEOUT(probe.states.count(psEnd) == 2, EndTimeout);
            QCOMPARE(probe.positions.last(), probe.duration);
            // Both channels, and the session left reading.
            QCOMPARE(PlaybackSession::alive(), sessions + 3);
        }
        // When the file answers at last, the session left reading ends, and says nothing.
        const auto logLines = [&] {
            QMutexLocker lock(&probe.logMutex);
            return probe.logLines;
        };
        const QStringList logged = logLines();
        const int events = probe.events.size();
        QTRY_COMPARE(PlaybackSession::alive(), sessions + 2);
        QCOMPARE(probe.events.size(), events);
        QCOMPARE(logLines(), logged);
        QCOMPARE(probe.readErrors.size(), 1);
    }

    void anOpeningThatGetsNoAnswerIsGivenUp()
    {
        QTemporaryDir folder;
        const int sessions = PlaybackSession::alive();
        RecordingSink sink;
        TFFPlayer player;
        PlayerProbe probe(player);
        bool failed = false;
        player.OnOpenFailed = [&](TFFPlayer*) { failed = true; };
        {
            SilentFile silent(folder.filePath("share.mp4"), media("clip_h264.mp4"), 0);
            QVERIFY(!player.Open(folder.filePath("share.mp4"), &sink, false));
            QVERIFY(failed);
            QVERIFY2(player.LastError().endsWith("share.mp4: the file does not answer"),
                     qPrintable(player.LastError()));
            // The player is free again.
            QVERIFY(player.Open(media("clip_h264.mp4"), &sink, false));
            QTRY_VERIFY_WITH_TIMEOUT(probe.states.contains(psEnd), EndTimeout);
        }
        QTRY_COMPARE(PlaybackSession::alive(), sessions + 1);
    }

    void anotherSpeedStretchesOrSilencesTheSound_data()
    {
        QTest::addColumn<bool>("stretch");
        QTest::newRow("time-stretched") << true;
        QTest::newRow("silent") << false;
    }
    void anotherSpeedStretchesOrSilencesTheSound()
    {
        QFETCH(bool, stretch);
        RecordingSink sink;
        TFFPlayer player;
        PlayerProbe probe(player);
        std::atomic<int64_t> bytesPlayed{0};
        std::atomic<bool> heard{false};
        player.setAudioHook(true);
        player.OnAudioHook = [&](TFFPlayer*, int64_t, uint8_t* samples, int bytes, int, int) {
            bytesPlayed += bytes;
            const auto* pcm = reinterpret_cast<const int16_t*>(samples);
            for (int i = 0; i < bytes / 2; ++i)
                if (pcm[i] != 0)
                    heard = true;
        };
        player.setEnableAudioSpeed(stretch);
        player.setSyncType(stExternal);
        player.setPlaybackSpeed(2.0);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(player.Open(media("clip_h264.mp4"), &sink, false));
        QTRY_VERIFY_WITH_TIMEOUT(probe.states.contains(psEnd), EndTimeout);
        // At normal speed the clip takes at least its two seconds.
        QVERIFY2(clock.elapsed() < 1900, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(probe.positions.last(), probe.duration);
        // Two seconds of 48 kHz stereo at double speed: about one second's worth of bytes.
        const double seconds = double(bytesPlayed) / (48000 * 4);
        QVERIFY2(seconds > 0.8 && seconds < 1.2, qPrintable(QString::number(seconds)));
        QCOMPARE(heard.load(), stretch);
    }

    void aPreparedOpeningTakesOverWithItsFirstPicture_data()
    {
        QTest::addColumn<bool>("paused");
        QTest::newRow("opened playing") << false;
        QTest::newRow("opened paused") << true;
    }
    void aPreparedOpeningTakesOverWithItsFirstPicture()
    {
        QFETCH(bool, paused);
        QTemporaryDir folder;
        const QString next = folder.filePath("next.mp4");
        QVERIFY(QFile::copy(media("numbered_2.mp4"), next));
        NumberedSink sink;
        TFFPlayer player;
        PlayerProbe probe(player);
        QVERIFY(player.Open(media("numbered_1.mp4"), &sink, false));
        QString error;
        QTRY_VERIFY(player.Prepare(next, &sink, {}, error) == TFFPlayer::Preparation::Ready);
        QTRY_VERIFY_WITH_TIMEOUT(probe.states.contains(psEnd), EndTimeout);
        const QList<std::optional<PictureNumber>> before = sink.seen();
        // Held: the prepared opening showed nothing. Gone now, the file can only play from
        // the opening prepared while it was there.
        QVERIFY(!before.contains(PictureNumber{2, 0}));
        QVERIFY(QFile::remove(next));
        probe.states.clear();
        QVERIFY(player.Open(next, &sink, paused));
        if (paused) {
            QTRY_VERIFY(probe.states.contains(psPause));
            QTest::qWait(200);
            QCOMPARE(sink.seen().last(), (PictureNumber{2, 0}));
            player.Resume();
        }
        QTRY_VERIFY_WITH_TIMEOUT(probe.states.contains(psEnd), EndTimeout);
        // Every picture of both clips once, in order: the first clip's last is followed by the
        // next clip's first, with nothing in between.
        QList<std::optional<PictureNumber>> expected;
        for (const int clip : {1, 2})
            for (int number = 0; number < 25; ++number)
                expected.append(PictureNumber{clip, number});
        QCOMPARE(sink.seen(), expected);
        QVERIFY(probe.logged("was opened ahead"));
    }

    void aPreparationIsDroppedOrFailsCleanly_data()
    {
        QTest::addColumn<QString>("prepared");
        QTest::addColumn<QString>("then");
        QTest::newRow("another file opened") << "numbered_2.mp4"
                                             << "open another";
        QTest::newRow("the player stopped") << "numbered_2.mp4"
                                            << "stop";
        QTest::newRow("something else prepared") << "numbered_2.mp4"
                                                 << "prepare another";
        QTest::newRow("a file that cannot be opened") << "random.mp4"
                                                      << "open it";
    }
    void aPreparationIsDroppedOrFailsCleanly()
    {
        QFETCH(QString, prepared);
        QFETCH(QString, then);
        const int sessionsBefore = PlaybackSession::alive();
        NumberedSink sink;
        TFFPlayer player;
        PlayerProbe probe(player);
        QVERIFY(player.Open(media("numbered_1.mp4"), &sink, true));
        QString error;
        const bool opens = prepared != "random.mp4";
        const auto expected =
            opens ? TFFPlayer::Preparation::Ready : TFFPlayer::Preparation::Failed;
        QTRY_VERIFY(player.Prepare(media(prepared), &sink, {}, error) == expected);
        QCOMPARE(error.isEmpty(), opens);
        QCOMPARE(PlaybackSession::alive(), sessionsBefore + 2);
        if (then == "open another") {
            QVERIFY(player.Open(media("numbered_1.mp4"), &sink, false));
            QCOMPARE(PlaybackSession::alive(), sessionsBefore + 1);
            QTRY_VERIFY_WITH_TIMEOUT(probe.states.contains(psEnd), EndTimeout);
        } else if (then == "stop") {
            player.Stop(true);
            QTRY_COMPARE(PlaybackSession::alive(), sessionsBefore); // dropped elsewhere
        } else if (then == "prepare another") {
            QTRY_VERIFY(player.Prepare(media("numbered_1.mp4"), &sink, {}, error) ==
                        TFFPlayer::Preparation::Ready);
            QTRY_COMPARE(PlaybackSession::alive(), sessionsBefore + 2);
        } else {
            QVERIFY(!player.Open(media(prepared), &sink, false));
            QVERIFY(probe.logged("could not be opened ahead"));
            QCOMPARE(PlaybackSession::alive(), sessionsBefore);
        }
        // Nothing of a dropped preparation was shown.
        for (const std::optional<PictureNumber>& picture : sink.seen())
            QVERIFY(!picture || picture->clip == 1);
    }

    void aPictureBehindTheSoundCatchesUp_data()
    {
        QTest::addColumn<int>("holdMs");
        QTest::addColumn<bool>("dropsPictures");
        // A moment longer than a picture, and a longer one: the pictures fall a little behind
        // the sound and every picture is shown as they catch up.
        QTest::newRow("60 ms") << 60 << false;
        QTest::newRow("150 ms") << 150 << false;
        // Far behind, as when the machine cannot keep up: late pictures are dropped.
        QTest::newRow("500 ms") << 500 << true;
    }
    void aPictureBehindTheSoundCatchesUp()
    {
        QFETCH(int, holdMs);
        QFETCH(bool, dropsPictures);
        // Held after picture 60 (2.4 s, after the start's time without drops).
        TFFPlayer player;
        BusySink sink(player, 60, std::chrono::milliseconds(holdMs));
        PlayerProbe probe(player);
        QVERIFY(player.Open(media("numbered_3.mp4"), &sink, false));
        QTRY_VERIFY_WITH_TIMEOUT(probe.states.contains(psEnd), EndTimeout);
        const QList<BusySink::Shown> shown = sink.shown();
        qsizetype at = 0;
        while (at < shown.size() && shown[at].number != 60)
            ++at;
        QVERIFY(at + 1 < shown.size());
        // The pictures until the picture is back in step with the sound.
        bool dropped = false;
        do {
            ++at;
            QVERIFY(shown[at].number > shown[at - 1].number);
            dropped = dropped || shown[at].number != shown[at - 1].number + 1;
        } while (shown[at].drift < -0.04 && at + 1 < shown.size());
        QVERIFY2(shown[at].drift >= -0.04, "the picture never caught up with the sound");
        QCOMPARE(dropped, dropsPictures);
    }

    void theWorkAheadRunsARankBelowThePicture()
    {
        RecordingSink sink;
        TFFPlayer player;
        PlayerProbe probe(player);
        QVERIFY(player.Open(media("clip_h264.mp4"), &sink, false));
        QTRY_VERIFY(sink.count() > 0);
        // Each thread's rank by its name (FFmpeg's workers carry their starter's name).
        QMultiMap<QString, int> ranks;
        for (const QString& task :
             QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile name("/proc/self/task/" + task + "/comm");
            if (name.open(QIODevice::ReadOnly))
                ranks.insert(QString::fromUtf8(name.readAll().trimmed()),
                             getpriority(PRIO_PROCESS, id_t(task.toInt())));
        }
        const int own = getpriority(PRIO_PROCESS, 0);
        const int ahead = std::min(own + WorkAheadNiceness, 19);
        const QList<std::pair<QString, int>> expected{
            {"playback", own}, {"read", own}, {"sound decode", own}, {"video decode", ahead}};
        for (const auto& [thread, rank] : expected) {
            QVERIFY2(ranks.contains(thread), qPrintable(thread));
            for (const int seen : ranks.values(thread))
                QCOMPARE(seen, rank);
        }
        // The picture decoder's workers, started by the opening (one core has none).
        QVERIFY(QThread::idealThreadCount() == 1 || ranks.contains("opening"));
        for (const int seen : ranks.values("opening"))
            QCOMPARE(seen, ahead);
        player.Stop(true);
    }

    void twoPlayersPlayAtOnce()
    {
        RecordingSink sinkA, sinkB;
        TFFPlayer a, b;
        PlayerProbe probeA(a), probeB(b);
        QVERIFY(a.Open(media("clip_h264.mp4"), &sinkA, false));
        QVERIFY(b.Open(media("clip_vp9.webm"), &sinkB, false));
        QTRY_VERIFY_WITH_TIMEOUT(probeA.states.contains(psEnd) && probeB.states.contains(psEnd),
                                 EndTimeout);
        QCOMPARE(probeA.positions.last(), probeA.duration);
        QCOMPARE(probeB.positions.last(), probeB.duration);
        QVERIFY(sinkA.count() >= 40 && sinkB.count() >= 20);
    }
};

QTEST_GUILESS_MAIN(TestPlayer)
#include "test_player.moc"
