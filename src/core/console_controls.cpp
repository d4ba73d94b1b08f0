#include "core/console_controls.h"

#include "automation/connection_store.h"
#include "channels/channel_state.h"
#include "channels/playback_channels.h"
#include "data/show_database.h"
#include "media/ff_player.h"

#include <QAbstractButton>
#include <QLabel>
#include <QSlider>

namespace {
// The console names of the controls, Player A's then Player B's, in the order of the
// enumerations; they name what is missing.
const char* const barNames[2][6] = {{"AlphaTrack1", "b", "s", "h", "volA", "TrackBarA"},
                                    {"AlphaTrack2", "bb", "ss", "hh", "volB", "TrackBarB"}};
const char* const channelButtonNames[2][5] = {
    {"btnDissolve", "btnCutA", "btnResetAllA", "btnSpeedA", "btnMuteA1"},
    {"btnDissolveB", "btnCutB", "btnResetAllB", "btnSpeedB", "btnMuteB1"}};
const char* const buttonNames[8] = {"btnPlayA",      "btnPatternOff", "btnBars",   "btnBars75",
                                    "btnVGrayscale", "btnHGrayScale", "btnCircle", "btnGrid"};
const char* const switchNames[2] = {"chkPlayAfterLoad", "btnScreen1"};
constexpr int StageNameLength = 30;

int index(int channel)
{
    return channel == 2 ? 1 : 0;
}
} // namespace

ConsoleControls::ConsoleControls(Controls controls, ChannelState& state, PlaybackChannels& channels,
                                 ShowDatabase& database, Hooks hooks)
    : m_controls(controls)
    , m_state(state)
    , m_channels(channels)
    , m_database(database)
    , m_hooks(std::move(hooks))
{
}

QStringList ConsoleControls::unresolved() const
{
    QStringList missing;
    const auto check = [&missing](const void* control, const char* name) {
        if (!control)
            missing.append(QString::fromLatin1(name));
    };
    for (int c = 0; c < 2; ++c) {
        for (int b = 0; b < 6; ++b)
            check(m_controls.bars[c][b], barNames[c][b]);
        for (int b = 0; b < 5; ++b)
            check(m_controls.channelButtons[c][b], channelButtonNames[c][b]);
    }
    for (int b = 0; b < 8; ++b)
        check(m_controls.buttons[b], buttonNames[b]);
    for (int s = 0; s < 2; ++s)
        check(m_controls.switches[s], switchNames[s]);
    check(m_controls.gridCounts[0], "gridH");
    check(m_controls.gridCounts[1], "gridV");
    check(m_controls.actionsActivated, "chkActionActivated");
    return missing;
}

int ConsoleControls::selectedChannel() const
{
    return m_state.selectedChannel;
}

void ConsoleControls::setSelectedChannel(int channel)
{
    m_state.selectedChannel = channel;
}

void ConsoleControls::pausePlayer(int channel)
{
    m_channels.ThePlayer(channel)->Pause();
}

void ConsoleControls::resumePlayer(int channel)
{
    TFFPlayer* player = m_channels.ThePlayer(channel);
    player->Resume();
    // The state shows at once, before the player's own report arrives.
    m_channels.vAState(player, psResume);
    m_hooks.applyClipStage(channel);
}

void ConsoleControls::stopPlayer(int channel)
{
    m_channels.stopChannel(channel);
}

void ConsoleControls::seekPlayer(int channel, qint64 microseconds)
{
    m_channels.ThePlayer(channel)->Seek(microseconds);
}

qint64 ConsoleControls::clipDuration(int channel) const
{
    return m_state.clipSettings[channel].FDuration;
}

QSlider* ConsoleControls::bar(int channel, Bar which) const
{
    return m_controls.bars[index(channel)][int(which)];
}

int ConsoleControls::barValue(int channel, Bar which) const
{
    return bar(channel, which)->value();
}

int ConsoleControls::barMaximum(int channel, Bar which) const
{
    return bar(channel, which)->maximum();
}

void ConsoleControls::setBar(int channel, Bar which, int value)
{
    bar(channel, which)->setValue(value); // the slider keeps to its range
}

void ConsoleControls::click(int channel, ChannelButton button)
{
    // A two-state button changes its state with the click, as under the operator's hand.
    m_controls.channelButtons[index(channel)][int(button)]->click();
}

void ConsoleControls::click(Button button)
{
    m_controls.buttons[int(button)]->click();
}

void ConsoleControls::setSwitch(Switch which, std::optional<bool> on)
{
    // The click turns the switch over: it starts from the other state to end in this one.
    QAbstractButton* button = m_controls.switches[int(which)];
    const bool target = on.value_or(button->isChecked());
    button->setChecked(!target);
    button->click();
}

void ConsoleControls::setGridCounts(int horizontal, int vertical)
{
    m_controls.gridCounts[0]->setNum(horizontal);
    m_controls.gridCounts[1]->setNum(vertical);
}

QVariant ConsoleControls::cursor(List list) const
{
    if (list == List::Clips)
        return m_database.playlist.value("codice");
    return m_database.layoutdb1.value("nome");
}

void ConsoleControls::restoreCursor(List list, const QVariant& cursor)
{
    if (cursor.isNull())
        return;
    if (list == List::Clips)
        m_database.playlist.locate("codice", cursor);
    else
        m_database.layoutdb1.locate("nome", cursor);
}

bool ConsoleControls::findClip(int code)
{
    return m_database.playlist.locate("codice", code);
}

bool ConsoleControls::findStage(const QString& name)
{
    // Stored names are 30 characters, padded with blanks; the match is exact otherwise.
    return name.size() <= StageNameLength && m_database.layoutdb1.locate("nome", name);
}

std::optional<ConsoleControl::Connection> ConsoleControls::findConnection(int id) const
{
    const ReadDataset& list = m_database.dbConn;
    for (int row = 0; row < list.count(); ++row)
        if (list.valueAt(row, "id").toInt() == id)
            return connectionAt(list, row);
    return std::nullopt;
}

std::optional<QString> ConsoleControls::actionScript(int id) const
{
    const ReadDataset& actions = m_database.dbAzioni;
    for (int row = 0; row < actions.count(); ++row)
        if (actions.valueAt(row, "id").toInt() == id)
            return actions.textAt(row, "script");
    return std::nullopt;
}

bool ConsoleControls::actionsActivated() const
{
    return m_controls.actionsActivated->isChecked();
}

void ConsoleControls::setLevelMeters(bool on)
{
    m_hooks.setLevelMeters(on);
}
