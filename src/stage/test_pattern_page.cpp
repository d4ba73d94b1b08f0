#include "stage/test_pattern_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QLabel* number(const char* name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(36);
    return label;
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
        {"btnPatternOff", "OFF", 0},          {"btnBars", "100 % BARS", 1},
        {"btnBars75", "75 % BARS", 2},        {"btnVGrayscale", "V GRAY SCALE", 3},
        {"btnHGrayScale", "H GRAY SCALE", 4}, {"btnGrid", "GRID", 5},
        {"btnCircle", "CIRCLE", 6},           {"btnLedWall", "LED WALL", 10}};
    int index = 0;
    for (const auto& [name, caption, tag] : buttons) {
        QPushButton* button = makeButton(name, caption, tag, this);
        m_patterns.append(button);
        patterns->addWidget(button, index / 2, index % 2);
        ++index;
    }

    const auto stepper = [&](QGridLayout* grid, int row, const QString& caption, QLabel* value,
                             const char* minus, const char* plus, int minusTag, QWidget* owner) {
        grid->addWidget(new QLabel(caption, owner), row, 0);
        grid->addWidget(makeButton(minus, "-", minusTag, owner), row, 1);
        grid->addWidget(value, row, 2);
        grid->addWidget(makeButton(plus, "+", minusTag + 1, owner), row, 3);
    };

    auto* gridOptions = new QGroupBox("   GRID OPTION   ", this);
    gridOptions->setObjectName("gGrid");
    auto* gridLayout = new QGridLayout(gridOptions);
    m_gridColumns = number("gridH", "10", gridOptions);
    m_gridRows = number("gridV", "10", gridOptions);
    stepper(gridLayout, 0, "Horizontal", m_gridColumns, "btnHmeno", "btnHpiu", 1, gridOptions);
    stepper(gridLayout, 1, "Vertical", m_gridRows, "btnVmeno", "btnVpiu", 3, gridOptions);
    gridOptions->setEnabled(false);

    auto* ledOptions = new QGroupBox("   LED WALL PATTERN   ", this);
    ledOptions->setObjectName("gLedwall");
    auto* ledLayout = new QGridLayout(ledOptions);
    stepper(ledLayout, 0, "Horizontal", number("txtHLed", "10", ledOptions), "btnLedHmeno",
            "btnLedHpiu", 1, ledOptions);
    stepper(ledLayout, 1, "Vertical", number("txtVLed", "10", ledOptions), "btnLedVmeno",
            "btnLedVpiu", 3, ledOptions);
    int row = 2;
    for (const auto& [name, caption] :
         {std::pair{"txtHPixel", "Hor Pixel"}, std::pair{"txtVPixel", "Ver Pixel"}}) {
        auto* edit = new QLineEdit("48", ledOptions);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setValidator(new QIntValidator(0, 99999, edit));
        ledLayout->addWidget(new QLabel(caption, ledOptions), row, 0);
        ledLayout->addWidget(edit, row++, 1, 1, 3);
    }
    stepper(ledLayout, row++, "Selected tile H", number("txtTileH", "1", ledOptions),
            "btnTileHMeno", "btnTileHPiu", 1, ledOptions);
    stepper(ledLayout, row++, "Selected tile V", number("txtTileV", "1", ledOptions),
            "btnTileVmeno", "btnTileVpiu", 3, ledOptions);
    for (const auto& [name, caption] : {std::pair{"chkPowerOnly", "Power only selected tile"},
                                        std::pair{"chkShowNumber", "Show number"}}) {
        auto* check = new QCheckBox(caption, ledOptions);
        check->setObjectName(QString::fromLatin1(name));
        ledLayout->addWidget(check, row++, 0, 1, 4);
    }
    ledOptions->setEnabled(false);

    auto* options = new QVBoxLayout;
    options->addWidget(gridOptions);
    options->addWidget(ledOptions);
    options->addStretch();
    auto* layout = new QHBoxLayout(this);
    auto* patternColumn = new QVBoxLayout;
    patternColumn->addLayout(patterns);
    patternColumn->addStretch();
    layout->addLayout(patternColumn);
    layout->addLayout(options, 1);
}
