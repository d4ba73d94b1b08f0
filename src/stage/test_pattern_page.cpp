#include "stage/test_pattern_page.h"

#include "stage/output_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <string_view>

Q_LOGGING_CATEGORY(patternLog, "quillon.pattern")

namespace {
QLabel* number(const char* name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(36);
    return label;
}

// A label's or edit's number; 0 when it is not a whole number.
int valueOf(const QString& text)
{
    return text.trimmed().toInt();
}
} // namespace

TestPatternPage::TestPatternPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName("pPattern");
    // Pattern buttons and the "-" / "+" buttons of both option groups are one exclusive group.
    auto* group = new QButtonGroup(this);
    const auto makeButton = [&](const char* name, const QString& caption, int tag, QWidget* owner) {
        auto* button = new QPushButton(caption, owner);
        button->setObjectName(QString::fromLatin1(name));
        button->setCheckable(true);
        button->setProperty("tag", tag);
        group->addButton(button);
        return button;
    };

    auto* patterns = new QGridLayout;
    const std::tuple<const char*, const char*, int> buttons[] = {
        {"btnPatternOff", "OFF", PatternOff},
        {"btnBars", "100 % BARS", PatternBars},
        {"btnBars75", "75 % BARS", PatternBars75},
        {"btnVGrayscale", "V GRAY SCALE", PatternVGrayScale},
        {"btnHGrayScale", "H GRAY SCALE", PatternHGrayScale},
        {"btnGrid", "GRID", PatternGrid},
        {"btnCircle", "CIRCLE", PatternCircle},
        {"btnLedWall", "LED WALL", PatternLedWall}};
    int index = 0;
    for (const auto& [name, caption, tag] : buttons) {
        QPushButton* button = makeButton(name, caption, tag, this);
        m_patterns.append(button);
        patterns->addWidget(button, index / 2, index % 2);
        ++index;
        if (tag == PatternOff)
            connect(button, &QPushButton::clicked, this, [this] { btnPatternOffClick(); });
        else
            connect(button, &QPushButton::clicked, this, [this, button] { btnBarsClick(button); });
    }
    m_patterns.first()->setChecked(true);

    // A caption, "-", the number, "+"; each button steps the number and draws again.
    const auto stepper = [&](QGridLayout* grid, int row, const QString& caption, QLabel* value,
                             const char* minus, const char* plus, int minusTag, QWidget* owner) {
        grid->addWidget(new QLabel(caption, owner), row, 0);
        QPushButton* down = makeButton(minus, "-", minusTag, owner);
        grid->addWidget(down, row, 1);
        grid->addWidget(value, row, 2);
        QPushButton* up = makeButton(plus, "+", minusTag + 1, owner);
        grid->addWidget(up, row, 3);
        return std::pair{down, up};
    };

    m_gridOptions = new QGroupBox("   GRID OPTION   ", this);
    m_gridOptions->setObjectName("gGrid");
    auto* gridLayout = new QGridLayout(m_gridOptions);
    m_gridColumns = number("gridH", "10", m_gridOptions);
    m_gridRows = number("gridV", "10", m_gridOptions);
    for (QLabel* count : {m_gridColumns, m_gridRows}) {
        const bool columns = count == m_gridColumns;
        const auto [down, up] =
            stepper(gridLayout, columns ? 0 : 1, columns ? "Horizontal" : "Vertical", count,
                    columns ? "btnHmeno" : "btnVmeno", columns ? "btnHpiu" : "btnVpiu",
                    columns ? 1 : 3, m_gridOptions);
        connect(down, &QPushButton::clicked, this,
                [this, count] { step(count, -1, 1, MaxGridCells, PatternGrid); });
        connect(up, &QPushButton::clicked, this,
                [this, count] { step(count, 1, 1, MaxGridCells, PatternGrid); });
    }
    m_gridOptions->setEnabled(false);

    m_ledOptions = new QGroupBox("   LED WALL PATTERN   ", this);
    m_ledOptions->setObjectName("gLedwall");
    auto* ledLayout = new QGridLayout(m_ledOptions);
    m_ledColumns = number("txtHLed", "10", m_ledOptions);
    m_ledRows = number("txtVLed", "10", m_ledOptions);
    m_tileColumn = number("txtTileH", "1", m_ledOptions);
    m_tileRow = number("txtTileV", "1", m_ledOptions);
    const struct {
        QLabel* value;
        const char* caption;
        const char* minus;
        const char* plus;
        int minusTag;
    } steppers[] = {{m_ledColumns, "Horizontal", "btnLedHmeno", "btnLedHpiu", 1},
                    {m_ledRows, "Vertical", "btnLedVmeno", "btnLedVpiu", 3},
                    {m_tileColumn, "Selected tile H", "btnTileHMeno", "btnTileHPiu", 1},
                    {m_tileRow, "Selected tile V", "btnTileVmeno", "btnTileVpiu", 3}};
    int row = 0;
    for (const auto& s : steppers) {
        if (row == 2) {
            // The tile size, between the counts and the selected tile.
            for (const auto& [name, caption] :
                 {std::pair{"txtHPixel", "Hor Pixel"}, std::pair{"txtVPixel", "Ver Pixel"}}) {
                auto* edit = new QLineEdit("48", m_ledOptions);
                edit->setObjectName(QString::fromLatin1(name));
                // Digits only; four of them are larger than any LED tile.
                edit->setValidator(new QIntValidator(0, 9999, edit));
                edit->setMaxLength(4);
                connect(edit, &QLineEdit::returnPressed, this,
                        [this] { patternButton(PatternLedWall)->click(); });
                ledLayout->addWidget(new QLabel(caption, m_ledOptions), row, 0);
                ledLayout->addWidget(edit, row++, 1, 1, 3);
                (std::string_view(name) == "txtHPixel" ? m_tileWidth : m_tileHeight) = edit;
            }
        }
        const auto [down, up] = stepper(ledLayout, row++, s.caption, s.value, s.minus, s.plus,
                                        s.minusTag, m_ledOptions);
        QLabel* value = s.value;
        // The counts have no upper limit; a selected tile lies within the counts.
        const bool tile = value == m_tileColumn || value == m_tileRow;
        QLabel* count = value == m_tileColumn ? m_ledColumns : m_ledRows;
        connect(down, &QPushButton::clicked, this,
                [this, value] { step(value, -1, 1, INT_MAX, PatternLedWall); });
        connect(up, &QPushButton::clicked, this, [this, value, tile, count] {
            step(value, 1, 1, tile ? valueOf(count->text()) : INT_MAX, PatternLedWall);
        });
    }
    for (const auto& [name, caption] : {std::pair{"chkPowerOnly", "Power only selected tile"},
                                        std::pair{"chkShowNumber", "Show number"}}) {
        auto* check = new QCheckBox(caption, m_ledOptions);
        check->setObjectName(QString::fromLatin1(name));
        connect(check, &QCheckBox::clicked, this,
                [this] { patternButton(PatternLedWall)->click(); });
        ledLayout->addWidget(check, row++, 0, 1, 4);
        (std::string_view(name) == "chkPowerOnly" ? m_powerOnly : m_showNumber) = check;
    }
    m_ledOptions->setEnabled(false);

    auto* options = new QVBoxLayout;
    options->addWidget(m_gridOptions);
    options->addWidget(m_ledOptions);
    options->addStretch();
    auto* layout = new QHBoxLayout(this);
    auto* patternColumn = new QVBoxLayout;
    patternColumn->addLayout(patterns);
    patternColumn->addStretch();
    layout->addLayout(patternColumn);
    layout->addLayout(options, 1);
}

QAbstractButton* TestPatternPage::patternButton(int tag) const
{
    for (QAbstractButton* button : m_patterns)
        if (button->property("tag").toInt() == tag)
            return button;
    return m_patterns.first();
}

void TestPatternPage::step(QLabel* number, int by, int first, int last, int redrawTag)
{
    number->setNum(std::clamp(valueOf(number->text()) + by, first, std::max(first, last)));
    // A count lowered below the selected tile takes the selection with it.
    for (const auto& [tile, count] :
         {std::pair{m_tileColumn, m_ledColumns}, std::pair{m_tileRow, m_ledRows}})
        if (valueOf(tile->text()) > valueOf(count->text()))
            tile->setNum(valueOf(count->text()));
    // Drawn again also at the end of the range, so that the pattern's button is pressed again
    // and "TAKE" redraws it.
    patternButton(redrawTag)->click();
}

PatternOptions TestPatternPage::options(int channel) const
{
    PatternOptions o;
    o.gridColumns = valueOf(m_gridColumns->text());
    o.gridRows = valueOf(m_gridRows->text());
    o.ledColumns = valueOf(m_ledColumns->text());
    o.ledRows = valueOf(m_ledRows->text());
    o.tileWidth = valueOf(m_tileWidth->text());
    o.tileHeight = valueOf(m_tileHeight->text());
    o.selectedTileColumn = valueOf(m_tileColumn->text());
    o.selectedTileRow = valueOf(m_tileRow->text());
    o.powerOnlySelected = m_powerOnly->isChecked();
    o.showNumbers = m_showNumber->isChecked();
    o.layerB = channel == 2;
    return o;
}

void TestPatternPage::btnBarsClick(QAbstractButton* sender)
{
    if (!m_stage.window || !m_stage.stageActive->isChecked() || m_stage.playersActive()) {
        m_patterns.first()->setChecked(true);
        return;
    }
    const int channel = m_stage.selectedChannel();
    OutputWindow* window = m_stage.window(channel);
    if (!window)
        return;
    m_stage.levelMeters(false);
    const int tag = sender->property("tag").toInt();
    m_gridOptions->setEnabled(tag == PatternGrid);
    m_ledOptions->setEnabled(tag == PatternLedWall);
    // Drawn over the layer's own colour, the window's size as it is now.
    QImage canvas(window->size(), QImage::Format_RGB32);
    canvas.fill(window->colour());
    PatternOptions o = options(channel);
    o.fontFamily = window->font().family();
    QString refusal;
    if (drawTestPattern(canvas, tag, o, refusal)) {
        window->showPattern(canvas);
    } else {
        btnPatternOffClick();
        if (!refusal.isEmpty())
            qCWarning(patternLog).noquote() << "Nothing drawn:" << refusal;
    }
    m_stage.levelMeters(true);
}

void TestPatternPage::btnPatternOffClick()
{
    if (!m_stage.window)
        return;
    // Only a pattern goes: a player's picture (a clip paused or held at its end) stays.
    OutputWindow* window = m_stage.window(m_stage.selectedChannel());
    if (window && window->showsPattern())
        window->showOwnColour();
}
