#pragma once

#include "automation/console_control.h"

#include <QStringList>
#include <functional>

class PlaybackChannels;
class QAbstractButton;
class QLabel;
class QSlider;
class QWidget;
class ShowDatabase;
struct ChannelState;

// The console control interface over the real console: its controls are found once, by the
// names the console gives them, when the console has been built; every command then sets
// those controls and fires their handlers as the operator's gesture does.
class ConsoleControls : public ConsoleControl {
public:
    struct Hooks {
        std::function<void(int channel)> applyClipStage;
        std::function<void(bool on)> setLevelMeters;
    };

    ConsoleControls(QWidget& console, ChannelState& state, PlaybackChannels& channels,
                    ShowDatabase& database, Hooks hooks);

    // The names of controls the console did not have (empty in a complete console).
    const QStringList& unresolved() const { return m_unresolved; }

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
    template <class T> T* resolve(const QString& name);
    QSlider* bar(int channel, Bar bar) const;

    QWidget& m_console;
    ChannelState& m_state;
    PlaybackChannels& m_channels;
    ShowDatabase& m_database;
    Hooks m_hooks;
    QStringList m_unresolved;

    // Indexed by channel - 1 and by the enumerations' order.
    QSlider* m_bars[2][6] = {};
    QAbstractButton* m_channelButtons[2][5] = {};
    QAbstractButton* m_buttons[8] = {};
    QAbstractButton* m_switches[2] = {};
    QLabel* m_gridCounts[2] = {};
    QAbstractButton* m_actionsActivated = nullptr;
};
