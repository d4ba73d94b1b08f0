#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>

// The picture as a Windows bitmap file, as the clip icons are stored.
inline QByteArray bmpFile(const QImage& picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "BMP");
    return bytes;
}
