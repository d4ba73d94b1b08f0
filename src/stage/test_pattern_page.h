#pragma once

#include <QWidget>

// The "Test Pattern" page: the pattern buttons and the grid and LED wall options.
class TestPatternPage : public QWidget {
    Q_OBJECT
public:
    explicit TestPatternPage(QWidget* parent = nullptr);
};
