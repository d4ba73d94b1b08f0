#pragma once

#include "core/platform_services.h"
#include "shared/settings_files.h"

#include <QString>
#include <memory>
#include <vector>

class MainWindow;
class QWidget;

// The program's windows, created once in a fixed order and kept until the end: the console
// first (its start-up runs before any other window exists), then the stage editor, the
// filter panel, the dialogs, the three output windows and the two mappers.
class Console {
public:
    Console(SettingsFiles settings, PlatformServices services);
    ~Console();

    // Runs the console's start-up, creates the other windows and shows the console.
    // Returns false when the console cannot run; the operator has been told why.
    bool start();

    MainWindow* main() const { return m_main.get(); }
    // One of the windows by its name ("layersetup", "playout" ...); null when unknown.
    QWidget* window(const QString& name) const;

private:
    std::unique_ptr<MainWindow> m_main;
    std::vector<std::unique_ptr<QWidget>> m_windows; // destroyed before the console
};
