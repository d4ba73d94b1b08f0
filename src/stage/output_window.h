#pragma once

#include <QImage>
#include <QWidget>

class VideoSurface;

// A borderless output window of the stage: the background (`playout0`) or the video surface
// of layer A (`playout`) or B (`playoutB`). Placed by desktop position and size only; the
// pointer is invisible over it. A layer window hosts the player's video surface.
class OutputWindow : public QWidget {
    Q_OBJECT
public:
    enum class Role { Background, LayerA, LayerB };
    explicit OutputWindow(Role role);

    Role role() const { return m_role; }
    // The layer's video surface; null for the background.
    VideoSurface* surface() const { return m_surface; }

    // A colour 0x00BBGGRR where no picture is drawn.
    void setColour(unsigned colour);
    QColor colour() const { return m_colour; }
    // The background's picture, stretched to the window; an empty image for none.
    void setPicture(const QImage& picture);
    // The layer drops the player's last picture and shows its own colour.
    void showOwnColour();
    // Restricts the visible area to a mask shape (see stage_mask.h).
    void applyMask(int shape, int sides);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Role m_role;
    QColor m_colour = Qt::black;
    QImage m_picture;
    VideoSurface* m_surface = nullptr;
};
