#pragma once

#include <QColor>

// Colours are stored as 0x00BBGGRR numbers.
inline QColor bgrColour(unsigned colour)
{
    return QColor(int(colour & 0xff), int((colour >> 8) & 0xff), int((colour >> 16) & 0xff));
}

inline unsigned bgrNumber(const QColor& colour)
{
    return unsigned(colour.red()) | unsigned(colour.green()) << 8 | unsigned(colour.blue()) << 16;
}
