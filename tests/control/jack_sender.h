#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <memory>

// A JACK server on its dummy back-end and the RtMidi test sender on it, for as long as this
// lives. `ready` is false (and `why` says why) when they could not be started.
struct JackSender {
    QProcess jack;
    QProcess sender;
    bool ready = false;
    QByteArray why;

    JackSender()
    {
        const QString jackd = QStandardPaths::findExecutable("jackd");
        if (jackd.isEmpty()) {
            why = "no jackd";
            return;
        }
        jack.start(jackd, {"--no-realtime", "-d", "dummy", "-r", "48000", "-p", "256"});
        if (!jack.waitForStarted()) {
            why = "jackd did not start";
            return;
        }
        // The sender says "ready" once the server runs and its port exists; until the server
        // is up it ends at once, and is started again.
        QByteArray said;
        for (int attempt = 0; attempt < 40 && !said.contains("ready"); ++attempt) {
            if (sender.state() == QProcess::NotRunning) {
                QTest::qWait(250);
                sender.start(QStringLiteral(MIDI_SENDER), QStringList{});
            }
            sender.waitForReadyRead(250);
            said += sender.readAllStandardOutput();
        }
        ready = said.contains("ready");
        if (!ready)
            why = sender.readAllStandardError();
    }

    ~JackSender()
    {
        sender.closeWriteChannel();
        sender.waitForFinished(3000);
        jack.terminate();
        jack.waitForFinished(3000);
    }

    // Sends lines of hexadecimal bytes (or "burst N") and waits until they are sent.
    bool send(const QByteArray& lines)
    {
        sender.write(lines);
        const int wanted = int(lines.count('\n'));
        int sent = 0;
        while (sent < wanted && sender.waitForReadyRead(3000))
            sent += int(sender.readAllStandardOutput().count("sent"));
        return sent == wanted;
    }
};

// For a test's initTestCase: starts the server and the sender; skips the test without jackd
// and fails it when they do not come up. False when the test cannot go on.
inline bool startJackSender(std::unique_ptr<JackSender>& jack)
{
    jack = std::make_unique<JackSender>();
    if (jack->why == "no jackd")
        QTest::qSkip("needs jackd (the test command installs it)", __FILE__, __LINE__);
    else if (!jack->ready)
        QTest::qFail(jack->why.constData(), __FILE__, __LINE__);
    return jack->ready;
}
