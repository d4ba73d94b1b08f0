#include "control/midi_mapping.h"

MidiMatch matchMidi(const QList<MidiMappingRow>& rows, const MidiEvent& event)
{
    MidiMatch match;
    int channel = event.status & 0x0F;
    int data1 = event.data1;
    int data2 = event.data2;
    if (event.status == 0xF0) {
        channel = data1 = data2 = 0;
    } else if (event.status < 0x80 || event.status > 0xEF) {
        return match;
    }
    for (const MidiMappingRow& row : rows) {
        if (row.midi1 == channel && row.midi2 == data1 && row.midi3 == data2) {
            if (row.codice == QLatin1String("Action"))
                match.action = row.esegui;
            break;
        }
    }
    for (const MidiMappingRow& row : rows) {
        if (row.midi1 == channel && row.midi2 == data1) {
            if (row.codice == QLatin1String("Command")) {
                match.command = row.tipo;
                match.value = data2 * 2;
            }
            break;
        }
    }
    return match;
}
