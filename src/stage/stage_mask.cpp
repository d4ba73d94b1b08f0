#include "stage/stage_mask.h"

#include <QPainterPath>
#include <algorithm>
#include <cmath>

QPolygon polygonMask(QSize size, int sides)
{
    const int n = std::clamp(sides, 1, MaxPolygonSides);
    const int cx = size.width() / 2;
    const int cy = size.height() / 2;
    const double radius = cy;
    const double step = 360.0 / n;
    QPolygon vertices;
    for (int i = 0; i < n; ++i) {
        const double angle = (i * step + 90.0) * M_PI / 180.0;
        // Rounded to the nearest integer, halves to the even neighbour.
        vertices << QPoint(cx + int(std::nearbyint(std::cos(angle) * radius)),
                           cy - int(std::nearbyint(std::sin(angle) * radius)));
    }
    return vertices;
}

QRegion maskRegion(QSize size, int shape, int sides)
{
    const QRect rect(QPoint(0, 0), size);
    switch (MaskShape(shape)) {
    case MaskShape::Rounded: {
        QPainterPath path;
        path.addRoundedRect(rect, 20, 20);
        return QRegion(path.toFillPolygon().toPolygon(), Qt::WindingFill);
    }
    case MaskShape::Circular:
        return QRegion(rect, QRegion::Ellipse);
    case MaskShape::Polygon:
        return QRegion(polygonMask(size, sides), Qt::WindingFill);
    default:
        return QRegion(rect);
    }
}
