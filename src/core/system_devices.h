#pragma once

#include "control/artnet_receiver.h"
#include "control/loss_report.h"
#include "core/platform_services.h"

class MidiInput;

// The machine's MIDI input (RtMidi: ALSA, or JACK where there is no sequencer).
class SystemMidiInput : public MidiInputDevices {
public:
    SystemMidiInput();
    ~SystemMidiInput() override;
    QStringList productNames() override;
    std::optional<QString> open(int number, const QString& name,
                                std::function<void()> waiting) override;
    void close() override;
    bool isOpen() const override;
    std::optional<MidiEvent> take() override;
    uint64_t overflows() const override;

private:
    std::unique_ptr<MidiInput> m_input;
};

// Art-Net reception of the program's own: the receiver on its thread, its settings in a file
// of the cache folder, and its configuration dialog. Values reach the console in batches of
// at most Batch a turn of the event loop; values that found the queue full are logged.
class SystemArtNet : public ArtNetLibrary {
public:
    static constexpr int Batch = 1024;
    // How soon values are looked at again while a player opens or stops a file.
    static constexpr int RetryMs = 5;

    explicit SystemArtNet(QString settingsPath);
    std::optional<QString> activate(Receiver receiver) override;
    void deactivate() override;
    bool isActive() const override { return m_receiver.isRunning(); }
    void showConfig() override;

    const ArtNetReceiver& receiver() const { return m_receiver; }

private:
    void deliver();

    QString m_settingsPath;
    ArtNetReceiver m_receiver;
    Receiver m_deliver;
    LossReport m_losses;
};
