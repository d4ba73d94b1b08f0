#include "automation/remote_command_server.h"

#include "automation/script_interpreter.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {
QString peerOf(const QTcpSocket* client)
{
    // An IPv4 client of a server on every address shows as ::ffff:a.b.c.d.
    QHostAddress address = client->peerAddress();
    bool isIPv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIPv4);
    if (isIPv4)
        address = QHostAddress(ipv4);
    return QStringLiteral("%1:%2").arg(address.toString()).arg(client->peerPort());
}
} // namespace

RemoteCommandServer::RemoteCommandServer(Deliver deliver, QObject* parent)
    : QObject(parent)
    , m_deliver(std::move(deliver))
    , m_server(new QTcpServer(this))
{
    m_server->setMaxPendingConnections(MaxConnections);
    connect(m_server, &QTcpServer::newConnection, this, &RemoteCommandServer::accept);
}

RemoteCommandServer::~RemoteCommandServer()
{
    stop();
}

std::optional<QString> RemoteCommandServer::start(quint16 port)
{
    stop();
    if (!m_server->listen(QHostAddress::Any, port))
        return m_server->errorString();
    return std::nullopt;
}

void RemoteCommandServer::stop()
{
    m_server->close();
    for (QTcpSocket* client : m_pending.keys())
        drop(client);
}

bool RemoteCommandServer::listening() const
{
    return m_server->isListening();
}

quint16 RemoteCommandServer::port() const
{
    return m_server->serverPort();
}

std::optional<QStringList> RemoteCommandServer::commandsOf(const QByteArray& line)
{
    QString text = QString::fromUtf8(line);
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).unicode() <= ' ')
        --end;
    text.truncate(end);
    text.replace('.', ',');
    const QStringList commands = text.split('|');
    if (commands.size() > MaxCommands)
        return std::nullopt;
    return commands;
}

void RemoteCommandServer::accept()
{
    while (QTcpSocket* client = m_server->nextPendingConnection()) {
        if (m_opened.size() >= MaxConnections) {
            // Whoever waits longest without a whole line gives way: a flood of idle
            // connections never locks out the desk.
            qCWarning(automationLog).noquote()
                << "Command server: too many connections; closed the oldest, from"
                << peerOf(m_opened.first());
            drop(m_opened.first());
        }
        m_pending.insert(client, {});
        m_opened.append(client);
        connect(client, &QTcpSocket::readyRead, this, [this, client] { read(client); });
        connect(client, &QTcpSocket::disconnected, this, [this, client] { drop(client); });
        // A connection that sends nothing holds no place for ever.
        QTimer::singleShot(IdleMs, client, [this, client] {
            qCInfo(automationLog).noquote()
                << "Command server: no line from" << peerOf(client) << "; closed";
            drop(client);
        });
    }
}

void RemoteCommandServer::read(QTcpSocket* client)
{
    auto pending = m_pending.find(client);
    if (pending == m_pending.end())
        return;
    QByteArray& received = *pending;
    received += client->readAll();
    const qsizetype end = received.indexOf('\n');
    if (end < 0) {
        if (received.size() > MaxLineBytes) {
            qCWarning(automationLog).noquote() << "Command server: a line over" << MaxLineBytes
                                               << "bytes from" << peerOf(client) << "; closed";
            drop(client);
        }
        return;
    }
    const QByteArray line = received.left(std::min<qsizetype>(end, MaxLineBytes + 1));
    const QString peer = peerOf(client);
    // One message a connection: what follows the first line is not read.
    drop(client);
    if (line.size() > MaxLineBytes) {
        qCWarning(automationLog).noquote()
            << "Command server: a line over" << MaxLineBytes << "bytes from" << peer << "refused";
        return;
    }
    const auto commands = commandsOf(line);
    if (!commands) {
        qCWarning(automationLog).noquote()
            << "Command server: more than" << MaxCommands << "commands from" << peer
            << "; the message is refused:" << line;
        return;
    }
    m_deliver(*commands, peer);
}

void RemoteCommandServer::drop(QTcpSocket* client)
{
    if (!m_pending.remove(client))
        return;
    m_opened.removeOne(client);
    client->disconnect(this);
    client->abort();
    client->deleteLater();
}
