// Adds the given media files to a fresh show's playlist in one operation and prints the
// files per second and the peak memory of the process.
#include "data/database_file.h"
#include "data/show_database.h"
#include "data/write_operation.h"
#include "library/clip_adder.h"
#include "shared/settings_files.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList files = app.arguments().mid(1);
    QTemporaryDir dir;
    const QString path = dir.filePath(ShowDatabase::FileName);
    if (const QString error = createShowDatabase(path); !error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    ShowDatabase database;
    database.setDatabaseName(path);
    database.openRead();
    WriteOperation write(database, {{}, [](const QString& error) {
                                        std::fprintf(stderr, "%s\n", qPrintable(error));
                                    }});
    ClipAdder adder(database, write);
    QElapsedTimer clock;
    clock.start();
    const ClipAdder::Result result = adder.add(files, "Bench", {}, {}, {});
    const double seconds = clock.elapsed() / 1000.0;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("quillon: %d of %d files added in %.2f s: %.1f files per second, peak memory "
                "%.1f MiB\n",
                result.added, int(files.size()), seconds, result.added / seconds,
                usage.ru_maxrss / 1024.0);
    return result.written ? 0 : 1;
}
