#include "core/console.h"
#include "core/dark_style.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    applyDarkStyle(app);
    QApplication::setApplicationName(QStringLiteral("Quillon 2"));

    Console console(SettingsFiles(SettingsFiles::defaultCacheDir()), PlatformServices{});
    if (!console.start())
        return 1;
    return app.exec();
}
