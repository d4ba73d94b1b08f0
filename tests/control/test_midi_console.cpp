// MIDI on the console: a real RtMidi sender on a JACK server (dummy back-end) drives the map's
// control commands and actions.
#include "automation/action_runner.h"
#include "control/jack_sender.h"
#include "core/console.h"
#include "core/main_menu.h"
#include "core/main_window.h"
#include "core/system_devices.h"
#include "stage/output_window.h"
#include "support/show_fixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

class TestMidiConsole : public QObject {
    Q_OBJECT
    std::unique_ptr<JackSender> m_jack;

private slots:
    void initTestCase() { startJackSender(m_jack); }

    void cleanupTestCase() { m_jack.reset(); }

    void theMapDrivesTheConsole()
    {
        ShowFixture fixture;
        // A fresh show reacts to nothing: its control rows wait on channel 16.
        QCOMPARE(fixture.scalar(R"(select count(*) from "midi" where "midi1" <> 16)").toInt(), 0);
        fixture.exec(R"(update "midi" set "midi1" = 0, "midi2" = 7 where "tipo" = 'VolumeA')");
        fixture.exec(R"(update "midi" set "midi1" = 0, "midi2" = 8 where "tipo" = 'OpacityA')");
        fixture.exec(
            R"(insert into "azioni" ("id", "nome", "script") values (1, 'B', 'SETVOLUME,B,30'))");
        fixture.exec(R"(insert into "midi" ("codice", "tipo", "esegui", "fisso", "midi1", "midi2",
                        "midi3") values ('Action', 'B', 1, 0, 0, 60, 100))");
        PlatformServices services;
        services.midi = std::make_unique<SystemMidiInput>();
        Console console(fixture.settings(), std::move(services));
        QVERIFY(console.start());
        MainWindow* main = console.main();
        MainMenu* menu = main->mainMenu();

        // The sender's port in the device menu, chosen, then "Midi Active".
        QAction* sender = nullptr;
        for (QAction* entry : menu->midiDevice()->actions())
            if (entry->text().contains("Quillon test sender"))
                sender = entry;
        QVERIFY(sender);
        QVERIFY(menu->midiActive()->isEnabled());
        sender->trigger();
        menu->midiActive()->trigger();
        QVERIFY(menu->midiActive()->isChecked());

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
        QVERIFY(m_jack->send("90 3C 64\n"));
        QTRY_COMPARE(volB->value(), 70);
        volB->setValue(0);
        main->findChild<QCheckBox*>("chkActionActivated")->click();
        QVERIFY(m_jack->send("90 3C 64\n"));
        QTest::qWait(200);
        QCOMPARE(volB->value(), 0);

        // Clock and active sensing change nothing.
        QVERIFY(m_jack->send(QByteArray("F8\nFE\n").repeated(200)));
        QTest::qWait(200);
        QCOMPARE(volA->value(), 70);

        menu->midiActive()->trigger(); // off
        QVERIFY(!menu->midiActive()->isChecked());
        main->closeWithoutAsking();
    }

    void aDeviceThatIsGoneLeavesMidiOff()
    {
        ShowFixture fixture;
        PlatformServices services;
        services.midi = std::make_unique<SystemMidiInput>();
        Console console(fixture.settings(), std::move(services));
        QVERIFY(console.start());
        MainMenu* menu = console.main()->mainMenu();
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
        console.main()->closeWithoutAsking();
    }
};

QTEST_MAIN(TestMidiConsole)
#include "test_midi_console.moc"
