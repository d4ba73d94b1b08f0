// The script language and the runner over a console that records what they do to it.
#include "automation/action_runner.h"
#include "automation/control_commands.h"
#include "automation/recording_console.h"
#include "automation/script_interpreter.h"
#include "shared/player_wait.h"
#include "support/log_capture.h"

#include <QSignalSpy>
#include <QTest>

namespace {
struct Sent {
    int connection;
    QString data;
};

struct Script {
    RecordingConsole console;
    QList<Sent> sent;
    ScriptInterpreter interpreter{console,
                                  [this](const ConsoleControl::Connection& c, const QString& data) {
                                      sent.append({c.id, data});
                                  }};
    ActionRunner runner{console, interpreter};

    bool waitIdle()
    {
        return QTest::qWaitFor([this] { return runner.idle(); }, 5000);
    }
};
} // namespace

class TestScript : public QObject {
    Q_OBJECT
private slots:
    void readsALineAsThePartSays_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("expected"); // the word, then arguments 1..3

        QTest::newRow("lower case word") << "play,a" << QStringList{"PLAY", "a", "", ""};
        QTest::newRow("missing argument repeats") << "LOAD,A" << QStringList{"LOAD", "A", "A", ""};
        QTest::newRow("no comma") << "PLAY" << QStringList{"", "", "", ""};
        QTest::newRow("nothing after the comma") << "PLAY," << QStringList{"", "", "", ""};
        QTest::newRow("blank kept") << "STOP, B" << QStringList{"STOP", " B", "", ""};
        QTest::newRow("extra argument ignored")
            << "SETOPACITY,A,127,5" << QStringList{"SETOPACITY", "A", "127", ""};
        QTest::newRow("three arguments") << "GRID,B,4,3" << QStringList{"GRID", "B", "4", "3"};
        QTest::newRow("unknown word takes none") << "JUMP,A,1" << QStringList{"JUMP", "", "", ""};
        QTest::newRow("empty argument")
            << "SETOPACITY,A," << QStringList{"SETOPACITY", "A", "", ""};
    }
    void readsALineAsThePartSays()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, expected);
        const ScriptLine parsed = ScriptLine::parse(line);
        QCOMPARE((QStringList{parsed.word, parsed.arguments[1], parsed.arguments[2],
                              parsed.arguments[3]}),
                 expected);
    }

    void eachLineActsOnTheConsole_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("calls");

        QTest::newRow("play lower case") << "play,a" << QStringList{"resume A"};
        QTest::newRow("play unknown target falls back to A") << "PLAY,X" << QStringList{"resume A"};
        QTest::newRow("play blank target falls back to A") << "PLAY, B" << QStringList{"resume A"};
        QTest::newRow("play both") << "PLAY,AB" << QStringList{"resume A", "resume B"};
        QTest::newRow("stop blank target") << "STOP, B" << QStringList{};
        QTest::newRow("stop unknown target") << "STOP,X" << QStringList{};
        QTest::newRow("stop both, B first") << "STOP,AB" << QStringList{"stop B", "stop A"};
        QTest::newRow("pause both without a clip: no seek")
            << "PAUSE,AB" << QStringList{"pause B", "pause A"};
        QTest::newRow("volume both")
            << "SETVOLUME,AB,80" << QStringList{"bar A Volume 20", "bar B Volume 20"};
        QTest::newRow("volume above 100") << "SETVOLUME,A,150" << QStringList{"bar A Volume 0"};
        QTest::newRow("volume at the integer's end")
            << "SETVOLUME,A,-2147483648" << QStringList{"bar A Volume 100"};
        QTest::newRow("opacity") << "SETOPACITY,B,0" << QStringList{"bar B Opacity 255"};
        QTest::newRow("hue") << "SETHUE,A,40" << QStringList{"bar A Hue -40"};
        QTest::newRow("saturation") << "SETSATURATION,A,100" << QStringList{"bar A Saturation 0"};
        QTest::newRow("brightness") << "SETBRIGHTNESS,B,-30" << QStringList{"bar B Brightness 30"};
        QTest::newRow("bar with unknown target") << "SETOPACITY,C,x" << QStringList{};
        QTest::newRow("mute both")
            << "BUTTONCLICK,AB,mute" << QStringList{"click A Mute", "click B Mute"};
        QTest::newRow("unknown button") << "BUTTONCLICK,A,JUMP" << QStringList{};
        QTest::newRow("load into B")
            << "LOAD,B,12" << QStringList{"click Load as B on clip 12 stage Main"};
        QTest::newRow("load into both") << "LOAD,AB,12"
                                        << QStringList{"click Load as A on clip 12 stage Main",
                                                       "click Load as B on clip 12 stage Main"};
        QTest::newRow("load of a code that is text") << "LOAD,A" << QStringList{};
        QTest::newRow("load of an unknown clip") << "LOAD,A,99" << QStringList{};
        QTest::newRow("stage by its exact name")
            << "LOADSTAGE,Side,ON" << QStringList{"switch StageActive on on stage Side"};
        QTest::newRow("stage name is case-sensitive") << "LOADSTAGE,side,ON" << QStringList{};
        QTest::newRow("play after load on")
            << "PLAYAFTERLOAD,ON" << QStringList{"switch PlayAfterLoad on on stage Main"};
        QTest::newRow("play after load, other text")
            << "PLAYAFTERLOAD,MAYBE" << QStringList{"switch PlayAfterLoad kept on stage Main"};
        QTest::newRow("stage active off")
            << "STAGEACTIVE,OFF" << QStringList{"switch StageActive off on stage Main"};
        QTest::newRow("grid of B")
            << "GRID,B,4,3" << QStringList{"grid 4x3", "click Grid as B on clip 7 stage Main"};
        QTest::newRow("grid of no columns") << "GRID,A,0,3" << QStringList{};
        QTest::newRow("grid of text") << "GRID,A,x,3" << QStringList{};
        QTest::newRow("grid beyond the buttons") << "GRID,A,49,3" << QStringList{};
        QTest::newRow("pattern on both") << "PATTERN,AB,BARS"
                                         << QStringList{"click Bars as A on clip 7 stage Main",
                                                        "click Bars as B on clip 7 stage Main"};
        QTest::newRow("pattern word as the Part spells it")
            << "PATTERN,A,HGREYSCALE" << QStringList{"click HGrayscale as A on clip 7 stage Main"};
        QTest::newRow("unknown pattern") << "PATTERN,A,STRIPES" << QStringList{};
        QTest::newRow("reserved word") << "LEDWALL,1,2,3,4,5,6,7" << QStringList{};
        QTest::newRow("unknown connection") << "CONNSEND,9,hello" << QStringList{};
    }
    void eachLineActsOnTheConsole()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, calls);
        Script script;
        script.interpreter.eseguiScript(line);
        QCOMPARE(script.console.calls, calls);
        // Whatever the line did, the console is left as the operator had it.
        QCOMPARE(script.console.selected, 2);
        QCOMPARE(script.console.clipCursor, 7);
        QCOMPARE(script.console.stageCursor, QString("Main"));
        QVERIFY(script.sent.isEmpty());
    }

    void pauseOfBothPutsBWhereAIs()
    {
        Script script;
        script.console.durations[0] = 10'000'000;
        script.console.maxima[0][int(ConsoleControl::Bar::Position)] = 400;
        script.console.values[0][int(ConsoleControl::Bar::Position)] = 100;
        script.interpreter.eseguiScript("PAUSE,AB");
        QCOMPARE(script.console.calls, (QStringList{"pause B", "pause A", "seek B 2500000"}));
    }

    void connSendHandsTheTextOver()
    {
        Script script;
        script.console.connections.insert(3, {3, 3, "127.0.0.1", 1717});
        script.interpreter.eseguiScript("CONNSEND,3,LOAD.A.12|PLAY.A");
        QCOMPARE(script.sent.size(), 1);
        QCOMPARE(script.sent.first().connection, 3);
        QCOMPARE(script.sent.first().data, QString("LOAD.A.12|PLAY.A"));
    }

    void aLineThatFailsLeavesTheConsoleAsItWas()
    {
        Script script;
        try {
            script.interpreter.eseguiScript("SETOPACITY,A,");
            QFAIL("an empty number was taken");
        } catch (const ScriptError& error) {
            QCOMPARE(error.message(), QString("'' is not a valid integer value"));
        }
        QVERIFY(script.console.calls.isEmpty());

        // A handler that throws in the middle of a LOAD.
        script.console.onClick = [](const QString&) { throw std::runtime_error("broken"); };
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, script.interpreter.eseguiScript("LOAD,A,12"));
        QCOMPARE(script.console.selected, 2);
        QCOMPARE(script.console.clipCursor, 7);
    }

    void theMetersRestOnlyForKnownWords()
    {
        Script script;
        script.interpreter.eseguiScript("PLAY,A");
        QVERIFY(!script.console.meters);
        script.interpreter.eseguiScript("PLAY");
        QVERIFY(script.console.meters);
    }

    void theTenControlCommands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("value");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("opacity") << "OpacityB" << 254 << QStringList{"bar B Opacity 1"};
        QTest::newRow("volume, MIDI 127") << "VolumeA" << 254 << QStringList{"bar A Volume 0"};
        QTest::newRow("volume, MIDI 30") << "VolumeA" << 60 << QStringList{"bar A Volume 70"};
        QTest::newRow("saturation, DMX 255")
            << "SaturationB" << 255 << QStringList{"bar B Saturation 0"};
        QTest::newRow("hue at 0, clamped") << "HueA" << 0 << QStringList{"bar A Hue 100"};
        QTest::newRow("hue, MIDI 64") << "HueA" << 128 << QStringList{"bar A Hue -1"};
        QTest::newRow("brightness, clamped")
            << "BrightnessB" << 254 << QStringList{"bar B Brightness -100"};
        QTest::newRow("names are exact") << "volumeA" << 10 << QStringList{};
        QTest::newRow("unknown") << "SpeedA" << 10 << QStringList{};
    }
    void theTenControlCommands()
    {
        QFETCH(QString, command);
        QFETCH(int, value);
        QFETCH(QStringList, calls);
        Script script;
        QCOMPARE(eseguiComando(script.console, command, value), !calls.isEmpty());
        QCOMPARE(script.console.calls, calls);
    }

    void theRunnerRunsTheLinesInOrder()
    {
        Script script;
        script.console.actions.insert(1, "PLAY,A  \r\n\r\nSTOP,B\t\r\n");
        QVERIFY(script.runner.runAction(1, ActionRunner::Source::Pad));
        // The first line runs at once, in the gesture that asked.
        QCOMPARE(script.console.calls, QStringList{"resume A"});
        QVERIFY(script.waitIdle());
        QCOMPARE(script.console.calls, (QStringList{"resume A", "stop B"}));
        QVERIFY(script.console.meters);
    }

    void linesWithoutAnActionRunTheSameWay()
    {
        Script script;
        script.console.activated = false; // the command server is not an action
        QVERIFY(script.runner.runLines({"PLAY,A", "", "STOP,A  "}, ActionRunner::Source::Remote,
                                       "a line from the command server"));
        QVERIFY(script.waitIdle());
        QCOMPARE(script.console.calls, (QStringList{"resume A", "stop A"}));
        QVERIFY(script.console.meters);
    }

    void noLineRunsWhileAPlayerWaits()
    {
        Script script;
        script.console.actions.insert(1, "PLAY,A\r\nSTOP,B");
        {
            // As inside a player's opening: the event loop runs, the lines wait.
            const PlayerWait wait;
            QVERIFY(script.runner.runAction(1, ActionRunner::Source::Midi));
            QVERIFY(script.runner.runLines({"PAUSE,A"}, ActionRunner::Source::Remote, "message"));
            QTest::qWait(50);
            QCOMPARE(script.console.calls, QStringList{});
        }
        QVERIFY(script.waitIdle());
        QCOMPARE(script.console.calls, (QStringList{"resume A", "stop B", "pause A"}));
    }

    void actionActivatedGatesThePadClipsAndMidi_data()
    {
        QTest::addColumn<ActionRunner::Source>("source");
        QTest::addColumn<bool>("runs");
        QTest::newRow("pad") << ActionRunner::Source::Pad << false;
        QTest::newRow("clip start") << ActionRunner::Source::ClipStart << false;
        QTest::newRow("clip end") << ActionRunner::Source::ClipEnd << false;
        QTest::newRow("MIDI") << ActionRunner::Source::Midi << false;
        QTest::newRow("DMX") << ActionRunner::Source::Dmx << true;
        QTest::newRow("command server") << ActionRunner::Source::Remote << true;
    }
    void actionActivatedGatesThePadClipsAndMidi()
    {
        QFETCH(ActionRunner::Source, source);
        QFETCH(bool, runs);
        Script script;
        script.console.activated = false;
        script.console.actions.insert(1, "PLAY,A");
        QCOMPARE(script.runner.runAction(1, source), runs);
        QCOMPARE(script.console.calls, runs ? QStringList{"resume A"} : QStringList{});
    }

    void aRunAskedForDuringARunWaitsForIt()
    {
        Script script;
        script.console.actions.insert(1, "BUTTONCLICK,A,CUT\r\nSTOP,A");
        script.console.actions.insert(2, "PAUSE,B");
        script.console.onClick = [&](const QString& call) {
            if (call == "click A Cut")
                QVERIFY(script.runner.runAction(2, ActionRunner::Source::ClipStart));
        };
        script.runner.runAction(1, ActionRunner::Source::Pad);
        QVERIFY(script.waitIdle());
        QCOMPARE(script.console.calls, (QStringList{"click A Cut", "stop A", "pause B"}));
    }

    void anActionThatStartsItselfIsRefused()
    {
        // A start action that dissolves, where the dissolve plays and so starts the action.
        LogCapture log;
        Script script;
        script.console.actions.insert(1, "BUTTONCLICK,A,DISSOLVE");
        script.console.onClick = [&](const QString&) {
            script.runner.runAction(1, ActionRunner::Source::ClipStart);
        };
        script.runner.runAction(1, ActionRunner::Source::ClipStart);
        QVERIFY(script.waitIdle());
        QCOMPARE(script.console.calls, QStringList{"click A Dissolve"});
        QCOMPARE(log.containing("is running or waiting already").size(), 1);
    }

    void actionsThatStartEachOtherStopAtTheDepthLimit()
    {
        LogCapture log;
        Script script;
        script.console.actions.insert(1, "BUTTONCLICK,A,CUT");
        script.console.actions.insert(2, "BUTTONCLICK,B,CUT");
        script.console.onClick = [&](const QString& call) {
            script.runner.runAction(call.startsWith("click A") ? 2 : 1,
                                    ActionRunner::Source::ClipEnd);
        };
        script.runner.runAction(1, ActionRunner::Source::ClipEnd);
        QVERIFY(script.waitIdle());
        QCOMPARE(script.console.calls.size(), ActionRunner::MaxDepth + 1);
        QCOMPARE(log.containing("too deep").size(), 1);
    }

    void anErrorEndsItsRunAndTheNextRunGoesOn()
    {
        LogCapture log;
        Script script;
        script.console.actions.insert(1, "PLAY,A\r\nSETOPACITY,A,x\r\nSTOP,A");
        script.console.actions.insert(2, "PAUSE,B");
        QSignalSpy failed(&script.runner, &ActionRunner::failed);
        script.runner.runAction(1, ActionRunner::Source::Pad);
        script.runner.runAction(2, ActionRunner::Source::Pad);
        QVERIFY(script.waitIdle());
        QCOMPARE(script.console.calls, (QStringList{"resume A", "pause B"}));
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.first().first().toString(), QString("'x' is not a valid integer value"));
        QVERIFY(script.console.meters);
        QCOMPARE(log.containing("stopped at SETOPACITY,A,x").size(), 1);
    }

    void anActionThatIsGoneRunsNothing()
    {
        LogCapture log;
        Script script;
        script.console.actions.insert(1, "PLAY,A");
        QVERIFY(!script.runner.runAction(5, ActionRunner::Source::ClipEnd));
        QVERIFY(script.console.calls.isEmpty());
        QCOMPARE(log.containing("action 5 which does not exist").size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestScript)
#include "test_script.moc"
