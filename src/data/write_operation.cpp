#include "data/write_operation.h"

#include "data/show_database.h"
#include "data/write_dataset.h"

namespace {
// Resumes the meters however the operation ends.
class MetersPaused {
public:
    explicit MetersPaused(const std::function<void(bool)>& setMeters)
        : m_setMeters(setMeters)
    {
        if (m_setMeters)
            m_setMeters(false);
    }
    ~MetersPaused()
    {
        if (m_setMeters)
            m_setMeters(true);
    }
    MetersPaused(const MetersPaused&) = delete;
    MetersPaused& operator=(const MetersPaused&) = delete;

private:
    std::function<void(bool)> m_setMeters;
};
} // namespace

WriteOperation::WriteOperation(ShowDatabase& database, Hooks hooks)
    : m_database(database)
    , m_hooks(std::move(hooks))
{
}

bool WriteOperation::run(const QList<WriteDataset*>& datasets, const std::function<void()>& change,
                         const std::function<void()>& refresh, bool pauseMeters)
{
    MetersPaused meters(pauseMeters ? m_hooks.setLevelMeters : std::function<void(bool)>());
    const auto fail = [&](const QString& message) {
        m_database.rollbackWrite();
        m_database.closeWrite();
        if (m_hooks.showError)
            m_hooks.showError(message);
        return false;
    };
    try {
        m_database.openWrite();
        for (WriteDataset* dataset : datasets)
            dataset->open(m_database.dbs());
        change();
        for (WriteDataset* dataset : datasets)
            dataset->applyUpdates(m_database.dbs());
        m_database.commitWrite();
        m_database.closeWrite();
    } catch (const std::exception& error) {
        return fail(QString::fromUtf8(error.what()));
    }
    try {
        if (refresh)
            refresh();
    } catch (const std::exception& error) {
        // The change is stored; only the console is behind.
        if (m_hooks.showError)
            m_hooks.showError(QString::fromUtf8(error.what()));
    }
    return true;
}

bool WriteOperation::changeRow(WriteDataset& rows, const QString& key, const QVariant& value,
                               const std::function<void()>& change,
                               const std::function<void()>& refresh)
{
    rows.setFilter(QStringLiteral("\"%1\" = ?").arg(key), {value});
    bool found = false;
    const bool written = run(
        {&rows},
        [&] {
            found = rows.locate(key, value);
            if (found)
                change();
        },
        [&] {
            if (found && refresh)
                refresh();
        });
    return written && found;
}
