#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

#include "automation/console_control.h"

#include <QMessageBox>

class ActionDialog;
class ConnectionDialog;
class QFileDialog;
class QWidget;
class TextPrompt;

// The console's dialogs: questions, warnings and errors in boxes with the program's name, the
// text prompt, the "Action Script" dialog and the media file dialog ("apri").
class ConsoleDialogs {
public:
    // The media file filter of the file dialog, in caption|patterns pairs.
    static const QString MediaFilter;

    explicit ConsoleDialogs(QWidget* console);
    // The dialogs that are windows of their own, once they exist.
    void attach(TextPrompt* prompt, ActionDialog* action, ConnectionDialog* connection);

    // A question with "Yes" and "No"; true for "Yes".
    bool askYesNo(const QString& question);
    void warning(const QString& text);
    void inform(const QString& text);
    // An error box with one OK button; waits for it.
    void error(const QString& text);
    // The same without waiting: what runs meanwhile (timers, scripts) goes on.
    void errorWithoutWaiting(const QString& text);
    void warningWithoutWaiting(const QString& text);
    // The text prompt; none on "Cancel".
    std::optional<QString> askText(const QString& caption, const QString& text, int maxLength);
    // The action dialog filled with these; the name and script saved, none on "CANCEL".
    std::optional<std::pair<QString, QString>> askAction(const QString& name,
                                                         const QString& script);
    // The "Connections" dialog filled with a row and its name; what was saved, or none.
    std::optional<std::pair<ConsoleControl::Connection, QString>>
    askConnection(const ConsoleControl::Connection& row, const QString& name);
    // A program to start (any executable file); none when cancelled.
    std::optional<QString> chooseProgram();
    // One media file; none when cancelled.
    std::optional<QString> chooseMediaFile();
    // Media files, the dialog opened in `folder` (when given); empty when cancelled.
    QStringList chooseMediaFiles(const QString& folder);

    QFileDialog* fileDialog() const { return m_apri; }

private:
    void openWithoutWaiting(QMessageBox::Icon icon, const QString& text);

    QWidget* m_console;
    QFileDialog* m_apri;
    TextPrompt* m_prompt = nullptr;
    ActionDialog* m_action = nullptr;
    ConnectionDialog* m_connection = nullptr;
};
