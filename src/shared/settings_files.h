#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The one-value settings files of the cache folder beside the executable.
// A file is read when its value is needed and rewritten whole when the operator changes it;
// nothing is cached here. Lines are written with CR LF; LF alone is accepted on read.
class SettingsFiles {
public:
    // cacheDir is the folder that holds the files, with or without its trailing '/'.
    explicit SettingsFiles(const QString& cacheDir);

    // cache/ beside the running executable.
    static QString defaultCacheDir();

    QString cacheDir() const { return m_dir; }
    QString path(const QString& name) const { return m_dir + name; }

    // nullopt when the file is missing or unreadable; an empty file reads as "".
    std::optional<QString> readFirstLine(const QString& name) const;
    std::optional<QStringList> readLines(const QString& name) const;
    // Replaces the whole file with one line; creates it when missing.
    bool write(const QString& name, const QString& value) const;

    // "rp_ini" and "as_ini": "0" is off, any other content (even an empty line) is on.
    static bool onUnlessZero(const std::optional<QString>& value) { return value && *value != "0"; }
    // "al_ini" and "ap_ini": "1" is on, anything else is off.
    static bool onOnlyIfOne(const std::optional<QString>& value) { return value && *value == "1"; }

    struct LedTileType {
        QString name;
        int width = 0;
        int height = 0;
    };
    // The groups of "ledtype" in file order; nullopt when the file is missing or a size
    // line is not a whole number.
    std::optional<QList<LedTileType>> ledTileTypes() const;

    // Writes every settings file that is missing with its installed value, creates the
    // cache video folder; files that exist are left as they are.
    void installDefaults() const;

private:
    QString m_dir;
};

// File names of the cache folder.
namespace SettingsFile {
inline const QString Setting = QStringLiteral("setting");
inline const QString ScreenDpi = QStringLiteral("screenDPI");
inline const QString RepeatPlaylist = QStringLiteral("rp_ini");
inline const QString Autostart = QStringLiteral("as_ini");
inline const QString PlayAfterLoad = QStringLiteral("al_ini");
inline const QString AutomaticPlay = QStringLiteral("ap_ini");
inline const QString CacheVideo = QStringLiteral("cv_ini");
inline const QString VncViewer = QStringLiteral("vnc_ini");
inline const QString LedType = QStringLiteral("ledtype");
inline const QString Live1Input = QStringLiteral("live1Input");
inline const QString Live2Input = QStringLiteral("live2Input");
inline const QString Live1Output = QStringLiteral("live1Output");
inline const QString Live2Output = QStringLiteral("live2Output");
} // namespace SettingsFile
