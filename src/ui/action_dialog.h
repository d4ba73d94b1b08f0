#pragma once

#include <QDialog>
#include <optional>
#include <utility>

class QLineEdit;
class QPlainTextEdit;

// "Action Script": an action's name (at most 25 characters) and its script, one command a
// line. "SAVE" needs a name.
class ActionDialog : public QDialog {
    Q_OBJECT
public:
    explicit ActionDialog(QWidget* parent = nullptr);

    // Shows the dialog filled with these; the name and the script (lines joined by CR LF) on
    // "SAVE", none on "CANCEL".
    std::optional<std::pair<QString, QString>> ask(const QString& name, const QString& script);

private:
    void save();

    QLineEdit* m_name;
    QPlainTextEdit* m_script;
};
