#pragma once

#include <QHash>
#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>

class QTcpServer;
class QTcpSocket;
class QTimer;

// The TCP command server: a client connects, sends one line of commands ("." may stand for ",",
// "|" between commands, CR LF or LF at the end) and the connection closes; nothing is sent
// back. Each whole message is handed over, in the order the lines arrived, to be run; the
// server keeps listening meanwhile. Over-long lines and idle connections are cut off, and a
// flood of connections that send nothing gives way to new ones; a line without its line feed
// runs nothing.
//
// User-interface thread only (Qt's sockets do not block it).
class RemoteCommandServer : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxCommands = 21;
    static constexpr int MaxLineBytes = 4096;
    // Connections open at once; a new one beyond this closes the one open longest.
    static constexpr int MaxConnections = 256;
    static constexpr int IdleMs = 5000;

    // Receives each message: its commands as script lines, and the sender as "address:port".
    using Deliver = std::function<void(const QStringList& commands, const QString& peer)>;

    explicit RemoteCommandServer(Deliver deliver, QObject* parent = nullptr);
    ~RemoteCommandServer() override;

    // Listens on every local address; the network's error text when it cannot.
    std::optional<QString> start(quint16 port);
    void stop();
    bool listening() const;
    quint16 port() const;

    // A received line as commands: CR and trailing blanks and control characters dropped,
    // "." turned into ",", split at "|". None when it holds more than MaxCommands.
    static std::optional<QStringList> commandsOf(const QByteArray& line);

private:
    void accept();
    void read(QTcpSocket* client);
    void drop(QTcpSocket* client);

    Deliver m_deliver;
    QTcpServer* m_server;
    QHash<QTcpSocket*, QByteArray> m_pending; // what each open connection has sent so far
    QList<QTcpSocket*> m_opened;              // the open connections, oldest first
};
