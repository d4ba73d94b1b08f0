#pragma once

#include <QApplication>
#include <functional>

// The application with a last line of defence: an exception that escapes an event handler
// ends that handler only. It is logged and shown to the operator; the show goes on.
class ConsoleApplication : public QApplication {
public:
    ConsoleApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // How an escaped error reaches the operator; a message box unless a test says otherwise.
    std::function<void(const QString& message)> showError;
};
