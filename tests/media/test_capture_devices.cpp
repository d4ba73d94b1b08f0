#include "media/capture_devices.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
void write(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(text);
}
} // namespace

class TestCaptureDevices : public QObject {
    Q_OBJECT
private slots:
    void aMachineWithoutDevicesHasNone()
    {
        QTemporaryDir empty;
        QStringList names{"left over"};
        QVERIFY(!ListCaptureDevices(names, CaptureCategory::Video, true, empty.path()));
        QVERIFY(names.isEmpty());
        QVERIFY(!ListCaptureDevices(names, CaptureCategory::Audio, true, empty.path()));
        QVERIFY(CaptureDeviceNode("video=Nothing", empty.path()).isEmpty());
    }

    void devicesByFriendlyNameInTheSystemsOrder()
    {
        // How the kernel describes two capture cards: a webcam with its metadata node and an
        // HDMI grabber, listed by number (video10 after video2).
        QTemporaryDir root;
        const QString v4l = root.filePath("sys/class/video4linux/");
        write(v4l + "video0/name", "HD Pro Webcam C920\n");
        write(v4l + "video0/index", "0\n");
        write(v4l + "video1/name", "HD Pro Webcam C920\n");
        write(v4l + "video1/index", "1\n");
        write(v4l + "video10/name", "USB3 HDMI Capture\n");
        write(v4l + "video10/index", "0\n");
        write(v4l + "video2/name", "Camera Link\n");
        write(root.filePath("proc/asound/pcm"),
              "00-00: ALC887 Analog : ALC887 Analog : playback 1 : capture 1\n"
              "00-01: ALC887 Digital : ALC887 Digital : playback 1\n"
              "01-00: USB Audio : USB Audio : capture 1\n");

        QStringList names;
        QVERIFY(ListCaptureDevices(names, CaptureCategory::Video, true, root.path()));
        QCOMPARE(names, QStringList({"video=HD Pro Webcam C920", "video=Camera Link",
                                     "video=USB3 HDMI Capture"}));
        QVERIFY(ListCaptureDevices(names, CaptureCategory::Video, false, root.path()));
        QCOMPARE(names.first(), QString("HD Pro Webcam C920"));
        QVERIFY(ListCaptureDevices(names, CaptureCategory::Audio, true, root.path()));
        QCOMPARE(names, QStringList({"audio=ALC887 Analog", "audio=USB Audio"}));
        QCOMPARE(CaptureDeviceNode("video=USB3 HDMI Capture", root.path()),
                 root.filePath("dev/video10"));
    }

    void howTheEncoderOpensADevice()
    {
        // A grabber with its node, a webcam whose node is gone (unplugged), and a name the
        // kernel does not list.
        QTemporaryDir root;
        const QString v4l = root.filePath("sys/class/video4linux/");
        write(v4l + "video0/name", "USB3 HDMI Capture\n");
        write(v4l + "video2/name", "HD Pro Webcam C920\n");
        write(root.filePath("dev/video0"), "");
        V4L2CaptureDevices devices(root.path());
        QCOMPARE(devices.videoDevices(), QStringList({"USB3 HDMI Capture", "HD Pro Webcam C920"}));

        QString reason;
        const auto grabber = devices.videoInput("video=USB3 HDMI Capture", reason);
        QVERIFY(grabber);
        QCOMPARE(grabber->options, QStringList({"-f", "v4l2"}));
        QCOMPARE(grabber->url, root.filePath("dev/video0"));
        QVERIFY(!devices.videoInput("video=HD Pro Webcam C920", reason));
        QVERIFY2(reason.endsWith("cannot be opened."), qPrintable(reason));
        QVERIFY(!devices.videoInput("Nothing", reason));
        QCOMPARE(reason, QString("Could not find video device with name [Nothing] among source "
                                 "devices of type video."));
    }
};

QTEST_GUILESS_MAIN(TestCaptureDevices)
#include "test_capture_devices.moc"
