#pragma once

#include "control/midi_event_buffer.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>

// One row of the MIDI map (table "midi"), text without trailing blanks.
struct MidiMappingRow {
    QString codice; // "Action" or "Command"
    QString tipo;   // Command rows: the control command's name
    int esegui = 0; // Action rows: the action's id
    int midi1 = 0;  // channel, 0..15
    int midi2 = 0;  // first data byte
    int midi3 = 0;  // second data byte (Action rows only)
};

// What one MIDI message asks for.
struct MidiMatch {
    std::optional<int> action; // the id of the action to run
    std::optional<QString> command;
    int value = 0; // for the command: the second data byte × 2
};

// The channel (0..15) and the two data bytes by which the map knows a message: a system
// exclusive block counts as channel 0 with both data bytes 0; other system messages (time
// code, song position, start / continue / stop ...) have none, as they are not a channel's.
std::optional<std::array<int, 3>> midiAddress(const MidiEvent& event);

// Matches a message against the map's rows, in the list's order. The action search takes the
// first row whose channel and both data bytes equal the message's, and runs it only when it is
// an Action row; the command search, independently, the first row whose channel and first data
// byte equal them, and runs it only when it is a Command row. The message's type (note, control
// change ...) is not compared; a message without an address matches nothing.
MidiMatch matchMidi(const QList<MidiMappingRow>& rows, const MidiEvent& event);
