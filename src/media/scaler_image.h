#pragma once

#include <QImage>
#include <cstdlib>

// An empty 32-bit RGB picture for FFmpeg's scaler to write: its vector code writes whole
// blocks of pixels, past the end of a row whose width is not a multiple of the block, so every
// row has room to spare and one more row follows the last. Null when there is no memory.
inline QImage scalerImage(QSize size)
{
    const qsizetype stride = (qsizetype(size.width()) * 4 + 63) / 64 * 64 + 64;
    auto* data = static_cast<uchar*>(std::malloc(size_t(stride * (size.height() + 1))));
    if (!data)
        return {};
    return QImage(
        data, size.width(), size.height(), stride, QImage::Format_RGB32,
        [](void* buffer) { std::free(buffer); }, data);
}
