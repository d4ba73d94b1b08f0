#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <optional>

// One row of the DMX map (table "dmx"), text without trailing blanks.
struct DmxMappingRow {
    QString codice; // "Action" or "Command"
    QString tipo;   // Command rows: the control command's name
    int esegui = 0; // Action rows: the action's id
    int universo = 0;
    int subnet = 0;
    int channel = 0;
    int valore = 0; // Action rows: the value that runs the action; Command rows: -1
};

// What one channel value asks for.
struct DmxMatch {
    std::optional<int> action; // the id of the action to run
    std::optional<QString> command;
};

// The DMX map indexed by address, built once per reading of the map, so that a value costs
// two look-ups however long the map. The action search takes the first row in the map's
// order whose address and value equal the channel's, and runs it only when it is an Action
// row; the command search, independently, the first row with the channel's address and the
// value -1, and runs it only when it is a Command row.
class DmxMapping {
public:
    void load(const QList<DmxMappingRow>& rows);
    DmxMatch match(int subnet, int universe, int channel, int value) const;

private:
    static qint64 key(int universe, int subnet, int channel, int value);
    QHash<qint64, std::optional<int>> m_byValue; // the first row's action id, none for a Command
    QHash<qint64, QString> m_byAddress;          // the first -1 row's command name, or empty
};
