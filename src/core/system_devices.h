#pragma once

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

// The machine's video capture devices (V4L2), for the live video lists.
class SystemCaptureDevices : public CaptureDevices {
public:
    QStringList videoDevices() override;
};
