#pragma once

#include <QList>
#include <QWidget>

class QAbstractButton;
class QLabel;

// The "Test Pattern" page: the pattern buttons and the grid and LED wall options.
class TestPatternPage : public QWidget {
    Q_OBJECT
public:
    explicit TestPatternPage(QWidget* parent = nullptr);

    // "OFF", then the patterns in the order "TAKE" draws them again.
    const QList<QAbstractButton*>& patternButtons() const { return m_patterns; }
    // The grid's cell counts as its "-" / "+" buttons show them.
    QLabel* gridColumns() const { return m_gridColumns; }
    QLabel* gridRows() const { return m_gridRows; }

private:
    QList<QAbstractButton*> m_patterns;
    QLabel* m_gridColumns;
    QLabel* m_gridRows;
};
