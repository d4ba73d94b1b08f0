#pragma once

#include <QList>
#include <QString>
#include <functional>

class ShowDatabase;
class WriteDataset;

// The one way show data changes: pause the level meters, open `dbs` and the write datasets,
// let the caller change rows, apply every collected change and commit in one transaction,
// close `dbs`, refresh the read side, resume the meters. On a refusal of the database the
// transaction is rolled back, `dbs` closed, the error shown, and the meters resumed all the
// same.
class WriteOperation {
public:
    struct Hooks {
        std::function<void(bool on)> setLevelMeters; // off while writing
        std::function<void(const QString&)> showError;
    };

    WriteOperation(ShowDatabase& database, Hooks hooks);

    // Returns true when the change was committed. `change` may throw DatabaseError (or any
    // std::exception) to give up; nothing is written then. `refresh` reloads the read side
    // after a commit (each caller knows what to select again), before the meters resume.
    bool run(const QList<WriteDataset*>& datasets, const std::function<void()>& change,
             const std::function<void()>& refresh, bool pauseMeters = true);

    // Changes the row whose `key` column holds `value` in one write operation (`change` sees
    // the dataset on that row), then refreshes; false when the row is gone or the write failed.
    bool changeRow(WriteDataset& rows, const QString& key, const QVariant& value,
                   const std::function<void()>& change, const std::function<void()>& refresh);

private:
    ShowDatabase& m_database;
    Hooks m_hooks;
};
