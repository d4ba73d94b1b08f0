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

QString createShowDatabase(const QString& path)
{
    if (QFileInfo::exists(path))
        return QStringLiteral("%1 already exists").arg(path);
    QString isql = QStandardPaths::findExecutable(QStringLiteral("isql-fb"));
    if (isql.isEmpty())
        isql = QStandardPaths::findExecutable(QStringLiteral("isql"));
    if (isql.isEmpty())
        return QStringLiteral("The Firebird isql program is not installed");

    QString quotedPath = path;
    quotedPath.replace('\'', QStringLiteral("''"));
    const QString script =
        QStringLiteral("CREATE DATABASE '%1' USER 'SYSDBA' PASSWORD 'plinthcow' PAGE_SIZE 8192 "
                       "DEFAULT CHARACTER SET UTF8;\n")
            .arg(quotedPath) +
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
        !QFileInfo::exists(path)) {
        QFile::remove(path);
        return output.isEmpty() ? QStringLiteral("isql failed") : output;
    }
    return {};
}
