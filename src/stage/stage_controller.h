#pragma once

#include <QList>
#include <QObject>

class OutputWindow;
class QAbstractButton;
struct CurrentStage;
class ReadDataset;

// Puts the current stage on the output windows (`CreaLayout`), and the Stage page's
// "STAGE ACTIVE" and "TAKE". The three "Change" check boxes choose which windows a stage
// changes; a window whose box is not ticked is left exactly as it was.
class StageController : public QObject {
    Q_OBJECT
public:
    struct Controls {
        QAbstractButton* changeBackground;
        QAbstractButton* changeLayerA;
        QAbstractButton* changeLayerB;
        QAbstractButton* stageActive;
        // The test pattern buttons: "OFF" first, then the patterns in the order "TAKE"
        // redraws them.
        QList<QAbstractButton*> patterns;
    };
    StageController(CurrentStage& stage, ReadDataset& stages, Controls controls,
                    QObject* parent = nullptr);

    void attachWindows(OutputWindow* background, OutputWindow* layerA, OutputWindow* layerB);

    // Applies the current stage to the windows of the ticked boxes, showing them (true) or
    // hiding them (false).
    void CreaLayout(bool show);
    // "STAGE ACTIVE": the selected stage goes on air (pressed) or its windows are hidden.
    void stageActive(bool pressed);
    // "TAKE": while on air, the selected stage replaces the one on air; a test pattern on
    // show is drawn again in the new geometry.
    void take();
    // A starting clip's own stage: when the clip asks for it (monitor 1, "Load stage"
    // ticked), the stage is on air and it is another stage, the clip's Change settings are
    // ticked and its stage taken. True when a stage was taken.
    bool ApplyClipStage(int monitor, const QString& stageName, int changeA, int changeB,
                        int changeBG, bool loadStage);

signals:
    // Another stage went on air.
    void stageOnAir(const QString& name);
    // A layer window moved or changed size: its player redraws its picture there.
    void layerMoved(int channel);
    // A stage was applied to these layers; `restart` asks for their opacity sliders to be
    // reset ("RESET FADE SLIDERS").
    void layersApplied(bool layerA, bool layerB, bool restart);

private:
    void putSelectedOnAir();

    CurrentStage& m_stage;
    ReadDataset& m_stages;
    Controls m_controls;
    OutputWindow* m_background = nullptr;
    OutputWindow* m_layerA = nullptr;
    OutputWindow* m_layerB = nullptr;
};
