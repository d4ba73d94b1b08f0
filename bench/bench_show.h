#pragma once

#include "core/console.h"
#include "core/main_window.h"
#include "data/database_file.h"
#include "data/show_database.h"
#include "shared/settings_files.h"

#include <QComboBox>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <optional>

// A fresh show for a benchmark in `dir`: the installed settings files and an empty show
// database with one playlist, "Bench", and what `statements` add. Nullopt after saying on
// standard error what failed.
inline std::optional<SettingsFiles> makeBenchShow(const QTemporaryDir& dir,
                                                  const QStringList& statements = {})
{
    SettingsFiles settings(dir.path());
    settings.installDefaults();
    const QString database = settings.cacheDir() + ShowDatabase::FileName;
    if (const QString error = createShowDatabase(database); !error.isEmpty()) {
        std::fprintf(stderr, "cannot make the show database: %s\n", qPrintable(error));
        return std::nullopt;
    }
    bool added = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QIBASE", "bench");
        db.setDatabaseName(database);
        db.setUserName("SYSDBA");
        db.setConnectOptions("ISC_DPB_LC_CTYPE=UTF8");
        added = db.open() && QSqlQuery(db).exec(R"(insert into "liste" values ('Bench', 1))");
        for (const QString& statement : statements) {
            QSqlQuery query(db);
            if (added && !query.exec(statement)) {
                std::fprintf(stderr, "%s\n", qPrintable(query.lastError().text()));
                added = false;
            }
        }
    }
    QSqlDatabase::removeDatabase("bench");
    if (!added) {
        std::fprintf(stderr, "cannot add the playlist Bench and the bench's rows\n");
        return std::nullopt;
    }
    return settings;
}

// The console started on a fresh show in `dir`; null after saying why.
inline std::unique_ptr<Console> startBenchConsole(const QTemporaryDir& dir,
                                                  const QStringList& statements = {},
                                                  PlatformServices services = {})
{
    const std::optional<SettingsFiles> settings = makeBenchShow(dir, statements);
    if (!settings)
        return nullptr;
    auto console = std::make_unique<Console>(*settings, std::move(services));
    if (!console->start())
        return nullptr;
    return console;
}

// A console button by its name.
inline QPushButton* benchButton(MainWindow* main, const char* name)
{
    return main->findChild<QPushButton*>(QString::fromLatin1(name));
}

// The files added as "NEXT CLIP" clips with "REPEAT PLAYLIST" pressed, the stage "Main" on
// air and "PLAY AFTER LOAD" pressed: a chain that plays for ever once one of them is loaded.
inline void addChainedClips(MainWindow* main, const QStringList& files)
{
    main->findChild<QComboBox*>("chkDefaultStatus")->setCurrentText("NEXT CLIP");
    main->addClips(files);
    benchButton(main, "btnrepeatplaylist")->click();
    benchButton(main, "btnScreen1")->click(); // the stage "Main" goes on air
    benchButton(main, "chkPlayAfterLoad")->setChecked(true);
}

// The two files added as looping clips and playing in Player A and Player B, on the stage
// "Main" on air.
inline void playLoopingClips(MainWindow* main, const QString& fileA, const QString& fileB)
{
    main->findChild<QComboBox*>("chkDefaultStatus")->setCurrentText("LOOP");
    main->addClips({fileA, fileB});
    benchButton(main, "btnScreen1")->click(); // the stage "Main" goes on air
    benchButton(main, "chkPlayAfterLoad")->setChecked(true);
    for (const int channel : {1, 2}) {
        benchButton(main, channel == 1 ? "btnLayerA" : "btnLayerB")->click();
        main->database().playlist.moveTo(channel - 1);
        benchButton(main, "btnPlayA")->click();
    }
}
