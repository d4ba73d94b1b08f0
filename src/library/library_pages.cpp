#include "library/library_pages.h"

#include "data/show_database.h"
#include "ui/dataset_grid.h"
#include "ui/menu_tree.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
using E = MenuEntry;
const QList<MenuEntry> clipMenuEntries = {
    {"Move up"},
    {"Move down"},
    {"-", "", E::Separator},
    {"Add clips"},
    {"Make duplicated"},
    {"Make duplicated without filters"},
    {"Delete clip"},
    {"Rename"},
    {"Relink clip file"},
    {"-", "", E::Separator},
    {"Autoload stage/Active"},
    {"Autoload stage/Remove"},
    {"End action/Last frame", "Ctrl+1"},
    {"End action/Loop", "Ctrl+2"},
    {"End action/Black", "Ctrl+3"},
    {"End action/Next clip", "Ctrl+4"},
    {"Set aspect ratio/Original"},
    {"Set aspect ratio/Fit"},
    {"Set aspect ratio/4:3"},
    {"Set aspect ratio/16:9"},
    {"Set aspect ratio/1.85:1"},
    {"Set aspect ratio/2.35:1"},
    {"Convert/3s video loop"},
    {"Convert/5s video loop"},
    {"Convert/10s video loop"},
    {"Reset all filters"},
    {"-", "", E::Separator},
    {"Change playlist"},
};

const QList<MenuEntry> connectionMenuEntries = {
    {"Create a connection"}, {"Edit connection"},     {"Delete connection"},
    {"Test connection"},     {"-", "", E::Separator}, {"Vnc connect"},
};

const QList<MenuEntry> actionMenuEntries = {
    {"Add action"},        {"Edit action"},        {"Delete action"},       {"-", "", E::Separator},
    {"Set MIDI control"},  {"Set DMX control"},    {"-", "", E::Separator}, {"Set as start action"},
    {"Set as end action"}, {"Clear start action"}, {"Clear end action"},
};

MenuTree* popup(const char* name, const QList<MenuEntry>& entries, QWidget* parent)
{
    auto* menu = new QMenu(parent);
    menu->setObjectName(QString::fromLatin1(name));
    return new MenuTree(menu, entries);
}
} // namespace

void attachPopup(QWidget* grid, MenuTree* menu)
{
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(grid, &QWidget::customContextMenuRequested, grid,
                     [grid, menu](QPoint at) { menu->menu({})->popup(grid->mapToGlobal(at)); });
}

LibraryPages::LibraryPages(ShowDatabase& database, QWidget* parent)
    : QTabWidget(parent)
{
    setObjectName("pagina2");
    m_clips = new DatasetGrid("elencoClip", database.playlist,
                              {{" ", "frame", 46, true}, // room for the 45-pixel thumbnail
                               {"Title", "titolo", 200},
                               {"Duration", "t1", 100},
                               {"Type", "tipo", 130},
                               {"Resolution", "risoluzione", 80},
                               {"A/Ratio", "aspectratio", 70},
                               {"End action", "status", 100},
                               {"Linked", "t2", 80}},
                              this);
    m_clips->setRowHeight(30);
    m_clipMenu = popup("mPlaylist", clipMenuEntries, m_clips);
    attachPopup(m_clips, m_clipMenu);

    m_connections = new DatasetGrid("ElencoConn", database.dbConn,
                                    {{"ID", "id", 40},
                                     {"NAME", "nome", 160},
                                     {"TYPE", "tiponome", 90},
                                     {"IP ADDRESS", "host", 110},
                                     {"PORT", "port", 60},
                                     {"URL", "url", 200},
                                     {"USERNAME", "username", 100}},
                                    this);
    m_connections->setRowHeight(30);
    m_connectionMenu = popup("mConn", connectionMenuEntries, m_connections);
    attachPopup(m_connections, m_connectionMenu);

    m_actions = new DatasetGrid("elencoAction", database.dbAzioni,
                                {{"ID", "id", 50}, {"NAME", "nome", 220}}, this);
    m_actionMenu = popup("mAction", actionMenuEntries, m_actions);
    attachPopup(m_actions, m_actionMenu);

    addTab(m_clips, "LIBRARY");
    addTab(m_connections, "CONNECTIONS");
    addTab(buildActionsPage(), "ACTIONS");
}

QWidget* LibraryPages::buildActionsPage()
{
    auto* page = new QWidget(this);
    page->setObjectName("pagAction");
    const char* buttons[][2] = {{"btnAddAction", "ADD"},
                                {"btnEditAction", "EDIT"},
                                {"btnDeleteAction", "DELETE"},
                                {"btnGetDmxAction", "SET DMX CTRL"},
                                {"btnGetMidiAction", "SET MIDI CTRL"},
                                {"btnMakeAction", "MAKE ACTION"},
                                {"btnSetStartAction", "SET START ACTION"},
                                {"btnSetEndAction", "SET END ACTION"},
                                {"btnClearStartAction", "CLEAR START ACTION"},
                                {"btnClearEndAction", "CLEAR END ACTION"}};
    auto* column = new QGridLayout;
    int index = 0;
    for (const auto& [name, caption] : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(caption), page);
        button->setObjectName(QString::fromLatin1(name));
        m_actionButtons.insert(button->objectName(), button);
        column->addWidget(button, index / 2, index % 2);
        ++index;
    }
    column->setRowStretch(index / 2, 1);
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(m_actions, 1);
    layout->addLayout(column);
    return page;
}
