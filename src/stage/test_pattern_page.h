#pragma once

#include <QList>
#include <QWidget>

class QAbstractButton;

// The "Test Pattern" page: the pattern buttons and the grid and LED wall options.
class TestPatternPage : public QWidget {
    Q_OBJECT
public:
    explicit TestPatternPage(QWidget* parent = nullptr);

    // "OFF", then the patterns in the order "TAKE" draws them again.
    const QList<QAbstractButton*>& patternButtons() const { return m_patterns; }

private:
    QList<QAbstractButton*> m_patterns;
};
