#include "data/write_dataset.h"

#include "data/database_error.h"
#include "data/read_dataset.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
QString quoted(const QString& identifier)
{
    return '"' + identifier + '"';
}

// Runs one generated statement with its parameters taken by name.
void execute(const QSqlDatabase& db, const QString& sql,
             const std::function<QVariant(const QString&)>& parameter)
{
    const auto [text, names] = positionalParameters(sql);
    QSqlQuery query(db);
    if (!query.prepare(text))
        throw DatabaseError(query.lastError());
    for (const QString& name : names)
        query.addBindValue(parameter(name));
    if (!query.exec())
        throw DatabaseError(query.lastError());
}
} // namespace

std::pair<QString, QStringList> positionalParameters(const QString& sql)
{
    static const QRegularExpression parameter(QStringLiteral(R"(:"([^"]+)\")"));
    QStringList names;
    QString text;
    qsizetype from = 0;
    for (auto it = parameter.globalMatch(sql); it.hasNext();) {
        const auto match = it.next();
        text += sql.mid(from, match.capturedStart() - from) + '?';
        names.append(match.captured(1));
        from = match.capturedEnd();
    }
    text += sql.mid(from);
    return {text, names};
}

WriteDataset::WriteDataset(QString name, QString table, QString keyColumn, QString selectSql)
    : m_name(std::move(name))
    , m_table(std::move(table))
    , m_key(std::move(keyColumn))
    , m_select(std::move(selectSql))
{
}

void WriteDataset::open(const QSqlDatabase& db)
{
    const QString filter = m_filter; // close() forgets it
    const QVariantList filterValues = m_filterValues;
    close();
    QSqlQuery query(db);
    query.setForwardOnly(true);
    QString sql = m_select;
    if (!filter.isEmpty()) {
        // The condition goes before any "order by" of the select.
        const qsizetype order = sql.indexOf(QStringLiteral(" order by "), 0, Qt::CaseInsensitive);
        const QString where = QStringLiteral(" where ") + filter;
        if (order >= 0)
            sql.insert(order, where);
        else
            sql += where;
    }
    if (!query.prepare(sql))
        throw DatabaseError(query.lastError());
    for (const QVariant& value : filterValues)
        query.addBindValue(value);
    if (!query.exec())
        throw DatabaseError(query.lastError());
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i) {
        m_columns.append(record.fieldName(i));
        m_index.insert(record.fieldName(i), i);
    }
    if (!m_index.contains(m_key))
        throw DatabaseError(
            QStringLiteral("Table \"%1\" has no key column \"%2\"").arg(m_table, m_key));
    while (query.next()) {
        Row row;
        for (int i = 0; i < record.count(); ++i)
            row.values.append(query.value(i));
        row.oldKey = row.values.at(m_index.value(m_key));
        m_rows.append(std::move(row));
    }
    m_open = true;
}

void WriteDataset::setFilter(const QString& condition, const QVariantList& values)
{
    m_filter = condition;
    m_filterValues = values;
}

void WriteDataset::close()
{
    m_open = false;
    m_filter.clear();
    m_filterValues.clear();
    m_columns.clear();
    m_index.clear();
    m_rows.clear();
    m_deletedKeys.clear();
    m_cursor = 0;
}

QString WriteDataset::insertSql() const
{
    QStringList columns, parameters;
    for (const QString& column : m_columns) {
        columns.append(quoted(column));
        parameters.append(':' + quoted(column));
    }
    return QStringLiteral("insert into %1\n  (%2)\nvalues\n  (%3)")
        .arg(quoted(m_table), columns.join(", "), parameters.join(", "));
}

QString WriteDataset::updateSql() const
{
    QStringList assignments;
    for (const QString& column : m_columns)
        assignments.append(QStringLiteral("  %1.%2 = :%2").arg(quoted(m_table), quoted(column)));
    return QStringLiteral("update %1\nset\n%2\nwhere\n  %1.%3 = :%4")
        .arg(quoted(m_table), assignments.join(",\n"), quoted(m_key), quoted("OLD_" + m_key));
}

QString WriteDataset::deleteSql() const
{
    return QStringLiteral("delete from %1\nwhere\n  %1.%2 = :%3")
        .arg(quoted(m_table), quoted(m_key), quoted("OLD_" + m_key));
}

int WriteDataset::columnIndex(const QString& column) const
{
    const auto it = m_index.constFind(column);
    if (it == m_index.cend())
        throw DatabaseError(QStringLiteral("Field '%1' not found").arg(column));
    return *it;
}

WriteDataset::Row& WriteDataset::current()
{
    if (m_rows.isEmpty())
        throw DatabaseError(QStringLiteral("Dataset %1 is empty").arg(m_name));
    return m_rows[m_cursor];
}

bool WriteDataset::locate(const QString& column, const QVariant& value)
{
    const int index = columnIndex(column);
    for (int row = 0; row < count(); ++row) {
        if (sameValue(m_rows.at(row).values.at(index), value)) {
            m_cursor = row;
            return true;
        }
    }
    return false;
}

bool WriteDataset::moveTo(int row)
{
    if (row < 0 || row >= count())
        return false;
    m_cursor = row;
    return true;
}

QVariant WriteDataset::value(const QString& column) const
{
    if (m_rows.isEmpty())
        return {};
    return m_rows.at(m_cursor).values.at(columnIndex(column));
}

void WriteDataset::append()
{
    if (!m_open)
        throw DatabaseError(QStringLiteral("Dataset %1 is not open").arg(m_name));
    Row row;
    row.values.resize(m_columns.size());
    row.state = RowState::Inserted;
    m_rows.append(std::move(row));
    m_cursor = count() - 1;
}

void WriteDataset::setValue(const QString& column, const QVariant& value)
{
    const int index = columnIndex(column);
    Row& row = current();
    row.values[index] = value;
    if (row.state == RowState::Unchanged)
        row.state = RowState::Modified;
}

void WriteDataset::swapValues(const QString& column, const QVariant& keyA, const QVariant& keyB)
{
    if (!locate(m_key, keyA))
        return;
    const QVariant valueA = value(column);
    if (!locate(m_key, keyB))
        return;
    const QVariant valueB = value(column);
    setValue(column, valueA);
    locate(m_key, keyA);
    setValue(column, valueB);
}

void WriteDataset::remove()
{
    Row& row = current();
    if (row.state != RowState::Inserted)
        m_deletedKeys.append(row.oldKey);
    m_rows.removeAt(m_cursor);
    m_cursor = qBound(0, m_cursor, qMax(0, count() - 1));
}

void WriteDataset::applyUpdates(const QSqlDatabase& db)
{
    const QString oldKey = "OLD_" + m_key;
    for (const QVariant& key : std::as_const(m_deletedKeys))
        execute(db, deleteSql(), [&](const QString&) { return key; });
    for (const RowState state : {RowState::Modified, RowState::Inserted}) {
        const QString sql = state == RowState::Modified ? updateSql() : insertSql();
        for (const Row& row : std::as_const(m_rows)) {
            if (row.state != state)
                continue;
            execute(db, sql, [&](const QString& name) {
                return name == oldKey ? row.oldKey : row.values.at(m_index.value(name));
            });
        }
    }
}
