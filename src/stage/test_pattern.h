#pragma once

#include <QImage>
#include <QString>

// The patterns of the "Test Pattern" page, by the tag of their button.
enum PatternTag {
    PatternOff = 0,
    PatternBars = 1,
    PatternBars75 = 2,
    PatternVGrayScale = 3,
    PatternHGrayScale = 4,
    PatternGrid = 5,
    PatternCircle = 6,
    PatternLedWall = 10
};

// What the grid and the LED wall are drawn with, as the pattern page shows it.
struct PatternOptions {
    int gridColumns = 10;
    int gridRows = 10;
    int ledColumns = 10;
    int ledRows = 10;
    int tileWidth = 48;
    int tileHeight = 48;
    int selectedTileColumn = 1; // from 1
    int selectedTileRow = 1;
    bool powerOnlySelected = false;
    bool showNumbers = false;
    // The caption of the 75 % bars as on Player B's window (else Player A's).
    bool layerB = false;
    QString fontFamily; // where the pattern names none
};

// Grid cell counts are whole numbers from 1 to 48, the range of the page's "-" / "+".
constexpr int MaxGridCells = 48;

// Draws the pattern with this tag over `canvas`, which holds the layer's own colour, at the
// canvas's size. A rectangle (x1, y1, x2, y2) covers x1 <= x < x2 and y1 <= y < y2. False, with
// the canvas untouched, for a tag that draws nothing, grid counts outside 1..48 or a tile size
// of 0; `refusal` then says why (empty for a tag without a pattern).
bool drawTestPattern(QImage& canvas, int tag, const PatternOptions& options, QString& refusal);
