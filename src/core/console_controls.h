#pragma once

#include "automation/console_control.h"

#include <QStringList>
#include <functional>

class PlaybackChannels;
class QAbstractButton;
class QLabel;
class QSlider;
class ShowDatabase;
struct ChannelState;

// The console control interface over the real console: the composition root hands over the
// regions' controls once, when the console has been built; every command then sets those
// controls and fires their handlers as the operator's gesture does.
class ConsoleControls : public ConsoleControl {
public:
    struct Hooks {
        std::function<void(int channel)> applyClipStage;
        std::function<void(bool on)> setLevelMeters;
    };

    // Indexed by channel - 1 and by the enumerations' order.
    struct Controls {
        QSlider* bars[2][6] = {};
        QAbstractButton* channelButtons[2][5] = {};
        QAbstractButton* buttons[8] = {};
        QAbstractButton* switches[2] = {};
        QLabel* gridCounts[2] = {}; // columns, rows
        QAbstractButton* actionsActivated = nullptr;
    };

    ConsoleControls(Controls controls, ChannelState& state, PlaybackChannels& channels,
                    ShowDatabase& database, Hooks hooks);

    // The console names of controls that were not handed over (none in a complete console).
    QStringList unresolved() const;

    int selectedChannel() const override;
    void setSelectedChannel(int channel) override;
    void pausePlayer(int channel) override;
    void resumePlayer(int channel) override;
    void stopPlayer(int channel) override;
    void seekPlayer(int channel, qint64 microseconds) override;
    qint64 clipDuration(int channel) const override;
    int barValue(int channel, Bar bar) const override;
    int barMaximum(int channel, Bar bar) const override;
    void setBar(int channel, Bar bar, int value) override;
    void click(int channel, ChannelButton button) override;
    void click(Button button) override;
    void setSwitch(Switch which, std::optional<bool> on) override;
    void setGridCounts(int horizontal, int vertical) override;
    QVariant cursor(List list) const override;
    void restoreCursor(List list, const QVariant& cursor) override;
    bool findClip(int code) override;
    bool findStage(const QString& name) override;
    std::optional<Connection> findConnection(int id) const override;
    std::optional<QString> actionScript(int id) const override;
    bool actionsActivated() const override;
    void setLevelMeters(bool on) override;

private:
    QSlider* bar(int channel, Bar bar) const;

    Controls m_controls;
    ChannelState& m_state;
    PlaybackChannels& m_channels;
    ShowDatabase& m_database;
    Hooks m_hooks;
};
