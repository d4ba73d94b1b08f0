#include "shared/child_process.h"

#include <algorithm>
#include <fcntl.h>
#include <linux/close_range.h>
#include <unistd.h>

void keepDescriptorsFromChildren()
{
    if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0)
        return;
    // Kernels before 5.11: one by one.
    const long last = std::min(sysconf(_SC_OPEN_MAX), 65536L);
    for (int fd = 3; fd < last; ++fd)
        if (const int flags = fcntl(fd, F_GETFD); flags >= 0 && !(flags & FD_CLOEXEC))
            fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
}
