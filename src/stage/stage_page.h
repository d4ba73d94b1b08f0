#pragma once

#include <QWidget>

class DatasetGrid;
class QAbstractButton;
class ShowDatabase;

// The "Stage" page: the list of stages and what to do with them.
class StagePage : public QWidget {
    Q_OBJECT
public:
    StagePage(ShowDatabase& database, QWidget* parent = nullptr);

    struct Controls {
        QAbstractButton* setup;       // "STAGE SETUP"
        QAbstractButton* stageActive; // "STAGE ACTIVE"
        QAbstractButton* take;        // "TAKE"
        QAbstractButton* saveToClip;  // "SAVE TO ACTIVE CLIP"
        QAbstractButton* moveUp;
        QAbstractButton* moveDown;
        QAbstractButton* changeBackground;
        QAbstractButton* changeLayerA;
        QAbstractButton* changeLayerB;
    };

    DatasetGrid* grid() const { return m_grid; }
    const Controls& controls() const { return m_controls; }

private:
    DatasetGrid* m_grid;
    Controls m_controls;
};
