#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QAction;
class QMenu;
class QMenuBar;

// The console's main menu. Entries are found by their path of captions,
// "Library/Playlists/Create new"; each operation connects to its entry's triggered signal.
class MainMenu : public QObject {
    Q_OBJECT
public:
    explicit MainMenu(QMenuBar* bar);

    QAction* action(const QString& path) const;
    QMenu* menu(const QString& path) const;

    QAction* repeatPlaylist() const { return action("Library/Repeat playlist"); }
    QAction* closeQuillon() const { return action("File/Close Quillon"); }
    QMenu* midiDevice() const { return menu("Communications/Midi Device"); }
    QAction* midiActive() const { return action("Communications/Midi Active"); }
    QAction* midiMapper() const { return action("Communications/Midi Mapper"); }
    QAction* artNetActive() const { return action("Communications/ArtNet Active"); }
    QAction* artNetConfiguration() const { return action("Communications/ArtNet Configuration"); }

private:
    QMenu* submenu(const QString& path);

    QMenuBar* m_bar;
    QHash<QString, QMenu*> m_menus;
    QHash<QString, QAction*> m_actions;
};
