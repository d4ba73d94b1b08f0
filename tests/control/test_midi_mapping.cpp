// Which row of the MIDI map a message reaches.
#include "control/midi_mapping.h"

#include <QTest>

namespace {
MidiEvent message(int status, int data1, int data2)
{
    MidiEvent event;
    event.status = uint8_t(status);
    event.data1 = uint8_t(data1);
    event.data2 = uint8_t(data2);
    return event;
}

// In the list's order: "esegui" ascending, then "codice".
const QList<MidiMappingRow> rows = {
    {"Command", "VolumeA", 0, 0, 7, 0},   {"Command", "HueB", 0, 2, 10, 0},
    {"Action", "Go", 3, 0, 60, 100},      {"Action", "Go again", 4, 0, 60, 100},
    {"Action", "Other key", 5, 1, 61, 1}, {"Action", "All zero", 6, 0, 0, 0},
};
} // namespace

Q_DECLARE_METATYPE(MidiEvent)

class TestMidiMapping : public QObject {
    Q_OBJECT
private slots:
    void matches_data()
    {
        QTest::addColumn<MidiEvent>("event");
        QTest::addColumn<int>("action"); // -1: none
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("value");

        QTest::newRow("note-on, channel 1, key 60, velocity 100")
            << message(0x90, 60, 100) << 3 << "" << 0;
        QTest::newRow("any channel-1 message with those bytes")
            << message(0xB0, 60, 100) << 3 << "" << 0;
        QTest::newRow("velocity 99") << message(0x90, 60, 99) << -1 << "" << 0;
        QTest::newRow("channel 2") << message(0x91, 60, 100) << -1 << "" << 0;
        QTest::newRow("controller 7 drives VolumeA")
            << message(0xB0, 7, 127) << -1 << "VolumeA" << 254;
        QTest::newRow("channel 3, controller 10") << message(0xB2, 10, 64) << -1 << "HueB" << 128;
        QTest::newRow("a Command row first: no action for the same bytes")
            << message(0xB0, 7, 0) << -1 << "VolumeA" << 0;
        QTest::newRow("system exclusive as channel 0, bytes 0")
            << message(0xF0, 0, 0) << 6 << "" << 0;
        QTest::newRow("time code is no channel's") << message(0xF1, 0, 0) << -1 << "" << 0;
        QTest::newRow("start is no channel's") << message(0xFA, 0, 0) << -1 << "" << 0;
        QTest::newRow("a data byte alone") << message(0x40, 0, 0) << -1 << "" << 0;
    }
    void matches()
    {
        QFETCH(MidiEvent, event);
        QFETCH(int, action);
        QFETCH(QString, command);
        QFETCH(int, value);
        const MidiMatch match = matchMidi(rows, event);
        QCOMPARE(match.action.value_or(-1), action);
        QCOMPARE(match.command.value_or(QString()), command);
        QCOMPARE(match.value, value);
    }
};

QTEST_GUILESS_MAIN(TestMidiMapping)
#include "test_midi_mapping.moc"
