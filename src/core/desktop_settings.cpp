#include "core/desktop_settings.h"

#include "shared/child_process.h"

#include <QProcess>
#include <QStandardPaths>

namespace DesktopSettings {

std::optional<QStringList> command(Kind kind)
{
    // In order of preference: the big desktops' settings panels, then single-purpose tools.
    static const QList<QStringList> display = {{"gnome-control-center", "display"},
                                               {"xfce4-display-settings"},
                                               {"lxqt-config-monitor"},
                                               {"systemsettings", "kcm_kscreen"},
                                               {"arandr"}};
    static const QList<QStringList> network = {{"gnome-control-center", "network"},
                                               {"nm-connection-editor"},
                                               {"systemsettings", "kcm_networkmanagement"}};
    static const QList<QStringList> sound = {{"gnome-control-center", "sound"},
                                             {"pavucontrol"},
                                             {"pavucontrol-qt"},
                                             {"systemsettings", "kcm_pulseaudio"}};
    const QList<QStringList>& candidates =
        kind == Kind::Display ? display : (kind == Kind::Network ? network : sound);
    for (const QStringList& candidate : candidates)
        if (!QStandardPaths::findExecutable(candidate.first()).isEmpty())
            return candidate;
    return std::nullopt;
}

bool open(Kind kind)
{
    const auto tool = command(kind);
    keepDescriptorsFromChildren();
    return tool && QProcess::startDetached(tool->first(), tool->mid(1));
}

} // namespace DesktopSettings
