#include "stage/stage_page.h"

#include "data/show_database.h"
#include "ui/dataset_grid.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

StagePage::StagePage(ShowDatabase& database, QWidget* parent)
    : QWidget(parent)
{
    setObjectName("pStage");
    m_grid =
        new DatasetGrid("sceltalayout", database.layoutdb1,
                        {{"STAGE", "nome", 220}, {"WIDTH", "sx", 70}, {"HEIGHT", "sy", 70}}, this);
    m_grid->setRowHeight(30);

    const char* buttons[][2] = {
        {"btnLayerSetup", "STAGE SETUP"}, {"btnScreen1", "STAGE ACTIVE"},
        {"btnStageTake", "TAKE"},         {"btnStageSave", "SAVE TO ACTIVE CLIP"},
        {"btnLayoutMoveUp", "Move up"},   {"btnLayoutMoveDown", "Move down"}};
    auto* column = new QVBoxLayout;
    QList<QAbstractButton*> made;
    for (const auto& [name, caption] : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(caption), this);
        button->setObjectName(QString::fromLatin1(name));
        button->setCheckable(QByteArray(name) == "btnScreen1");
        column->addWidget(button);
        made.append(button);
    }
    const char* checks[][2] = {{"chkChangeBackground", "Change Background"},
                               {"chkChangeLayerA", "Change Layer A"},
                               {"chkChangeLayerB", "Change Layer B"}};
    for (const auto& [name, caption] : checks) {
        auto* check = new QCheckBox(QString::fromLatin1(caption), this);
        check->setObjectName(QString::fromLatin1(name));
        check->setChecked(true);
        column->addWidget(check);
        made.append(check);
    }
    m_controls = {made[0], made[1], made[2], made[3], made[4], made[5], made[6], made[7], made[8]};
    // Keeps the stage shortcuts working after the operator ticks the box.
    connect(m_controls.changeBackground, &QAbstractButton::clicked, m_grid,
            [this] { m_grid->setFocus(); });
    column->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_grid, 1);
    layout->addLayout(column);
}
