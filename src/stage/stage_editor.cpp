#include "stage/stage_editor.h"

#include "shared/bgr_colour.h"
#include "stage/current_stage.h"
#include "stage/stage_exchange.h"
#include "stage/stage_mask.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLoggingCategory>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <array>

Q_LOGGING_CATEGORY(stageEditorLog, "quillon.stage")

namespace {
const QStringList presets = {"640x480",   "720x576",   "800x600",   "1024x768",  "1280x600",
                             "1280x720",  "1280x768",  "1360x768",  "1366x768",  "1400x1050",
                             "1440x1080", "1600x900",  "1600x1200", "1680x1050", "1920x1080",
                             "1920x1200", "2048x1080", "3840x2160", "4096x2160"};

const std::pair<const char*, QColor> namedColours[] = {
    {"Black", QColor(0, 0, 0)},        {"Maroon", QColor(128, 0, 0)},
    {"Green", QColor(0, 128, 0)},      {"Olive", QColor(128, 128, 0)},
    {"Navy", QColor(0, 0, 128)},       {"Purple", QColor(128, 0, 128)},
    {"Teal", QColor(0, 128, 128)},     {"Gray", QColor(128, 128, 128)},
    {"Silver", QColor(192, 192, 192)}, {"Red", QColor(255, 0, 0)},
    {"Lime", QColor(0, 255, 0)},       {"Yellow", QColor(255, 255, 0)},
    {"Blue", QColor(0, 0, 255)},       {"Fuchsia", QColor(255, 0, 255)},
    {"Aqua", QColor(0, 255, 255)},     {"White", QColor(255, 255, 255)}};

template <class W> W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QPushButton* button(const char* name, const QString& caption, QWidget* parent)
{
    return named(new QPushButton(caption, parent), name);
}

QSpinBox* spin(const char* name, QWidget* parent)
{
    auto* box = named(new QSpinBox(parent), name);
    box->setRange(-1000000, 1000000); // "no limits"
    return box;
}

// A colour box: the standard colours, then "Custom..." (a colour dialog).
QComboBox* colourBox(const char* name, QWidget* parent)
{
    auto* box = named(new QComboBox(parent), name);
    for (const auto& [caption, colour] : namedColours)
        box->addItem(QString::fromLatin1(caption), colour);
    box->addItem("Custom...");
    return box;
}

void showColour(QComboBox* box, const QColor& colour)
{
    int at = box->findData(colour);
    if (at < 0) {
        box->insertItem(box->count() - 1, colour.name(), colour);
        at = box->count() - 2;
    }
    const QSignalBlocker quiet(box);
    box->setCurrentIndex(at);
}

} // namespace

// A dotted outline on the workspace, filled or not.
class WorkspaceOutline : public QWidget {
public:
    WorkspaceOutline(const char* name, QColor border, QWidget* parent)
        : QWidget(parent)
        , m_border(border)
    {
        setObjectName(QString::fromLatin1(name));
    }
    void setFill(const QColor& fill)
    {
        m_fill = fill;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        if (m_fill.isValid())
            painter.fillRect(rect(), m_fill);
        painter.setPen(QPen(m_border, 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    QColor m_border;
    QColor m_fill;
};

namespace {
} // namespace

struct StageEditor::Layer {
    QWidget* page = nullptr;
    QLabel* panel = nullptr;
    QGroupBox* position = nullptr;
    QSpinBox* fields[4] = {}; // left, top, width, height
    QComboBox* presets = nullptr;
    QComboBox* colour = nullptr;
    QGroupBox* mask = nullptr;
    QButtonGroup* shapes = nullptr;
    QSpinBox* sides = nullptr;
};

namespace {
// A layer's values in the current stage.
struct LayerValues {
    int& left;
    int& top;
    int& width;
    int& height;
    quint32& colour;
    int& shape;
    int& sides;
};

LayerValues layerValues(StageRecord& s, int index)
{
    if (index == 0)
        return {s.aleft, s.atop, s.awidth, s.aheigth, s.acolor, s.ashape, s.alati};
    return {s.bleft, s.btop, s.bwidth, s.bheigth, s.bcolor, s.bshape, s.blati};
}
} // namespace

StageEditor::StageEditor(CurrentStage& stage, SettingsFiles settings, DisplayScreens& screens,
                         Host host, QWidget* parent)
    : QDialog(parent)
    , m_stage(stage)
    , m_settings(std::move(settings))
    , m_screens(screens)
    , m_host(std::move(host))
{
    setObjectName("layersetup");
    setWindowTitle("STAGE SETUP");
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setStyleSheet("QDialog#layersetup { background: #535353; }");
    resize(1117, 613);
    for (auto& layer : m_layers)
        layer = std::make_unique<Layer>();

    chooseStageFile = [this](bool save) {
        const QString folder = stageExchangeFolder();
        QDir::setCurrent(QCoreApplication::applicationDirPath());
        const QString filter = "Quillon Stage (*.xml)";
        QString path = save ? QFileDialog::getSaveFileName(this, QString(), folder, filter)
                            : QFileDialog::getOpenFileName(this, "Quillon Stage", folder, filter);
        if (save && !path.isEmpty() && QFileInfo(path).suffix().isEmpty())
            path += ".xml";
        return path;
    };
    choosePicture = [this] {
        return QFileDialog::getOpenFileName(this, "Select monitor's background", QString(),
                                            "images (*.jpg *.bmp)");
    };

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("STAGE:", this));
    m_name = named(new QLabel(this), "nomelayout2");
    top->addWidget(m_name, 1);
    auto* apply = button("btnApply", "APPLY", this);
    auto* applyExit = button("btnApplyExit", "APPLY AND EXIT", this);
    auto* save = button("btnSaveStage", "SAVE STAGE", this);
    auto* exportButton = button("btnExportStage", "EXPORT STAGE", this);
    auto* importButton = button("btnImportLayout", "IMPORT STAGE", this);
    m_realTime = button("btnRealTime", "REAL TIME MODE", this);
    m_realTime->setCheckable(true);
    auto* exit = button("btnExit", "EXIT", this);
    for (QPushButton* b : {apply, applyExit, save, exportButton, importButton, m_realTime, exit})
        top->addWidget(b);
    layout->addLayout(top);
    connect(apply, &QPushButton::clicked, this, [this] { m_host.apply(); });
    connect(applyExit, &QPushButton::clicked, this, [this] {
        m_host.apply();
        accept();
    });
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    connect(save, &QPushButton::clicked, this, &StageEditor::saveStage);
    connect(exportButton, &QPushButton::clicked, this, &StageEditor::exportStage);
    connect(importButton, &QPushButton::clicked, this, &StageEditor::importStage);
    connect(m_realTime, &QPushButton::clicked, this, [this](bool on) {
        if (!on)
            return;
        if (!m_host.stageActive()) {
            m_realTime->setChecked(false);
        } else if (m_name->text() != m_host.stageOnAir()) {
            m_realTime->setChecked(false);
            m_host.showError("Not applicable with another stage on air!");
        }
    });

    auto* body = new QHBoxLayout;
    body->addWidget(buildWorkspace());
    m_pages = named(new QTabWidget(this), "pagina");
    m_pages->addTab(buildScreenPage(), "Screen");
    m_pages->addTab(buildLayerPage(0), "Layer A");
    m_pages->addTab(buildLayerPage(1), "Layer B");
    m_pages->addTab(buildLedPage(), "Led wall");
    body->addWidget(m_pages, 1);
    layout->addLayout(body, 1);

    // A change of the desktop's screens lists them again.
    const auto watch = [this](QScreen* screen) {
        connect(screen, &QScreen::geometryChanged, this, &StageEditor::redetect);
    };
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this, watch](QScreen* screen) {
        watch(screen);
        redetect();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &StageEditor::redetect);
}

StageEditor::~StageEditor() = default;

QWidget* StageEditor::buildWorkspace()
{
    auto* area = new QWidget(this);
    auto* grid = new QGridLayout(area);
    m_workspace = named(new QFrame(area), "workspace");
    m_workspace->setFixedSize(791, 535);
    m_workspace->setStyleSheet("QFrame#workspace { background: black; }");
    m_offset = new WorkspaceOutline("offset", Qt::red, m_workspace);
    m_outline = new WorkspaceOutline("sfondo", Qt::cyan, m_workspace);
    m_picture = named(new QLabel(m_workspace), "sfondoimg");
    m_picture->setScaledContents(true);
    m_picture->installEventFilter(this);
    m_outline->installEventFilter(this);
    for (int i = 0; i < 2; ++i) {
        QLabel* panel =
            named(new QLabel(i == 0 ? "LAYER A" : "LAYER B", m_workspace), i == 0 ? "pa" : "pb");
        panel->setAlignment(Qt::AlignCenter);
        panel->setAutoFillBackground(true);
        panel->setFrameShape(QFrame::Box); // seen also when its colour is the workspace's
        panel->setContextMenuPolicy(Qt::CustomContextMenu);
        panel->installEventFilter(this);
        m_layers[i]->panel = panel;
    }
    const Qt::CursorShape cursors[8] = {
        Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor, Qt::SizeHorCursor,
        Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor, Qt::SizeHorCursor};
    for (int k = 0; k < 8; ++k) {
        m_handles[k] = new QFrame(m_workspace);
        m_handles[k]->setObjectName(QStringLiteral("handle%1").arg(k));
        m_handles[k]->setFixedSize(5, 5);
        m_handles[k]->setStyleSheet("background: white;");
        m_handles[k]->setCursor(cursors[k]);
        m_handles[k]->installEventFilter(this);
        m_handles[k]->hide();
    }
    m_deltaX = named(new QScrollBar(Qt::Horizontal, area), "deltaX");
    m_deltaY = named(new QScrollBar(Qt::Vertical, area), "deltaY");
    m_zoom = named(new QSlider(Qt::Horizontal, area), "zoom");
    m_zoom->setRange(1, 10);
    m_zoomText = named(new QLabel(area), "ztesto");
    grid->addWidget(m_workspace, 0, 0);
    grid->addWidget(m_deltaY, 0, 1);
    grid->addWidget(m_deltaX, 1, 0);
    auto* zoomRow = new QHBoxLayout;
    zoomRow->addWidget(new QLabel("Zoom", area));
    zoomRow->addWidget(m_zoom, 1);
    zoomRow->addWidget(m_zoomText);
    grid->addLayout(zoomRow, 2, 0);
    for (QAbstractSlider* slider :
         {static_cast<QAbstractSlider*>(m_deltaX), static_cast<QAbstractSlider*>(m_deltaY),
          static_cast<QAbstractSlider*>(m_zoom)})
        connect(slider, &QAbstractSlider::valueChanged, this, &StageEditor::redraw);
    return area;
}

QWidget* StageEditor::buildScreenPage()
{
    auto* page = named(new QWidget(this), "pScreen");
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel("Screen recorded", page));
    m_screenList = named(new QListWidget(page), "tiposchermo");
    layout->addWidget(m_screenList);
    auto* screenButtons = new QHBoxLayout;
    auto* get = button("btnGetScreen", "GET", page);
    auto* addW = button("btnAddW", "ADD-W", page);
    auto* addH = button("SpeedButton5", "ADD-H", page);
    auto* redetectButton = button("btnRedetect", "REDETECT", page);
    for (QPushButton* b : {get, addW, addH, redetectButton})
        screenButtons->addWidget(b);
    layout->addLayout(screenButtons);
    connect(get, &QPushButton::clicked, this, [this] {
        monitorButton([this](int w, int h) {
            m_stage.sx = w;
            m_stage.sy = h;
        });
    });
    connect(addW, &QPushButton::clicked, this,
            [this] { monitorButton([this](int w, int) { m_stage.sx += w; }); });
    connect(addH, &QPushButton::clicked, this,
            [this] { monitorButton([this](int, int h) { m_stage.sy += h; }); });
    connect(redetectButton, &QPushButton::clicked, this, &StageEditor::redetect);

    // Digits and a leading minus only.
    const auto numberField = [page](const char* name) {
        auto* field = named(new QLineEdit(page), name);
        field->setValidator(new QRegularExpressionValidator(QRegularExpression("-?[0-9]*"), field));
        return field;
    };
    auto* resolution = new QGroupBox("  STAGE RESOLUTION  ", page);
    auto* resolutionGrid = new QGridLayout(resolution);
    m_width = numberField("sfondow");
    m_height = numberField("sfondoh");
    m_setMode = button("SpeedButton1", "SET", resolution);
    m_setMode->setEnabled(m_screens.canChangeMode());
    resolutionGrid->addWidget(new QLabel("Width", resolution), 0, 0);
    resolutionGrid->addWidget(m_width, 0, 1);
    resolutionGrid->addWidget(new QLabel("Height", resolution), 1, 0);
    resolutionGrid->addWidget(m_height, 1, 1);
    resolutionGrid->addWidget(m_setMode, 0, 2, 2, 1);
    layout->addWidget(resolution);
    connect(m_setMode, &QPushButton::clicked, this, &StageEditor::setMode);

    auto* offset = new QGroupBox("  OFFSET SCREEN  ", page);
    auto* offsetGrid = new QGridLayout(offset);
    m_offsetX = numberField("editOffsetX");
    m_offsetY = numberField("EditOffsetY");
    offsetGrid->addWidget(new QLabel("Width", offset), 0, 0);
    offsetGrid->addWidget(m_offsetX, 0, 1);
    offsetGrid->addWidget(new QLabel("Height", offset), 1, 0);
    offsetGrid->addWidget(m_offsetY, 1, 1);
    const std::tuple<const char*, const char*, int, int> sides[] = {
        {"btnScreenLeft", "LEFT", 1, 0},
        {"btnScreenRight", "RIGHT", -1, 0},
        {"btnScreenTop", "TOP", 0, 1},
        {"btnScreenBottom", "BOTTOM", 0, -1}};
    int column = 2;
    for (const auto& [name, caption, alongX, alongY] : sides) {
        auto* b = button(name, caption, offset);
        offsetGrid->addWidget(b, column < 4 ? 0 : 1, column % 2 + 2);
        ++column;
        connect(b, &QPushButton::clicked, this, [this, x = alongX, y = alongY] {
            monitorButton([this, x, y](int w, int h) {
                m_stage.offsetx = x * w;
                m_stage.offsety = y * h;
            });
        });
    }
    layout->addWidget(offset);

    // Stage size and offset: taken on leaving the field, and with Enter (then redrawn).
    const struct {
        QLineEdit* field;
        int* value;
    } numbers[] = {{m_width, &m_stage.sx},
                   {m_height, &m_stage.sy},
                   {m_offsetX, &m_stage.offsetx},
                   {m_offsetY, &m_stage.offsety}};
    for (const auto& [field, value] : numbers) {
        connect(field, &QLineEdit::editingFinished, this, [this, field = field, value = value] {
            *value = fieldValue(field, *value);
            field->setText(QString::number(*value));
            redraw();
        });
    }

    auto* background = new QHBoxLayout;
    background->addWidget(new QLabel("Background color", page));
    m_backgroundColour = colourBox("l2", page);
    background->addWidget(m_backgroundColour, 1);
    auto* black = button("btnBlack", "BLACK", page);
    auto* clear = button("l4", "CLEAR", page);
    background->addWidget(black);
    background->addWidget(clear);
    layout->addLayout(background);
    const auto takeColour = [this](const QColor& colour) {
        m_stage.schermi.colore = bgrNumber(colour);
        m_stage.schermi.picture = 0;
        m_isImage->setChecked(false);
        showBackground();
        changed();
    };
    connect(m_backgroundColour, &QComboBox::activated, this, [this, takeColour](int index) {
        QColor colour = m_backgroundColour->itemData(index).value<QColor>();
        if (!colour.isValid()) // "Custom..."
            colour = QColorDialog::getColor(bgrColour(m_stage.schermi.colore), this);
        if (!colour.isValid())
            return showColour(m_backgroundColour, bgrColour(m_stage.schermi.colore));
        showColour(m_backgroundColour, colour);
        takeColour(colour);
    });
    connect(black, &QPushButton::clicked, this, [this, takeColour] {
        showColour(m_backgroundColour, Qt::black);
        takeColour(Qt::black);
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        m_stage.schermi.sfondo.clear();
        m_stage.schermi.picture = 0;
        m_isImage->setChecked(false);
        showBackground();
        changed();
    });

    auto* options = new QGroupBox("  OPTIONS  ", page);
    auto* optionList = new QVBoxLayout(options);
    m_restart = named(new QCheckBox("RESET FADE SLIDERS", options), "chkRestart");
    m_onePlayer = named(new QCheckBox("ONE PLAYER MODE", options), "chkOnePlayer");
    m_hiddenBackground = named(new QCheckBox("BACKGROUND IN HIDDEN", options), "pbk");
    m_isImage = named(new QCheckBox("BACKGROUND IS IMAGE", options), "l3");
    for (QCheckBox* box : {m_restart, m_onePlayer, m_hiddenBackground, m_isImage})
        optionList->addWidget(box);
    layout->addWidget(options);
    connect(m_restart, &QCheckBox::clicked, this, [this](bool on) {
        m_stage.schermi.restart = on ? 1 : 0;
        changed();
    });
    connect(m_hiddenBackground, &QCheckBox::clicked, this, [this](bool on) {
        m_stage.schermi.schermo = on ? 1 : 0;
        changed();
    });
    connect(m_onePlayer, &QCheckBox::clicked, this, [this](bool on) {
        onePlayer(on);
        changed();
    });
    connect(m_isImage, &QCheckBox::clicked, this, [this](bool on) {
        hideHandles();
        if (!on) {
            m_stage.schermi.picture = 0;
        } else if (QFileInfo::exists(m_stage.schermi.sfondo)) {
            m_stage.schermi.picture = 1;
        } else {
            const QString path = choosePicture();
            if (path.isEmpty()) {
                m_isImage->setChecked(false);
                return;
            }
            takePicture(path);
        }
        showBackground();
        changed();
    });
    layout->addStretch();
    return page;
}

QWidget* StageEditor::buildLayerPage(int index)
{
    Layer& layer = *m_layers[index];
    const char* const names[2][12] = {
        {"tLayerA", "ax", "ay", "aw", "ah", "dsize", "btnGetScreenSizeA", "ColorBox1",
         "SpeedButton6", "cShapeA", "latiA", "popupA"},
        {"tLayerB", "bx", "by", "bw", "bh", "dSizeB", "btnGetScreenSizeB", "ColorBox2",
         "SpeedButton8", "cShapeB", "latiB", "popupB"}};
    const char* const* n = names[index];
    layer.page = named(new QWidget(this), n[0]);
    auto* layout = new QVBoxLayout(layer.page);
    layer.position =
        new QGroupBox(index == 0 ? "Position LAYER A" : "Position LAYER B", layer.page);
    auto* grid = new QGridLayout(layer.position);
    for (int f = 0; f < 4; ++f) {
        layer.fields[f] = spin(n[1 + f], layer.position);
        grid->addWidget(layer.fields[f], f / 2 + (f >= 2 ? 1 : 0), f % 2);
        connect(layer.fields[f], &QSpinBox::valueChanged, this, [this, index, f](int value) {
            LayerValues v = layerValues(m_stage.schermi, index);
            int* fields[4] = {&v.left, &v.top, &v.width, &v.height};
            if (f >= 2)
                m_ready = false;
            *fields[f] = value;
            placeLayer(index);
            if (f >= 2)
                m_ready = true;
            selectPanel(index);
            changed();
        });
    }
    grid->addWidget(new QLabel("Size", layer.position), 1, 0);
    layer.presets = named(new QComboBox(layer.position), n[5]);
    layer.presets->addItems(presets);
    auto* screenSize = button(n[6], "GET SCREEN SIZE", layer.position);
    grid->addWidget(new QLabel("Default size", layer.position), 3, 0);
    grid->addWidget(layer.presets, 3, 1);
    grid->addWidget(screenSize, 4, 0, 1, 2);
    connect(layer.presets, &QComboBox::activated, this, [this, index](int at) {
        const QStringList size = presets.at(at).split('x');
        m_layers[index]->fields[2]->setValue(size[0].toInt());
        m_layers[index]->fields[3]->setValue(size[1].toInt());
        redraw();
    });
    connect(screenSize, &QPushButton::clicked, this, [this, index] {
        m_layers[index]->fields[2]->setValue(m_stage.sx);
        m_layers[index]->fields[3]->setValue(m_stage.sy);
    });
    layout->addWidget(layer.position);

    auto* colourRow = new QHBoxLayout;
    colourRow->addWidget(new QLabel("Background color", layer.page));
    layer.colour = colourBox(n[7], layer.page);
    auto* black = button(n[8], "BLACK", layer.page);
    colourRow->addWidget(layer.colour, 1);
    colourRow->addWidget(black);
    layout->addLayout(colourRow);
    const auto takeColour = [this, index](const QColor& colour) {
        layerValues(m_stage.schermi, index).colour = bgrNumber(colour);
        showColour(m_layers[index]->colour, colour);
        placeLayer(index);
        changed();
    };
    connect(layer.colour, &QComboBox::activated, this, [this, index, takeColour](int at) {
        QColor colour = m_layers[index]->colour->itemData(at).value<QColor>();
        const QColor old = bgrColour(layerValues(m_stage.schermi, index).colour);
        if (!colour.isValid())
            colour = QColorDialog::getColor(old, this);
        takeColour(colour.isValid() ? colour : old);
    });
    connect(black, &QPushButton::clicked, this, [takeColour] { takeColour(Qt::black); });

    layer.mask = named(
        new QGroupBox(index == 0 ? "  Mask layer A  " : "  Mask layer B  ", layer.page), n[9]);
    auto* maskGrid = new QGridLayout(layer.mask);
    layer.shapes = new QButtonGroup(layer.mask);
    const char* shapes[4] = {"Normal", "Rounded", "Circular", "Polygon"};
    for (int s = 0; s < 4; ++s) {
        auto* radio = new QRadioButton(shapes[s], layer.mask);
        layer.shapes->addButton(radio, s);
        maskGrid->addWidget(radio, s / 3, s % 3);
    }
    layer.sides = spin(n[10], layer.mask);
    maskGrid->addWidget(layer.sides, 2, 0);
    connect(layer.shapes, &QButtonGroup::idClicked, this, [this, index](int shape) {
        hideHandles();
        layerValues(m_stage.schermi, index).shape = shape;
        placeLayer(index);
        changed();
    });
    connect(layer.sides, &QSpinBox::valueChanged, this, [this, index](int sides) {
        layerValues(m_stage.schermi, index).sides = sides;
        changed();
    });
    layout->addWidget(layer.mask);
    layout->addStretch();

    // The panel's menu: corners, centring, the other layer's rectangle.
    auto* menu = named(new QMenu(this), index == 0 ? "popupA" : "popupB");
    // Sets the layer's position fields (and, copying the other layer, its size fields).
    const auto place = [this,
                        index](const std::function<std::array<std::optional<int>, 4>(
                                   const LayerValues& own, const LayerValues& other)>& where) {
        const std::array<std::optional<int>, 4> values =
            where(layerValues(m_stage.schermi, index), layerValues(m_stage.schermi, 1 - index));
        for (int f = 0; f < 4; ++f)
            if (values[f])
                m_layers[index]->fields[f]->setValue(*values[f]);
    };
    using Place = std::array<std::optional<int>, 4>;
    menu->addAction("Top - Left", [place] {
        place([](const LayerValues&, const LayerValues&) { return Place{0, 0}; });
    });
    menu->addAction("Top - Right", [this, place] {
        place([this](const LayerValues& v, const LayerValues&) {
            return Place{m_stage.sx - v.width, 0};
        });
    });
    menu->addAction("Bottom - Left", [this, place] {
        place([this](const LayerValues& v, const LayerValues&) {
            return Place{0, m_stage.sy - v.height};
        });
    });
    menu->addAction("Bottom - Right", [this, place] {
        place([this](const LayerValues& v, const LayerValues&) {
            return Place{m_stage.sx - v.width, m_stage.sy - v.height};
        });
    });
    menu->addAction("Center Hor", [this, place] {
        place([this](const LayerValues& v, const LayerValues&) {
            return Place{(m_stage.sx - v.width) / 2, std::nullopt};
        });
    });
    menu->addAction("Center Ver", [this, place] {
        place([this](const LayerValues& v, const LayerValues&) {
            return Place{std::nullopt, (m_stage.sy - v.height) / 2};
        });
    });
    menu->addAction(index == 0 ? "Copy Player B" : "Copy Player A", [place] {
        place([](const LayerValues&, const LayerValues& other) {
            return Place{other.left, other.top, other.width, other.height};
        });
    });
    connect(layer.panel, &QWidget::customContextMenuRequested, this,
            [this, index, menu](QPoint at) {
                hideHandles();
                menu->popup(m_layers[index]->panel->mapToGlobal(at));
            });
    return layer.page;
}

QWidget* StageEditor::buildLedPage()
{
    auto* page = named(new QWidget(this), "tLedwall");
    auto* layout = new QGridLayout(page);
    auto* group = new QGroupBox("Led wall screen size", page);
    auto* grid = new QGridLayout(group);
    m_ledTypes = named(new QComboBox(group), "tipoled");
    grid->addWidget(new QLabel("Type", group), 0, 0);
    grid->addWidget(m_ledTypes, 0, 1, 1, 2);
    const char* tiles[2] = {"tileX", "tileY"};
    const char* walls[2] = {"wallX", "wallY"};
    grid->addWidget(new QLabel("Tile size", group), 1, 0);
    grid->addWidget(new QLabel("Wall size", group), 2, 0);
    for (int i = 0; i < 2; ++i) {
        m_tile[i] = spin(tiles[i], group);
        m_wall[i] = spin(walls[i], group);
        grid->addWidget(m_tile[i], 1, 1 + i);
        grid->addWidget(m_wall[i], 2, 1 + i);
    }
    connect(m_ledTypes, &QComboBox::activated, this, [this](int at) {
        const auto types = m_settings.ledTileTypes();
        if (!types || at < 0 || at >= types->size())
            return;
        m_tile[0]->setValue(types->at(at).width);
        m_tile[1]->setValue(types->at(at).height);
    });
    const char* names[4] = {"btnLedLayerA", "btnLedLayerB", "btnLedLayer", "SpeedButton4"};
    const char* captions[4] = {"APPLY TO LAYER A", "APPLY TO LAYER B", "APPLY TO ALL LAYER",
                               "APPLY TO SCREEN"};
    for (int i = 0; i < 4; ++i) {
        auto* b = button(names[i], captions[i], group);
        grid->addWidget(b, 3 + i, 0, 1, 3);
        if (i < 3)
            m_ledButtons[i] = b;
    }
    for (int i = 0; i < 3; ++i) {
        connect(m_ledButtons[i], &QPushButton::clicked, this, [this, i] {
            for (int layer = 0; layer < 2; ++layer) {
                if (i != 2 && i != layer)
                    continue;
                m_layers[layer]->fields[2]->setValue(m_wall[0]->value() * m_tile[0]->value());
                m_layers[layer]->fields[3]->setValue(m_wall[1]->value() * m_tile[1]->value());
            }
        });
    }
    layout->addWidget(group, 0, 0);
    layout->setRowStretch(1, 1);
    return page;
}

void StageEditor::edit(const QString& name, int screenDpi)
{
    m_name->setText(name);
    // The LED tile types, the first one's size.
    m_ledTypes->clear();
    if (const auto types = m_settings.ledTileTypes(); types && !types->isEmpty()) {
        for (const SettingsFiles::LedTileType& type : *types)
            m_ledTypes->addItem(type.name);
        m_tile[0]->setValue(types->first().width);
        m_tile[1]->setValue(types->first().height);
    }
    m_pages->setCurrentIndex(0);
    listScreens(screenDpi);
    loadControls();
    m_host.levelMeters(false);
    show();
    raise();
    activateWindow();
}

void StageEditor::done(int result)
{
    m_host.levelMeters(true);
    QDialog::done(result);
}

void StageEditor::loadControls()
{
    m_ready = false;
    StageRecord& s = m_stage.schermi;
    for (int i = 0; i < 2; ++i) {
        Layer& layer = *m_layers[i];
        LayerValues v = layerValues(s, i);
        const QSignalBlocker quietPresets(layer.presets);
        layer.presets->setCurrentIndex(
            presets.indexOf(QStringLiteral("%1x%2").arg(v.width).arg(v.height)));
        showColour(layer.colour, bgrColour(v.colour));
        if (QAbstractButton* shape = layer.shapes->button(v.shape))
            shape->setChecked(true);
        const int values[5] = {v.left, v.top, v.width, v.height, v.sides};
        QSpinBox* boxes[5] = {layer.fields[0], layer.fields[1], layer.fields[2], layer.fields[3],
                              layer.sides};
        for (int f = 0; f < 5; ++f) {
            const QSignalBlocker quiet(boxes[f]);
            boxes[f]->setValue(values[f]);
        }
    }
    // A picture whose file is missing shows black and the box unticked.
    const bool picture = s.picture != 0 && QFileInfo::exists(s.sfondo);
    m_isImage->setChecked(picture && s.fullscreen == 0);
    showColour(m_backgroundColour,
               s.picture == 0 && s.fullscreen == 0 ? bgrColour(s.colore) : QColor(Qt::black));
    m_onePlayer->setChecked(s.fullscreen != 0);
    onePlayer(s.fullscreen != 0);
    m_hiddenBackground->setChecked(s.schermo != 0);
    m_restart->setChecked(s.restart != 0);
    for (QScrollBar* bar : {m_deltaX, m_deltaY}) {
        const QSignalBlocker quiet(bar);
        const int extent = bar == m_deltaX ? m_stage.sx : m_stage.sy;
        bar->setRange(-std::abs(extent), std::abs(extent));
        bar->setValue(20);
    }
    {
        const QSignalBlocker quiet(m_zoom);
        m_zoom->setValue(4);
    }
    showStageFields();
    redraw();
}

void StageEditor::showStageFields()
{
    m_width->setText(QString::number(m_stage.sx));
    m_height->setText(QString::number(m_stage.sy));
    m_offsetX->setText(QString::number(m_stage.offsetx));
    m_offsetY->setText(QString::number(m_stage.offsety));
}

void StageEditor::listScreens(int dpi)
{
    m_screenList->clear();
    const QList<DisplayScreens::Monitor> monitors = m_screens.monitors();
    for (int i = 0; i < monitors.size(); ++i) {
        const DisplayScreens::Monitor& m = monitors[i];
        m_screenList->addItem(QStringLiteral("Screen n.%1 - %2x%3%4")
                                  .arg(i + 1)
                                  .arg(m.width * dpi / 96)
                                  .arg(m.height * dpi / 96)
                                  .arg(m.primary ? " (primary)" : ""));
    }
}

void StageEditor::redetect()
{
    listScreens(96);
}

void StageEditor::monitorButton(const std::function<void(int width, int height)>& effect)
{
    const int row = m_screenList->currentRow();
    const QList<DisplayScreens::Monitor> monitors = m_screens.monitors();
    if (row < 0 || row >= monitors.size())
        return;
    effect(monitors[row].width, monitors[row].height);
    showStageFields();
    redraw();
}

void StageEditor::setMode()
{
    const int row = m_screenList->currentRow();
    if (row < 0)
        return;
    if (!m_host.askYesNo(QStringLiteral("Are you sure to want to change resolution of screen n. "
                                        "%1 with the new %2x%3px ?")
                             .arg(row + 1)
                             .arg(m_width->text(), m_height->text())))
        return;
    const QList<DisplayScreens::Monitor> monitors = m_screens.monitors();
    bool isWidth = false, isHeight = false;
    const int width = m_width->text().toInt(&isWidth);
    const int height = m_height->text().toInt(&isHeight);
    // The monitor of the selected line, found by its output's name.
    if (row >= monitors.size() || !isWidth || !isHeight || width <= 0 || height <= 0)
        return;
    if (m_screens.changeMode(monitors[row].name, width, height))
        m_host.showInformation("Resolution changed!");
}

int StageEditor::fieldValue(QLineEdit* field, int previous) const
{
    bool isNumber = false;
    const int value = field->text().toInt(&isNumber);
    return isNumber ? value : previous;
}

void StageEditor::redraw()
{
    hideHandles();
    m_ready = false;
    const int z = m_zoom->value();
    const int dx = m_deltaX->value();
    const int dy = m_deltaY->value();
    const QList<DisplayScreens::Monitor> monitors = m_screens.monitors();
    if (!monitors.isEmpty())
        m_offset->setGeometry(dx - m_stage.offsetx / z, dy - m_stage.offsety / z,
                              monitors.first().width / z, monitors.first().height / z);
    m_outline->setGeometry(dx, dy, m_stage.sx / z, m_stage.sy / z);
    m_picture->setGeometry(m_outline->geometry());
    showBackground();
    for (int i = 0; i < 2; ++i)
        placeLayer(i);
    m_width->setText(QString::number(m_stage.sx));
    m_height->setText(QString::number(m_stage.sy));
    m_zoomText->setText(QStringLiteral("1:%1").arg(z));
    m_layers[0]->panel->setFocus();
    m_ready = true;
    changed();
}

void StageEditor::placeLayer(int index)
{
    const int z = m_zoom->value();
    LayerValues v = layerValues(m_stage.schermi, index);
    QLabel* panel = m_layers[index]->panel;
    panel->setGeometry(m_deltaX->value() + v.left / z, m_deltaY->value() + v.top / z, v.width / z,
                       v.height / z);
    QPalette colours = panel->palette();
    const QColor colour = bgrColour(v.colour);
    colours.setColor(QPalette::Window, colour);
    colours.setColor(QPalette::WindowText, colour.lightness() > 128 ? Qt::black : Qt::white);
    panel->setPalette(colours);
    panel->setMask(maskRegion(panel->size(), v.shape, v.sides));
    if (m_selected == index && m_handles[0]->isVisible())
        placeHandles();
}

void StageEditor::showBackground()
{
    const StageRecord& s = m_stage.schermi;
    const bool image = s.picture != 0 && s.fullscreen == 0 && QFileInfo::exists(s.sfondo);
    m_picture->setVisible(image);
    if (image)
        m_picture->setPixmap(QPixmap(s.sfondo));
    const QColor fill = s.picture != 0 || s.fullscreen != 0 ? Qt::black : bgrColour(s.colore);
    m_outline->setFill(fill);
}

void StageEditor::takePicture(const QString& path)
{
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    m_stage.schermi.sfondo = path;
    m_stage.schermi.picture = 1;
    m_isImage->setChecked(true);
}

void StageEditor::hideHandles()
{
    for (QFrame* handle : m_handles)
        handle->hide();
}

void StageEditor::selectPanel(int index)
{
    m_selected = index;
    placeHandles();
    for (QFrame* handle : m_handles)
        handle->show();
}

void StageEditor::placeHandles()
{
    if (m_selected < 0)
        return;
    const QRect r = m_layers[m_selected]->panel->geometry();
    const int l = r.x(), t = r.y(), w = r.width(), h = r.height();
    const QPoint corners[8] = {{l, t},         {l + w / 2, t},     {l + w, t}, {l + w, t + h / 2},
                               {l + w, t + h}, {l + w / 2, t + h}, {l, t + h}, {l, t + h / 2}};
    for (int k = 0; k < 8; ++k) {
        m_handles[k]->move(corners[k] - QPoint(2, 2));
        m_handles[k]->raise();
    }
}

void StageEditor::sizeFromPanel(int index)
{
    const QSize outline = m_outline->size();
    // A stage drawn 0 wide or high gives no scale: the layer keeps its size.
    if (!m_ready || outline.width() <= 0 || outline.height() <= 0)
        return;
    const QSize panel = m_layers[index]->panel->size();
    const int width = std::max(10, int(qint64(m_stage.sx) * panel.width() / outline.width()));
    const int height = int(qint64(m_stage.sy) * panel.height() / outline.height());
    const QSignalBlocker quietW(m_layers[index]->fields[2]);
    const QSignalBlocker quietH(m_layers[index]->fields[3]);
    m_layers[index]->fields[2]->setValue(width);
    m_layers[index]->fields[3]->setValue(height);
    LayerValues v = layerValues(m_stage.schermi, index);
    v.width = width;
    v.height = height;
    changed();
}

bool StageEditor::eventFilter(QObject* watched, QEvent* event)
{
    for (int i = 0; i < 2; ++i)
        if (watched == m_layers[i]->panel)
            return panelEvent(i, event);
    for (int k = 0; k < 8; ++k)
        if (watched == m_handles[k])
            return handleEvent(k, event);
    if ((watched == m_picture || watched == m_outline) &&
        event->type() == QEvent::MouseButtonDblClick) {
        hideHandles();
        const QString path = choosePicture();
        if (!path.isEmpty()) {
            takePicture(path);
            showBackground();
            changed();
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool StageEditor::panelEvent(int index, QEvent* event)
{
    auto* mouse = static_cast<QMouseEvent*>(event);
    QLabel* panel = m_layers[index]->panel;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        m_dragFrom = mouse->globalPosition().toPoint();
        selectPanel(index);
        m_pages->setCurrentIndex(1 + index);
        return false;
    case QEvent::MouseMove: {
        if (!(mouse->buttons() & Qt::LeftButton) || !m_ready)
            return false;
        panel->setCursor(Qt::SizeAllCursor);
        const QPoint now = mouse->globalPosition().toPoint();
        panel->move(panel->pos() + (now - m_dragFrom));
        m_dragFrom = now;
        // Both read before either is written: each field places the panel again.
        const int z = m_zoom->value();
        const int left = (panel->x() - m_deltaX->value()) * z;
        const int top = (panel->y() - m_deltaY->value()) * z;
        m_layers[index]->fields[0]->setValue(left);
        m_layers[index]->fields[1]->setValue(top);
        return true;
    }
    case QEvent::MouseButtonRelease:
        panel->unsetCursor();
        return false;
    default:
        return false;
    }
}

bool StageEditor::handleEvent(int handle, QEvent* event)
{
    if (m_selected < 0 || event->type() != QEvent::MouseMove)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (!(mouse->buttons() & Qt::LeftButton))
        return false;
    const QPoint p = m_workspace->mapFromGlobal(mouse->globalPosition().toPoint());
    QLabel* panel = m_layers[m_selected]->panel;
    QRect r = panel->geometry();
    // Handles 0..7 clockwise from the top-left corner: the edges each one moves.
    if (handle == 0 || handle == 6 || handle == 7)
        r.setLeft(std::min(p.x(), r.right()));
    if (handle == 2 || handle == 3 || handle == 4)
        r.setRight(std::max(p.x(), r.left()));
    if (handle == 0 || handle == 1 || handle == 2)
        r.setTop(std::min(p.y(), r.bottom()));
    if (handle == 4 || handle == 5 || handle == 6)
        r.setBottom(std::max(p.y(), r.top()));
    const QSize before = panel->size();
    panel->setGeometry(r);
    placeHandles();
    if (panel->size() != before)
        sizeFromPanel(m_selected);
    return true;
}

void StageEditor::changed()
{
    if (m_realTime->isChecked() && m_ready)
        m_host.apply();
}

void StageEditor::onePlayer(bool on)
{
    m_stage.schermi.fullscreen = on ? 1 : 0;
    Layer& a = *m_layers[0];
    a.panel->setText(on ? "LAYER A/B" : "LAYER A");
    m_pages->setTabText(1, on ? "Layer A/B" : "Layer A");
    a.position->setTitle(on ? "Position LAYER A/B" : "Position LAYER A");
    a.mask->setTitle(on ? "  Mask layer A/B  " : "  Mask layer A  ");
    m_ledButtons[0]->setText(on ? "APPLY TO LAYER A/B" : "APPLY TO LAYER A");
    m_layers[1]->panel->setVisible(!on);
    m_pages->setTabVisible(2, !on);
    m_ledButtons[1]->setVisible(!on);
    m_ledButtons[2]->setVisible(!on);
    showBackground();
    a.panel->setFocus();
}

void StageEditor::saveStage()
{
    if (m_host.save(m_name->text()))
        m_host.showInformation("Stage saved.");
}

void StageEditor::exportStage()
{
    const QString path = chooseStageFile(true);
    if (path.isEmpty())
        return;
    QString reason;
    if (writeStageExchange(path, m_stage, reason))
        m_host.showInformation("Stage exported!");
    else
        m_host.showError(QStringLiteral("The stage was not exported: %1").arg(reason));
}

void StageEditor::importStage()
{
    const QString path = chooseStageFile(false);
    if (path.isEmpty())
        return;
    QString reason;
    if (!readStageExchange(path, m_stage, reason)) {
        qCWarning(stageEditorLog).noquote() << "Stage file" << path << "refused:" << reason;
        m_host.showError("Incorrect Stage");
        return;
    }
    loadControls();
    m_host.showInformation("Stage imported!");
}
