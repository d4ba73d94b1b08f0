#include "stage/live_video_page.h"

#include <QHBoxLayout>

LiveVideoPage::LiveVideoPage(const SettingsFiles& settings, QWidget* parent)
    : QWidget(parent)
{
    setObjectName("pLive");
    auto* layout = new QHBoxLayout(this);
    for (int number : {1, 2}) {
        m_inputs[number - 1] = new LiveInput(number, settings, this);
        layout->addWidget(m_inputs[number - 1]);
    }
}

void LiveVideoPage::attach(LiveInput::Host host, CaptureDevices* devices)
{
    for (int number : {1, 2}) {
        LiveInput* other = input(3 - number);
        LiveInput::Host own = host;
        own.deviceInUse = [other](const QString& device) {
            return other->isOn() && other->device() == device;
        };
        input(number)->attach(std::move(own), devices);
    }
}

void LiveVideoPage::detachOutputs()
{
    for (LiveInput* live : m_inputs)
        live->detachOutputs();
}

void LiveVideoPage::setCaptureDevices(const QStringList& names)
{
    for (LiveInput* live : m_inputs)
        live->setCaptureDevices(names);
}
