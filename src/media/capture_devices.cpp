#include "media/capture_devices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
QString firstLine(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readLine()).trimmed();
}

struct VideoDevice {
    QString name;
    QString node;
};

// V4L2 devices as the kernel lists them; only the first node of each device (index 0) is
// its picture capture, the others carry metadata.
QList<VideoDevice> videoDevices(const QString& root)
{
    const QDir classDir(QDir(root).filePath("sys/class/video4linux"));
    QStringList entries = classDir.entryList({"video*"}, QDir::Dirs | QDir::System);
    // By device number: video2 before video10.
    std::sort(entries.begin(), entries.end(), [](const QString& a, const QString& b) {
        return a.mid(5).toInt() < b.mid(5).toInt();
    });
    QList<VideoDevice> devices;
    for (const QString& entry : entries) {
        const QString index = firstLine(classDir.filePath(entry + "/index"));
        if (!index.isEmpty() && index != "0")
            continue;
        const QString name = firstLine(classDir.filePath(entry + "/name"));
        if (!name.isEmpty())
            devices.append({name, QDir(root).filePath("dev/" + entry)});
    }
    return devices;
}

// ALSA capture devices: the lines of /proc/asound/pcm that have a capture side.
QStringList audioDevices(const QString& root)
{
    QFile pcm(QDir(root).filePath("proc/asound/pcm"));
    QStringList names;
    if (!pcm.open(QIODevice::ReadOnly))
        return names;
    static const QRegularExpression line(QStringLiteral(R"(^\d+-\d+:\s*([^:]*?)\s*:.*capture)"));
    while (!pcm.atEnd()) {
        const auto match = line.match(QString::fromUtf8(pcm.readLine()));
        if (match.hasMatch())
            names.append(match.captured(1));
    }
    return names;
}
} // namespace

bool ListCaptureDevices(QStringList& names, CaptureCategory category, bool withPrefix,
                        const QString& root)
{
    names.clear();
    if (category == CaptureCategory::Video) {
        for (const VideoDevice& device : videoDevices(root))
            names.append(withPrefix ? "video=" + device.name : device.name);
    } else {
        for (const QString& name : audioDevices(root))
            names.append(withPrefix ? "audio=" + name : name);
    }
    return !names.isEmpty();
}

QString CaptureDeviceNode(const QString& name, const QString& root)
{
    const QString wanted = name.startsWith("video=") ? name.mid(6) : name;
    for (const VideoDevice& device : videoDevices(root))
        if (device.name == wanted)
            return device.node;
    return {};
}

QStringList V4L2CaptureDevices::videoDevices()
{
    QStringList names;
    ListCaptureDevices(names, CaptureCategory::Video, false, m_root);
    return names;
}

std::optional<CaptureInput> V4L2CaptureDevices::videoInput(const QString& name, QString& reason)
{
    const QString friendly = name.startsWith("video=") ? name.mid(6) : name;
    const QString node = CaptureDeviceNode(friendly, m_root);
    if (node.isEmpty()) {
        reason = QStringLiteral("Could not find video device with name [%1] among source "
                                "devices of type video.")
                     .arg(friendly);
        return std::nullopt;
    }
    // A device the kernel still lists but whose node is gone (unplugged) or closed to us.
    if (const QFileInfo device(node); !device.exists() || !device.isReadable()) {
        reason = QStringLiteral("%1 (%2) cannot be opened.").arg(friendly, node);
        return std::nullopt;
    }
    return CaptureInput{{"-f", "v4l2"}, node};
}
