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
    // The layer drops the player's last picture or its test pattern and shows its own colour.
    void showOwnColour();
    // A test pattern drawn at the window's size; the layer shows while it does.
    void showPattern(const QImage& pattern);
    // The pattern is still what the layer shows (no player's picture or colour replaced it).
    bool showsPattern() const;
    // Restricts the visible area to a mask shape (see stage_mask.h).
    void applyMask(int shape, int sides);

    // Whether the stage and the mix want the window shown. A layer that holds no picture
    // stays hidden all the same, so that an empty channel never hides the layer beneath it;
    // it appears when something is loaded or drawn into it. The background shows as asked.
    void setOnStage(bool shown);
    bool onStage() const { return m_onStage; }
    // Something is loaded into the layer: a clip.
    void setHoldsPicture(bool holds);
    bool holdsPicture() const { return m_holdsPicture; }
    // A live input (1 or 2) is routed to the layer; the layer shows while one is.
    void setShowsLiveInput(int input, bool shows);
    bool showsLiveInput() const { return m_liveInputs != 0; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void updateVisibility();

    Role m_role;
    bool m_onStage = false;
    bool m_holdsPicture = false;
    bool m_holdsPattern = false;
    int m_liveInputs = 0; // a bit per live input routed here
    qint64 m_patternKey = 0;
    QColor m_colour = Qt::black;
    QImage m_picture;
    VideoSurface* m_surface = nullptr;
};
