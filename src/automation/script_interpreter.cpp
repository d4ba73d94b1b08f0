#include "automation/script_interpreter.h"

#include <QScopeGuard>
#include <algorithm>
#include <climits>

Q_LOGGING_CATEGORY(automationLog, "quillon.automation")

namespace {
using Bar = ConsoleControl::Bar;
using Button = ConsoleControl::Button;
using ChannelButton = ConsoleControl::ChannelButton;
using Switch = ConsoleControl::Switch;

// How the first argument names the channels. A literal target is `A`, `B` or `AB` and
// anything else does nothing; a resolved target falls back to Player A.
enum class Target { None, Literal, Resolved };

constexpr int A = 1, B = 2, AB = 3;

bool hasA(int channels)
{
    return channels == A || channels == AB;
}
bool hasB(int channels)
{
    return channels == B || channels == AB;
}

// "ON" presses, "OFF" releases, anything else keeps the state.
std::optional<bool> onOff(const QString& text)
{
    const QString word = text.toUpper();
    if (word == QLatin1String("ON"))
        return true;
    if (word == QLatin1String("OFF"))
        return false;
    return std::nullopt;
}

int clampToInt(qint64 value)
{
    return int(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}
} // namespace

// The handlers of the command table; each gets the parsed line and the channels it names.
struct ScriptCommands {
    ConsoleControl& console;
    const ScriptInterpreter::Send& send;

    void forChannels(int channels, const std::function<void(int)>& act) const
    {
        if (hasA(channels))
            act(1);
        if (hasB(channels))
            act(2);
    }

    // Acts with the selected channel set to each named channel in turn.
    void asSelected(int channels, const std::function<void()>& act) const
    {
        forChannels(channels, [&](int channel) {
            console.setSelectedChannel(channel);
            act();
        });
    }

    void connSend(const ScriptLine& line, int)
    {
        bool isNumber = false;
        const int id = line.arguments[1].toInt(&isNumber);
        const auto connection =
            isNumber ? console.findConnection(id) : std::optional<ConsoleControl::Connection>();
        if (!connection) {
            qCWarning(automationLog).noquote()
                << "CONNSEND: there is no connection" << line.arguments[1];
            return;
        }
        send(*connection, line.arguments[2]);
    }

    void pause(const ScriptLine&, int channels)
    {
        if (channels != AB) {
            console.pausePlayer(channels);
            return;
        }
        console.pausePlayer(2);
        console.pausePlayer(1);
        // Player B to where Player A's bar shows; an empty bar has no place to show.
        const int maximum = console.barMaximum(1, Bar::Position);
        if (maximum > 0)
            console.seekPlayer(2, console.clipDuration(1) * console.barValue(1, Bar::Position) /
                                      maximum);
    }

    void play(const ScriptLine&, int channels)
    {
        forChannels(channels, [this](int channel) { console.resumePlayer(channel); });
    }

    void stop(const ScriptLine&, int channels)
    {
        if (channels == AB) {
            console.stopPlayer(2);
            console.stopPlayer(1);
        } else {
            console.stopPlayer(channels);
        }
    }

    void load(const ScriptLine& line, int channels)
    {
        bool isNumber = false;
        const int code = line.arguments[2].toInt(&isNumber);
        const QVariant cursor = console.cursor(ConsoleControl::List::Clips);
        const auto putBack =
            qScopeGuard([&] { console.restoreCursor(ConsoleControl::List::Clips, cursor); });
        if (!isNumber || !console.findClip(code)) {
            qCWarning(automationLog).noquote()
                << "LOAD: there is no clip" << line.arguments[2] << "in the playlist on screen";
            return;
        }
        asSelected(channels, [this] { console.click(Button::Load); });
    }

    void playAfterLoad(const ScriptLine& line, int)
    {
        console.setSwitch(Switch::PlayAfterLoad, onOff(line.arguments[1]));
    }

    void stageActive(const ScriptLine& line, int)
    {
        console.setSwitch(Switch::StageActive, onOff(line.arguments[1]));
    }

    void loadStage(const ScriptLine& line, int)
    {
        const QVariant cursor = console.cursor(ConsoleControl::List::Stages);
        const auto putBack =
            qScopeGuard([&] { console.restoreCursor(ConsoleControl::List::Stages, cursor); });
        if (!console.findStage(line.arguments[1])) {
            qCWarning(automationLog).noquote()
                << "LOADSTAGE: there is no stage" << line.arguments[1];
            return;
        }
        console.setSwitch(Switch::StageActive, onOff(line.arguments[2]));
    }

    // The bars are upside down: the value shown is `mirror - n` (or `-n`).
    void setBar(const ScriptLine& line, int channels, Bar bar, const std::function<qint64(int)>& at)
    {
        forChannels(channels, [&](int channel) {
            const qint64 n = ScriptInterpreter::toInteger(line.arguments[2]);
            console.setBar(channel, bar, clampToInt(at(channel) - n));
        });
    }
    void setOpacity(const ScriptLine& line, int channels)
    {
        setBar(line, channels, Bar::Opacity, [](int) { return 255; });
    }
    void setBrightness(const ScriptLine& line, int channels)
    {
        setBar(line, channels, Bar::Brightness, [](int) { return 0; });
    }
    void setSaturation(const ScriptLine& line, int channels)
    {
        setBar(line, channels, Bar::Saturation, [](int) { return 100; });
    }
    void setHue(const ScriptLine& line, int channels)
    {
        setBar(line, channels, Bar::Hue, [](int) { return 0; });
    }
    void setVolume(const ScriptLine& line, int channels)
    {
        setBar(line, channels, Bar::Volume,
               [this](int channel) { return console.barMaximum(channel, Bar::Volume); });
    }

    void buttonClick(const ScriptLine& line, int channels)
    {
        static const QHash<QString, ChannelButton> buttons = {
            {"DISSOLVE", ChannelButton::Dissolve},
            {"CUT", ChannelButton::Cut},
            {"RESETALL", ChannelButton::ResetAll},
            {"RESETSPEED", ChannelButton::ResetSpeed},
            {"MUTE", ChannelButton::Mute}};
        const auto button = buttons.constFind(line.arguments[2].toUpper());
        if (button == buttons.constEnd())
            return;
        forChannels(channels, [&](int channel) { console.click(channel, *button); });
    }

    void pattern(const ScriptLine& line, int channels)
    {
        static const QHash<QString, Button> patterns = {
            {"OFF", Button::PatternOff},        {"BARS", Button::Bars},
            {"BARS75", Button::Bars75},         {"VGRAYSCALE", Button::VGrayscale},
            {"HGREYSCALE", Button::HGrayscale}, {"CIRCLE", Button::Circle}};
        const auto button = patterns.constFind(line.arguments[2].toUpper());
        if (button == patterns.constEnd())
            return;
        asSelected(channels, [&] { console.click(*button); });
    }

    void grid(const ScriptLine& line, int channels)
    {
        // The range of the "-" / "+" buttons; anything else would divide the layer by nothing.
        const auto count = [](const QString& text) {
            bool isNumber = false;
            const int value = text.toInt(&isNumber);
            return isNumber && value >= 1 && value <= 48 ? value : 0;
        };
        const int horizontal = count(line.arguments[2]);
        const int vertical = count(line.arguments[3]);
        if (horizontal == 0 || vertical == 0) {
            qCWarning(automationLog).noquote()
                << "GRID: the cell counts" << line.arguments[2] << line.arguments[3]
                << "are not whole numbers from 1 to 48";
            return;
        }
        asSelected(channels, [&] {
            console.setGridCounts(horizontal, vertical);
            console.click(Button::Grid);
        });
    }
};

namespace {
struct Command {
    const char* word;
    int arguments;
    Target target;
    void (ScriptCommands::*run)(const ScriptLine&, int channels);
};

// In the order the words are tried. LEDWALL is reserved: its arguments are read, nothing
// is done.
const Command commands[] = {
    {"CONNSEND", 2, Target::None, &ScriptCommands::connSend},
    {"PAUSE", 1, Target::Literal, &ScriptCommands::pause},
    {"PLAY", 1, Target::Resolved, &ScriptCommands::play},
    {"STOP", 1, Target::Literal, &ScriptCommands::stop},
    {"LOAD", 2, Target::Resolved, &ScriptCommands::load},
    {"PLAYAFTERLOAD", 1, Target::None, &ScriptCommands::playAfterLoad},
    {"STAGEACTIVE", 1, Target::None, &ScriptCommands::stageActive},
    {"LOADSTAGE", 2, Target::None, &ScriptCommands::loadStage},
    {"SETOPACITY", 2, Target::Literal, &ScriptCommands::setOpacity},
    {"SETBRIGHTNESS", 2, Target::Literal, &ScriptCommands::setBrightness},
    {"SETSATURATION", 2, Target::Literal, &ScriptCommands::setSaturation},
    {"SETHUE", 2, Target::Literal, &ScriptCommands::setHue},
    {"SETVOLUME", 2, Target::Literal, &ScriptCommands::setVolume},
    {"BUTTONCLICK", 2, Target::Resolved, &ScriptCommands::buttonClick},
    {"PATTERN", 2, Target::Resolved, &ScriptCommands::pattern},
    {"GRID", 3, Target::Resolved, &ScriptCommands::grid},
    {"LEDWALL", 7, Target::None, nullptr},
};

const Command* findCommand(const QString& word)
{
    for (const Command& command : commands)
        if (word == QLatin1String(command.word))
            return &command;
    return nullptr;
}

// 1, 2 or 3 for A, B and AB; 0 when a literal target names no channel.
int channelsOf(const Command& command, const QString& argument)
{
    const QString target = argument.toUpper();
    const int named = target == QLatin1String("A")    ? A
                      : target == QLatin1String("B")  ? B
                      : target == QLatin1String("AB") ? AB
                                                      : 0;
    if (command.target == Target::Resolved)
        return named == 0 ? A : named;
    return named;
}
} // namespace

ScriptLine ScriptLine::parse(const QString& line)
{
    ScriptLine parsed;
    const qsizetype comma = line.indexOf(',');
    // A word needs a comma with something after it.
    if (comma < 0 || comma == line.size() - 1)
        return parsed;
    parsed.word = line.left(comma).toUpper();
    qsizetype scan = comma + 1;
    const int count = ScriptInterpreter::argumentCount(parsed.word);
    for (int k = 1; k <= count; ++k) {
        // Without a further comma the scan stays, so later arguments repeat this one.
        for (qsizetype i = scan; i < line.size(); ++i) {
            if (line.at(i) == ',') {
                scan = i + 1;
                break;
            }
            parsed.arguments[k].append(line.at(i));
        }
    }
    return parsed;
}

ScriptInterpreter::ScriptInterpreter(ConsoleControl& console, Send send)
    : m_console(console)
    , m_send(std::move(send))
{
}

int ScriptInterpreter::argumentCount(const QString& word)
{
    const Command* command = findCommand(word);
    return command ? command->arguments : 0;
}

int ScriptInterpreter::toInteger(const QString& text)
{
    bool isNumber = false;
    const int value = text.toInt(&isNumber);
    if (!isNumber)
        throw ScriptError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

void ScriptInterpreter::eseguiScript(const QString& testo)
{
    m_console.setLevelMeters(false);
    const int selected = m_console.selectedChannel();
    const auto putBack = qScopeGuard([&] { m_console.setSelectedChannel(selected); });

    const ScriptLine line = ScriptLine::parse(testo);
    const Command* command = findCommand(line.word);
    if (!command || !command->run) {
        m_console.setLevelMeters(true);
        return;
    }
    const int channels =
        command->target == Target::None ? 0 : channelsOf(*command, line.arguments[1]);
    if (command->target != Target::None && channels == 0)
        return;
    ScriptCommands handlers{m_console, m_send};
    (handlers.*command->run)(line, channels);
}
