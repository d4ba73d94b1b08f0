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

    // What probing found out of one file: its row's values, or why it is skipped.
    struct Probed {
        QString file;    // as the decoder reports it
        QString path;    // as given
        QString refusal; // "file name: reason"; empty when the file is media
        QString format;  // the decoder's format name
        int64_t duration = 0;
        int width = 0;
        int height = 0;
        QByteArray thumbnail; // a BMP file, empty when no picture was decoded
    };

    ClipAdder(ShowDatabase& database, WriteOperation& write);

    // Opens the file, takes its length, format and size and a thumbnail. Touches no
    // database: any thread may probe, each file with a decoder of its own.
    static Probed probe(const QString& file);
    // Writes the media files among the probed ones as new clips of the playlist, in order and
    // in one write; `refresh` runs after the commit.
    Result write(const QList<Probed>& probed, const QString& playlist, const Defaults& defaults,
                 const std::function<void()>& refresh);
    // Probes the files one after the other, then writes them. `progress` is told how many
    // files are done.
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
