#pragma once

#include <QHash>
#include <QScrollArea>

class QGridLayout;
class ReadDataset;

// "Action PAD": one tile for each stored action, five in a row, for live use; a click on a
// tile makes its action current and asks for it to run.
class ActionPad : public QScrollArea {
    Q_OBJECT
public:
    static constexpr int Columns = 5;
    static constexpr int TileWidth = 165;
    static constexpr int TileHeight = 72;

    ActionPad(ReadDataset& actions, QWidget* parent = nullptr);

    // Shows the actions as they were read last.
    void reload();
    // The tile of the action with this id; null when there is none.
    QWidget* tile(int id) const { return m_byId.value(id); }

signals:
    void tileClicked(int id);

private:
    ReadDataset& m_actions;
    QWidget* m_tiles;
    QGridLayout* m_grid;
    QHash<int, QWidget*> m_byId; // the tiles shown, by action id
};
