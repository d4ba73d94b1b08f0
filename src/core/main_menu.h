#pragma once

#include "ui/menu_tree.h"

// The console's main menu. Each operation connects to its entry's triggered signal; entries
// whose operation has not landed yet stand with their caption and shortcut.
class MainMenu : public MenuTree {
    Q_OBJECT
public:
    explicit MainMenu(QMenuBar* bar);

    QAction* repeatPlaylist() const { return action("Library/Repeat playlist"); }
    QAction* closeQuillon() const { return action("File/Close Quillon"); }
    QMenu* midiDevice() const { return menu("Communications/Midi Device"); }
    QAction* midiActive() const { return action("Communications/Midi Active"); }
    QAction* midiMapper() const { return action("Communications/Midi Mapper"); }
    QAction* artNetActive() const { return action("Communications/ArtNet Active"); }
    QAction* artNetConfiguration() const { return action("Communications/ArtNet Configuration"); }
};
