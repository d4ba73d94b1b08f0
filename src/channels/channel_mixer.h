#pragma once

#include "channels/clip_settings.h"
#include "channels/fade.h"
#include "channels/mixer_panel.h"

#include <QObject>
#include <functional>

class ChannelPanel;
class DissolveTimer;
class OutputWindow;
class QAbstractButton;
class QProgressBar;
class TFFPlayer;

// How the two channels reach the stage: each channel's window opacity and player volume,
// set by its sliders, taken off or on air at once by "CUT" or over the transition time by
// "DISSOLVE"; mute, the volume icons, "INVERT" and the playback speed.
//
// Owner of the dissolve timers and the fade state; all on the user-interface thread.
class ChannelMixer : public QObject {
    Q_OBJECT
public:
    struct Channel {
        TFFPlayer* player;
        ChannelPanel* panel;
        MixerPanel::ChannelMix mix;     // its column of the mixing area
        OutputWindow* window = nullptr; // the output window, once it exists
    };
    struct Controls {
        QAbstractButton* stageActive;
        QAbstractButton* invert;        // "INVERT": the volume sliders crossfade
        QAbstractButton* automaticPlay; // every dissolve also starts the selected channel
    };
    struct Hooks {
        std::function<void()> play; // "PLAY"
        // A dissolve tick of this channel: true when it was taken for a pending next clip.
        std::function<bool(int channel)> nextClipTick;
    };

    ChannelMixer(Channel a, Channel b, Controls controls, Hooks hooks,
                 ChannelClipSettings& clipSettings, const bool& handlersArmed,
                 QObject* parent = nullptr);

    void attachWindows(OutputWindow* layerA, OutputWindow* layerB);

    void cut(int channel);
    void dissolve(int channel);
    // Starts the channel's dissolve timer as it is (a next clip waits for its tick).
    void startTimer(int channel);
    void stopTimer(int channel);
    bool dissolving(int channel) const;
    // A player stopped: both dissolves end where they are.
    void stopDissolves();

    // A stage was applied to these layers: their fade gauges are full where the layer is seen
    // or heard and its mix box ticked; `restart` ("RESET FADE SLIDERS") puts their opacity
    // sliders back to 255.
    void stageApplied(bool layerA, bool layerB, bool restart);

    // The channel's opacity 0..255, as the mix sees it.
    int opacity(int channel) const;
    void setOpacity(int channel, int opacity);
    // The volume slider's handler: the player's volume, the read-out and the icons.
    void volumeSliderChanged(int channel);
    // The speed slider's position applied to the player (also used by loading). Normal speed
    // seeks the clip to where it is, so that its clocks meet again, unless `resync` is false
    // (a load, which replaces the clip: seeking it would show an earlier picture of it).
    void applySpeed(int channel, bool resync = true);

private:
    static int index(int channel) { return channel == 2 ? 1 : 0; }
    Channel& at(int channel) { return m_channels[index(channel)]; }
    const Channel& at(int channel) const { return m_channels[index(channel)]; }
    int targetOpacity(int channel) const;
    // "CUT" and "DISSOLVE" of a channel down (off air) or up; the two channels' buttons are
    // exclusive groups.
    void markOffAir(int channel, bool off);
    void tick(int channel);
    // Puts the channels' opacities on their windows. Layer B lies above layer A: while a
    // dissolve runs and B's window covers A's entirely, A's window is made more opaque so
    // that B over A shows the two pictures in their set proportions (two half-transparent
    // windows would let the background through and dim the middle of a crossfade to three
    // quarters).
    void showOpacities();
    int lowerWindowOpacity() const;
    void wire(int channel);
    void alphaChanged(int channel);

    Channel m_channels[2];
    Controls m_controls;
    Hooks m_hooks;
    ChannelClipSettings& m_clipSettings;
    const bool& m_handlersArmed;
    Fade m_fades[2];
    int m_opacity[2] = {255, 255}; // a new window is opaque
    DissolveTimer* m_timers[2];
};
