// Automation on a started console: script lines, actions, the pad and the senders, with real
// players on generated media, the real show database and real sockets on 127.0.0.1.
#include "automation/action_runner.h"
#include "automation/connection_senders.h"
#include "automation/network_fixtures.h"
#include "automation/script_interpreter.h"
#include "core/console_application.h"
#include "core/console_controls.h"
#include "media/ff_player.h"
#include "media/test_media.h"
#include "support/log_capture.h"
#include "support/modal_answers.h"
#include "support/show_console.h"
#include "ui/action_pad.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

namespace {
void insertAction(const ShowFixture& fixture, int id, const QString& name, const QString& script)
{
    fixture.exec(R"(insert into "azioni" ("id", "nome", "script") values (?, ?, ?))",
                 {id, name, script});
}

// A show whose console is extended by rows the test puts in first.
struct AutomationShow : Show {
    explicit AutomationShow(const std::function<void(const ShowFixture&)>& seed = {})
        : Show(seed)
    {
    }

    void line(const QString& text) { main->eseguiScript(text); }
    int volume(int channel) const { return main->channels().TheVolume(channel)->value(); }
    bool waitIdle() const
    {
        return QTest::qWaitFor([this] { return main->runner().idle(); }, 10000);
    }
};
} // namespace

class TestAutomation : public QObject {
    Q_OBJECT
private slots:
    void everyControlIsFoundAtStartUp()
    {
        const StartedConsole started;
        QCOMPARE(started.main->controls().unresolved(), QStringList());
    }

    void linesDriveTheConsoleAsTheOperatorWould()
    {
        AutomationShow show;
        const QList<int> clips = show.add({media("clip_6s.mp4"), media("video_only.mp4")});
        show.load(1, clips[0]);
        show.load(2, clips[1]);
        QTRY_COMPARE(show.label("pausedA"), QString("PAUSED"));
        QTRY_COMPARE(show.label("pausedB"), QString("PAUSED"));

        show.line("play,a");
        QTRY_COMPARE(show.label("pausedA"), QString("PLAYING"));
        show.line("PAUSE,A");
        QTRY_VERIFY(show.player(1)->Paused());
        show.line("PLAY,X"); // an unknown channel falls back to Player A
        QTRY_VERIFY(!show.player(1)->Paused());

        show.line("STOP, B"); // the blank is part of the channel's name: nothing
        QCOMPARE(show.main->state().codiceB, clips[1]);
        show.line("STOP,B");
        QCOMPARE(show.main->state().codiceB, -1);
        QCOMPARE(show.player(2)->PlayState(), psStop);
        QVERIFY(!show.layer(2)->holdsPicture()); // the layer is empty again

        show.line("SETVOLUME,AB,80");
        QCOMPARE(show.volume(1), 20);
        QCOMPARE(show.volume(2), 20);
        show.line("SETVOLUME,A,150");
        QCOMPARE(show.volume(1), 0);
        show.line("SETOPACITY,B,0");
        QCOMPARE(show.child<QSlider>("AlphaTrack2")->value(), 255);
        QVERIFY_THROWS_EXCEPTION(ScriptError, show.line("SETOPACITY,A,"));

        // Mute swaps the two channels' states.
        show.click("btnMuteA1");
        QVERIFY(show.player(1)->Mute());
        show.line("BUTTONCLICK,AB,MUTE");
        QVERIFY(!show.player(1)->Mute());
        QVERIFY(show.player(2)->Mute());
        QVERIFY(!show.child<QPushButton>("btnMuteA1")->isChecked());
        QVERIFY(show.child<QPushButton>("btnMuteB1")->isChecked());

        // LOAD puts the clip in the channel and leaves the operator's choices alone.
        show.select(clips[0]);
        show.line("LOAD,B," + QString::number(clips[1]));
        QCOMPARE(show.main->state().codiceB, clips[1]);
        QCOMPARE(show.main->state().selectedChannel, 2); // as the last load above left it
        QCOMPARE(show.main->database().playlist.integer("codice"), clips[0]);
    }

    void stagesByTheirExactName()
    {
        AutomationShow show;
        show.line("LOADSTAGE,main,ON");
        QCOMPARE(show.label("stageOnAir"), QString("NO ACTIVE"));
        QVERIFY(!show.child<QPushButton>("btnScreen1")->isChecked());
        show.line("LOADSTAGE,Main,ON");
        QCOMPARE(show.label("stageOnAir"), QString("Main"));
        QVERIFY(show.child<QPushButton>("btnScreen1")->isChecked());
        show.line("STAGEACTIVE,OFF");
        QVERIFY(!show.child<QPushButton>("btnScreen1")->isChecked());
    }

    void switchesAndTheGrid()
    {
        AutomationShow show;
        show.line("PLAYAFTERLOAD,ON");
        QVERIFY(show.child<QPushButton>("chkPlayAfterLoad")->isChecked());
        QCOMPARE(show.fixture.settings().readFirstLine(SettingsFile::PlayAfterLoad),
                 std::optional<QString>("1"));
        show.line("PLAYAFTERLOAD,OFF");
        QCOMPARE(show.fixture.settings().readFirstLine(SettingsFile::PlayAfterLoad),
                 std::optional<QString>("0"));

        // The stage not on air: the counts are taken, the grid is refused.
        show.line("GRID,B,4,3");
        QCOMPARE(show.main->state().selectedChannel, 2);
        QCOMPARE(show.label("gridH"), QString("4"));
        QCOMPARE(show.label("gridV"), QString("3"));
        QVERIFY(show.child<QPushButton>("btnPatternOff")->isChecked());
        show.line("STAGEACTIVE,ON");
        show.line("GRID,B,4,3");
        QVERIFY(show.child<QPushButton>("btnGrid")->isChecked());
        show.line("GRID,A,0,0");
        QCOMPARE(show.label("gridH"), QString("4"));
    }

    void connSendReachesTheStoredConnection()
    {
        Listener listener;
        QUdpSocket udp;
        QVERIFY(udp.bind(QHostAddress::LocalHost));
        AutomationShow show([&](const ShowFixture& fixture) {
            insertConnection(fixture, 1, 0, "127.0.0.1", listener.port());
            insertConnection(fixture, 2, 1, "127.0.0.1", udp.localPort());
            insertConnection(fixture, 3, 3, "127.0.0.1", listener.port());
        });
        show.line("CONNSEND,1"); // the missing text repeats the id
        show.line("CONNSEND,3,LOAD.A.12|PLAY.A");
        show.line("CONNSEND,2,GO 1");
        show.line("CONNSEND,9,lost");
        QTRY_COMPARE(listener.received.size(), 2);
        QTRY_VERIFY(listener.received.contains("1\r\n"));
        QTRY_VERIFY(listener.received.contains("LOAD.A.12|PLAY.A\r\n"));
        QTRY_VERIFY(udp.hasPendingDatagrams());
        QCOMPARE(udp.receiveDatagram().data(), QByteArray("GO 1"));
        QTRY_COMPARE(show.main->senders().pending(), 0);
    }

    void aStartActionThatDissolvesDoesNotRunItselfForEver()
    {
        LogCapture log;
        AutomationShow show([](const ShowFixture& fixture) {
            insertAction(fixture, 1, "Fade in", "BUTTONCLICK,A,DISSOLVE");
        });
        const int clip = show.add(media("clip_6s.mp4"));
        show.set(clip, R"("azione_iniziale" = 1)");
        show.stageActive();
        show.click("btnAutomatic"); // every dissolve also plays
        show.load(1, clip);
        QTRY_COMPARE(show.label("pausedA"), QString("PAUSED"));
        show.click("btnResume");
        QVERIFY(show.waitIdle());
        QTRY_COMPARE(show.label("pausedA"), QString("PLAYING"));
        QCOMPARE(log.containing("is running or waiting already").size(), 1);
    }

    void thePadRunsOnlyWhileActionsAreActivated()
    {
        AutomationShow show([](const ShowFixture& fixture) {
            insertAction(fixture, 4, "Quiet", "SETVOLUME,A,30\r\nSETVOLUME,B,40\r\n");
        });
        auto* pad = static_cast<ActionPad*>(show.console->window("f_azioni"));
        show.child<QCheckBox>("chkActionActivated")->click();
        static_cast<QAbstractButton*>(pad->tile(4))->click();
        QVERIFY(show.waitIdle());
        QCOMPARE(show.volume(1), 0);

        show.child<QCheckBox>("chkActionActivated")->click();
        static_cast<QAbstractButton*>(pad->tile(4))->click();
        QCOMPARE(show.volume(1), 70); // the first line at once
        QVERIFY(show.waitIdle());
        QCOMPARE(show.volume(2), 60);
        QCOMPARE(show.main->database().dbAzioni.integer("id"), 4);
    }

    void anEndActionIsSentBeforeTheNextClipLoads()
    {
        QUdpSocket listener;
        QVERIFY(listener.bind(QHostAddress::LocalHost));
        AutomationShow show([&](const ShowFixture& fixture) {
            insertConnection(fixture, 1, 1, "127.0.0.1", listener.localPort());
            insertAction(fixture, 1, "Tell", "CONNSEND,1,ended");
        });
        const QList<int> clips = show.add({media("clip_vp9.webm"), media("clip_mpeg4.avi")});
        show.set(clips[0], R"("status" = 'NEXT CLIP', "azione_finale" = 1)");
        const int* opened = show.countOpenings(1);
        int openedWhenTold = 0;
        QByteArray told;
        connect(&listener, &QUdpSocket::readyRead, this, [&] {
            told = listener.receiveDatagram().data();
            openedWhenTold = *opened;
        });
        show.load(1, clips[0], true);
        QTRY_COMPARE_WITH_TIMEOUT(*opened, 2, 5000);
        QCOMPARE(show.main->state().codiceA, clips[1]);
        QCOMPARE(told, QByteArray("ended"));
        QCOMPARE(openedWhenTold, 1); // the first clip's opening only
    }

    void actionsAreAddedEditedAndDeletedThroughTheDialog()
    {
        AutomationShow show;
        const auto answerDialog = [&](const QString& name, const QString& script) {
            QTimer::singleShot(50, this, [&, name, script] {
                auto* dialog = show.console->window("addAction");
                QTRY_VERIFY(dialog->isVisible());
                dialog->findChild<QLineEdit*>("nomeA")->setText(name);
                dialog->findChild<QPlainTextEdit*>("script")->setPlainText(script);
                dialog->findChild<QPushButton*>("btnSave")->click();
            });
        };
        // Without a name the dialog stays open.
        QTimer::singleShot(50, this, [&] {
            auto* dialog = show.console->window("addAction");
            QTRY_VERIFY(dialog->isVisible());
            dialog->findChild<QPlainTextEdit*>("script")->setPlainText("PLAY,A");
            dialog->findChild<QPushButton*>("btnSave")->click();
            QVERIFY(dialog->isVisible());
            dialog->findChild<QPushButton*>("btnCancel")->click();
        });
        show.click("btnAddAction");
        QCOMPARE(show.fixture.scalar(R"(select count(*) from "azioni")").toInt(), 0);

        answerDialog("Go", "PLAY,A\nSETVOLUME,A,50");
        show.click("btnAddAction");
        QCOMPARE(show.fixture.scalar(R"(select "id" from "azioni" where "nome" = 'Go')").toInt(),
                 1);
        QCOMPARE(show.fixture.scalar(R"(select "script" from "azioni" where "id" = 1)").toString(),
                 QString("PLAY,A\r\nSETVOLUME,A,50"));
        answerDialog("Stop", "STOP,A");
        show.click("btnAddAction");
        QCOMPARE(show.main->database().dbAzioni.integer("id"), 2);

        // Editing acts on the action the dialog opened with, wherever the cursor went.
        QVERIFY(show.main->database().dbAzioni.locate("id", 1));
        QTimer::singleShot(20, this, [&] { show.main->database().dbAzioni.locate("id", 2); });
        answerDialog("Go now", "PLAY,AB");
        show.click("btnEditAction");
        QCOMPARE(show.fixture.scalar(R"(select "script" from "azioni" where "id" = 1)").toString(),
                 QString("PLAY,AB"));
        QCOMPARE(show.fixture.scalar(R"(select "script" from "azioni" where "id" = 2)").toString(),
                 QString("STOP,A"));

        QVERIFY(show.main->database().dbAzioni.locate("id", 2));
        show.child<DatasetGrid>("elencoAction")->showCursor();
        ModalAnswers answers;
        answers.button("Yes");
        show.click("btnDeleteAction");
        QCOMPARE(answers.seen, QStringList{"Are you sure to delete action: Stop"});
        QCOMPARE(show.fixture.scalar(R"(select count(*) from "azioni")").toInt(), 1);
        QCOMPARE(static_cast<ActionPad*>(show.console->window("f_azioni"))->tile(2), nullptr);
    }

    void aClipCarriesItsStartAndEndActions()
    {
        AutomationShow show([](const ShowFixture& fixture) {
            insertAction(fixture, 3, "Lights", "SETVOLUME,B,10");
        });
        show.click("btnSetStartAction"); // no clip in the selected channel: nothing
        const int clip = show.add(media("clip_6s.mp4"));
        show.load(2, clip);
        show.click("btnSetStartAction");
        show.click("btnSetEndAction");
        const auto stored = [&](const char* column) {
            return show.fixture
                .scalar(
                    QStringLiteral(R"(select "%1" from "playlist" where "codice" = ?)").arg(column),
                    {clip})
                .toInt();
        };
        QCOMPARE(stored("azione_iniziale"), 3);
        QCOMPARE(stored("azione_finale"), 3);
        QCOMPARE(show.main->state().clipSettings[2].FAzione1, 3);
        QVERIFY(show.child<QLabel>("savedB")->isVisible());
        QCOMPARE(show.main->database().playlist.text("infoAzioneIniziale"), QString("YES"));

        show.click("btnClearStartAction");
        QCOMPARE(stored("azione_iniziale"), -1);
        QCOMPARE(show.main->state().clipSettings[2].FAzione1, -1);
        QCOMPARE(show.main->database().playlist.text("infoAzioneIniziale"), QString("NO"));

        // "PLAY" runs the start action of the channel; the script's PLAY does not.
        show.click("btnSetStartAction");
        show.line("PLAY,B");
        QCOMPARE(show.volume(2), 0);
        show.click("btnResume");
        QCOMPARE(show.volume(2), 90);
    }

    void anUnreachableHostHoldsNeitherTheScriptNorTheConsole()
    {
        // A port nobody listens on, and an HTTP server that never answers.
        quint16 deadPort = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            deadPort = probe.serverPort();
        }
        Listener silent;
        AutomationShow show([&](const ShowFixture& fixture) {
            insertConnection(fixture, 1, 0, "127.0.0.1", deadPort);
            insertConnection(fixture, 2, 2, "", 0,
                             QStringLiteral("http://127.0.0.1:%1/cue").arg(silent.port()));
            insertAction(
                fixture, 1, "Tell",
                "CONNSEND,1,x\r\nCONNSEND,2,y\r\nSETVOLUME,A,25\r\nBUTTONCLICK,A,DISSOLVE");
        });
        show.stageActive();
        show.panel(1)->transitionTime()->setValue(1);
        show.click("btnMakeAction");
        QVERIFY(show.waitIdle());
        QCOMPARE(show.volume(1), 75);
        QVERIFY(show.mixer().dissolving(1));
        // The dissolve runs to its end while the request still waits for an answer.
        QTRY_VERIFY_WITH_TIMEOUT(!show.mixer().dissolving(1), 3000);
        QTRY_COMPARE(silent.received.size(), 1);
        QVERIFY(silent.received.first().startsWith("GET /cue HTTP/1.1"));
        QVERIFY(show.main->senders().pending() >= 1);
    }
};

class TestSenders : public QObject {
    Q_OBJECT
private slots:
    void httpSendsItsRequestWithTheStoredCredentials()
    {
        Listener web;
        ConnectionSenders senders;
        connect(&web.server, &QTcpServer::newConnection, this, [&] {
            QTcpSocket* socket = web.open.last();
            connect(socket, &QTcpSocket::readyRead, socket, [&web, socket] {
                if (!web.received.last().contains("\r\n\r\n"))
                    return; // the whole request first
                socket->write(
                    "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok");
                socket->disconnectFromHost();
            });
        });
        QSignalSpy finished(&senders, &ConnectionSenders::finished);
        ConsoleControl::Connection http{
            7,      2,     {}, 0, QStringLiteral("http://127.0.0.1:%1/go?x=1").arg(web.port()),
            "user", "pass"};
        QVERIFY(senders.send(http, "ignored"));
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toBool(), true);
        const QByteArray request = web.received.first();
        QVERIFY(request.startsWith("GET /go?x=1 HTTP/1.1\r\n"));
        QVERIFY(request.contains("Authorization: Basic dXNlcjpwYXNz\r\n"));
        QVERIFY(request.contains("User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"));
        QVERIFY(!request.contains("ignored"));
    }

    void aSilentServerTimesOutAndAFullQueueDrops()
    {
        Listener silent;
        ConnectionSenders senders(ConnectionSenders::Limits{200, 200, 3, 1});
        QSignalSpy finished(&senders, &ConnectionSenders::finished);
        const ConsoleControl::Connection http{
            1, 2, {}, 0, QStringLiteral("http://127.0.0.1:%1/").arg(silent.port())};
        LogCapture log;
        for (int i = 0; i < 4; ++i)
            senders.send(http, {});
        QCOMPARE(log.containing("dropped").size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 3, 5000);
        for (const QList<QVariant>& arguments : finished)
            QCOMPARE(arguments.first().toBool(), false);
        QCOMPARE(senders.pending(), 0);
    }
};

class TestLastResort : public QObject {
    Q_OBJECT
private slots:
    void anErrorInAHandlerIsShownAndTheConsoleGoesOn()
    {
        auto* app = static_cast<ConsoleApplication*>(qApp);
        QStringList shown;
        app->showError = [&shown](const QString& message) { shown.append(message); };
        QPushButton button("GO");
        button.show();
        int clicks = 0;
        connect(&button, &QPushButton::clicked, this, [&clicks] {
            if (++clicks == 1)
                throw std::runtime_error("the handler broke");
        });
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(shown, QStringList{"the handler broke"});
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicks, 2);
        QCOMPARE(shown.size(), 1);
    }

    void anErrorInAPlayersReportHandlerLeavesThePlayerWhole()
    {
        auto* app = static_cast<ConsoleApplication*>(qApp);
        QStringList shown;
        app->showError = [&shown](const QString& message) { shown.append(message); };
        QList<TPlayState> states;
        {
            TFFPlayer player;
            player.OnState = [&states](TFFPlayer*, TPlayState state) {
                states.append(state);
                if (state == psPlay && states.count(psPlay) == 1)
                    throw std::runtime_error("the state handler broke");
            };
            QVERIFY(player.Open(media("clip_vp9.webm"), nullptr, false));
            QTRY_COMPARE_WITH_TIMEOUT(states.count(psEnd), 1, 5000);
            QCOMPARE(shown, QStringList{"the state handler broke"});
            // Stopped and opened again as ever; destroyed at the end of the scope.
            player.Stop(true);
            QCOMPARE(states.last(), psStop);
            QVERIFY(player.Open(media("clip_vp9.webm"), nullptr, false));
            QTRY_COMPARE_WITH_TIMEOUT(states.count(psEnd), 2, 5000);
        }
        QCOMPARE(shown.size(), 1);
    }
};

int main(int argc, char* argv[])
{
    ConsoleApplication app(argc, argv);
    TestAutomation automation;
    TestSenders senders;
    TestLastResort lastResort;
    return QTest::qExec(&automation, argc, argv) | QTest::qExec(&senders, argc, argv) |
           QTest::qExec(&lastResort, argc, argv);
}
#include "test_automation.moc"
