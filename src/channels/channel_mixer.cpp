#include "channels/channel_mixer.h"

#include "channels/channel_panel.h"
#include "channels/dissolve_timer.h"
#include "media/ff_player.h"
#include "shared/window_system.h"
#include "stage/output_window.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>

ChannelMixer::ChannelMixer(Channel a, Channel b, Controls controls, Hooks hooks,
                           ChannelClipSettings& clipSettings, const bool& handlersArmed,
                           QObject* parent)
    : QObject(parent)
    , m_channels{a, b}
    , m_controls(controls)
    , m_hooks(std::move(hooks))
    , m_clipSettings(clipSettings)
    , m_handlersArmed(handlersArmed)
    , m_timers{new DissolveTimer(this), new DissolveTimer(this)}
{
    wire(1);
    wire(2);
}

void ChannelMixer::wire(int channel)
{
    Channel& c = at(channel);
    connect(m_timers[index(channel)], &DissolveTimer::timeout, this,
            [this, channel] { tick(channel); });
    connect(c.mix.cut, &QAbstractButton::clicked, this, [this, channel] { cut(channel); });
    connect(c.mix.dissolve, &QAbstractButton::clicked, this,
            [this, channel] { dissolve(channel); });
    // A right click acts on both channels, so that one replaces the other.
    for (QAbstractButton* button : {c.mix.cut, c.mix.dissolve})
        button->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(c.mix.cut, &QWidget::customContextMenuRequested, this, [this] {
        cut(1);
        cut(2);
    });
    connect(c.mix.dissolve, &QWidget::customContextMenuRequested, this, [this] {
        dissolve(2);
        dissolve(1);
    });

    ChannelPanel* panel = c.panel;
    connect(panel->alphaSlider(), &QSlider::valueChanged, this,
            [this, channel] { alphaChanged(channel); });
    connect(panel->alphaNumber(), &QSpinBox::valueChanged, this, [panel](int value) {
        if (panel->alphaNumber()->hasFocus()) // only what the operator types
            panel->alphaSlider()->setValue(255 - value);
    });
    connect(panel->alphaReset(), &QPushButton::clicked, this,
            [panel] { panel->alphaSlider()->setValue(0); });
    connect(panel->volumeSlider(), &QSlider::valueChanged, this,
            [this, channel] { volumeSliderChanged(channel); });
    QSlider* volume = panel->volumeSlider();
    // Player A's icons move the slider twice, so that the change is reported even from there.
    connect(panel->volumeMaxIcon(), &QPushButton::clicked, this, [volume, channel] {
        if (channel == 1)
            volume->setValue(volume->maximum() - 1);
        volume->setValue(volume->maximum());
    });
    connect(panel->muteIcon(), &QPushButton::clicked, this, [volume, channel] {
        if (channel == 1)
            volume->setValue(1);
        volume->setValue(0);
    });
    connect(panel->muteButton(), &QPushButton::clicked, this,
            [player = c.player](bool down) { player->setMute(down); });
    connect(panel->speedSlider(), &QSlider::valueChanged, this, [this, channel, panel] {
        // A drag takes effect when the button is released.
        if (!panel->speedSlider()->isSliderDown() &&
            !(QGuiApplication::mouseButtons() & Qt::LeftButton))
            applySpeed(channel);
    });
    connect(panel->speedSlider(), &QSlider::sliderReleased, this,
            [this, channel] { applySpeed(channel); });
    connect(panel->speedReset(), &QPushButton::clicked, this, [this, channel, panel] {
        QSlider* speed = panel->speedSlider();
        speed->blockSignals(true);
        speed->setValue(0);
        speed->blockSignals(false);
        applySpeed(channel);
    });
}

void ChannelMixer::attachWindows(OutputWindow* layerA, OutputWindow* layerB)
{
    m_channels[0].window = layerA;
    m_channels[1].window = layerB;
    showOpacities();
}

int ChannelMixer::opacity(int channel) const
{
    return m_opacity[index(channel)];
}

void ChannelMixer::setOpacity(int channel, int opacity)
{
    m_opacity[index(channel)] = std::clamp(opacity, 0, 255);
    showOpacities();
}

namespace {
// The desktop area where a window shows: its mask, or its whole rectangle.
QRegion visibleArea(const QWidget* window)
{
    const QRegion area = window->mask().isEmpty() ? QRegion(window->rect()) : window->mask();
    return area.translated(window->geometry().topLeft());
}
} // namespace

int ChannelMixer::lowerWindowOpacity() const
{
    const int own = m_opacity[0];
    const OutputWindow* lower = m_channels[0].window;
    const OutputWindow* upper = m_channels[1].window;
    const int upperOpacity = m_opacity[1];
    if (!(dissolving(1) || dissolving(2)) || !upper || !upper->isVisible() || upperOpacity >= 255 ||
        !(visibleArea(lower) - visibleArea(upper)).isEmpty())
        return own;
    // B over A shows B × b + A × (1 − b) × a': for A to count as `own`, a' = own ÷ (1 − b).
    return std::min(255, int(std::lround(own * 255.0 / (255 - upperOpacity))));
}

void ChannelMixer::showOpacities()
{
    bool changed = false;
    for (const int channel : {1, 2}) {
        OutputWindow* window = at(channel).window;
        if (!window)
            continue;
        const int shown = channel == 1 ? lowerWindowOpacity() : m_opacity[1];
        if (qRound(window->windowOpacity() * 255) == shown)
            continue;
        window->setWindowOpacity(shown / 255.0);
        changed = true;
    }
    if (changed)
        flushWindowSystem();
}

int ChannelMixer::targetOpacity(int channel) const
{
    return 255 - at(channel).panel->alphaSlider()->value();
}

void ChannelMixer::markOffAir(int channel, bool off)
{
    for (const int c : {1, 2}) {
        if (c != channel && !off)
            continue;
        const bool down = c == channel && off;
        at(c).mix.cut->setChecked(down);
        at(c).mix.dissolve->setChecked(down);
    }
}

bool ChannelMixer::dissolving(int channel) const
{
    return m_timers[index(channel)]->isActive();
}

void ChannelMixer::startTimer(int channel)
{
    m_timers[index(channel)]->start();
}

void ChannelMixer::stopTimer(int channel)
{
    m_timers[index(channel)]->stop();
}

void ChannelMixer::stopDissolves()
{
    stopTimer(1);
    stopTimer(2);
    showOpacities(); // each window at its own opacity again
}

void ChannelMixer::cut(int channel)
{
    if (dissolving(1))
        return;
    Channel& c = at(channel);
    if (!m_controls.stageActive->isChecked()) {
        c.mix.cut->setChecked(false);
        return;
    }
    if (c.mix.mixVideo->isChecked()) {
        if (opacity(channel) > 0) {
            setOpacity(channel, 0);
            markOffAir(channel, true);
            c.mix.videoGauge->setValue(0);
        } else {
            setOpacity(channel, targetOpacity(channel));
            markOffAir(channel, false);
            c.mix.videoGauge->setValue(c.mix.videoGauge->maximum());
        }
    }
    if (!c.mix.mixAudio->isChecked())
        return;
    if (c.player->AudioVolume() > 0) {
        markOffAir(channel, true);
        c.mix.audioGauge->setValue(0);
        c.player->setAudioVolume(0);
        c.panel->showVolumeIcons(false);
    } else {
        markOffAir(channel, false);
        c.player->setAudioVolume(c.panel->volume());
        c.panel->showVolumeIcons(true);
        c.mix.audioGauge->setValue(c.mix.audioGauge->maximum());
    }
}

void ChannelMixer::dissolve(int channel)
{
    Channel& c = at(channel);
    if (!m_controls.stageActive->isChecked()) {
        c.mix.dissolve->setChecked(false);
        return;
    }
    const int position = c.panel->transitionTime()->value();
    if (dissolving(channel) || position == 0)
        return;
    const int target = targetOpacity(channel);
    const int targetVolume = c.panel->volume();
    m_fades[index(channel)].start(opacity(channel), c.player->AudioVolume(), target, targetVolume,
                                  c.mix.mixVideo->isChecked(), c.mix.mixAudio->isChecked(),
                                  position);
    c.mix.videoGauge->setMaximum(target);
    c.mix.audioGauge->setMaximum(targetVolume);
    if (m_controls.automaticPlay->isChecked() && m_hooks.play)
        m_hooks.play();
    startTimer(channel);
}

void ChannelMixer::tick(int channel)
{
    if (m_hooks.nextClipTick && m_hooks.nextClipTick(channel))
        return;
    Channel& c = at(channel);
    Fade& fade = m_fades[index(channel)];
    const bool last = fade.tick();
    if (c.mix.mixVideo->isChecked()) {
        if (c.window && !c.window->onStage())
            c.window->setOnStage(true);
        setOpacity(channel, fade.opacity());
        c.mix.videoGauge->setValue(std::min(fade.opacity(), c.mix.videoGauge->maximum()));
    }
    if (c.mix.mixAudio->isChecked()) {
        c.player->setAudioVolume(fade.volume());
        c.mix.audioGauge->setValue(std::min(fade.volume(), c.mix.audioGauge->maximum()));
    }
    if (!last)
        return;

    stopTimer(channel);
    markOffAir(channel, fade.FadeVideoOut);
    if (c.mix.mixVideo->isChecked()) {
        if (fade.FadeVideoOut) {
            setOpacity(channel, 0);
            if (channel == 2 && c.window) // Player A's window stays shown at opacity 0
                c.window->setOnStage(false);
        } else {
            setOpacity(channel, targetOpacity(channel));
        }
    }
    showOpacities(); // the other window too, when this was the last dissolve
    if (c.mix.mixAudio->isChecked()) {
        if (fade.FadeAudioOut) {
            if (c.player->AudioVolume() != 0)
                c.player->setAudioVolume(0);
        } else if (c.player->AudioVolume() != c.panel->volume()) {
            c.player->setAudioVolume(c.panel->volume());
        }
        c.panel->showVolumeIcons(!fade.FadeAudioOut);
    }
}

void ChannelMixer::alphaChanged(int channel)
{
    if (!m_handlersArmed)
        return;
    Channel& c = at(channel);
    const int value = targetOpacity(channel);
    m_clipSettings[channel].FAlpha = value;
    c.panel->alphaNumber()->setValue(value);
    if (!c.mix.cut->isChecked())
        setOpacity(channel, value);
}

void ChannelMixer::volumeSliderChanged(int channel)
{
    if (!m_handlersArmed)
        return;
    Channel& c = at(channel);
    const int volume = c.panel->volume();
    if (!c.mix.cut->isChecked()) {
        c.player->setAudioVolume(volume);
        c.panel->showVolumeIcons(volume > 0);
    }
    c.panel->showVolume(volume);
    if (m_controls.invert->isChecked()) {
        QSlider* other = at(channel == 1 ? 2 : 1).panel->volumeSlider();
        other->setValue(other->maximum() - c.panel->volumeSlider()->value());
    }
}

void ChannelMixer::applySpeed(int channel, bool resync)
{
    Channel& c = at(channel);
    const int position = c.panel->speedSlider()->value();
    if (position == 0) {
        c.player->setPlaybackSpeed(1.0);
        c.player->setSyncType(stAudio);
        if (resync)
            c.player->Seek(c.player->CurrentPTS());
    } else {
        c.player->setPlaybackSpeed(position < 0 ? position * 15.0 / 1600 + 1
                                                : position * 15.0 / 100 + 1);
        c.player->setSyncType(stExternal);
    }
    c.panel->speedReadout()->setText(QString::number(position));
}

void ChannelMixer::stageApplied(bool layerA, bool layerB, bool restart)
{
    for (const int channel : {1, 2}) {
        if ((channel == 1 && !layerA) || (channel == 2 && !layerB))
            continue;
        const Channel& c = at(channel);
        if (restart) {
            c.panel->alphaSlider()->setValue(255);
            c.mix.videoGauge->setValue(c.mix.videoGauge->maximum());
            continue;
        }
        if (opacity(channel) > 0 && c.mix.mixVideo->isChecked())
            c.mix.videoGauge->setValue(c.mix.videoGauge->maximum());
        if (c.player->AudioVolume() > 0 && c.mix.mixAudio->isChecked())
            c.mix.audioGauge->setValue(c.mix.audioGauge->maximum());
    }
}
