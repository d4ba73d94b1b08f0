#include "control/dmx_mapping.h"

qint64 DmxMapping::key(int universe, int subnet, int channel, int value)
{
    // Each part within 16 bits (a stored value may be anything the database holds).
    return (qint64(quint16(universe)) << 48) | (qint64(quint16(subnet)) << 32) |
           (qint64(quint16(channel)) << 16) | quint16(value);
}

void DmxMapping::load(const QList<DmxMappingRow>& rows)
{
    m_byValue.clear();
    m_byAddress.clear();
    for (const DmxMappingRow& row : rows) {
        const qint64 full = key(row.universo, row.subnet, row.channel, row.valore);
        if (!m_byValue.contains(full))
            m_byValue.insert(full, row.codice == QLatin1String("Action") ? std::optional(row.esegui)
                                                                         : std::nullopt);
        if (row.valore == -1) {
            const qint64 address = key(row.universo, row.subnet, row.channel, -1);
            if (!m_byAddress.contains(address))
                m_byAddress.insert(address,
                                   row.codice == QLatin1String("Command") ? row.tipo : QString());
        }
    }
}

DmxMatch DmxMapping::match(int subnet, int universe, int channel, int value) const
{
    DmxMatch match;
    const auto action = m_byValue.constFind(key(universe, subnet, channel, value));
    if (action != m_byValue.constEnd())
        match.action = *action;
    const auto command = m_byAddress.constFind(key(universe, subnet, channel, -1));
    if (command != m_byAddress.constEnd() && !command->isEmpty())
        match.command = *command;
    return match;
}
