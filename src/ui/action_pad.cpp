#include "ui/action_pad.h"

#include "data/read_dataset.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ActionPad::ActionPad(ReadDataset& actions, QWidget* parent)
    : QScrollArea(parent)
    , m_actions(actions)
    , m_tiles(new QWidget(this))
    , m_grid(new QGridLayout(m_tiles))
{
    setObjectName("f_azioni");
    setWindowTitle("Action PAD");
    m_grid->setSpacing(2);
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWidget(m_tiles);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    // Three rows of tiles when the console is in a window.
    setMinimumHeight(3 * TileHeight);
}

void ActionPad::reload()
{
    // A tile may be the one whose click is being handled: it goes when the event loop is back.
    m_byId.clear();
    while (QLayoutItem* item = m_grid->takeAt(0)) {
        item->widget()->hide();
        item->widget()->deleteLater();
        delete item;
    }
    QFont font("Arial");
    font.setPixelSize(19);
    for (int row = 0; row < m_actions.count(); ++row) {
        const int id = m_actions.valueAt(row, "id").toInt();
        auto* tile = new QPushButton(m_tiles);
        tile->setObjectName(QStringLiteral("action%1").arg(id));
        tile->setFixedSize(TileWidth, TileHeight);
        // The name wraps inside the tile; the tile takes the clicks.
        auto* name = new QLabel(m_actions.textAt(row, "nome"), tile);
        name->setFont(font);
        name->setWordWrap(true);
        name->setAlignment(Qt::AlignCenter);
        name->setAttribute(Qt::WA_TransparentForMouseEvents);
        (new QVBoxLayout(tile))->addWidget(name);
        connect(tile, &QPushButton::clicked, this, [this, id] { emit tileClicked(id); });
        m_grid->addWidget(tile, row / Columns, row % Columns);
        m_byId.insert(id, tile);
    }
}
