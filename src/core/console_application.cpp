#include "core/console_application.h"

#include <QMessageBox>
#include <QTimer>

ConsoleApplication::ConsoleApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    showError = [](const QString& message) {
        // Shown from the event loop, not inside the handler that failed; modeless, so that
        // timers and reports go on while it is open.
        QTimer::singleShot(0, [message] {
            auto* box =
                new QMessageBox(QMessageBox::Critical, applicationName(), message, QMessageBox::Ok);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->show();
        });
    };
}

bool ConsoleApplication::notify(QObject* receiver, QEvent* event)
{
    QString message;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        message = QString::fromUtf8(error.what());
    } catch (...) {
        message = QStringLiteral("An unknown error occurred.");
    }
    qCritical().noquote() << "Error in an event handler of"
                          << (receiver ? receiver->objectName() : QString()) << ":" << message;
    if (showError)
        showError(message);
    return false;
}
