#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

class QAction;
class QMenu;
class QMenuBar;

// One entry of a menu, by its path of captions ("Library/Playlists/Create new"). A path
// ending in '/' names the sub-menu itself (to give it an object name); a caption "-" is a
// separator. Radio entries that follow each other in one menu form one exclusive group.
struct MenuEntry {
    enum Kind { Plain, Check, Checked, Radio, RadioChecked, Separator };
    const char* path;
    const char* shortcut = "";
    Kind kind = Plain;
    const char* objectName = nullptr;
};

// A menu bar or a pop-up menu built from a table of entries; entries are found by path.
class MenuTree : public QObject {
    Q_OBJECT
public:
    MenuTree(QMenuBar* bar, const QList<MenuEntry>& entries);
    MenuTree(QMenu* popup, const QList<MenuEntry>& entries);

    QAction* action(const QString& path) const;
    QMenu* menu(const QString& path) const;
    // Every entry's path, in menu order (separators left out).
    QStringList paths() const { return m_order; }

private:
    void build(const QList<MenuEntry>& entries);
    QMenu* submenu(const QString& path);

    QMenuBar* m_bar = nullptr;
    QMenu* m_popup = nullptr;
    QHash<QString, QMenu*> m_menus;
    QHash<QString, QAction*> m_actions;
    QStringList m_order;
};
