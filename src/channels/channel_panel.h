#pragma once

#include "channels/colour_bars.h"

#include "media/player_types.h"

#include <QGroupBox>

class PositionBar;
class QAbstractButton;
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

    // The empty state: no clip, silent meters (the colour bars are ColourBars').
    void resetInfo();
    // The lamp beside the layer button shows whether this channel is the selected layer.
    void setSelected(bool selected);

    // What is loaded: title, container format, picture size, aspect, length, start point.
    void showTitle(const QString& title);
    QString title() const;
    void showFormat(const QString& format);
    void showResolution(int width, int height);
    void showAspect(const QString& aspect);
    void showDuration(qint64 microseconds);
    void showStartPoint(qint64 microseconds);
    // The end status caption: "LOOP", "LAST FRAME", "BLACK", "NEXT CLIP", or empty.
    QString endStatus() const;
    void setEndStatus(const QString& status);

    // A position report: countdown (remaining or elapsed time, coloured as the end nears)
    // and the position bar, unless the operator is dragging it.
    void showPosition(qint64 pts, qint64 duration);
    // The countdown at this place of a clip of this length, in its mode and colours.
    void showCountdown(qint64 pts, qint64 duration);
    // Countdown mode: 1 = remaining time, 2 = elapsed time.
    int countdownMode() const { return m_countdownMode; }
    // The player's state: label and lamps.
    void showState(TPlayState state);
    // The position bar after a file opened: one step per pixel, the thumb at the start point
    // and shown only when the stream has a length.
    void preparePositionBar(qint64 startPoint, qint64 duration, bool thumb);
    // Set while the program itself moves the position bar, so that no seek follows.
    bool FTrackChanging = false;

    bool previewOn() const;
    QSize previewSize() const;
    // The picture, stretched over the preview.
    void showPreview(const QImage& picture);
    void clearPreview();
    void showSaved(bool shown);

    // The target volume: the volume slider is inverted, its maximum is silence.
    int volume() const;
    // The volume read-out, and which of the volume and mute icons shows.
    void showVolume(int volume);
    void showVolumeIcons(bool audible);

    QPushButton* layerButton() const { return m_layer; }
    QPushButton* originalAspectButton() const { return m_original; }
    QSlider* volumeSlider() const { return m_volume; }
    QScrollBar* transitionTime() const { return m_transition; }
    PositionBar* positionBar() const { return m_position; }
    QSlider* alphaSlider() const { return m_alpha; }
    QSpinBox* alphaNumber() const { return m_alphaValue; }
    QSlider* speedSlider() const { return m_speed; }
    QLabel* speedReadout() const { return m_speedReadout; }
    QPushButton* speedReset() const { return m_speedReset; }
    QPushButton* alphaReset() const { return m_alphaReset; }
    QPushButton* volumeMaxIcon() const { return m_volumeMax; }
    QPushButton* muteIcon() const { return m_mute; }
    QPushButton* muteButton() const { return m_muteToggle; }
    QPushButton* resetAllButton() const { return m_resetAll; }
    // The colour bars: brightness (-100..100), saturation (0..100), hue (-100..100).
    QSlider* brightnessBar() const { return m_brightness; }
    QSlider* saturationBar() const { return m_saturation; }
    QSlider* hueBar() const { return m_hue; }
    QPushButton* filterOnButton() const { return m_filterOn; }
    QPushButton* deinterlaceButton() const { return m_deinterlace; }
    QPushButton* previewOnButton() const { return m_previewOn; }
    QPushButton* previewOffButton() const { return m_previewOff; }
    // "ON" / "VERTICAL FLIP OFF" and "ON" / "PREVIEW OFF".
    void setVerticalFlip(bool on);
    bool verticalFlipOn() const;
    QPushButton* verticalFlipOnButton() const { return m_flipOn; }
    QPushButton* verticalFlipOffButton() const { return m_flipOff; }
    QPushButton* saveClipButton() const { return m_saveClip; }
    // The level meters, 0..100 each.
    void showMeters(int left, int right);
    void setPreview(bool on);
    // Aspect buttons in the order Original, Fit, 4:3, 16:9, 1.85:1, 2.35:1.
    const QList<QPushButton*>& aspectButtons() const { return m_aspects; }
    // The colour bars (brightness, saturation, hue) as the filter panel sets them.
    // The brightness, saturation and hue column and "RESET ALL", for ColourBars.
    ColourBars::Controls colourControls() const;
    QPushButton* stepFrameButton() const { return m_stepFrame; }

signals:
    // A click on the preview picture selects this channel.
    void previewClicked(int channel);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

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
    int m_countdownMode = 1;
    PositionBar* m_position;
    QLabel* m_stateLabel;
    QLabel* m_stateLamp;
    QLabel* m_saved;
    QSlider* m_alpha;
    QSpinBox* m_alphaValue;
    QPushButton* m_alphaReset;
    QSlider* m_speed;
    QLabel* m_speedReadout;
    QPushButton* m_speedReset;
    QPushButton* m_muteToggle;
    QPushButton* m_resetAll;
    QPushButton* m_filterOn;
    QPushButton* m_deinterlace;
    QPushButton* m_flipOff;
    QPushButton* m_flipOn;
    QPushButton* m_previewOff;
    QPushButton* m_previewOn;
    QList<QPushButton*> m_aspects;
    QLabel* m_startPoint;
    QLabel* m_preview;
    QSlider* m_brightness;
    QSlider* m_saturation;
    QSlider* m_hue;
    QSpinBox* m_brightnessValue;
    QSpinBox* m_saturationValue;
    QSpinBox* m_hueValue;
    QPushButton* m_brightnessReset;
    QPushButton* m_saturationReset;
    QPushButton* m_hueReset;
    QPushButton* m_stepFrame = nullptr;
    QPushButton* m_saveClip = nullptr;
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
