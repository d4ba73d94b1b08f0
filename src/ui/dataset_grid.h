#pragma once

#include <QTableView>

class ReadDataset;
class DatasetModel;

// One column of a grid: its title, the dataset column it shows and its width. A picture
// column draws the stored picture of its dataset column (a BMP blob) instead of text.
struct GridColumn {
    QString title;
    QString column;
    int width = 80;
    bool picture = false;
};

// A read-only grid over a read dataset. The grid's current row and the dataset's cursor are
// kept together: clicking a row moves the cursor, reload() shows the cursor's row.
class DatasetGrid : public QTableView {
    Q_OBJECT
public:
    DatasetGrid(const QString& name, ReadDataset& dataset, const QList<GridColumn>& columns,
                QWidget* parent = nullptr);

    ReadDataset& dataset() const { return m_dataset; }
    // Shows the dataset's rows again after it was reopened, with its cursor's row current.
    void reload();
    // Moves the grid's current row to the dataset's cursor (the rows are unchanged).
    void showCursor();
    void setRowHeight(int pixels);

signals:
    // The dataset's cursor moved to another row by the operator.
    void cursorMoved();
    // Double click on a row.
    void rowActivated();

private:
    ReadDataset& m_dataset;
    DatasetModel* m_model;
    bool m_reloading = false;
};
