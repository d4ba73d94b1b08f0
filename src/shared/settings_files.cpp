#include "shared/settings_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>

SettingsFiles::SettingsFiles(const QString& cacheDir)
    : m_dir(cacheDir)
{
    if (!m_dir.endsWith('/'))
        m_dir += '/';
}

QString SettingsFiles::defaultCacheDir()
{
    return QCoreApplication::applicationDirPath() + "/cache/";
}

std::optional<QStringList> SettingsFiles::readLines(const QString& name) const
{
    QFile file(path(name));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    QStringList lines = QString::fromUtf8(content).split('\n');
    // The line end of the last line leaves one empty piece behind.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    return lines;
}

std::optional<QString> SettingsFiles::readFirstLine(const QString& name) const
{
    const auto lines = readLines(name);
    if (!lines)
        return std::nullopt;
    return lines->isEmpty() ? QString() : lines->first();
}

bool SettingsFiles::write(const QString& name, const QString& value) const
{
    QDir().mkpath(m_dir);
    // Written aside and renamed, so a failing disk never leaves half a value behind.
    QSaveFile file(path(name));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(value.toUtf8() + "\r\n");
    return file.commit();
}

std::optional<QList<SettingsFiles::LedTileType>> SettingsFiles::ledTileTypes() const
{
    const auto lines = readLines(SettingsFile::LedType);
    if (!lines)
        return std::nullopt;
    QList<LedTileType> types;
    for (qsizetype i = 0; i + 2 < lines->size(); i += 3) {
        bool widthOk = false, heightOk = false;
        LedTileType type{lines->at(i), lines->at(i + 1).trimmed().toInt(&widthOk),
                         lines->at(i + 2).trimmed().toInt(&heightOk)};
        if (!widthOk || !heightOk)
            return std::nullopt;
        types.append(type);
    }
    return types;
}

void SettingsFiles::installDefaults() const
{
    const QString videoDir = m_dir + "video/";
    QDir().mkpath(videoDir);
    const QList<std::pair<QString, QStringList>> installed = {
        {SettingsFile::Setting, {m_dir}},
        {SettingsFile::ScreenDpi, {"96"}},
        {SettingsFile::RepeatPlaylist, {"0"}},
        {SettingsFile::Autostart, {"0"}},
        {SettingsFile::PlayAfterLoad, {"0"}},
        {SettingsFile::AutomaticPlay, {"0"}},
        {SettingsFile::CacheVideo, {videoDir}},
        {SettingsFile::VncViewer, {""}},
        // Common LED tile types: name, tile width, tile height in pixels.
        {SettingsFile::LedType,
         {"P2.6 500x500", "192", "192", "P2.9 500x500", "168", "168", "P3.9 500x500", "128", "128",
          "P3.9 500x1000", "128", "256", "P4.8 500x500", "104", "104", "P5.9 500x500", "84", "84"}},
        {SettingsFile::Live1Input, {""}},
        {SettingsFile::Live2Input, {""}},
        {SettingsFile::Live1Output, {""}},
        {SettingsFile::Live2Output, {""}},
    };
    QDir().mkpath(m_dir);
    for (const auto& [name, lines] : installed) {
        if (QFile::exists(path(name)))
            continue;
        QFile file(path(name));
        if (file.open(QIODevice::WriteOnly))
            file.write((lines.join("\r\n") + "\r\n").toUtf8());
    }
}
