#include "automation/action_commands.h"

#include "channels/channel_state.h"
#include "data/show_database.h"

ActionCommands::ActionCommands(ShowDatabase& database, ActionStore& store, ChannelState& state,
                               ActionCommandsHost& host)
    : m_database(database)
    , m_store(store)
    , m_state(state)
    , m_host(host)
{
}

void ActionCommands::add()
{
    const auto action = m_host.askAction({}, {});
    if (action)
        m_store.add(action->first, action->second);
}

void ActionCommands::edit()
{
    const ReadDataset& actions = m_database.dbAzioni;
    // Nothing to overwrite in an empty list.
    if (actions.isEmpty())
        return;
    // The id the dialog opened with, whatever moves the cursor while it is open.
    const int id = int(actions.integer("id"));
    const auto action = m_host.askAction(actions.text("nome"), actions.text("script"));
    if (action)
        m_store.edit(id, action->first, action->second);
}

void ActionCommands::remove()
{
    const ReadDataset& actions = m_database.dbAzioni;
    if (actions.isEmpty())
        return;
    const int id = int(actions.integer("id"));
    if (m_host.askYesNo("Are you sure to delete action: " + actions.text("nome")))
        m_store.remove(id);
}

void ActionCommands::setClipAction(int tag)
{
    const int channel = m_state.selectedChannel;
    const int clip = m_state.codice(channel);
    if (clip == -1 || tag < 1 || tag > 4)
        return;
    const bool setting = tag <= 2;
    if (setting && m_database.dbAzioni.isEmpty())
        return;
    const int action = setting ? int(m_database.dbAzioni.integer("id")) : -1;
    const bool start = tag == 1 || tag == 3;
    if (!m_store.setClipAction(
            clip, start ? ActionStore::ClipAction::Start : ActionStore::ClipAction::End, action))
        return;
    ClipSettings& settings = m_state.clipSettings[channel];
    (start ? settings.FAzione1 : settings.FAzione2) = action;
    m_host.showSaved(channel);
}
