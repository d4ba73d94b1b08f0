#include "stage/video_surface.h"

#include <QTest>
#include <QThread>

class TestVideoSurface : public QObject {
    Q_OBJECT
private slots:
    void paintsThePictureWhereItWasPlacedOnItsBackground()
    {
        VideoSurface surface;
        surface.resize(200, 100);
        surface.show();
        QVERIFY(QTest::qWaitForWindowExposed(&surface));
        QCOMPARE(surface.surfaceSize(), QSize(200, 100));

        QImage picture(50, 40, QImage::Format_RGB32);
        picture.fill(Qt::red);
        // Presented from another thread, as a player does.
        QThread* presenter = QThread::create(
            [&] { surface.present(picture, QRect(10, 20, 50, 40), QColor(Qt::blue)); });
        presenter->start();
        presenter->wait();
        delete presenter;
        QTRY_COMPARE(surface.paintedCount(), 1);
        const QImage shown = surface.grab().toImage();
        QCOMPARE(shown.pixelColor(30, 40), QColor(Qt::red));
        QCOMPARE(shown.pixelColor(5, 5), QColor(Qt::blue));
        QCOMPARE(shown.pixelColor(100, 80), QColor(Qt::blue));

        surface.clear(Qt::black);
        QTRY_COMPARE(surface.grab().toImage().pixelColor(30, 40), QColor(Qt::black));
    }
};

QTEST_MAIN(TestVideoSurface)
#include "test_video_surface.moc"
