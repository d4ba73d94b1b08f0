#include "stage/live_input.h"

#include "media/capture_devices.h"
#include "media/ff_encoder.h"
#include "stage/output_window.h"
#include "stage/video_surface.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QPushButton>

namespace {
Q_LOGGING_CATEGORY(liveLog, "quillon.live")

struct InputNames {
    const char *encoder, *device, *size, *rate, *h264, *mpeg, *on, *off;
    const char* routing[4];
    const char *input, *output, *preview;
};
const InputNames inputNames[2] = {
    {"v1",
     "caDevice",
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
    {"v2",
     "cbDevice",
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

QPushButton* button(const char* name, const QString& caption, QWidget* parent)
{
    auto* result = new QPushButton(caption, parent);
    result->setObjectName(QString::fromLatin1(name));
    return result;
}

// A row of buttons of which one is down, each with its tag as its id in the group.
QButtonGroup* choice(QWidget* parent, QHBoxLayout* row,
                     const QList<std::pair<const char*, QString>>& buttons)
{
    auto* group = new QButtonGroup(parent);
    for (int tag = 0; tag < buttons.size(); ++tag) {
        QPushButton* down = button(buttons.at(tag).first, buttons.at(tag).second, parent);
        down->setCheckable(true);
        down->setProperty("tag", tag);
        group->addButton(down, tag);
        row->addWidget(down);
    }
    group->button(0)->setChecked(true);
    return group;
}
} // namespace

LiveInput::LiveInput(int number, SettingsFiles settings, QWidget* parent)
    : QGroupBox(QStringLiteral("Live video %1").arg(number), parent)
    , m_number(number)
    , m_settings(std::move(settings))
    , m_encoder(std::make_unique<TFFEncoder>())
{
    const InputNames& n = inputNames[number - 1];
    m_encoder->setObjectName(QString::fromLatin1(n.encoder));
    m_encoder->setProgressInterval(100);
    m_encoder->OnPreviewBitmap = [this](TFFEncoder*, const TPreviewInfo& info) {
        showPreview(info);
    };
    m_encoder->OnTerminate = [this](TFFEncoder*, const TTerminateInfo& info) {
        encodingEnded(info);
    };

    auto* form = new QFormLayout(this);
    m_device = list(n.device, {}, this);
    form->addRow("Device", m_device);
    m_size = list(n.size, {"original", "360x288", "720x576", "1280x720", "1920x1080"}, this);
    form->addRow("Size", m_size);
    m_rate = list(n.rate, {"25", "30", "50", "60"}, this);
    form->addRow("Frame rate", m_rate);
    auto* encoders = new QHBoxLayout;
    QButtonGroup* encoderGroup = choice(this, encoders, {{n.h264, "H264"}, {n.mpeg, "MPEG"}});
    m_h264 = encoderGroup->button(0);
    m_mpeg = encoderGroup->button(1);
    form->addRow("Encoder", encoders);
    auto* onOff = new QHBoxLayout;
    QButtonGroup* onOffGroup = choice(this, onOff, {{n.on, "ON"}, {n.off, "OFF"}});
    m_onButton = onOffGroup->button(0);
    m_offButton = onOffGroup->button(1);
    m_offButton->setChecked(true);
    form->addRow(onOff);
    auto* routes = new QHBoxLayout;
    m_routingButtons = choice(
        this, routes,
        {{n.routing[0], "OFF"}, {n.routing[1], "A"}, {n.routing[2], "B"}, {n.routing[3], "A/B"}});
    form->addRow(routes);
    auto* options = new QHBoxLayout;
    m_setInput = button(n.input, "SET INPUT", this);
    m_setOutput = button(n.output, "SET OUTPUT", this);
    options->addWidget(m_setInput);
    options->addWidget(m_setOutput);
    form->addRow(options);
    m_preview = new QLabel(this);
    m_preview->setObjectName(QString::fromLatin1(n.preview));
    m_preview->setMinimumSize(192, 108);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setStyleSheet("background: black;");
    form->addRow(m_preview);

    connect(m_onButton, &QAbstractButton::clicked, this, &LiveInput::switchOn);
    connect(m_offButton, &QAbstractButton::clicked, this, &LiveInput::switchOff);
    connect(m_routingButtons, &QButtonGroup::idClicked, this, &LiveInput::route);
    connect(m_setInput, &QAbstractButton::clicked, this, [this] { editOptions(0); });
    connect(m_setOutput, &QAbstractButton::clicked, this, [this] { editOptions(1); });
}

LiveInput::~LiveInput() = default;

void LiveInput::attach(Host host, CaptureDevices* devices)
{
    m_host = std::move(host);
    m_encoder->setCaptureDevices(devices);
}

void LiveInput::detachOutputs()
{
    m_encoder->setLiveTargets({});
    m_host.window = nullptr;
}

void LiveInput::setCaptureDevices(const QStringList& names)
{
    m_device->clear();
    for (const QString& name : names)
        m_device->addItem("video=" + name);
    m_device->setCurrentIndex(names.isEmpty() ? -1 : 0);
}

QString LiveInput::device() const
{
    return m_device->currentText();
}

QString LiveInput::outputOptions(const QString& size, const QString& rate, bool h264,
                                 const QString& extra)
{
    const QString scaled = size == "original" ? QString() : " -s " + size;
    const QString codec =
        h264 ? " -c:v libx264 -preset ultrafast -deinterlace -r " + rate + " -f null" + scaled
             : "-vcodec mpeg2video -pix_fmt yuv422p -qscale 1 -qmin 1 -intra -r " + rate +
                   " -an -f null" + scaled;
    return codec + ' ' + extra;
}

QString LiveInput::LiveVideo(int inputOutput, int loadSave)
{
    const QString file =
        QStringLiteral("live%1%2").arg(m_number).arg(inputOutput == 0 ? "Input" : "Output");
    QString& text = inputOutput == 0 ? m_inputText : m_outputText;
    if (loadSave == 1) {
        if (!m_settings.write(file, text) && m_host.showError)
            m_host.showError(
                QStringLiteral("The options could not be saved in %1.").arg(m_settings.path(file)));
        return {};
    }
    // A missing file is an empty text: the input starts with no extra options.
    const std::optional<QString> line = m_settings.readFirstLine(file);
    if (!line)
        qCWarning(liveLog) << "no option file" << m_settings.path(file) << "- no extra options";
    text = line.value_or(QString());
    return text;
}

void LiveInput::editOptions(int inputOutput)
{
    if (!m_host.askText)
        return;
    const QString caption = QStringLiteral("Live video %1 - set %2")
                                .arg(m_number)
                                .arg(inputOutput == 0 ? "input" : "output");
    const std::optional<QString> typed = m_host.askText(caption, LiveVideo(inputOutput, 0));
    if (!typed)
        return;
    (inputOutput == 0 ? m_inputText : m_outputText) = *typed;
    LiveVideo(inputOutput, 1);
}

void LiveInput::switchOn()
{
    const QString name = device();
    if (name.isEmpty() || (m_host.deviceInUse && m_host.deviceInUse(name))) {
        if (!m_on)
            m_offButton->setChecked(true);
        return;
    }
    LiveVideo(0, 0);
    LiveVideo(1, 0);
    try {
        m_encoder->ClearTasks();
    } catch (const EncoderError& error) {
        // Pressed again while it runs: the input goes on as it was.
        if (m_host.showError)
            m_host.showError(QString::fromUtf8(error.what()));
        return;
    }
    TInputOptions input;
    input.Options = m_inputText;
    const int task = m_encoder->AddTask(name, input);
    if (task < 0) {
        qCWarning(liveLog).noquote() << name << "does not start:" << m_encoder->LastErrMsg();
        showOff();
        return;
    }
    TOutputOptions output;
    output.Options = outputOptions(m_size->currentText(), m_rate->currentText(),
                                   m_h264->isChecked(), m_outputText);
    output.LivePictures = true;
    m_encoder->SetOutput(task, {}, output);
    m_on = true;
    enableOptions(false);
    m_encoder->Start(1);
    if (m_on) // it did not end at once
        route(m_routingButtons->checkedId());
}

void LiveInput::route(int tag)
{
    if (!m_on)
        return;
    clearTarget();
    m_encoder->setPreviewBitmap(true);
    m_routing = tag;
    std::vector<LiveTargets::Target> targets;
    for (OutputWindow* window : routedWindows(m_routing)) {
        window->setShowsLiveInput(m_number, true);
        targets.push_back({window->surface(), window->colour()});
    }
    m_encoder->setLiveTargets(std::move(targets));
}

QList<OutputWindow*> LiveInput::routedWindows(int routing) const
{
    QList<OutputWindow*> windows;
    if (!m_host.window)
        return windows;
    for (const int channel : {1, 2})
        if ((routing & channel) && m_host.window(channel))
            windows.append(m_host.window(channel));
    return windows;
}

void LiveInput::clearTarget()
{
    m_encoder->setLiveTargets({}); // no picture reaches the old target after this
    if (m_routing == 0)
        m_preview->clear();
    for (OutputWindow* window : routedWindows(m_routing)) {
        window->setShowsLiveInput(m_number, false);
        window->showOwnColour();
    }
}

void LiveInput::showPreview(const TPreviewInfo& info)
{
    if (m_routing != 0)
        return; // the layers have the pictures at their own rate
    m_preview->setPixmap(QPixmap::fromImage(
        info.Bitmap.scaled(m_preview->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void LiveInput::switchOff()
{
    clearTarget();
    m_encoder->setPreviewBitmap(false);
    m_routing = 0;
    m_stopping = true;
    m_encoder->Stop(true);
    m_stopping = false;
    try {
        m_encoder->ClearTasks();
    } catch (const EncoderError& error) {
        qCWarning(liveLog) << error.what();
    }
    showOff();
}

void LiveInput::encodingEnded(const TTerminateInfo& info)
{
    if (info.TaskIndex < 0 || !m_on)
        return;
    m_encoder->setPreviewBitmap(false);
    clearTarget();
    if (m_stopping)
        return;
    // It ended by itself (an error, the device gone): the input is off, not shown as live.
    m_routing = 0;
    showOff();
    if (info.Exception && m_host.showWarning)
        m_host.showWarning(info.ExceptionMsg);
}

void LiveInput::showOff()
{
    m_on = false;
    m_preview->clear();
    m_offButton->setChecked(true);
    enableOptions(true);
}

void LiveInput::enableOptions(bool enabled)
{
    for (QWidget* option : std::initializer_list<QWidget*>{m_device, m_size, m_rate, m_h264, m_mpeg,
                                                           m_setInput, m_setOutput})
        option->setEnabled(enabled);
}
