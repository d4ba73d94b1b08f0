#include "core/main_menu.h"

namespace {
using E = MenuEntry;
const QList<MenuEntry> entries = {
    {"File/Set vnc viewer"},
    {"File/-", "", E::Separator},
    {"File/Close Quillon", "Ctrl+X"},
    {"Library/Explorer cache video", "Alt+E"},
    {"Library/Set Cache Video Directory"},
    {"Library/-", "", E::Separator},
    {"Library/Add clip", "Alt+Ins"},
    {"Library/Rename clip", "Alt+R"},
    {"Library/Delete clip", "Alt+Del"},
    {"Library/Change Playlist", "Alt+C"},
    {"Library/-", "", E::Separator},
    {"Library/Playlists/Create new", "Alt+N"},
    {"Library/Playlists/Rename", "Shift+Alt+R"},
    {"Library/Playlists/Delete", "Shift+Alt+Del"},
    {"Library/Repeat playlist", "", E::Check, "RepeatPlaylist"},
    {"Library/Playlist end action /Last frame ", "Ctrl+Alt+1"},
    {"Library/Playlist end action /Loop", "Ctrl+Alt+2"},
    {"Library/Playlist end action /Black", "Ctrl+Alt+3"},
    {"Library/Playlist end action /Next Clip", "Ctrl+Alt+4"},
    {"Stage/Screen preferences"},
    {"Stage/-", "", E::Separator},
    {"Stage/Add a Stage", "Ctrl+N"},
    {"Stage/Delete Stage", "Ctrl+D"},
    {"Stage/Stage Setup"},
    {"Communications/Network preferences"},
    {"Communications/Create a connection"},
    {"Communications/-", "", E::Separator},
    {"Communications/ArtNet Active", "", E::Check},
    {"Communications/ArtNet Configuration"},
    {"Communications/DMX Mapper"},
    {"Communications/-", "", E::Separator},
    {"Communications/Refresh Midi Device", "Ctrl+Alt+K"},
    {"Communications/Midi Device/", "", E::Plain, "Mididevice1"},
    {"Communications/Midi Active", "Alt+K", E::Check},
    {"Communications/Midi Mapper", "Alt+J"},
    {"Options/Interface/Fullscreen mode", "F10", E::Radio},
    {"Options/Interface/Windowed mode", "F11", E::RadioChecked},
    {"Options/Render video/Default", "", E::RadioChecked},
    {"Options/Render video/Direct Draw", "", E::Radio},
    {"Options/Render video/GDI", "", E::Radio},
    {"Options/Render audio/Default", "", E::RadioChecked},
    {"Options/Render audio/Direct SOUND", "", E::Radio},
    {"Options/Render audio/wave Out", "", E::Radio},
    {"Options/Audio Preferences"},
    {"Options/Support Audio 5.1", "", E::Check},
};
} // namespace

MainMenu::MainMenu(QMenuBar* bar)
    : MenuTree(bar, entries)
{
}
