#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class WriteDataset;
class WriteOperation;

// The two control maps: MIDI messages (table "midi") and DMX channels (table "dmx") tied to
// actions and to the ten control commands. Both hold Action rows, which the operator makes,
// and fixed Command rows, one per control command, that come with a new show. A row's address
// is what it answers to: MIDI channel, first and second data byte; DMX universe, subnet,
// channel and value. Their rules differ in two points: a DMX Command row is found by the
// value -1, which saving and a factory reset give it back; the MIDI map never deletes a fixed
// row, the DMX map deletes any.
enum class ControlMapKind { Midi, Dmx };

class ControlMapStore {
public:
    using Address = QList<int>;
    static constexpr int NameLength = 20;

    // `refresh` reloads the console's lists after a write (keeping its selections).
    ControlMapStore(ControlMapKind kind, WriteDataset& rows, WriteOperation& write,
                    std::function<void()> refresh);

    ControlMapKind kind() const { return m_kind; }
    // The address columns, in the order of an Address.
    static QStringList addressColumns(ControlMapKind kind);

    // Each returns false when the row is gone, the change is refused or the write failed
    // (the write operation has shown why).

    // A new Action row for the action, its name cut to 20 characters.
    bool addAction(int actionId, const QString& actionName, const Address& address);
    // The row's address; a DMX Command row keeps the value -1.
    bool setAddress(int id, const Address& address);
    // The row's address to 0, its value too (a DMX Command row is then unmapped until saved).
    bool resetAddress(int id);
    bool remove(int id);
    // Every row's address to 0 in one transaction; DMX fixed rows get the value -1 back.
    bool factoryReset();

private:
    bool isDmxCommand() const;

    ControlMapKind m_kind;
    WriteDataset& m_rows;
    WriteOperation& m_write;
    std::function<void()> m_refresh;
};
