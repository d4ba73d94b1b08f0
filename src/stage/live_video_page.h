#pragma once

#include "stage/live_input.h"

#include <QWidget>

// The "Live Video" page: the two live inputs side by side.
class LiveVideoPage : public QWidget {
    Q_OBJECT
public:
    explicit LiveVideoPage(const SettingsFiles& settings, QWidget* parent = nullptr);

    // Where the inputs' pictures go and how they ask the operator; the other input's device
    // in use is found here.
    void attach(LiveInput::Host host, CaptureDevices* devices);
    // No more pictures reach the layer windows (they are about to go).
    void detachOutputs();
    // Fills both device lists (entries "video=Name") and selects the first entry.
    void setCaptureDevices(const QStringList& names);

    LiveInput* input(int number) const { return m_inputs[number == 2 ? 1 : 0]; }

private:
    LiveInput* m_inputs[2];
};
