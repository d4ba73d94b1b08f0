#pragma once

#include "automation/console_control.h"

#include <QMap>
#include <QStringList>

// A console that records what commands do to it, as readable lines ("click A Mute",
// "bar B Volume 20" ...), and keeps the state commands read back.
class RecordingConsole : public ConsoleControl {
public:
    QStringList calls;
    int selected = 2;
    int clipCursor = 7; // the code of the clip under the cursor
    QString stageCursor = "Main";
    QList<int> clips = {7, 12};
    QStringList stages = {"Main", "Side"};
    QMap<int, Connection> connections;
    QMap<int, QString> actions;
    bool activated = true;
    bool meters = true;
    int values[2][6] = {};
    int maxima[2][6] = {{255, 100, 100, 100, 100, 0}, {255, 100, 100, 100, 100, 0}};
    qint64 durations[2] = {};
    // Called on every click of a console button, for tests that act inside a handler.
    std::function<void(const QString&)> onClick;

    static QString name(int channel) { return channel == 1 ? "A" : "B"; }

    int selectedChannel() const override { return selected; }
    void setSelectedChannel(int channel) override { selected = channel; }
    void pausePlayer(int channel) override { calls << "pause " + name(channel); }
    void resumePlayer(int channel) override { calls << "resume " + name(channel); }
    void stopPlayer(int channel) override { calls << "stop " + name(channel); }
    void seekPlayer(int channel, qint64 us) override
    {
        calls << QStringLiteral("seek %1 %2").arg(name(channel)).arg(us);
    }
    qint64 clipDuration(int channel) const override { return durations[channel - 1]; }
    int barValue(int channel, Bar bar) const override { return values[channel - 1][int(bar)]; }
    int barMaximum(int channel, Bar bar) const override { return maxima[channel - 1][int(bar)]; }
    void setBar(int channel, Bar bar, int value) override
    {
        static const char* names[] = {"Opacity", "Brightness", "Saturation",
                                      "Hue",     "Volume",     "Position"};
        const int minimum = bar == Bar::Brightness || bar == Bar::Hue ? -100 : 0;
        value = std::clamp(value, minimum, maxima[channel - 1][int(bar)]);
        values[channel - 1][int(bar)] = value;
        calls << QStringLiteral("bar %1 %2 %3").arg(name(channel), names[int(bar)]).arg(value);
    }
    void click(int channel, ChannelButton button) override
    {
        static const char* names[] = {"Dissolve", "Cut", "ResetAll", "ResetSpeed", "Mute"};
        record(QStringLiteral("click %1 %2").arg(name(channel), names[int(button)]));
    }
    void click(Button button) override
    {
        static const char* names[] = {"Load",       "PatternOff", "Bars",   "Bars75",
                                      "VGrayscale", "HGrayscale", "Circle", "Grid"};
        record(QStringLiteral("click %1 as %2 on clip %3 stage %4")
                   .arg(names[int(button)], name(selected))
                   .arg(clipCursor)
                   .arg(stageCursor));
    }
    void setSwitch(Switch which, std::optional<bool> on) override
    {
        calls << QStringLiteral("switch %1 %2 on stage %3")
                     .arg(which == Switch::PlayAfterLoad ? "PlayAfterLoad" : "StageActive",
                          on ? (*on ? "on" : "off") : "kept", stageCursor);
    }
    void setGridCounts(int h, int v) override
    {
        calls << QStringLiteral("grid %1x%2").arg(h).arg(v);
    }
    QVariant cursor(List list) const override
    {
        return list == List::Clips ? QVariant(clipCursor) : QVariant(stageCursor);
    }
    void restoreCursor(List list, const QVariant& cursor) override
    {
        if (list == List::Clips)
            clipCursor = cursor.toInt();
        else
            stageCursor = cursor.toString();
    }
    bool findClip(int code) override
    {
        if (!clips.contains(code))
            return false;
        clipCursor = code;
        return true;
    }
    bool findStage(const QString& stage) override
    {
        if (!stages.contains(stage))
            return false;
        stageCursor = stage;
        return true;
    }
    std::optional<Connection> findConnection(int id) const override
    {
        return connections.contains(id) ? std::optional(connections.value(id)) : std::nullopt;
    }
    std::optional<QString> actionScript(int id) const override
    {
        return actions.contains(id) ? std::optional(actions.value(id)) : std::nullopt;
    }
    bool actionsActivated() const override { return activated; }
    void setLevelMeters(bool on) override { meters = on; }

private:
    void record(const QString& call)
    {
        calls << call;
        if (onClick)
            onClick(call);
    }
};
