#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <deque>

class ConsoleControl;
class QTimer;
class ScriptInterpreter;

// The one runner of script lines, whatever asked for them: the action pad, a clip's start or
// end, MIDI, DMX, the command server. Lines are trimmed and run one after the other with
// 10 ms between them; the event loop runs in the pauses, so pictures and reports go on. A run
// asked for while another runs waits after it, never inside it, and no line runs while a
// player waits inside an opening or a stop. An error ends its run, is logged and reported;
// the level meters resume when a run ends.
//
// User-interface thread only.
class ActionRunner : public QObject {
    Q_OBJECT
public:
    enum class Source { Pad, ClipStart, ClipEnd, Midi, Dmx, Remote };

    // A clip's start or end action asked for by a line is one step deeper than the line's
    // run; beyond this, the chain of actions that start actions is refused.
    static constexpr int MaxDepth = 8;
    // Runs waiting at most; more are refused.
    static constexpr int MaxWaiting = 64;
    static constexpr int SpacingMs = 10;

    ActionRunner(ConsoleControl& console, ScriptInterpreter& interpreter,
                 QObject* parent = nullptr);

    // Runs the stored action. Refused (and logged) when "Action activated" is off for the
    // pad, clip and MIDI sources, when there is no such action, when it is running or waiting
    // already, or when runs started by runs go too deep. True when the run was taken.
    bool runAction(int id, Source source);
    // Runs lines that come without an action (the command server, DMX).
    bool runLines(const QStringList& lines, Source source, const QString& what);

    bool idle() const { return m_runs.empty(); }

signals:
    // A line failed; the rest of its run was dropped. `source` says who asked, `what` names
    // the run ("action 3", "message from 10.0.0.7:50123").
    void failed(const QString& message, ActionRunner::Source source, const QString& what);
    // Every run has ended.
    void finishedAll();

private:
    struct Run {
        QString what;
        int actionId = -1;
        QStringList lines;
        Source source;
        int depth = 0;
        int next = 0; // the next line to run
    };

    bool enqueue(Run run);
    // Runs the next line, then waits the spacing before the following one.
    void step();

    ConsoleControl& m_console;
    ScriptInterpreter& m_interpreter;
    std::deque<Run> m_runs; // the front one is running
    bool m_inLine = false;  // a line is being carried out
    QTimer* m_spacing;
};
