#pragma once

#include <QString>
#include <QStringList>

// The machine's capture devices by friendly name, in the system's order.
enum class CaptureCategory { Video = 0, Audio = 1 };

// Fills `names` with the devices of the category, each as "video=Name" / "audio=Name" when
// `withPrefix`, else the name alone. False (and an empty list) when there are none.
// `root` is the file system the kernel describes its devices in ("/" normally).
bool ListCaptureDevices(QStringList& names, CaptureCategory category, bool withPrefix,
                        const QString& root = QStringLiteral("/"));

// The device node of a video capture device named "video=Name" (or "Name"), e.g.
// "/dev/video0"; empty when there is no such device.
QString CaptureDeviceNode(const QString& name, const QString& root = QStringLiteral("/"));
