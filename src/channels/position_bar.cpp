#include "channels/position_bar.h"

#include <QPainter>
#include <QStyle>

PositionBar::PositionBar(QWidget* parent)
    : QSlider(Qt::Horizontal, parent)
{
}

void PositionBar::setSelectionEnd(int position)
{
    if (position == m_selectionEnd)
        return;
    m_selectionEnd = position;
    update();
}

void PositionBar::paintEvent(QPaintEvent* event)
{
    QSlider::paintEvent(event);
    if (maximum() <= minimum() || m_selectionEnd <= minimum())
        return;
    QPainter painter(this);
    const int end =
        QStyle::sliderPositionFromValue(minimum(), maximum(), m_selectionEnd, width() - 1);
    painter.fillRect(QRect(0, height() - 4, end, 3), QColor(0x30, 0xa0, 0xff));
}
