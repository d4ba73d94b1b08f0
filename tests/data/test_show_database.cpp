#include "data/database_error.h"
#include "data/show_database.h"
#include "data/write_operation.h"
#include "support/show_fixture.h"

#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

namespace {
// A show database opened on a fixture, with a write operation whose hooks are recorded.
struct OpenShow {
    ShowFixture fixture;
    ShowDatabase database;
    QList<bool> meters;
    QStringList errors;
    int refreshes = 0;
    WriteOperation operation{database,
                             {[this](bool on) { meters.append(on); },
                              [this](const QString& error) { errors.append(error); }}};

    // A write that refreshes the read side after its commit.
    bool write(const QList<WriteDataset*>& datasets, const std::function<void()>& change)
    {
        return operation.run(datasets, change, [this] {
            ++refreshes;
            database.openRead();
        });
    }

    OpenShow()
    {
        database.setDatabaseName(fixture.databasePath());
        database.openRead();
    }

    void addPlaylist(const QString& name, int ordine)
    {
        database.listas.append();
        database.listas.setValue("lista", name);
        database.listas.setValue("ordine", ordine);
    }
};

QStringList columnsOf(const ShowFixture& fixture, const QString& table)
{
    ShowDatabase database;
    database.setDatabaseName(fixture.databasePath());
    database.openWrite();
    QSqlQuery query(database.dbs());
    query.exec(QStringLiteral("select * from \"%1\"").arg(table));
    QStringList names;
    for (int i = 0; i < query.record().count(); ++i)
        names.append(query.record().fieldName(i));
    return names;
}
} // namespace

class TestShowDatabase : public QObject {
    Q_OBJECT
private slots:
    void freshFileHasTheTablesColumnsAndInitialRows()
    {
        const ShowFixture fixture;
        QCOMPARE(columnsOf(fixture, "playlist").join(' '),
                 QString("codice ordine titolo file tipo duratams start end aspectratio status "
                         "risoluzione volume frame monitor player gruppo lista aratio cropw croph "
                         "cropx cropy crop azione_iniziale azione_finale w h brightness "
                         "saturation hue ruota color rs gs bs rm gm bm rh gh bh blur croma "
                         "cromaLR perspective x0 y0 x1 y1 x2 y2 x3 y3 rotation angle filtro "
                         "opacity speed preview vflip deinterlace trxtime nomelayout changeA "
                         "changeB changeBG"));
        QCOMPARE(columnsOf(fixture, "liste").join(' '), QString("lista ordine"));
        QCOMPARE(columnsOf(fixture, "layout").join(' '),
                 QString("nome ordine sfondo sx sy offsetx offsety colore picture fullscreen "
                         "atop aleft awidth aheigth acolor btop bleft bwidth bheigth bcolor "
                         "battivo ashape schermo alati bshape blati restart"));
        QCOMPARE(columnsOf(fixture, "azioni").join(' '), QString("id codice nome script tempo"));
        QCOMPARE(columnsOf(fixture, "connessioni").join(' '),
                 QString("id nome tipo tiponome host port username password url controllo"));
        QCOMPARE(columnsOf(fixture, "dmx").join(' '),
                 QString("id codice tipo esegui fisso universo subnet channel valore"));
        QCOMPARE(columnsOf(fixture, "midi").join(' '),
                 QString("id codice tipo esegui fisso midi1 midi2 midi3"));
        QCOMPARE(columnsOf(fixture, "sequencer").join(' '),
                 QString("id titolo codice1 codice2 nome azione paused fade1 fade2 volume1 "
                         "volume2 live active sincro configura azione_iniziale azione_finale "
                         "changeA changeB changeBG"));

        ShowDatabase database;
        database.setDatabaseName(fixture.databasePath());
        database.openRead();
        QCOMPARE(database.layoutdb1.count(), 1);
        QCOMPARE(database.layoutdb1.text("nome"), QString("Main"));
        QCOMPARE(database.layoutdb1.integer("sx"), 1920);
        QCOMPARE(database.layoutdb1.integer("sy"), 1080);
        const QStringList commands = {"OpacityA",    "OpacityB",    "VolumeA", "VolumeB",
                                      "SaturationA", "SaturationB", "HueA",    "HueB",
                                      "BrightnessA", "BrightnessB"};
        for (ReadDataset* map : {&database.rMIDI, &database.rDMX}) {
            QCOMPARE(map->count(), 10);
            QStringList names;
            for (int row = 0; row < map->count(); ++row) {
                QCOMPARE(map->textAt(row, "codice"), QString("Command"));
                QCOMPARE(map->valueAt(row, "fisso").toInt(), 1);
                names.append(map->textAt(row, "tipo"));
            }
            names.sort();
            QStringList expected = commands;
            expected.sort();
            QCOMPARE(names, expected);
        }
        for (int row = 0; row < database.rDMX.count(); ++row)
            QCOMPARE(database.rDMX.valueAt(row, "valore").toInt(), -1);
        for (ReadDataset* empty : {&database.lista, &database.playlist, &database.dbAzioni,
                                   &database.dbConn, &database.lpreset})
            QVERIFY2(empty->isEmpty(), qPrintable(empty->name()));
    }

    void triggersFillMissingKeys()
    {
        const ShowFixture fixture;
        fixture.exec(R"(insert into "playlist" ("titolo") values ('one'))");
        fixture.exec(R"(insert into "playlist" ("titolo") values ('two'))");
        QCOMPARE(fixture.scalar(R"(select count(distinct "codice") from "playlist")").toInt(), 2);
        // A clip that came with a key of its own: the generator skips past it.
        fixture.exec(R"(insert into "playlist" ("codice", "titolo") values (40, 'kept'))");
        fixture.exec(R"(insert into "playlist" ("titolo") values ('after'))");
        QCOMPARE(
            fixture.scalar(R"(select "codice" from "playlist" where "titolo" = 'after')").toInt(),
            41);
        // Actions usually get largest id + 1 from the program; the generator must not collide.
        fixture.exec(R"(insert into "azioni" ("id", "nome") values (7, 'seven'))");
        fixture.exec(R"(insert into "azioni" ("nome") values ('next'))");
        QCOMPARE(fixture.scalar(R"(select "id" from "azioni" where "nome" = 'next')").toInt(), 8);
        fixture.exec(R"(insert into "midi" ("codice") values ('Action'))");
        fixture.exec(R"(insert into "dmx" ("codice") values ('Action'))");
        QCOMPARE(fixture.scalar(R"(select max("id") from "midi")").toInt(), 11);
        QCOMPARE(fixture.scalar(R"(select max("id") from "dmx")").toInt(), 11);
    }

    void generatedStatementsNameEveryColumnAndTheOldKey()
    {
        OpenShow show;
        show.database.openWrite();
        show.database.p.open(show.database.dbs());
        show.database.listas.open(show.database.dbs());
        QCOMPARE(show.database.p.deleteSql(),
                 QString("delete from \"playlist\"\n"
                         "where\n"
                         "  \"playlist\".\"codice\" = :\"OLD_codice\""));
        QVERIFY(show.database.listas.updateSql().endsWith(
            "where\n  \"liste\".\"lista\" = :\"OLD_lista\""));
        QVERIFY(show.database.listas.updateSql().contains(
            "set\n  \"liste\".\"lista\" = :\"lista\",\n  \"liste\".\"ordine\" = :\"ordine\"\n"));
        const QString insert = show.database.p.insertSql();
        QVERIFY(insert.startsWith("insert into \"playlist\"\n"));
        for (const char* column : {"codice", "frame", "cromaLR", "changeBG"})
            QVERIFY2(insert.contains(QStringLiteral(":\"%1\"").arg(column)), column);

        const auto [text, names] = positionalParameters(show.database.listas.updateSql());
        QVERIFY(!text.contains(':'));
        QCOMPARE(names, QStringList({"lista", "ordine", "OLD_lista"}));
    }

    void proceduresGiveTheNextNumber()
    {
        using M = ShowDatabase::Maximum;
        OpenShow show;
        const QList<std::pair<M, int>> fresh = {{M::ClipOrder, 1},
                                                {M::PlaylistOrder, 1},
                                                {M::StageOrder, 2}, // the initial stage
                                                {M::ConnectionId, 1},
                                                {M::ActionId, 1}};
        for (const auto& [maximum, next] : fresh)
            QCOMPARE(show.database.nextValue(maximum), next);
        show.database.closeWrite();

        show.fixture.exec(R"(insert into "playlist" ("ordine") values (41))");
        show.fixture.exec(R"(insert into "liste" values ('Show', 7))");
        show.fixture.exec(R"(insert into "layout" ("nome", "ordine") values ('Side', 12))");
        show.fixture.exec(R"(insert into "connessioni" ("id") values (3))");
        show.fixture.exec(R"(insert into "azioni" ("id") values (19))");
        const QList<std::pair<M, int>> filled = {{M::ClipOrder, 42},
                                                 {M::PlaylistOrder, 8},
                                                 {M::StageOrder, 13},
                                                 {M::ConnectionId, 4},
                                                 {M::ActionId, 20}};
        for (const auto& [maximum, next] : filled)
            QCOMPARE(show.database.nextValue(maximum), next);
    }

    void cachedChangesLandTogether()
    {
        OpenShow show;
        show.database.selectPlaylist("Show"); // the console lists the playlist it shows
        const bool committed = show.write({&show.database.listas, &show.database.p}, [&] {
            show.addPlaylist("Show", show.database.nextValue(ShowDatabase::Maximum::PlaylistOrder));
            show.addPlaylist("Encore",
                             show.database.nextValue(ShowDatabase::Maximum::PlaylistOrder) + 1);
            show.database.p.append();
            show.database.p.setValue("titolo", "Opening");
            show.database.p.setValue("lista", "Show");
            show.database.p.setValue("ordine",
                                     show.database.nextValue(ShowDatabase::Maximum::ClipOrder));
        });
        QVERIFY(committed);
        QVERIFY(show.errors.isEmpty());
        QCOMPARE(show.meters, QList<bool>({false, true}));
        QCOMPARE(show.refreshes, 1);
        QVERIFY(!show.database.isWriteOpen());
        QCOMPARE(show.database.lista.count(), 2);
        QCOMPARE(show.database.lista.text("lista"), QString("Show"));
        QCOMPARE(show.database.playlist.count(), 1);
        // "max_ordine" on an empty table gives 0: the first clip gets 1.
        QCOMPARE(show.database.playlist.integer("ordine"), 1);
        QVERIFY(show.database.playlist.integer("codice") > 0); // taken from the generator
    }

    void editsAndDeletesFindTheRowByItsOldKey()
    {
        OpenShow show;
        show.fixture.exec(R"(insert into "liste" values ('Show', 1))");
        show.fixture.exec(R"(insert into "liste" values ('Gala', 2))");
        show.fixture.exec(
            R"(insert into "playlist" ("codice", "titolo", "lista") values (1, 'a', 'Gala'))");
        show.fixture.exec(
            R"(insert into "playlist" ("codice", "titolo", "lista") values (2, 'b', 'Gala'))");
        QVERIFY(show.write({&show.database.listas, &show.database.p}, [&] {
            QVERIFY(show.database.listas.locate("lista", QString("Show")));
            show.database.listas.setValue("lista", "Premiere"); // the key itself changes
            QVERIFY(show.database.p.locate("codice", 1));
            show.database.p.remove();
        }));
        QCOMPARE(
            show.fixture
                .scalar(
                    R"(select list(trim("lista"), ',') from (select "lista" from "liste" order by "ordine"))")
                .toString(),
            QString("Premiere,Gala"));
        QCOMPARE(show.fixture.scalar(R"(select list("codice") from "playlist")").toString(),
                 QString("2"));
    }

    void aFilterLoadsOnlyTheRowsAChangeConcerns()
    {
        OpenShow show;
        for (int id = 1; id <= 3; ++id)
            show.fixture.exec(R"(insert into "azioni" ("id", "nome") values (?, 'a'))", {id});
        show.database.dbsAzioni.setFilter(R"("id" >= ?)", {2}); // before its "order by"
        QVERIFY(show.write({&show.database.dbsAzioni}, [&] {
            QCOMPARE(show.database.dbsAzioni.count(), 2);
            QVERIFY(!show.database.dbsAzioni.locate("id", 1));
            QVERIFY(show.database.dbsAzioni.locate("id", 3));
            show.database.dbsAzioni.setValue("nome", "changed");
        }));
        QCOMPARE(show.fixture.scalar(R"(select "nome" from "azioni" where "id" = 3)")
                     .toString()
                     .trimmed(),
                 QString("changed"));
        // The filter served one open only.
        QVERIFY(show.write({&show.database.dbsAzioni},
                           [&] { QCOMPARE(show.database.dbsAzioni.count(), 3); }));
    }

    void aRefusedWriteRollsBackEverythingAndClosesDbs()
    {
        OpenShow show;
        show.fixture.exec(R"(insert into "liste" values ('Show', 1))");
        const bool committed = show.write({&show.database.listas}, [&] {
            show.addPlaylist("Encore", 2);
            show.addPlaylist("Show", 3); // same name: the key is taken
        });
        QVERIFY(!committed);
        QCOMPARE(show.errors.size(), 1);
        QVERIFY2(show.errors.first().contains("PRIMARY or UNIQUE KEY"),
                 qPrintable(show.errors.first()));
        QCOMPARE(show.meters, QList<bool>({false, true}));
        QCOMPARE(show.refreshes, 0);
        QVERIFY(!show.database.isWriteOpen());
        QVERIFY(!show.database.inWriteTransaction());
        QCOMPARE(show.fixture.scalar(R"(select count(*) from "liste")").toInt(), 1);

        // The next write works from a clean state.
        QVERIFY(show.write({&show.database.listas}, [&] { show.addPlaylist("Encore", 2); }));
        QCOMPARE(show.fixture.scalar(R"(select count(*) from "liste")").toInt(), 2);
    }

    void aChangeThatThrowsWritesNothing()
    {
        OpenShow show;
        QVERIFY(!show.write({&show.database.listas}, [&] {
            show.addPlaylist("Encore", 1);
            show.database.listas.setValue("no such column", 1);
        }));
        QCOMPARE(show.errors.size(), 1);
        QCOMPARE(show.meters, QList<bool>({false, true}));
        QCOMPARE(show.fixture.scalar(R"(select count(*) from "liste")").toInt(), 0);
    }

    void namesAreFoundWhateverTheirLength()
    {
        OpenShow show;
        const QString longName = QString("L").repeated(30);
        show.fixture.exec(R"(insert into "liste" values (?, 1))", {longName});
        show.fixture.exec(R"(insert into "liste" values ('Short', 2))");
        show.fixture.exec(R"(insert into "playlist" ("titolo", "lista") values ('in long', ?))",
                          {longName});
        show.fixture.exec(
            R"(insert into "playlist" ("titolo", "lista") values ('in short', 'Short'))");
        show.database.openRead();
        for (const QString& name : {longName, QString("Short")}) {
            QVERIFY2(show.database.lista.locate("lista", name), qPrintable(name));
            QCOMPARE(show.database.lista.text("lista"), name);
            show.database.selectPlaylist(name);
            show.database.playlist.open(show.database.db());
            QCOMPARE(show.database.playlist.count(), 1);
        }
        // A quote in a name is data, not SQL.
        show.database.selectPlaylist("Rock 'n' Roll");
        show.database.playlist.open(show.database.db());
        QCOMPARE(show.database.playlist.count(), 0);
    }

    void theFirstPlaylistIsListedAtOpen()
    {
        OpenShow show;
        show.fixture.exec(R"(insert into "liste" values ('Second', 2))");
        show.fixture.exec(R"(insert into "liste" values ('First', 1))");
        show.fixture.exec(
            R"(insert into "playlist" ("titolo", "lista", "ordine") values ('b', 'First', 2))");
        show.fixture.exec(
            R"(insert into "playlist" ("titolo", "lista", "ordine") values ('a', 'First', 1))");
        show.fixture.exec(
            R"(insert into "playlist" ("titolo", "lista", "ordine") values ('x', 'Second', 1))");
        ShowDatabase database;
        database.setDatabaseName(show.fixture.databasePath());
        database.openRead();
        QCOMPARE(database.playlist.count(), 2);
        QCOMPARE(database.playlist.text("titolo"), QString("a"));
    }

    void calculatedColumnsOfClips()
    {
        OpenShow show;
        QTemporaryDir media;
        const QString present = media.filePath("Überraschung – è.mp4");
        QFile file(present);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        show.fixture.exec(R"(insert into "liste" values ('Show', 1))");
        show.fixture.exec(
            R"(insert into "playlist" ("titolo", "file", "lista", "ordine", "duratams", "start",
                             "azione_iniziale", "azione_finale", "crop", "filtro", "vflip")
                             values ('set', ?, 'Show', 1, 3723004000, 5000000, 3, -1, 1, 'hflip', 1))",
            {"  " + present + "  "});
        show.fixture.exec(
            R"(insert into "playlist" ("titolo", "file", "lista", "ordine", "duratams", "start",
                             "azione_iniziale", "azione_finale")
                             values ('plain', '/nowhere/gone.mp4', 'Show', 2, 90000000000, 0, -1, 4))");
        show.database.selectPlaylist("Show");
        show.database.openRead();
        ReadDataset& clips = show.database.playlist;
        QCOMPARE(clips.count(), 2);
        const QStringList info = {"infoStart", "infoAzioneIniziale", "infoAzioneFinale",
                                  "infoCrop",  "infoFiltro",         "infoVFlip",
                                  "infoBlur"};
        QCOMPARE(clips.text("t1"), QString("01:02:03.004"));
        QCOMPARE(clips.text("t2"), QString("Linked"));
        QStringList first;
        for (const QString& column : info)
            first.append(clips.text(column));
        QCOMPARE(first.join(' '), QString("YES YES NO YES YES YES NO"));
        QCOMPARE(clips.text("filtro"), QString("hflip"));
        clips.next();
        QCOMPARE(clips.text("t1"), QString("25:00:00.000"));
        QCOMPARE(clips.text("t2"), QString("Not linked"));
        QStringList second;
        for (const QString& column : info)
            second.append(clips.text(column));
        QCOMPARE(second.join(' '), QString("NO NO YES NO NO NO NO"));
        QVERIFY(clips.value("filtro").isNull());
        QCOMPARE(clips.text("filtro"), QString()); // null reads as empty
    }

    void calculatedColumnsOfPresets()
    {
        OpenShow show;
        const int rows[][2] = {{0, 0}, {1, 1}, {2, 2}, {7, 3}, {2, 9}};
        for (int i = 0; i < 5; ++i)
            show.fixture.exec(
                R"(insert into "sequencer" ("id", "azione", "live") values (?, ?, ?))",
                {i + 1, rows[i][0], rows[i][1]});
        show.database.openRead();
        QStringList shown;
        for (int row = 0; row < show.database.lpreset.count(); ++row)
            shown.append(show.database.lpreset.textAt(row, "NAzione") + "/" +
                         show.database.lpreset.textAt(row, "NLive"));
        QCOMPARE(shown, QStringList({"PAUSED/NO LIVE", "PLAY/BKG", "USE FADE/PLAYER A",
                                     "7/PLAYER B", "USE FADE/9"}));
    }

    void titlesAndPathsInAnyLanguageSurvive()
    {
        OpenShow show;
        const QString title = "Überraschung – è";
        const QString path = "/media/show/Überraschung – è.mp4";
        const QString script = "SEND,Ç'est ça,\"ünï\"\r\nPLAY,A";
        show.database.selectPlaylist(title);
        QVERIFY(
            show.write({&show.database.listas, &show.database.p, &show.database.dbsAzioni}, [&] {
                show.addPlaylist(title, 1);
                show.database.p.append();
                show.database.p.setValue("titolo", title);
                show.database.p.setValue("file", path);
                show.database.p.setValue("lista", title);
                show.database.p.setValue("filtro", "drawtext=text='è'");
                show.database.dbsAzioni.append();
                show.database.dbsAzioni.setValue(
                    "id", show.database.nextValue(ShowDatabase::Maximum::ActionId));
                show.database.dbsAzioni.setValue("nome", "Ünïcode");
                show.database.dbsAzioni.setValue("script", script);
            }));
        QCOMPARE(show.database.lista.text("lista"), title);
        QCOMPARE(show.database.playlist.count(), 1);
        QCOMPARE(show.database.playlist.text("titolo"), title);
        QCOMPARE(show.database.playlist.text("file"), path);
        QCOMPARE(show.database.playlist.text("filtro"), QString("drawtext=text='è'"));
        QCOMPARE(show.database.dbAzioni.integer("id"), 1);
        QCOMPARE(show.database.dbAzioni.text("nome"), QString("Ünïcode"));
        QCOMPARE(show.database.dbAzioni.text("script"), script);
    }

    void aMissingDatabaseIsAnError()
    {
        ShowDatabase database;
        database.setDatabaseName(QDir::tempPath() + "/no-such-folder/QUILLON.FDB");
        QVERIFY_THROWS_EXCEPTION(DatabaseError, database.openRead());
        QVERIFY(!database.isReadOpen());
    }
};

QTEST_GUILESS_MAIN(TestShowDatabase)
#include "test_show_database.moc"
