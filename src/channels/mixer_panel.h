#pragma once

#include <QWidget>

class QLabel;

// The mixing area between the two player panels: "CUT" and "DISSOLVE" of each channel, what
// a dissolve mixes ("VIDEO", "AUDIO"), the faders, the stage on air, the start point and
// snapshot buttons, "RESTART" and the audio mode ("SINGLE" / "INVERT").
class MixerPanel : public QWidget {
    Q_OBJECT
public:
    explicit MixerPanel(QWidget* parent = nullptr);

    void showStageOnAir(const QString& name);
    // The label that names the stage on air ("NO ACTIVE" until one is taken).
    QLabel* stageOnAir() const { return m_stageOnAir; }

signals:
    // A mix check box was clicked: the keyboard goes back to the clip grid.
    void handBackFocus();

private:
    QLabel* m_stageOnAir;
};
