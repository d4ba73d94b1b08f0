// Prepares the cache folder beside the program on first use: the settings files with their
// installed values and an empty show database. What already exists is left alone.
#include "core/settings_files.h"
#include "data/database_file.h"
#include "data/show_database.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const SettingsFiles settings(arguments.size() > 1 ? arguments.at(1)
                                                      : SettingsFiles::defaultCacheDir());
    settings.installDefaults();

    QTextStream err(stderr);
    const auto directory = settings.readFirstLine(SettingsFile::Setting);
    if (!directory) {
        err << "Cannot read " << settings.path(SettingsFile::Setting) << "\n";
        return 1;
    }
    const QString database = *directory + ShowDatabase::FileName;
    if (directory->contains(':') && !directory->startsWith('/'))
        return 0; // a database server: its show database is made there
    if (QFileInfo::exists(database))
        return 0;
    const QString error = createShowDatabase(database);
    if (!error.isEmpty()) {
        err << "Cannot create " << database << ": " << error << "\n";
        return 1;
    }
    QTextStream(stdout) << "Created " << database << "\n";
    return 0;
}
