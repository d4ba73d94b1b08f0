#pragma once

#include <QWidget>

class QComboBox;

// The "Live Video" page: device, size, frame rate, encoder, on/off, routing and option texts
// of the two live inputs.
class LiveVideoPage : public QWidget {
    Q_OBJECT
public:
    explicit LiveVideoPage(QWidget* parent = nullptr);

    // Fills both device lists (entries "video=Name") and selects the first entry.
    void setCaptureDevices(const QStringList& names);
    QComboBox* deviceList(int input) const { return input == 1 ? m_devicesA : m_devicesB; }

private:
    QWidget* buildInput(int input);

    QComboBox* m_devicesA = nullptr;
    QComboBox* m_devicesB = nullptr;
};
