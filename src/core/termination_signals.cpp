#include "core/termination_signals.h"

#include <csignal>
#include <pthread.h>

namespace {
sigset_t terminationSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&set, signal);
    return set;
}
} // namespace

void TerminationSignals::blockInAllThreads()
{
    const sigset_t set = terminationSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent)
{
    m_waiter = std::thread([this] {
        const sigset_t set = terminationSet();
        int signal = 0;
        while (sigwait(&set, &signal) == 0 && !m_stopping)
            QMetaObject::invokeMethod(this, &TerminationSignals::terminationRequested,
                                      Qt::QueuedConnection);
    });
}

TerminationSignals::~TerminationSignals()
{
    m_stopping = true;
    pthread_kill(m_waiter.native_handle(), SIGHUP);
    m_waiter.join();
}
