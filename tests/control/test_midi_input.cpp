// The MIDI input on a real JACK server (dummy back-end) with a real RtMidi sender.
#include "control/jack_sender.h"
#include "control/midi_input.h"

#include <QSignalSpy>
#include <QTest>

class TestMidiInput : public QObject {
    Q_OBJECT
    std::unique_ptr<JackSender> m_jack;

    void send(const QByteArray& lines) { QVERIFY(m_jack->send(lines)); }

    QList<MidiEvent> drain(MidiInput& input)
    {
        QList<MidiEvent> events;
        while (const auto event = input.buffer()->take())
            events.append(*event);
        return events;
    }

    int senderPort(MidiInput& input)
    {
        const QStringList names = input.deviceNames();
        for (int i = 0; i < names.size(); ++i)
            if (names.at(i).contains("Quillon test sender"))
                return i;
        return -1;
    }

private slots:
    void initTestCase() { startJackSender(m_jack); }

    void cleanupTestCase() { m_jack.reset(); }

    void messagesArriveAsTheySentThem()
    {
        MidiInput input;
        const int port = senderPort(input);
        QVERIFY2(port >= 0, qPrintable(input.deviceNames().join(", ")));
        QCOMPARE(input.open(port, "someone else"),
                 std::optional<QString>("MIDI Input Device someone else not installed "));
        QVERIFY(!input.isOpen());
        QCOMPARE(input.open(port, input.deviceNames().at(port)), std::nullopt);
        QSignalSpy waiting(&input, &MidiInput::midiInput);

        send("90 3C 64\nB0 07 7F\nF8\nFE\nF1 20\nF0 01 02 03 F7\n");
        QTRY_VERIFY(!waiting.isEmpty());
        QTRY_COMPARE(input.buffer()->count(), 4);
        const QList<MidiEvent> events = drain(input);
        QCOMPARE(events.at(0).status, uint8_t(0x90));
        QCOMPARE(events.at(0).data1, uint8_t(0x3C));
        QCOMPARE(events.at(0).data2, uint8_t(0x64));
        QCOMPARE(events.at(1).status, uint8_t(0xB0));
        QCOMPARE(events.at(2).status, uint8_t(0xF1)); // time code passes the input
        QCOMPARE(events.at(3).sysex, QByteArray("\xF0\x01\x02\x03\xF7", 5));
        input.close();
        QVERIFY(!input.isOpen());
    }

    void aBurstWhileTheConsoleIsBusyKeepsTheFirst1024()
    {
        MidiInput input;
        const int port = senderPort(input);
        QVERIFY(port >= 0);
        QCOMPARE(input.open(port, input.deviceNames().at(port)), std::nullopt);
        send("burst 1200\n"); // the event loop does not drain meanwhile
        QTest::qWait(300);
        QCOMPARE(input.buffer()->count(), MidiEventBuffer::DefaultCapacity);
        QCOMPARE(input.buffer()->overflows(), uint64_t(1200 - MidiEventBuffer::DefaultCapacity));
        const QList<MidiEvent> events = drain(input);
        for (int i = 0; i < events.size(); ++i)
            QCOMPARE(int(events.at(i).data1) + 128 * (events.at(i).data2 - 1), i);
        send("80 3C 00\n");
        QTRY_COMPARE(input.buffer()->count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestMidiInput)
#include "test_midi_input.moc"
