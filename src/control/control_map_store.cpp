#include "control/control_map_store.h"

#include "data/read_dataset.h"
#include "data/write_dataset.h"
#include "data/write_operation.h"

namespace {
constexpr int DmxCommandValue = -1;
}

ControlMapStore::ControlMapStore(ControlMapKind kind, WriteDataset& rows, WriteOperation& write,
                                 std::function<void()> refresh)
    : m_kind(kind)
    , m_rows(rows)
    , m_write(write)
    , m_refresh(std::move(refresh))
{
}

QStringList ControlMapStore::addressColumns(ControlMapKind kind)
{
    if (kind == ControlMapKind::Midi)
        return {"midi1", "midi2", "midi3"};
    return {"universo", "subnet", "channel", "valore"};
}

bool ControlMapStore::isDmxCommand() const
{
    return m_kind == ControlMapKind::Dmx &&
           rightTrimmed(m_rows.value("codice").toString()) == QLatin1String("Command");
}

bool ControlMapStore::addAction(int actionId, const QString& actionName, const Address& address)
{
    const QStringList columns = addressColumns(m_kind);
    m_rows.setFilter(QStringLiteral("1 = 0")); // only the new row
    return m_write.run(
        {&m_rows},
        [&] {
            m_rows.append(); // the id comes from the generator
            m_rows.setValue("codice", "Action");
            m_rows.setValue("tipo", actionName.left(NameLength));
            m_rows.setValue("esegui", actionId);
            m_rows.setValue("fisso", 0);
            for (int i = 0; i < columns.size(); ++i)
                m_rows.setValue(columns.at(i), address.value(i));
        },
        m_refresh);
}

bool ControlMapStore::setAddress(int id, const Address& address)
{
    const QStringList columns = addressColumns(m_kind);
    return m_write.changeRow(
        m_rows, "id", id,
        [&] {
            for (int i = 0; i < columns.size(); ++i)
                m_rows.setValue(columns.at(i), address.value(i));
            if (isDmxCommand())
                m_rows.setValue("valore", DmxCommandValue);
        },
        m_refresh);
}

bool ControlMapStore::resetAddress(int id)
{
    return m_write.changeRow(
        m_rows, "id", id,
        [&] {
            for (const QString& column : addressColumns(m_kind))
                m_rows.setValue(column, 0);
        },
        m_refresh);
}

bool ControlMapStore::remove(int id)
{
    bool fixed = false;
    const bool removed = m_write.changeRow(
        m_rows, "id", id,
        [&] {
            fixed = m_kind == ControlMapKind::Midi && m_rows.value("fisso").toInt() == 1;
            if (!fixed)
                m_rows.remove();
        },
        m_refresh);
    return removed && !fixed;
}

bool ControlMapStore::factoryReset()
{
    return m_write.run(
        {&m_rows},
        [&] {
            for (int row = 0; m_rows.moveTo(row); ++row) {
                for (const QString& column : addressColumns(m_kind))
                    m_rows.setValue(column, 0);
                if (m_kind == ControlMapKind::Dmx && m_rows.value("fisso").toInt() != 0)
                    m_rows.setValue("valore", DmxCommandValue);
            }
        },
        m_refresh);
}
