#pragma once

#include <QSqlError>
#include <QString>
#include <stdexcept>

// A refusal of the database: the text is what the operator is shown.
class DatabaseError : public std::runtime_error {
public:
    explicit DatabaseError(const QString& message)
        : std::runtime_error(message.toStdString())
    {
    }
    explicit DatabaseError(const QSqlError& error)
        : DatabaseError(describe(error))
    {
    }

    QString message() const { return QString::fromStdString(what()); }

    static QString describe(const QSqlError& error)
    {
        const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
        return text.trimmed();
    }
};
