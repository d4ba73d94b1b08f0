#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>

class ShowDatabase;
class WriteOperation;

// Adds media files to a playlist as clips: probes each file (duration, format, picture size,
// a thumbnail from the middle) and writes all the new rows in one write operation. A file
// that is not media or cannot be opened is skipped and reported; the others are added.
class ClipAdder {
public:
    struct Defaults {
        QString aspect = "Original";   // "  Default aspect ratio  "
        QString status = "LAST FRAME"; // "  Default end status  "
    };
    struct Result {
        int added = 0;
        QStringList skipped; // "file name: reason"
        bool written = false;
    };

    ClipAdder(ShowDatabase& database, WriteOperation& write);

    // `progress` is told how many files are done; `refresh` runs after the commit.
    Result add(const QStringList& files, const QString& playlist, const Defaults& defaults,
               const std::function<void(int done)>& progress, const std::function<void()>& refresh);

    // Whether the file's name ends like a media file the library takes.
    static bool acceptedExtension(const QString& path);
    // The file name without its folder and its extension.
    static QString titleOf(const QString& path);
    // The picture scaled to 127 pixels wide (landscape) or 77 high (portrait).
    static QImage thumbnail(const QImage& picture);

private:
    ShowDatabase& m_database;
    WriteOperation& m_write;
};
