#include "stage/stage_controller.h"

#include "data/read_dataset.h"
#include "stage/current_stage.h"
#include "stage/output_window.h"

#include <QAbstractButton>
#include <QFileInfo>

StageController::StageController(CurrentStage& stage, ReadDataset& stages, Controls controls,
                                 QObject* parent)
    : QObject(parent)
    , m_stage(stage)
    , m_stages(stages)
    , m_controls(controls)
{
    connect(m_controls.stageActive, &QAbstractButton::clicked, this,
            [this] { stageActive(m_controls.stageActive->isChecked()); });
}

void StageController::attachWindows(OutputWindow* background, OutputWindow* layerA,
                                    OutputWindow* layerB)
{
    m_background = background;
    m_layerA = layerA;
    m_layerB = layerB;
}

void StageController::CreaLayout(bool show)
{
    if (!m_background || !m_layerA || !m_layerB)
        return;
    const StageRecord& s = m_stage.schermi;
    const QPoint origin(m_stage.offsetx, m_stage.offsety);
    if (m_controls.changeBackground->isChecked()) {
        if (s.schermo != 0) {
            m_background->setOnStage(false);
            m_background->setPicture({});
            m_background->setColour(0);
        } else {
            m_background->setGeometry(QRect(origin, QSize(m_stage.sx, m_stage.sy)));
            const bool picture = s.picture != 0 && QFileInfo::exists(s.sfondo);
            m_background->setPicture(picture ? QImage(s.sfondo) : QImage());
            m_background->setColour(s.colore);
            m_background->setOnStage(show);
        }
    }
    const QRect layerA(origin + QPoint(s.aleft, s.atop), QSize(s.awidth, s.aheigth));
    if (m_controls.changeLayerA->isChecked()) {
        m_layerA->setGeometry(layerA);
        m_layerA->setOnStage(show);
        m_layerA->applyMask(s.ashape, s.alati);
        m_layerA->setColour(s.acolor);
        m_layerA->raise();
        emit layerMoved(1);
    }
    if (m_controls.changeLayerB->isChecked()) {
        m_layerB->setOnStage(show);
        if (s.fullscreen != 0) { // one-player mode: B takes layer A's place and look
            m_layerB->setGeometry(layerA);
            m_layerB->setColour(s.acolor);
            m_layerB->applyMask(s.ashape, s.alati);
        } else {
            m_layerB->setGeometry(
                QRect(origin + QPoint(s.bleft, s.btop), QSize(s.bwidth, s.bheigth)));
            m_layerB->setColour(s.bcolor);
            m_layerB->applyMask(s.bshape, s.blati);
        }
        m_layerB->raise();
        emit layerMoved(2);
    }
    emit layersApplied(m_controls.changeLayerA->isChecked(), m_controls.changeLayerB->isChecked(),
                       s.restart == 1);
}

void StageController::putSelectedOnAir()
{
    m_stage.nome = m_stages.text("nome");
    m_stage.copiaLayout(m_stages);
    emit stageOnAir(m_stage.nome);
}

void StageController::stageActive(bool pressed)
{
    putSelectedOnAir();
    CreaLayout(pressed);
}

void StageController::take()
{
    if (!m_controls.stageActive->isChecked())
        return;
    putSelectedOnAir();
    CreaLayout(true);
    const QList<QAbstractButton*>& patterns = m_controls.patterns;
    if (patterns.isEmpty() || patterns.first()->isChecked())
        return;
    for (QAbstractButton* pattern : patterns.mid(1))
        if (pattern->isChecked())
            pattern->click();
}

bool StageController::ApplyClipStage(int monitor, const QString& stageName, int changeA,
                                     int changeB, int changeBG, bool loadStage)
{
    const QString name = rightTrimmed(stageName);
    if (monitor != 1 || !loadStage || name == m_stage.nome || !m_controls.stageActive->isChecked())
        return false;
    if (!m_stages.locate("nome", name))
        return false;
    m_controls.changeLayerA->setChecked(changeA == 1);
    m_controls.changeLayerB->setChecked(changeB == 1);
    m_controls.changeBackground->setChecked(changeBG == 1);
    putSelectedOnAir();
    CreaLayout(true);
    return true;
}
