#pragma once

#include "shared/settings_files.h"

#include <QGroupBox>
#include <functional>
#include <memory>
#include <optional>

class CaptureDevices;
class OutputWindow;
class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLabel;
class TFFEncoder;
struct TPreviewInfo;
struct TTerminateInfo;

// One live video input of the "Live Video" page ("Live video 1" or "Live video 2"): its
// device, size, frame rate and encoder, "ON" / "OFF", the routing OFF / A / B / A/B and its
// option texts. While on, an encoder task reads the device; its pictures reach the routed
// layers at the input's own rate and size, and the small preview image every 100 ms.
class LiveInput : public QGroupBox {
    Q_OBJECT
public:
    struct Host {
        // The layer window of a channel (1 A, 2 B); null before the stage's windows exist.
        std::function<OutputWindow*(int channel)> window;
        // The other input is on with this device ("video=Name").
        std::function<bool(const QString& device)> deviceInUse;
        std::function<std::optional<QString>(const QString& caption, const QString& text)> askText;
        // An error box for the operator's own click; waits.
        std::function<void(const QString&)> showError;
        // A warning box for an input that ended by itself; does not wait.
        std::function<void(const QString&)> showWarning;
    };

    LiveInput(int number, SettingsFiles settings, QWidget* parent = nullptr);
    ~LiveInput() override;
    void attach(Host host, CaptureDevices* devices);
    // No more pictures reach the layer windows (they are about to go).
    void detachOutputs();

    // Fills the device list with "video=Name" entries and selects the first.
    void setCaptureDevices(const QStringList& names);

    // "ON": starts the encoder on the selected device and applies the routing.
    void switchOn();
    // "OFF": stops the encoder; the routing buttons keep their state for the next "ON".
    void switchOff();
    // A routing button's click: 0 the preview image, 1 layer A, 2 layer B, 3 both.
    void route(int tag);
    // "SET INPUT" / "SET OUTPUT".
    void editOptions(int inputOutput);

    // The option texts: `inputOutput` 0 the input's, 1 the output's; `loadSave` 0 reads the
    // file's first line into memory and returns it, 1 writes the text in memory as its line.
    QString LiveVideo(int inputOutput, int loadSave);
    // The output options of a start: codec, frame rate and size, then the extra text.
    static QString outputOptions(const QString& size, const QString& rate, bool h264,
                                 const QString& extra);

    bool isOn() const { return m_on; }
    int routing() const { return m_routing; }
    QString device() const;
    TFFEncoder* encoder() const { return m_encoder.get(); }

private:
    void showPreview(const TPreviewInfo& info);
    void encodingEnded(const TTerminateInfo& info);
    // The current routing's target shows nothing of this input any more.
    void clearTarget();
    // Back to "OFF" with the options enabled.
    void showOff();
    void enableOptions(bool enabled);
    QList<OutputWindow*> routedWindows(int routing) const;

    int m_number;
    SettingsFiles m_settings;
    Host m_host;
    std::unique_ptr<TFFEncoder> m_encoder;
    bool m_on = false;
    bool m_stopping = false; // "OFF" is stopping the encoder
    int m_routing = 0;
    QString m_inputText; // the option texts, as last read or saved
    QString m_outputText;

    QComboBox* m_device;
    QComboBox* m_size;
    QComboBox* m_rate;
    QAbstractButton* m_h264;
    QAbstractButton* m_mpeg;
    QAbstractButton* m_onButton;
    QAbstractButton* m_offButton;
    QButtonGroup* m_routingButtons;
    QAbstractButton* m_setInput;
    QAbstractButton* m_setOutput;
    QLabel* m_preview;
};
