// The command server on a started console, driven by real TCP clients on 127.0.0.1.
#include "automation/action_runner.h"
#include "automation/log_capture.h"
#include "automation/remote_command_server.h"
#include "media/test_media.h"
#include "support/modal_answers.h"
#include "support/show_console.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSlider>
#include <QStatusBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

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

        for (const QString& port : {"70000", "", "0"}) {
            show.child<QLineEdit>("txtPort")->setText(port);
            active->click();
            QVERIFY(!active->isChecked());
        }
        QCOMPARE(answers.seen.mid(1), (QStringList{"'70000' is not a valid integer value",
                                                   "'' is not a valid integer value",
                                                   "'0' is not a valid integer value"}));
    }
};

QTEST_MAIN(TestRemote)
#include "test_remote.moc"
