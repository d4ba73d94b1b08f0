// The program as the operator's desktop runs it: the real executable with its cache folder.
#include "support/show_fixture.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <csignal>

class TestProgram : public QObject {
    Q_OBJECT

    // True once the process holds the show database open: start-up has got that far.
    static bool holdsFile(qint64 pid, const QString& path)
    {
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        const auto entries = fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        for (const QString& fd : entries)
            if (QFile::symLinkTarget(fds.filePath(fd)) == path)
                return true;
        return false;
    }

    // The real program on the fixture's show, started from a folder of its own.
    struct Program {
        QTemporaryDir dir;
        QProcess process;

        explicit Program(const ShowFixture& fixture)
        {
            const QString program = dir.filePath("quillon");
            QFile::copy(QUILLON_BINARY, program);
            QFile::link(fixture.cacheDir(), dir.filePath("cache"));
            process.start(program, {});
        }
        ~Program()
        {
            process.kill();
            process.waitForFinished(5000);
        }
    };

private slots:
    void terminationSignalsCloseTheConsoleInOrder_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
    }
    void terminationSignalsCloseTheConsoleInOrder()
    {
        QFETCH(int, signal);
        const ShowFixture fixture;
        QTemporaryDir programDir;
        const QString program = programDir.filePath("quillon");
        QVERIFY(QFile::copy(QUILLON_BINARY, program));
        QVERIFY(QFile::link(fixture.cacheDir(), programDir.filePath("cache")));

        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(program, {});
        QVERIFY(process.waitForStarted());
        const QDeadlineTimer started(20000);
        while (!holdsFile(process.processId(), fixture.databasePath()) && !started.hasExpired())
            QTest::qWait(50);
        QVERIFY2(holdsFile(process.processId(), fixture.databasePath()), "start-up stalled");
        QTest::qWait(300); // into the event loop

        ::kill(pid_t(process.processId()), signal);
        QVERIFY2(process.waitForFinished(15000), "the program did not end");
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);

        // The database was closed properly: another program can open it at once.
        QCOMPARE(fixture.scalar(R"(select count(*) from "layout")").toInt(), 1);
    }

    void aSecondCopySaysTheShowIsInUse()
    {
        const ShowFixture fixture;
        Program first(fixture);
        QVERIFY(first.process.waitForStarted());
        const QDeadlineTimer started(20000);
        while (!holdsFile(first.process.processId(), fixture.databasePath()) &&
               !started.hasExpired())
            QTest::qWait(50);

        Program second(fixture);
        QVERIFY(second.process.waitForStarted());
        QByteArray said;
        const QDeadlineTimer told(30000);
        while (!said.contains("Cannot open") && !told.hasExpired()) {
            second.process.waitForReadyRead(200);
            said += second.process.readAllStandardError();
        }
        QVERIFY2(said.contains("in use by another copy of the program"), said.constData());
    }

    void thePreparationToolExplainsItself_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("--help") << "--help" << 0;
        QTest::newRow("an unknown option") << "--force" << 2;
    }

    void thePreparationToolExplainsItself()
    {
        QFETCH(QString, argument);
        QFETCH(int, exitCode);
        QTemporaryDir dir;
        QProcess tool;
        tool.setWorkingDirectory(dir.path());
        tool.start(PREPARE_BINARY, {argument});
        QVERIFY(tool.waitForFinished(10000));
        QCOMPARE(tool.exitCode(), exitCode);
        const QByteArray said = tool.readAllStandardOutput() + tool.readAllStandardError();
        QVERIFY2(said.startsWith("Usage: quillon-prepare-cache"), said.constData());
        // No folder named after the option, here or beside the tool.
        QVERIFY(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
        QVERIFY(!QFileInfo::exists(QFileInfo(PREPARE_BINARY).dir().filePath(argument)));
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "test_program.moc"
