#pragma once

#include <QObject>
#include <atomic>
#include <thread>

// Turns SIGTERM, SIGINT and SIGHUP into a signal on the user-interface thread, so that a
// session logout or Ctrl+C closes the console in order.
//
// The signals are blocked in every thread and taken by one waiting thread of ours: a signal
// delivered into a thread of Firebird's embedded engine interrupts its waits and has been
// seen to leave the engine spinning when the database is closed afterwards.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // Call first in main(), before any thread starts, so every thread inherits the mask.
    static void blockInAllThreads();

    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested();

private:
    std::atomic<bool> m_stopping{false};
    std::thread m_waiter;
};
