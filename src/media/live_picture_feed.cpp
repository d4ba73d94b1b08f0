#include "media/live_picture_feed.h"

#include "media/ffmpeg_types.h"
#include "media/scaler_image.h"
#include "media/video_sink.h"

#include <QStringList>
#include <algorithm>
#include <array>
#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

void LiveTargets::set(std::vector<Target> targets)
{
    std::lock_guard lock(m_mutex);
    m_targets = std::move(targets);
    ++m_generation;
}

LiveTargets::Snapshot LiveTargets::get() const
{
    std::lock_guard lock(m_mutex);
    return {m_targets, m_generation};
}

void LiveTargets::presentIfCurrent(uint64_t generation,
                                   const std::function<void(size_t, const Target&)>& present) const
{
    std::lock_guard lock(m_mutex);
    if (generation != m_generation)
        return;
    for (size_t index = 0; index < m_targets.size(); ++index)
        present(index, m_targets[index]);
}

LivePictureFeed::LivePictureFeed(int readFd, std::shared_ptr<LiveTargets> targets,
                                 std::function<void(const QString&)> log)
    : m_fd(readFd)
    , m_wake(eventfd(0, EFD_CLOEXEC))
    , m_targets(std::move(targets))
    , m_log(std::move(log))
{
    m_thread = std::thread([this] { run(); });
}

LivePictureFeed::~LivePictureFeed()
{
    const uint64_t one = 1;
    if (write(m_wake, &one, sizeof one) < 0)
        m_log(QStringLiteral("cannot wake the live picture reader"));
    m_thread.join();
    close(m_fd);
    close(m_wake);
}

bool LivePictureFeed::readExactly(char* bytes, size_t count)
{
    while (count > 0) {
        pollfd waits[2] = {{m_fd, POLLIN, 0}, {m_wake, POLLIN, 0}};
        if (poll(waits, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (waits[1].revents)
            return false;
        const ssize_t got = read(m_fd, bytes, count);
        if (got == 0)
            return false;
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return false;
        }
        bytes += got;
        count -= size_t(got);
    }
    return true;
}

bool LivePictureFeed::readLine(std::string& line)
{
    line.clear();
    char c = 0;
    while (readExactly(&c, 1)) {
        if (c == '\n')
            return true;
        if (line.size() > 1024) // not YUV4MPEG
            return false;
        line += c;
    }
    return false;
}

void LivePictureFeed::run()
{
    // "YUV4MPEG2 W1280 H720 F30:1 Ip A1:1 C420jpeg ...", then per picture a line starting
    // with "FRAME" and the planes.
    std::string line;
    if (!readLine(line))
        return;
    const QStringList header = QString::fromStdString(line).split(' ', Qt::SkipEmptyParts);
    int width = 0, height = 0;
    QString chroma = "420";
    for (const QString& field : header.mid(1)) {
        if (field.startsWith('W'))
            width = field.mid(1).toInt();
        else if (field.startsWith('H'))
            height = field.mid(1).toInt();
        else if (field.startsWith('C'))
            chroma = field.mid(1);
    }
    // The encoder asks for 4:2:0; other samplings are not expected here.
    if (header.value(0) != "YUV4MPEG2" || width <= 0 || height <= 0 || !chroma.startsWith("420")) {
        m_log(QStringLiteral("live pictures: not 4:2:0 YUV4MPEG (%1)")
                  .arg(QString::fromStdString(line)));
        return;
    }
    const int chromaWidth = (width + 1) / 2;
    const size_t lumaBytes = size_t(width) * size_t(height);
    const size_t chromaBytes = size_t(chromaWidth) * size_t((height + 1) / 2);
    std::vector<char> planes(lumaBytes + 2 * chromaBytes);
    struct Scaler {
        QSize size;
        SwsContextPtr context;
    };
    std::vector<Scaler> scalers;
    const uint8_t* source[3] = {
        reinterpret_cast<const uint8_t*>(planes.data()),
        reinterpret_cast<const uint8_t*>(planes.data() + lumaBytes),
        reinterpret_cast<const uint8_t*>(planes.data() + lumaBytes + chromaBytes)};
    const int sourceStrides[3] = {width, chromaWidth, chromaWidth};

    while (readLine(line) && line.rfind("FRAME", 0) == 0 &&
           readExactly(planes.data(), planes.size())) {
        const LiveTargets::Snapshot targets = m_targets->get();
        // One picture per surface size: two layers of one size share it.
        std::vector<QImage> pictures; // by target
        for (const LiveTargets::Target& target : targets.targets) {
            const QSize size = target.sink->surfaceSize();
            const auto made = std::find_if(pictures.begin(), pictures.end(),
                                           [&](const QImage& p) { return p.size() == size; });
            if (made != pictures.end() || size.isEmpty()) {
                pictures.push_back(made != pictures.end() ? *made : QImage());
                continue;
            }
            auto scaler = std::find_if(scalers.begin(), scalers.end(),
                                       [&](const Scaler& s) { return s.size == size; });
            if (scaler == scalers.end()) {
                scalers.push_back(
                    {size, SwsContextPtr(sws_getContext(
                               width, height, AV_PIX_FMT_YUV420P, size.width(), size.height(),
                               AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr))});
                scaler = scalers.end() - 1;
            }
            QImage picture = scalerImage(size);
            if (!scaler->context || picture.isNull()) { // no scaler, no memory: not shown
                pictures.push_back(QImage());
                continue;
            }
            sws_scale(scaler->context.get(), source, sourceStrides, 0, height,
                      std::array{picture.bits()}.data(),
                      std::array{int(picture.bytesPerLine())}.data());
            pictures.push_back(picture);
        }
        m_targets->presentIfCurrent(
            targets.generation, [&](size_t index, const LiveTargets::Target& target) {
                const QImage& picture = pictures[index];
                if (picture.isNull())
                    return;
                target.sink->present(picture, picture.rect(), target.background);
            });
    }
}
