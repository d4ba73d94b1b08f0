#include "automation/action_runner.h"

#include "automation/console_control.h"
#include "automation/script_interpreter.h"
#include "shared/player_wait.h"

#include <QTimer>

namespace {
const char* sourceName(ActionRunner::Source source)
{
    switch (source) {
    case ActionRunner::Source::Pad:
        return "action pad";
    case ActionRunner::Source::ClipStart:
        return "clip start";
    case ActionRunner::Source::ClipEnd:
        return "clip end";
    case ActionRunner::Source::Midi:
        return "MIDI";
    case ActionRunner::Source::Dmx:
        return "DMX";
    case ActionRunner::Source::Remote:
        return "command server";
    }
    return "";
}

// "Action activated" switches these off; DMX and the command server run regardless.
bool gated(ActionRunner::Source source)
{
    return source == ActionRunner::Source::Pad || source == ActionRunner::Source::ClipStart ||
           source == ActionRunner::Source::ClipEnd || source == ActionRunner::Source::Midi;
}
} // namespace

ActionRunner::ActionRunner(ConsoleControl& console, ScriptInterpreter& interpreter, QObject* parent)
    : QObject(parent)
    , m_console(console)
    , m_interpreter(interpreter)
    , m_spacing(new QTimer(this))
{
    m_spacing->setSingleShot(true);
    m_spacing->setTimerType(Qt::PreciseTimer);
    m_spacing->setInterval(SpacingMs);
    connect(m_spacing, &QTimer::timeout, this, &ActionRunner::step);
}

bool ActionRunner::runAction(int id, Source source)
{
    if (gated(source) && !m_console.actionsActivated())
        return false;
    const auto script = m_console.actionScript(id);
    if (!script) {
        qCWarning(automationLog).noquote()
            << "The" << sourceName(source) << "asks for action" << id << "which does not exist";
        return false;
    }
    for (const Run& run : m_runs)
        if (run.actionId == id) {
            qCWarning(automationLog).noquote()
                << "Action" << id << "is running or waiting already; the" << sourceName(source)
                << "cannot start it again";
            return false;
        }
    QStringList lines = script->split('\n');
    if (lines.last().trimmed().isEmpty()) // a script ending with a line break
        lines.removeLast();
    return enqueue(Run{QStringLiteral("action %1").arg(id), id, lines, source});
}

bool ActionRunner::runLines(const QStringList& lines, Source source, const QString& what)
{
    return enqueue(Run{what, -1, lines, source});
}

bool ActionRunner::enqueue(Run run)
{
    // A clip's action asked for by a line: one step deeper than that line's run. What comes
    // from outside (the operator, MIDI, DMX, the network) starts afresh.
    const bool byLine =
        m_inLine && (run.source == Source::ClipStart || run.source == Source::ClipEnd);
    run.depth = byLine ? m_runs.front().depth + 1 : 0;
    if (run.lines.isEmpty())
        return true;
    if (run.depth > MaxDepth || int(m_runs.size()) > MaxWaiting) {
        qCWarning(automationLog).noquote()
            << "Refused" << run.what << "from the" << sourceName(run.source) << ":"
            << (run.depth > MaxDepth ? "actions start each other too deep"
                                     : "too many runs waiting");
        return false;
    }
    m_runs.push_back(std::move(run));
    // Idle: the first line runs at once, in the gesture or report that asked for it.
    if (m_runs.size() == 1 && !m_inLine)
        step();
    return true;
}

void ActionRunner::step()
{
    if (m_runs.empty() || m_inLine)
        return;
    if (PlayerWait::active()) { // never inside a player's opening or stop
        m_spacing->start();
        return;
    }
    Run& run = m_runs.front();
    const QString line = [&] {
        QString text = run.lines.at(run.next++);
        // Trailing blanks and control characters (the CR of a CR LF) go.
        qsizetype end = text.size();
        while (end > 0 && text.at(end - 1).unicode() <= ' ')
            --end;
        text.truncate(end);
        return text;
    }();

    bool endsRun = run.next >= run.lines.size();
    m_inLine = true;
    try {
        m_interpreter.eseguiScript(line);
    } catch (const std::exception& error) {
        const QString message = QString::fromUtf8(error.what());
        qCWarning(automationLog).noquote()
            << m_runs.front().what << "from the" << sourceName(m_runs.front().source)
            << "stopped at" << line << ":" << message;
        emit failed(message, m_runs.front().source, m_runs.front().what);
        endsRun = true;
    } catch (...) {
        qCWarning(automationLog).noquote() << m_runs.front().what << "stopped at" << line;
        emit failed(QStringLiteral("The line \"%1\" failed.").arg(line), m_runs.front().source,
                    m_runs.front().what);
        endsRun = true;
    }
    m_inLine = false;

    if (endsRun) {
        m_runs.pop_front();
        m_console.setLevelMeters(true);
        if (m_runs.empty()) {
            emit finishedAll();
            return;
        }
    }
    m_spacing->start();
}
