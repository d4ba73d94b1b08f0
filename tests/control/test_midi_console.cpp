// MIDI on the console: a real RtMidi sender on a JACK server (dummy back-end) drives the map's
// control commands and actions.
#include "automation/action_runner.h"
#include "control/jack_sender.h"
#include "core/console.h"
#include "core/main_menu.h"
#include "core/main_window.h"
#include "core/system_devices.h"
#include "shared/player_wait.h"
#include "stage/output_window.h"
#include "support/log_capture.h"
#include "support/show_fixture.h"
#include "ui/control_mapper.h"
#include "ui/dataset_grid.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

namespace {
// A console with the system's MIDI input on a show that `seed` filled.
struct MidiConsole {
    ShowFixture fixture;
    std::unique_ptr<Console> console;
    MainWindow* main = nullptr;
    MainMenu* menu = nullptr;

    explicit MidiConsole(const std::function<void(const ShowFixture&)>& seed = {})
    {
        if (seed)
            seed(fixture);
        PlatformServices services;
        services.midi = std::make_unique<SystemMidiInput>();
        console = std::make_unique<Console>(fixture.settings(), std::move(services));
        if (!console->start())
            qFatal("the console did not start");
        main = console->main();
        menu = main->mainMenu();
    }
    ~MidiConsole() { main->closeWithoutAsking(); }

    // The test sender's port chosen in "Midi Device", then "Midi Active"; false when either
    // failed.
    bool listenToTheSender() const
    {
        QAction* sender = nullptr;
        for (QAction* entry : menu->midiDevice()->actions())
            if (entry->text().contains("Quillon test sender"))
                sender = entry;
        if (!sender || !menu->midiActive()->isEnabled())
            return false;
        sender->trigger();
        menu->midiActive()->trigger();
        return menu->midiActive()->isChecked();
    }
};
} // namespace

class TestMidiConsole : public QObject {
    Q_OBJECT
    std::unique_ptr<JackSender> m_jack;

private slots:
    void initTestCase() { startJackSender(m_jack); }

    void cleanupTestCase() { m_jack.reset(); }

    void theMapDrivesTheConsole()
    {
        const MidiConsole show([](const ShowFixture& fixture) {
            // A fresh show reacts to nothing: its control rows wait on channel 16.
            QCOMPARE(fixture.scalar(R"(select count(*) from "midi" where "midi1" <> 16)").toInt(),
                     0);
            fixture.exec(R"(update "midi" set "midi1" = 0, "midi2" = 7 where "tipo" = 'VolumeA')");
            fixture.exec(R"(update "midi" set "midi1" = 0, "midi2" = 8 where "tipo" = 'OpacityA')");
            fixture.exec(R"(insert into "azioni" ("id", "nome", "script")
                            values (1, 'B', 'SETVOLUME,B,30'))");
            fixture.exec(R"(insert into "azioni" ("id", "nome", "script")
                            values (2, 'Other', 'SETVOLUME,B,90'))");
            fixture.exec(R"(insert into "midi" ("codice", "tipo", "esegui", "fisso", "midi1",
                            "midi2", "midi3") values ('Action', 'B', 1, 0, 0, 60, 100))");
        });
        MainWindow* main = show.main;
        QVERIFY(show.listenToTheSender());

        auto* volA = main->findChild<QSlider*>("volA");
        auto* volB = main->findChild<QSlider*>("volB");
        QVERIFY(m_jack->send("B0 07 7F\n"));
        QTRY_COMPARE(main->findChild<QLabel*>("vo1")->text(), QString("100%"));
        QVERIFY(m_jack->send("B0 07 1E\n"));
        QTRY_COMPARE(main->findChild<QLabel*>("vo1")->text(), QString("30%"));
        QCOMPARE(volA->value(), 70);
        QVERIFY(m_jack->send("B0 08 7F\n"));
        QTRY_COMPARE(main->findChild<QSlider*>("AlphaTrack1")->value(), 1); // opacity 254

        // The action row: note 60 at velocity 100 on channel 1 only.
        QVERIFY(m_jack->send("90 3C 63\n91 3C 64\n"));
        QTest::qWait(200);
        QCOMPARE(volB->value(), 0);
        QVERIFY(main->database().dbAzioni.locate("id", 2));
        QVERIFY(m_jack->send("90 3C 64\n"));
        QTRY_COMPARE(volB->value(), 70);
        QCOMPARE(main->database().dbAzioni.integer("id"), 1); // the current action now
        volB->setValue(0);
        main->findChild<QCheckBox*>("chkActionActivated")->click();
        QVERIFY(m_jack->send("90 3C 64\n"));
        QTest::qWait(200);
        QCOMPARE(volB->value(), 0);

        // Clock and active sensing change nothing.
        QVERIFY(m_jack->send(QByteArray("F8\nFE\n").repeated(200)));
        QTest::qWait(200);
        QCOMPARE(volA->value(), 70);

        show.menu->midiActive()->trigger(); // off
        QVERIFY(!show.menu->midiActive()->isChecked());
    }

    void messagesWaitWhileAPlayerOpens()
    {
        const MidiConsole show([](const ShowFixture& fixture) {
            fixture.exec(R"(update "midi" set "midi1" = 0, "midi2" = 7 where "tipo" = 'VolumeA')");
        });
        QVERIFY(show.listenToTheSender());
        auto* volume = show.main->findChild<QLabel*>("vo1");
        const QString before = volume->text();
        {
            const PlayerWait wait; // as inside a LOAD
            QVERIFY(m_jack->send("B0 07 1E\n"));
            QTest::qWait(300);
            QCOMPARE(volume->text(), before);
        }
        QTRY_COMPARE(volume->text(), QString("30%"));
    }

    void learnMapsANewControl()
    {
        const MidiConsole show([](const ShowFixture& fixture) {
            fixture.exec(
                R"(update "midi" set "midi1" = 3, "midi2" = 21 where "tipo" = 'OpacityA')");
            fixture.exec(R"(insert into "azioni" ("id", "nome", "script")
                            values (1, 'B', 'SETVOLUME,B,30'))");
        });
        const ShowFixture& fixture = show.fixture;
        MainWindow* main = show.main;
        QVERIFY(show.listenToTheSender());

        auto* mapper = static_cast<ControlMapper*>(show.console->window("elencoMIDI"));
        show.menu->midiMapper()->trigger();
        QVERIFY(mapper->isVisible());
        auto* learn = mapper->findChild<QCheckBox*>("chkActiveGetValue");
        learn->click();
        const auto edits = [mapper] {
            QStringList texts;
            for (const char* name : {"txtMIDI1", "txtMIDI2", "txtMIDI3"})
                texts.append(mapper->findChild<QLineEdit*>(name)->text());
            return texts.join(' ');
        };
        // Learning only fills the edits: the mapped opacity stays.
        auto* alphaA = main->findChild<QSlider*>("AlphaTrack1");
        const int opacity = alphaA->value();
        QVERIFY(m_jack->send("B3 15 40\n"));
        QTRY_COMPARE(edits(), QString("3 21 64"));
        QCOMPARE(alphaA->value(), opacity);

        // A fader for VolumeB, saved into its row.
        ReadDataset& rows = main->database().rMIDI;
        QVERIFY(rows.locate("tipo", "VolumeB"));
        mapper->grid()->showCursor();
        QVERIFY(m_jack->send("B3 16 40\n"));
        QTRY_COMPARE(edits(), QString("3 22 64"));
        mapper->findChild<QPushButton*>("btnSave")->click();
        QCOMPARE(fixture.scalar(R"(select "midi2" from "midi" where "tipo" = 'VolumeB')").toInt(),
                 22);

        // A key for the current action.
        QVERIFY(m_jack->send("92 3C 64\n"));
        QTRY_COMPARE(edits(), QString("2 60 100"));
        main->findChild<QPushButton*>("btnGetMidiAction")->click();
        QCOMPARE(fixture
                     .scalar(R"(select count(*) from "midi" where "codice" = 'Action'
                                   and "esegui" = 1 and "midi1" = 2 and "midi2" = 60
                                   and "midi3" = 100)")
                     .toInt(),
                 1);

        // Out of learn mode the new controls act.
        learn->click();
        QCOMPARE(edits(), QString("0 0 0"));
        QVERIFY(m_jack->send("B3 16 7F\n"));
        QTRY_COMPARE(main->findChild<QLabel*>("vo2")->text(), QString("100%"));
        QVERIFY(m_jack->send("92 3C 64\n"));
        QTRY_COMPARE(main->findChild<QLabel*>("vo2")->text(), QString("30%"));
        QVERIFY(m_jack->send("B3 15 00\n"));
        QTRY_COMPARE(alphaA->value(), 255);
        mapper->findChild<QPushButton*>("btnExit")->click();
    }

    void aBurstKeepsTheFirst1024AndSaysHowManyWereLost()
    {
        // VolumeA on key 5: the burst's notes 5, 133 ... 901 (velocities 1 to 8) fit the
        // buffer, 1029 and 1157 (9 and 10) do not.
        const MidiConsole show([](const ShowFixture& fixture) {
            fixture.exec(R"(update "midi" set "midi1" = 0, "midi2" = 5 where "tipo" = 'VolumeA')");
        });
        QVERIFY(show.listenToTheSender());

        LogCapture log;
        auto* volA = show.main->findChild<QSlider*>("volA");
        QVERIFY(m_jack->send("burst 1200\n")); // the console does not take them meanwhile
        QTRY_COMPARE(volA->value(), 100 - 8);
        QTest::qWait(200);
        QCOMPARE(volA->value(), 100 - 8);
        QCOMPARE(log.containing("MIDI messages lost").size(), 1);
        QVERIFY(log.containing("MIDI messages lost").first().startsWith("176 "));
        QVERIFY(m_jack->send("80 05 20\n"));
        QTRY_COMPARE(volA->value(), 100 - 32);
    }

    void aDeviceThatIsGoneLeavesMidiOff()
    {
        const MidiConsole show;
        MainMenu* menu = show.menu;
        QVERIFY(menu->midiActive()->isEnabled());
        // The entry shows a number whose port has another name now.
        QAction* entry = menu->midiDevice()->actions().first();
        entry->setProperty("device", "gone");
        entry->trigger();
        QTimer::singleShot(100, this, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->accept();
        });
        menu->midiActive()->trigger();
        QVERIFY(!menu->midiActive()->isChecked());
    }

    // Last: it stops the server and starts it again.
    void withoutAServerTheEntriesWaitForRefresh()
    {
        m_jack.reset();
        const MidiConsole show;
        MainMenu* menu = show.menu;
        const auto enabled = [menu] {
            return QList<bool>{menu->midiDevice()->menuAction()->isEnabled(),
                               menu->midiActive()->isEnabled(), menu->midiMapper()->isEnabled()};
        };
        QCOMPARE(enabled(), QList<bool>({false, false, false}));
        QVERIFY(startJackSender(m_jack));
        menu->action("Communications/Refresh Midi Device")->trigger();
        QCOMPARE(enabled(), QList<bool>({true, true, true}));
        QStringList devices;
        for (QAction* entry : menu->midiDevice()->actions())
            devices.append(entry->text());
        QVERIFY2(!devices.filter("Quillon test sender").isEmpty(), qPrintable(devices.join(", ")));
    }
};

QTEST_MAIN(TestMidiConsole)
#include "test_midi_console.moc"
