#include "media/picture_presenter.h"

#include "media/player_types.h"
#include "media/scaler_image.h"
#include "media/video_sink.h"

#include <QColor>
#include <cmath>

extern "C" {
#include <libavutil/imgutils.h>
}

namespace {
// The picture in 32-bit RGB, at its own size or scaled to `size`.
QImage toRgbImage(const AVFrame* frame, QSize size = {})
{
    if (size.isEmpty())
        size = QSize(frame->width, frame->height);
    QImage picture = scalerImage(size);
    if (picture.isNull())
        return {};
    SwsContextPtr converter(
        sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), size.width(),
                       size.height(), AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr));
    uint8_t* planes[1] = {picture.bits()};
    const int strides[1] = {int(picture.bytesPerLine())};
    sws_scale(converter.get(), frame->data, frame->linesize, 0, frame->height, planes, strides);
    return picture;
}
} // namespace

PicturePresenter::PicturePresenter(VideoSink* sink, const LiveSettings& live, Hook hook,
                                   std::function<void(const QString& line)> log)
    : m_sink(sink)
    , m_live(live)
    , m_hook(std::move(hook))
    , m_log(std::move(log))
{
}

void PicturePresenter::present(const AVFrame* frame, double pts)
{
    {
        std::lock_guard lock(m_shownMutex);
        if (!m_shown)
            m_shown.reset(av_frame_alloc());
        av_frame_unref(m_shown.get());
        av_frame_ref(m_shown.get(), frame);
    }
    std::lock_guard lock(m_sinkMutex);
    if (!m_sink)
        return;
    const QColor background = m_live.background();
    const QSize surface = m_sink->surfaceSize();
    if (surface.isEmpty() || frame->width <= 0 || frame->height <= 0)
        return;

    // The display rectangle: the stream's own aspect, the surface's, or the one asked for.
    const float aspect = m_live.aspectRatio;
    double ratio = aspect;
    if (aspect == 0) {
        const AVRational sar = frame->sample_aspect_ratio;
        ratio = double(frame->width) / frame->height * (sar.num > 0 ? av_q2d(sar) : 1.0);
    } else if (aspect < 0) {
        ratio = double(surface.width()) / surface.height();
    }
    int height = surface.height();
    int width = int(std::lround(height * ratio)) & ~1;
    if (width > surface.width()) {
        width = surface.width();
        height = int(std::lround(width / ratio)) & ~1;
    }
    width = std::max(width, 2);
    height = std::max(height, 2);
    const QRect target((surface.width() - width) / 2, (surface.height() - height) / 2, width,
                       height);

    FramePtr hooked;
    const AVFrame* source = frame;
    if (m_live.videoHook && m_hook) {
        // The hook draws on the picture at its own size, in 32-bit RGB.
        QImage picture = toRgbImage(frame);
        bool update = true;
        try {
            m_hook(picture, int64_t(pts * 1e6), update);
        } catch (const std::exception& error) {
            m_log(QStringLiteral("Error occurs OnVideoHook: %1")
                      .arg(QString::fromUtf8(error.what())));
            update = false;
        } catch (...) {
            m_log(QStringLiteral("Error occurs OnVideoHook: unknown error"));
            update = false;
        }
        if (update) {
            hooked.reset(av_frame_alloc());
            hooked->format = AV_PIX_FMT_BGRA;
            hooked->width = picture.width();
            hooked->height = picture.height();
            av_frame_get_buffer(hooked.get(), 0);
            av_image_copy_plane(hooked->data[0], hooked->linesize[0], picture.constBits(),
                                int(picture.bytesPerLine()), picture.width() * 4, picture.height());
            source = hooked.get();
        }
    }

    m_scaler.reset(sws_getCachedContext(m_scaler.release(), source->width, source->height,
                                        AVPixelFormat(source->format), width, height,
                                        AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr));
    // A new image each time: the sink keeps the one it was given without copying it.
    QImage scaled = scalerImage(QSize(width, height));
    if (scaled.isNull())
        return;
    uint8_t* planes[1] = {scaled.bits()};
    const int strides[1] = {int(scaled.bytesPerLine())};
    sws_scale(m_scaler.get(), source->data, source->linesize, 0, source->height, planes, strides);
    // Flipped afterwards: the scaler's fast paths write past a row's end, which a bottom-up
    // (negative stride) output turns into writes before the image.
    if (m_live.verticalFlip)
        for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
            std::swap_ranges(scaled.scanLine(top), scaled.scanLine(top) + strides[0],
                             scaled.scanLine(bottom));
    m_sink->present(scaled, target, background);
}

void PicturePresenter::leaveSink()
{
    std::lock_guard lock(m_sinkMutex);
    m_sink = nullptr;
}

QImage PicturePresenter::currentFrame(const QSize& size)
{
    std::lock_guard lock(m_shownMutex);
    if (!m_shown || m_shown->width <= 0)
        return {};
    return toRgbImage(m_shown.get(), size);
}
