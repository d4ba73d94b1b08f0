#pragma once

#include "automation/connection_store.h"
#include "support/show_fixture.h"

#include <QTcpServer>
#include <QTcpSocket>

// A TCP listener on 127.0.0.1 that keeps what each connection sent, and may stay silent.
struct Listener {
    QTcpServer server;
    QList<QByteArray> received; // one entry per connection, complete when it closed
    QList<QTcpSocket*> open;

    Listener()
    {
        if (!server.listen(QHostAddress::LocalHost))
            qFatal("cannot listen on 127.0.0.1");
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                const qsizetype at = received.size();
                received.append(QByteArray());
                open.append(socket);
                QObject::connect(socket, &QTcpSocket::readyRead, socket,
                                 [this, socket, at] { received[at] += socket->readAll(); });
            }
        });
    }
    quint16 port() const { return server.serverPort(); }
};

inline void insertConnection(const ShowFixture& fixture, int id, int type, const QString& host,
                             int port, const QString& url = {}, const QString& user = {},
                             const QString& password = {})
{
    fixture.exec(R"(insert into "connessioni" ("id", "nome", "tipo", "tiponome", "host", "port",
                    "url", "username", "password") values (?, ?, ?, ?, ?, ?, ?, ?, ?))",
                 {id, QStringLiteral("Connection %1").arg(id), type,
                  ConnectionStore::TypeNames.at(type), host, port, url, user, password});
}
