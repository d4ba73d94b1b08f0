#include "ui/dataset_grid.h"

#include "data/read_dataset.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QHeaderView>
#include <QPainter>
#include <QPixmap>
#include <QStyledItemDelegate>

class DatasetModel : public QAbstractTableModel {
public:
    DatasetModel(ReadDataset& dataset, QList<GridColumn> columns, QObject* parent)
        : QAbstractTableModel(parent)
        , m_dataset(dataset)
        , m_columns(std::move(columns))
    {
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : m_dataset.count();
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_columns.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        const GridColumn& column = m_columns.at(index.column());
        if (role == Qt::DisplayRole && !column.picture)
            return m_dataset.textAt(index.row(), column.column);
        if (role == Qt::DecorationRole && column.picture)
            return picture(index.row(), column.column);
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return m_columns.at(section).title;
        return {};
    }

    void reset()
    {
        beginResetModel();
        m_pictures.clear();
        endResetModel();
    }

    const QList<GridColumn>& columns() const { return m_columns; }

private:
    // Stored pictures are decoded once per reload, not at every paint.
    QPixmap picture(int row, const QString& column) const
    {
        const auto cached = m_pictures.constFind(row);
        if (cached != m_pictures.cend())
            return *cached;
        QPixmap pixmap;
        pixmap.loadFromData(m_dataset.valueAt(row, column).toByteArray());
        m_pictures.insert(row, pixmap);
        return pixmap;
    }

    ReadDataset& m_dataset;
    QList<GridColumn> m_columns;
    mutable QHash<int, QPixmap> m_pictures;
};

namespace {
// Draws a stored picture stretched from the cell's top-left corner: 45 pixels wide, as
// high as the row.
class PictureDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, QModelIndex());
        const QPixmap pixmap = index.data(Qt::DecorationRole).value<QPixmap>();
        if (!pixmap.isNull())
            painter->drawPixmap(QRect(option.rect.topLeft(), QSize(45, option.rect.height())),
                                pixmap);
    }
};
} // namespace

DatasetGrid::DatasetGrid(const QString& name, ReadDataset& dataset,
                         const QList<GridColumn>& columns, QWidget* parent)
    : QTableView(parent)
    , m_dataset(dataset)
    , m_model(new DatasetModel(dataset, columns, this))
{
    setObjectName(name);
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    for (int i = 0; i < columns.size(); ++i) {
        setColumnWidth(i, columns.at(i).width);
        if (columns.at(i).picture)
            setItemDelegateForColumn(i, new PictureDelegate(this));
    }
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (m_reloading || !current.isValid())
                    return;
                if (m_dataset.moveTo(current.row()))
                    emit cursorMoved();
            });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            emit rowActivated();
    });
}

void DatasetGrid::reload()
{
    m_reloading = true;
    m_model->reset();
    m_reloading = false;
    showCursor();
}

void DatasetGrid::showCursor()
{
    const int row = m_dataset.recNo();
    if (row < 0 || row == currentIndex().row())
        return;
    m_reloading = true;
    setCurrentIndex(m_model->index(row, 0));
    m_reloading = false;
}

void DatasetGrid::setRowHeight(int pixels)
{
    verticalHeader()->setDefaultSectionSize(pixels);
}
