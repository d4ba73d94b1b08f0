#include "channels/clip_columns.h"
#include "core/main_menu.h"
#include "data/database_error.h"
#include "data/read_dataset.h"
#include "library/clip_commands.h"
#include "support/modal_answers.h"
#include "support/started_console.h"
#include "ui/dataset_grid.h"
#include "ui/menu_tree.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {
void seedClips(const ShowFixture& fixture)
{
    fixture.exec(R"(insert into "liste" values ('Show', 1))");
    fixture.exec(R"(insert into "liste" values ('Other', 2))");
    const char* insert = R"(insert into "playlist" ("codice", "ordine", "titolo", "lista",
        "status", "start", "end", "duratams", "color", "rs", "ruota", "nomelayout", "changeA",
        "monitor", "preview", "w", "h", "filtro", "opacity", "aspectratio")
        values (?, ?, ?, ?, 'LAST FRAME', ?, 9000000, 10000000, ?, ?, ?, ?, 0, 0, 1, 320, 240,
        ?, 200, 'Original'))";
    fixture.exec(insert, {1, 1, "Alpha", "Show", 0, 0, 0.0, 4, "Main", QVariant()});
    fixture.exec(insert, {2, 2, "Beta", "Show", 5000000, 1, 0.3, 1, "Main", "hflip"});
    fixture.exec(insert, {3, 3, "Gamma", "Show", 0, 0, 0.0, 4, "Nowhere", QVariant()});
    fixture.exec(insert, {4, 1, "Elsewhere", "Other", 0, 0, 0.0, 4, "", QVariant()});
}

struct Library : StartedConsole {
    Library()
        : StartedConsole(seedClips)
    {
    }

    void selectClip(int row)
    {
        auto* grid = child<DatasetGrid>("elencoClip");
        grid->setCurrentIndex(grid->model()->index(row, 1));
    }
    QStringList titles() const
    {
        QStringList result;
        const ReadDataset& clips = main->database().playlist;
        for (int row = 0; row < clips.count(); ++row)
            result.append(clips.textAt(row, "titolo"));
        return result;
    }
    QVariant column(int codice, const char* name) const
    {
        return fixture.scalar(QStringLiteral(R"(select "%1" from "playlist" where "codice" = ?)")
                                  .arg(QString::fromLatin1(name)),
                              {codice});
    }
    // Triggers an entry of the clip grid's pop-up menu.
    void clipEntry(const QString& path)
    {
        for (MenuTree* tree : main->findChildren<MenuTree*>())
            if (tree->menu({}) && tree->menu({})->objectName() == "mPlaylist")
                tree->action(path)->trigger();
    }
};
} // namespace

class TestClipCommands : public QObject {
    Q_OBJECT
private slots:
    void deleteAsksAndTheNextClipIsSelected()
    {
        Library library;
        ModalAnswers answers;
        library.selectClip(2);
        answers.button("No");
        library.clipEntry("Delete clip");
        QCOMPARE(answers.seen, QStringList({"Are you sure to delete clip \"Gamma\" ?"}));
        QCOMPARE(library.titles().size(), 3);

        answers.button("Yes"); // the last clip: the first is selected afterwards
        library.clipEntry("Delete clip");
        QCOMPARE(library.titles(), QStringList({"Alpha", "Beta"}));
        QCOMPARE(library.main->database().playlist.text("titolo"), QString("Alpha"));

        answers.button("Yes"); // the first: the next one is selected
        library.main->mainMenu()->action("Library/Delete clip")->trigger();
        QCOMPARE(library.titles(), QStringList({"Beta"}));
        QCOMPARE(library.column(2, "ordine").toInt(), 2); // the others keep their order
        QVERIFY(library.main->levelMetersOn());
    }

    void movingSwapsOrderAndStopsAtTheEnds()
    {
        Library library;
        library.selectClip(2);
        library.clipEntry("Move down"); // the last: nothing
        QCOMPARE(library.titles(), QStringList({"Alpha", "Beta", "Gamma"}));
        library.clipEntry("Move up");
        QCOMPARE(library.titles(), QStringList({"Alpha", "Gamma", "Beta"}));
        QCOMPARE(library.main->database().playlist.text("titolo"), QString("Gamma"));
        library.selectClip(0);
        library.clipEntry("Move up"); // the first: nothing
        QCOMPARE(library.titles(), QStringList({"Alpha", "Gamma", "Beta"}));
    }

    void duplicatesWithAndWithoutFilters()
    {
        Library library;
        library.selectClip(1); // Beta: colour balance on, a start point, an own stage
        library.clipEntry("Make duplicated without filters");
        library.clipEntry("Make duplicated");
        QCOMPARE(library.titles(), QStringList({"Alpha", "Beta", "Gamma", "Beta", "Beta"}));
        QCOMPARE(library.main->database().playlist.integer("codice"), 2); // the source again
        const int plain =
            library.fixture.scalar(R"(select min("codice") from "playlist" where "codice" > 4)")
                .toInt();
        const int filtered = plain + 1;
        QCOMPARE(library.column(plain, "ordine").toInt(), 4);
        QCOMPARE(library.column(filtered, "ordine").toInt(), 5);
        for (const char* same : {"start", "end", "status", "nomelayout", "changeA", "duratams"}) {
            QCOMPARE(library.column(plain, same), library.column(2, same));
            QCOMPARE(library.column(filtered, same), library.column(2, same));
        }
        QCOMPARE(library.column(plain, "color").toInt(), 0);
        QCOMPARE(library.column(plain, "ruota").toInt(), 4);
        QCOMPARE(library.column(plain, "opacity").toInt(), 255);
        QCOMPARE(library.column(plain, "x3").toInt(), 320);
        QVERIFY(library.column(plain, "filtro").isNull());
        QCOMPARE(library.column(filtered, "color").toInt(), 1);
        QCOMPARE(library.column(filtered, "rs").toDouble(), 0.3);
        QCOMPARE(library.column(filtered, "ruota").toInt(), 1);
        QCOMPARE(library.column(filtered, "opacity").toInt(), 200);
    }

    void resetAllFiltersTurnsPreviewOff()
    {
        Library library;
        ModalAnswers answers;
        library.selectClip(1);
        answers.button("Yes");
        library.clipEntry("Reset all filters");
        QCOMPARE(answers.seen, QStringList({"Are you sure to reset all filtera?"}));
        QCOMPARE(library.column(2, "preview").toInt(), 0);
        QCOMPARE(library.column(2, "color").toInt(), 0);
        QCOMPARE(library.column(2, "ruota").toInt(), 4);
        QCOMPARE(library.column(2, "start").toLongLong(), 5000000); // not a filter
    }

    void theClipColumnTableCoversTheClipTable()
    {
        const Library library;
        const QString stored =
            library.fixture
                .scalar(R"(select list(trim(rdb$field_name), ',') from rdb$relation_fields
                           where rdb$relation_name = 'playlist')")
                .toString();
        QStringList schema = stored.split(',');
        QStringList table;
        for (const ClipColumn& column : clipTableColumns())
            table.append(QString::fromLatin1(column.name));
        QCOMPARE(table.size(), QSet<QString>(table.begin(), table.end()).size()); // once each
        schema.sort();
        table.sort();
        QCOMPARE(table, schema);

        // A dataset without a column the channel needs is refused loudly.
        ReadDataset partial("partial", R"(select "codice", "w", "h" from "playlist")");
        partial.open(library.main->database().db());
        ClipSettings settings;
        QVERIFY_THROWS_EXCEPTION(DatabaseError, readClipSettings(partial, settings, false));
    }

    void anEmptiedChannelHasNeutralFiltersForItsPicture()
    {
        const Library library;
        ClipSettings& settings = library.main->state().clipSettings[2];
        settings.FWidth = 320;
        settings.FHeight = 240;
        settings.FColor = 1;
        settings.FCropW = 17;
        library.main->reset_info(2);
        QCOMPARE(settings.FColor, 0);
        QCOMPARE(settings.FRuota, 4);
        QCOMPARE(settings.FSaturation, 1.0);
        QCOMPARE(settings.FAlpha, 255);
        // The crop's right and bottom edges and the far corners sit on the picture's edges.
        QCOMPARE(QList<int>({settings.FCropW, settings.FCropH, settings.Fx1, settings.Fy2,
                             settings.Fx3, settings.Fy3}),
                 QList<int>({320, 240, 320, 240, 320, 240}));
    }

    void renameStatusAndAspect()
    {
        Library library;
        ModalAnswers answers;
        library.selectClip(0);
        answers.text("Opening titles");
        library.clipEntry("Rename");
        QCOMPARE(answers.seen, QStringList({"Rename clip name"}));
        QCOMPARE(library.column(1, "titolo").toString().trimmed(), QString("Opening titles"));

        library.clipEntry("End action/Black");
        QCOMPARE(library.column(1, "status").toString().trimmed(), QString("BLACK"));
        QCOMPARE(answers.seen.size(), 1); // no question
        library.clipEntry("Set aspect ratio/2.35:1");
        QCOMPARE(library.column(1, "aspectratio").toString().trimmed(), QString("2.35:1"));
    }

    void aWholePlaylistGetsOneEndStatus()
    {
        Library library;
        ModalAnswers answers;
        answers.button("Yes");
        library.main->mainMenu()->action("Library/Playlist end action /Next Clip")->trigger();
        QCOMPARE(answers.seen, QStringList({"Are you sure to change status in all clips?"}));
        for (int codice : {1, 2, 3})
            QCOMPARE(library.column(codice, "status").toString().trimmed(), QString("NEXT CLIP"));
        QCOMPARE(library.column(4, "status").toString().trimmed(), QString("LAST FRAME"));
    }

    void autoloadNeedsAnExistingStage()
    {
        Library library;
        ModalAnswers answers;
        library.selectClip(2); // its stage "Nowhere" does not exist
        library.clipEntry("Autoload stage/Active");
        QCOMPARE(answers.seen, QStringList({"Stage Nowhere not found"}));
        QCOMPARE(library.column(3, "monitor").toInt(), 0);
        library.selectClip(0); // "Main" exists
        library.clipEntry("Autoload stage/Active");
        QCOMPARE(library.column(1, "monitor").toInt(), 1);
        QCOMPARE(library.main->database().playlist.text("infoMonitor"), QString("YES"));
        library.clipEntry("Autoload stage/Remove");
        QCOMPARE(library.column(1, "monitor").toInt(), 0);
    }

    void relinkAndTheCacheVideoFolderComeFromTheFileDialog()
    {
        Library library;
        QTemporaryDir dir;
        const QString moved = dir.filePath("moved clip.mp4");
        QFile file(moved);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        ModalAnswers answers;
        library.selectClip(1);
        answers.text(std::nullopt); // cancelled: nothing changes
        library.clipEntry("Relink clip file");
        QVERIFY(library.column(2, "file").toString().isEmpty());
        answers.text(moved);
        library.clipEntry("Relink clip file");
        QCOMPARE(library.column(2, "file").toString().trimmed(), moved);
        QCOMPARE(library.main->database().playlist.text("t2"), QString("Linked"));
        QCOMPARE(library.column(2, "duratams").toLongLong(), 10000000); // nothing else

        answers.text(moved);
        library.main->mainMenu()->action("Library/Set Cache Video Directory")->trigger();
        QCOMPARE(library.fixture.settings().readFirstLine("cv_ini"), dir.path() + '/');
    }

    void anEmptyPlaylistChangesNothing()
    {
        StartedConsole started([](const ShowFixture& fixture) {
            fixture.exec(R"(insert into "liste" values ('Empty', 1))");
        });
        ModalAnswers answers;
        ClipCommands& commands = started.main->clipCommands();
        commands.deleteClip();
        commands.rename();
        commands.resetFilters();
        commands.duplicate(true);
        commands.setEndStatus(2);
        QVERIFY(answers.seen.isEmpty());
        QCOMPARE(started.fixture.scalar(R"(select count(*) from "playlist")").toInt(), 0);
    }
};

QTEST_MAIN(TestClipCommands)
#include "test_clip_commands.moc"
