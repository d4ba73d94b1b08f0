#pragma once

#include "automation/connection_store.h"
#include "shared/settings_files.h"

#include <QObject>
#include <optional>
#include <utility>

class ConnectionSenders;
class QNetworkAccessManager;
class ShowDatabase;

// What the connection commands ask of the console.
class ConnectionCommandsHost {
public:
    virtual ~ConnectionCommandsHost() = default;
    // The "Connections" dialog filled with a row and its name; what was saved, or none.
    virtual std::optional<std::pair<ConsoleControl::Connection, QString>>
    askConnection(const ConsoleControl::Connection& row, const QString& name) = 0;
    virtual bool askYesNo(const QString& question) = 0;
    virtual void inform(const QString& text) = 0;
    virtual void showError(const QString& text) = 0;
    // A program file to start; none when cancelled.
    virtual std::optional<QString> chooseProgram() = 0;
};

// The gestures of the connection list and its menu: create, edit, delete and test the current
// connection, and open a remote desktop viewer on its address. The test reports on its own
// time: the console goes on while it waits.
class ConnectionCommands : public QObject {
    Q_OBJECT
public:
    static constexpr int TestTimeoutMs = 5000;

    ConnectionCommands(ShowDatabase& database, ConnectionStore& store, ConnectionSenders& senders,
                       SettingsFiles settings, ConnectionCommandsHost& host,
                       QObject* parent = nullptr);

    void create();
    void edit();
    void remove();
    void test();
    // "Set vnc viewer" and "Vnc connect".
    void setViewer();
    void vncConnect();

private:
    std::optional<ConsoleControl::Connection> current() const;
    void report(const QString& type, bool ok);

    ShowDatabase& m_database;
    ConnectionStore& m_store;
    ConnectionSenders& m_senders;
    SettingsFiles m_settings;
    ConnectionCommandsHost& m_host;
    QNetworkAccessManager* m_http;
};
