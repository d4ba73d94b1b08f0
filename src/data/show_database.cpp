#include "data/show_database.h"

#include "data/calculated_columns.h"
#include "data/database_error.h"
#include "data/database_file.h"

#include <QAtomicInt>
#include <QSqlQuery>

namespace {
QAtomicInt instances;

QSqlDatabase makeConnection(const QString& connectionName)
{
    QSqlDatabase connection = QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), connectionName);
    const DatabaseLogin login = DatabaseLogin::fromEnvironment();
    connection.setUserName(login.user);
    connection.setPassword(login.password);
    // UTF8, so titles and paths in any language survive the round trip.
    connection.setConnectOptions(QStringLiteral("ISC_DPB_LC_CTYPE=UTF8"));
    return connection;
}
} // namespace

ShowDatabase::ShowDatabase()
    : layoutdb1("layoutdb1", R"(select * from "layout" order by "ordine")")
    , lista("lista", R"(select * from "liste" order by "ordine")")
    , playlist("playlist", R"(select * from "playlist" order by "ordine")", clipColumns())
    , lpreset("lpreset", R"(select * from "sequencer")", presetColumns())
    , dbConn("dbConn", R"(select * from "connessioni" order by "id")")
    , dbAzioni("dbAzioni", R"(select * from "azioni" order by "id")")
    , rDMX("rDMX", R"(select * from "dmx" order by "esegui" ASC,  "codice" ASC)")
    , rMIDI("rMIDI", R"(select * from "midi" order by "esegui" ASC,"codice" ASC)")
    , p("p", "playlist", "codice", R"(select * from "playlist")")
    , listas("listas", "liste", "lista", R"(select * from "liste")")
    , layoutdb("layoutdb", "layout", "nome", R"(select * from "layout")")
    , dbsAzioni("dbsAzioni", "azioni", "id", R"(select * from "azioni" order by "id")")
    , dbsConn("dbsConn", "connessioni", "id", R"(select * from "connessioni" order by "id")")
    , sDMX("sDMX", "dmx", "id", R"(select * from "dmx" order by "codice")")
    , sMIDI("sMIDI", "midi", "id", R"(select * from "midi" order by "codice")")
{
    const int instance = instances.fetchAndAddRelaxed(1);
    m_readName = QStringLiteral("db#%1").arg(instance);
    m_writeName = QStringLiteral("dbs#%1").arg(instance);
    m_db = makeConnection(m_readName);
    m_dbs = makeConnection(m_writeName);
}

ShowDatabase::~ShowDatabase()
{
    closeWrite();
    closeRead();
    m_db = QSqlDatabase();
    m_dbs = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_readName);
    QSqlDatabase::removeDatabase(m_writeName);
}

void ShowDatabase::setDatabaseName(const QString& name)
{
    closeWrite();
    closeRead();
    m_db.setDatabaseName(name);
    m_dbs.setDatabaseName(name);
}

QList<ReadDataset*> ShowDatabase::readDatasets()
{
    return {&layoutdb1, &lista, &playlist, &lpreset, &dbConn, &dbAzioni, &rDMX, &rMIDI};
}

QList<WriteDataset*> ShowDatabase::writeDatasets()
{
    return {&p, &listas, &layoutdb, &dbsAzioni, &dbsConn, &sDMX, &sMIDI};
}

void ShowDatabase::selectPlaylist(const QString& name)
{
    playlist.setSql(QStringLiteral("SELECT * FROM \"playlist\" WHERE \"lista\"=?\n"
                                   " ORDER BY \"ordine\" ASC"),
                    {name});
    m_playlistChosen = true;
}

void ShowDatabase::openRead()
{
    // A new connection each time: one lost with its server is made again. The datasets
    // keep the rows read last until their query succeeds.
    m_db.close();
    if (!m_db.open())
        throw DatabaseError(m_db.lastError());
    try {
        for (ReadDataset* dataset : readDatasets()) {
            // Reading every clip of the show only to throw them away is slow on a large show.
            if (dataset == &playlist && !m_playlistChosen) {
                lista.first();
                selectPlaylist(lista.text("lista"));
            }
            dataset->open(m_db);
        }
    } catch (...) {
        m_db.close();
        throw;
    }
}

void ShowDatabase::refresh(int clipCode, const QString& playlistName, const QString& stageName,
                           int actionId, int connectionId)
{
    const QString playlistShown = playlistName.trimmed();
    selectPlaylist(playlistShown);
    openRead();
    lista.locate("lista", playlistShown);
    playlist.locate("codice", clipCode);
    layoutdb1.locate("nome", stageName.trimmed());
    dbConn.locate("id", connectionId);
    dbAzioni.locate("id", actionId);
}

void ShowDatabase::closeRead()
{
    for (ReadDataset* dataset : readDatasets())
        dataset->close();
    m_db.close();
}

void ShowDatabase::openWrite()
{
    if (!m_dbs.isOpen() && !m_dbs.open())
        throw DatabaseError(m_dbs.lastError());
    if (!m_inTransaction) {
        if (!m_dbs.transaction())
            throw DatabaseError(m_dbs.lastError());
        m_inTransaction = true;
    }
}

void ShowDatabase::commitWrite()
{
    if (!m_inTransaction)
        return;
    if (!m_dbs.commit())
        throw DatabaseError(m_dbs.lastError());
    m_inTransaction = false;
}

void ShowDatabase::rollbackWrite()
{
    if (m_inTransaction)
        m_dbs.rollback();
    m_inTransaction = false;
}

void ShowDatabase::closeWrite()
{
    rollbackWrite();
    for (WriteDataset* dataset : writeDatasets())
        dataset->close();
    m_dbs.close();
}

int ShowDatabase::nextValue(Maximum maximum)
{
    static const QHash<Maximum, QString> procedures = {{Maximum::ClipOrder, "max_ordine"},
                                                       {Maximum::PlaylistOrder, "max_lista"},
                                                       {Maximum::StageOrder, "max_layout"},
                                                       {Maximum::ConnectionId, "max_conn"},
                                                       {Maximum::ActionId, "max_azioni"}};
    openWrite();
    QSqlQuery query(m_dbs);
    if (!query.exec(QStringLiteral("select * from \"%1\"").arg(procedures.value(maximum))))
        throw DatabaseError(query.lastError());
    // A missing value reads as 0.
    const int largest = query.next() ? query.value(0).toInt() : 0;
    return largest + 1;
}
