#pragma once

#include <QObject>
#include <QPoint>
#include <QSize>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

class QColor;
class QImage;
class TFFPlayer;

// What the picture hook draws on one channel's pictures: the filter panel's crop and corner
// outlines while their "EDIT" is pressed, and the masks around a perspective-warped picture.
// The user-interface thread publishes it; the player's thread copies it for every picture.
struct PictureMarks {
    bool cropEdit = false;
    bool perspectiveEdit = false;
    int cropLeft = 0, cropTop = 0, cropRight = 0, cropBottom = 0; // the panel's numbers
    std::array<QPoint, 4> outline{}; // the panel's corners: top left, top right, bottom left, right
    bool masks = false;              // the channel's perspective is on
    std::array<QPoint, 4> corners{}; // the channel's stored corners, in the same order
    QSize size;                      // the clip's picture size the corners belong to

    bool drawsAnything() const { return cropEdit || perspectiveEdit || masks; }
};

// Draws the marks on a picture: the outlines in a white dash-dot pen 6 pixels wide, or else
// the four masks outside the corners in the background colour. Masks are drawn only on a
// picture of the size the corners were set for (a turning or scaling filter changes it).
void drawPictureMarks(QImage& picture, const PictureMarks& marks, const QColor& background);

// The level meters of one sound buffer (16-bit signed samples interleaved over `channels`):
// even-numbered channels feed the left meter, odd-numbered the right, 0..100 each.
struct MeterLevels {
    int left = 0;
    int right = 0;
    bool operator==(const MeterLevels&) const = default;
};
MeterLevels meterLevels(const int16_t* samples, int frames, int channels);

// The picture and sound hooks of both players. The sound thread only stores the latest
// levels and, when none are waiting, asks the user-interface thread once to show them.
class ChannelHooks : public QObject {
public:
    using ShowMeters = std::function<void(int channel, MeterLevels levels)>;
    explicit ChannelHooks(ShowMeters showMeters, QObject* parent = nullptr);

    // Installs the hooks on the player of its `Tag` channel (before it opens a file).
    void attach(TFFPlayer* player);
    void publish(int channel, const PictureMarks& marks);
    PictureMarks marks(int channel) const;

private:
    struct Channel {
        mutable std::mutex mutex;
        PictureMarks marks;
        std::atomic<uint32_t> levels{0}; // left << 16 | right
        std::atomic<bool> showPending{false};
    };
    Channel& channel(int channel) { return m_channels[channel == 2 ? 1 : 0]; }
    const Channel& channel(int channel) const { return m_channels[channel == 2 ? 1 : 0]; }
    void levelsArrived(int channel, MeterLevels levels);

    ShowMeters m_showMeters;
    Channel m_channels[2];
};
