#pragma once

#include "control/midi_event_buffer.h"

#include <QObject>
#include <QStringList>
#include <memory>
#include <optional>

class QSocketNotifier;
class RtMidiIn;

// The MIDI input device over RtMidi: ALSA's sequencer where the machine has one, else JACK.
// RtMidi calls back on its own thread (JACK's process thread); the callback only copies the
// message into the event buffer and, for the first message since the reader last looked,
// writes one byte to a pipe. The pipe's notifier on the user-interface thread says midiInput().
//
// Threads: everything but the callback on the user-interface thread; the callback touches only
// the buffer (its writer side) and the pipe's write end.
class MidiInput : public QObject {
    Q_OBJECT
public:
    explicit MidiInput(QObject* parent = nullptr);
    ~MidiInput() override;

    // The input ports there are now; empty (and logged) when the MIDI system cannot be reached.
    QStringList deviceNames();
    // Opens the port of this number if it still has this name (numbers shift when ports come
    // and go) and starts input; the error's text otherwise.
    std::optional<QString> open(int number, const QString& name);
    // Stops input: the client is shut down before the buffer goes.
    void close();
    bool isOpen() const { return m_in != nullptr; }

    // What arrived, for the reader on the user-interface thread; null while closed.
    MidiEventBuffer* buffer() const { return m_buffer.get(); }

signals:
    // Messages wait in the buffer.
    void midiInput();

private:
    static void received(double, std::vector<unsigned char>* message, void* self);
    void noticed();

    std::unique_ptr<RtMidiIn> m_in;
    std::unique_ptr<MidiEventBuffer> m_buffer;
    int m_pipe[2] = {-1, -1};
    QSocketNotifier* m_notifier = nullptr;
};
