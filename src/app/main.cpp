#include "core/console.h"
#include "core/dark_style.h"
#include "core/main_window.h"
#include "core/system_devices.h"
#include "core/termination_signals.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    TerminationSignals::blockInAllThreads();
    QApplication app(argc, argv);
    applyDarkStyle(app);
    QApplication::setApplicationName(QStringLiteral("Quillon 2"));

    PlatformServices services;
    services.capture = std::make_unique<SystemCaptureDevices>();
    Console console(SettingsFiles(SettingsFiles::defaultCacheDir()), std::move(services));
    if (!console.start())
        return 1;
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, console.main(),
                     &QWidget::close);
    return app.exec();
}
