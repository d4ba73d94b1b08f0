#pragma once

#include "automation/console_control.h"

#include <QString>
#include <functional>
#include <optional>

class ReadDataset;
class ShowDatabase;
class WriteOperation;

// Whether a text is an address the connection dialog takes: shorter than 16 characters, not
// starting with ".", digits and dots only, each group at most three digits below 256, every
// dot followed by a digit, at least three dots ("1.2.3.4.5" passes, as it always has).
bool isConnectionAddress(const QString& text);

// The connection of a row of the connection list, text without trailing blanks.
ConsoleControl::Connection connectionAt(const ReadDataset& list, int row);

// The stored connections (table "connessioni"): each change is one write operation that ends
// by refreshing the console with that connection current.
class ConnectionStore {
public:
    static inline const QStringList TypeNames = {"TCP", "UDP", "HTTP", "QVX"};

    using Refresh = std::function<void(int connection)>;
    ConnectionStore(ShowDatabase& database, WriteOperation& write, Refresh refresh);

    // A new connection with the largest id + 1 (`id` of the row is ignored); its id, or none.
    std::optional<int> add(const ConsoleControl::Connection& row, const QString& name);
    bool edit(int id, const ConsoleControl::Connection& row, const QString& name);
    // Scripts that name the id keep it.
    bool remove(int id);

private:
    void write(const ConsoleControl::Connection& row, const QString& name);

    ShowDatabase& m_database;
    WriteOperation& m_write;
    Refresh m_refresh;
};
