#pragma once

#include <QString>
#include <QtGlobal>

// Media times are microseconds. Shown as hours:minutes:seconds.milliseconds; hours do not wrap.
inline QString formatMediaTime(qint64 us)
{
    const qint64 seconds = us / 1000000;
    return QString::asprintf("%.2d:%.2d:%.2d.%.3d", int(seconds / 3600), int(seconds / 60 % 60),
                             int(seconds % 60), int(us % 1000000 * 1000 / 1000000));
}
