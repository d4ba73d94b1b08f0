#include "core/main_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace {
enum Kind { Plain, Check, Checked, Radio, RadioChecked, Separator };

struct Entry {
    const char* path; // menu path and caption
    const char* shortcut;
    Kind kind;
    const char* objectName;
};

// Entries in menu order. Radio entries that follow each other in one menu form one group.
const Entry entries[] = {
    {"File/Set vnc viewer", "", Plain, nullptr},
    {"File/-", "", Separator, nullptr},
    {"File/Close Quillon", "Ctrl+X", Plain, nullptr},
    {"Library/Explorer cache video", "Alt+E", Plain, nullptr},
    {"Library/Set Cache Video Directory", "", Plain, nullptr},
    {"Library/-", "", Separator, nullptr},
    {"Library/Add clip", "Alt+Ins", Plain, nullptr},
    {"Library/Rename clip", "Alt+R", Plain, nullptr},
    {"Library/Delete clip", "Alt+Del", Plain, nullptr},
    {"Library/Change Playlist", "Alt+C", Plain, nullptr},
    {"Library/-", "", Separator, nullptr},
    {"Library/Playlists/Create new", "Alt+N", Plain, nullptr},
    {"Library/Playlists/Rename", "Shift+Alt+R", Plain, nullptr},
    {"Library/Playlists/Delete", "Shift+Alt+Del", Plain, nullptr},
    {"Library/Repeat playlist", "", Check, "RepeatPlaylist"},
    {"Library/Playlist end action /Last frame ", "Ctrl+Alt+1", Plain, nullptr},
    {"Library/Playlist end action /Loop", "Ctrl+Alt+2", Plain, nullptr},
    {"Library/Playlist end action /Black", "Ctrl+Alt+3", Plain, nullptr},
    {"Library/Playlist end action /Next Clip", "Ctrl+Alt+4", Plain, nullptr},
    {"Stage/Screen preferences", "", Plain, nullptr},
    {"Stage/-", "", Separator, nullptr},
    {"Stage/Add a Stage", "Ctrl+N", Plain, nullptr},
    {"Stage/Delete Stage", "Ctrl+D", Plain, nullptr},
    {"Stage/Stage Setup", "", Plain, nullptr},
    {"Communications/Network preferences", "", Plain, nullptr},
    {"Communications/Create a connection", "", Plain, nullptr},
    {"Communications/-", "", Separator, nullptr},
    {"Communications/ArtNet Active", "", Check, nullptr},
    {"Communications/ArtNet Configuration", "", Plain, nullptr},
    {"Communications/DMX Mapper", "", Plain, nullptr},
    {"Communications/-", "", Separator, nullptr},
    {"Communications/Refresh Midi Device", "Ctrl+Alt+K", Plain, nullptr},
    {"Communications/Midi Device/", "", Plain, "Mididevice1"},
    {"Communications/Midi Active", "Alt+K", Check, nullptr},
    {"Communications/Midi Mapper", "Alt+J", Plain, nullptr},
    {"Options/Interface/Fullscreen mode", "F10", Radio, nullptr},
    {"Options/Interface/Windowed mode", "F11", RadioChecked, nullptr},
    {"Options/Render video/Default", "", RadioChecked, nullptr},
    {"Options/Render video/Direct Draw", "", Radio, nullptr},
    {"Options/Render video/GDI", "", Radio, nullptr},
    {"Options/Render audio/Default", "", RadioChecked, nullptr},
    {"Options/Render audio/Direct SOUND", "", Radio, nullptr},
    {"Options/Render audio/wave Out", "", Radio, nullptr},
    {"Options/Audio Preferences", "", Plain, nullptr},
    {"Options/Support Audio 5.1", "", Check, nullptr},
};
} // namespace

MainMenu::MainMenu(QMenuBar* bar)
    : QObject(bar)
    , m_bar(bar)
{
    QActionGroup* group = nullptr;
    QString groupMenu;
    for (const Entry& entry : entries) {
        const QString path = QString::fromUtf8(entry.path);
        const qsizetype slash = path.lastIndexOf('/');
        const QString menuPath = path.left(slash);
        const QString caption = path.mid(slash + 1);
        QMenu* parent = submenu(menuPath);
        if (caption.isEmpty()) { // the entry is the sub-menu itself
            parent->setObjectName(QString::fromLatin1(entry.objectName));
            continue;
        }
        if (entry.kind == Separator) {
            parent->addSeparator();
            continue;
        }
        QAction* action = parent->addAction(caption);
        if (entry.objectName)
            action->setObjectName(QString::fromLatin1(entry.objectName));
        if (*entry.shortcut)
            action->setShortcut(QKeySequence(QString::fromLatin1(entry.shortcut)));
        action->setCheckable(entry.kind != Plain);
        action->setChecked(entry.kind == Checked || entry.kind == RadioChecked);
        if (entry.kind == Radio || entry.kind == RadioChecked) {
            if (!group || groupMenu != menuPath) {
                group = new QActionGroup(parent);
                groupMenu = menuPath;
            }
            group->addAction(action);
        }
        m_actions.insert(path, action);
    }
}

QMenu* MainMenu::submenu(const QString& path)
{
    if (QMenu* existing = m_menus.value(path))
        return existing;
    const qsizetype slash = path.lastIndexOf('/');
    QMenu* created =
        slash < 0 ? m_bar->addMenu(path) : submenu(path.left(slash))->addMenu(path.mid(slash + 1));
    m_menus.insert(path, created);
    return created;
}

QAction* MainMenu::action(const QString& path) const
{
    return m_actions.value(path);
}

QMenu* MainMenu::menu(const QString& path) const
{
    return m_menus.value(path);
}
