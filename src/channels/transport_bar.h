#pragma once

#include "shared/settings_files.h"

#include <QWidget>

class QAction;
class QLabel;
class QPushButton;

// Player A's transport: "LOAD", "STOP", "PLAY", "PAUSE", the four switches that survive a
// restart ("PLAY AFTER LOAD", "REPEAT PLAYLIST", "AUTOSTART", "AUTOMATIC PLAY") and the
// current and destination playlist captions.
class TransportBar : public QWidget {
    Q_OBJECT
public:
    // repeatPlaylistEntry is the menu entry "Repeat playlist", which the button follows.
    TransportBar(const SettingsFiles& settings, QAction* repeatPlaylistEntry,
                 QWidget* parent = nullptr);

    // The switches as stored: each is written when the operator flips it.
    void setRepeatPlaylist(bool on);
    void restoreSwitches(bool repeatPlaylist, bool autostart, bool playAfterLoad,
                         bool automaticPlay);

    void showPlaylist(const QString& name, int clipCount);

    QPushButton* load() const { return m_transport[0]; }  // "LOAD"
    QPushButton* stop() const { return m_transport[1]; }  // "STOP"
    QPushButton* play() const { return m_transport[2]; }  // "PLAY"
    QPushButton* pause() const { return m_transport[3]; } // "PAUSE"
    QPushButton* playAfterLoad() const { return m_playAfterLoad; }
    QPushButton* repeatPlaylist() const { return m_repeat; }
    QPushButton* automaticPlay() const { return m_automatic; }
    void showDestination(const QString& name);

signals:
    // Double click on the destination's name.
    void destinationCleared();
    // A switch could not be stored; the text names the file.
    void settingsWriteFailed(const QString& message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void store(const QString& file, bool on);

    SettingsFiles m_settings;
    QAction* m_repeatEntry;
    QPushButton* m_transport[4];
    QPushButton* m_repeat;
    QPushButton* m_autostart;
    QPushButton* m_playAfterLoad;
    QPushButton* m_automatic;
    QLabel* m_playlistName;
    QLabel* m_clipCount;
    QLabel* m_destination;
};
