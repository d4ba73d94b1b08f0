#include "core/system_devices.h"

#include "control/midi_input.h"
#include "shared/player_wait.h"
#include "ui/artnet_dialog.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QTimer>

namespace {
Q_LOGGING_CATEGORY(artNetLog, "quillon.artnet")
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

SystemArtNet::SystemArtNet(QString settingsPath)
    : m_settingsPath(std::move(settingsPath))
    , m_losses([this] { return m_receiver.counters().overflows; },
               [](uint64_t lost) {
                   qCWarning(artNetLog).noquote()
                       << QStringLiteral("%1 DMX values found the queue full (each channel's "
                                         "latest value still arrives)")
                              .arg(lost);
               })
{
    QObject::connect(&m_receiver, &ArtNetReceiver::valuesWaiting, &m_receiver,
                     [this] { deliver(); });
}

std::optional<QString> SystemArtNet::activate(Receiver receiver)
{
    m_deliver = std::move(receiver);
    const auto error = m_receiver.start(ArtNetSettings::load(m_settingsPath));
    if (error)
        m_deliver = nullptr;
    return error;
}

void SystemArtNet::deactivate()
{
    m_deliver = nullptr;
    m_receiver.stop(); // what was waiting goes
}

void SystemArtNet::deliver()
{
    if (!m_deliver)
        return;
    if (PlayerWait::active()) { // the values wait in the receiver until the player is done
        QTimer::singleShot(RetryMs, &m_receiver, [this] { deliver(); });
        return;
    }
    m_losses.check();
    const QList<DmxValue> values = m_receiver.take(Batch);
    for (const DmxValue& value : values) {
        if (!m_deliver) // deactivated by a value's action
            return;
        m_deliver(value.subnet, value.universe, value.channel, value.value);
    }
    if (values.size() == Batch) // the rest after the event loop
        QTimer::singleShot(0, &m_receiver, [this] { deliver(); });
}

void SystemArtNet::showConfig()
{
    ArtNetDialog dialog(m_receiver, QApplication::activeWindow());
    const auto settings = dialog.ask(ArtNetSettings::load(m_settingsPath));
    if (!settings)
        return;
    if (!settings->save(m_settingsPath))
        QMessageBox::warning(QApplication::activeWindow(), "ArtNet Configuration",
                             "The settings cannot be written to " + m_settingsPath);
    if (!m_receiver.isRunning())
        return;
    // Listening again with the new settings.
    if (const auto error = m_receiver.start(*settings)) {
        m_deliver = nullptr;
        QMessageBox::warning(QApplication::activeWindow(), "ArtNet Configuration", *error);
    }
}
