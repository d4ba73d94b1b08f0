#include "control/midi_input.h"

#include <QDebug>
#include <QFileInfo>
#include <QSocketNotifier>
#include <chrono>
#include <fcntl.h>
#include <rtmidi/RtMidi.h>
#include <unistd.h>

namespace {
RtMidi::Api systemApi()
{
    // Without an ALSA sequencer (no sound card, a container) JACK carries MIDI.
    return QFileInfo::exists("/dev/snd/seq") ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK;
}

std::unique_ptr<RtMidiIn> makeClient()
{
    auto client = std::make_unique<RtMidiIn>(systemApi(), "Quillon");
    // Every message reaches the buffer, whose own filter drops what the console ignores
    // (RtMidi's timing filter would drop time code too).
    client->ignoreTypes(false, false, false);
    return client;
}

uint32_t milliseconds()
{
    using namespace std::chrono;
    return uint32_t(
        duration_cast<std::chrono::milliseconds>(steady_clock::now().time_since_epoch()).count());
}
} // namespace

MidiInput::MidiInput(QObject* parent)
    : QObject(parent)
{
    if (pipe2(m_pipe, O_NONBLOCK | O_CLOEXEC) == 0) {
        m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &MidiInput::noticed);
    }
}

MidiInput::~MidiInput()
{
    close();
    for (const int fd : m_pipe)
        if (fd >= 0)
            ::close(fd);
}

QStringList MidiInput::deviceNames()
{
    QStringList names;
    try {
        const std::unique_ptr<RtMidiIn> probe = isOpen() ? nullptr : makeClient();
        RtMidiIn& client = probe ? *probe : *m_in;
        for (unsigned port = 0; port < client.getPortCount(); ++port)
            names.append(QString::fromStdString(client.getPortName(port)));
    } catch (const RtMidiError& error) {
        qWarning().noquote() << "MIDI:" << QString::fromStdString(error.getMessage());
    }
    return names;
}

std::optional<QString> MidiInput::open(int number, const QString& name)
{
    close();
    try {
        std::unique_ptr<RtMidiIn> client = makeClient();
        if (number < 0 || unsigned(number) >= client->getPortCount() ||
            QString::fromStdString(client->getPortName(unsigned(number))) != name)
            return QStringLiteral("MIDI Input Device %1 not installed ").arg(name);
        m_buffer = std::make_unique<MidiEventBuffer>();
        client->setCallback(&MidiInput::received, this);
        client->openPort(unsigned(number), "Quillon input");
        m_in = std::move(client);
    } catch (const RtMidiError& error) {
        m_buffer.reset();
        return QString::fromStdString(error.getMessage());
    }
    return std::nullopt;
}

void MidiInput::close()
{
    if (!m_in)
        return;
    // The callback may be running: the client goes (and waits for it) before the buffer.
    m_in->cancelCallback();
    m_in->closePort();
    m_in.reset();
    m_buffer.reset();
}

void MidiInput::received(double, std::vector<unsigned char>* message, void* self)
{
    auto* input = static_cast<MidiInput*>(self);
    if (message->empty() || !input->m_buffer)
        return;
    MidiEventBuffer& buffer = *input->m_buffer;
    const uint32_t time = milliseconds();
    bool put = false;
    if ((*message)[0] == 0xF0) {
        put = buffer.putSysex(message->data(), message->size(), time);
    } else {
        uint32_t packed = 0;
        for (size_t i = 0; i < std::min<size_t>(3, message->size()); ++i)
            packed |= uint32_t((*message)[i]) << (8 * i);
        put = buffer.putShort(packed, time);
    }
    if (put && buffer.claimNotice()) {
        const char wake = 1;
        (void)!write(input->m_pipe[1], &wake, 1); // never blocks: the pipe is non-blocking
    }
}

void MidiInput::noticed()
{
    char drained[64];
    while (read(m_pipe[0], drained, sizeof drained) > 0) {
    }
    if (!m_buffer)
        return;
    m_buffer->noticeTaken(); // before the reader drains, so no wake-up is lost
    if (m_buffer->count() > 0)
        emit midiInput();
}
