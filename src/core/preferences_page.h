#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

// The "Preferences" page: what loading a clip copies into the channel, the defaults given
// to new clips, the command server's port and the machine's address, the conversion size.
class PreferencesPage : public QWidget {
    Q_OBJECT
public:
    explicit PreferencesPage(QWidget* parent = nullptr);

    // What loading a clip copies into the channel, and the actions' master switch.
    struct Checks {
        QCheckBox* loadAspectRatio;
        QCheckBox* loadSpeedValue;
        QCheckBox* loadFilters;
        QCheckBox* loadVolumeValue;
        QCheckBox* loadStage;
        QCheckBox* actionActivated;
    };
    const Checks& checks() const { return m_checks; }
    // The command server's "Port" and "Server active".
    QLineEdit* serverPort() const { return m_port; }
    QCheckBox* serverActive() const { return m_serverActive; }
    // What new clips get: "  Default aspect ratio  " and "  Default end status  ".
    QString defaultAspect() const;
    QString defaultStatus() const;
    // "  Convert resolution  ": "Original" or a size such as "1280x720".
    QString convertResolution() const;
    void showLocalAddress(const QString& address);

signals:
    // A load check box was clicked: the keyboard goes back to the clip grid.
    void handBackFocus();

private:
    Checks m_checks;
    QLineEdit* m_port;
    QCheckBox* m_serverActive;
    QLabel* m_localIp;
    QComboBox* m_status;
    QComboBox* m_aspect;
    QComboBox* m_convert;
};
