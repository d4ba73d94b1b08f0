#include "media/thread_rank.h"

#include <algorithm>
#include <cerrno>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

void nameThisThread(const char* name)
{
    pthread_setname_np(pthread_self(), name);
}

void runAsWorkAhead(const char* name)
{
    nameThisThread(name);
    // On Linux the nice value belongs to the thread: the process id slot takes the thread's.
    const auto self = id_t(gettid());
    errno = 0;
    const int niceness = getpriority(PRIO_PROCESS, self);
    if (errno == 0)
        setpriority(PRIO_PROCESS, self, std::min(niceness + WorkAheadNiceness, 19));
}
