#pragma once

#include "automation/console_control.h"

#include <QObject>
#include <QThread>
#include <atomic>

class SendWorker;

// Sends the text of CONNSEND over a stored connection: TCP (the text and CR LF, then the
// connection closes), UDP (one datagram), HTTP (a GET of the stored address, the answer
// dropped); "QVX", another instance's command server, is TCP. The sends run on a thread of
// their own with time-outs, so the console never waits on the network; what a send could not
// do is logged. At most `Capacity` sends wait or run at once: more are dropped and logged.
//
// send() is called on the user-interface thread; the worker and its sockets live on the
// sender thread; `m_pending` is shared (atomic).
class ConnectionSenders : public QObject {
    Q_OBJECT
public:
    struct Limits {
        int connectMs = 3000; // TCP connect, and the whole TCP send
        int requestMs = 5000; // an HTTP request from start to answer
        int capacity = 256;   // sends waiting or running
        int parallel = 16;    // sends running at once
    };

    explicit ConnectionSenders(QObject* parent = nullptr);
    ConnectionSenders(Limits limits, QObject* parent = nullptr);
    ~ConnectionSenders() override;

    // Queues the send; false when it was dropped (the queue is full or the type unknown).
    bool send(const ConsoleControl::Connection& connection, const QString& data);
    // Sends waiting or running.
    int pending() const { return m_pending; }
    // The user agent of the HTTP requests from now on.
    void setUserAgent(const QString& agent);

    static inline const QString Accept =
        QStringLiteral("text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8");
    // The user agent until the first HTTP test of a connection, and from then on.
    static inline const QString UserAgent =
        QStringLiteral("Mozilla/3.0 (compatible; Indy Library)");
    static inline const QString TestUserAgent =
        QStringLiteral("Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 6.0; SLCC1");

signals:
    // A send has ended: delivered (handed to the network, or answered over HTTP) or not.
    void finished(bool delivered, const QString& destination);

private:
    Limits m_limits;
    QThread m_thread;
    SendWorker* m_worker;
    std::atomic<int> m_pending = 0;
};
