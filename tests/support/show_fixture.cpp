#include "support/show_fixture.h"

#include "data/database_file.h"
#include "data/show_database.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

namespace {
QString templateDatabase()
{
    static QTemporaryDir folder;
    static const QString path = [] {
        const QString file = folder.path() + "/template.fdb";
        const QString error = createShowDatabase(file);
        if (!error.isEmpty())
            qFatal("Cannot create the test database: %s", qPrintable(error));
        return file;
    }();
    return path;
}

template <class Use> void withConnection(const QString& database, Use use)
{
    const QString name = QStringLiteral("fixture");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QIBASE", name);
        db.setDatabaseName(database);
        db.setUserName("SYSDBA");
        db.setPassword("plinthcow");
        db.setConnectOptions("ISC_DPB_LC_CTYPE=UTF8");
        if (!db.open())
            qFatal("Cannot open %s: %s", qPrintable(database), qPrintable(db.lastError().text()));
        db.transaction();
        use(db);
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

QSqlQuery run(QSqlDatabase& db, const QString& sql, const QVariantList& parameters)
{
    QSqlQuery query(db);
    query.prepare(sql);
    for (const QVariant& parameter : parameters)
        query.addBindValue(parameter);
    if (!query.exec())
        qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
    return query;
}
} // namespace

ShowFixture::ShowFixture()
{
    settings().installDefaults();
    QFile::copy(templateDatabase(), databasePath());
    QFile::setPermissions(databasePath(), QFile::ReadOwner | QFile::WriteOwner);
}

QString ShowFixture::databasePath() const
{
    return cacheDir() + ShowDatabase::FileName;
}

void ShowFixture::exec(const QString& sql, const QVariantList& parameters) const
{
    withConnection(databasePath(), [&](QSqlDatabase& db) { run(db, sql, parameters); });
}

QVariant ShowFixture::scalar(const QString& sql, const QVariantList& parameters) const
{
    QVariant result;
    withConnection(databasePath(), [&](QSqlDatabase& db) {
        QSqlQuery query = run(db, sql, parameters);
        if (query.next())
            result = query.value(0);
    });
    return result;
}

void ShowFixture::insertStage(const QVariantList& values) const
{
    exec(R"(insert into "layout" ("nome", "ordine", "sx", "sy", "offsetx", "offsety", "colore",
        "picture", "fullscreen", "atop", "aleft", "awidth", "aheigth", "acolor", "btop", "bleft",
        "bwidth", "bheigth", "bcolor", "battivo", "ashape", "schermo", "alati", "bshape", "blati",
        "restart") values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?,
        ?, ?))",
         values);
}
