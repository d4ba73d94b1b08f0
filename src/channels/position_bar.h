#pragma once

#include <QSlider>

// A channel's position bar: the thumb where the operator may seek, and a selection that
// always follows playback (drawn as a filled span from the start), even while the thumb is
// held by the operator.
class PositionBar : public QSlider {
    Q_OBJECT
public:
    explicit PositionBar(QWidget* parent = nullptr);

    int selectionEnd() const { return m_selectionEnd; }
    void setSelectionEnd(int position);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_selectionEnd = 0;
};
