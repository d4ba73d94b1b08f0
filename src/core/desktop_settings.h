#pragma once

#include <QStringList>
#include <optional>

// The desktop's own settings tools for the display, the network and the sound, found on the
// machine at run time. Nothing found: the console disables the entry.
namespace DesktopSettings {
enum class Kind { Display, Network, Sound };
// The program and its arguments, or nullopt when no tool for it is installed.
std::optional<QStringList> command(Kind kind);
// Starts the tool without waiting for it; false when there is none or it did not start.
bool open(Kind kind);
} // namespace DesktopSettings
