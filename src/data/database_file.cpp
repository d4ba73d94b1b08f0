#include "data/database_file.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

QString showDatabaseSchema()
{
    QFile file(QStringLiteral(":/data/schema.sql"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

DatabaseLogin DatabaseLogin::fromEnvironment()
{
    return {qEnvironmentVariable("QUILLON_DB_USER", QStringLiteral("SYSDBA")),
            qEnvironmentVariable("QUILLON_DB_PASSWORD", QStringLiteral("plinthcow"))};
}

bool isServerDatabaseName(const QString& name)
{
    return name.contains(':') && !name.startsWith('/');
}

QString createShowDatabase(const QString& path)
{
    const bool local = !isServerDatabaseName(path);
    if (local && QFileInfo::exists(path))
        return QStringLiteral("%1 already exists").arg(path);
    QString isql = QStandardPaths::findExecutable(QStringLiteral("isql-fb"));
    if (isql.isEmpty())
        isql = QStandardPaths::findExecutable(QStringLiteral("isql"));
    if (isql.isEmpty())
        return QStringLiteral("The Firebird isql program is not installed");

    const auto quoted = [](QString text) { return text.replace('\'', QStringLiteral("''")); };
    const DatabaseLogin login = DatabaseLogin::fromEnvironment();
    const QString script =
        QStringLiteral("CREATE DATABASE '%1' USER '%2' PASSWORD '%3' PAGE_SIZE 8192 "
                       "DEFAULT CHARACTER SET UTF8;\n")
            .arg(quoted(path), quoted(login.user), quoted(login.password)) +
        showDatabaseSchema();

    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(isql, {"-q", "-b", "-ch", "UTF8"});
    if (!process.waitForStarted())
        return process.errorString();
    process.write(script.toUtf8());
    process.closeWriteChannel();
    if (!process.waitForFinished(60000)) {
        process.kill();
        return QStringLiteral("isql did not finish");
    }
    const QString output = QString::fromUtf8(process.readAll()).trimmed();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 ||
        (local && !QFileInfo::exists(path))) {
        if (local)
            QFile::remove(path);
        return output.isEmpty() ? QStringLiteral("isql failed") : output;
    }
    return {};
}
