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
    actions.setFilter(R"("id" = ?)", {id});
    bool found = false;
    const bool written = m_write.run(
        {&actions},
        [&] {
            found = actions.locate("id", id);
            if (!found)
                return;
            actions.setValue("nome", name.left(NameLength));
            actions.setValue("script", script);
        },
        [&] { m_refresh(-1, id); });
    return written && found;
}

bool ActionStore::remove(int id)
{
    WriteDataset& actions = m_database.dbsAzioni;
    actions.setFilter(R"("id" = ?)", {id});
    bool found = false;
    const bool written = m_write.run(
        {&actions},
        [&] {
            found = actions.locate("id", id);
            if (found)
                actions.remove();
        },
        [&] { m_refresh(-1, 1); });
    return written && found;
}

bool ActionStore::setClipAction(int clip, ClipAction which, int action)
{
    WriteDataset& clips = m_database.p;
    clips.setFilter(R"("codice" = ?)", {clip});
    bool found = false;
    const bool written = m_write.run(
        {&clips},
        [&] {
            found = clips.locate("codice", clip);
            if (found)
                clips.setValue(which == ClipAction::Start ? "azione_iniziale" : "azione_finale",
                               action);
        },
        [&] {
            if (found)
                m_refresh(clip, int(m_database.dbAzioni.integer("id")));
        });
    return written && found;
}
