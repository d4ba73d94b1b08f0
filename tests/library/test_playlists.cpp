#include "core/console.h"
#include "core/main_menu.h"
#include "core/main_window.h"
#include "support/modal_answers.h"
#include "support/started_console.h"
#include "ui/dataset_grid.h"
#include "ui/text_prompt.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

namespace {
// A console on a show with three playlists: Show (2 clips), Show 2 (1 clip), Encore (1 clip).
void seedThreePlaylists(const ShowFixture& fixture)
{
    fixture.exec(R"(insert into "liste" values ('Show', 1))");
    fixture.exec(R"(insert into "liste" values ('Show 2', 2))");
    fixture.exec(R"(insert into "liste" values ('Encore', 3))");
    const char* clips[][3] = {{"10", "Opening", "Show"},
                              {"11", "Finale", "Show"},
                              {"20", "Other show", "Show 2"},
                              {"30", "Bow", "Encore"}};
    int ordine = 1;
    for (const auto& [codice, title, playlist] : clips)
        fixture.exec(R"(insert into "playlist" ("codice", "titolo", "lista", "ordine")
                            values (?, ?, ?, ?))",
                     {QString(codice).toInt(), title, playlist, ordine++});
}

struct Show : StartedConsole {
    Show()
        : StartedConsole(seedThreePlaylists)
    {
    }

    QString label(const char* name) const
    {
        return main->findChild<QLabel*>(QString::fromLatin1(name))->text();
    }
    DatasetGrid* grid(const char* name) const
    {
        return main->findChild<DatasetGrid*>(QString::fromLatin1(name));
    }
    QStringList column(const char* grid, int column) const
    {
        QStringList values;
        QAbstractItemModel* model = this->grid(grid)->model();
        for (int row = 0; row < model->rowCount(); ++row)
            values.append(model->index(row, column).data().toString());
        return values;
    }
    QStringList playlists() const { return column("sceltalista", 0); }
    QStringList clipTitles() const { return column("elencoClip", 1); }
    QVariant scalar(const QString& sql, const QVariantList& parameters = {}) const
    {
        return fixture.scalar(sql, parameters);
    }
    void clickPlaylist(int row, bool twice = false)
    {
        DatasetGrid* buttons = grid("sceltalista");
        const QPoint at = buttons->visualRect(buttons->model()->index(row, 0)).center();
        QTest::mouseClick(buttons->viewport(), Qt::LeftButton, {}, at);
        if (twice)
            QTest::mouseDClick(buttons->viewport(), Qt::LeftButton, {}, at);
    }
    void trigger(const char* path) { main->mainMenu()->action(path)->trigger(); }
};
} // namespace

class TestPlaylists : public QObject {
    Q_OBJECT
private slots:
    void theFirstPlaylistShowsAtStartAndAClickShowsAnother()
    {
        Show show;
        QCOMPARE(show.playlists(), QStringList({"Show", "Show 2", "Encore"}));
        QCOMPARE(show.label("nome"), QString("Show"));
        QCOMPARE(show.label("tot1"), QString("2"));
        QCOMPARE(show.label("destinazione"), QString("-"));
        QCOMPARE(show.clipTitles(), QStringList({"Opening", "Finale"}));

        show.clickPlaylist(2);
        QCOMPARE(show.label("nome"), QString("Encore"));
        QCOMPARE(show.label("tot1"), QString("1"));
        QCOMPARE(show.clipTitles(), QStringList({"Bow"}));
        QCOMPARE(show.label("destinazione"), QString("-")); // unchanged by a click
    }

    void doubleClicksSetAndClearTheDestination()
    {
        Show show;
        show.clickPlaylist(1, true);
        QCOMPARE(show.label("destinazione"), QString("Show 2"));
        auto* destination = show.main->findChild<QLabel*>("destinazione");
        QTest::mouseDClick(destination, Qt::LeftButton);
        QCOMPARE(show.label("destinazione"), QString("-"));
    }

    void createMakesTheNewPlaylistCurrent()
    {
        Show show;
        ModalAnswers answers;
        answers.text("Rock 'n' Roll");
        show.trigger("Library/Playlists/Create new");
        QCOMPARE(answers.seen, QStringList({"Make a new playlist"}));
        QCOMPARE(show.playlists(), QStringList({"Show", "Show 2", "Encore", "Rock 'n' Roll"}));
        QCOMPARE(show.label("nome"), QString("Rock 'n' Roll"));
        QCOMPARE(show.label("tot1"), QString("0"));
        QVERIFY(show.clipTitles().isEmpty());
        QCOMPARE(show.scalar(R"(select "ordine" from "liste" where "lista" = ?)", {"Rock 'n' Roll"})
                     .toInt(),
                 4);

        // A quote in the name is data: the playlist lists its own clips.
        show.fixture.exec(
            R"(insert into "playlist" ("titolo", "lista", "ordine") values ('Riff', ?, 1))",
            {"Rock 'n' Roll"});
        show.clickPlaylist(0);
        show.clickPlaylist(3);
        QCOMPARE(show.clipTitles(), QStringList({"Riff"}));
    }

    void createChangesNothingOnCancelEmptyOrTheCurrentName_data()
    {
        QTest::addColumn<std::optional<QString>>("typed");
        QTest::newRow("Cancel") << std::optional<QString>();
        QTest::newRow("empty") << std::optional<QString>("");
        QTest::newRow("current name") << std::optional<QString>("Show");
    }
    void createChangesNothingOnCancelEmptyOrTheCurrentName()
    {
        QFETCH(std::optional<QString>, typed);
        Show show;
        ModalAnswers answers;
        answers.text(typed);
        show.trigger("Library/Playlists/Create new");
        QCOMPARE(answers.seen, QStringList({"Make a new playlist"})); // no error box either
        QCOMPARE(show.scalar(R"(select count(*) from "liste")").toInt(), 3);
        QCOMPARE(show.label("nome"), QString("Show"));
    }

    void aClickShowsWhatAnotherWorkstationChanged()
    {
        Show show;
        QTemporaryDir dir;
        const QString file = dir.filePath("curtain.mp4");
        QFile(file).open(QIODevice::WriteOnly);
        // Another workstation (a connection of its own) adds a playlist and a clip.
        show.fixture.exec(R"(insert into "liste" values ('Gala', 4))");
        show.fixture.exec(R"(insert into "playlist" ("codice", "titolo", "lista", "ordine", "file")
                             values (40, 'Curtain', 'Show 2', 9, ?))",
                          {file});
        QCOMPARE(show.playlists(), QStringList({"Show", "Show 2", "Encore"}));
        show.clickPlaylist(1);
        QCOMPARE(show.playlists(), QStringList({"Show", "Show 2", "Encore", "Gala"}));
        QCOMPARE(show.label("nome"), QString("Show 2"));
        QCOMPARE(show.clipTitles(), QStringList({"Other show", "Curtain"}));
        QCOMPARE(show.column("elencoClip", 7).last(), QString("Linked"));
        // A file deleted meanwhile shows at the next click.
        QFile::remove(file);
        show.clickPlaylist(1);
        QCOMPARE(show.column("elencoClip", 7).last(), QString("Not linked"));
        // The double click still reaches the buttons when nothing changed between the clicks.
        show.clickPlaylist(3, true);
        QCOMPARE(show.label("nome"), QString("Gala"));
        QCOMPARE(show.label("destinazione"), QString("Gala"));
    }

    void aTakenNameIsRefusedInWords_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::newRow("create") << "Library/Playlists/Create new";
        QTest::newRow("rename") << "Library/Playlists/Rename";
    }

    void aTakenNameIsRefusedInWords()
    {
        QFETCH(QString, entry);
        Show show;
        ModalAnswers answers;
        answers.text("Encore");
        answers.button("OK");
        show.trigger(qPrintable(entry));
        QCOMPARE(answers.seen.size(), 2);
        QCOMPARE(answers.seen.at(1), QString("A playlist named \"Encore\" exists already."));
        QCOMPARE(show.scalar(R"(select count(*) from "liste")").toInt(), 3);
        QCOMPARE(show.playlists(), QStringList({"Show", "Show 2", "Encore"}));
        QCOMPARE(show.label("nome"), QString("Show"));
        QCOMPARE(show.clipTitles(), QStringList({"Opening", "Finale"}));
    }

    void thePromptRefusesNamesLongerThanThirtyCharacters()
    {
        Show show;
        ModalAnswers answers;
        answers.text(QString(31, 'x')); // refused: the prompt stays open
        answers.text(QString(30, 'y'));
        show.trigger("Library/Playlists/Create new");
        QCOMPARE(answers.seen.size(), 2);
        QVERIFY(!show.playlists().contains(QString(31, 'x')));
        QVERIFY(show.playlists().contains(QString(30, 'y')));
        QCOMPARE(show.label("nome"), QString(30, 'y'));
    }

    void renameMovesOnlyThatPlaylistsClips()
    {
        Show show;
        ModalAnswers answers;
        answers.text("Gala");
        show.trigger("Library/Playlists/Rename");
        QCOMPARE(answers.seen, QStringList({"Rename playlist"}));
        QCOMPARE(show.playlists(), QStringList({"Gala", "Show 2", "Encore"}));
        QCOMPARE(show.label("nome"), QString("Gala"));
        QCOMPARE(show.clipTitles(), QStringList({"Opening", "Finale"}));
        QCOMPARE(show.scalar(R"(select count(*) from "playlist" where "lista" = 'Gala')").toInt(),
                 2);
        QCOMPARE(show.scalar(R"(select "lista" from "playlist" where "codice" = 20)")
                     .toString()
                     .trimmed(),
                 QString("Show 2"));
    }

    void renamingAnotherPlaylistKeepsTheCurrentOne()
    {
        Show show;
        show.clickPlaylist(2); // Encore current and selected
        show.clickPlaylist(1); // Show 2 current and selected
        ModalAnswers answers;
        answers.text("Second show");
        show.trigger("Library/Playlists/Rename");
        QCOMPARE(show.label("nome"), QString("Second show"));
        QCOMPARE(show.clipTitles(), QStringList({"Other show"}));
    }

    void deleteAsksAndRemovesOnlyThatPlaylistsClips()
    {
        Show show;
        ModalAnswers answers;
        answers.button("No");
        show.trigger("Library/Playlists/Delete");
        QCOMPARE(answers.seen, QStringList({"Do you want delete playlist \"Show\" ?"}));
        QCOMPARE(show.scalar(R"(select count(*) from "liste")").toInt(), 3);

        answers.button("Yes");
        show.trigger("Library/Playlists/Delete");
        QCOMPARE(show.playlists(), QStringList({"Show 2", "Encore"}));
        QCOMPARE(show.scalar(R"(select count(*) from "playlist")").toInt(), 2);
        QCOMPARE(show.label("nome"), QString("Show 2"));
        QCOMPARE(show.label("tot1"), QString("1"));
        QCOMPARE(show.clipTitles(), QStringList({"Other show"}));
    }

    void deletingTheLastPlaylistLeavesAnEmptyConsole()
    {
        Show show;
        ModalAnswers answers;
        for (int i = 0; i < 3; ++i) {
            answers.button("Yes");
            show.trigger("Library/Playlists/Delete");
        }
        QVERIFY(show.playlists().isEmpty());
        QCOMPARE(show.label("nome"), QString());
        QVERIFY(show.clipTitles().isEmpty());
        QCOMPARE(show.scalar(R"(select count(*) from "playlist")").toInt(), 0);
    }

    void movingSwapsNeighboursAndStopsAtTheEnds()
    {
        Show show;
        QMenu* popup = show.main->findChild<QMenu*>("mLista");
        const auto entry = [&](const QString& caption) {
            for (QAction* action : popup->actions())
                if (action->text() == caption)
                    return action;
            return static_cast<QAction*>(nullptr);
        };
        entry("Move up")->trigger(); // the first: nothing
        QCOMPARE(show.playlists(), QStringList({"Show", "Show 2", "Encore"}));
        entry("Move down")->trigger();
        QCOMPARE(show.playlists(), QStringList({"Show 2", "Show", "Encore"}));
        QCOMPARE(show.grid("sceltalista")->currentIndex().row(), 1); // still on "Show"
        entry("Move down")->trigger();
        entry("Move down")->trigger(); // the last: nothing
        QCOMPARE(show.playlists(), QStringList({"Show 2", "Encore", "Show"}));
        QCOMPARE(show.label("nome"), QString("Show"));
        QVERIFY(show.main->levelMetersOn());
    }

    void changePlaylistMovesTheClipAndKeepsItsOrder()
    {
        Show show;
        ModalAnswers answers;
        show.trigger("Library/Change Playlist"); // no destination: nothing
        QVERIFY(answers.seen.isEmpty());
        QCOMPARE(show.scalar(R"(select count(*) from "playlist" where "lista" = 'Show')").toInt(),
                 2);

        show.clickPlaylist(2, true); // Encore is the destination ...
        show.clickPlaylist(0);       // ... and Show the current playlist
        DatasetGrid* clips = show.grid("elencoClip");
        clips->setCurrentIndex(clips->model()->index(1, 1)); // Finale, "ordine" 2
        show.trigger("Library/Change Playlist");
        QCOMPARE(show.clipTitles(), QStringList({"Opening"}));
        QCOMPARE(show.label("tot1"), QString("1"));
        QCOMPARE(show.scalar(R"(select "lista" from "playlist" where "codice" = 11)")
                     .toString()
                     .trimmed(),
                 QString("Encore"));
        QCOMPARE(show.scalar(R"(select "ordine" from "playlist" where "codice" = 11)").toInt(), 2);
        show.clickPlaylist(2);
        // Listed by "ordine": Finale keeps its 2 and comes before Bow's 4.
        QCOMPARE(show.clipTitles(), QStringList({"Finale", "Bow"}));
    }

    void refreshSelectsTheClipAgainOrTheFirst()
    {
        Show show;
        DatasetGrid* clips = show.grid("elencoClip");
        clips->setCurrentIndex(clips->model()->index(1, 1));
        show.main->AggiornaElementi(11, "Show", "", 1, 1);
        QCOMPARE(clips->currentIndex().row(), 1);
        QCOMPARE(show.main->database().playlist.text("titolo"), QString("Finale"));

        show.fixture.exec(R"(delete from "playlist" where "codice" = 11)");
        show.main->AggiornaElementi(11, "Show", "", 1, 1);
        QCOMPARE(show.clipTitles(), QStringList({"Opening"}));
        QCOMPARE(clips->currentIndex().row(), 0);
        QCOMPARE(show.main->database().playlist.text("titolo"), QString("Opening"));
    }
};

QTEST_MAIN(TestPlaylists)
#include "test_playlists.moc"
