#pragma once

#include <QList>
#include <QString>
#include <memory>

// The monitors of the desktop and their display modes, for the stage editor's "Screen" page.
class DisplayScreens {
public:
    struct Monitor {
        QString name; // the output's name ("HDMI-1"), how a mode change finds it
        int width = 0;
        int height = 0;
        bool primary = false;
    };
    virtual ~DisplayScreens() = default;
    // In the desktop's order, the primary one where the system puts it.
    virtual QList<Monitor> monitors() const = 0;
    // Whether display modes can be changed here at all (X11 only).
    virtual bool canChangeMode() const = 0;
    // Switches the named output to a mode of this size at (about) 60 Hz, for this session only;
    // false when the output or such a mode is not there or the change failed.
    virtual bool changeMode(const QString& output, int width, int height) = 0;
};

// The real desktop: Qt's screens, and XRandR for the mode change.
std::unique_ptr<DisplayScreens> systemDisplayScreens();
