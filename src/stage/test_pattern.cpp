#include "stage/test_pattern.h"

#include "shared/bgr_colour.h"

#include <QFontMetrics>
#include <QPainter>
#include <optional>

namespace {
// The bars from left to right (0x00BBGGRR); the reversed bars read the table backwards.
constexpr unsigned barColours[8] = {0xFFFFFF, 0x00FFFF, 0xFFFF00, 0x00FF00,
                                    0xFF00FF, 0x0000FF, 0xFF0000, 0x000000};

// Rectangle (x1, y1, x2, y2): filled (unless no fill) and outlined on its border pixels.
void box(QPainter& painter, int x1, int y1, int x2, int y2, const QColor& line,
         std::optional<QColor> fill)
{
    if (x2 <= x1 || y2 <= y1)
        return;
    if (fill)
        painter.fillRect(x1, y1, x2 - x1, y2 - y1, *fill);
    painter.fillRect(x1, y1, x2 - x1, 1, line);
    painter.fillRect(x1, y2 - 1, x2 - x1, 1, line);
    painter.fillRect(x1, y1, 1, y2 - y1, line);
    painter.fillRect(x2 - 1, y1, 1, y2 - y1, line);
}

void solid(QPainter& painter, int x1, int y1, int x2, int y2, const QColor& colour)
{
    box(painter, x1, y1, x2, y2, colour, colour);
}

// Eight bars from y1 to y2, the last one reaching the right edge.
void bars(QPainter& painter, int width, int y1, int y2, bool reversed)
{
    const int b = width / 8;
    for (int i = 0; i < 8; ++i)
        solid(painter, i * b, y1, i == 7 ? width : (i + 1) * b, y2,
              bgrColour(barColours[reversed ? 7 - i : i]));
}

// Text with its top-left corner at (x, y).
void text(QPainter& painter, const QFont& font, int x, int y, const QString& words)
{
    painter.setFont(font);
    painter.drawText(x, y + QFontMetrics(font).ascent(), words);
}

QFont pointFont(const QString& family, int points)
{
    QFont font(family);
    font.setPointSize(points);
    return font;
}

void bars75(QPainter& painter, int w, int h, const PatternOptions& options)
{
    const int y75 = h * 75 / 100;
    bars(painter, w, 0, y75, false);
    solid(painter, 0, y75, w, y75 + h / 100, Qt::white);
    painter.setPen(Qt::black);
    if (!options.layerB) {
        const int size = y75 * 20 / 100;
        if (size > 0)
            text(painter, pointFont(options.fontFamily, size), 0, y75 - size, " QUILLON 2");
    } else if (const int size = y75 * 10 / 100; size > 0) {
        text(painter, pointFont("Tahoma", size), 0, y75 * 80 / 100, " QUILLON 2");
    }
    bars(painter, w, y75 + h / 100, y75 + h * 10 / 100, true);
}

void grayScale(QPainter& painter, int w, int h, bool vertical)
{
    const int b = (vertical ? w : h) / 25;
    for (int i = 0; i <= 25; ++i) {
        const QColor grey(i * 10, i * 10, i * 10);
        const int from = i * b;
        const int to = i == 25 ? (vertical ? w : h) : (i + 1) * b;
        if (vertical)
            solid(painter, from, 0, to, h, grey);
        else
            solid(painter, 0, from, w, to, grey);
    }
}

void grid(QPainter& painter, int w, int h, int columns, int rows)
{
    const int cw = w / columns;
    const int ch = h / rows;
    for (int j = 0; j <= rows; ++j)
        for (int i = 0; i <= columns; ++i)
            box(painter, i * cw, j * ch, i < columns ? (i + 1) * cw : w,
                j < rows ? (j + 1) * ch : h, Qt::white, std::nullopt);
}

void circle(QPainter& painter, int w, int h)
{
    box(painter, 0, 0, w, h, Qt::white, Qt::black);
    const int cx = w / 2;
    const int cy = h / 2;
    const int r = cy / 2;
    painter.setPen(Qt::white);
    painter.setBrush(Qt::black);
    painter.drawEllipse(cx - r, cy - r, 2 * r - 1, 2 * r - 1);
    painter.drawLine(0, 0, w, h);
    painter.drawLine(w, 0, 0, h);
}

void ledWall(QPainter& painter, int w, int h, const PatternOptions& o)
{
    const int tw = o.tileWidth;
    const int th = o.tileHeight;
    const QFont font = pointFont(o.fontFamily, std::max(th / 3, 1));
    const QFontMetrics metrics(font);
    const int digit = metrics.horizontalAdvance('0');
    painter.setPen(Qt::white);
    painter.setBackgroundMode(Qt::OpaqueMode);
    int n = 1;
    for (int j = 0; j < o.ledRows; ++j) {
        for (int i = 0; i < o.ledColumns; ++i, ++n) {
            const bool powered = !o.powerOnlySelected ||
                                 (i == o.selectedTileColumn - 1 && j == o.selectedTileRow - 1);
            // Tiles beyond the window are clipped: not drawn at all.
            if (!powered || i * tw >= w || j * th >= h)
                continue;
            const QColor fill = (i + j) % 2 == 0 ? QColor(0x80, 0x80, 0x80) : QColor(0, 0, 0x80);
            box(painter, i * tw, j * th, (i + 1) * tw, (j + 1) * th, Qt::white, fill);
            if (o.showNumbers && th / 3 > 0) {
                const QString number = QString::number(n);
                painter.setBackground(fill);
                text(painter, font, i * tw + (tw / 2 - digit * int(number.size()) / 2),
                     j * th + metrics.height() / 2, number);
            }
        }
    }
}
} // namespace

bool drawTestPattern(QImage& canvas, int tag, const PatternOptions& options, QString& refusal)
{
    refusal.clear();
    if (tag == PatternGrid) {
        const auto inRange = [](int count) { return count >= 1 && count <= MaxGridCells; };
        if (!inRange(options.gridColumns) || !inRange(options.gridRows)) {
            refusal = QStringLiteral("the grid's cell counts %1 x %2 are not whole numbers from "
                                     "1 to %3")
                          .arg(options.gridColumns)
                          .arg(options.gridRows)
                          .arg(MaxGridCells);
            return false;
        }
    } else if (tag == PatternLedWall && (options.tileWidth <= 0 || options.tileHeight <= 0)) {
        refusal = QStringLiteral("the LED tiles have no size (%1 x %2 pixels)")
                      .arg(options.tileWidth)
                      .arg(options.tileHeight);
        return false;
    }
    const int w = canvas.width();
    const int h = canvas.height();
    QPainter painter(&canvas);
    switch (tag) {
    case PatternBars:
        bars(painter, w, 0, h, false);
        return true;
    case PatternBars75:
        bars75(painter, w, h, options);
        return true;
    case PatternVGrayScale:
    case PatternHGrayScale:
        grayScale(painter, w, h, tag == PatternVGrayScale);
        return true;
    case PatternGrid:
        grid(painter, w, h, options.gridColumns, options.gridRows);
        return true;
    case PatternCircle:
        circle(painter, w, h);
        return true;
    case PatternLedWall:
        ledWall(painter, w, h, options);
        return true;
    default:
        return false;
    }
}
