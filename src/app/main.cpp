#include "core/console.h"
#include "core/console_application.h"
#include "core/dark_style.h"
#include "core/main_window.h"
#include "core/system_devices.h"
#include "core/termination_signals.h"

int main(int argc, char* argv[])
{
    TerminationSignals::blockInAllThreads();
    // Output windows stand at desktop coordinates, which only X11 allows (XWayland too).
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    ConsoleApplication app(argc, argv);
    applyDarkStyle(app);
    QApplication::setApplicationName(QStringLiteral("Quillon 2"));

    PlatformServices services;
    services.capture = std::make_unique<V4L2CaptureDevices>();
    services.midi = std::make_unique<SystemMidiInput>();
    const QString cacheDir = SettingsFiles::defaultCacheDir();
    services.loadArtNet = [cacheDir] {
        return std::make_unique<SystemArtNet>(cacheDir + ArtNetSettings::FileName);
    };
    Console console(SettingsFiles(cacheDir), std::move(services));
    if (!console.start())
        return 1;
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, console.main(),
                     &MainWindow::closeWithoutAsking);
    return app.exec();
}
