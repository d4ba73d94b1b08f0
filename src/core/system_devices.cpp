#include "core/system_devices.h"

#include "media/capture_devices.h"

QStringList SystemCaptureDevices::videoDevices()
{
    QStringList names;
    ListCaptureDevices(names, CaptureCategory::Video, false);
    return names;
}
