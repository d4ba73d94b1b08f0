#include "channels/colour_bars.h"

#include "media/ff_player.h"

#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <cmath>

namespace {
enum { Brightness, Saturation, Hue };
constexpr int NeutralPosition[3] = {0, 90, 0};
} // namespace

ColourBars::ColourBars(Controls controls, ClipSettings& settings, const bool& handlersArmed,
                       std::function<TFFPlayer*()> player, QObject* parent)
    : QObject(parent)
    , m_controls(controls)
    , m_settings(settings)
    , m_armed(handlersArmed)
    , m_player(std::move(player))
{
    QSlider* const* bars = m_controls.bars;
    QSpinBox* const* numbers = m_controls.numbers;
    connect(bars[Brightness], &QSlider::valueChanged, this, [this, numbers](int position) {
        if (!m_armed)
            return;
        m_settings.FBrightness = -position / 10.0;
        numbers[Brightness]->setValue(-position);
        send("b", m_settings.FBrightness);
    });
    connect(bars[Saturation], &QSlider::valueChanged, this, [this, numbers](int position) {
        if (!m_armed)
            return;
        m_settings.FSaturation = (100 - position) / 10.0;
        numbers[Saturation]->setValue(100 - position);
        send("s", m_settings.FSaturation);
    });
    connect(bars[Hue], &QSlider::valueChanged, this, [this, numbers](int position) {
        m_settings.FHue = -position / 100.0 * M_PI;
        numbers[Hue]->setValue(-position);
        send("H", m_settings.FHue);
    });
    // A number moves its bar only while it is being typed in.
    const auto follow = [this](int which, auto positionOf) {
        QSpinBox* number = m_controls.numbers[which];
        connect(number, &QSpinBox::valueChanged, this, [this, number, which, positionOf](int v) {
            if (number->hasFocus())
                m_controls.bars[which]->setValue(positionOf(v));
        });
    };
    follow(Brightness, [](int v) { return -v; });
    follow(Saturation, [](int v) { return 100 - v; });
    follow(Hue, [](int v) { return -v; });
    for (const int which : {Brightness, Saturation, Hue})
        connect(m_controls.resets[which], &QPushButton::clicked, this,
                [this, which] { m_controls.bars[which]->setValue(NeutralPosition[which]); });
    connect(m_controls.resetAll, &QPushButton::clicked, this, [this] {
        for (const int which : {Brightness, Saturation, Hue})
            m_controls.resets[which]->click();
    });
}

int ColourBars::brightnessPosition(double brightness)
{
    return int(-std::lround(brightness * 10));
}

int ColourBars::saturationPosition(double saturation)
{
    return int(std::lround(100 - saturation * 10));
}

int ColourBars::huePosition(double hue)
{
    return int(-std::lround(hue * 100 / M_PI));
}

void ColourBars::show()
{
    const int brightness = brightnessPosition(m_settings.FBrightness);
    const int saturation = saturationPosition(m_settings.FSaturation);
    const int hue = huePosition(m_settings.FHue);
    m_controls.bars[Brightness]->setValue(brightness);
    m_controls.bars[Saturation]->setValue(saturation);
    m_controls.bars[Hue]->setValue(hue);
    // The numbers too, also when the handlers are not armed.
    m_controls.numbers[Brightness]->setValue(-brightness);
    m_controls.numbers[Saturation]->setValue(100 - saturation);
    m_controls.numbers[Hue]->setValue(-hue);
}

void ColourBars::send(const char* command, double value)
{
    // A channel that plays without filters has no "hue" filter: the command fails unheard.
    if (TFFPlayer* player = m_player())
        player->SendVideoFilterCommand("hue", command, QString::number(value, 'g', 15), 0);
}
