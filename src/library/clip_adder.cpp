#include "library/clip_adder.h"

#include "channels/clip_columns.h"
#include "data/show_database.h"
#include "data/write_operation.h"
#include "media/ff_decoder.h"
#include "shared/bmp_file.h"

#include <QFileInfo>

namespace {
// Three-character endings of accepted names, video, pictures and sound; a leading "."
// stands for a two-letter extension. A name passes when its last three characters occur
// anywhere in the joined text.
const QString AcceptedEndings =
    QStringLiteral("AVI .DV MOV MPG PEG FLV MP4 M2V VOB WMV FV4 DVX VID M2T OGM .RM 264 3GP ASF "
                   "AVM AVS DAT MKV NSV MVB .TP .TS EBM")
        .remove(' ') +
    QStringLiteral("JPG PNG BMP GIF PEG").remove(' ') +
    QStringLiteral("WAV MP3 OGG WMA AAC AC3 APE DTS LAC M4A MKA MP2 MPA MPC OFR .RA TTA 265")
        .remove(' ');

} // namespace

ClipAdder::ClipAdder(ShowDatabase& database, WriteOperation& write)
    : m_database(database)
    , m_write(write)
{
}

bool ClipAdder::acceptedExtension(const QString& path)
{
    QString name = path;
    while (name.endsWith(' '))
        name.chop(1);
    return name.size() >= 3 && AcceptedEndings.contains(name.right(3).toUpper());
}

QString ClipAdder::titleOf(const QString& path)
{
    return QFileInfo(path.trimmed()).completeBaseName();
}

QImage ClipAdder::thumbnail(const QImage& picture)
{
    const int width = picture.width();
    const int height = picture.height();
    if (width <= 0 || height <= 0)
        return {};
    const QSize size =
        width > height ? QSize(127, height * 127 / width) : QSize(width * 77 / height, 77);
    if (size.isEmpty())
        return {};
    return picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

ClipAdder::Probed ClipAdder::probe(const QString& file)
{
    Probed probed;
    probed.path = file;
    const QString name = QFileInfo(file).fileName();
    if (!acceptedExtension(file)) {
        probed.refusal = name + ": not a media file";
        return probed;
    }
    TFFDecoder decoder;
    if (!decoder.LoadFile(file)) {
        probed.refusal = name + ": cannot be opened";
        return probed;
    }
    probed.duration = decoder.FileStreamInfo().Duration;
    // A picture from the key frame at or before the middle: a seek to any frame lands
    // between key frames, and the decoder then reads on to the next key frame, often the end
    // of the file. Where nothing can be decoded there, from the start.
    decoder.Seek(probed.duration / 2, sfBackward);
    if (!decoder.Decode(-1) && decoder.Seek(0, sfBackward))
        decoder.Decode(-1);
    QImage picture;
    decoder.CopyToBitmap(picture);
    probed.width = decoder.FrameInfo().Width;
    probed.height = decoder.FrameInfo().Height;
    const QImage icon = thumbnail(picture);
    if (!icon.isNull())
        probed.thumbnail = bmpFile(icon);
    probed.file = decoder.FileName();
    probed.format = decoder.FormatName();
    decoder.CloseFile();
    return probed;
}

ClipAdder::Result ClipAdder::add(const QStringList& files, const QString& playlist,
                                 const Defaults& defaults, const std::function<void(int)>& progress,
                                 const std::function<void()>& refresh)
{
    QList<Probed> probed;
    for (const QString& file : files) {
        probed.append(probe(file));
        if (progress)
            progress(int(probed.size()));
    }
    return write(probed, playlist, defaults, refresh);
}

ClipAdder::Result ClipAdder::write(const QList<Probed>& probed, const QString& playlist,
                                   const Defaults& defaults, const std::function<void()>& refresh)
{
    Result result;
    for (const Probed& clip : probed)
        if (!clip.refusal.isEmpty())
            result.skipped.append(clip.refusal);
    if (result.skipped.size() == probed.size())
        return result;               // nothing to write
    m_database.p.setFilter("1 = 0"); // only the new rows
    result.written = m_write.run(
        {&m_database.p},
        [&] {
            int ordine = m_database.nextValue(ShowDatabase::Maximum::ClipOrder);
            for (const Probed& probe : probed) {
                if (!probe.refusal.isEmpty())
                    continue;
                const int w = probe.width;
                const int h = probe.height;
                WriteDataset& clip = m_database.p;
                clip.append();
                QList<std::pair<const char*, QVariant>> values = {
                    {"ordine", ordine++},
                    {"titolo", titleOf(probe.path)},
                    {"file", probe.file},
                    {"tipo", probe.format.left(15)},
                    {"duratams", qlonglong(probe.duration)},
                    {"start", qlonglong(0)},
                    {"end", qlonglong(probe.duration)},
                    {"aspectratio", defaults.aspect},
                    {"status", defaults.status},
                    {"risoluzione", QStringLiteral("%1x%2").arg(w).arg(h).left(15)},
                    {"volume", 100},
                    {"frame", probe.thumbnail.isEmpty() ? QVariant() : QVariant(probe.thumbnail)},
                    {"monitor", 0},
                    {"player", 1},
                    {"gruppo", 0},
                    {"lista", playlist},
                    {"aratio", 0},
                    {"azione_iniziale", -1},
                    {"azione_finale", -1},
                    {"w", w},
                    {"h", h},
                    {"preview", 1},
                    {"deinterlace", 0},
                    {"trxtime", 2},
                    {"changeA", 1},
                    {"changeB", 1},
                    {"changeBG", 1},
                };
                values.append(neutralFilterValues(w, h));
                for (const auto& [column, value] : values)
                    clip.setValue(column, value);
                ++result.added;
            }
        },
        refresh);
    if (!result.written)
        result.added = 0;
    return result;
}
