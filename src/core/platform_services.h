#pragma once

#include "control/midi_event_buffer.h"
#include "media/capture_devices.h"
#include "stage/display_screens.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

// Devices and libraries the console asks for at start-up. The components that talk to them
// live elsewhere (MIDI, capture devices, Art-Net); the console only needs these questions.
// A service that is not there (null) is treated as "nothing available": its menu entries
// are disabled and its lists stay empty.

class MidiInputDevices {
public:
    virtual ~MidiInputDevices() = default;
    // Product names of the MIDI input devices, by device number.
    virtual QStringList productNames() = 0;
    // Opens the device of this number if it still has this name and starts input; the
    // error's text otherwise. `waiting` is called on the user-interface thread when messages
    // wait.
    virtual std::optional<QString> open(int number, const QString& name,
                                        std::function<void()> waiting) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // The next message that waits.
    virtual std::optional<MidiEvent> take() = 0;
    // Messages lost since the device was opened: the console did not take them in time, or a
    // system exclusive block found no room.
    virtual uint64_t overflows() const = 0;
};

class ArtNetLibrary {
public:
    virtual ~ArtNetLibrary() = default;
    // Received DMX channel values: subnet, universe, channel (1..512), value; called on the
    // user-interface thread in order of arrival, between activate() and deactivate().
    using Receiver = std::function<void(int subnet, int universe, int channel, int value)>;
    // Starts reception; the error's text when it cannot start (reception stays off).
    virtual std::optional<QString> activate(Receiver receiver) = 0;
    virtual void deactivate() = 0;
    virtual bool isActive() const = 0;
    // The reception's own settings and counters (reception may stop when a new setting
    // cannot be applied; it says why).
    virtual void showConfig() = 0;
};

struct PlatformServices {
    // The desktop's monitors and display modes; null: the system's own.
    std::unique_ptr<DisplayScreens> screens;
    std::unique_ptr<MidiInputDevices> midi;
    std::unique_ptr<CaptureDevices> capture;
    // Loads the Art-Net library; null when it cannot be loaded.
    std::function<std::unique_ptr<ArtNetLibrary>()> loadArtNet;
};
