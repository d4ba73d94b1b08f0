#include "stage/live_video_page.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {
struct InputNames {
    const char *device, *size, *rate, *h264, *mpeg, *on, *off;
    const char* routing[4];
    const char *input, *output, *preview;
};
const InputNames inputNames[2] = {
    {"caDevice",
     "caSize",
     "FreqA",
     "btnH264ca",
     "btnMpegca",
     "t_live",
     "btnLiveStop",
     {"btnLive1", "btnLive2", "btnLive3", "btnLive4"},
     "btnInput1",
     "btnOutput1",
     "imgCA"},
    {"cbDevice",
     "cbSize",
     "freqB",
     "btnH264cb",
     "btnMPEGcb",
     "t_liveB",
     "btnLiveStopB",
     {"btnLiveb1", "btnliveb2", "btnliveB3", "btnliveb4"},
     "btnInput2",
     "btnOutput2",
     "imgCB"},
};

QComboBox* list(const char* name, const QStringList& items, QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->addItems(items);
    return combo;
}

// A row of buttons of which one is down; each carries its tag as the "tag" property.
QHBoxLayout* choice(QWidget* parent, const QList<std::pair<const char*, QString>>& buttons)
{
    auto* row = new QHBoxLayout;
    auto* group = new QButtonGroup(parent);
    for (int tag = 0; tag < buttons.size(); ++tag) {
        auto* button = new QPushButton(buttons.at(tag).second, parent);
        button->setObjectName(QString::fromLatin1(buttons.at(tag).first));
        button->setCheckable(true);
        button->setProperty("tag", tag);
        group->addButton(button, tag);
        row->addWidget(button);
    }
    return row;
}
} // namespace

LiveVideoPage::LiveVideoPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName("pLive");
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(buildInput(1));
    layout->addWidget(buildInput(2));
}

QWidget* LiveVideoPage::buildInput(int input)
{
    const InputNames& n = inputNames[input - 1];
    auto* box = new QGroupBox(QStringLiteral("Live video %1").arg(input), this);
    auto* devices = list(n.device, {}, box);
    (input == 1 ? m_devicesA : m_devicesB) = devices;
    auto* form = new QFormLayout(box);
    form->addRow("Device", devices);
    form->addRow("Size",
                 list(n.size, {"original", "360x288", "720x576", "1280x720", "1920x1080"}, box));
    form->addRow("Frame rate", list(n.rate, {"25", "30", "50", "60"}, box));
    form->addRow("Encoder", choice(box, {{n.h264, "H264"}, {n.mpeg, "MPEG"}}));
    form->addRow(choice(box, {{n.on, "ON"}, {n.off, "OFF"}}));
    form->addRow(choice(
        box,
        {{n.routing[0], "OFF"}, {n.routing[1], "A"}, {n.routing[2], "B"}, {n.routing[3], "A/B"}}));
    auto* options = new QHBoxLayout;
    for (const auto& [name, caption] :
         {std::pair{n.input, "SET INPUT"}, std::pair{n.output, "SET OUTPUT"}}) {
        auto* button = new QPushButton(caption, box);
        button->setObjectName(QString::fromLatin1(name));
        options->addWidget(button);
    }
    form->addRow(options);
    auto* preview = new QLabel(box);
    preview->setObjectName(QString::fromLatin1(n.preview));
    preview->setMinimumSize(192, 108);
    preview->setAlignment(Qt::AlignCenter);
    preview->setStyleSheet("background: black;");
    form->addRow(preview);
    for (const char* down : {n.h264, n.off, n.routing[0]})
        box->findChild<QPushButton*>(QString::fromLatin1(down))->setChecked(true);
    return box;
}

void LiveVideoPage::setCaptureDevices(const QStringList& names)
{
    for (QComboBox* devices : {m_devicesA, m_devicesB}) {
        devices->clear();
        for (const QString& name : names)
            devices->addItem("video=" + name);
        devices->setCurrentIndex(names.isEmpty() ? -1 : 0);
    }
}
