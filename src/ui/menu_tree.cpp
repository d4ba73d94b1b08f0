#include "ui/menu_tree.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

MenuTree::MenuTree(QMenuBar* bar, const QList<MenuEntry>& entries)
    : QObject(bar)
    , m_bar(bar)
{
    build(entries);
}

MenuTree::MenuTree(QMenu* popup, const QList<MenuEntry>& entries)
    : QObject(popup)
    , m_popup(popup)
{
    m_menus.insert(QString(), popup);
    build(entries);
}

void MenuTree::build(const QList<MenuEntry>& entries)
{
    QActionGroup* group = nullptr;
    QString groupMenu;
    for (const MenuEntry& entry : entries) {
        const QString path = QString::fromUtf8(entry.path);
        const qsizetype slash = path.lastIndexOf('/');
        const QString menuPath = slash < 0 ? QString() : path.left(slash);
        const QString caption = path.mid(slash + 1);
        QMenu* parent = submenu(menuPath);
        if (caption.isEmpty()) {
            parent->setObjectName(QString::fromLatin1(entry.objectName));
            continue;
        }
        if (entry.kind == MenuEntry::Separator) {
            parent->addSeparator();
            continue;
        }
        QAction* action = parent->addAction(caption);
        if (entry.objectName)
            action->setObjectName(QString::fromLatin1(entry.objectName));
        if (*entry.shortcut)
            action->setShortcut(QKeySequence(QString::fromLatin1(entry.shortcut)));
        action->setCheckable(entry.kind != MenuEntry::Plain);
        action->setChecked(entry.kind == MenuEntry::Checked ||
                           entry.kind == MenuEntry::RadioChecked);
        if (entry.kind == MenuEntry::Radio || entry.kind == MenuEntry::RadioChecked) {
            if (!group || groupMenu != menuPath) {
                group = new QActionGroup(parent);
                groupMenu = menuPath;
            }
            group->addAction(action);
        }
        m_actions.insert(path, action);
        m_order.append(path);
    }
}

QMenu* MenuTree::submenu(const QString& path)
{
    if (QMenu* existing = m_menus.value(path))
        return existing;
    const qsizetype slash = path.lastIndexOf('/');
    const QString caption = path.mid(slash + 1);
    QMenu* parent = slash < 0 ? m_popup : submenu(path.left(slash));
    QMenu* created = parent ? parent->addMenu(caption) : m_bar->addMenu(caption);
    m_menus.insert(path, created);
    return created;
}

QAction* MenuTree::action(const QString& path) const
{
    return m_actions.value(path);
}

QMenu* MenuTree::menu(const QString& path) const
{
    return m_menus.value(path);
}
