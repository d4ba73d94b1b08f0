#pragma once

#include <QWidget>

class DatasetGrid;
class ShowDatabase;

// The "Stage" page: the list of stages and what to do with them.
class StagePage : public QWidget {
    Q_OBJECT
public:
    StagePage(ShowDatabase& database, QWidget* parent = nullptr);

    DatasetGrid* grid() const { return m_grid; }

private:
    DatasetGrid* m_grid;
};
