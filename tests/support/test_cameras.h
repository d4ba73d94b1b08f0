#pragma once

#include "media/capture_devices.h"

#include <QImage>
#include <QList>
#include <QSize>
#include <optional>

// Capture devices for a machine without a camera: each is a source of the ffmpeg program's
// lavfi inputs, delivered in real time ("-re") as a camera delivers its pictures, so that
// everything after the device is real.
class TestCameras : public CaptureDevices {
public:
    struct Camera {
        QString name;
        QString source; // a lavfi graph
    };
    explicit TestCameras(QList<Camera> cameras)
        : m_cameras(std::move(cameras))
    {
    }

    QStringList videoDevices() override
    {
        QStringList names;
        for (const Camera& camera : m_cameras)
            names.append(camera.name);
        return names;
    }
    std::optional<CaptureInput> videoInput(const QString& name, QString& reason) override
    {
        for (const Camera& camera : m_cameras)
            if ("video=" + camera.name == name || camera.name == name)
                return CaptureInput{{"-re", "-f", "lavfi"}, camera.source};
        reason = "no test camera " + name;
        return std::nullopt;
    }

private:
    QList<Camera> m_cameras;
};

// The moving test picture (colour bars, a gradient and a running counter).
inline QString movingPicture(QSize size, int rate)
{
    return QStringLiteral("testsrc2=size=%1x%2:rate=%3")
        .arg(size.width())
        .arg(size.height())
        .arg(rate);
}

// Time stamps painted into a picture: the wall clock in milliseconds, modulo 2^24, as 24 white
// or black cells in a strip along the top, lowest bit on the left. The strip is 3/4 of the
// picture wide and 1/18 high, so it survives scaling.
namespace TimeStampStrip {
constexpr int Bits = 24;
constexpr qint64 Modulo = qint64(1) << Bits;

// The moving test picture with the time it was made, stamped when the source delivers it.
inline QString source(QSize size, int rate)
{
    const int stripWidth = size.width() * 3 / 4 / Bits * Bits;
    const int stripHeight = std::max(2, size.height() / 18);
    // The clock is taken once per picture: its time stamp is set to the wall clock, read as
    // T by the cells, and put back to the picture's number afterwards.
    return QStringLiteral("%1,settb=1/1000000,setpts=RTCTIME,split[picture][clock];"
                          "[clock]scale=%2:2,format=gray,"
                          "geq=lum='255*mod(floor(mod(T*1000\\,%3)/pow(2\\,X))\\,2)',"
                          "scale=%4:%5:flags=neighbor[strip];"
                          "[picture][strip]overlay=0:0,setpts=N/%6/TB")
        .arg(movingPicture(size, rate))
        .arg(Bits)
        .arg(Modulo)
        .arg(stripWidth)
        .arg(stripHeight)
        .arg(rate);
}

// The time stamp of a picture made by source() and scaled to any size.
inline qint64 read(const QImage& picture)
{
    const double cell = picture.width() * 3.0 / 4.0 / Bits;
    const int y = std::max(0, picture.height() / 36);
    qint64 value = 0;
    for (int bit = 0; bit < Bits; ++bit)
        if (qGray(picture.pixel(int((bit + 0.5) * cell), y)) > 128)
            value |= qint64(1) << bit;
    return value;
}

// How long ago, in milliseconds, a time stamp read from a picture was made.
inline qint64 age(qint64 stamp, qint64 nowMilliseconds)
{
    return ((nowMilliseconds % Modulo) - stamp + Modulo) % Modulo;
}
} // namespace TimeStampStrip
