#include "channels/channel_hooks.h"

#include "media/ff_player.h"
#include "shared/bgr_colour.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <cmath>
#include <cstdlib>

void drawPictureMarks(QImage& picture, const PictureMarks& marks, const QColor& background)
{
    if (!marks.drawsAnything())
        return;
    QPainter painter(&picture);
    if (marks.cropEdit || marks.perspectiveEdit) {
        // Outlines only: the picture shows inside them while it is being fitted.
        painter.setPen(QPen(Qt::white, 6, Qt::DashDotLine));
        painter.setBrush(Qt::NoBrush);
        if (marks.cropEdit)
            painter.drawRect(QRect(QPoint(marks.cropLeft, marks.cropTop),
                                   QPoint(marks.cropRight, marks.cropBottom)));
        if (marks.perspectiveEdit) {
            const auto& c = marks.outline;
            painter.drawPolygon(QPolygon({c[0], c[1], c[3], c[2]}));
        }
        return;
    }
    if (picture.size() != marks.size)
        return;
    const int w = marks.size.width();
    const int h = marks.size.height();
    const auto& c = marks.corners;
    painter.setPen(Qt::NoPen);
    painter.setBrush(background);
    for (const QPolygon& mask : {QPolygon({{0, 0}, c[0], c[2], {0, h}}),  // left
                                 QPolygon({{0, 0}, c[0], c[1], {w, 0}}),  // top
                                 QPolygon({{w, 0}, c[1], c[3], {w, h}}),  // right
                                 QPolygon({{w, h}, c[3], c[2], {0, h}})}) // bottom
        painter.drawPolygon(mask);
}

MeterLevels meterLevels(const int16_t* samples, int frames, int channels)
{
    int peaks[2] = {0, 0};
    for (int frame = 0; frame < frames; ++frame)
        for (int ch = 0; ch < channels; ++ch) {
            const int sample = std::abs(int(samples[frame * channels + ch]));
            int& peak = peaks[ch % 2];
            peak = std::max(peak, sample);
        }
    // Rounded half to even, as the default rounding mode does.
    const auto meter = [](int peak) { return int(std::lrint(peak * 100.0 / 32768)); };
    return {meter(peaks[0]), meter(peaks[1])};
}

ChannelHooks::ChannelHooks(ShowMeters showMeters, QObject* parent)
    : QObject(parent)
    , m_showMeters(std::move(showMeters))
{
}

void ChannelHooks::attach(TFFPlayer* player)
{
    const int c = player->Tag;
    // The playback thread: a copy of the marks, then the drawing.
    player->OnVideoHook = [this, c](TFFPlayer* sender, QImage& picture, int64_t, bool& update) {
        const PictureMarks drawn = marks(c);
        update = drawn.drawsAnything();
        if (update)
            drawPictureMarks(picture, drawn, bgrColour(sender->BackColor()));
    };
    // The sound thread: never blocks.
    player->OnAudioHook = [this, c](TFFPlayer*, int64_t, uint8_t* samples, int bytes, int,
                                    int channels) {
        if (channels <= 0)
            return;
        const int frames = bytes / 2 / channels;
        levelsArrived(c, meterLevels(reinterpret_cast<const int16_t*>(samples), frames, channels));
    };
}

void ChannelHooks::levelsArrived(int c, MeterLevels levels)
{
    Channel& ch = channel(c);
    ch.levels = uint32_t(levels.left) << 16 | uint32_t(levels.right);
    if (ch.showPending.exchange(true))
        return; // the user-interface thread has not shown the last ones yet: it takes these
    QMetaObject::invokeMethod(
        this,
        [this, c] {
            Channel& shown = channel(c);
            shown.showPending = false;
            const uint32_t latest = shown.levels;
            m_showMeters(c, {int(latest >> 16), int(latest & 0xffff)});
        },
        Qt::QueuedConnection);
}

void ChannelHooks::publish(int c, const PictureMarks& marks)
{
    Channel& ch = channel(c);
    std::lock_guard lock(ch.mutex);
    ch.marks = marks;
}

PictureMarks ChannelHooks::marks(int c) const
{
    const Channel& ch = channel(c);
    std::lock_guard lock(ch.mutex);
    return ch.marks;
}
