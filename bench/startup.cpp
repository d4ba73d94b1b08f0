// Start-up to an idle console on a large show: 10,000 clips in 50 playlists, 100 stages and
// 200 actions. Prints the time from creating the console to an idle event loop, and the
// peak memory of the process.
#include "core/console.h"
#include "core/dark_style.h"
#include "core/main_window.h"
#include "data/database_file.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

namespace {
QByteArray thumbnail(int seed)
{
    QImage picture(127, 71, QImage::Format_RGB888);
    picture.fill(QColor::fromHsv(seed * 7 % 360, 200, 200));
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "BMP");
    return bmp;
}

bool fillShow(const QString& path)
{
    QSqlDatabase db = QSqlDatabase::addDatabase("QIBASE", "fill");
    db.setDatabaseName(path);
    db.setUserName("SYSDBA");
    db.setPassword("plinthcow");
    db.setConnectOptions("ISC_DPB_LC_CTYPE=UTF8");
    if (!db.open() || !db.transaction())
        return false;
    QSqlQuery query(db);
    const auto ok = [&](bool done) {
        if (!done)
            std::fprintf(stderr, "%s\n", qPrintable(query.lastError().text()));
        return done;
    };
    query.prepare(R"(insert into "liste" values (?, ?))");
    for (int i = 1; i <= 50; ++i) {
        query.addBindValue(QStringLiteral("Playlist %1").arg(i, 2, 10, QChar('0')));
        query.addBindValue(i);
        if (!ok(query.exec()))
            return false;
    }
    query.prepare(R"(insert into "playlist" ("titolo", "file", "tipo", "duratams", "start",
        "end", "aspectratio", "status", "risoluzione", "volume", "frame", "monitor", "lista",
        "azione_iniziale", "azione_finale", "w", "h", "brightness", "saturation", "hue", "ruota",
        "opacity", "ordine") values (?, ?, 'mov,mp4,m4a', 90000000, 0, 90000000, 'Original',
        'LAST FRAME', '1920x1080', 100, ?, 0, ?, -1, -1, 1920, 1080, 0, 1, 0, 4, 255, ?))");
    for (int i = 0; i < 10000; ++i) {
        query.addBindValue(QStringLiteral("Clip number %1 of the show").arg(i));
        query.addBindValue(QStringLiteral("/media/show/clip_%1.mp4").arg(i));
        query.addBindValue(thumbnail(i));
        query.addBindValue(QStringLiteral("Playlist %1").arg(i % 50 + 1, 2, 10, QChar('0')));
        query.addBindValue(i / 50 + 1);
        if (!ok(query.exec()))
            return false;
    }
    query.prepare(R"(insert into "layout" ("nome", "ordine", "sx", "sy", "awidth", "aheigth",
        "bwidth", "bheigth", "alati", "blati") values (?, ?, 1920, 1080, 960, 540, 960, 540, 3, 3))");
    for (int i = 0; i < 100; ++i) {
        query.addBindValue(QStringLiteral("Stage %1").arg(i));
        query.addBindValue(i + 2);
        if (!ok(query.exec()))
            return false;
    }
    query.prepare(
        R"(insert into "azioni" ("id", "codice", "nome", "script", "tempo") values (?, 0, ?, ?, 0))");
    for (int i = 1; i <= 200; ++i) {
        query.addBindValue(i);
        query.addBindValue(QStringLiteral("Action %1").arg(i));
        query.addBindValue(QStringLiteral("LOAD,A,%1\r\nPLAY,A\r\nWAIT,500\r\nDISSOLVE,B").arg(i));
        if (!ok(query.exec()))
            return false;
    }
    return db.commit();
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    applyDarkStyle(app);
    QTemporaryDir dir;
    const SettingsFiles settings(dir.path());
    settings.installDefaults();
    const QString database = settings.cacheDir() + ShowDatabase::FileName;
    if (const QString error = createShowDatabase(database); !error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    {
        QElapsedTimer filling;
        filling.start();
        if (!fillShow(database))
            return 1;
        QSqlDatabase::removeDatabase("fill");
        std::printf("show generated in %.2f s\n", filling.elapsed() / 1000.0);
    }

    QElapsedTimer clock;
    clock.start();
    Console console(settings, {});
    if (!console.start())
        return 1;
    qint64 idleAfter = 0;
    QTimer::singleShot(0, &app, [&] {
        idleAfter = clock.elapsed();
        ShowDatabase& show = console.main()->database();
        std::printf("playlists %d, stages %d, actions %d, clips listed at start %d\n",
                    show.lista.count(), show.layoutdb1.count(), show.dbAzioni.count(),
                    show.playlist.count());
        app.quit();
    });
    app.exec();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("start-up to idle console: %.3f s (target < 1.5 s)\n", idleAfter / 1000.0);
    std::printf("peak memory: %.1f MiB (target < 200 MiB)\n", usage.ru_maxrss / 1024.0);
    return 0;
}
