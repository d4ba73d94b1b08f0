#pragma once

#include "data/read_dataset.h"
#include "data/write_dataset.h"

#include <QSqlDatabase>
#include <QString>

// The show database: the read connection `db` with its eight list queries and the write
// connection `dbs` with its seven cached write datasets. Only the user-interface thread
// touches it.
class ShowDatabase {
public:
    static inline const QString FileName = QStringLiteral("QUILLON.FDB");

    ShowDatabase();
    ~ShowDatabase();
    ShowDatabase(const ShowDatabase&) = delete;
    ShowDatabase& operator=(const ShowDatabase&) = delete;

    // The full database name for both connections. A name of the form host:/path/... reaches
    // a Firebird server; any other is a local file opened embedded.
    void setDatabaseName(const QString& name);
    QString databaseName() const { return m_db.databaseName(); }

    // The clip query lists one playlist's clips; until one is chosen, openRead() takes the
    // first playlist. The name reaches the query as a parameter.
    void selectPlaylist(const QString& name);

    // Opens `db` and then its datasets in the order the console needs them. Throws
    // DatabaseError (and leaves `db` closed, the datasets with the rows read last) when the
    // database cannot be opened.
    void openRead();
    void closeRead();
    bool isReadOpen() const { return m_db.isOpen(); }

    // Reopens the read side to show what has been committed, listing the clips of the
    // playlist `playlistName`, and puts the cursors back: on that playlist, on the clip of
    // `clipCode` (else the first clip), the stage named `stageName` (else the first stage),
    // the action `actionId` and the connection `connectionId`. Throws DatabaseError.
    void refresh(int clipCode, const QString& playlistName, const QString& stageName, int actionId,
                 int connectionId);

    // The write side: open `dbs` and start its transaction, commit or roll back, close.
    void openWrite();
    void commitWrite();
    void rollbackWrite();
    void closeWrite();
    bool isWriteOpen() const { return m_dbs.isOpen(); }
    bool inWriteTransaction() const { return m_inTransaction; }

    // The stored procedures that return a current maximum.
    enum class Maximum {
        ClipOrder,     // "max_ordine": "ordine" of "playlist"
        PlaylistOrder, // "max_lista": "ordine" of "liste"
        StageOrder,    // "max_layout": "ordine" of "layout"
        ConnectionId,  // "max_conn": "id" of "connessioni"
        ActionId,      // "max_azioni": "id" of "azioni"
    };
    // The maximum plus one, for a new row; an empty table gives 1. Runs on `dbs` inside the
    // write transaction.
    int nextValue(Maximum maximum);

    const QSqlDatabase& db() const { return m_db; }
    const QSqlDatabase& dbs() const { return m_dbs; }

    // Read datasets (connection db).
    ReadDataset layoutdb1;
    ReadDataset lista;
    ReadDataset playlist;
    ReadDataset lpreset;
    ReadDataset dbConn;
    ReadDataset dbAzioni;
    ReadDataset rDMX;
    ReadDataset rMIDI;

    // Write datasets (connection dbs).
    WriteDataset p;
    WriteDataset listas;
    WriteDataset layoutdb;
    WriteDataset dbsAzioni;
    WriteDataset dbsConn;
    WriteDataset sDMX;
    WriteDataset sMIDI;

    QList<ReadDataset*> readDatasets();
    QList<WriteDataset*> writeDatasets();

private:
    QString m_readName;
    QString m_writeName;
    QSqlDatabase m_db;
    QSqlDatabase m_dbs;
    bool m_inTransaction = false;
    bool m_playlistChosen = false;
};
