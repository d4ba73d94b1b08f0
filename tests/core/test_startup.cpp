#include "channels/channel_panel.h"
#include "core/console.h"
#include "core/main_menu.h"
#include "core/main_window.h"
#include "support/show_fixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace {
struct FakeMidi : MidiInputDevices {
    QStringList names;
    explicit FakeMidi(QStringList n)
        : names(std::move(n))
    {
    }
    QStringList productNames() override { return names; }
    std::optional<QString> open(int, const QString&, std::function<void()>) override
    {
        return QString("not in this test");
    }
    void close() override {}
    bool isOpen() const override { return false; }
    std::optional<MidiEvent> take() override { return std::nullopt; }
    uint64_t overflows() const override { return 0; }
};

struct FakeCapture : CaptureDevices {
    QStringList videoDevices() override { return {"USB Capture HDMI", "Webcam C920"}; }
    std::optional<CaptureInput> videoInput(const QString&, QString& reason) override
    {
        reason = "not in this test";
        return std::nullopt;
    }
};

// Answers the next message box with OK and keeps its text.
class MessageBoxWatcher : public QObject {
public:
    QStringList texts;
    MessageBoxWatcher()
    {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts.append(box->text());
                box->button(QMessageBox::Ok)->click();
            }
        });
        timer->start(20);
    }
};

template <class W = QWidget> W* child(QWidget* parent, const char* name)
{
    auto* found = parent->findChild<W*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no widget %s", name);
    return found;
}
} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void anUnopenableDatabaseStopsTheStart_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::newRow("missing file") << "/nonexistent/show/";
        QTest::newRow("no trailing separator") << "CACHE_WITHOUT_SLASH";
    }
    void anUnopenableDatabaseStopsTheStart()
    {
        QFETCH(QString, setting);
        const ShowFixture fixture;
        QVERIFY(QFile::exists(fixture.databasePath()));
        // Without its separator the line names ".../cacheQUILLON.FDB", beside the real file.
        if (setting == "CACHE_WITHOUT_SLASH")
            setting = fixture.cacheDir().chopped(1);
        QVERIFY(fixture.settings().write("setting", setting));

        MessageBoxWatcher watcher;
        Console console(fixture.settings(), {});
        QVERIFY(!console.start());
        QCOMPARE(watcher.texts.size(), 1);
        // The reason follows: the database's own words.
        QVERIFY2(watcher.texts.first().startsWith("Database Error\n\n") &&
                     watcher.texts.first().size() > 20,
                 qPrintable(watcher.texts.first()));
        QVERIFY(!console.window("playout"));
    }

    void aNormalStartLeavesAnIdleConsole()
    {
        const ShowFixture fixture;
        fixture.exec(R"(insert into "liste" values ('Second', 2))");
        fixture.exec(R"(insert into "liste" values ('Opening', 1))");
        for (int i = 1; i <= 3; ++i)
            fixture.exec(
                R"(insert into "playlist" ("titolo", "lista", "ordine") values ('clip', 'Opening', ?))",
                {i});
        fixture.exec(
            R"(insert into "playlist" ("titolo", "lista", "ordine") values ('other', 'Second', 1))");
        fixture.exec(
            R"(insert into "layout" ("nome", "ordine", "sx", "sy") values ('Side screen', 0, 1280, 720))");

        PlatformServices services;
        services.capture = std::make_unique<FakeCapture>();
        Console console(fixture.settings(), std::move(services));
        QVERIFY(console.start());
        MainWindow* main = console.main();

        QCOMPARE(main->windowTitle(), QString("  Quillon 2.0"));
        QCOMPARE(QCoreApplication::applicationName(), QString("Quillon 2.0"));
        for (const char* name : {"vo1", "vo2"})
            QCOMPARE(child<QLabel>(main, name)->text(), QString("100%"));
        for (const char* name : {"titolo", "titoloB"})
            QCOMPARE(child<QLabel>(main, name)->text(), QString("Add a clip"));
        for (const char* name : {"CountDownA", "countdownB"})
            QCOMPARE(child<QLabel>(main, name)->text(), QString("00:00:00.000"));
        QVERIFY(child<QPushButton>(main, "btnLayerB")->isChecked());
        QVERIFY(!child<QPushButton>(main, "btnLayerA")->isChecked());
        QVERIFY(child<QLabel>(main, "led1B")->isVisibleTo(main));
        QVERIFY(!child<QLabel>(main, "led1A")->isVisibleTo(main));
        QVERIFY(child<QPushButton>(main, "btnOriginal")->isChecked());
        QCOMPARE(child<QLabel>(main, "txtDurataTransizioneA")->text(), QString("1.0s"));
        QCOMPARE(main->state().selectedChannel, 2);
        QCOMPARE(main->state().codiceA, -1);
        QCOMPARE(main->state().codiceB, -1);
        QCOMPARE(main->screenDpi, 96);
        QCOMPARE(main->state().clipSettings[1].FAlpha, 255);
        QCOMPARE(main->state().clipSettings[2].FAzione1, -1);
        QCOMPARE(child<QLabel>(main, "stageOnAir")->text(), QString("NO ACTIVE"));

        // The first playlist and the first stage by their order.
        QCOMPARE(child<QLabel>(main, "nome")->text(), QString("Opening"));
        QCOMPARE(child<QLabel>(main, "tot1")->text(), QString("3"));
        QCOMPARE(main->database().lista.text("lista"), QString("Opening"));
        QCOMPARE(main->database().layoutdb1.text("nome"), QString("Side screen"));
        QCOMPARE(main->currentStage.sx, 1280);
        QCOMPARE(main->currentStage.sy, 720);

        QCOMPARE(child<QComboBox>(main, "caDevice")->currentText(),
                 QString("video=USB Capture HDMI"));
        QCOMPARE(child<QComboBox>(main, "cbDevice")->count(), 2);
        // No MIDI devices, no Art-Net library: their entries cannot be used.
        QVERIFY(!main->mainMenu()->midiActive()->isEnabled());
        QVERIFY(!main->mainMenu()->midiMapper()->isEnabled());
        QVERIFY(!main->mainMenu()->artNetActive()->isEnabled());
        QVERIFY(!main->mainMenu()->artNetConfiguration()->isEnabled());

        // The twelve windows with their captions; the filter panel and the action pad are
        // docked into the lower-right pages, which show "Stage" first.
        const QList<std::pair<const char*, const char*>> windows = {
            {"layersetup", "STAGE SETUP"},    {"filtri", "  Filter"},
            {"AddConnection", "Connections"}, {"f_azioni", "Action PAD"},
            {"addAction", "Action Script"},   {"playout0", "PlayOut"},
            {"playout", "playout"},           {"playoutB", "Playout B"},
            {"elencoMIDI", "MIDI Mapper"},    {"elencoDMX", "DMX Mapper"}};
        for (const auto& [name, caption] : windows) {
            QVERIFY2(console.window(name), name);
            QCOMPARE(console.window(name)->windowTitle(), QString(caption));
        }
        QVERIFY(console.window("NuovoTesto"));
        auto* pages = child<QTabWidget>(main, "Pagina");
        QCOMPARE(pages->currentIndex(), 0);
        QCOMPARE(pages->tabText(0), QString("Stage"));
        QVERIFY(pages->indexOf(console.window("filtri")) > 0);
        QVERIFY(pages->indexOf(console.window("f_azioni")) > 0);
        QCOMPARE(child<QTabWidget>(main, "pagina2")->tabText(0), QString("LIBRARY"));
        QVERIFY(main->isVisible());
        QVERIFY(!console.window("playout")->isVisible());

        main->close();
        QVERIFY(!main->database().isReadOpen());
    }

    void switchesComeFromTheirFilesAndAreWrittenBack()
    {
        const ShowFixture fixture;
        const SettingsFiles settings = fixture.settings();
        QVERIFY(settings.write("rp_ini", "")); // empty: repeat on
        QVERIFY(settings.write("as_ini", "0"));
        QVERIFY(settings.write("al_ini", "1"));
        QVERIFY(settings.write("ap_ini", "")); // empty: automatic play off
        Console console(settings, {});
        QVERIFY(console.start());
        MainWindow* main = console.main();
        auto* repeat = child<QPushButton>(main, "btnrepeatplaylist");
        QVERIFY(repeat->isChecked());
        QVERIFY(main->mainMenu()->repeatPlaylist()->isChecked());
        QVERIFY(!child<QPushButton>(main, "autostart")->isChecked());
        QVERIFY(child<QPushButton>(main, "chkPlayAfterLoad")->isChecked());
        QVERIFY(!child<QPushButton>(main, "btnAutomatic")->isChecked());

        main->mainMenu()->repeatPlaylist()->trigger();
        QVERIFY(!repeat->isChecked());
        QCOMPARE(settings.readFirstLine("rp_ini"), QString("0"));
        repeat->click();
        QVERIFY(main->mainMenu()->repeatPlaylist()->isChecked());
        QCOMPARE(settings.readFirstLine("rp_ini"), QString("1"));
        repeat->click();
        QCOMPARE(settings.readFirstLine("rp_ini"), QString("0"));

        child<QPushButton>(main, "btnAutomatic")->click();
        QCOMPARE(settings.readFirstLine("ap_ini"), QString("1"));
        child<QPushButton>(main, "chkPlayAfterLoad")->click();
        QCOMPARE(settings.readFirstLine("al_ini"), QString("0"));
    }

    void missingSettingsFilesFallBackToTheirDefaults()
    {
        const ShowFixture fixture;
        for (const char* name : {"screenDPI", "setting", "rp_ini", "as_ini", "al_ini", "ap_ini"})
            QVERIFY(QFile::remove(fixture.settings().path(name)));
        Console console(fixture.settings(), {});
        QVERIFY(console.start()); // the database lies in the cache folder by default
        MainWindow* main = console.main();
        QCOMPARE(main->screenDpi, 96);
        QVERIFY(!child<QPushButton>(main, "btnrepeatplaylist")->isChecked());
        QVERIFY(!child<QPushButton>(main, "autostart")->isChecked());
        child<QPushButton>(main, "autostart")->click();
        QCOMPARE(fixture.settings().readFirstLine("as_ini"), QString("1"));
    }

    void midiDevicesFillTheirMenu()
    {
        const ShowFixture fixture;
        PlatformServices services;
        services.midi =
            std::make_unique<FakeMidi>(QStringList{"Launchpad", "nanoKONTROL2", "UM-ONE"});
        Console console(fixture.settings(), std::move(services));
        QVERIFY(console.start());
        MainMenu* menu = console.main()->mainMenu();
        const QList<QAction*> entries = menu->midiDevice()->actions();
        QStringList captions;
        for (QAction* entry : entries)
            captions.append(entry->text());
        QCOMPARE(captions,
                 QStringList({"Launchpad (ID 0)", "nanoKONTROL2 (ID 1)", "UM-ONE (ID 2)"}));
        QVERIFY(entries.at(2)->isChecked());
        QVERIFY(!entries.at(0)->isChecked());
        QCOMPARE(menu->midiActive()->data().toInt(), 2);
        QVERIFY(!menu->midiActive()->isChecked());
        QVERIFY(menu->midiActive()->isEnabled());
        QVERIFY(menu->midiMapper()->isEnabled());
    }

    void resetKeepsFiltersWhenLoadFiltersIsOff()
    {
        const ShowFixture fixture;
        Console console(fixture.settings(), {});
        QVERIFY(console.start());
        MainWindow* main = console.main();
        main->state().clipSettings[1].FIn = 5000000;
        main->state().clipSettings[1].FBrightness = 0.3;
        main->state().codiceA = 12;
        child<QCheckBox>(main, "chkLoadFilters")->setChecked(false);
        main->reset_info(1);
        QCOMPARE(main->state().clipSettings[1].FIn, 0);
        QCOMPARE(main->state().clipSettings[1].FBrightness, 0.3);
        QCOMPARE(main->state().codiceA, -1);
        child<QCheckBox>(main, "chkLoadFilters")->setChecked(true);
        main->reset_info(1);
        QCOMPARE(main->state().clipSettings[1].FBrightness, 0.0);
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
