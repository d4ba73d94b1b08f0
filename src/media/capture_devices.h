#pragma once

#include <QString>
#include <QStringList>
#include <optional>

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

// How the ffmpeg program opens a capture device: input options and the input's name.
struct CaptureInput {
    QStringList options;
    QString url;
};

// The video capture devices the live inputs can use, and how each is opened.
class CaptureDevices {
public:
    virtual ~CaptureDevices() = default;
    // Friendly names, in the system's order.
    virtual QStringList videoDevices() = 0;
    // The device named "video=Name" (or "Name"); nullopt with `reason` set when there is no
    // such device or it cannot be opened.
    virtual std::optional<CaptureInput> videoInput(const QString& name, QString& reason) = 0;
};

// The V4L2 devices the kernel describes under `root`.
class V4L2CaptureDevices : public CaptureDevices {
public:
    explicit V4L2CaptureDevices(QString root = QStringLiteral("/"))
        : m_root(std::move(root))
    {
    }
    QStringList videoDevices() override;
    std::optional<CaptureInput> videoInput(const QString& name, QString& reason) override;

private:
    QString m_root;
};
