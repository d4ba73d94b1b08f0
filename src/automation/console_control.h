#pragma once

#include <QString>
#include <QVariant>
#include <optional>

// What a script line, a control mapping or a remote command may do to the console: the
// operator's gestures, typed. The real console sets its controls and fires their handlers, so
// a command has exactly the effect of the gesture; tests may drive a recording fake instead.
// Channels are 1 (Player A) and 2 (Player B). User-interface thread only.
class ConsoleControl {
public:
    // The vertical bars of a channel; their minimum is at the top, so most values are mirrored
    // by the caller.
    enum class Bar {
        Opacity,    // AlphaTrack1 / AlphaTrack2, 0..255
        Brightness, // b / bb, -100..100
        Saturation, // s / ss, 0..100
        Hue,        // h / hh, -100..100
        Volume,     // volA / volB, 0..100
        Position,   // TrackBarA / TrackBarB
    };
    // The buttons of a channel.
    enum class ChannelButton { Dissolve, Cut, ResetAll, ResetSpeed, Mute };
    // Buttons that act on the selected channel.
    enum class Button { Load, PatternOff, Bars, Bars75, VGrayscale, HGrayscale, Circle, Grid };
    // Two-state buttons whose handler reads their state.
    enum class Switch { PlayAfterLoad, StageActive };

    // A stored outgoing connection (table "connessioni"), text without trailing blanks.
    struct Connection {
        int id = 0;
        int tipo = -1; // 0 TCP, 1 UDP, 2 HTTP, 3 another instance ("QVX")
        QString host;
        int port = 0;
        QString url;
        QString username;
        QString password;
    };

    virtual ~ConsoleControl() = default;

    // The channel that "LOAD", "PLAY" and the pattern buttons act on.
    virtual int selectedChannel() const = 0;
    virtual void setSelectedChannel(int channel) = 0;

    // The player's own operations, without the buttons' side effects.
    virtual void pausePlayer(int channel) = 0;
    // Resumes the player, takes the state to "resuming" at once and applies the clip's stage.
    virtual void resumePlayer(int channel) = 0;
    // Stops the player, waiting for it, and empties the channel.
    virtual void stopPlayer(int channel) = 0;
    // A seek without flags and without waiting.
    virtual void seekPlayer(int channel, qint64 microseconds) = 0;
    // The stored length of the clip loaded in the channel (microseconds), 0 when none.
    virtual qint64 clipDuration(int channel) const = 0;

    virtual int barValue(int channel, Bar bar) const = 0;
    virtual int barMaximum(int channel, Bar bar) const = 0;
    // Moves the bar, clamped to its range; its handler runs when the position changes.
    virtual void setBar(int channel, Bar bar, int value) = 0;

    // Clicks the button; "MUTE" changes the mute state.
    virtual void click(int channel, ChannelButton button) = 0;
    virtual void click(Button button) = 0;
    // Puts the switch in the state (its current state when none) and runs its handler.
    virtual void setSwitch(Switch which, std::optional<bool> on) = 0;
    // The cell counts of the grid pattern, as its "-" / "+" buttons show them.
    virtual void setGridCounts(int horizontal, int vertical) = 0;

    // The lists a command searches: the clips of the playlist on screen, the stages.
    enum class List { Clips, Stages };
    // Where the list's cursor is, to be put back after a search moved it.
    virtual QVariant cursor(List list) const = 0;
    virtual void restoreCursor(List list, const QVariant& cursor) = 0;
    // Puts the clip list's cursor on the clip of this code, among the clips on screen, without
    // moving the grid; false (the cursor stays) when there is none.
    virtual bool findClip(int code) = 0;
    // The same in the stage list, by the exact name.
    virtual bool findStage(const QString& name) = 0;
    virtual std::optional<Connection> findConnection(int id) const = 0;
    // The script of the stored action, its lines as typed; none when there is no such action.
    virtual std::optional<QString> actionScript(int id) const = 0;
    // "Action activated": the pad, clip start and end actions and MIDI run actions.
    virtual bool actionsActivated() const = 0;

    // The level meters of both players (`livello`).
    virtual void setLevelMeters(bool on) = 0;
};
