#pragma once

#include <QProgressBar>
#include <QWidget>

class QAbstractButton;
class QLabel;

// A fader's gauge. A dissolve moves it 60 times a second: the new value is painted with the
// console's next paint, never at once. (QProgressBar paints and hands its window to the
// window system at every visible change; under a compositor that waits on the X server and
// held each dissolve step several milliseconds.)
class MixerGauge : public QProgressBar {
    Q_OBJECT
public:
    using QProgressBar::QProgressBar;
    void setValue(int value); // hides QProgressBar::setValue
};

// The mixing area between the two player panels: "CUT" and "DISSOLVE" of each channel, what
// a dissolve mixes ("VIDEO", "AUDIO"), the faders, the stage on air, the start point and
// snapshot buttons, "RESTART" and the audio mode ("SINGLE" / "INVERT").
class MixerPanel : public QWidget {
    Q_OBJECT
public:
    // One channel's column.
    struct ChannelMix {
        QAbstractButton* cut;
        QAbstractButton* dissolve;
        QAbstractButton* mixVideo;
        QAbstractButton* mixAudio;
        MixerGauge* videoGauge;
        MixerGauge* audioGauge;
    };

    explicit MixerPanel(QWidget* parent = nullptr);

    const ChannelMix& channel(int channel) const { return m_channels[channel == 2 ? 1 : 0]; }
    QAbstractButton* invert() const { return m_invert; }
    QAbstractButton* setStartPoint() const { return m_setStartPoint; }
    QAbstractButton* resetStartPoint() const { return m_resetStartPoint; }
    QAbstractButton* restart() const { return m_restart; }
    QAbstractButton* snapshot() const { return m_snapshot; } // "SET SNAPSHOT"

    void showStageOnAir(const QString& name);
    // The label that names the stage on air ("NO ACTIVE" until one is taken).
    QLabel* stageOnAir() const { return m_stageOnAir; }

signals:
    // A mix check box was clicked: the keyboard goes back to the clip grid.
    void handBackFocus();

private:
    ChannelMix m_channels[2];
    QAbstractButton* m_invert;
    QAbstractButton* m_setStartPoint;
    QAbstractButton* m_resetStartPoint;
    QAbstractButton* m_restart;
    QAbstractButton* m_snapshot;
    QLabel* m_stageOnAir;
};
