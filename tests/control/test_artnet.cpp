// Art-Net reception: the packet rules, and the receiver over real UDP on 127.0.0.x.
#include "control/artnet_packet.h"
#include "control/artnet_receiver.h"
#include "control/artnet_sender.h"
#include "control/dmx_mapping.h"

#include <QSignalSpy>
#include <QTest>

namespace {
QByteArray withLength(QByteArray datagram, int length)
{
    datagram[16] = char(length >> 8);
    datagram[17] = char(length & 0xFF);
    return datagram;
}

QString text(const DmxValue& v)
{
    return QStringLiteral("%1/%2/%3=%4").arg(v.subnet).arg(v.universe).arg(v.channel).arg(v.value);
}
} // namespace

class TestArtNet : public QObject {
    Q_OBJECT

    // Waits for the receiver's notice (or `ms`), then takes what waits, as text.
    QStringList received(ArtNetReceiver& receiver, int ms = 300)
    {
        QTest::qWait(ms);
        QStringList values;
        for (const DmxValue& value : receiver.take(100000))
            values.append(text(value));
        return values;
    }

private slots:
    void theRulesOfAPacket_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<ArtNetVerdict>("verdict");
        const QByteArray three = makeArtDmx(0, 2, 3, QByteArray("\x01\x02\x03", 3));
        QByteArray wrongId = three;
        wrongId[0] = 'a';
        QByteArray poll = three;
        poll[9] = 0x20; // OpCode 0x2000
        QByteArray nzs = three;
        nzs[9] = 0x51; // OpCode 0x5100
        QByteArray version13 = three;
        version13[11] = 13;
        QTest::newRow("three channels") << three << ArtNetVerdict::Dmx;
        QTest::newRow("17 bytes") << three.left(17) << ArtNetVerdict::TooShort;
        QTest::newRow("wrong ID") << wrongId << ArtNetVerdict::NotArtNet;
        QTest::newRow("ArtPoll") << poll << ArtNetVerdict::OtherOpCode;
        QTest::newRow("ArtNzs") << nzs << ArtNetVerdict::OtherOpCode;
        QTest::newRow("version 13") << version13 << ArtNetVerdict::OldProtocol;
        QTest::newRow("length 0") << withLength(three, 0) << ArtNetVerdict::BadLength;
        QTest::newRow("length 513")
            << withLength(makeArtDmx(0, 0, 0, QByteArray(513, 1)), 513) << ArtNetVerdict::BadLength;
        QTest::newRow("512 announced, 20 present")
            << withLength(makeArtDmx(0, 0, 0, QByteArray(20, 1)), 512) << ArtNetVerdict::BadLength;
        QTest::newRow("odd length") << makeArtDmx(0, 0, 0, QByteArray(5, 1)) << ArtNetVerdict::Dmx;
    }

    void theRulesOfAPacket()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(ArtNetVerdict, verdict);
        ArtDmx packet;
        QCOMPARE(parseArtNet(datagram, packet), verdict);
        if (verdict == ArtNetVerdict::Dmx && packet.length == 3) {
            QCOMPARE(packet.subnet, 2); // SubUni 0x23
            QCOMPARE(packet.universe, 3);
            QCOMPARE(packet.values[2], uint8_t(3));
        }
    }

    void onlyChangesAreReported()
    {
        ArtNetReceiver receiver;
        QCOMPARE(receiver.start(testArtNetSettings()), std::nullopt);
        ArtNetSender desk;
        QSignalSpy waiting(&receiver, &ArtNetReceiver::valuesWaiting);
        for (int i = 0; i < 100; ++i)
            QVERIFY(desk.frame(2, 3, QByteArray("\xFF\x00\x07", 3)));
        QCOMPARE(received(receiver), QStringList({"2/3/1=255", "2/3/2=0", "2/3/3=7"}));
        QVERIFY(!waiting.isEmpty());
        QVERIFY(desk.frame(2, 3, QByteArray("\xFE\x00\x07", 3)));
        QVERIFY(desk.frame(2, 3, QByteArray("\xFF\x00\x07", 3)));
        QCOMPARE(received(receiver), QStringList({"2/3/1=254", "2/3/1=255"}));
        // A shorter frame keeps the channels it does not carry.
        QVERIFY(desk.frame(2, 3, QByteArray("\xFF", 1)));
        QVERIFY(desk.frame(2, 3, QByteArray("\xFF\x00\x07", 3)));
        QCOMPARE(received(receiver), QStringList());
        QCOMPARE(receiver.counters().accepted, uint64_t(104));
        QCOMPARE(receiver.counters().senders, QStringList{"127.0.0.3"});

        // Another Net and junk change nothing and move their counters.
        QVERIFY(desk.send(makeArtDmx(1, 2, 3, QByteArray("\x01", 1))));
        QVERIFY(desk.send(QByteArray(17, 'x')));
        QVERIFY(desk.send(makeArtDmx(0, 2, 3, QByteArray("\x01", 1)).left(17)));
        QCOMPARE(received(receiver), QStringList());
        const ArtNetCounters counters = receiver.counters();
        QCOMPARE(counters.otherNet, uint64_t(1));
        QCOMPARE(counters.notArtNet, uint64_t(1));
        QCOMPARE(counters.tooShort, uint64_t(1));
    }

    void aUniverseStaysWithItsFirstSender()
    {
        ArtNetReceiver receiver;
        QCOMPARE(receiver.start(testArtNetSettings()), std::nullopt);
        ArtNetSender first("127.0.0.3");
        ArtNetSender second("127.0.0.4");
        QVERIFY(first.frame(0, 0, QByteArray("\x10", 1)));
        QCOMPARE(received(receiver), QStringList{"0/0/1=16"});
        QVERIFY(second.frame(0, 0, QByteArray("\x20", 1)));
        QVERIFY(second.frame(0, 1, QByteArray("\x30", 1))); // another universe is free
        QCOMPARE(received(receiver), QStringList{"0/1/1=48"});
        QCOMPARE(receiver.counters().otherSender, uint64_t(1));

        // Silence frees the universe; the new sender's first frame reports all it carries.
        ArtNetSettings quickRelease = testArtNetSettings();
        quickRelease.lockRelease = std::chrono::milliseconds(1000);
        QCOMPARE(receiver.start(quickRelease), std::nullopt);
        QVERIFY(first.frame(0, 0, QByteArray("\x10\x11", 2)));
        QCOMPARE(received(receiver), QStringList({"0/0/1=16", "0/0/2=17"}));
        QVERIFY(second.frame(0, 0, QByteArray("\x10\x12", 2)));
        QCOMPARE(received(receiver), QStringList());
        QTest::qWait(500); // 1.1 s after the first sender's frame
        QVERIFY(second.frame(0, 0, QByteArray("\x10\x12", 2)));
        QCOMPARE(received(receiver), QStringList({"0/0/1=16", "0/0/2=18"}));
        QVERIFY(first.frame(0, 0, QByteArray("\x10\x11", 2))); // now locked out
        QCOMPARE(received(receiver), QStringList());

        // Taking every sender: the latest packet's values count.
        ArtNetSettings latest = testArtNetSettings();
        latest.sources = ArtNetSettings::Sources::Latest;
        QCOMPARE(receiver.start(latest), std::nullopt);
        QVERIFY(first.frame(0, 0, QByteArray("\x10", 1)));
        QTest::qWait(100);
        QVERIFY(second.frame(0, 0, QByteArray("\x20", 1)));
        QCOMPARE(received(receiver), QStringList({"0/0/1=16", "0/0/1=32"}));
    }

    void aFloodKeepsEachChannelsLatestValue()
    {
        ArtNetReceiver receiver;
        QCOMPARE(receiver.start(testArtNetSettings()), std::nullopt);
        ArtNetSender desk;
        // 24 frames of 512 changing channels while nobody takes: 12,288 values.
        for (int frame = 0; frame < 24; ++frame) {
            QVERIFY(desk.frame(0, 0, QByteArray(512, char(frame))));
            QTest::qWait(5);
        }
        QTRY_COMPARE(receiver.counters().accepted, uint64_t(24));
        QCOMPARE(receiver.counters().overflows, uint64_t(24 * 512 - ArtNetReceiver::QueueCapacity));
        QList<int> last(513, -1);
        int taken = 0;
        for (const DmxValue& value : receiver.take(100000)) {
            last[value.channel] = value.value;
            ++taken;
        }
        QCOMPARE(taken, ArtNetReceiver::QueueCapacity + 512); // the queue, then one per channel
        for (int channel = 1; channel <= 512; ++channel)
            QCOMPARE(last.at(channel), 23);
    }

    void stoppingDropsWhatWaitsAndStartingAgainListens()
    {
        ArtNetReceiver receiver;
        QCOMPARE(receiver.start(testArtNetSettings()), std::nullopt);
        ArtNetSender desk;
        QVERIFY(desk.frame(0, 0, QByteArray("\x05", 1)));
        QTRY_COMPARE(receiver.counters().accepted, uint64_t(1));
        receiver.stop();
        QVERIFY(!receiver.isRunning());
        QCOMPARE(receiver.take(10).size(), 0);
        QVERIFY(desk.frame(0, 0, QByteArray("\x06", 1)));
        QCOMPARE(received(receiver, 100), QStringList());

        QCOMPARE(receiver.start(testArtNetSettings()), std::nullopt);
        QVERIFY(desk.frame(0, 0, QByteArray("\x06", 1)));
        QCOMPARE(received(receiver), QStringList{"0/0/1=6"});
    }

    void aTakenPortIsAnError()
    {
        QUdpSocket other;
        QVERIFY(other.bind(QHostAddress("127.0.0.5"), ArtNetReceiver::Port));
        ArtNetReceiver receiver;
        ArtNetSettings settings;
        settings.address = QHostAddress("127.0.0.5");
        const auto error = receiver.start(settings);
        QVERIFY(error);
        QVERIFY2(error->startsWith("Art-Net cannot listen on 127.0.0.5 port 6454"),
                 qPrintable(*error));
        QVERIFY(!receiver.isRunning());
    }

    void theSettingsFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(ArtNetSettings::FileName);
        QCOMPARE(ArtNetSettings::load(path).address, QHostAddress(QHostAddress::AnyIPv4));
        ArtNetSettings settings;
        settings.address = QHostAddress("127.0.0.9");
        settings.net = 5;
        settings.sources = ArtNetSettings::Sources::Latest;
        QVERIFY(settings.save(path));
        const ArtNetSettings read = ArtNetSettings::load(path);
        QCOMPARE(read.address, QHostAddress("127.0.0.9"));
        QCOMPARE(read.net, 5);
        QCOMPARE(read.sources, ArtNetSettings::Sources::Latest);
        // Nonsense falls back to the defaults.
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General]\naddress=nowhere\nnet=300\n");
        file.close();
        QCOMPARE(ArtNetSettings::load(path).address, QHostAddress(QHostAddress::AnyIPv4));
        QCOMPARE(ArtNetSettings::load(path).net, 0);
    }

    void theMapsFirstRowDecides()
    {
        DmxMapping mapping;
        mapping.load({{"Command", "OpacityB", 0, 0, 0, 5, -1},
                      {"Action", "Go", 3, 0, 0, 1, 255},
                      {"Action", "Later", 4, 0, 0, 1, 255},  // behind "Go"
                      {"Command", "VolumeA", 0, 0, 0, 1, 0}, // the value-0 row of channel 1
                      {"Action", "Odd", 5, 0, 0, 7, -1}});   // an Action row marked -1
        QCOMPARE(mapping.match(0, 0, 1, 255).action, std::optional<int>(3));
        QCOMPARE(mapping.match(0, 0, 1, 254).action, std::nullopt);
        QCOMPARE(mapping.match(0, 0, 1, 0).action, std::nullopt); // first row is a Command
        QCOMPARE(mapping.match(0, 0, 5, 77).command, std::optional<QString>("OpacityB"));
        QCOMPARE(mapping.match(0, 1, 5, 77).command, std::nullopt); // subnet 1
        QCOMPARE(mapping.match(0, 0, 1, 77).command, std::nullopt); // no -1 row
        QCOMPARE(mapping.match(0, 0, 7, 10).command, std::nullopt); // an Action row
    }
};

QTEST_GUILESS_MAIN(TestArtNet)
#include "test_artnet.moc"
