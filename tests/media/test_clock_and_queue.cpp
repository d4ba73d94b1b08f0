// The player's clock, its picture pacing and packet queues on their own: the serials that make
// stale packets and clocks unknown after a seek, pause and speed, how long a picture stays
// against the sound, and the queue's hand-over between threads.
#include "media/media_clock.h"
#include "media/packet_queue.h"
#include "media/picture_pacing.h"

#include <QTest>
#include <thread>

namespace {
// Within 15 ms: the clock runs on real time while the test runs.
bool near(double actual, double expected)
{
    return std::fabs(actual - expected) < 0.015;
}

PacketPtr packetOfSize(int size)
{
    PacketPtr packet(av_packet_alloc());
    if (av_new_packet(packet.get(), size) < 0)
        qFatal("no memory for a packet");
    return packet;
}
} // namespace

class TestClockAndQueue : public QObject {
    Q_OBJECT
private slots:
    void theClockRunsPausesAndChangesSpeed()
    {
        // Each step is checked against the time that really passed, so that a slow machine
        // does not fail it.
        MediaClock clock;
        QVERIFY(std::isnan(clock.get())); // never set
        double since = MediaClock::now();
        clock.setAt(5.0, 0, since - 0.1); // set 100 ms ago
        QVERIFY(near(clock.get(), 5.1 + (MediaClock::now() - since)));

        clock.setPaused(true);
        const double paused = clock.get();
        QTest::qSleep(50);
        QCOMPARE(clock.get(), paused); // stands still
        clock.setPaused(false);
        since = MediaClock::now();
        QTest::qSleep(50);
        QVERIFY(near(clock.get(), paused + (MediaClock::now() - since)));

        clock.set(20.0, 0);
        since = MediaClock::now();
        clock.setSpeed(2.0);
        QTest::qSleep(50);
        const double doubled = clock.get();
        const double fast = MediaClock::now() - since;
        QVERIFY2(near(doubled, 20.0 + 2 * fast), qPrintable(QString::number(doubled)));
        since = MediaClock::now();
        clock.setSpeed(1.0); // from where it stands, not from where it was set
        QTest::qSleep(50);
        QVERIFY(near(clock.get(), doubled + (MediaClock::now() - since)));
    }

    void aSeekMakesTheClockUnknownUntilSetFromNewPackets()
    {
        PacketQueue queue;
        queue.start();
        MediaClock clock(queue.serialPointer());
        clock.set(3.0, queue.serial());
        QVERIFY(near(clock.get(), 3.0));
        const int before = queue.serial();
        queue.flush(); // a seek
        QCOMPARE(queue.serial(), before + 1);
        QVERIFY(std::isnan(clock.get()));
        clock.set(7.0, before); // a late frame of the old serial does not make it known
        QVERIFY(std::isnan(clock.get()));
        clock.set(7.0, queue.serial());
        QVERIFY(near(clock.get(), 7.0));
    }

    void followingAnotherClock_data()
    {
        QTest::addColumn<double>("mine");
        QTest::addColumn<double>("theirs");
        QTest::addColumn<double>("expected");
        const double unknown = NAN;
        QTest::newRow("close enough: stays") << 10.0 << 10.05 << 10.0;
        QTest::newRow("drifted: follows") << 10.0 << 12.0 << 12.0;
        QTest::newRow("drifted behind: follows") << 10.0 << 8.0 << 8.0;
        QTest::newRow("unknown: follows") << unknown << 4.0 << 4.0;
        QTest::newRow("the other unknown: stays") << 10.0 << unknown << 10.0;
    }
    void followingAnotherClock()
    {
        QFETCH(double, mine);
        QFETCH(double, theirs);
        QFETCH(double, expected);
        MediaClock own, other;
        if (!std::isnan(mine))
            own.set(mine, 0);
        if (!std::isnan(theirs))
            other.set(theirs, 0);
        own.syncTo(other, 0.1);
        QVERIFY2(near(own.get(), expected), qPrintable(QString::number(own.get())));
    }

    void aPictureKeepsInStepWithTheSound_data()
    {
        QTest::addColumn<double>("duration");   // of the picture on screen
        QTest::addColumn<double>("difference"); // picture clock minus sound clock
        QTest::addColumn<double>("delay");
        QTest::addColumn<bool>("mayDrop"); // a picture this far behind, its time passed
        const double unknown = NAN;
        QTest::newRow("in step") << 0.02 << 0.0 << 0.02 << false;
        QTest::newRow("behind within the threshold") << 0.02 << -0.03 << 0.02 << false;
        QTest::newRow("sound clock unknown") << 0.02 << unknown << 0.02 << true;
        // A few pictures behind, as after a busy moment: shown for half their time, none
        // dropped for it.
        QTest::newRow("50p, 60 ms behind") << 0.02 << -0.06 << 0.01 << false;
        QTest::newRow("25p, 100 ms behind") << 0.04 << -0.1 << 0.02 << false;
        QTest::newRow("10p, 150 ms behind") << 0.1 << -0.15 << 0.05 << false;
        QTest::newRow("50p, at the gentle limit") << 0.02 << -0.2 << 0.01 << false;
        // Far behind: at once, late pictures may be dropped.
        QTest::newRow("25p, 300 ms behind") << 0.04 << -0.3 << 0.0 << true;
        QTest::newRow("5p, 300 ms behind") << 0.2 << -0.3 << 0.0 << true;
        // Ahead: a short picture is shown twice as long, a long one waits for the sound.
        QTest::newRow("25p, 60 ms ahead") << 0.04 << 0.06 << 0.08 << false;
        QTest::newRow("5p, 150 ms ahead") << 0.2 << 0.15 << 0.35 << false;
        // A timestamp jump larger than a picture may last is not a lag.
        QTest::newRow("jump behind") << 0.04 << -12.0 << 0.04 << true;
    }
    void aPictureKeepsInStepWithTheSound()
    {
        QFETCH(double, duration);
        QFETCH(double, difference);
        QFETCH(double, delay);
        QFETCH(bool, mayDrop);
        const double paced = PicturePacing::pictureDelay(duration, difference, 10.0);
        QVERIFY2(std::fabs(paced - delay) < 1e-9, qPrintable(QString::number(paced)));
        QCOMPARE(PicturePacing::mayDropLatePicture(-difference), mayDrop);
    }

    void packetsKeepTheSerialTheyWereQueuedWith()
    {
        PacketQueue queue;
        PacketPtr packet = packetOfSize(100);
        QVERIFY(!queue.put(packet.get())); // not started: refused
        QCOMPARE(queue.count(), 0);

        queue.start();
        const int first = queue.serial();
        QVERIFY(queue.put(packetOfSize(100).get()));
        queue.flush(); // a seek drops it
        QCOMPARE(queue.count(), 0);
        QCOMPARE(queue.bytes(), 0);
        QVERIFY(queue.put(packetOfSize(200).get()));
        QVERIFY(queue.putEnd(3));
        QVERIFY(queue.bytes() > 200);

        int serial = -1;
        PacketPtr taken(av_packet_alloc());
        QCOMPARE(queue.get(taken.get(), false, &serial), 1);
        QCOMPARE(taken->size, 200);
        QCOMPARE(serial, first + 1);
        av_packet_unref(taken.get());
        QCOMPARE(queue.get(taken.get(), false, &serial), 1);
        QCOMPARE(taken->size, 0); // the end: the decoder drains
        QCOMPARE(taken->stream_index, 3);
        QCOMPARE(queue.get(taken.get(), false, &serial), 0); // empty, not waiting
        QCOMPARE(queue.bytes(), 0);
    }

    void abortWakesAWaitingDecoder()
    {
        PacketQueue queue;
        queue.start();
        int result = 1;
        std::thread decoder([&] {
            PacketPtr taken(av_packet_alloc());
            result = queue.get(taken.get(), true, nullptr);
        });
        QTest::qSleep(50); // it waits
        queue.abort();
        decoder.join();
        QCOMPARE(result, -1);
        QVERIFY(queue.aborted());
        QVERIFY(!queue.put(packetOfSize(10).get()));
    }
};

QTEST_GUILESS_MAIN(TestClockAndQueue)
#include "test_clock_and_queue.moc"
