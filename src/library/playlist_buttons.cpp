#include "library/playlist_buttons.h"

#include "data/show_database.h"
#include "library/library_pages.h"
#include "library/playlists.h"
#include "ui/dataset_grid.h"
#include "ui/menu_tree.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QVBoxLayout>

PlaylistButtons::PlaylistButtons(ShowDatabase& database, Playlists& playlists, QWidget* parent)
    : QWidget(parent)
{
    m_grid = new DatasetGrid("sceltalista", database.lista, {{"PLAYLISTS", "lista", 200}}, this);
    m_grid->horizontalHeader()->hide();
    m_grid->setShowGrid(false);
    m_grid->setRowHeight(RowHeight);
    setVisibleRows(VisibleRows);
    m_grid->setStyleSheet("QTableView#sceltalista::item { border: 1px solid #55595f;"
                          " border-radius: 3px; margin: 2px; background: #3a3d42; }"
                          "QTableView#sceltalista::item:selected { background: #2f7dd1; }");
    connect(m_grid, &QAbstractItemView::clicked, &playlists,
            [&playlists](const QModelIndex& index) { playlists.select(index.row()); });
    connect(m_grid, &QAbstractItemView::doubleClicked, &playlists,
            [&playlists](const QModelIndex& index) { playlists.setDestination(index.row()); });

    auto* popup = new QMenu(m_grid);
    popup->setObjectName("mLista");
    m_menu = new MenuTree(popup, {{"Move up"},
                                  {"Move down"},
                                  {"-", "", MenuEntry::Separator},
                                  {"Create new"},
                                  {"Rename"},
                                  {"Delete"},
                                  {"-", "", MenuEntry::Separator},
                                  {"Last Frame"},
                                  {"Loop"},
                                  {"Black"},
                                  {"Next clip"}});
    attachPopup(m_grid, m_menu);
    connect(m_menu->action("Move up"), &QAction::triggered, &playlists, &Playlists::moveUp);
    connect(m_menu->action("Move down"), &QAction::triggered, &playlists, &Playlists::moveDown);
    connect(m_menu->action("Create new"), &QAction::triggered, &playlists, &Playlists::create);
    connect(m_menu->action("Rename"), &QAction::triggered, &playlists, &Playlists::rename);
    connect(m_menu->action("Delete"), &QAction::triggered, &playlists, &Playlists::remove);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_grid);
}

void PlaylistButtons::setVisibleRows(int rows)
{
    m_grid->setFixedHeight(RowHeight * rows + 2 * m_grid->frameWidth());
}
