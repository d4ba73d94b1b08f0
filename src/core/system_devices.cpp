#include "core/system_devices.h"

#include "control/midi_input.h"

#include "media/capture_devices.h"

QStringList SystemCaptureDevices::videoDevices()
{
    QStringList names;
    ListCaptureDevices(names, CaptureCategory::Video, false);
    return names;
}

SystemMidiInput::SystemMidiInput()
    : m_input(std::make_unique<MidiInput>())
{
}

SystemMidiInput::~SystemMidiInput() = default;

QStringList SystemMidiInput::productNames()
{
    return m_input->deviceNames();
}

std::optional<QString> SystemMidiInput::open(int number, const QString& name,
                                             std::function<void()> waiting)
{
    QObject::disconnect(m_input.get(), &MidiInput::midiInput, nullptr, nullptr);
    QObject::connect(m_input.get(), &MidiInput::midiInput, m_input.get(), std::move(waiting));
    return m_input->open(number, name);
}

void SystemMidiInput::close()
{
    m_input->close();
}

bool SystemMidiInput::isOpen() const
{
    return m_input->isOpen();
}

std::optional<MidiEvent> SystemMidiInput::take()
{
    return m_input->buffer() ? m_input->buffer()->take() : std::nullopt;
}

uint64_t SystemMidiInput::overflows() const
{
    const MidiEventBuffer* buffer = m_input->buffer();
    return buffer ? buffer->overflows() + buffer->sysexDropped() : 0;
}
