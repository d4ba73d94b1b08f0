#include "core/console.h"
#include "core/main_menu.h"
#include "core/main_window.h"
#include "support/started_console.h"
#include "ui/action_pad.h"
#include "ui/dataset_grid.h"

#include <QAbstractSlider>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>

namespace {
using Started = StartedConsole;

QStringList captions(QMenu* menu)
{
    QStringList texts;
    for (QAction* action : menu->actions())
        if (!action->isSeparator())
            texts.append(action->text());
    return texts;
}
} // namespace

class TestConsole : public QObject {
    Q_OBJECT
private slots:
    void mainMenuEntriesAndShortcuts_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("shortcut");
        const char* rows[][2] = {
            {"File/Set vnc viewer", ""},
            {"File/Close Quillon", "Ctrl+X"},
            {"Library/Explorer cache video", "Alt+E"},
            {"Library/Set Cache Video Directory", ""},
            {"Library/Add clip", "Alt+Ins"},
            {"Library/Rename clip", "Alt+R"},
            {"Library/Delete clip", "Alt+Del"},
            {"Library/Change Playlist", "Alt+C"},
            {"Library/Playlists/Create new", "Alt+N"},
            {"Library/Playlists/Rename", "Shift+Alt+R"},
            {"Library/Playlists/Delete", "Shift+Alt+Del"},
            {"Library/Repeat playlist", ""},
            {"Library/Playlist end action /Last frame ", "Ctrl+Alt+1"},
            {"Library/Playlist end action /Loop", "Ctrl+Alt+2"},
            {"Library/Playlist end action /Black", "Ctrl+Alt+3"},
            {"Library/Playlist end action /Next Clip", "Ctrl+Alt+4"},
            {"Stage/Screen preferences", ""},
            {"Stage/Add a Stage", "Ctrl+N"},
            {"Stage/Delete Stage", "Ctrl+D"},
            {"Stage/Stage Setup", ""},
            {"Communications/Network preferences", ""},
            {"Communications/Create a connection", ""},
            {"Communications/ArtNet Active", ""},
            {"Communications/ArtNet Configuration", ""},
            {"Communications/DMX Mapper", ""},
            {"Communications/Refresh Midi Device", "Ctrl+Alt+K"},
            {"Communications/Midi Active", "Alt+K"},
            {"Communications/Midi Mapper", "Alt+J"},
            {"Options/Interface/Fullscreen mode", "F10"},
            {"Options/Interface/Windowed mode", "F11"},
            {"Options/Render video/Default", ""},
            {"Options/Render video/Direct Draw", ""},
            {"Options/Render video/GDI", ""},
            {"Options/Render audio/Default", ""},
            {"Options/Render audio/Direct SOUND", ""},
            {"Options/Render audio/wave Out", ""},
            {"Options/Audio Preferences", ""},
            {"Options/Support Audio 5.1", ""},
        };
        for (const auto& [path, shortcut] : rows)
            QTest::newRow(path) << QString(path) << QString(shortcut);
    }
    void mainMenuEntriesAndShortcuts()
    {
        QFETCH(QString, path);
        QFETCH(QString, shortcut);
        const Started started;
        QAction* entry = started.main->mainMenu()->action(path);
        QVERIFY2(entry, qPrintable(path));
        QCOMPARE(entry->shortcut(), QKeySequence(shortcut));
        QCOMPARE(entry->text(), path.mid(path.lastIndexOf('/') + 1));
    }

    void mainMenuOrderAndStartingMarks()
    {
        const Started started;
        MainMenu* menu = started.main->mainMenu();
        QStringList tops;
        for (QAction* top : started.main->menuBar()->actions())
            tops.append(top->text());
        QCOMPARE(tops, QStringList({"File", "Library", "Stage", "Communications", "Options"}));
        QCOMPARE(captions(menu->menu("Communications")),
                 QStringList({"Network preferences", "Create a connection", "ArtNet Active",
                              "ArtNet Configuration", "DMX Mapper", "Refresh Midi Device",
                              "Midi Device", "Midi Active", "Midi Mapper"}));
        QCOMPARE(menu->midiDevice()->objectName(), QString("Mididevice1"));
        QCOMPARE(menu->repeatPlaylist()->objectName(), QString("RepeatPlaylist"));
        QVERIFY(menu->action("Options/Interface/Windowed mode")->isChecked());
        QVERIFY(!menu->action("Options/Interface/Fullscreen mode")->isChecked());
        QVERIFY(!menu->artNetConfiguration()->isEnabled());
        // Choosing another renderer unchecks the others.
        menu->action("Options/Render video/GDI")->trigger();
        QVERIFY(!menu->action("Options/Render video/Default")->isChecked());
        QVERIFY(menu->action("Options/Render audio/Default")->isChecked());
    }

    void popupMenus()
    {
        const Started started;
        QMenu* clips = started.child<QMenu>("mPlaylist");
        QCOMPARE(captions(clips), QStringList({"Move up", "Move down", "Add clips",
                                               "Make duplicated", "Make duplicated without filters",
                                               "Delete clip", "Rename", "Relink clip file",
                                               "Autoload stage", "End action", "Set aspect ratio",
                                               "Convert", "Reset all filters", "Change playlist"}));
        QMenu* endAction = nullptr;
        for (QAction* action : clips->actions())
            if (action->text() == "End action")
                endAction = action->menu();
        QVERIFY(endAction);
        QStringList shortcuts;
        for (QAction* action : endAction->actions())
            shortcuts.append(action->text() + " " + action->shortcut().toString());
        QCOMPARE(shortcuts, QStringList({"Last frame Ctrl+1", "Loop Ctrl+2", "Black Ctrl+3",
                                         "Next clip Ctrl+4"}));
        QCOMPARE(captions(started.child<QMenu>("mLista")),
                 QStringList({"Move up", "Move down", "Create new", "Rename", "Delete",
                              "Last Frame", "Loop", "Black", "Next clip"}));
        QCOMPARE(captions(started.child<QMenu>("mConn")),
                 QStringList({"Create a connection", "Edit connection", "Delete connection",
                              "Test connection", "Vnc connect"}));
        QCOMPARE(captions(started.child<QMenu>("mAction")),
                 QStringList({"Add action", "Edit action", "Delete action", "Set MIDI control",
                              "Set DMX control", "Set as start action", "Set as end action",
                              "Clear start action", "Clear end action"}));
    }

    void controlRangesAndDefaults_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");
        const std::tuple<const char*, const char*, int, int, int> rows[] = {
            {"volA", "volB", 0, 100, 0},
            {"speedA", "SpeedB", -100, 100, 0},
            {"AlphaTrack1", "AlphaTrack2", 0, 255, 0},
            {"h", "hh", -100, 100, 0},
            {"s", "ss", 0, 100, 90},
            {"b", "bb", -100, 100, 0},
            {"duratatransizioneA", "DurataTransizioneB", 0, 60, 2},
        };
        for (const auto& [a, b, minimum, maximum, value] : rows) {
            QTest::newRow(a) << QString(a) << minimum << maximum << value;
            QTest::newRow(b) << QString(b) << minimum << maximum << value;
        }
    }
    void controlRangesAndDefaults()
    {
        QFETCH(QString, name);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, value);
        const Started started;
        auto* control = started.child<QAbstractSlider>(name);
        QCOMPARE(control->minimum(), minimum);
        QCOMPARE(control->maximum(), maximum);
        QCOMPARE(control->value(), value);
    }

    void exclusiveGroupsHaveExactlyOneDown()
    {
        const Started started;
        // Each group: its buttons, and the one down at start.
        const QList<std::pair<QStringList, QString>> groups = {
            {{"btnLayerA", "btnLayerB"}, "btnLayerB"},
            {{"btnOriginal", "btnFit", "btn43", "btn169", "btn185", "btn235"}, "btnOriginal"},
            {{"btnOriginalB", "btnFitB", "btn43B", "btn169B", "btn185B", "btn235B"},
             "btnOriginalB"},
            {{"previewAoff", "previewAon"}, "previewAon"},
            {{"previewBoff", "previewBon"}, "previewBon"},
            {{"VerticalFlipOff", "verticalFlipOn"}, "VerticalFlipOff"},
            {{"VerticalFlipBoff", "verticalFlipBon"}, "VerticalFlipBoff"},
            {{"btnFilterAon", "btnFilterAoff"}, "btnFilterAon"},
            {{"btnFilterBon", "btnFilterBoff"}, "btnFilterBon"},
            {{"SpeedButton29", "btnAutoAudio"}, "SpeedButton29"},
            {{"btnH264ca", "btnMpegca"}, "btnH264ca"},
            {{"btnLive1", "btnLive2", "btnLive3", "btnLive4"}, "btnLive1"},
        };
        for (const auto& [names, down] : groups) {
            const auto pressed = [&] {
                QStringList result;
                for (const QString& name : names)
                    if (started.child<QPushButton>(name)->isChecked())
                        result.append(name);
                return result;
            };
            QCOMPARE(pressed(), QStringList({down}));
            started.child<QPushButton>(names.last())->click();
            started.child<QPushButton>(names.first())->click();
            QCOMPARE(pressed(), QStringList({names.first()}));
        }
        // "ON" and "OFF" of a live input: with no capture device "ON" is refused.
        started.child<QPushButton>("t_liveB")->click();
        QVERIFY(started.child<QPushButton>("btnLiveStopB")->isChecked());
        QVERIFY(!started.child<QPushButton>("t_liveB")->isChecked());
        QCOMPARE(started.main->state().selectedChannel, 1); // the layer buttons select the channel
        QVERIFY(started.child<QLabel>("led1A")->isVisibleTo(started.main));
        QVERIFY(!started.child<QLabel>("led1B")->isVisibleTo(started.main));
    }

    void preferencesDefaults()
    {
        const Started started;
        for (const char* name : {"chkLoadAspectRatio", "chkLoadSpeedValue", "chkLoadFilters",
                                 "chkLoadVolumeValue", "chkLoadStage", "chkActionActivated"})
            QVERIFY2(started.child<QCheckBox>(name)->isChecked(), name);
        const QList<std::pair<const char*, QStringList>> choices = {
            {"chkDefaultStatus", {"LAST FRAME", "LOOP", "BLACK", "NEXT CLIP"}},
            {"chkDefaultAspectRatio", {"Original", "Fit", "4:3", "16:9", "1.85:1", "2.35:1"}},
            {"chkConvert", {"Original", "720x576", "1280x720", "1440x1080", "1920x1080"}}};
        for (const auto& [name, items] : choices) {
            auto* combo = started.child<QComboBox>(name);
            QStringList shown;
            for (int i = 0; i < combo->count(); ++i)
                shown.append(combo->itemText(i));
            QCOMPARE(shown, items);
            QCOMPARE(combo->currentIndex(), 0);
        }
        QCOMPARE(started.child<QLineEdit>("txtPort")->text(), QString("1717"));
        QVERIFY(!started.child<QCheckBox>("chkServerActive")->isChecked());
        for (const char* name : {"mixVideoA", "mixAudioA", "mixVideoB", "mixAudioB",
                                 "chkChangeBackground", "chkChangeLayerA", "chkChangeLayerB"})
            QVERIFY2(started.child<QCheckBox>(name)->isChecked(), name);
    }

    void consoleKeysWorkWhateverHasTheFocus()
    {
        const Started started;
        auto* clipGrid = started.child<DatasetGrid>("elencoClip");
        auto* button = started.child<QPushButton>("btnRestart");
        QApplication::setActiveWindow(started.main);
        QVERIFY(QTest::qWaitForWindowActive(started.main));
        button->setFocus();
        QTest::keyClick(button, Qt::Key_A);
        QCOMPARE(started.main->state().selectedChannel, 1);
        QVERIFY(started.child<QPushButton>("btnLayerA")->isChecked());
        QCOMPARE(started.main->focusWidget(), clipGrid);

        QTest::keyClick(clipGrid, Qt::Key_Plus, Qt::KeypadModifier);
        QTest::keyClick(clipGrid, Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(started.child<QScrollBar>("duratatransizioneA")->value(), 4);
        QCOMPARE(started.child<QLabel>("txtDurataTransizioneA")->text(), QString("2.0s"));
        QTest::keyClick(clipGrid, Qt::Key_Plus); // the main keyboard's + is not the keypad's
        QCOMPARE(started.child<QScrollBar>("duratatransizioneA")->value(), 4);
        QTest::keyClick(clipGrid, Qt::Key_A, Qt::ShiftModifier); // with Shift: not a selection
        QTest::keyClick(clipGrid, Qt::Key_B);
        QCOMPARE(started.main->state().selectedChannel, 2);
        QTest::keyClick(clipGrid, Qt::Key_Minus, Qt::KeypadModifier);
        QCOMPARE(started.child<QScrollBar>("DurataTransizioneB")->value(), 1);

        // Text typed into a field stays there.
        auto* port = started.child<QLineEdit>("txtPort");
        port->setFocus();
        QTest::keyClicks(port, "A");
        QCOMPARE(started.main->state().selectedChannel, 2);
        QCOMPARE(started.main->focusWidget(), port);
    }

    void thePadShowsTheActionsAndTheListKeepsItsCursor()
    {
        const StartedConsole started([](const ShowFixture& fixture) {
            fixture.exec(
                R"(insert into "azioni" ("id", "nome", "script") values (1, 'Go', 'PLAY,A'))");
            fixture.exec(
                R"(insert into "azioni" ("id", "nome", "script") values (2, 'Stop', 'STOP,A'))");
        });
        auto* pad = static_cast<ActionPad*>(started.console->window("f_azioni"));
        QVERIFY(pad->tile(1) && pad->tile(2));
        QCOMPARE(pad->tile(2)->findChild<QLabel*>()->text(), QString("Stop"));
        auto* actions = started.child<DatasetGrid>("elencoAction");
        actions->setCurrentIndex(actions->model()->index(1, 0));
        started.main->AggiornaElementi(-1, "", "", 2, 1);
        QCOMPARE(actions->currentIndex().row(), 1);
        QCOMPARE(started.main->database().dbAzioni.integer("id"), 2);
    }

    void clipGridShowsTheCurrentPlaylist()
    {
        ShowFixture fixture;
        QImage thumbnail(127, 71, QImage::Format_RGB888);
        thumbnail.fill(Qt::red);
        QByteArray bmp;
        QBuffer buffer(&bmp);
        buffer.open(QIODevice::WriteOnly);
        thumbnail.save(&buffer, "BMP");
        fixture.exec(R"(insert into "liste" values ('Show', 1))");
        fixture.exec(R"(insert into "playlist" ("codice", "titolo", "lista", "ordine", "duratams",
                        "tipo", "risoluzione", "aspectratio", "status", "file", "frame", "volume")
                        values (5, 'Intro', 'Show', 1, 3723004000, 'mov,mp4', '1920x1080',
                        '16:9', 'LOOP', '/nowhere.mp4', ?, 80))",
                     {bmp});
        Console console(fixture.settings(), {});
        QVERIFY(console.start());
        auto* grid = console.main()->findChild<DatasetGrid*>("elencoClip");
        QAbstractItemModel* model = grid->model();
        QStringList titles, row;
        for (int column = 0; column < model->columnCount(); ++column) {
            titles.append(model->headerData(column, Qt::Horizontal).toString());
            row.append(model->index(0, column).data().toString());
        }
        QCOMPARE(titles, QStringList({" ", "Title", "Duration", "Type", "Resolution", "A/Ratio",
                                      "End action", "Linked"}));
        QCOMPARE(row, QStringList({"", "Intro", "01:02:03.004", "mov,mp4", "1920x1080", "16:9",
                                   "LOOP", "Not linked"}));
        QVERIFY(!model->index(0, 0).data(Qt::DecorationRole).value<QPixmap>().isNull());
        QCOMPARE(grid->verticalHeader()->defaultSectionSize(), 30);

        // The information page follows the current clip.
        auto* id = console.main()->findChild<QLabel*>("info_codice");
        auto* volume = console.main()->findChild<QLabel*>("info_volume");
        QCOMPARE(id->text(), QString("5"));
        QCOMPARE(volume->text(), QString("80"));
    }

    void theTransportStaysPutWhateverThePlaylistsName()
    {
        Started started([](const ShowFixture& fixture) {
            fixture.exec(R"(insert into "liste" values ('Show', 1))");
            fixture.exec(R"(insert into "liste" values (?, 2))", {QString(30, 'W')});
        });
        const auto places = [&] {
            QApplication::processEvents();
            QList<QRect> rects;
            for (const char* name : {"btnPlayA", "btnStopA", "btnResume", "btnPauseA",
                                     "chkPlayAfterLoad", "btnrepeatplaylist", "autostart"})
                rects.append(started.child<QPushButton>(name)->geometry());
            return rects;
        };
        const QList<QRect> before = places();
        started.main->playlists().select(1);
        QCOMPARE(started.child<QLabel>("nome")->text(), QString(30, 'W'));
        QCOMPARE(places(), before);
    }
};

QTEST_MAIN(TestConsole)
#include "test_console.moc"
