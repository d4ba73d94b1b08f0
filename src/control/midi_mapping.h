#pragma once

#include "control/midi_event_buffer.h"

#include <QList>
#include <QString>
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

// Matches a message against the map's rows, in the list's order. The action search takes the
// first row whose channel and both data bytes equal the message's, and runs it only when it is
// an Action row; the command search, independently, the first row whose channel and first data
// byte equal them, and runs it only when it is a Command row. The message's type (note, control
// change ...) is not compared. Only channel messages (0x80-0xEF) take part, and a system
// exclusive block as channel 0 with both data bytes 0; other system messages (time code, song
// position, start / continue / stop ...) match nothing, as they are not a channel's.
MidiMatch matchMidi(const QList<MidiMappingRow>& rows, const MidiEvent& event);
