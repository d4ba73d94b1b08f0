#pragma once

#include "control/dmx_mapping.h"

#include <QObject>
#include <functional>

class ActionRunner;
class ArtNetLibrary;
class ConsoleControl;
class ControlMapper;
class MainMenu;
class ReadDataset;

// DMX on the console: "ArtNet Active" and "ArtNet Configuration" over the Art-Net library, and
// what each received channel value does: in the DMX mapper's learn mode it only fills the
// mapper's edits, otherwise the map (`rDMX`, indexed at each reading) runs its action through
// the one runner (whatever "Action activated" says) and its control command with the value.
// Errors are logged, never shown.
class DmxControl : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void(const QString&)> showError;
        std::function<void(int id)> selectAction;
    };
    DmxControl(MainMenu& menu, const ReadDataset& map, ActionRunner& runner,
               ConsoleControl& controls, Hooks hooks, QObject* parent = nullptr);

    // The library, null when there is none (then "ArtNet Active" is disabled).
    void setLibrary(ArtNetLibrary* library);
    void setMapper(ControlMapper* mapper) { m_mapper = mapper; }
    // The map was read again.
    void reloadMap();
    // The receive handler: one channel's value.
    void receive(int subnet, int universe, int channel, int value);

private:
    void setActive(bool on); // "ArtNet Active"
    void showConfig();       // "ArtNet Configuration"
    void showActive(bool on);

    MainMenu& m_menu;
    const ReadDataset& m_map;
    ActionRunner& m_runner;
    ConsoleControl& m_controls;
    Hooks m_hooks;
    ArtNetLibrary* m_library = nullptr;
    ControlMapper* m_mapper = nullptr;
    DmxMapping m_mapping;
};
