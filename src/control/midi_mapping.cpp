#include "control/midi_mapping.h"

std::optional<std::array<int, 3>> midiAddress(const MidiEvent& event)
{
    if (event.status == 0xF0)
        return std::array{0, 0, 0};
    if (event.status < 0x80 || event.status > 0xEF)
        return std::nullopt;
    return std::array{event.status & 0x0F, int(event.data1), int(event.data2)};
}

MidiMatch matchMidi(const QList<MidiMappingRow>& rows, const MidiEvent& event)
{
    MidiMatch match;
    const auto address = midiAddress(event);
    if (!address)
        return match;
    const auto [channel, data1, data2] = *address;
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
