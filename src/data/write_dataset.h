#pragma once

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

// A table opened on the write connection that collects inserts, edits and deletes locally
// and sends them to the database in one step (cached updates) with generated statements:
// an insert of every column, an update of every column and a delete, both by the old key.
class WriteDataset {
public:
    WriteDataset(QString name, QString table, QString keyColumn, QString selectSql);

    const QString& name() const { return m_name; }
    const QString& table() const { return m_table; }
    const QString& keyColumn() const { return m_key; }

    // Selects every row (or, after setFilter, the rows the filter keeps) and learns the
    // table's columns. Throws DatabaseError.
    void open(const QSqlDatabase& db);
    // Limits the next open to the rows a condition keeps, e.g. "\"codice\" = ?", with its
    // values as parameters; a large show then loads only the rows a change concerns. Cleared
    // by close().
    void setFilter(const QString& condition, const QVariantList& values = {});
    // Drops the rows and every change not yet applied.
    void close();
    bool isOpen() const { return m_open; }

    // The generated statements; parameters are written :"column" and :"OLD_key".
    QString insertSql() const;
    QString updateSql() const;
    QString deleteSql() const;

    int count() const { return int(m_rows.size()); }
    bool locate(const QString& column, const QVariant& value);
    bool moveTo(int row);
    int recNo() const { return m_rows.isEmpty() ? -1 : m_cursor; }
    QVariant value(const QString& column) const;

    // Adds an empty row (every column null) and makes it current.
    void append();
    // Changes a column of the current row; the row keeps the key it was read with, so the
    // update finds it even when the key itself changes.
    void setValue(const QString& column, const QVariant& value);
    // Swaps a column's values between the two rows of those keys (moving one of two rows up
    // or down a list); nothing when either row is missing.
    void swapValues(const QString& column, const QVariant& keyA, const QVariant& keyB);
    // Marks the current row for deletion and removes it from the rows.
    void remove();

    // Sends the collected changes on db, inside the transaction the caller started:
    // deletes, then updates, then inserts. Throws DatabaseError at the first refusal; the
    // changes stay collected until close().
    void applyUpdates(const QSqlDatabase& db);

private:
    enum class RowState { Unchanged, Modified, Inserted };
    struct Row {
        QVariantList values;
        QVariant oldKey;
        RowState state = RowState::Unchanged;
    };
    int columnIndex(const QString& column) const;
    Row& current();

    QString m_name;
    QString m_table;
    QString m_key;
    QString m_select;
    QString m_filter;
    QVariantList m_filterValues;
    bool m_open = false;
    QStringList m_columns;
    QHash<QString, int> m_index;
    QList<Row> m_rows;
    QVariantList m_deletedKeys;
    int m_cursor = 0;
};

// Turns :"name" parameters into positional ones; returns the text and the names in order.
std::pair<QString, QStringList> positionalParameters(const QString& sql);
