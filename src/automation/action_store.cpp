#include "automation/action_store.h"

#include "data/show_database.h"
#include "data/write_operation.h"

ActionStore::ActionStore(ShowDatabase& database, WriteOperation& write, Refresh refresh)
    : m_database(database)
    , m_write(write)
    , m_refresh(std::move(refresh))
{
}

std::optional<int> ActionStore::add(const QString& name, const QString& script)
{
    WriteDataset& actions = m_database.dbsAzioni;
    actions.setFilter(QStringLiteral("1 = 0")); // only the new row
    int id = 0;
    const bool written = m_write.run(
        {&actions},
        [&] {
            id = m_database.nextValue(ShowDatabase::Maximum::ActionId);
            actions.append();
            actions.setValue("id", id);
            actions.setValue("nome", name.left(NameLength));
            actions.setValue("script", script);
        },
        [&] { m_refresh(-1, id); });
    return written ? std::optional<int>(id) : std::nullopt;
}

bool ActionStore::edit(int id, const QString& name, const QString& script)
{
    WriteDataset& actions = m_database.dbsAzioni;
    return m_write.changeRow(
        actions, "id", id,
        [&] {
            actions.setValue("nome", name.left(NameLength));
            actions.setValue("script", script);
        },
        [&] { m_refresh(-1, id); });
}

bool ActionStore::remove(int id)
{
    WriteDataset& actions = m_database.dbsAzioni;
    return m_write.changeRow(
        actions, "id", id, [&] { actions.remove(); }, [&] { m_refresh(-1, 1); });
}

bool ActionStore::setClipAction(int clip, ClipAction which, int action)
{
    WriteDataset& clips = m_database.p;
    return m_write.changeRow(
        clips, "codice", clip,
        [&] {
            clips.setValue(which == ClipAction::Start ? "azione_iniziale" : "azione_finale",
                           action);
        },
        [&] { m_refresh(clip, int(m_database.dbAzioni.integer("id"))); });
}
