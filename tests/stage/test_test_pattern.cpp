// The test patterns as drawn into an image of a layer's size, read back by pixel.
#include "stage/test_pattern.h"

#include <QSet>
#include <QTest>

namespace {
const QColor layer(0x12, 0x34, 0x56); // the layer's own colour under the pattern
const QColor white(255, 255, 255), black(0, 0, 0), yellow(255, 255, 0), blue(0, 0, 255);
const QColor tileGrey(0x80, 0x80, 0x80), navy(0, 0, 0x80);

QColor grey(int level)
{
    return QColor(level, level, level);
}

struct Pixel {
    int x, y;
    QColor colour;
};

QImage drawn(int tag, QSize size, const PatternOptions& options = {})
{
    QImage canvas(size, QImage::Format_RGB32);
    canvas.fill(layer);
    QString refusal;
    if (!drawTestPattern(canvas, tag, options, refusal))
        return {};
    return canvas;
}

// Pixels of the colour within a rectangle.
int countIn(const QImage& image, const QRect& area, const QColor& colour)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixelColor(x, y) == colour;
    return count;
}

PatternOptions ledWall(int columns, int rows)
{
    PatternOptions o;
    o.ledColumns = columns;
    o.ledRows = rows;
    return o;
}
} // namespace

Q_DECLARE_METATYPE(PatternOptions)
Q_DECLARE_METATYPE(QList<Pixel>)

class TestTestPattern : public QObject {
    Q_OBJECT
private slots:
    void patternsByPixel_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<PatternOptions>("options");
        QTest::addColumn<QList<Pixel>>("pixels");
        const PatternOptions none;
        QTest::newRow("bars 1000 wide: bar 7 is 875..999")
            << int(PatternBars) << QSize(1000, 500) << none
            << QList<Pixel>{{0, 0, white},      {124, 250, white},
                            {125, 250, yellow}, {749, 499, QColor(255, 0, 0)},
                            {750, 250, blue},   {874, 250, blue},
                            {875, 250, black},  {999, 499, black}};
        QTest::newRow("bars 1001 wide: bar 7 is 126 wide")
            << int(PatternBars) << QSize(1001, 500) << none
            << QList<Pixel>{{874, 250, blue}, {875, 250, black}, {1000, 250, black}};
        // x = 1500: bar 6 (blue) above, reversed bar 6 (yellow) below, right of the caption.
        QTest::newRow("75 % bars 1920x1080: strip 810..819, reversed 820..917, layer below")
            << int(PatternBars75) << QSize(1920, 1080) << none
            << QList<Pixel>{{1500, 0, blue},    {1500, 809, blue},   {1500, 810, white},
                            {1500, 819, white}, {1500, 820, yellow}, {1500, 917, yellow},
                            {1500, 918, layer}, {300, 1079, layer},  {1919, 809, black},
                            {1919, 820, white}, {0, 820, black},     {300, 820, blue}};
        QTest::newRow("vertical grey scale 1920 wide: 76 wide bars, the last 1900..1919")
            << int(PatternVGrayScale) << QSize(1920, 1080) << none
            << QList<Pixel>{{0, 540, grey(0)},      {75, 540, grey(0)},   {76, 540, grey(10)},
                            {1899, 540, grey(240)}, {1900, 0, grey(250)}, {1919, 1079, grey(250)}};
        QTest::newRow("horizontal grey scale 1080 high: 43 high bands, the last 1075..1079")
            << int(PatternHGrayScale) << QSize(1920, 1080) << none
            << QList<Pixel>{{960, 0, grey(0)},
                            {960, 43, grey(10)},
                            {960, 1074, grey(240)},
                            {960, 1075, grey(250)},
                            {0, 1079, grey(250)}};
        QTest::newRow("grid 10x10 on 1920x1080: 192x108 cells, the extra column empty")
            << int(PatternGrid) << QSize(1920, 1080) << none
            << QList<Pixel>{{0, 50, white},    {191, 50, white},  {192, 50, white},
                            {193, 50, layer},  {100, 0, white},   {100, 107, white},
                            {100, 108, white}, {100, 50, layer},  {1919, 50, white},
                            {1918, 50, layer}, {100, 1079, white}};
        PatternOptions sevenByThree;
        sevenByThree.gridColumns = 7;
        sevenByThree.gridRows = 3;
        QTest::newRow("grid 7x3 on 1000x500: the extra column and row take the remainders")
            << int(PatternGrid) << QSize(1000, 500) << sevenByThree
            << QList<Pixel>{{993, 10, white}, {994, 10, white}, {996, 10, layer}, {999, 10, white},
                            {10, 498, white}, {10, 499, white}, {10, 496, layer}};
        QTest::newRow("circle 1920x1080: radius 270, diagonals, black elsewhere")
            << int(PatternCircle) << QSize(1920, 1080) << none
            << QList<Pixel>{{0, 0, white},     {1919, 500, white}, {500, 1079, white},
                            {10, 540, black},  {960, 270, white},  {960, 809, white},
                            {690, 540, white}, {1229, 540, white}, {960, 268, black},
                            {900, 400, black}, {960, 540, white},  {1919, 0, white}};
        QTest::newRow("LED wall 3x2: grey first, navy beside it, the rest of the layer clear")
            << int(PatternLedWall) << QSize(1920, 1080) << ledWall(3, 2)
            << QList<Pixel>{{0, 0, white},      {2, 2, tileGrey},  {47, 10, white},
                            {50, 2, navy},      {98, 2, tileGrey}, {2, 50, navy},
                            {50, 50, tileGrey}, {146, 2, layer},   {2, 98, layer}};
        PatternOptions second = ledWall(3, 2);
        second.powerOnlySelected = true;
        second.selectedTileColumn = 2;
        second.selectedTileRow = 1;
        QTest::newRow("LED wall, only the tile in column 2 of row 1 powered")
            << int(PatternLedWall) << QSize(1920, 1080) << second
            << QList<Pixel>{
                   {50, 2, navy}, {48, 0, white}, {2, 2, layer}, {98, 2, layer}, {50, 50, layer}};
        QTest::newRow("LED wall larger than the layer: clipped")
            << int(PatternLedWall) << QSize(100, 60) << ledWall(10, 10)
            << QList<Pixel>{{99, 2, tileGrey}, {2, 59, navy}};
    }
    void patternsByPixel()
    {
        QFETCH(int, tag);
        QFETCH(QSize, size);
        QFETCH(PatternOptions, options);
        QFETCH(QList<Pixel>, pixels);
        const QImage image = drawn(tag, size, options);
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), size);
        for (const Pixel& pixel : pixels)
            QVERIFY2(image.pixelColor(pixel.x, pixel.y) == pixel.colour,
                     qPrintable(
                         QStringLiteral("(%1, %2) is %3, not %4")
                             .arg(pixel.x)
                             .arg(pixel.y)
                             .arg(image.pixelColor(pixel.x, pixel.y).name(), pixel.colour.name())));
    }

    // The caption of the 75 % bars: black over the white first bar, from y = 810 - 162 on
    // Player A's window and from y = 648 in half the size on Player B's.
    void theBarsCaptionSitsAboveTheStrip()
    {
        const QImage onA = drawn(PatternBars75, {1920, 1080});
        PatternOptions b;
        b.layerB = true;
        const QImage onB = drawn(PatternBars75, {1920, 1080}, b);
        const QRect above(0, 0, 240, 648);
        const QRect caption(0, 648, 240, 162);
        QCOMPARE(countIn(onA, above, black), 0);
        QCOMPARE(countIn(onB, above, black), 0);
        QVERIFY(countIn(onB, caption, black) > 200);
        QVERIFY(countIn(onA, caption, black) > 200);
        // Player A's larger letters reach down over the white strip, Player B's do not.
        const QRect strip(0, 810, 1920, 10);
        QVERIFY(countIn(onA, strip, black) > 100);
        QCOMPARE(countIn(onB, strip, black), 0);
    }

    // Tile numbers run row by row; each tile shows its own, in white on the tile's colour.
    void ledTilesShowTheirNumbers()
    {
        PatternOptions o = ledWall(3, 2);
        o.showNumbers = true;
        const QImage numbered = drawn(PatternLedWall, {1920, 1080}, o);
        const QImage plain = drawn(PatternLedWall, {1920, 1080}, ledWall(3, 2));
        QSet<QByteArray> masks;
        for (int j = 0; j < 2; ++j) {
            for (int i = 0; i < 3; ++i) {
                const QRect inner(i * 48 + 2, j * 48 + 2, 44, 44);
                QVERIFY(countIn(numbered, inner, white) > 10);
                QCOMPARE(countIn(plain, inner, white), 0);
                QByteArray mask;
                for (int y = inner.top(); y <= inner.bottom(); ++y)
                    for (int x = inner.left(); x <= inner.right(); ++x)
                        mask.append(numbered.pixelColor(x, y) == white ? '1' : '0');
                masks.insert(mask);
            }
        }
        QCOMPARE(masks.size(), 6); // six different numbers
        // A tile too low for a number (a font of 0 points) shows none.
        PatternOptions low = ledWall(3, 2);
        low.showNumbers = true;
        low.tileHeight = 2;
        QVERIFY(!drawn(PatternLedWall, {200, 100}, low).isNull());
    }

    void countsAndSizesThatDrawNothing_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<PatternOptions>("options");
        const auto with = [](int columns, int rows, int tileWidth, int tileHeight) {
            PatternOptions o;
            o.gridColumns = columns;
            o.gridRows = rows;
            o.tileWidth = tileWidth;
            o.tileHeight = tileHeight;
            return o;
        };
        QTest::newRow("grid of 0 columns") << int(PatternGrid) << with(0, 10, 48, 48);
        QTest::newRow("grid of 49 rows") << int(PatternGrid) << with(10, 49, 48, 48);
        QTest::newRow("grid of -3 columns") << int(PatternGrid) << with(-3, 10, 48, 48);
        QTest::newRow("LED tiles 0 wide") << int(PatternLedWall) << with(10, 10, 0, 48);
        QTest::newRow("LED tiles 0 high") << int(PatternLedWall) << with(10, 10, 48, 0);
        QTest::newRow("no pattern of tag 7") << 7 << with(10, 10, 48, 48);
        QTest::newRow("no pattern of tag 11") << 11 << with(10, 10, 48, 48);
    }
    void countsAndSizesThatDrawNothing()
    {
        QFETCH(int, tag);
        QFETCH(PatternOptions, options);
        QImage canvas(320, 240, QImage::Format_RGB32);
        canvas.fill(layer);
        const QImage before = canvas.copy();
        QString refusal;
        QVERIFY(!drawTestPattern(canvas, tag, options, refusal));
        QCOMPARE(canvas, before);
        QCOMPARE(refusal.isEmpty(), tag != PatternGrid && tag != PatternLedWall);
    }
};

QTEST_MAIN(TestTestPattern)
#include "test_test_pattern.moc"
