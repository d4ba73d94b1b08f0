#pragma once

#include <QWidget>

class QAbstractButton;
class QLabel;
class QProgressBar;

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
        QProgressBar* videoGauge;
        QProgressBar* audioGauge;
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
