// Several workstations on one show database: consoles on a Firebird server that the test
// starts on 127.0.0.1, and a console that loses the server while a clip plays.
#include "core/main_menu.h"
#include "data/database_file.h"
#include "data/show_database.h"
#include "media/ff_player.h"
#include "media/test_media.h"
#include "support/modal_answers.h"
#include "support/show_fixture.h"
#include "ui/dataset_grid.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include "core/console.h"
#include "core/main_window.h"

namespace {
const QString ServerProgram = QStringLiteral("/usr/sbin/firebird");
// Debian's package keeps the SYSDBA password it made here.
const QString PasswordFile = QStringLiteral("/etc/firebird/3.0/SYSDBA.password");

bool serverAnswers()
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), 3050);
    return socket.waitForConnected(200);
}

QString sysdbaPassword()
{
    QFile file(PasswordFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // A line ISC_PASSWORD="...", the quotes optional.
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith("ISC_PASSWORD="))
            return QString::fromUtf8(line.mid(13)).remove('"').trimmed();
    return {};
}

// A console of one workstation: its own cache folder whose "setting" names the server.
struct Workstation {
    QTemporaryDir cache;
    std::unique_ptr<Console> console;
    MainWindow* main = nullptr;

    explicit Workstation(const QString& serverFolder)
    {
        const SettingsFiles settings(cache.path() + '/');
        settings.installDefaults();
        settings.write(SettingsFile::Setting, "127.0.0.1:" + serverFolder);
        console = std::make_unique<Console>(settings, PlatformServices{});
        if (!console->start())
            qFatal("the console did not start on the server");
        main = console->main();
    }
    template <class W = QWidget> W* child(const char* name) const
    {
        return main->findChild<W*>(QString::fromLatin1(name));
    }
    QStringList playlists() const
    {
        QStringList names;
        QAbstractItemModel* model = child<DatasetGrid>("sceltalista")->model();
        for (int row = 0; row < model->rowCount(); ++row)
            names.append(model->index(row, 0).data().toString());
        return names;
    }
    void clickPlaylist(const QString& name) const
    {
        auto* buttons = child<DatasetGrid>("sceltalista");
        const QModelIndex button = buttons->model()->index(int(playlists().indexOf(name)), 0);
        QTest::mouseClick(buttons->viewport(), Qt::LeftButton, {},
                          buttons->visualRect(button).center());
    }
    void createPlaylist(const QString& name) const
    {
        ModalAnswers answers;
        answers.text(name);
        main->mainMenu()->action("Library/Playlists/Create new")->trigger();
    }
};
} // namespace

class TestShowServer : public QObject {
    Q_OBJECT
    QProcess m_server;
    QTemporaryDir m_folder; // where the server keeps the show

    void startServer()
    {
        m_server.start(ServerProgram, {});
        QVERIFY(m_server.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(serverAnswers(), 10000);
    }
    void stopServer()
    {
        m_server.kill();
        m_server.waitForFinished(5000);
        QTRY_VERIFY_WITH_TIMEOUT(!serverAnswers(), 5000);
    }

private slots:
    void initTestCase()
    {
        if (!QFile::exists(ServerProgram))
            QSKIP("the Firebird server is not installed (Debian package firebird3.0-server)");
        const QString password = sysdbaPassword();
        if (password.isEmpty())
            QSKIP("the SYSDBA password of the Firebird server is not readable in "
                  "/etc/firebird/3.0/SYSDBA.password");
        if (serverAnswers())
            QSKIP("a Firebird server runs already on 127.0.0.1:3050; this test starts and "
                  "stops one of its own");
        qputenv("QUILLON_DB_PASSWORD", password.toUtf8());
        startServer();
        const QString error =
            createShowDatabase("127.0.0.1:" + m_folder.path() + '/' + ShowDatabase::FileName);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void cleanupTestCase()
    {
        if (m_server.state() != QProcess::NotRunning)
            stopServer();
    }

    void twoWorkstationsShareOneShow()
    {
        Workstation stage(m_folder.path() + '/');
        Workstation booth(m_folder.path() + '/');
        stage.createPlaylist("Gala");
        QCOMPARE(stage.playlists(), QStringList{"Gala"});
        QCOMPARE(booth.playlists(), QStringList{});

        booth.createPlaylist("Encore"); // reads the show again: Gala is there
        QCOMPARE(booth.playlists(), QStringList({"Gala", "Encore"}));
        stage.clickPlaylist("Gala"); // a click shows what the booth made
        QCOMPARE(stage.playlists(), QStringList({"Gala", "Encore"}));

        ModalAnswers answers;
        answers.text("Encore");
        answers.button("OK");
        stage.main->mainMenu()->action("Library/Playlists/Create new")->trigger();
        QCOMPARE(answers.seen.value(1), QString("A playlist named \"Encore\" exists already."));
    }

    void losingTheServerNeverEndsTheConsole()
    {
        Workstation stage(m_folder.path() + '/');
        stage.createPlaylist("Tour");
        stage.main->addClips({media("clip_6s.mp4")});
        stage.createPlaylist("Tour 2");
        stage.clickPlaylist("Tour");
        QCOMPARE(stage.main->database().playlist.count(), 1);
        stage.child<QPushButton>("chkPlayAfterLoad")->setChecked(true);
        stage.child<QPushButton>("btnPlayA")->click(); // into Player B, the selected channel
        TFFPlayer* player = stage.main->channels().ThePlayer(2);
        QTRY_COMPARE(player->PlayState(), psPlay);

        stopServer();
        {
            ModalAnswers answers;
            answers.button("OK");
            stage.clickPlaylist("Tour 2");
            QCOMPARE(answers.seen.size(), 1);
            QVERIFY2(answers.seen.first().startsWith("The show database cannot be read:"),
                     qPrintable(answers.seen.first()));
        }
        // The show goes on, and the console stays on what it showed.
        QCOMPARE(player->PlayState(), psPlay);
        QCOMPARE(stage.child<QLabel>("nome")->text(), QString("Tour"));
        QCOMPARE(stage.main->database().playlist.count(), 1);
        {
            ModalAnswers answers;
            answers.text("Finale");
            answers.button("OK");
            stage.main->mainMenu()->action("Library/Playlists/Create new")->trigger();
            QCOMPARE(answers.seen.size(), 2); // the prompt, then the failure
        }

        startServer();
        ModalAnswers answers;
        stage.clickPlaylist("Tour 2");
        QVERIFY2(answers.seen.isEmpty(), qPrintable(answers.seen.join('\n')));
        QCOMPARE(stage.child<QLabel>("nome")->text(), QString("Tour 2"));
        QVERIFY(!stage.playlists().contains("Finale"));
        QCOMPARE(player->PlayState(), psPlay);
    }
};

QTEST_MAIN(TestShowServer)
#include "test_show_server.moc"
