#include "channels/mixer_panel.h"

#include "ui/named_widgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QPushButton* button(const char* name, const QString& caption, QWidget* parent)
{
    auto* widget = namedButton(name, caption, parent);
    widget->setMinimumHeight(36);
    return widget;
}

MixerGauge* fader(const char* name, int maximum, QWidget* parent)
{
    auto* gauge = new MixerGauge(parent);
    gauge->setObjectName(QString::fromLatin1(name));
    gauge->setOrientation(Qt::Vertical);
    gauge->setRange(0, maximum);
    gauge->setValue(0);
    gauge->setTextVisible(false);
    gauge->setFixedWidth(14);
    return gauge;
}
} // namespace

void MixerGauge::setValue(int value)
{
    setUpdatesEnabled(false); // no paint from within
    QProgressBar::setValue(value);
    setUpdatesEnabled(true);
    update();
}

MixerPanel::MixerPanel(QWidget* parent)
    : QWidget(parent)
{
    setObjectName("mixer");
    auto* grid = new QGridLayout;
    const char* channels[2][6] = {
        {"btnCutA", "btnDissolve", "mixVideoA", "mixAudioA", "faderA", "faderAudioA"},
        {"btnCutB", "btnDissolveB", "mixVideoB", "mixAudioB", "faderB", "faderAudioB"}};
    for (int c = 0; c < 2; ++c) {
        const auto& names = channels[c];
        const int column = c * 2;
        ChannelMix& mixed = m_channels[c];
        grid->addWidget(new QLabel(c == 0 ? "A" : "B", this), 0, column, 1, 2, Qt::AlignHCenter);
        for (int i = 0; i < 2; ++i) { // down while the channel is off air
            QPushButton* offAir = button(names[i], i == 0 ? "CUT" : "DISSOLVE", this);
            offAir->setCheckable(true);
            grid->addWidget(offAir, 1 + i, column, 1, 2);
            (i == 0 ? mixed.cut : mixed.dissolve) = offAir;
        }
        for (int i = 0; i < 2; ++i) {
            auto* mix = new QCheckBox(i == 0 ? "VIDEO" : "AUDIO", this);
            mix->setObjectName(QString::fromLatin1(names[2 + i]));
            mix->setChecked(true);
            connect(mix, &QCheckBox::clicked, this, &MixerPanel::handBackFocus);
            grid->addWidget(mix, 3 + i, column, 1, 2);
            (i == 0 ? mixed.mixVideo : mixed.mixAudio) = mix;
        }
        mixed.videoGauge = fader(names[4], 255, this);
        mixed.audioGauge = fader(names[5], 100, this);
        grid->addWidget(mixed.videoGauge, 5, column, Qt::AlignHCenter);
        grid->addWidget(mixed.audioGauge, 5, column + 1, Qt::AlignHCenter);
    }
    grid->setRowStretch(5, 1);

    m_stageOnAir = new QLabel(this);
    m_stageOnAir->setObjectName("stageOnAir");
    m_stageOnAir->setAlignment(Qt::AlignCenter);
    m_stageOnAir->setStyleSheet("color: #ffd000; font-weight: bold;");

    auto* single = button("SpeedButton29", "SINGLE", this);
    auto* invert = button("btnAutoAudio", "INVERT", this);
    m_invert = invert;
    auto* audioMode = new QButtonGroup(this);
    for (QPushButton* mode : {single, invert}) {
        mode->setCheckable(true);
        audioMode->addButton(mode);
    }
    single->setChecked(true);
    auto* audio = new QHBoxLayout;
    audio->addWidget(single);
    audio->addWidget(invert);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(audio);
    layout->addWidget(new QLabel("STAGE ON AIR", this), 0, Qt::AlignHCenter);
    layout->addWidget(m_stageOnAir);
    auto* points = new QGridLayout;
    m_setStartPoint = button("btnSetStartPoint", "SET START\nPOINT", this);
    m_resetStartPoint = button("btnResetStartPoint", "RESET START\nPOINT", this);
    points->addWidget(m_setStartPoint, 0, 0);
    points->addWidget(m_resetStartPoint, 0, 1);
    m_snapshot = button("SpeedButton1", "SET\nSNAPSHOT", this);
    points->addWidget(m_snapshot, 1, 0);
    m_restart = button("btnRestart", "RESTART", this);
    points->addWidget(m_restart, 1, 1);
    layout->addLayout(points);
}

void MixerPanel::showStageOnAir(const QString& name)
{
    m_stageOnAir->setText(name);
}
