#include "media/ff_decoder.h"
#include "media/test_media.h"

#include <QTest>

class TestDecoder : public QObject {
    Q_OBJECT
private slots:
    void probesEveryContainer_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int64_t>("duration"); // microseconds, within 5 %
        QTest::addColumn<QString>("format");
        QTest::addColumn<QSize>("picture");
        QTest::newRow("mp4") << "clip_h264.mp4" << int64_t(2000000) << "mov,mp4,m4a,3gp,3g2,mj2"
                             << QSize(320, 240);
        QTest::newRow("webm") << "clip_vp9.webm" << int64_t(1000000) << "matroska,webm"
                              << QSize(320, 240);
        QTest::newRow("avi") << "clip_mpeg4.avi" << int64_t(1000000) << "avi" << QSize(320, 240);
        QTest::newRow("mov") << "clip_prores.mov" << int64_t(1000000) << "mov,mp4,m4a,3gp,3g2,mj2"
                             << QSize(320, 240);
        QTest::newRow("ts") << "clip_mpeg2.ts" << int64_t(1000000) << "mpegts" << QSize(320, 240);
        QTest::newRow("png") << "still.png" << int64_t(0) << "png_pipe" << QSize(320, 240);
        QTest::newRow("non-ASCII name")
            << QString::fromUtf8("Überraschung – è.mp4") << int64_t(2000000)
            << "mov,mp4,m4a,3gp,3g2,mj2" << QSize(320, 240);
    }
    void probesEveryContainer()
    {
        QFETCH(QString, file);
        QFETCH(int64_t, duration);
        QFETCH(QString, format);
        QFETCH(QSize, picture);
        TFFDecoder decoder;
        QVERIFY2(decoder.LoadFile(media(file)), qPrintable(decoder.LastErrMsg()));
        QCOMPARE(decoder.FileName(), media(file));
        QCOMPARE(decoder.FormatName(), format);
        const int64_t length = decoder.FileStreamInfo().Duration;
        QVERIFY2(std::llabs(length - duration) <= duration / 20,
                 qPrintable(QString::number(length)));
        QVERIFY(decoder.Seek(length / 2, sfBackward));
        QVERIFY(decoder.Decode(-1));
        QCOMPARE(QSize(decoder.FrameInfo().Width, decoder.FrameInfo().Height), picture);
        QImage bitmap;
        QVERIFY(decoder.CopyToBitmap(bitmap));
        QCOMPARE(bitmap.size(), picture);
        QVERIFY(bitmap.pixelColor(picture.width() / 2, picture.height() / 2) != QColor(Qt::black));
        decoder.CloseFile();
        QVERIFY(decoder.FileName().isEmpty());
    }

    void copyBeforeDecodeLeavesTheBitmapAlone()
    {
        TFFDecoder decoder;
        QVERIFY(decoder.LoadFile(media("clip_h264.mp4")));
        QImage bitmap(7, 5, QImage::Format_RGB32);
        bitmap.fill(Qt::green);
        QVERIFY(!decoder.CopyToBitmap(bitmap));
        QCOMPARE(decoder.LastErrMsg(), QString("picture not ready, please decode first"));
        QCOMPARE(bitmap.size(), QSize(7, 5));
        QCOMPARE(bitmap.pixelColor(0, 0), QColor(Qt::green));
    }

    void aStillKeepsItsPictureAndAVideoEnds()
    {
        TFFDecoder still;
        QVERIFY(still.LoadFile(media("still.jpg")));
        for (int i = 0; i < 3; ++i)
            QVERIFY(still.Decode(-1));

        TFFDecoder video;
        QStringList log;
        video.OnLog = [&](const QString& line) { log.append(line); };
        QVERIFY(video.LoadFile(media("clip_mpeg4.avi")));
        int pictures = 0;
        while (video.Decode(-1))
            ++pictures;
        QCOMPARE(pictures, 25); // one second at 25 frames a second
        QCOMPARE(log.last(), QString("TFFDecoder.Decode() for video: stream eof reached."));
    }

    void filesWithoutPicturesOrThatAreNoMedia()
    {
        TFFDecoder decoder;
        QVERIFY(decoder.LoadFile(media("tone.wav")));
        QVERIFY(decoder.FileStreamInfo().Duration > 0);
        QVERIFY(!decoder.Decode(-1));
        QCOMPARE(decoder.FrameInfo().Width, 0);
        QVERIFY(!decoder.LoadFile(media("random.mp4")));
        QVERIFY(!decoder.LoadFile(media("no such file.mp4")));
        QVERIFY(!decoder.LastErrMsg().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDecoder)
#include "test_decoder.moc"
