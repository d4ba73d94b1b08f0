#include "automation/connection_store.h"

#include "data/show_database.h"
#include "data/write_operation.h"

bool isConnectionAddress(const QString& text)
{
    if (text.size() >= 16 || text.startsWith('.') || text.count('.') < 3)
        return false;
    int digits = 0;
    int value = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == '.') {
            if (i + 1 >= text.size() || !text.at(i + 1).isDigit())
                return false;
            digits = value = 0;
            continue;
        }
        if (!c.isDigit() || c.unicode() > '9')
            return false;
        value = value * 10 + (c.unicode() - '0');
        if (++digits > 3 || value > 255)
            return false;
    }
    return true;
}

ConsoleControl::Connection connectionAt(const ReadDataset& list, int row)
{
    const QVariant type = list.valueAt(row, "tipo");
    return {list.valueAt(row, "id").toInt(), type.isNull() ? -1 : type.toInt(),
            list.textAt(row, "host"),        list.valueAt(row, "port").toInt(),
            list.textAt(row, "url"),         list.textAt(row, "username"),
            list.textAt(row, "password")};
}

ConnectionStore::ConnectionStore(ShowDatabase& database, WriteOperation& write, Refresh refresh)
    : m_database(database)
    , m_write(write)
    , m_refresh(std::move(refresh))
{
}

void ConnectionStore::write(const ConsoleControl::Connection& row, const QString& name)
{
    WriteDataset& rows = m_database.dbsConn;
    const bool typed = row.tipo >= 0 && row.tipo < TypeNames.size();
    rows.setValue("nome", name);
    rows.setValue("tipo", row.tipo);
    rows.setValue("tiponome", typed ? TypeNames.at(row.tipo) : QString());
    rows.setValue("host", row.host);
    rows.setValue("port", row.port > 0 ? QVariant(row.port) : QVariant());
    rows.setValue("username", row.username);
    rows.setValue("password", row.password);
    rows.setValue("url", row.url);
}

std::optional<int> ConnectionStore::add(const ConsoleControl::Connection& row, const QString& name)
{
    WriteDataset& rows = m_database.dbsConn;
    rows.setFilter(QStringLiteral("1 = 0")); // only the new row
    int id = 0;
    const bool written = m_write.run(
        {&rows},
        [&] {
            id = m_database.nextValue(ShowDatabase::Maximum::ConnectionId);
            rows.append();
            rows.setValue("id", id);
            write(row, name);
        },
        [&] { m_refresh(id); });
    return written ? std::optional<int>(id) : std::nullopt;
}

bool ConnectionStore::edit(int id, const ConsoleControl::Connection& row, const QString& name)
{
    return m_write.changeRow(
        m_database.dbsConn, "id", id, [&] { write(row, name); }, [&] { m_refresh(id); });
}

bool ConnectionStore::remove(int id)
{
    WriteDataset& rows = m_database.dbsConn;
    return m_write.changeRow(
        rows, "id", id, [&] { rows.remove(); }, [&] { m_refresh(1); });
}
