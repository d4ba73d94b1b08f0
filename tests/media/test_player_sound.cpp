// The sound a player actually plays, written to a file by SDL's "disk" driver.
#include "media/ff_player.h"
#include "media/player_probe.h"
#include "media/test_media.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {
struct Played {
    QList<int16_t> samples; // as written to the device, interleaved
    int hookChannels = 0;
    int hookRate = 0;
    QSet<int16_t> hookValues;
    QList<int64_t> hookTimes;
};

// Plays a file to its end with the sound written to a file, and returns what was played.
Played play(const QString& file, const std::function<void(TFFPlayer&)>& setUp)
{
    QTemporaryDir dir;
    const QString output = dir.filePath("played.raw");
    qputenv("SDL_DISKAUDIOFILE", output.toLocal8Bit());
    Played played;
    {
        TFFPlayer player;
        PlayerProbe probe(player);
        player.setAudioHook(true);
        std::mutex hookMutex;
        player.OnAudioHook = [&](TFFPlayer*, int64_t pts, uint8_t* samples, int bytes, int rate,
                                 int channels) {
            std::lock_guard lock(hookMutex);
            played.hookRate = rate;
            played.hookChannels = channels;
            played.hookTimes.append(pts);
            const auto* pcm = reinterpret_cast<const int16_t*>(samples);
            for (int i = 0; i < bytes / 2; i += 97)
                played.hookValues.insert(pcm[i]);
        };
        setUp(player);
        if (!player.Open(media(file), nullptr, false))
            qFatal("%s", qPrintable(player.LastError()));
        if (!QTest::qWaitFor([&] { return probe.states.contains(psEnd); }, 10000))
            qFatal("no end");
        QTest::qWait(150); // the device plays what it holds
        player.Stop(true);
    }
    QFile raw(output);
    if (raw.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = raw.readAll();
        const auto* pcm = reinterpret_cast<const int16_t*>(bytes.constData());
        played.samples = QList<int16_t>(pcm, pcm + bytes.size() / 2);
    }
    return played;
}

QSet<int16_t> nonZero(const QList<int16_t>& samples, int* count = nullptr)
{
    QSet<int16_t> values;
    int n = 0;
    for (int16_t sample : samples)
        if (sample != 0) {
            values.insert(sample);
            ++n;
        }
    if (count)
        *count = n;
    return values;
}
} // namespace

class TestPlayerSound : public QObject {
    Q_OBJECT
private slots:
    void volumeAndMuteOnThePlayedSamples_data()
    {
        QTest::addColumn<int>("volume");
        QTest::addColumn<bool>("mute");
        QTest::addColumn<int>("expected"); // the constant half-scale sample as played
        QTest::newRow("128 is bit-exact") << 128 << false << 16384;
        QTest::newRow("64 halves") << 64 << false << 8192;
        QTest::newRow("0 is silent") << 0 << false << 0;
        QTest::newRow("mute at 128") << 128 << true << 0;
    }
    void volumeAndMuteOnThePlayedSamples()
    {
        QFETCH(int, volume);
        QFETCH(bool, mute);
        QFETCH(int, expected);
        const Played played = play("dc.wav", [&](TFFPlayer& player) {
            player.setAudioVolume(volume);
            player.setMute(mute);
        });
        QVERIFY(played.samples.size() > 48000); // about a second of stereo was played
        int count = 0;
        const QSet<int16_t> values = nonZero(played.samples, &count);
        if (expected == 0) {
            QVERIFY(values.isEmpty());
        } else {
            QCOMPARE(values, QSet<int16_t>({int16_t(expected)}));
            QVERIFY(count >= 2 * 48000 * 9 / 10); // nearly all of the second
        }
        // The hook sees the decoded samples, whatever the volume.
        QCOMPARE(played.hookValues, QSet<int16_t>({16384}));
        QCOMPARE(played.hookRate, 48000);
        QCOMPARE(played.hookChannels, 2);
        for (int i = 1; i < played.hookTimes.size(); ++i)
            QVERIFY(played.hookTimes.at(i) > played.hookTimes.at(i - 1));
    }

    // Slowed down, each buffer grows beyond what was decoded: all of it is played, with no
    // silent holes, and nothing is written outside the buffer.
    void slowerSoundIsStretchedWhole()
    {
        const Played played = play("tone.wav", [](TFFPlayer& player) {
            player.setSyncType(stExternal);
            player.setPlaybackSpeed(0.5);
        });
        int count = 0;
        nonZero(played.samples, &count);
        QVERIFY2(played.samples.size() > 2 * 48000 * 18 / 10,
                 qPrintable(QString::number(played.samples.size())));
        QVERIFY2(count > played.samples.size() * 9 / 10,
                 qPrintable(QStringLiteral("%1 of %2").arg(count).arg(played.samples.size())));
    }

    void aSixChannelDeviceForFivePointOne()
    {
        const Played played =
            play("tone_51.flac", [](TFFPlayer& player) { player.setAudioChannels(6); });
        QCOMPARE(played.hookChannels, 6);
        QVERIFY(played.samples.size() > 6 * 40000);
    }
};

QTEST_GUILESS_MAIN(TestPlayerSound)
#include "test_player_sound.moc"
