#pragma once

#include <QObject>
#include <QString>
#include <optional>

class ShowDatabase;
class WriteOperation;

// What the playlist operations ask of the console.
class PlaylistHost {
public:
    virtual ~PlaylistHost() = default;
    // The name of the stage on air, for the refresh to select it again.
    virtual QString onAirStageName() const = 0;
    // Refreshes the read side and the grids (`AggiornaElementi`); false when the database
    // could not be read (the operator has been told, the rows read last stay shown).
    virtual bool AggiornaElementi(int xPlaylist, const QString& xLista, const QString& xLayout,
                                  int xPreset, int Xconn) = 0;
    // A question with "Yes" and "No".
    virtual bool askYesNo(const QString& question) = 0;
    // The text prompt; nullopt on "Cancel". Names longer than maxLength are refused.
    virtual std::optional<QString> askText(const QString& caption, const QString& text,
                                           int maxLength) = 0;
    virtual void setLevelMeters(bool on) = 0;
    // A warning with one OK button.
    virtual void showWarning(const QString& text) = 0;
    // The file-open dialog with the media filter; nullopt when cancelled.
    virtual std::optional<QString> chooseMediaFile() = 0;
};

// The playlists of the show: which one the console shows (current), which one the cursor of
// the playlist buttons is on (selected, the cursor of `lista`), and the destination for
// moving clips; creating, renaming, deleting and reordering them.
class Playlists : public QObject {
    Q_OBJECT
public:
    static constexpr int NameLength = 30;
    static inline const QString NoDestination = QStringLiteral("-");

    Playlists(ShowDatabase& database, WriteOperation& write, PlaylistHost& host,
              QObject* parent = nullptr);

    QString current() const { return m_current; }
    QString destination() const { return m_destination; }
    // The playlist under the cursor of `lista`, without trailing blanks.
    QString selected() const;

    // The console's start: the first playlist is current, no destination.
    void showFirst();
    // Click on a playlist button: the playlist of that row becomes current.
    void select(int row);
    void setDestination(int row);
    void clearDestination();

    void create();
    void rename();
    void remove();
    void moveUp() { move(-1); }
    void moveDown() { move(+1); }
    // "Change Playlist": the current clip goes to the destination playlist.
    void moveClipToDestination();
    // The playlist under the cursor of the buttons becomes the current one.
    void showSelected();

signals:
    // The current playlist or its clips changed: the clip grid shows them again.
    void currentChanged(const QString& name, int clipCount);
    void destinationChanged(const QString& name);

private:
    void setCurrent(const QString& name);
    int currentClip() const;
    void refresh(int clip, const QString& playlist);
    void move(int step);

    ShowDatabase& m_database;
    WriteOperation& m_write;
    PlaylistHost& m_host;
    QString m_current;
    QString m_destination = NoDestination;
};
