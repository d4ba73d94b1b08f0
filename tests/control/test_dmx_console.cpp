// DMX on the console: real Art-Net datagrams to 127.0.0.2 drive the map's actions and control
// commands, and the DMX mapper learns.
#include "automation/action_runner.h"
#include "control/artnet_sender.h"
#include "core/console.h"
#include "core/main_menu.h"
#include "core/main_window.h"
#include "core/system_devices.h"
#include "shared/player_wait.h"
#include "support/modal_answers.h"
#include "support/show_fixture.h"
#include "ui/artnet_dialog.h"
#include "ui/control_mapper.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

namespace {
// A console with the program's Art-Net reception listening on 127.0.0.2, on a show with the
// action "Volume" (id 1) mapped to channel 1 at 255, OpacityB on channel 5 and BrightnessA on
// channel 6.
struct DmxConsole {
    ShowFixture fixture;
    std::unique_ptr<Console> console;
    MainWindow* main = nullptr;
    MainMenu* menu = nullptr;
    SystemArtNet* artNet = nullptr;

    DmxConsole()
    {
        fixture.exec(R"(insert into "azioni" ("id", "nome", "script")
                        values (1, 'Volume', 'SETVOLUME,B,30'))");
        fixture.exec(R"(insert into "dmx" ("codice", "tipo", "esegui", "fisso", "universo",
                        "subnet", "channel", "valore") values ('Action', 'Volume', 1, 0, 0, 0, 1,
                        255))");
        fixture.exec(R"(update "dmx" set "channel" = 5 where "tipo" = 'OpacityB')");
        fixture.exec(R"(update "dmx" set "channel" = 6 where "tipo" = 'BrightnessA')");
        const QString settings = fixture.cacheDir() + ArtNetSettings::FileName;
        testArtNetSettings().save(settings);
        PlatformServices services;
        services.loadArtNet = [this, settings] {
            auto made = std::make_unique<SystemArtNet>(settings);
            artNet = made.get();
            return made;
        };
        console = std::make_unique<Console>(fixture.settings(), std::move(services));
        if (!console->start())
            qFatal("the console did not start");
        main = console->main();
        menu = main->mainMenu();
    }
    ~DmxConsole() { main->closeWithoutAsking(); }

    template <class W> W* child(const char* name) const
    {
        return main->findChild<W*>(QString::fromLatin1(name));
    }
};
} // namespace

class TestDmxConsole : public QObject {
    Q_OBJECT

private slots:
    void theMapDrivesTheConsole()
    {
        const DmxConsole show;
        QAction* active = show.menu->artNetActive();
        QVERIFY(active->isEnabled());
        QVERIFY(!show.menu->artNetConfiguration()->isEnabled());
        active->trigger();
        QVERIFY(active->isChecked());
        QVERIFY(show.menu->artNetConfiguration()->isEnabled());
        ArtNetSender desk;

        // The action runs once for 100 frames at 255, never at 254, once more back at 255,
        // whatever "Action activated" says.
        show.child<QCheckBox>("chkActionActivated")->click();
        QVERIFY(!show.child<QCheckBox>("chkActionActivated")->isChecked());
        auto* volB = show.child<QSlider>("volB");
        QSignalSpy runs(&show.main->runner(), &ActionRunner::finishedAll);
        for (int i = 0; i < 100; ++i)
            QVERIFY(desk.frame(0, 0, QByteArray("\xFF", 1)));
        QTRY_COMPARE(volB->value(), 70);
        QTest::qWait(300);
        QCOMPARE(runs.size(), 1);
        volB->setValue(0);
        QVERIFY(desk.frame(0, 0, QByteArray("\xFE", 1)));
        QTest::qWait(300);
        QCOMPARE(volB->value(), 0);
        QVERIFY(desk.frame(0, 0, QByteArray("\xFF", 1)));
        QTRY_COMPARE(volB->value(), 70);
        QTest::qWait(100);
        QCOMPARE(runs.size(), 2);
        QVERIFY(show.main->levelMetersOn());

        // OpacityB on channel 5, BrightnessA on channel 6.
        auto* alphaB = show.child<QSlider>("AlphaTrack2");
        auto* brightnessA = show.child<QSlider>("b");
        const QList<std::tuple<int, int, QSlider*, int>> moves = {{5, 0, alphaB, 255},
                                                                  {5, 128, alphaB, 127},
                                                                  {5, 255, alphaB, 0},
                                                                  {6, 127, brightnessA, 0},
                                                                  {6, 0, brightnessA, 100}};
        for (const auto& [channel, value, bar, position] : moves) {
            QByteArray values(channel, 0);
            values[0] = char(0xFE); // the action stays quiet
            values[channel - 1] = char(value);
            QVERIFY(desk.frame(0, 0, values));
            QTRY_COMPARE(bar->value(), position);
        }

        // Off: nothing happens; on again: it listens again.
        active->trigger();
        QVERIFY(!active->isChecked());
        QVERIFY(!show.menu->artNetConfiguration()->isEnabled());
        const int opacity = alphaB->value();
        QVERIFY(desk.frame(0, 0, QByteArray("\xFE\0\0\0\x40", 5)));
        QTest::qWait(300);
        QCOMPARE(alphaB->value(), opacity);
        active->trigger();
        QVERIFY(active->isChecked());
        QVERIFY(desk.frame(0, 0, QByteArray("\xFE\0\0\0\x40", 5)));
        QTRY_COMPARE(alphaB->value(), 255 - 0x40);
    }

    void valuesWaitWhileAPlayerOpens()
    {
        const DmxConsole show;
        show.menu->artNetActive()->trigger();
        QVERIFY(show.menu->artNetActive()->isChecked());
        ArtNetSender desk;
        auto* alphaB = show.child<QSlider>("AlphaTrack2");
        auto* volB = show.child<QSlider>("volB");
        {
            const PlayerWait wait; // as inside a LOAD
            QVERIFY(desk.frame(0, 0, QByteArray("\xFF\0\0\0\x40", 5)));
            QTest::qWait(300);
            QCOMPARE(alphaB->value(), 0);
            QCOMPARE(volB->value(), 0);
        }
        QTRY_COMPARE(alphaB->value(), 255 - 0x40);
        QTRY_COMPARE(volB->value(), 70);
    }

    void theMapperLearnsWhatTheDeskSends()
    {
        const DmxConsole show;
        show.menu->artNetActive()->trigger();
        auto* mapper = static_cast<ControlMapper*>(show.console->window("elencoDMX"));
        show.menu->action("Communications/DMX Mapper")->trigger();
        QVERIFY(mapper->isVisible());
        mapper->findChild<QCheckBox*>("chkActiveGetValue")->click();
        const auto edits = [mapper] {
            QStringList texts;
            for (const char* name : {"txtUniverso", "txtSubNet", "txtChannel", "txtValue"})
                texts.append(mapper->findChild<QLineEdit*>(name)->text());
            return texts.join(' ');
        };
        ArtNetSender desk;
        auto* alphaB = show.child<QSlider>("AlphaTrack2");
        const int opacity = alphaB->value();
        // SubUni 0x23: subnet 2, universe 3; channel 9 at 77.
        QVERIFY(desk.frame(2, 3, QByteArray(8, 0) + char(77)));
        QTRY_COMPARE(edits(), QString("3 2 9 77"));
        // Learning runs nothing: channel 5 of universe 0 is OpacityB's.
        QVERIFY(desk.frame(0, 0, QByteArray("\0\0\0\0\x40", 5)));
        QTRY_COMPARE(edits(), QString("0 0 5 64"));
        QCOMPARE(alphaB->value(), opacity);
    }

    void theConfigurationChangesWhatIsHeard()
    {
        const DmxConsole show;
        show.menu->artNetActive()->trigger();
        ArtNetSender desk;
        QVERIFY(desk.frame(0, 0, QByteArray("\x01", 1)));
        QTRY_COMPARE(show.artNet->receiver().counters().accepted, uint64_t(1));

        // The dialog shows the counters; a wrong address is refused, Net 1 is saved.
        QStringList shown;
        QTimer::singleShot(200, [&] {
            auto* dialog = qobject_cast<ArtNetDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            shown.append(dialog->findChild<QLabel*>("lblCounters")->text());
            dialog->findChild<QLineEdit*>("txtAddress")->setText("127.0.0.2.7");
            dialog->findChild<QPushButton*>("btnSave")->click();
            shown.append(dialog->findChild<QLabel*>("lblProblem")->text());
            dialog->findChild<QLineEdit*>("txtAddress")->setText("127.0.0.2");
            dialog->findChild<QSpinBox*>("spinNet")->setValue(1);
            dialog->findChild<QPushButton*>("btnSave")->click();
        });
        show.menu->artNetConfiguration()->trigger();
        QCOMPARE(shown.size(), 2);
        QVERIFY2(shown.at(0).startsWith("Frames accepted: 1\n"), qPrintable(shown.at(0)));
        QCOMPARE(shown.at(1), QString("'127.0.0.2.7' is not an IPv4 address"));
        QCOMPARE(ArtNetSettings::load(show.fixture.cacheDir() + ArtNetSettings::FileName).net, 1);
        QVERIFY(show.menu->artNetActive()->isChecked());

        // Listening again on Net 1: Net 0 is ignored now.
        auto* alphaB = show.child<QSlider>("AlphaTrack2");
        QVERIFY(desk.send(makeArtDmx(0, 0, 0, QByteArray("\0\0\0\0\x40", 5))));
        QVERIFY(desk.send(makeArtDmx(1, 0, 0, QByteArray("\0\0\0\0\x50", 5))));
        QTRY_COMPARE(alphaB->value(), 255 - 0x50);
        QTRY_COMPARE(show.artNet->receiver().counters().otherNet, uint64_t(1));
    }

    void aTakenPortLeavesArtNetOff()
    {
        QUdpSocket other;
        QVERIFY(other.bind(ArtNetSender::Listening, ArtNetReceiver::Port));
        const DmxConsole show;
        ModalAnswers answers;
        answers.button("OK");
        show.menu->artNetActive()->trigger();
        QVERIFY(!show.menu->artNetActive()->isChecked());
        QVERIFY(!show.menu->artNetConfiguration()->isEnabled());
        QCOMPARE(answers.seen.size(), 1);
        QVERIFY2(answers.seen.first().startsWith("Art-Net cannot listen on 127.0.0.2 port 6454"),
                 qPrintable(answers.seen.first()));
    }
};

QTEST_MAIN(TestDmxConsole)
#include "test_dmx_console.moc"
