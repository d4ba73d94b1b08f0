#pragma once

#include "channels/clip_settings.h"

#include <QList>
#include <QVariant>
#include <utility>
#include <variant>

class ReadDataset;
class WriteDataset;

// Every column of the clip table ("playlist") in one place: which member of a channel's
// settings holds it, whether it is one of the clip's picture and sound settings (a "filter":
// copied by "Make duplicated", neutral in a new clip and after "Make duplicated without
// filters" or "Reset all filters", loaded only with "Load filters"), and its neutral value,
// which for the crop's right and bottom edges and the perspective corners is the picture's
// width or height.
struct ClipColumn {
    enum class Group {
        Key,    // the row's key and order: never copied
        Clip,   // the file, its length, its place in the show: copied by every duplicate
        Filter, // the picture and sound settings
    };
    enum class Neutral { Value, Width, Height };
    using Member = std::variant<std::monostate, int ClipSettings::*, double ClipSettings::*,
                                qint64 ClipSettings::*, QString ClipSettings::*>;

    const char* name;
    Group group;
    Member member = {};
    QVariant neutral = {};
    Neutral neutralSize = Neutral::Value;

    QVariant neutralValue(int width, int height) const;
};

// In the order of the table's definition.
const QList<ClipColumn>& clipTableColumns();

// The filter columns at their neutral values for a picture of this size.
QList<std::pair<const char*, QVariant>> neutralFilterValues(int width, int height);

// The channel's settings from the current row of a clip dataset: every column a member holds,
// the filters only when `withFilters`. Throws DatabaseError when the dataset lacks a column.
void readClipSettings(const ReadDataset& clip, ClipSettings& settings, bool withFilters);

// Writes the channel's picture and sound settings that it holds into the current row of a clip
// dataset that is being edited: every filter column a member holds.
void writeFilterColumns(WriteDataset& clip, const ClipSettings& settings);
