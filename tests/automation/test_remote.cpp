// The command server on a started console, driven by real TCP clients on 127.0.0.1.
#include "automation/action_runner.h"
#include "automation/connection_senders.h"
#include "automation/connection_store.h"
#include "automation/network_fixtures.h"
#include "automation/remote_command_server.h"
#include "core/main_menu.h"
#include "media/test_media.h"
#include "support/log_capture.h"
#include "support/modal_answers.h"
#include "support/show_console.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// A console whose command server listens, switched on as the operator does.
struct ServedShow : Show {
    quint16 port = freePort();

    ServedShow()
    {
        child<QLineEdit>("txtPort")->setText(QString::number(port));
        child<QCheckBox>("chkServerActive")->click();
        if (!main->commandServer().listening())
            qFatal("the command server does not listen");
    }

    // Connects, writes the bytes, and leaves the connection to the server.
    QTcpSocket* send(const QByteArray& bytes)
    {
        auto* client = new QTcpSocket(main);
        client->connectToHost(QHostAddress::LocalHost, port);
        if (!client->waitForConnected(3000))
            qFatal("no connection to the command server");
        client->write(bytes);
        client->waitForBytesWritten(3000);
        return client;
    }
    bool waitIdle() const
    {
        return QTest::qWaitFor([this] { return main->runner().idle(); }, 10000);
    }
    QSlider* slider(const char* name) const { return child<QSlider>(name); }
};
} // namespace

class TestRemote : public QObject {
    Q_OBJECT
private slots:
    void aLineBecomesCommands_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QStringList>("commands");
        QTest::newRow("dots and CR") << QByteArray("PLAY.A\r") << QStringList{"PLAY,A"};
        QTest::newRow("three commands") << QByteArray("STOP.AB|LOAD.A.12|PLAY.A")
                                        << QStringList{"STOP,AB", "LOAD,A,12", "PLAY,A"};
        QTest::newRow("a decimal point splits")
            << QByteArray("SETOPACITY.A.127.5") << QStringList{"SETOPACITY,A,127,5"};
        QTest::newRow("only a bar") << QByteArray("|") << QStringList{"", ""};
        QTest::newRow("trailing blanks") << QByteArray("PLAY,B \t ") << QStringList{"PLAY,B"};
        QTest::newRow("twenty-one") << QByteArray(20, '|') << QStringList(21, QString());
    }
    void aLineBecomesCommands()
    {
        QFETCH(QByteArray, line);
        QFETCH(QStringList, commands);
        QCOMPARE(RemoteCommandServer::commandsOf(line), std::optional(commands));
    }

    void moreThanTwentyOneCommandsAreRefusedWhole()
    {
        QCOMPARE(RemoteCommandServer::commandsOf(QByteArray(21, '|')), std::nullopt);
        LogCapture log;
        ServedShow show;
        show.send("SETVOLUME.A.10" + QByteArray(21, '|') + "\r\n");
        QTRY_COMPARE(log.containing("the message is refused").size(), 1);
        QCOMPARE(show.slider("volA")->value(), 0);
    }

    void messagesDriveTheConsole()
    {
        ServedShow show;
        const QList<int> clips = show.add({media("clip_6s.mp4"), media("video_only.mp4")});
        show.load(1, clips[0]);
        show.load(2, clips[1]);
        QTRY_COMPARE(show.label("pausedA"), QString("PAUSED"));

        show.send("PLAY.A\r\n");
        QTRY_COMPARE(show.label("pausedA"), QString("PLAYING"));

        show.send(QStringLiteral("STOP.AB|LOAD.A.%1|PLAY.A\r\n").arg(clips[1]).toLatin1());
        QTRY_COMPARE(show.main->state().codiceA, clips[1]);
        QVERIFY(show.waitIdle());
        QCOMPARE(show.main->state().codiceB, -1);
        QTRY_COMPARE(show.label("pausedA"), QString("PLAYING"));

        show.send("SETOPACITY.A.127.5\n");
        QTRY_COMPARE(show.slider("AlphaTrack1")->value(), 128);
        show.send("|\r\n");
        QVERIFY(show.waitIdle());
    }

    void oneMessageAConnectionWholeAndOnce()
    {
        ServedShow show;
        QList<int> volumes;
        connect(show.slider("volA"), &QSlider::valueChanged, this,
                [&volumes](int value) { volumes.append(value); });

        // Split across two writes: runs once, when the line is whole.
        QTcpSocket* client = show.send("SETVOLUME.A.");
        QTest::qWait(300);
        QVERIFY(volumes.isEmpty());
        client->write("30\r\n");
        QTRY_COMPARE(volumes, QList<int>{70});
        // The server closes the connection after its line; a second line is not read.
        QTRY_COMPARE(client->state(), QAbstractSocket::UnconnectedState);
        show.send("SETVOLUME.A.10\nSETVOLUME.A.20\n");
        QTRY_COMPARE(volumes, (QList<int>{70, 90}));
        QTest::qWait(100);
        QCOMPARE(volumes.size(), 2);

        // A line without its line feed, then the close: nothing.
        QTcpSocket* cut = show.send("SETVOLUME.A.50");
        cut->disconnectFromHost();
        QTest::qWait(200);
        QCOMPARE(volumes.size(), 2);
    }

    void twentyClientsAtOnceAreAllHeard()
    {
        ServedShow show;
        QList<int> volumes;
        connect(show.slider("volA"), &QSlider::valueChanged, this,
                [&volumes](int value) { volumes.append(value); });
        QList<QTcpSocket*> clients;
        for (int i = 1; i <= 20; ++i) {
            auto* client = new QTcpSocket(show.main);
            client->connectToHost(QHostAddress::LocalHost, show.port);
            clients.append(client);
        }
        for (int i = 0; i < 20; ++i) {
            QVERIFY(clients.at(i)->waitForConnected(3000));
            clients.at(i)->write(QStringLiteral("SETVOLUME.A.%1\r\n").arg(i + 1).toLatin1());
        }
        QTRY_COMPARE_WITH_TIMEOUT(volumes.size(), 20, 5000);
        QVERIFY(show.waitIdle());
        QList<int> expected;
        for (int i = 1; i <= 20; ++i)
            expected.append(100 - i);
        QList<int> seen = volumes;
        std::sort(seen.begin(), seen.end(), std::greater<>());
        QCOMPARE(seen, expected); // each message once
    }

    void anErrorIsShownWithoutABoxAndTheServerStaysUp()
    {
        ServedShow show;
        ModalAnswers answers;
        show.send("SETOPACITY.A.x\r\n");
        QTRY_VERIFY(
            show.main->statusBar()->currentMessage().contains("'x' is not a valid integer value"));
        QVERIFY(show.main->statusBar()->currentMessage().contains("message from 127.0.0.1:"));
        show.send("SETOPACITY.A.55\r\n");
        QTRY_COMPARE(show.slider("AlphaTrack1")->value(), 200);
        QVERIFY(answers.seen.isEmpty());
    }

    void junkIsCutOff()
    {
        LogCapture log;
        ServedShow show;
        QTcpSocket* longLine = show.send(QByteArray(RemoteCommandServer::MaxLineBytes + 10, 'x'));
        QTRY_COMPARE(longLine->state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(log.containing("bytes from").size(), 1);
        QCOMPARE(show.main->runner().idle(), true);
    }

    void idleConnectionsGiveWayToNewOnes()
    {
        ServedShow show;
        QList<QTcpSocket*> idle;
        int connected = 0;
        for (int i = 0; i < RemoteCommandServer::MaxConnections + 10; ++i) {
            auto* client = new QTcpSocket(show.main);
            connect(client, &QTcpSocket::connected, this, [&connected] { ++connected; });
            client->connectToHost(QHostAddress::LocalHost, show.port);
            idle.append(client);
        }
        QTRY_COMPARE_WITH_TIMEOUT(connected, int(idle.size()), 10000);
        show.send("SETVOLUME.A.25\r\n");
        QTRY_COMPARE(show.slider("volA")->value(), 75);
        QTRY_COMPARE(idle.first()->state(), QAbstractSocket::UnconnectedState); // the oldest
    }

    void theSwitchAndThePort()
    {
        ServedShow show;
        auto* active = show.child<QCheckBox>("chkServerActive");
        active->click(); // off: connections are refused
        QVERIFY(!show.main->commandServer().listening());
        QTcpSocket refused;
        refused.connectToHost(QHostAddress::LocalHost, show.port);
        QVERIFY(!refused.waitForConnected(1000));

        // A port in use: the network's error, and the box shows the server is not listening.
        QTcpServer other;
        QVERIFY(other.listen(QHostAddress::Any, show.port));
        ModalAnswers answers;
        active->click();
        QVERIFY(!active->isChecked());
        QVERIFY(!show.main->commandServer().listening());
        QCOMPARE(answers.seen.size(), 1);

        for (const char* port : {"70000", "", "0"}) {
            show.child<QLineEdit>("txtPort")->setText(port);
            active->click();
            QVERIFY(!active->isChecked());
        }
        QCOMPARE(answers.seen.mid(1), (QStringList{"'70000' is not a valid integer value",
                                                   "'' is not a valid integer value",
                                                   "'0' is not a valid integer value"}));
    }
};

namespace {
// Fills the "Connections" dialog when it shows, presses "SAVE", and says whether it closed.
struct ConnectionAnswer {
    QString name;
    int type = 0;
    QString host, port, url, username, password;
};

void answerConnectionDialog(StartedConsole& console, const QList<ConnectionAnswer>& tries,
                            QList<bool>* closed)
{
    QTimer::singleShot(50, console.main, [&console, tries, closed] {
        auto* dialog = console.console->window("AddConnection");
        QTRY_VERIFY(dialog->isVisible());
        for (const ConnectionAnswer& answer : tries) {
            dialog->findChild<QLineEdit*>("nome")->setText(answer.name);
            dialog->findChildren<QRadioButton*>().at(answer.type)->click();
            const QList<std::pair<const char*, QString>> fields = {{"host", answer.host},
                                                                   {"port", answer.port},
                                                                   {"url", answer.url},
                                                                   {"username", answer.username},
                                                                   {"password", answer.password}};
            for (const auto& [name, text] : fields)
                dialog->findChild<QLineEdit*>(name)->setText(text);
            dialog->findChild<QPushButton*>("btnSave")->click();
            closed->append(!dialog->isVisible());
            if (!dialog->isVisible())
                return;
        }
        dialog->findChild<QPushButton*>("btnCancel")->click();
    });
}

void triggerConnectionEntry(StartedConsole& console, const QString& entry)
{
    for (QAction* action : console.main->findChild<QMenu*>("mConn")->actions())
        if (action->text() == entry) {
            action->trigger();
            return;
        }
    qFatal("no entry %s", qPrintable(entry));
}
} // namespace

class TestConnections : public QObject {
    Q_OBJECT
private slots:
    void addressRules_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("taken");
        QTest::newRow("four groups") << "192.168.1.10" << true;
        QTest::newRow("two dots") << "192.168.1" << false;
        QTest::newRow("above 255") << "256.1.1.1" << false;
        QTest::newRow("empty group") << "1..2.3" << false;
        QTest::newRow("leading dot") << ".1.2.3" << false;
        QTest::newRow("five groups, as always") << "1.2.3.4.5" << true;
        QTest::newRow("four digits") << "1.2.3.1000" << false;
        QTest::newRow("a name") << "host.example.org" << false;
        QTest::newRow("a shell") << "1.2.3.4;rm" << false;
        QTest::newRow("nothing") << "" << false;
    }
    void addressRules()
    {
        QFETCH(QString, address);
        QFETCH(bool, taken);
        QCOMPARE(isConnectionAddress(address), taken);
    }

    void theDialogChecksWhatTheTypeNeeds()
    {
        StartedConsole show;
        QList<bool> closed;
        answerConnectionDialog(show,
                               {{"", 0, "127.0.0.1", "1717"},
                                {"Desk", 0, "192.168.1", "1717"},
                                {"Desk", 0, "127.0.0.1", "70000"},
                                {"Desk", 0, "127.0.0.1", ""},
                                {"Desk", 0, "127.0.0.1", "1717"}},
                               &closed);
        triggerConnectionEntry(show, "Create a connection");
        QCOMPARE(closed, (QList<bool>{false, false, false, false, true}));
        QCOMPARE(show.fixture.scalar(R"(select "tiponome" from "connessioni" where "id" = 1)")
                     .toString()
                     .trimmed(),
                 QString("TCP"));
        QCOMPARE(show.fixture.scalar(R"(select "port" from "connessioni" where "id" = 1)").toInt(),
                 1717);

        closed.clear();
        answerConnectionDialog(show, {{"Peer", 3, "", ""}}, &closed);
        triggerConnectionEntry(show, "Create a connection");
        QCOMPARE(closed, QList<bool>{true}); // another Quillon may wait for its address
        closed.clear();
        answerConnectionDialog(
            show,
            {{"Web", 2, "", "", "file:///etc/passwd"}, {"Web", 2, "", "", "http://127.0.0.1/cue"}},
            &closed);
        triggerConnectionEntry(show, "Create a connection");
        QCOMPARE(closed, (QList<bool>{false, true}));
        QCOMPARE(show.fixture.scalar(R"(select count(*) from "connessioni")").toInt(), 3);
        QCOMPARE(show.main->database().dbConn.integer("id"), 3);

        // Editing keeps the id; deleting asks first.
        QVERIFY(show.main->database().dbConn.locate("id", 1));
        closed.clear();
        answerConnectionDialog(show, {{"Desk 2", 1, "10.0.0.5", "9000"}}, &closed);
        triggerConnectionEntry(show, "Edit connection");
        QCOMPARE(show.fixture.scalar(R"(select "tiponome" from "connessioni" where "id" = 1)")
                     .toString()
                     .trimmed(),
                 QString("UDP"));
        ModalAnswers answers;
        answers.button("Yes");
        triggerConnectionEntry(show, "Delete connection");
        QCOMPARE(answers.seen, QStringList{"Are you sure to delete connection: Desk 2"});
        QCOMPARE(show.fixture.scalar(R"(select count(*) from "connessioni")").toInt(), 2);
    }

    void testingAConnection()
    {
        Listener tcp;
        Listener web;
        QList<QByteArray> requests;
        connect(&web.server, &QTcpServer::newConnection, this, [&] {
            QTcpSocket* socket = web.open.last();
            connect(socket, &QTcpSocket::readyRead, socket, [&web, &requests, socket] {
                if (!web.received.last().contains("\r\n\r\n"))
                    return;
                requests.append(web.received.last());
                const bool missing = web.received.last().startsWith("GET /missing");
                socket->write(missing ? "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"
                                      : "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
                socket->disconnectFromHost();
            });
        });
        const quint16 dead = freePort();
        const QString site = QStringLiteral("http://127.0.0.1:%1").arg(web.port());
        StartedConsole show([&](const ShowFixture& fixture) {
            insertConnection(fixture, 1, 0, "127.0.0.1", tcp.port());
            insertConnection(fixture, 2, 3, "127.0.0.1", dead);
            insertConnection(fixture, 3, 2, "", 0, site + "/missing");
            insertConnection(fixture, 4, 2, "", 0, site + "/cue", "user", "pass");
            insertConnection(fixture, 5, 2, "", 0, site + "/open");
        });
        ModalAnswers answers;
        for (int id = 1; id <= 5; ++id) {
            QVERIFY(show.main->database().dbConn.locate("id", id));
            triggerConnectionEntry(show, "Test connection");
            QTRY_COMPARE_WITH_TIMEOUT(answers.seen.size(), id, 6000);
        }
        QCOMPARE(answers.seen,
                 (QStringList{"Connection TCP OK", "Connection QVX fail", "Connection HTTP fail",
                              "Connection HTTP OK", "Connection HTTP OK"}));
        // Each request with its own row's credentials, and none without.
        QCOMPARE(requests.size(), 3);
        QVERIFY(requests.at(1).contains("Authorization: Basic dXNlcjpwYXNz"));
        QVERIFY(!requests.at(2).contains("Authorization"));
        QVERIFY(requests.at(2).contains(ConnectionSenders::TestUserAgent.toLatin1()));
        // From the first test on, CONNSEND's requests say the same.
        show.main->eseguiScript("CONNSEND,5");
        QTRY_COMPARE(requests.size(), 4);
        QVERIFY(requests.at(3).contains(ConnectionSenders::TestUserAgent.toLatin1()));
    }

    void theViewerGetsTheAddressAsOneArgument()
    {
        QTemporaryDir dir;
        const QString viewer = dir.filePath("viewer.sh");
        const QString seen = dir.filePath("seen.txt");
        QFile script(viewer);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\nls -l /proc/$$/fd/ > '%1.fd'\n"
                                    "printf '%s|' \"$#\" \"$@\" > '%1'\n")
                         .arg(seen)
                         .toUtf8());
        script.close();
        script.setPermissions(script.permissions() | QFile::ExeOwner);
        StartedConsole show([](const ShowFixture& fixture) {
            insertConnection(fixture, 1, 3, "10.0.0.5", 1717);
            insertConnection(fixture, 2, 3, "1.2.3.4;touch", 1717);
        });

        ModalAnswers answers;
        answers.text(std::nullopt); // "Cancel": nothing changes
        show.main->mainMenu()->action("File/Set vnc viewer")->trigger();
        QCOMPARE(show.fixture.settings().readFirstLine(SettingsFile::VncViewer).value_or(""),
                 QString());
        answers.text(viewer);
        show.main->mainMenu()->action("File/Set vnc viewer")->trigger();
        QCOMPARE(show.fixture.settings().readFirstLine(SettingsFile::VncViewer), viewer);

        triggerConnectionEntry(show, "Vnc connect");
        const auto written = [&seen] {
            QFile result(seen);
            return result.open(QIODevice::ReadOnly) ? result.readAll() : QByteArray();
        };
        QTRY_COMPARE(written(), QByteArray("1|10.0.0.5|"));
        // The viewer runs on beside the show: it holds none of the console's files.
        QFile descriptors(seen + ".fd");
        QVERIFY(descriptors.open(QIODevice::ReadOnly));
        const QByteArray held = descriptors.readAll();
        QVERIFY2(!held.contains(".FDB") && !held.contains("socket:"), held.constData());

        QVERIFY(show.main->database().dbConn.locate("id", 2));
        triggerConnectionEntry(show, "Vnc connect");
        QCOMPARE(answers.seen.last(),
                 QString("\"1.2.3.4;touch\" is not an address to connect to."));
    }

    void anotherQuillonDrivenOverItsCommandServer()
    {
        ServedShow peer;
        StartedConsole console([&](const ShowFixture& fixture) {
            insertConnection(fixture, 1, 3, "127.0.0.1", peer.port);
        });
        console.main->eseguiScript("CONNSEND,1,SETOPACITY.A.100|SETVOLUME.A.30");
        QTRY_COMPARE(peer.slider("AlphaTrack1")->value(), 155);
        QTRY_COMPARE(peer.slider("volA")->value(), 70);
        QCOMPARE(console.child<QSlider>("AlphaTrack1")->value(), 0);
    }
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    TestRemote remote;
    TestConnections connections;
    return QTest::qExec(&remote, argc, argv) | QTest::qExec(&connections, argc, argv);
}
#include "test_remote.moc"
