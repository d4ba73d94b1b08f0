// The MIDI input's buffer between the real-time callback and the user-interface thread.
#include "control/midi_event_buffer.h"

#include <QTest>
#include <thread>

namespace {
uint32_t noteOn(int channel, int note, int velocity)
{
    return uint32_t(0x90 | channel) | uint32_t(note) << 8 | uint32_t(velocity) << 16;
}
} // namespace

class TestMidiBuffer : public QObject {
    Q_OBJECT
private slots:
    void aShortMessageComesBackAsItsBytes()
    {
        MidiEventBuffer buffer;
        QVERIFY(buffer.putShort(noteOn(3, 60, 100), 42));
        const auto event = buffer.take();
        QVERIFY(event);
        QCOMPARE(event->status, uint8_t(0x93));
        QCOMPARE(event->data1, uint8_t(60));
        QCOMPARE(event->data2, uint8_t(100));
        QCOMPARE(event->time, 42u);
        QVERIFY(event->sysex.isEmpty());
        QVERIFY(!buffer.take());
    }

    void clockAndActiveSensingNeverArrive()
    {
        MidiEventBuffer buffer;
        for (int i = 0; i < 1000; ++i) {
            QVERIFY(!buffer.putShort(0xF8, 0));
            QVERIFY(!buffer.putShort(0xFE, 0));
        }
        QCOMPARE(buffer.count(), 0);
        QVERIFY(buffer.putShort(0xF1 | 0x20 << 8, 0)); // time code is not filtered here
        MidiEventBuffer sysexOnly(16, 1, 16, {true, true, true});
        QVERIFY(!sysexOnly.putShort(noteOn(0, 60, 1), 0));
    }

    void aBurstKeepsTheFirstAndCountsTheRest()
    {
        MidiEventBuffer buffer;
        for (int i = 0; i < 1200; ++i)
            buffer.putShort(noteOn(0, i % 128, 1 + i / 128), uint32_t(i));
        QCOMPARE(buffer.count(), MidiEventBuffer::DefaultCapacity);
        QCOMPARE(buffer.overflows(), uint64_t(1200 - MidiEventBuffer::DefaultCapacity));
        for (uint32_t i = 0; i < uint32_t(MidiEventBuffer::DefaultCapacity); ++i)
            QCOMPARE(buffer.take()->time, i); // in order, nothing overwritten
        QVERIFY(!buffer.take());
        QVERIFY(buffer.putShort(noteOn(0, 1, 1), 5000)); // room again
        QCOMPARE(buffer.take()->time, 5000u);
    }

    void systemExclusiveBlocks()
    {
        MidiEventBuffer buffer;
        std::vector<uint8_t> block(MidiEventBuffer::DefaultSysexSize);
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = uint8_t(i * 7);
        QVERIFY(buffer.putSysex(block.data(), block.size(), 9));
        const auto whole = buffer.take();
        QCOMPARE(whole->status, uint8_t(0xF0));
        QCOMPARE(whole->sysex.size(), qsizetype(block.size()));
        QCOMPARE(uint8_t(whole->sysex.at(1000)), uint8_t(7000));

        // Longer than a slot: dropped and counted, never written past the slot.
        block.push_back(0xF7);
        QVERIFY(!buffer.putSysex(block.data(), block.size(), 10));
        QCOMPARE(buffer.sysexDropped(), uint64_t(1));

        // Every slot waiting to be read: the next block is dropped, until one is read.
        MidiEventBuffer small(64, 2, 8);
        const uint8_t bytes[] = {0xF0, 1, 2, 0xF7};
        QVERIFY(small.putSysex(bytes, 4, 1));
        QVERIFY(small.putSysex(bytes, 4, 2));
        QVERIFY(!small.putSysex(bytes, 4, 3));
        QCOMPARE(small.sysexDropped(), uint64_t(1));
        QCOMPARE(small.take()->sysex, QByteArray("\xF0\x01\x02\xF7", 4));
        QVERIFY(small.putSysex(bytes, 4, 4));
    }

    void theReaderIsWokenOncePerNotice()
    {
        MidiEventBuffer buffer;
        QVERIFY(buffer.claimNotice());
        QVERIFY(!buffer.claimNotice()); // still pending: no second wake-up
        buffer.noticeTaken();           // cleared before draining ...
        QVERIFY(buffer.claimNotice());  // ... so a put meanwhile wakes the reader again
    }

    void aWriterThreadAndAReaderLoseNothingWhileThereIsRoom()
    {
        MidiEventBuffer buffer(256);
        constexpr uint32_t total = 200000;
        std::thread writer([&] {
            for (uint32_t i = 0; i < total;) {
                if (buffer.count() < buffer.capacity() && buffer.putShort(noteOn(0, 1, 1), i))
                    ++i;
                else
                    std::this_thread::yield();
            }
        });
        uint32_t expected = 0;
        while (expected < total) {
            if (const auto event = buffer.take()) {
                QCOMPARE(event->time, expected);
                ++expected;
            }
        }
        writer.join();
        QCOMPARE(buffer.overflows(), uint64_t(0));
    }
};

QTEST_GUILESS_MAIN(TestMidiBuffer)
#include "test_midi_buffer.moc"
