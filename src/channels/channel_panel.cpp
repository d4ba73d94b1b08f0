#include "channels/channel_panel.h"

#include "channels/position_bar.h"

#include "shared/bgr_colour.h"
#include "shared/media_time.h"
#include "ui/named_widgets.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

namespace {
// The object names of one channel's widgets: Player A's, then Player B's.
struct Names {
    const char *title, *codec, *resolution, *aspect, *duration, *endStatus, *countdown, *startPoint,
        *preview, *black, *stopped, *saved, *position, *onAir;
    const char *brightness, *saturation, *hue, *brightnessValue, *saturationValue, *hueValue;
    const char *brightnessReset, *saturationReset, *hueReset, *resetAll;
    const char *meterLeft, *meterRight, *lamp, *volume, *volumeReadout, *volumeMax, *mute,
        *muteToggle;
    const char *speed, *speedReadout, *speedReset, *alpha, *alphaValue, *alphaReset;
    const char *layer, *transition, *transitionReadout;
    const char *previewOff, *previewOn, *flipOff, *flipOn, *filterOn, *filterOff, *deinterlace,
        *stepFrame, *saveClip;
    const char* aspects[6];
};

const Names channelNames[2] = {
    {"titolo",
     "tipo",
     "ris",
     "aratio",
     "durata",
     "status",
     "CountDownA",
     "txtStartA",
     "splittedA",
     "blackA",
     "pausedA",
     "savedA",
     "TrackBarA",
     "ledA",
     "b",
     "s",
     "h",
     "bt",
     "st",
     "ht",
     "breset",
     "sReset",
     "hReset",
     "btnResetAllA",
     "aL",
     "aR",
     "led1A",
     "volA",
     "vo1",
     "btnVolumeMaxA",
     "btnMuteA",
     "btnMuteA1",
     "speedA",
     "txtSpeedA",
     "btnSpeedA",
     "AlphaTrack1",
     "tAlpha1",
     "SpeedButton36",
     "btnLayerA",
     "duratatransizioneA",
     "txtDurataTransizioneA",
     "previewAoff",
     "previewAon",
     "VerticalFlipOff",
     "verticalFlipOn",
     "btnFilterAon",
     "btnFilterAoff",
     "chkDeInterlaceA",
     "btnTrimModeA",
     "btnSaveClipA",
     {"btnOriginal", "btnFit", "btn43", "btn169", "btn185", "btn235"}},
    {"titoloB",
     "tipoB",
     "risB",
     "aratioB",
     "durataB",
     "statusB",
     "countdownB",
     "txtStartB",
     "SplittedB",
     "blackB",
     "pausedB",
     "savedB",
     "TrackBarB",
     "ledB",
     "bb",
     "ss",
     "hh",
     "bbt",
     "sst",
     "hht",
     "BBreset",
     "SSreset",
     "HHreset",
     "btnResetAllB",
     "bL",
     "bR",
     "led1B",
     "volB",
     "vo2",
     "btnVolumeMaxB",
     "btnMuteB",
     "btnMuteB1",
     "SpeedB",
     "txtSpeedB",
     "btnSpeedB",
     "AlphaTrack2",
     "tAlpha2",
     "btnResetAlpha",
     "btnLayerB",
     "DurataTransizioneB",
     "txtDurataTransizioneB",
     "previewBoff",
     "previewBon",
     "VerticalFlipBoff",
     "verticalFlipBon",
     "btnFilterBon",
     "btnFilterBoff",
     "chkDeinterlaceB",
     "btnTrimModeB",
     "btnSaveClipB",
     {"btnOriginalB", "btnFitB", "btn43B", "btn169B", "btn185B", "btn235B"}},
};

QSlider* verticalBar(const char* name, int minimum, int maximum, QWidget* parent)
{
    auto* bar = named<QSlider>(name, parent);
    bar->setOrientation(Qt::Vertical);
    bar->setRange(minimum, maximum);
    bar->setInvertedAppearance(true); // minimum at the top
    bar->setMinimumHeight(110);
    return bar;
}

QSpinBox* spinBox(const char* name, int minimum, int maximum, QWidget* parent)
{
    auto* box = named<QSpinBox>(name, parent);
    box->setRange(minimum, maximum);
    box->setButtonSymbols(QAbstractSpinBox::NoButtons);
    box->setAlignment(Qt::AlignCenter);
    box->setFixedWidth(44);
    return box;
}

QProgressBar* meter(const char* name, QWidget* parent)
{
    auto* bar = named<QProgressBar>(name, parent);
    bar->setOrientation(Qt::Vertical);
    bar->setRange(0, 100);
    bar->setTextVisible(false);
    bar->setFixedWidth(10);
    return bar;
}

// Buttons of which exactly one is down; the first caption starts down unless told otherwise.
void exclusive(QWidget* parent, const QList<QPushButton*>& buttons, int down = 0)
{
    auto* group = new QButtonGroup(parent);
    for (QPushButton* member : buttons) {
        member->setCheckable(true);
        group->addButton(member);
    }
    buttons.at(down)->setChecked(true);
}

QFont scaled(QFont font, qreal factor, bool bold)
{
    font.setPointSizeF(font.pointSizeF() * factor);
    font.setBold(bold);
    return font;
}
} // namespace

ChannelPanel::ChannelPanel(int channel, QWidget* parent)
    : QGroupBox(channel == 1 ? QStringLiteral("PLAYER A") : QStringLiteral("PLAYER B"), parent)
    , m_channel(channel)
{
    const Names& n = channelNames[channel - 1];
    setObjectName(channel == 1 ? "panelA" : "panelB");

    m_title = namedLabel(n.title, {}, this);
    m_title->setFont(scaled(font(), 1.4, true));
    m_codec = namedLabel(n.codec, {}, this);
    m_resolution = namedLabel(n.resolution, {}, this);
    m_aspect = namedLabel(n.aspect, {}, this);
    m_duration = namedLabel(n.duration, "00:00:00.000", this);
    m_endStatus = namedButton(n.endStatus, "LOOP", this);

    auto* black = named<QWidget>(n.black, this);
    black->setMinimumSize(256, 144);
    black->setStyleSheet("background: black;");
    m_preview = namedLabel(n.preview, {}, black);
    m_preview->installEventFilter(this);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setScaledContents(true);
    m_stateLabel = namedLabel(n.stopped, "STOPPED", black);
    m_stateLabel->setStyleSheet("font-weight: bold;");
    m_saved = namedLabel(n.saved, "SAVED", black);
    m_saved->setStyleSheet("color: #30ff60; font-weight: bold;");
    m_saved->hide();
    auto* blackLayout = new QGridLayout(black);
    blackLayout->setContentsMargins(4, 4, 4, 4);
    blackLayout->addWidget(m_preview, 0, 0, 2, 2);
    blackLayout->addWidget(m_stateLabel, 0, 0, Qt::AlignTop | Qt::AlignLeft);
    blackLayout->addWidget(m_saved, 1, 1, Qt::AlignBottom | Qt::AlignRight);

    m_countdown = namedLabel(n.countdown, {}, this);
    m_countdown->setFont(scaled(font(), 2.4, true));
    m_countdown->setAlignment(Qt::AlignCenter);
    m_countdown->installEventFilter(this);
    m_startPoint = namedLabel(n.startPoint, "-", this);

    m_position = named<PositionBar>(n.position, this);
    connect(m_endStatus, &QPushButton::clicked, this, [this] {
        const QStringList cycle = {"LOOP", "LAST FRAME", "BLACK", "NEXT CLIP"};
        const auto at = cycle.indexOf(m_endStatus->text());
        if (at >= 0)
            m_endStatus->setText(cycle.at((at + 1) % cycle.size()));
    });
    m_stateLamp = namedLabel(n.onAir, QStringLiteral("●"), this);

    m_meterLeft = meter(n.meterLeft, this);
    m_meterRight = meter(n.meterRight, this);
    m_lamp = namedLabel(n.lamp, QStringLiteral("●"), this);
    m_lamp->setStyleSheet("color: #ff3030;");
    QSizePolicy lampPolicy = m_lamp->sizePolicy();
    lampPolicy.setRetainSizeWhenHidden(true); // the panel does not jump when it goes out
    m_lamp->setSizePolicy(lampPolicy);

    m_layer = namedButton(n.layer, channel == 1 ? "A" : "B", this, true);
    m_layer->setMinimumSize(48, 40);
    m_layer->setFont(scaled(font(), 1.4, true));

    QList<QPushButton*> aspectButtons;
    const QStringList aspectCaptions = {"Original", "Fit", "4:3", "16:9", "1.85:1", "2.35:1"};
    auto* aspectRow = new QHBoxLayout;
    for (int i = 0; i < 6; ++i) {
        aspectButtons.append(namedButton(n.aspects[i], aspectCaptions.at(i), this, true));
        aspectRow->addWidget(aspectButtons.last());
    }
    exclusive(this, aspectButtons);
    m_aspects = aspectButtons;
    m_original = aspectButtons.first();

    m_transition = named<QScrollBar>(n.transition, this);
    m_transition->setOrientation(Qt::Horizontal);
    m_transition->setRange(0, 60);
    m_transitionReadout = namedLabel(n.transitionReadout, "0s", this);
    connect(m_transition, &QScrollBar::valueChanged, this, [this](int position) {
        m_transitionReadout->setText(QString::number(position / 2.0, 'f', 1) + "s");
    });

    auto* header = new QHBoxLayout;
    header->addWidget(m_lamp);
    header->addWidget(m_layer);
    header->addWidget(m_title, 1);
    header->addWidget(m_stateLamp);
    header->addWidget(m_countdown);

    auto* info = new QGridLayout;
    info->addWidget(m_codec, 0, 0);
    info->addWidget(m_resolution, 0, 1);
    info->addWidget(m_aspect, 0, 2);
    info->addWidget(m_duration, 0, 3);
    info->addWidget(m_endStatus, 0, 4);

    auto* picture = new QHBoxLayout;
    picture->addWidget(black, 1);
    picture->addWidget(m_meterLeft);
    picture->addWidget(m_meterRight);
    picture->addWidget(buildColourControls());

    auto* transition = new QHBoxLayout;
    transition->addWidget(new QLabel(channel == 1 ? "START POINT A:" : "START POINT B:", this));
    transition->addWidget(m_startPoint);
    transition->addSpacing(12);
    transition->addWidget(new QLabel("TRANSITION", this));
    transition->addWidget(m_transition, 1);
    transition->addWidget(m_transitionReadout);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addLayout(info);
    layout->addLayout(picture, 1);
    layout->addWidget(m_position);
    layout->addLayout(aspectRow);
    layout->addWidget(buildSwitches());
    layout->addLayout(transition);
    showState(psStop); // an empty channel looks stopped
}

QWidget* ChannelPanel::buildColourControls()
{
    const Names& n = channelNames[m_channel - 1];
    auto* controls = new QWidget(this);
    m_brightness = verticalBar(n.brightness, -100, 100, controls);
    m_saturation = verticalBar(n.saturation, 0, 100, controls);
    m_hue = verticalBar(n.hue, -100, 100, controls);
    m_brightnessValue = spinBox(n.brightnessValue, -100, 100, controls);
    m_saturationValue = spinBox(n.saturationValue, 0, 100, controls);
    m_hueValue = spinBox(n.hueValue, -100, 100, controls);
    m_brightnessReset = namedButton(n.brightnessReset, "B", controls);
    m_saturationReset = namedButton(n.saturationReset, "S", controls);
    m_hueReset = namedButton(n.hueReset, "H", controls);
    m_alpha = verticalBar(n.alpha, 0, 255, controls);
    m_alphaValue = spinBox(n.alphaValue, 0, 255, controls);
    m_alphaValue->setValue(255);
    m_speed = verticalBar(n.speed, -100, 100, controls);
    m_speedReadout = namedLabel(n.speedReadout, "0", controls);
    m_speedReadout->setAlignment(Qt::AlignCenter);
    m_alphaReset = namedButton(n.alphaReset, "R", controls);
    m_speedReset = namedButton(n.speedReset, "RESET SPEED", controls);
    m_volume = verticalBar(n.volume, 0, 100, controls);
    m_volumeReadout = namedLabel(n.volumeReadout, {}, controls);
    m_volumeReadout->setAlignment(Qt::AlignCenter);
    m_volumeMax = named<QPushButton>(n.volumeMax, controls);
    m_volumeMax->setIcon(style()->standardIcon(QStyle::SP_MediaVolume));
    m_mute = named<QPushButton>(n.mute, controls);
    m_mute->setIcon(style()->standardIcon(QStyle::SP_MediaVolumeMuted));

    struct Column {
        QString caption;
        QSlider* bar;
        QWidget* value;
        QPushButton* reset;
    };
    const QList<Column> columns = {
        {"B", m_brightness, m_brightnessValue, m_brightnessReset},
        {"S", m_saturation, m_saturationValue, m_saturationReset},
        {"H", m_hue, m_hueValue, m_hueReset},
        {"ALPHA", m_alpha, m_alphaValue, m_alphaReset},
        {"SPEED", m_speed, m_speedReadout, m_speedReset},
        {"VOL", m_volume, m_volumeReadout, m_volumeMax},
    };
    auto* grid = new QGridLayout(controls);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < columns.size(); ++i) {
        const Column& column = columns.at(i);
        grid->addWidget(new QLabel(column.caption, controls), 0, i, Qt::AlignHCenter);
        grid->addWidget(column.bar, 1, i, Qt::AlignHCenter);
        grid->addWidget(column.value, 2, i, Qt::AlignHCenter);
        column.reset->setMaximumWidth(column.caption == "SPEED" ? 90 : 44);
        grid->addWidget(column.reset, 3, i, Qt::AlignHCenter);
    }
    grid->addWidget(m_mute, 3, int(columns.size()) - 1, Qt::AlignHCenter);
    return controls;
}

QWidget* ChannelPanel::buildSwitches()
{
    const Names& n = channelNames[m_channel - 1];
    auto* switches = new QWidget(this);
    m_previewOff = namedButton(n.previewOff, "PREVIEW OFF", switches, true);
    m_previewOn = namedButton(n.previewOn, "ON", switches, true);
    exclusive(switches, {m_previewOff, m_previewOn}, 1);
    m_flipOff = namedButton(n.flipOff, "VERTICAL FLIP OFF", switches, true);
    m_flipOn = namedButton(n.flipOn, "ON", switches, true);
    exclusive(switches, {m_flipOff, m_flipOn}, 0);
    m_filterOn = namedButton(n.filterOn, "FILTER ON", switches, true);
    auto* filterOff = namedButton(n.filterOff, "OFF", switches, true);
    exclusive(switches, {m_filterOn, filterOff}, 0);
    m_deinterlace = namedButton(n.deinterlace, "DEINTERLACE", switches, true);
    m_muteToggle = namedButton(n.muteToggle, "MUTE", switches, true);

    auto* layout = new QGridLayout(switches);
    layout->setContentsMargins(0, 0, 0, 0);
    const QList<QPushButton*> row1 = {m_previewOff, m_previewOn, m_flipOff,
                                      m_flipOn,     m_filterOn,  filterOff};
    for (int i = 0; i < row1.size(); ++i)
        layout->addWidget(row1.at(i), 0, i);
    m_resetAll = namedButton(n.resetAll, "RESET ALL", switches);
    const QList<QPushButton*> row2 = {
        m_deinterlace, m_stepFrame = namedButton(n.stepFrame, "STEP FRAME", switches),
        m_saveClip = namedButton(n.saveClip, "SAVE TO CLIP", switches), m_resetAll, m_muteToggle};
    for (int i = 0; i < row2.size(); ++i)
        layout->addWidget(row2.at(i), 1, i == 0 ? 0 : i + 1, 1, i == 0 ? 2 : 1);
    return switches;
}

void ChannelPanel::resetInfo()
{
    m_countdown->setText("00:00:00.000");
    m_countdown->setStyleSheet("color: red;");
    m_startPoint->setText("-");
    m_codec->clear();
    m_resolution->clear();
    m_aspect->clear();
    m_duration->clear();
    m_endStatus->setText({});
    m_title->setText("Add a clip");
    m_preview->clear();
    m_meterLeft->setValue(0);
    m_meterRight->setValue(0);
    setSelected(m_layer->isChecked());
}

void ChannelPanel::setSelected(bool selected)
{
    m_lamp->setVisible(selected);
}

QString ChannelPanel::title() const
{
    return m_title->text();
}

void ChannelPanel::showTitle(const QString& title)
{
    m_title->setText(title);
}

void ChannelPanel::showFormat(const QString& format)
{
    m_codec->setText(format);
}

void ChannelPanel::showAspect(const QString& aspect)
{
    m_aspect->setText(aspect);
}

void ChannelPanel::showResolution(int width, int height)
{
    m_resolution->setText(QStringLiteral("%1x%2").arg(width).arg(height));
}

void ChannelPanel::showDuration(qint64 microseconds)
{
    m_duration->setText(formatMediaTime(microseconds));
}

void ChannelPanel::showStartPoint(qint64 microseconds)
{
    m_startPoint->setText(formatMediaTime(microseconds));
}

QString ChannelPanel::endStatus() const
{
    return m_endStatus->text();
}

void ChannelPanel::setEndStatus(const QString& status)
{
    m_endStatus->setText(status);
}

void ChannelPanel::showCountdown(qint64 pts, qint64 duration)
{
    const qint64 remaining = duration - pts;
    QString colour = "#ffffff";
    if (m_countdownMode == 2 || duration > 0) {
        if (remaining < 30000000)
            colour = bgrColour(0x4280FF).name();
        if (remaining < 10000000)
            colour = bgrColour(0xFF).name();
    }
    const bool showRemaining = m_countdownMode == 1 && duration > 0;
    // Only when it changes: a style sheet set again restyles the label and lays the window
    // out again, at each position report of both channels.
    const QString sheet = "color: " + colour + ";";
    if (m_countdown->styleSheet() != sheet)
        m_countdown->setStyleSheet(sheet);
    m_countdown->setText(formatMediaTime(showRemaining ? remaining : pts));
}

void ChannelPanel::showPosition(qint64 pts, qint64 duration)
{
    if (pts > 1000)
        showCountdown(pts, duration);
    if (pts < 0 || duration <= 0)
        return;
    const int at = int(qint64(m_position->maximum()) * pts / duration);
    m_position->setSelectionEnd(at);
    const bool dragging =
        m_position->isSliderDown() ||
        (m_position->hasFocus() && (QGuiApplication::mouseButtons() & Qt::LeftButton));
    if (FTrackChanging || dragging)
        return;
    FTrackChanging = true;
    m_position->setValue(at);
    FTrackChanging = false;
}

void ChannelPanel::preparePositionBar(qint64 startPoint, qint64 duration, bool thumb)
{
    FTrackChanging = true;
    m_position->setRange(0, std::max(1, m_position->width()));
    m_position->setSingleStep(1);
    m_position->setSelectionEnd(0);
    m_position->setEnabled(thumb);
    // A clip without a stored length keeps the thumb at the start.
    m_position->setValue(duration > 0 ? int(m_position->maximum() * startPoint / duration) : 0);
    m_position->setSelectionEnd(m_position->value());
    FTrackChanging = false;
}

void ChannelPanel::showState(TPlayState state)
{
    struct Look {
        const char* text;
        unsigned label;
        unsigned lamp;
    };
    Look look;
    switch (state) {
    case psPlay:
    case psResume:
        look = {"PLAYING", 0x00FFFF, 0x008000};
        break;
    case psPause:
    case psStep:
        look = {"PAUSED", 0xFFFF00, 0xFF0000};
        break;
    case psStop:
        look = {"STOPPED", 0x4080FF, 0x0000FF};
        break;
    default:
        return; // the end leaves the display as it is
    }
    m_stateLabel->setText(look.text);
    m_stateLabel->setStyleSheet(
        QStringLiteral("font-weight: bold; color: %1;").arg(bgrColour(look.label).name()));
    const QString lamp = QStringLiteral("color: %1;").arg(bgrColour(look.lamp).name());
    m_stateLamp->setStyleSheet(lamp);
    m_lamp->setStyleSheet(lamp);
}

bool ChannelPanel::previewOn() const
{
    return m_previewOn->isChecked();
}

QSize ChannelPanel::previewSize() const
{
    return m_preview->size();
}

void ChannelPanel::showPreview(const QImage& picture)
{
    if (!picture.isNull())
        m_preview->setPixmap(QPixmap::fromImage(picture));
}

void ChannelPanel::clearPreview()
{
    m_preview->clear();
}

void ChannelPanel::showSaved(bool shown)
{
    m_saved->setVisible(shown);
}

int ChannelPanel::volume() const
{
    return m_volume->maximum() - m_volume->value();
}

void ChannelPanel::showVolume(int volume)
{
    m_volumeReadout->setText(QString::number(volume) + "%");
}

void ChannelPanel::showVolumeIcons(bool audible)
{
    m_volumeMax->setVisible(audible);
    m_mute->setVisible(!audible);
}

void ChannelPanel::setVerticalFlip(bool on)
{
    (on ? m_flipOn : m_flipOff)->setChecked(true);
}

bool ChannelPanel::verticalFlipOn() const
{
    return m_flipOn->isChecked();
}

void ChannelPanel::showMeters(int left, int right)
{
    m_meterLeft->setValue(left);
    m_meterRight->setValue(right);
}

void ChannelPanel::setPreview(bool on)
{
    (on ? m_previewOn : m_previewOff)->setChecked(true);
}

ColourBars::Controls ChannelPanel::colourControls() const
{
    return {{m_brightness, m_saturation, m_hue},
            {m_brightnessValue, m_saturationValue, m_hueValue},
            {m_brightnessReset, m_saturationReset, m_hueReset},
            m_resetAll};
}

bool ChannelPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_countdown && event->type() == QEvent::MouseButtonPress) {
        // The next position report sets the colour again.
        m_countdownMode = m_countdownMode == 1 ? 2 : 1;
        m_countdown->setStyleSheet(m_countdownMode == 2 ? "color: #008000;" : "color: #ffffff;");
    }
    if (watched == m_preview && event->type() == QEvent::MouseButtonPress)
        emit previewClicked(m_channel);
    return QGroupBox::eventFilter(watched, event);
}
