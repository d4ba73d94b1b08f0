#pragma once

#include <QPolygon>
#include <QRegion>
#include <QSize>

// Mask shapes of a layer window: 0 the whole rectangle, 1 rounded corners (40 x 40 corner
// ellipses), 2 the inscribed ellipse, 3 a regular polygon.
enum class MaskShape { Normal = 0, Rounded = 1, Circular = 2, Polygon = 3 };

constexpr int MaxPolygonSides = 101;

// The polygon's vertices on a window of `size`: radius half the height, the first vertex at
// the top centre, counter-clockwise on screen; `sides` is clamped to 1 ... 101.
QPolygon polygonMask(QSize size, int sides);
// The visible area of a window of `size` with that shape.
QRegion maskRegion(QSize size, int shape, int sides);
