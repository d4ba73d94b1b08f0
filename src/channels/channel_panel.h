#pragma once

#include <QGroupBox>

class QLabel;
class QPushButton;
class QProgressBar;
class QScrollBar;
class QSlider;
class QSpinBox;

// The console panel of one channel (1 = Player A, 2 = Player B): what is loaded, the
// countdown and position, the picture, the colour, opacity, speed and volume controls, the
// aspect, preview, flip, filter and deinterlace switches, the layer button. Its widgets
// carry the names the console uses for that channel (volA / volB ...), so automation and
// tests find them by name.
class ChannelPanel : public QGroupBox {
    Q_OBJECT
public:
    ChannelPanel(int channel, QWidget* parent = nullptr);

    int channel() const { return m_channel; }

    // The empty state: no clip, neutral colour controls, silent meters.
    void resetInfo();
    // The volume slider's handler: read-out and the volume / mute icons.
    void volumeSliderChanged();
    int volume() const;
    // The lamp beside the layer button shows whether this channel is the selected layer.
    void setSelected(bool selected);

    QPushButton* layerButton() const { return m_layer; }
    QPushButton* originalAspectButton() const { return m_original; }
    QSlider* volumeSlider() const { return m_volume; }
    QScrollBar* transitionTime() const { return m_transition; }

signals:
    void volumeChanged(int channel, int volume);

private:
    QWidget* buildColourControls();
    QWidget* buildSwitches();

    int m_channel;
    QLabel* m_title;
    QLabel* m_codec;
    QLabel* m_resolution;
    QLabel* m_aspect;
    QLabel* m_duration;
    QPushButton* m_endStatus;
    QLabel* m_countdown;
    QLabel* m_startPoint;
    QLabel* m_preview;
    QSlider* m_brightness;
    QSlider* m_saturation;
    QSlider* m_hue;
    QSpinBox* m_brightnessValue;
    QSpinBox* m_saturationValue;
    QSpinBox* m_hueValue;
    QProgressBar* m_meterLeft;
    QProgressBar* m_meterRight;
    QLabel* m_lamp;
    QSlider* m_volume;
    QLabel* m_volumeReadout;
    QPushButton* m_volumeMax;
    QPushButton* m_mute;
    QPushButton* m_layer;
    QPushButton* m_original;
    QScrollBar* m_transition;
    QLabel* m_transitionReadout;
};
