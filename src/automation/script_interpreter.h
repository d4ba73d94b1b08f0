#pragma once

#include "automation/console_control.h"

#include <QLoggingCategory>
#include <QString>
#include <array>
#include <functional>
#include <stdexcept>

Q_DECLARE_LOGGING_CATEGORY(automationLog)

// A line that cannot be carried out: a number argument that is not a whole number.
class ScriptError : public std::runtime_error {
public:
    explicit ScriptError(const QString& message)
        : std::runtime_error(message.toStdString())
    {
    }
    QString message() const { return QString::fromStdString(what()); }
};

// One script line taken apart: the command word in upper case and its arguments in slots 1 to
// 20 (slot 0 stays empty). A line without a recognised command has an empty word.
struct ScriptLine {
    QString word;
    std::array<QString, 21> arguments;

    static ScriptLine parse(const QString& line);
};

// The command language of actions, the remote command server and the DMX mapping: one line
// one command (`PLAY,A`, `SETVOLUME,B,80` ...), acted out on the console through its control
// interface. The words, their argument counts and how they name their channel are one table.
// User-interface thread only; keeps nothing between lines.
class ScriptInterpreter {
public:
    // How a CONNSEND hands its text over; it never waits on the network.
    using Send = std::function<void(const ConsoleControl::Connection&, const QString& data)>;

    ScriptInterpreter(ConsoleControl& console, Send send);

    // Executes one line. Throws ScriptError when a number argument is not a whole number; the
    // selected channel and the list cursors are as they were before the line in any case.
    void eseguiScript(const QString& testo);

    // The number of arguments a command word takes (0 for words it does not know).
    static int argumentCount(const QString& word);

    // A number argument; throws "'x' is not a valid integer value".
    static int toInteger(const QString& text);

private:
    friend struct ScriptCommands;
    ConsoleControl& m_console;
    Send m_send;
};
