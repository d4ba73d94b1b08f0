#pragma once

#include "channels/clip_settings.h"

#include <QObject>
#include <functional>

class QPushButton;
class QSlider;
class QSpinBox;
class TFFPlayer;

// The brightness, saturation and hue bars of one channel, the numbers under them, "B", "S",
// "H" and "RESET ALL". A bar's move sets the channel's value and sends it live into the
// "hue" filter that begins every filter text (no re-opening); the number shows it, and a
// number typed in moves its bar. Saturation and brightness act only while the console's
// handlers are armed (loading moves the bars without sending); hue always.
//
// Bar positions and values (the bars are inverted):
//   brightness −10..10 = −position ÷ 10, number −position;
//   saturation 0..10 = (100 − position) ÷ 10 (90 is neutral), number 100 − position;
//   hue in radians = −position ÷ 100 × π, number −position.
class ColourBars : public QObject {
    Q_OBJECT
public:
    struct Controls {
        QSlider* bars[3]; // brightness, saturation, hue
        QSpinBox* numbers[3];
        QPushButton* resets[3]; // "B", "S", "H"
        QPushButton* resetAll;
    };
    ColourBars(Controls controls, ClipSettings& settings, const bool& handlersArmed,
               std::function<TFFPlayer*()> player, QObject* parent = nullptr);

    // The bars at the settings' values, each rounded to the nearest step, so that a value
    // the bars set comes back to the same position.
    void show();

    static int brightnessPosition(double brightness);
    static int saturationPosition(double saturation);
    static int huePosition(double hue);

private:
    void send(const char* command, double value);

    Controls m_controls;
    ClipSettings& m_settings;
    const bool& m_armed;
    std::function<TFFPlayer*()> m_player;
};
