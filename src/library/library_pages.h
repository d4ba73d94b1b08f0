#pragma once

#include <QHash>
#include <QTabWidget>

class DatasetGrid;
class MenuTree;
class QPushButton;
class ShowDatabase;

// The lower-left pages: "LIBRARY" (the clips of the current playlist), "CONNECTIONS" and
// "ACTIONS", each grid with its pop-up menu.
class LibraryPages : public QTabWidget {
    Q_OBJECT
public:
    LibraryPages(ShowDatabase& database, QWidget* parent = nullptr);

    DatasetGrid* clipGrid() const { return m_clips; }
    DatasetGrid* connectionGrid() const { return m_connections; }
    DatasetGrid* actionGrid() const { return m_actions; }
    MenuTree* clipMenu() const { return m_clipMenu; }
    MenuTree* connectionMenu() const { return m_connectionMenu; }
    MenuTree* actionMenu() const { return m_actionMenu; }
    // A button of the "ACTIONS" page by its name ("btnAddAction" ...).
    QPushButton* actionButton(const QString& name) const { return m_actionButtons.value(name); }

private:
    QWidget* buildActionsPage();

    DatasetGrid* m_clips;
    DatasetGrid* m_connections;
    DatasetGrid* m_actions;
    MenuTree* m_clipMenu;
    MenuTree* m_connectionMenu;
    MenuTree* m_actionMenu;
    QHash<QString, QPushButton*> m_actionButtons;
};

// Shows `menu` at the pointer when `grid` asks for its context menu.
void attachPopup(QWidget* grid, MenuTree* menu);
