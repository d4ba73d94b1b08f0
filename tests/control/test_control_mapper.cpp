// The MIDI and DMX mappers on a started console: what their buttons store in the show, and
// where their rules differ.
#include "core/main_menu.h"
#include "library/library_pages.h"
#include "support/modal_answers.h"
#include "support/started_console.h"
#include "ui/control_mapper.h"
#include "ui/dataset_grid.h"
#include "ui/menu_tree.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {
const char* table(ControlMapKind kind)
{
    return kind == ControlMapKind::Midi ? "midi" : "dmx";
}

// A show with the action "Go" (id 1), mapped in both maps; the DMX VolumeA row at 2/3/4.
void seedMaps(const ShowFixture& fixture)
{
    fixture.exec(R"(insert into "azioni" ("id", "nome", "script") values (1, 'Go', 'PLAY,A'))");
    fixture.exec(R"(insert into "midi" ("codice", "tipo", "esegui", "fisso", "midi1", "midi2",
                    "midi3") values ('Action', 'Go', 1, 0, 5, 60, 100))");
    fixture.exec(R"(insert into "dmx" ("codice", "tipo", "esegui", "fisso", "universo", "subnet",
                    "channel", "valore") values ('Action', 'Go', 1, 0, 1, 1, 9, 128))");
    fixture.exec(R"(update "dmx" set "universo" = 2, "subnet" = 3, "channel" = 4
                    where "tipo" = 'VolumeA')");
}

struct MapperConsole : StartedConsole {
    ControlMapKind kind;
    ControlMapper* mapper;

    explicit MapperConsole(ControlMapKind kind)
        : StartedConsole(seedMaps)
        , kind(kind)
        , mapper(static_cast<ControlMapper*>(
              console->window(kind == ControlMapKind::Midi ? "elencoMIDI" : "elencoDMX")))
    {
        mapper->open();
    }

    int idOf(const QString& tipo) const
    {
        return fixture
            .scalar(QStringLiteral(R"(select "id" from "%1" where "tipo" = ?)").arg(table(kind)),
                    {tipo})
            .toInt();
    }
    // The row's address as "a,b,c"; "gone" when the row is not there.
    QString address(int id) const
    {
        const QStringList columns = ControlMapStore::addressColumns(kind);
        QStringList parts;
        for (const QString& column : columns)
            parts.append(QStringLiteral("\"%1\"").arg(column));
        const QVariant value =
            fixture.scalar(QStringLiteral(R"(select %1 from "%2" where "id" = ?)")
                               .arg(parts.join(" || ',' || "), table(kind)),
                           {id});
        return value.isNull() ? "gone" : value.toString();
    }
    int rows() const
    {
        return fixture.scalar(QStringLiteral(R"(select count(*) from "%1")").arg(table(kind)))
            .toInt();
    }
    // A click on the row of this id in the mapper's grid.
    void clickRow(int id) const
    {
        DatasetGrid* grid = mapper->grid();
        const ReadDataset& rows = grid->dataset();
        int row = 0;
        while (row < rows.count() && rows.valueAt(row, "id").toInt() != id)
            ++row;
        QVERIFY(row < rows.count());
        const QRect cell = grid->visualRect(grid->model()->index(row, 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(rows.integer("id"), id);
    }
    QCheckBox* learn() const { return mapper->findChild<QCheckBox*>("chkActiveGetValue"); }
    QList<QLineEdit*> edits() const
    {
        const QStringList names =
            kind == ControlMapKind::Midi
                ? QStringList{"txtMIDI1", "txtMIDI2", "txtMIDI3"}
                : QStringList{"txtUniverso", "txtSubNet", "txtChannel", "txtValue"};
        QList<QLineEdit*> found;
        for (const QString& name : names)
            found.append(mapper->findChild<QLineEdit*>(name));
        return found;
    }
    void type(const QStringList& values) const
    {
        for (int i = 0; i < values.size(); ++i) {
            edits().at(i)->clear();
            QTest::keyClicks(edits().at(i), values.at(i));
        }
    }
    void click(const char* button) const { mapper->findChild<QPushButton*>(button)->click(); }
};
} // namespace

class TestControlMapper : public QObject {
    Q_OBJECT

private slots:
    void theButtonsFollowEachMapsRules_data()
    {
        QTest::addColumn<ControlMapKind>("kind");
        QTest::addColumn<QString>("row");
        QTest::addColumn<bool>("learning");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("stored");
        const auto M = ControlMapKind::Midi;
        const auto D = ControlMapKind::Dmx;
        // MIDI: a fixed row is never deleted; reset needs no learn mode.
        QTest::newRow("MIDI delete fixed") << M << "VolumeA" << true << "btnDelete"
                                           << "16,0,0";
        QTest::newRow("MIDI delete action") << M << "Go" << false << "btnDelete"
                                            << "gone";
        QTest::newRow("MIDI reset") << M << "Go" << false << "btnReset"
                                    << "0,0,0";
        QTest::newRow("MIDI save off") << M << "Go" << false << "btnSave"
                                       << "5,60,100";
        QTest::newRow("MIDI save") << M << "VolumeA" << true << "btnSave"
                                   << "3,21,64";
        // DMX: delete and reset only in learn mode, delete whatever the row; a Command row
        // keeps the value -1 when saved, loses it when reset.
        QTest::newRow("DMX delete off") << D << "VolumeA" << false << "btnDelete"
                                        << "2,3,4,-1";
        QTest::newRow("DMX delete fixed") << D << "VolumeA" << true << "btnDelete"
                                          << "gone";
        QTest::newRow("DMX reset off") << D << "Go" << false << "btnReset"
                                       << "1,1,9,128";
        QTest::newRow("DMX reset command") << D << "VolumeA" << true << "btnReset"
                                           << "0,0,0,0";
        QTest::newRow("DMX save command") << D << "VolumeA" << true << "btnSave"
                                          << "3,2,7,-1";
        QTest::newRow("DMX save action") << D << "Go" << true << "btnSave"
                                         << "3,2,7,200";
    }

    void theButtonsFollowEachMapsRules()
    {
        QFETCH(ControlMapKind, kind);
        QFETCH(QString, row);
        QFETCH(bool, learning);
        QFETCH(QString, button);
        QFETCH(QString, stored);
        MapperConsole show(kind);
        const int id = show.idOf(row);
        show.clickRow(id);
        show.learn()->setChecked(learning);
        if (learning)
            show.type(kind == ControlMapKind::Midi ? QStringList{"3", "21", "64"}
                                                   : QStringList{"3", "2", "7", "200"});
        show.click(button.toLatin1());
        QCOMPARE(show.address(id), stored);
        if (stored != "gone" && button != "btnDelete") // the same row stays selected
            QCOMPARE(show.mapper->grid()->dataset().integer("id"), id);
    }

    void factoryResetZeroesEveryRow_data()
    {
        QTest::addColumn<ControlMapKind>("kind");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("action");
        QTest::newRow("MIDI") << ControlMapKind::Midi << "0,0,0"
                              << "0,0,0";
        QTest::newRow("DMX") << ControlMapKind::Dmx << "0,0,0,-1"
                             << "0,0,0,0";
    }

    void factoryResetZeroesEveryRow()
    {
        QFETCH(ControlMapKind, kind);
        QFETCH(QString, command);
        QFETCH(QString, action);
        MapperConsole show(kind);
        QCOMPARE(show.rows(), 11);
        show.click("btnFactoryReset");
        QCOMPARE(show.rows(), 11);
        for (const char* tipo : {"OpacityA", "VolumeB", "BrightnessB"})
            QCOMPARE(show.address(show.idOf(tipo)), command);
        QCOMPARE(show.address(show.idOf("Go")), action);
    }

    void theEditsTakeWholeNumbersInRange()
    {
        MapperConsole show(ControlMapKind::Midi);
        const int id = show.idOf("VolumeA");
        show.clickRow(id);
        show.learn()->setChecked(true);
        QTest::keyClicks(show.edits().at(1), "a1-b2.");
        QCOMPARE(show.edits().at(1)->text(), QString("012"));

        ModalAnswers answers;
        const QList<std::pair<QStringList, QString>> refused = {
            {{"", "1", "2"}, "'' is not a valid integer value"},
            {{"16", "1", "2"}, "'16' is out of range for MIDI 1 (0 to 15)"},
            {{"1", "128", "2"}, "'128' is out of range for MIDI 2 (0 to 127)"},
        };
        for (const auto& [typed, message] : refused) {
            show.type(typed);
            answers.button("OK");
            show.click("btnSave");
            QCOMPARE(answers.seen.last(), message);
            QCOMPARE(show.address(id), QString("16,0,0"));
        }
        // Learn mode off puts the edits back to 0.
        show.learn()->setChecked(false);
        for (QLineEdit* edit : show.edits())
            QCOMPARE(edit->text(), QString("0"));
    }

    void setControlMapsTheCurrentAction()
    {
        MapperConsole midi(ControlMapKind::Midi);
        midi.fixture.exec(R"(insert into "azioni" ("id", "nome", "script")
                             values (2, 'A name of twenty-five ch', 'STOP,A'))");
        midi.main->AggiornaElementi(0, "", "", 2, 1);
        auto* library = midi.main->findChild<LibraryPages*>();
        QAction* entry = library->actionMenu()->action("Set MIDI control");
        const auto added = [&] {
            return midi.fixture
                .scalar(R"(select "tipo" || '/' || "esegui" || '/' || "fisso" || '/' || "midi1" ||
                           ',' || "midi2" || ',' || "midi3" from "midi" where "id" = (select
                           max("id") from "midi"))")
                .toString();
        };
        midi.mapper->reject(); // hidden: nothing
        entry->trigger();
        QCOMPARE(midi.rows(), 11);

        midi.main->mainMenu()->midiMapper()->setEnabled(true); // no MIDI device on this machine
        midi.main->mainMenu()->midiMapper()->trigger();
        QVERIFY(midi.mapper->isVisible());
        entry->trigger();
        QCOMPARE(midi.rows(), 12);
        QCOMPARE(added(), QString("A name of twenty-fiv/2/0/0,0,0"));
        midi.learn()->setChecked(true);
        midi.type({"2", "60", "100"});
        library->actionButton("btnGetMidiAction")->click();
        QCOMPARE(added(), QString("A name of twenty-fiv/2/0/2,60,100"));

        // "EXIT" leaves learn mode; opening again starts from 0.
        midi.type({"1", "1", "1"});
        midi.click("btnExit");
        QVERIFY(!midi.mapper->isVisible());
        QVERIFY(!midi.learn()->isChecked());
        midi.main->mainMenu()->midiMapper()->trigger();
        QVERIFY(!midi.learn()->isChecked());
        for (QLineEdit* edit : midi.edits())
            QCOMPARE(edit->text(), QString("0"));
    }
};

QTEST_MAIN(TestControlMapper)
#include "test_control_mapper.moc"
