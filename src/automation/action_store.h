#pragma once

#include <QString>
#include <functional>
#include <optional>

class ShowDatabase;
class WriteOperation;

// The stored actions (table "azioni") and the start and end actions of clips: each change is
// one write operation that ends by refreshing the console (`refresh(clip, action)`: the lists
// again with that clip and that action current; a clip of -1 keeps the clip as it is).
class ActionStore {
public:
    static constexpr int NameLength = 25;
    enum class ClipAction { Start, End };

    using Refresh = std::function<void(int clip, int action)>;
    ActionStore(ShowDatabase& database, WriteOperation& write, Refresh refresh);

    // A new action with the largest id + 1; its id, or none when the write failed.
    std::optional<int> add(const QString& name, const QString& script);
    // Overwrites name and script of the action of this id; false when it is gone or the
    // write failed.
    bool edit(int id, const QString& name, const QString& script);
    // Clips and mappings that name the id keep it.
    bool remove(int id);
    // The clip's start or end action; -1 clears it. False when the clip is gone or the write
    // failed.
    bool setClipAction(int clip, ClipAction which, int action);

private:
    ShowDatabase& m_database;
    WriteOperation& m_write;
    Refresh m_refresh;
};
