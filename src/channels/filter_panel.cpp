#include "channels/filter_panel.h"

#include "channels/playback_channels.h"
#include "channels/video_filter_text.h"
#include "media/ff_player.h"
#include "ui/named_widgets.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

namespace {
using S = ClipSettings;
constexpr int S::*CropMembers[4] = {&S::FCropX, &S::FCropY, &S::FCropW, &S::FCropH};
constexpr int S::*CornerMembers[8] = {&S::Fx0, &S::Fy0, &S::Fx1, &S::Fy1,
                                      &S::Fx2, &S::Fy2, &S::Fx3, &S::Fy3};
constexpr double S::*BalanceMembers[9] = {&S::Frs, &S::Fgs, &S::Fbs, &S::Frm, &S::Fgm,
                                          &S::Fbm, &S::Frh, &S::Fgh, &S::Fbh};
constexpr int MaxDegrees = 720;

int degrees(double radians)
{
    return int(std::lround(radians * 180 / M_PI));
}
} // namespace

QString scriptFilterText(const QString& memo)
{
    QString text;
    for (const QString& line : memo.split('\n'))
        if (!line.trimmed().isEmpty())
            text += ',' + line.trimmed();
    return text;
}

QString scriptMemoText(const QString& filters)
{
    if (filters.isEmpty())
        return {};
    // The panel writes a "," before every line; a text stored without one keeps its start.
    const QString pieces = filters.startsWith(',') ? filters.mid(1) : filters;
    return pieces.split(',').join('\n');
}

void FilterPanel::Group::enable(bool on) const
{
    for (QWidget* control : controls)
        control->setEnabled(on);
    for (QPushButton* button : {edit, reset, apply})
        if (button)
            button->setEnabled(on);
}

FilterPanel::FilterPanel(PlaybackChannels& channels, QWidget* parent)
    : QWidget(parent)
    , m_channels(channels)
{
    setObjectName("filtri");
    setWindowTitle("  Filter");
    auto* pages = new QTabWidget(this);
    pages->setObjectName("pcFiltri");
    pages->addTab(buildGeometry(), "Geometry");
    pages->addTab(buildColors(), "Colors");
    pages->addTab(buildAdvanced(), "Advanced");
    pages->addTab(buildScript(), "Script");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pages);
    wireCrop();
    wirePerspective();
    wireRotation();
    wireColourBalance();
    wireBlur();
    wireScript();
    showChannel(m_channels.state().selectedChannel);
}

namespace {
// A vertical bar over its number, with a caption above.
QWidget* axisColumn(const QString& caption, QSlider* bar, QSpinBox* number, QWidget* parent)
{
    auto* column = new QWidget(parent);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(2, 0, 2, 0);
    auto* label = new QLabel(caption, column);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    layout->addWidget(bar, 1, Qt::AlignHCenter);
    layout->addWidget(number);
    return column;
}
} // namespace

FilterPanel::Axis FilterPanel::makeAxis(QWidget* parent, const char* barName,
                                        const char* numberName, int lowest, int highest)
{
    auto* bar = named<QSlider>(barName, parent);
    bar->setOrientation(Qt::Vertical);
    bar->setInvertedAppearance(true); // the lowest position at the top
    bar->setRange(lowest, highest);
    bar->setMinimumHeight(90);
    auto* number = named<QSpinBox>(numberName, parent);
    number->setRange(lowest, highest);
    return {bar, number};
}

QHBoxLayout* FilterPanel::makeButtons(Group& group, QWidget* parent, const char* active,
                                      const char* edit, const char* reset, const char* apply)
{
    group.active = namedButton(active, "ACTIVE", parent, true);
    if (edit)
        group.edit = namedButton(edit, "EDIT", parent, true);
    if (reset)
        group.reset = namedButton(reset, "RESET", parent);
    if (apply)
        group.apply = namedButton(apply, "APPLY", parent);
    auto* row = new QHBoxLayout;
    for (QPushButton* button : {group.active, group.edit, group.reset, group.apply})
        if (button)
            row->addWidget(button);
    return row;
}

QWidget* FilterPanel::buildGeometry()
{
    auto* page = new QWidget;
    auto* crop = new QGroupBox("Crop", page);
    auto* cropLayout = new QVBoxLayout(crop);
    cropLayout->addLayout(
        makeButtons(m_crop, page, "btnCrop", "btnBox", "btnCropReset", "btnCropApply"));
    auto* cropAxes = new QHBoxLayout;
    const char* cropNames[4][3] = {{"cxt", "cx", "Left"},
                                   {"cyt", "cy", "Top"},
                                   {"cwt", "cw", "Right"},
                                   {"cht", "ch", "Bottom"}};
    for (int i = 0; i < 4; ++i) {
        m_cropAxes[i] = makeAxis(page, cropNames[i][0], cropNames[i][1], 0, 0);
        cropAxes->addWidget(
            axisColumn(cropNames[i][2], m_cropAxes[i].bar, m_cropAxes[i].number, crop));
        m_crop.controls << m_cropAxes[i].bar << m_cropAxes[i].number;
    }
    cropLayout->addLayout(cropAxes);

    auto* perspective = new QGroupBox("Perspective", page);
    auto* perspectiveLayout = new QVBoxLayout(perspective);
    perspectiveLayout->addLayout(makeButtons(m_perspective, page, "btnPerspective",
                                             "btnPerspectivePreview", "btnPerspectiveReset",
                                             "btnPerspectiveApply"));
    auto* cornerAxes = new QHBoxLayout;
    const char* cornerCaptions[4] = {"Top L", "Top R", "Bottom L", "Bottom R"};
    for (int i = 0; i < 8; ++i) {
        const QByteArray bar = (i % 2 ? "y" : "x") + QByteArray::number(i / 2);
        const QByteArray number = "t" + bar;
        m_corners[i] = makeAxis(page, bar.constData(), number.constData(), 0, 0);
        cornerAxes->addWidget(
            axisColumn(QStringLiteral("%1 %2").arg(cornerCaptions[i / 2], i % 2 ? "y" : "x"),
                       m_corners[i].bar, m_corners[i].number, perspective));
        m_perspective.controls << m_corners[i].bar << m_corners[i].number;
    }
    perspectiveLayout->addLayout(cornerAxes);

    auto* standard = new QGroupBox("Standard rotation", page);
    auto* standardRow = new QHBoxLayout(standard);
    m_standardRotation = new QButtonGroup(this);
    const std::tuple<const char*, const char*, int> turns[4] = {{"btnRuota0", "0", 4},
                                                                {"btnRuota1", "90°", 1},
                                                                {"btnRuota2", "-90°", 2},
                                                                {"btnRuota3", "90° flip", 3}};
    for (const auto& [name, caption, tag] : turns) {
        QPushButton* button = namedButton(name, QString::fromUtf8(caption), standard, true);
        m_standardRotation->addButton(button, tag);
        standardRow->addWidget(button);
    }

    auto* rotation = new QGroupBox("Rotation", page);
    auto* rotationLayout = new QVBoxLayout(rotation);
    rotationLayout->addLayout(
        makeButtons(m_rotation, page, "btnRotation", nullptr, "btnRotationReset", nullptr));
    m_angle = makeAxis(page, "changeRotation", "rotateValue", 0, MaxDegrees);
    m_angle.bar->setValue(MaxDegrees);
    rotationLayout->addWidget(axisColumn("Degrees", m_angle.bar, m_angle.number, rotation));
    m_rotation.controls << m_angle.bar << m_angle.number;

    auto* layout = new QGridLayout(page);
    layout->addWidget(crop, 0, 0);
    layout->addWidget(perspective, 0, 1);
    layout->addWidget(rotation, 0, 2);
    layout->addWidget(standard, 1, 0, 1, 3);
    return page;
}

QWidget* FilterPanel::buildColors()
{
    auto* page = new QWidget;
    auto* colour = new QGroupBox("Color balance", page);
    auto* grid = new QGridLayout(colour);
    grid->addLayout(
        makeButtons(m_colour, colour, "btnColor", nullptr, "btnColorReset", "btnColorApply"), 0, 0,
        1, 4);
    const char* rows[3][2] = {{"s", "Shadows"}, {"m", "Midtones"}, {"h", "Highlights"}};
    const char* swatchNames[3] = {"shadowfill", "midtonefill", "highlightfill"};
    for (int row = 0; row < 3; ++row) {
        for (int i = 0; i < 3; ++i) {
            const QByteArray bar = QByteArray("rgb").mid(i, 1) + rows[row][0];
            const Axis axis = makeAxis(colour, bar.constData(), (bar + "t").constData(), -100, 100);
            m_balance[row * 3 + i] = axis;
            grid->addWidget(axisColumn(QString(QChar("RGB"[i])) + " " + rows[row][1], axis.bar,
                                       axis.number, colour),
                            row + 1, i);
            m_colour.controls << axis.bar << axis.number;
        }
        m_swatches[row] = namedLabel(swatchNames[row], {}, colour);
        m_swatches[row]->setFixedSize(40, 40);
        grid->addWidget(m_swatches[row], row + 1, 3);
    }
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(colour);
    return page;
}

QWidget* FilterPanel::buildAdvanced()
{
    auto* page = new QWidget;
    auto* blur = new QGroupBox("Blur", page);
    auto* layout = new QVBoxLayout(blur);
    layout->addLayout(
        makeButtons(m_blur, blur, "btnBlur", nullptr, "btnBlurReset", "btnBlurApply"));
    auto* axes = new QHBoxLayout;
    const std::tuple<Axis*, const char*, const char*, const char*> blurs[2] = {
        {&m_chroma, "ChromaBlur", "c1", "Power"}, {&m_luma, "LumaBlur", "l1", "Radius"}};
    for (const auto& [axis, barName, numberName, caption] : blurs) {
        *axis = makeAxis(blur, barName, numberName, 0, 100);
        axis->bar->setValue(100);
        axes->addWidget(axisColumn(caption, axis->bar, axis->number, blur));
        m_blur.controls << axis->bar << axis->number;
    }
    layout->addLayout(axes);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addWidget(blur);
    pageLayout->addStretch();
    return page;
}

QWidget* FilterPanel::buildScript()
{
    auto* page = new QWidget;
    m_script = named<QPlainTextEdit>("mFiltro", page);
    m_script->setPlaceholderText("one FFmpeg filter per line");
    m_scriptClear = namedButton("btnScriptClear", "CLEAR", page);
    m_scriptApply = namedButton("btnScriptApply", "APPLY", page);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_scriptClear);
    buttons->addWidget(m_scriptApply);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_script);
    layout->addLayout(buttons);
    return page;
}

ClipSettings& FilterPanel::settings()
{
    return m_channels.state().clipSettings[m_channel];
}

TFFPlayer* FilterPanel::player() const
{
    return m_channels.ThePlayer(m_channel);
}

void FilterPanel::send(const char* target, const char* command, const QString& argument)
{
    // A filter that is not in the running graph refuses unheard.
    if (!m_loading)
        player()->SendVideoFilterCommand(QString::fromLatin1(target), QString::fromLatin1(command),
                                         argument, 0);
}

bool FilterPanel::activeMayAct(QAbstractButton* active)
{
    if (!TFFPlayer::AVLibLoaded()) {
        active->setChecked(false);
        return false;
    }
    if (!m_channels.state().handlersArmed) {
        active->setChecked(!active->isChecked());
        return false;
    }
    return true;
}

bool FilterPanel::applySettings(const ClipSettings& wanted, bool armedOff)
{
    return m_channels.applyFilterSettings(m_channel, wanted, armedOff);
}

void FilterPanel::switchGroup(const Group& group, int ClipSettings::*flag, bool on)
{
    ClipSettings wanted = settings();
    wanted.*flag = on ? 1 : 0;
    if (!applySettings(wanted, true)) {
        group.active->setChecked(!on);
        return;
    }
    group.enable(on);
    if (!on && group.edit)
        group.edit->setChecked(false);
    publishMarks();
}

void FilterPanel::setMaximum(const Axis& axis, int maximum)
{
    // Quietly: a value clamped here is set again from the channel's settings.
    const QSignalBlocker quietBar(axis.bar);
    const QSignalBlocker quietNumber(axis.number);
    axis.bar->setMaximum(maximum);
    axis.number->setMaximum(maximum);
}

void FilterPanel::wirePixelAxis(const Axis& axis, int ClipSettings::*member, const Group& group,
                                bool always)
{
    connect(axis.number, &QSpinBox::valueChanged, this,
            [this, axis, member, &group, always](int value) {
                if (always || group.active->isChecked()) {
                    settings().*member = value;
                    axis.bar->setValue(axis.bar->maximum() - value);
                }
                publishMarks();
            });
    connect(axis.bar, &QSlider::valueChanged, this, [axis, &group](int position) {
        if (group.active->isChecked())
            axis.number->setValue(axis.bar->maximum() - position);
    });
}

void FilterPanel::wireCrop()
{
    // The left edge is written always, the others while the crop is on.
    for (int i = 0; i < 4; ++i)
        wirePixelAxis(m_cropAxes[i], CropMembers[i], m_crop, i == 0);
    connect(m_crop.active, &QPushButton::clicked, this, [this](bool on) {
        if (!activeMayAct(m_crop.active))
            return;
        // Crop and perspective are never both on.
        if (on && m_perspective.active->isChecked()) {
            m_crop.active->setChecked(false);
            return;
        }
        switchGroup(m_crop, &S::FCrop, on);
    });
    connect(m_crop.edit, &QPushButton::clicked, this, [this](bool on) {
        for (const int channel : {1, 2})
            m_channels.ThePlayer(channel)->setVideoHook(false);
        if (!m_crop.active->isChecked()) {
            m_crop.edit->setChecked(false);
            m_crop.active->setChecked(false);
            publishMarks();
            return;
        }
        m_perspective.edit->setChecked(false);
        // While editing the whole picture shows, with the outline over it.
        ClipSettings wanted = settings();
        wanted.FCrop = on ? 0 : 1;
        player()->setVideoHook(true);
        publishMarks();
        if (!applySettings(wanted, true))
            m_crop.edit->setChecked(!on);
        publishMarks();
    });
    connect(m_crop.reset, &QPushButton::clicked, this, [this] {
        if (!m_crop.active->isChecked())
            return;
        const ClipSettings& s = settings();
        const int edges[4] = {0, 0, s.FWidth, s.FHeight};
        for (int i = 0; i < 4; ++i)
            m_cropAxes[i].number->setValue(edges[i]);
        applySettings(true);
    });
    connect(m_crop.apply, &QPushButton::clicked, this, [this] {
        if (!m_crop.active->isChecked())
            return;
        ClipSettings wanted = settings();
        wanted.FCrop = 1;
        if (applySettings(wanted, true))
            m_crop.edit->setChecked(false);
        publishMarks();
    });
}

void FilterPanel::wirePerspective()
{
    for (int i = 0; i < 8; ++i)
        wirePixelAxis(m_corners[i], CornerMembers[i], m_perspective, false);
    connect(m_perspective.active, &QPushButton::clicked, this, [this](bool on) {
        if (!activeMayAct(m_perspective.active))
            return;
        if (on && m_crop.active->isChecked()) {
            m_perspective.active->setChecked(false);
            return;
        }
        switchGroup(m_perspective, &S::FPerspective, on);
        player()->setVideoHook(settings().FPerspective == 1);
    });
    connect(m_perspective.edit, &QPushButton::toggled, this, &FilterPanel::publishMarks);
    connect(m_perspective.reset, &QPushButton::clicked, this, [this] {
        if (!m_perspective.active->isChecked())
            return;
        const int w = settings().FWidth;
        const int h = settings().FHeight;
        const int corners[8] = {0, 0, w, 0, 0, h, w, h};
        for (int i = 0; i < 8; ++i)
            m_corners[i].number->setValue(corners[i]);
        applySettings(true);
    });
    connect(m_perspective.apply, &QPushButton::clicked, this, [this] {
        if (!m_perspective.active->isChecked())
            return;
        if (applySettings(true))
            m_perspective.edit->setChecked(false);
    });
}

void FilterPanel::wireRotation()
{
    connect(m_standardRotation, &QButtonGroup::idClicked, this, [this](int tag) {
        const auto showStored = [this] {
            if (QAbstractButton* stored = m_standardRotation->button(settings().FRuota))
                stored->setChecked(true);
        };
        if (!TFFPlayer::AVLibLoaded() || !m_channels.state().handlersArmed) {
            showStored();
            return;
        }
        ClipSettings wanted = settings();
        wanted.FRuota = tag;
        // "transpose" takes no commands: the turn comes with the new filters.
        send("transpose", "dir", QString::number(tag));
        if (!applySettings(wanted, true))
            showStored();
    });
    connect(m_angle.bar, &QSlider::valueChanged, this, [this](int position) {
        m_angle.number->setValue(MaxDegrees - position);
        if (!m_channels.state().handlersArmed || !m_rotation.active->isChecked())
            return;
        settings().FAngle = (MaxDegrees - position) * M_PI / 180;
        // The same turning expression as an opening builds, so the picture turns alike.
        send("rotate", "a", rotationExpression(settings().FAngle));
    });
    connect(m_angle.number, &QSpinBox::valueChanged, this,
            [this](int value) { m_angle.bar->setValue(MaxDegrees - value); });
    connect(m_rotation.active, &QPushButton::clicked, this, [this](bool on) {
        if (!activeMayAct(m_rotation.active))
            return;
        if (on)
            m_angle.bar->setValue(MaxDegrees - degrees(settings().FAngle));
        switchGroup(m_rotation, &S::FRotation, on);
    });
    connect(m_rotation.reset, &QPushButton::clicked, this, [this] {
        if (!m_rotation.active->isChecked())
            return;
        m_angle.number->setValue(0);
        applySettings(false);
    });
}

void FilterPanel::wireColourBalance()
{
    for (int i = 0; i < 9; ++i) {
        const Axis axis = m_balance[i];
        connect(axis.bar, &QSlider::valueChanged, this, [this, axis, i](int position) {
            if (!m_channels.state().handlersArmed || !m_colour.active->isChecked())
                return;
            settings().*BalanceMembers[i] = -position / 100.0;
            axis.number->setValue(-position);
            paintSwatches();
        });
        connect(axis.number, &QSpinBox::valueChanged, this,
                [axis](int value) { axis.bar->setValue(-value); });
    }
    connect(m_colour.active, &QPushButton::clicked, this, [this](bool on) {
        if (activeMayAct(m_colour.active))
            switchGroup(m_colour, &S::FColor, on);
    });
    connect(m_colour.reset, &QPushButton::clicked, this, [this] {
        if (!m_colour.active->isChecked())
            return;
        for (const Axis& axis : m_balance)
            axis.number->setValue(0);
        applySettings(false);
    });
    connect(m_colour.apply, &QPushButton::clicked, this, [this] {
        if (m_colour.active->isChecked())
            applySettings(true);
    });
}

void FilterPanel::paintSwatches()
{
    for (int row = 0; row < 3; ++row) {
        // The low bytes of the row's numbers are its colour's red, green and blue.
        const auto byte = [&](int i) { return m_balance[row * 3 + i].number->value() & 0xff; };
        m_swatches[row]->setStyleSheet(QStringLiteral("background-color: rgb(%1, %2, %3);")
                                           .arg(byte(0))
                                           .arg(byte(1))
                                           .arg(byte(2)));
    }
}

void FilterPanel::wireBlur()
{
    connect(m_chroma.bar, &QSlider::valueChanged, this, [this](int position) {
        settings().FCroma = 100 - position;
        m_chroma.number->setValue(100 - position);
    });
    connect(m_luma.bar, &QSlider::valueChanged, this, [this](int position) {
        settings().FCromaLR = 100 - position;
        m_luma.number->setValue(100 - position);
        // FFmpeg's box blur takes no commands yet: the radius changes with "APPLY".
        send("boxblur", "lr", QString::number(100 - position));
    });
    for (const Axis& axis : {m_chroma, m_luma})
        connect(axis.number, &QSpinBox::valueChanged, this,
                [axis](int value) { axis.bar->setValue(100 - value); });
    connect(m_blur.active, &QPushButton::clicked, this, [this](bool on) {
        if (activeMayAct(m_blur.active))
            switchGroup(m_blur, &S::FBlur, on);
    });
    connect(m_blur.reset, &QPushButton::clicked, this, [this] {
        if (!m_blur.active->isChecked())
            return;
        m_chroma.number->setValue(0);
        m_luma.number->setValue(0);
        applySettings(false);
    });
    connect(m_blur.apply, &QPushButton::clicked, this, [this] {
        if (m_blur.active->isChecked())
            applySettings(false);
    });
}

void FilterPanel::wireScript()
{
    connect(m_scriptClear, &QPushButton::clicked, m_script, &QPlainTextEdit::clear);
    connect(m_scriptApply, &QPushButton::clicked, this, [this] {
        if (!TFFPlayer::AVLibLoaded() || !m_channels.state().handlersArmed)
            return;
        ClipSettings wanted = settings();
        wanted.FFiltro = scriptFilterText(m_script->toPlainText());
        applySettings(wanted, true); // refused: the memo keeps the text to be corrected
    });
}

void FilterPanel::showChannel(int channel)
{
    m_channel = channel;
    m_loading = true;
    // A copy: the bars' handlers write back into the settings while they move.
    const ClipSettings s = settings();
    const int w = s.FWidth;
    const int h = s.FHeight;

    m_crop.active->setChecked(s.FCrop != 0);
    m_crop.enable(s.FCrop != 0);
    const int cropValues[4] = {s.FCropX, s.FCropY, s.FCropW, s.FCropH};
    for (int i = 0; i < 4; ++i) {
        const Axis& axis = m_cropAxes[i];
        setMaximum(axis, i % 2 ? h : w);
        axis.number->setValue(cropValues[i]);
        axis.bar->setValue(axis.bar->maximum() - axis.number->value());
    }

    const bool perspective = s.FPerspective == 1;
    m_perspective.active->setChecked(perspective);
    m_channels.ThePlayer(channel)->setVideoHook(perspective);
    m_perspective.enable(perspective);
    for (int i = 0; i < 8; ++i) {
        const Axis& axis = m_corners[i];
        setMaximum(axis, i % 2 ? h : w);
        const int value = s.*CornerMembers[i];
        axis.bar->setValue(axis.bar->maximum() - value);
        axis.number->setValue(value);
    }

    // 0 ("transpose" direction 0) has no button: none is pressed.
    m_standardRotation->setExclusive(false);
    for (QAbstractButton* button : m_standardRotation->buttons())
        button->setChecked(m_standardRotation->id(button) == s.FRuota);
    m_standardRotation->setExclusive(true);

    m_rotation.active->setChecked(s.FRotation == 1);
    m_rotation.enable(s.FRotation == 1);
    m_angle.number->setValue(degrees(s.FAngle));

    m_colour.active->setChecked(s.FColor == 1);
    for (int i = 0; i < 9; ++i) {
        const int value = int(std::lround(s.*BalanceMembers[i] * 100));
        m_balance[i].bar->setValue(-value);
        m_balance[i].number->setValue(value);
    }
    paintSwatches();
    m_colour.enable(s.FColor == 1);

    m_blur.active->setChecked(s.FBlur == 1);
    m_chroma.bar->setValue(100 - s.FCroma);
    m_luma.bar->setValue(100 - s.FCromaLR);
    m_blur.enable(s.FBlur == 1);

    m_script->setPlainText(scriptMemoText(s.FFiltro));
    m_loading = false;
    publishMarks();
}

PictureMarks FilterPanel::marksOf(int channel) const
{
    PictureMarks marks;
    marks.cropEdit = m_crop.edit->isChecked();
    marks.perspectiveEdit = m_perspective.edit->isChecked();
    marks.cropLeft = m_cropAxes[0].number->value();
    marks.cropTop = m_cropAxes[1].number->value();
    marks.cropRight = m_cropAxes[2].number->value();
    marks.cropBottom = m_cropAxes[3].number->value();
    for (int corner = 0; corner < 4; ++corner)
        marks.outline[corner] = QPoint(m_corners[corner * 2].number->value(),
                                       m_corners[corner * 2 + 1].number->value());
    const ClipSettings& s = m_channels.state().clipSettings[channel];
    marks.masks = s.FPerspective == 1;
    marks.corners = {QPoint(s.Fx0, s.Fy0), QPoint(s.Fx1, s.Fy1), QPoint(s.Fx2, s.Fy2),
                     QPoint(s.Fx3, s.Fy3)};
    marks.size = QSize(s.FWidth, s.FHeight);
    return marks;
}

void FilterPanel::publishMarks()
{
    for (const int channel : {1, 2}) {
        m_channels.hooks().publish(channel, marksOf(channel));
        // A paused picture or a still is drawn again with the new marks.
        TFFPlayer* player = m_channels.ThePlayer(channel);
        if (player->VideoHook())
            player->UpdateScreenPosition();
    }
}
