#pragma once

#include "control/artnet_receiver.h"

#include <QDialog>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTimer;

// "ArtNet Configuration": the address to listen on (empty: all of this machine's), the
// Art-Net Net, what to do when two addresses send the same universe, and the receiver's
// counters, updated while the dialog shows.
class ArtNetDialog : public QDialog {
    Q_OBJECT
public:
    ArtNetDialog(const ArtNetReceiver& receiver, QWidget* parent = nullptr);

    // The settings saved, or none on "CANCEL".
    std::optional<ArtNetSettings> ask(const ArtNetSettings& current);

private:
    void save();
    void showCounters();

    const ArtNetReceiver& m_receiver;
    QLineEdit* m_address;
    QSpinBox* m_net;
    QComboBox* m_sources;
    QLabel* m_counters;
    QLabel* m_problem;
    QTimer* m_refresh;
};
