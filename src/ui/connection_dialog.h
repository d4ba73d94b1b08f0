#pragma once

#include "automation/console_control.h"

#include <QDialog>
#include <optional>
#include <utility>

class QButtonGroup;
class QGroupBox;
class QLineEdit;

// "Connections": a stored connection's name, type (TCP, UDP, HTTP, QVX) and destination; the
// group of the type's fields is enabled, the other disabled. "SAVE" checks what the type
// needs and keeps the dialog open, with the focus on the field to mend, until it is right.
class ConnectionDialog : public QDialog {
    Q_OBJECT
public:
    explicit ConnectionDialog(QWidget* parent = nullptr);

    // Shows the dialog filled with this row and name; the row and name saved, none on
    // "CANCEL".
    std::optional<std::pair<ConsoleControl::Connection, QString>>
    ask(const ConsoleControl::Connection& row, const QString& name);

private:
    void chooseType(int type);
    void save();

    QLineEdit* m_name;
    QButtonGroup* m_type;
    QGroupBox* m_tcpUdp;
    QGroupBox* m_http;
    QLineEdit* m_host;
    QLineEdit* m_port;
    QLineEdit* m_url;
    QLineEdit* m_username;
    QLineEdit* m_password;
};
