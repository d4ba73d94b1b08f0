#include "automation/connection_senders.h"

#include "automation/script_interpreter.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>
#include <deque>

namespace {
enum Type { Tcp = 0, Udp = 1, Http = 2, Peer = 3 };

QString destination(const ConsoleControl::Connection& connection)
{
    if (connection.tipo == Http)
        return connection.url;
    return QStringLiteral("%1:%2").arg(connection.host).arg(connection.port);
}
} // namespace

// Lives on the sender thread: takes sends in order and runs up to `parallel` at once.
class SendWorker : public QObject {
public:
    SendWorker(ConnectionSenders::Limits limits, std::atomic<int>& pending,
               ConnectionSenders& owner)
        : m_limits(limits)
        , m_pending(pending)
        , m_owner(owner)
    {
    }

    void setUserAgent(const QString& agent) { m_userAgent = agent; }

    void take(const ConsoleControl::Connection& connection, const QByteArray& data)
    {
        m_waiting.push_back({connection, data});
        startWaiting();
    }

private:
    struct Send {
        ConsoleControl::Connection connection;
        QByteArray data;
    };

    void startWaiting()
    {
        while (m_running < m_limits.parallel && !m_waiting.empty()) {
            Send send = std::move(m_waiting.front());
            m_waiting.pop_front();
            ++m_running;
            switch (send.connection.tipo) {
            case Tcp:
            case Peer:
                sendTcp(send);
                break;
            case Udp:
                sendUdp(send);
                break;
            default:
                sendHttp(send);
            }
        }
    }

    void done(bool delivered, const QString& where)
    {
        if (!delivered)
            qCInfo(automationLog).noquote() << "CONNSEND to" << where << "was not delivered";
        --m_running;
        --m_pending;
        emit m_owner.finished(delivered, where);
        startWaiting();
    }

    void sendTcp(const Send& send)
    {
        const QString where = destination(send.connection);
        auto* socket = new QTcpSocket(this);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        auto written = std::make_shared<bool>(false);
        auto ended = std::make_shared<bool>(false);
        const auto finish = [this, socket, where, written, ended] {
            if (*ended)
                return;
            *ended = true;
            socket->abort();
            socket->deleteLater();
            done(*written, where);
        };
        // A host that never answers holds no send for ever.
        QTimer::singleShot(m_limits.connectMs, socket, finish);
        connect(socket, &QTcpSocket::connected, socket,
                [socket, data = send.data + "\r\n"] { socket->write(data); });
        connect(socket, &QTcpSocket::bytesWritten, socket, [socket, written] {
            if (socket->bytesToWrite() == 0) {
                *written = true;
                socket->disconnectFromHost();
            }
        });
        connect(socket, &QTcpSocket::disconnected, socket, finish);
        connect(socket, &QTcpSocket::errorOccurred, socket, finish);
        socket->connectToHost(send.connection.host, quint16(send.connection.port));
    }

    void sendUdp(const Send& send)
    {
        const QHostAddress address(send.connection.host);
        if (!m_udp)
            m_udp = new QUdpSocket(this);
        const bool sent = !address.isNull() &&
                          m_udp->writeDatagram(send.data, address, quint16(send.connection.port)) ==
                              send.data.size();
        done(sent, destination(send.connection));
    }

    void sendHttp(const Send& send)
    {
        if (!m_http)
            m_http = new QNetworkAccessManager(this);
        const QString where = destination(send.connection);
        QNetworkRequest request{QUrl(send.connection.url)};
        const QString scheme = request.url().scheme();
        if (scheme != "http" && scheme != "https") { // never a file or another scheme
            done(false, where);
            return;
        }
        request.setHeader(QNetworkRequest::UserAgentHeader, m_userAgent);
        request.setRawHeader("Accept", ConnectionSenders::Accept.toLatin1());
        request.setTransferTimeout(m_limits.requestMs);
        const ConsoleControl::Connection& c = send.connection;
        if (!c.username.isEmpty() || !c.password.isEmpty())
            request.setRawHeader("Authorization",
                                 "Basic " + (c.username + ':' + c.password).toUtf8().toBase64());
        QNetworkReply* reply = m_http->get(request);
        connect(reply, &QNetworkReply::finished, this, [this, reply, where] {
            reply->deleteLater();
            if (reply->error() != QNetworkReply::NoError)
                qCInfo(automationLog).noquote() << "HTTP" << where << ":" << reply->errorString();
            done(reply->error() == QNetworkReply::NoError, where);
        });
    }

    ConnectionSenders::Limits m_limits;
    std::atomic<int>& m_pending;
    ConnectionSenders& m_owner;
    std::deque<Send> m_waiting;
    int m_running = 0;
    QUdpSocket* m_udp = nullptr;
    QNetworkAccessManager* m_http = nullptr;
    QString m_userAgent = ConnectionSenders::UserAgent;
};

ConnectionSenders::ConnectionSenders(QObject* parent)
    : ConnectionSenders(Limits{}, parent)
{
}

ConnectionSenders::ConnectionSenders(Limits limits, QObject* parent)
    : QObject(parent)
    , m_limits(limits)
    , m_worker(new SendWorker(limits, m_pending, *this))
{
    m_thread.setObjectName("connection senders");
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start();
}

ConnectionSenders::~ConnectionSenders()
{
    m_thread.quit();
    m_thread.wait();
}

void ConnectionSenders::setUserAgent(const QString& agent)
{
    QMetaObject::invokeMethod(
        m_worker, [worker = m_worker, agent] { worker->setUserAgent(agent); },
        Qt::QueuedConnection);
}

bool ConnectionSenders::send(const ConsoleControl::Connection& connection, const QString& data)
{
    if (connection.tipo < Tcp || connection.tipo > Peer)
        return false;
    if (m_pending.fetch_add(1) >= m_limits.capacity) {
        --m_pending;
        qCWarning(automationLog).noquote()
            << "CONNSEND to" << destination(connection) << "dropped:" << m_limits.capacity
            << "sends are waiting already";
        return false;
    }
    QMetaObject::invokeMethod(
        m_worker,
        [worker = m_worker, connection, bytes = data.toUtf8()] { worker->take(connection, bytes); },
        Qt::QueuedConnection);
    return true;
}
