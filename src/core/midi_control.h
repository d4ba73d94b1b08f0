#pragma once

#include "control/loss_report.h"
#include "control/midi_mapping.h"

#include <QObject>
#include <functional>

class ActionRunner;
class ConsoleControl;
class ControlMapper;
class MainMenu;
class MidiInputDevices;
class ReadDataset;

// MIDI on the console: the "Midi Device" menu and "Midi Active" over the input device, and
// what each message does: in the mapper's learn mode it only fills the mapper's edits,
// otherwise the map (`rMIDI`) runs its action through the one runner and its control command.
// Messages are taken in bounded batches with the event loop running between them, so that a
// flooding fader never holds the pictures. Lost messages are logged, at most every 5 s.
class MidiControl : public QObject {
    Q_OBJECT
public:
    static constexpr int Batch = 64;
    // How soon messages are looked at again while a player opens or stops a file.
    static constexpr int RetryMs = 5;

    struct Hooks {
        std::function<void(const QString&)> showError;
        // The action becomes the current one in the action grid.
        std::function<void(int id)> selectAction;
    };
    // `input` may be null (no MIDI on this machine): the entries stay disabled.
    MidiControl(MidiInputDevices* input, MainMenu& menu, const ReadDataset& map,
                ActionRunner& runner, ConsoleControl& controls, Hooks hooks,
                QObject* parent = nullptr);

    void setMapper(ControlMapper* mapper) { m_mapper = mapper; }
    // "Refresh Midi Device": closes the device, lists the devices again, the last one chosen.
    void fillDevices();
    // "Midi Active": opens the chosen device or closes it; a device that cannot be opened
    // leaves the entry unchecked and the reason shown.
    void setActive(bool on);
    // The map was read again.
    void reloadMap();

private:
    void takeMessages(); // `OnMidiInput`

    MidiInputDevices* m_input;
    MainMenu& m_menu;
    const ReadDataset& m_map;
    ActionRunner& m_runner;
    ConsoleControl& m_controls;
    Hooks m_hooks;
    ControlMapper* m_mapper = nullptr;
    LossReport m_losses;
    QList<MidiMappingRow> m_rows; // the map as last read
};
