#include "media/frame_input.h"

#include <QHash>
#include <QMutex>

namespace {
QMutex registryMutex;
QHash<quintptr, TFrameInputAdapter*>& registry()
{
    static QHash<quintptr, TFrameInputAdapter*> adapters;
    return adapters;
}
} // namespace

TFrameInputAdapter::TFrameInputAdapter(QObject* parent)
    : QObject(parent)
{
    QMutexLocker lock(&registryMutex);
    registry().insert(quintptr(this), this);
}

TFrameInputAdapter::~TFrameInputAdapter()
{
    QMutexLocker lock(&registryMutex);
    registry().remove(quintptr(this));
}

QString TFrameInputAdapter::Identity() const
{
    return QString::number(quintptr(this));
}

TFrameInputAdapter* TFrameInputAdapter::find(const QString& identity)
{
    bool ok = false;
    const quintptr key = identity.toULongLong(&ok);
    QMutexLocker lock(&registryMutex);
    return ok ? registry().value(key) : nullptr;
}
