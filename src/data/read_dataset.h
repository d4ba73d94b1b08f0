#pragma once

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

class ReadDataset;

// Columns computed for every row when it is read, never stored.
struct CalculatedColumns {
    QStringList names;
    // Gets the dataset positioned on the row; returns one value per name.
    std::function<QVariantList(const ReadDataset& row)> compute;
};

// A read query whose rows are fetched whole into memory, with a cursor over them.
// Lives on the user-interface thread, like every database object.
class ReadDataset {
public:
    ReadDataset(QString name, QString sql, CalculatedColumns calculated = {});

    const QString& name() const { return m_name; }
    const QString& sql() const { return m_sql; }
    // Replaces the query text; values reach it as positional parameters ('?').
    void setSql(const QString& sql, const QVariantList& parameters = {});

    // Runs the query and fetches every row; the cursor goes to the first row.
    // Throws DatabaseError when the query fails.
    void open(const QSqlDatabase& db);
    void close();
    bool isOpen() const { return m_open; }

    int count() const { return int(m_rows.size()); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    // Zero-based row of the cursor; -1 when there are no rows.
    int recNo() const { return m_rows.isEmpty() ? -1 : m_cursor; }
    void first() { m_cursor = 0; }
    void last() { m_cursor = qMax(0, count() - 1); }
    bool next();  // false (and the cursor stays) at the last row
    bool prior(); // false at the first row
    bool moveTo(int row);

    // Moves the cursor to the first row whose column equals the value; text compares
    // without trailing blanks, since fixed-width columns come back padded. Stays put when no
    // row matches.
    bool locate(const QString& column, const QVariant& value);

    bool hasColumn(const QString& column) const { return m_index.contains(column); }
    const QStringList& columns() const { return m_columns; }

    // Values of the current row. An unknown column or an empty dataset gives a null value.
    QVariant value(const QString& column) const { return valueAt(m_cursor, column); }
    QVariant valueAt(int row, const QString& column) const;
    // Text with trailing blanks removed; null reads as empty; a blob reads as UTF-8 text.
    QString text(const QString& column) const { return textAt(m_cursor, column); }
    QString textAt(int row, const QString& column) const;
    qint64 integer(const QString& column) const { return value(column).toLongLong(); }

private:
    QString m_name;
    QString m_sql;
    QVariantList m_parameters;
    CalculatedColumns m_calculated;
    bool m_open = false;
    QStringList m_columns;
    QHash<QString, int> m_index;
    QList<QVariantList> m_rows;
    int m_cursor = 0;
};

QString rightTrimmed(const QString& text);
// A column value as text: trailing blanks removed, null as empty, a blob as UTF-8.
QString variantText(const QVariant& value);
// Whether a stored value equals a value looked for: text ignores trailing blanks (fixed-width
// columns come back padded), null equals nothing.
bool sameValue(const QVariant& stored, const QVariant& wanted);
