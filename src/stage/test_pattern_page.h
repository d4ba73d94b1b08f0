#pragma once

#include "stage/test_pattern.h"

#include <QList>
#include <QWidget>
#include <functional>

class OutputWindow;
class QAbstractButton;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;

// The "Test Pattern" page: the pattern buttons and the grid and LED wall options. A pattern is
// drawn into an image of the selected channel's layer window and shown on its surface, only
// while the stage is on air and neither player plays, pauses or resumes; "OFF" takes it away.
class TestPatternPage : public QWidget {
    Q_OBJECT
public:
    // Where patterns go and when they may.
    struct Stage {
        std::function<int()> selectedChannel;             // 1 Player A, 2 Player B
        std::function<OutputWindow*(int channel)> window; // null before the stage exists
        std::function<bool()> playersActive;              // either plays, pauses or resumes
        QAbstractButton* stageActive = nullptr;           // "STAGE ACTIVE"
        std::function<void(bool on)> levelMeters;
    };

    explicit TestPatternPage(QWidget* parent = nullptr);
    void attach(Stage stage) { m_stage = std::move(stage); }

    // "OFF", then the patterns in the order "TAKE" draws them again.
    const QList<QAbstractButton*>& patternButtons() const { return m_patterns; }
    // The grid's cell counts as its "-" / "+" buttons show them.
    QLabel* gridColumns() const { return m_gridColumns; }
    QLabel* gridRows() const { return m_gridRows; }

    // The pattern of the sender's tag into the selected channel's window.
    void btnBarsClick(QAbstractButton* sender);
    // Takes the selected channel's pattern away: the window shows its layer colour again.
    void btnPatternOffClick();

private:
    QAbstractButton* patternButton(int tag) const;
    PatternOptions options(int channel) const;
    // "-" / "+" of a number label within first..last, then the pattern drawn again.
    void step(QLabel* number, int by, int first, int last, int redrawTag);

    Stage m_stage;
    QList<QAbstractButton*> m_patterns;
    QLabel* m_gridColumns;
    QLabel* m_gridRows;
    QLabel* m_ledColumns;
    QLabel* m_ledRows;
    QLabel* m_tileColumn;
    QLabel* m_tileRow;
    QLineEdit* m_tileWidth;
    QLineEdit* m_tileHeight;
    QCheckBox* m_powerOnly;
    QCheckBox* m_showNumber;
    QGroupBox* m_gridOptions;
    QGroupBox* m_ledOptions;
};
