#pragma once

#include "core/platform_services.h"

// The machine's video capture devices (V4L2), for the live video lists.
class SystemCaptureDevices : public CaptureDevices {
public:
    QStringList videoDevices() override;
};
