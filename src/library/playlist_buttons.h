#pragma once

#include <QWidget>

class DatasetGrid;
class MenuTree;
class Playlists;
class ShowDatabase;

// The column of playlist buttons (`sceltalista`), six visible at a time in a windowed console:
// a click shows that playlist, a double click makes it the destination; with its pop-up menu
// `mLista`.
class PlaylistButtons : public QWidget {
    Q_OBJECT
public:
    static constexpr int RowHeight = 40;
    static constexpr int VisibleRows = 6;

    PlaylistButtons(ShowDatabase& database, Playlists& playlists, QWidget* parent = nullptr);

    DatasetGrid* grid() const { return m_grid; }
    // How many buttons show at a time (the column's height).
    void setVisibleRows(int rows);
    MenuTree* menu() const { return m_menu; }

private:
    DatasetGrid* m_grid;
    MenuTree* m_menu;
};
