#pragma once

#include <QObject>
#include <QString>

class Playlists;
class PlaylistHost;
class ShowDatabase;
class WriteOperation;

// The commands that change the current clip, or every clip of a playlist: delete, move,
// rename, duplicate, relink, end status, aspect, reset the filters, autoload stage.
// Each is one write operation that ends by refreshing the console on the right clip.
class ClipCommands : public QObject {
    Q_OBJECT
public:
    ClipCommands(ShowDatabase& database, WriteOperation& write, PlaylistHost& host,
                 Playlists& playlists, QObject* parent = nullptr);

    // End-status words by the entries' tags 1 to 4.
    static QString endStatus(int tag);

    void deleteClip();
    void moveUp() { move(-1); }
    void moveDown() { move(+1); }
    void rename();
    void duplicate(bool withFilters);
    void relink();
    void setEndStatus(int tag);
    void setPlaylistEndStatus(int tag);
    void setAspect(const QString& aspect);
    void resetFilters();
    void setAutoloadStage(bool on);

signals:
    // A clip got a new title; a channel that holds it shows the new one.
    void clipRenamed(int codice, const QString& title);

private:
    bool noClip() const;
    int currentClip() const;
    void refresh(int clip);
    void move(int step);
    // Changes columns of the current clip in one write and refreshes on it.
    bool changeCurrent(const QList<std::pair<const char*, QVariant>>& values,
                       bool pauseMeters = true);
    QList<std::pair<const char*, QVariant>> neutralFilters() const;

    ShowDatabase& m_database;
    WriteOperation& m_write;
    PlaylistHost& m_host;
    Playlists& m_playlists;
};
