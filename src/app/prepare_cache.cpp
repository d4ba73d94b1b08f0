// Prepares the cache folder beside the program on first use: the settings files with their
// installed values and an empty show database. What already exists is left alone.
#include "data/database_error.h"
#include "data/database_file.h"
#include "data/show_database.h"
#include "shared/settings_files.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>
#include <cstdio>

namespace {
const char* const Usage =
    "Usage: quillon-prepare-cache [CACHE FOLDER]\n"
    "Makes the cache folder (by default cache/ beside the program) with the settings files\n"
    "and an empty show database QUILLON.FDB in the folder that its file \"setting\" names.\n"
    "When \"setting\" names a Firebird server (host:/path/), the show database is made on\n"
    "that server, logging in as QUILLON_DB_USER with QUILLON_DB_PASSWORD (environment;\n"
    "SYSDBA and the installed password by default). What exists already is left alone.\n";

// Whether the server already holds the show database.
bool serverHasDatabase(const QString& name)
{
    ShowDatabase database;
    database.setDatabaseName(name);
    try {
        database.openRead();
        return true;
    } catch (const DatabaseError&) {
        return false;
    }
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    QTextStream err(stderr);
    if (arguments.size() > 2 || (arguments.size() == 2 && arguments.at(1).startsWith('-'))) {
        const bool help = arguments.at(1) == "--help" || arguments.at(1) == "-h";
        std::fputs(Usage, help ? stdout : stderr);
        return help ? 0 : 2;
    }
    const SettingsFiles settings(arguments.size() > 1 ? arguments.at(1)
                                                      : SettingsFiles::defaultCacheDir());
    settings.installDefaults();

    const auto directory = settings.readFirstLine(SettingsFile::Setting);
    if (!directory) {
        err << "Cannot read " << settings.path(SettingsFile::Setting) << "\n";
        return 1;
    }
    const QString database = *directory + ShowDatabase::FileName;
    if (isServerDatabaseName(database) ? serverHasDatabase(database) : QFileInfo::exists(database))
        return 0;
    const QString error = createShowDatabase(database);
    if (!error.isEmpty()) {
        err << "Cannot create " << database << ": " << error << "\n";
        return 1;
    }
    QTextStream(stdout) << "Created " << database << "\n";
    return 0;
}
