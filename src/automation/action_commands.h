#pragma once

#include "automation/action_store.h"

#include <QString>
#include <optional>
#include <utility>

class ShowDatabase;
struct ChannelState;

// What the action commands ask of the console.
class ActionCommandsHost {
public:
    virtual ~ActionCommandsHost() = default;
    // The "Action Script" dialog filled with a name and a script; the name and script saved,
    // or none on "CANCEL".
    virtual std::optional<std::pair<QString, QString>> askAction(const QString& name,
                                                                 const QString& script) = 0;
    virtual bool askYesNo(const QString& question) = 0;
    // The channel's "SAVED" label, for a moment.
    virtual void showSaved(int channel) = 0;
};

// The gestures of the "ACTIONS" page and its menu: add, edit, delete, and a clip's start and
// end actions set from the current action or cleared, for the clip in the selected channel.
class ActionCommands {
public:
    ActionCommands(ShowDatabase& database, ActionStore& store, ChannelState& state,
                   ActionCommandsHost& host);

    void add();
    void edit();
    void remove();
    // The menu entries' tags: 1 set start, 2 set end, 3 clear start, 4 clear end.
    void setClipAction(int tag);

private:
    ShowDatabase& m_database;
    ActionStore& m_store;
    ChannelState& m_state;
    ActionCommandsHost& m_host;
};
