#include "data/read_dataset.h"

#include "data/database_error.h"

#include <QSqlQuery>
#include <QSqlRecord>

QString rightTrimmed(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    return text.left(end);
}

QString variantText(const QVariant& value)
{
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QByteArray)
        return rightTrimmed(QString::fromUtf8(value.toByteArray()));
    return rightTrimmed(value.toString());
}

bool sameValue(const QVariant& stored, const QVariant& wanted)
{
    if (stored.isNull() || wanted.isNull())
        return false;
    if (wanted.typeId() == QMetaType::QString)
        return variantText(stored) == rightTrimmed(wanted.toString());
    return stored == wanted;
}

ReadDataset::ReadDataset(QString name, QString sql, CalculatedColumns calculated)
    : m_name(std::move(name))
    , m_sql(std::move(sql))
    , m_calculated(std::move(calculated))
{
}

void ReadDataset::setSql(const QString& sql, const QVariantList& parameters)
{
    m_sql = sql;
    m_parameters = parameters;
}

void ReadDataset::open(const QSqlDatabase& db)
{
    // Read into a fresh copy: when the query fails, the rows read last stay on screen.
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(m_sql))
        throw DatabaseError(query.lastError());
    for (const QVariant& parameter : m_parameters)
        query.addBindValue(parameter);
    if (!query.exec())
        throw DatabaseError(query.lastError());

    close();
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i)
        m_columns.append(record.fieldName(i));
    m_columns.append(m_calculated.names);
    for (int i = 0; i < m_columns.size(); ++i)
        m_index.insert(m_columns.at(i), i);

    const int stored = record.count();
    while (query.next()) {
        QVariantList row;
        row.reserve(m_columns.size());
        for (int i = 0; i < stored; ++i)
            row.append(query.value(i));
        m_rows.append(std::move(row));
    }
    m_open = true;
    if (m_calculated.compute) {
        for (m_cursor = 0; m_cursor < count(); ++m_cursor)
            m_rows[m_cursor].append(m_calculated.compute(*this));
    }
    m_cursor = 0;
}

void ReadDataset::close()
{
    m_open = false;
    m_columns.clear();
    m_index.clear();
    m_rows.clear();
    m_cursor = 0;
}

bool ReadDataset::next()
{
    if (m_cursor + 1 >= count())
        return false;
    ++m_cursor;
    return true;
}

bool ReadDataset::prior()
{
    if (m_cursor <= 0)
        return false;
    --m_cursor;
    return true;
}

bool ReadDataset::moveTo(int row)
{
    if (row < 0 || row >= count())
        return false;
    m_cursor = row;
    return true;
}

bool ReadDataset::locate(const QString& column, const QVariant& value)
{
    const auto it = m_index.constFind(column);
    if (it == m_index.cend())
        return false;
    for (int row = 0; row < count(); ++row) {
        if (sameValue(m_rows.at(row).at(*it), value)) {
            m_cursor = row;
            return true;
        }
    }
    return false;
}

QVariant ReadDataset::valueAt(int row, const QString& column) const
{
    const auto it = m_index.constFind(column);
    if (it == m_index.cend() || row < 0 || row >= count())
        return {};
    const QVariantList& values = m_rows.at(row);
    return *it < values.size() ? values.at(*it) : QVariant();
}

QString ReadDataset::textAt(int row, const QString& column) const
{
    return variantText(valueAt(row, column));
}
