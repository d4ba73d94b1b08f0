#include "automation/control_commands.h"

#include "automation/console_control.h"

namespace {
using Bar = ConsoleControl::Bar;

struct ControlCommand {
    const char* stem; // the name without its channel letter
    Bar bar;
    int (*position)(int maximum, int value);
};

const ControlCommand controlCommands[] = {
    {"Opacity", Bar::Opacity, [](int, int v) { return 255 - v; }},
    {"Volume", Bar::Volume, [](int maximum, int v) { return maximum - v / 2; }},
    {"Saturation", Bar::Saturation, [](int, int v) { return 100 - v / 2; }},
    {"Hue", Bar::Hue, [](int, int v) { return 127 - v; }},
    {"Brightness", Bar::Brightness, [](int, int v) { return 127 - v; }},
};
} // namespace

bool eseguiComando(ConsoleControl& console, const QString& comando, int valore)
{
    for (const ControlCommand& command : controlCommands) {
        for (const int channel : {1, 2}) {
            if (comando != QLatin1String(command.stem) + (channel == 1 ? 'A' : 'B'))
                continue;
            console.setBar(channel, command.bar,
                           command.position(console.barMaximum(channel, command.bar), valore));
            return true;
        }
    }
    return false;
}
