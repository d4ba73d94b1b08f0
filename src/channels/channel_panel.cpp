#include "channels/channel_panel.h"

#include <QButtonGroup>
#include <QGridLayout>
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
        *preview, *black, *brightness, *saturation, *hue, *brightnessValue, *saturationValue,
        *hueValue, *meterLeft, *meterRight, *lamp, *volume, *volumeReadout, *volumeMax, *mute,
        *layer, *transition, *transitionReadout, *position;
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
     "b",
     "s",
     "h",
     "bt",
     "st",
     "ht",
     "aL",
     "aR",
     "led1A",
     "volA",
     "vo1",
     "btnVolumeMaxA",
     "btnMuteA",
     "btnLayerA",
     "duratatransizioneA",
     "txtDurataTransizioneA",
     "TrackBarA",
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
     "bb",
     "ss",
     "hh",
     "bbt",
     "sst",
     "hht",
     "bL",
     "bR",
     "led1B",
     "volB",
     "vo2",
     "btnVolumeMaxB",
     "btnMuteB",
     "btnLayerB",
     "DurataTransizioneB",
     "txtDurataTransizioneB",
     "TrackBarB",
     {"btnOriginalB", "btnFitB", "btn43B", "btn169B", "btn185B", "btn235B"}},
};

template <class W> W* named(const char* name, QWidget* parent)
{
    auto* widget = new W(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* label(const char* name, const QString& text, QWidget* parent)
{
    auto* widget = named<QLabel>(name, parent);
    widget->setText(text);
    return widget;
}

QSlider* verticalBar(const char* name, int minimum, int maximum, QWidget* parent)
{
    auto* bar = named<QSlider>(name, parent);
    bar->setOrientation(Qt::Vertical);
    bar->setRange(minimum, maximum);
    bar->setInvertedAppearance(true); // minimum at the top
    return bar;
}

QSpinBox* spinBox(const char* name, int minimum, int maximum, QWidget* parent)
{
    auto* box = named<QSpinBox>(name, parent);
    box->setRange(minimum, maximum);
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
} // namespace

ChannelPanel::ChannelPanel(int channel, QWidget* parent)
    : QGroupBox(channel == 1 ? QStringLiteral("PLAYER A") : QStringLiteral("PLAYER B"), parent)
    , m_channel(channel)
{
    const Names& n = channelNames[channel - 1];
    setObjectName(channel == 1 ? "panelA" : "panelB");

    m_title = label(n.title, {}, this);
    QFont titleFont = m_title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    m_codec = label(n.codec, {}, this);
    m_resolution = label(n.resolution, {}, this);
    m_aspect = label(n.aspect, {}, this);
    m_duration = label(n.duration, "00:00:00.000", this);
    m_endStatus = named<QPushButton>(n.endStatus, this);
    m_endStatus->setText("LOOP");

    auto* black = named<QWidget>(n.black, this);
    black->setMinimumSize(240, 135);
    black->setAutoFillBackground(true);
    QPalette blackPalette = black->palette();
    blackPalette.setColor(QPalette::Window, Qt::black);
    black->setPalette(blackPalette);
    m_preview = label(n.preview, {}, black);
    m_preview->setAlignment(Qt::AlignCenter);
    auto* blackLayout = new QVBoxLayout(black);
    blackLayout->setContentsMargins(0, 0, 0, 0);
    blackLayout->addWidget(m_preview);

    m_countdown = label(n.countdown, {}, this);
    QFont countdownFont = m_countdown->font();
    countdownFont.setPointSizeF(countdownFont.pointSizeF() * 2.2);
    countdownFont.setBold(true);
    m_countdown->setFont(countdownFont);
    m_countdown->setAlignment(Qt::AlignCenter);
    m_startPoint = label(n.startPoint, "-", this);

    auto* position = named<QSlider>(n.position, this);
    position->setOrientation(Qt::Horizontal);

    m_brightness = verticalBar(n.brightness, -100, 100, this);
    m_saturation = verticalBar(n.saturation, 0, 100, this);
    m_hue = verticalBar(n.hue, -100, 100, this);
    m_brightnessValue = spinBox(n.brightnessValue, -100, 100, this);
    m_saturationValue = spinBox(n.saturationValue, 0, 100, this);
    m_hueValue = spinBox(n.hueValue, -100, 100, this);
    m_meterLeft = meter(n.meterLeft, this);
    m_meterRight = meter(n.meterRight, this);

    m_lamp = label(n.lamp, QStringLiteral("●"), this);
    m_lamp->setStyleSheet("color: #ff3030;");

    m_volume = verticalBar(n.volume, 0, 100, this);
    m_volumeReadout = label(n.volumeReadout, {}, this);
    m_volumeMax = named<QPushButton>(n.volumeMax, this);
    m_volumeMax->setIcon(style()->standardIcon(QStyle::SP_MediaVolume));
    m_mute = named<QPushButton>(n.mute, this);
    m_mute->setIcon(style()->standardIcon(QStyle::SP_MediaVolumeMuted));
    connect(m_volume, &QSlider::valueChanged, this, &ChannelPanel::volumeSliderChanged);

    m_layer = named<QPushButton>(n.layer, this);
    m_layer->setText(channel == 1 ? "A" : "B");
    m_layer->setCheckable(true);

    auto* aspects = new QButtonGroup(this);
    const QStringList aspectCaptions = {"Original", "Fit", "4:3", "16:9", "1.85:1", "2.35:1"};
    auto* aspectRow = new QHBoxLayout;
    for (int i = 0; i < 6; ++i) {
        auto* button = named<QPushButton>(n.aspects[i], this);
        button->setText(aspectCaptions.at(i));
        button->setCheckable(true);
        aspects->addButton(button);
        aspectRow->addWidget(button);
    }
    m_original = qobject_cast<QPushButton*>(aspects->buttons().first());

    m_transition = named<QScrollBar>(n.transition, this);
    m_transition->setOrientation(Qt::Horizontal);
    m_transition->setRange(0, 60);
    m_transitionReadout = label(n.transitionReadout, "0s", this);
    connect(m_transition, &QScrollBar::valueChanged, this, [this](int position) {
        m_transitionReadout->setText(QString::number(position / 2.0, 'f', 1) + "s");
    });

    auto* info = new QGridLayout;
    info->addWidget(m_title, 0, 0, 1, 4);
    info->addWidget(m_codec, 1, 0);
    info->addWidget(m_resolution, 1, 1);
    info->addWidget(m_aspect, 1, 2);
    info->addWidget(m_duration, 1, 3);

    auto* colour = new QGridLayout;
    const QList<std::pair<QString, std::pair<QSlider*, QSpinBox*>>> colourControls = {
        {"B", {m_brightness, m_brightnessValue}},
        {"S", {m_saturation, m_saturationValue}},
        {"H", {m_hue, m_hueValue}}};
    for (int column = 0; column < colourControls.size(); ++column) {
        const auto& [caption, controls] = colourControls.at(column);
        colour->addWidget(new QLabel(caption, this), 0, column, Qt::AlignHCenter);
        colour->addWidget(controls.first, 1, column, Qt::AlignHCenter);
        colour->addWidget(controls.second, 2, column);
    }

    auto* volumeColumn = new QVBoxLayout;
    volumeColumn->addWidget(m_volumeReadout, 0, Qt::AlignHCenter);
    volumeColumn->addWidget(m_volume, 1, Qt::AlignHCenter);
    volumeColumn->addWidget(m_volumeMax);
    volumeColumn->addWidget(m_mute);

    auto* picture = new QHBoxLayout;
    picture->addWidget(black, 1);
    picture->addWidget(m_meterLeft);
    picture->addWidget(m_meterRight);
    picture->addLayout(colour);
    picture->addLayout(volumeColumn);

    auto* transition = new QHBoxLayout;
    transition->addWidget(new QLabel("START POINT", this));
    transition->addWidget(m_startPoint);
    transition->addStretch();
    transition->addWidget(m_transition, 1);
    transition->addWidget(m_transitionReadout);
    transition->addWidget(m_endStatus);

    auto* header = new QHBoxLayout;
    header->addWidget(m_lamp);
    header->addWidget(m_layer);
    header->addWidget(m_countdown, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addLayout(info);
    layout->addLayout(picture, 1);
    layout->addWidget(position);
    layout->addLayout(aspectRow);
    layout->addLayout(transition);
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
    m_brightness->setValue(0);
    m_saturation->setValue(90);
    m_hue->setValue(0);
    m_brightnessValue->setValue(0);
    m_saturationValue->setValue(10);
    m_hueValue->setValue(0);
    m_meterLeft->setValue(0);
    m_meterRight->setValue(0);
    setSelected(m_layer->isChecked());
}

int ChannelPanel::volume() const
{
    return m_volume->maximum() - m_volume->value();
}

void ChannelPanel::volumeSliderChanged()
{
    m_volumeReadout->setText(QString::number(volume()) + "%");
    const bool silent = volume() == 0;
    m_volumeMax->setVisible(!silent);
    m_mute->setVisible(silent);
    emit volumeChanged(m_channel, volume());
}

void ChannelPanel::setSelected(bool selected)
{
    // Keeps its room in the layout, so the panel does not jump when the lamp goes out.
    QSizePolicy policy = m_lamp->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    m_lamp->setSizePolicy(policy);
    m_lamp->setVisible(selected);
}
