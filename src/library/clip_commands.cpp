#include "library/clip_commands.h"

#include "channels/clip_columns.h"
#include "data/show_database.h"
#include "data/write_operation.h"
#include "library/playlists.h"

ClipCommands::ClipCommands(ShowDatabase& database, WriteOperation& write, PlaylistHost& host,
                           Playlists& playlists, QObject* parent)
    : QObject(parent)
    , m_database(database)
    , m_write(write)
    , m_host(host)
    , m_playlists(playlists)
{
}

QString ClipCommands::endStatus(int tag)
{
    static const QStringList words = {"LAST FRAME", "LOOP", "BLACK", "NEXT CLIP"};
    return tag >= 1 && tag <= 4 ? words.at(tag - 1) : QString();
}

bool ClipCommands::noClip() const
{
    return m_database.playlist.isEmpty();
}

int ClipCommands::currentClip() const
{
    return int(m_database.playlist.integer("codice"));
}

void ClipCommands::refresh(int clip)
{
    m_host.AggiornaElementi(clip, m_playlists.current(), m_host.onAirStageName(), 1, 1);
}

QList<std::pair<const char*, QVariant>> ClipCommands::neutralFilters() const
{
    return neutralFilterValues(int(m_database.playlist.integer("w")),
                               int(m_database.playlist.integer("h")));
}

bool ClipCommands::changeCurrent(const QList<std::pair<const char*, QVariant>>& values,
                                 bool pauseMeters)
{
    if (noClip())
        return false;
    const int clip = currentClip();
    m_database.p.setFilter(R"("codice" = ?)", {clip});
    return m_write.run(
        {&m_database.p},
        [&] {
            if (!m_database.p.locate("codice", clip))
                return;
            for (const auto& [column, value] : values)
                m_database.p.setValue(column, value);
        },
        [&] { refresh(clip); }, pauseMeters);
}

void ClipCommands::deleteClip()
{
    if (noClip())
        return;
    const QString title = m_database.playlist.text("titolo");
    if (!m_host.askYesNo(QStringLiteral("Are you sure to delete clip \"%1\" ?").arg(title)))
        return;
    ReadDataset& clips = m_database.playlist;
    const int clip = currentClip();
    // The clip after it is selected afterwards; after the last one, the first.
    const int next = clips.recNo() + 1 < clips.count()
                         ? int(clips.valueAt(clips.recNo() + 1, "codice").toInt())
                         : clip;
    m_database.p.setFilter(R"("codice" = ?)", {clip});
    m_write.run(
        {&m_database.p},
        [&] {
            if (m_database.p.locate("codice", clip))
                m_database.p.remove();
        },
        [&] { refresh(next); });
}

void ClipCommands::move(int step)
{
    ReadDataset& clips = m_database.playlist;
    const int row = clips.recNo();
    const int other = row + step;
    if (noClip() || other < 0 || other >= clips.count())
        return;
    const int clip = currentClip();
    const QVariant otherClip = clips.valueAt(other, "codice");
    m_database.p.setFilter(R"("codice" in (?, ?))", {clip, otherClip});
    m_write.run(
        {&m_database.p}, [&] { m_database.p.swapValues("ordine", clip, otherClip); },
        [&] { refresh(clip); });
}

void ClipCommands::rename()
{
    if (noClip())
        return;
    const QString title = m_database.playlist.text("titolo").trimmed();
    const auto typed = m_host.askText("Rename clip name", title, 250);
    if (!typed || *typed == title)
        return;
    const int clip = currentClip();
    if (changeCurrent({{"titolo", *typed}}))
        emit clipRenamed(clip, *typed);
}

void ClipCommands::duplicate(bool withFilters)
{
    if (noClip())
        return;
    const int source = currentClip();
    const ReadDataset& clip = m_database.playlist;
    QList<std::pair<const char*, QVariant>> values;
    for (const ClipColumn& column : clipTableColumns())
        if (column.group == ClipColumn::Group::Clip ||
            (withFilters && column.group == ClipColumn::Group::Filter))
            values.append({column.name, clip.value(column.name)});
    if (!withFilters)
        values.append(neutralFilters());
    m_database.p.setFilter("1 = 0"); // only the new row
    m_write.run(
        {&m_database.p},
        [&] {
            m_database.p.append();
            m_database.p.setValue("ordine", m_database.nextValue(ShowDatabase::Maximum::ClipOrder));
            for (const auto& [column, value] : values)
                m_database.p.setValue(column, value);
        },
        [&] { refresh(source); });
}

void ClipCommands::relink()
{
    if (noClip())
        return;
    const auto file = m_host.chooseMediaFile();
    if (!file)
        return;
    changeCurrent({{"file", *file}});
}

void ClipCommands::setEndStatus(int tag)
{
    changeCurrent({{"status", endStatus(tag)}}, false);
}

void ClipCommands::setPlaylistEndStatus(int tag)
{
    if (!m_host.askYesNo("Are you sure to change status in all clips?"))
        return;
    const QString playlist = m_playlists.selected();
    const int clip = currentClip();
    m_database.p.setFilter(R"("lista" = ?)", {playlist});
    m_write.run(
        {&m_database.p},
        [&] {
            WriteDataset& clips = m_database.p;
            for (int row = 0; row < clips.count(); ++row) {
                clips.moveTo(row);
                if (variantText(clips.value("lista")).trimmed() == playlist)
                    clips.setValue("status", endStatus(tag));
            }
        },
        [&] {
            m_host.AggiornaElementi(clip, playlist, m_host.onAirStageName(), 1, 1);
            m_playlists.showSelected();
        },
        false);
}

void ClipCommands::setAspect(const QString& aspect)
{
    changeCurrent({{"aspectratio", aspect}});
}

void ClipCommands::resetFilters()
{
    if (noClip() || !m_host.askYesNo("Are you sure to reset all filtera?"))
        return;
    auto values = neutralFilters();
    values.append({"preview", 0});
    values.append({"deinterlace", 0});
    changeCurrent(values);
}

void ClipCommands::setAutoloadStage(bool on)
{
    if (noClip())
        return;
    if (!on) {
        changeCurrent({{"monitor", 0}});
        return;
    }
    const QString stage = m_database.playlist.text("nomelayout");
    bool found = false;
    for (int row = 0; row < m_database.layoutdb1.count() && !found; ++row)
        found = m_database.layoutdb1.textAt(row, "nome") == stage;
    if (!found) {
        m_host.showWarning(QStringLiteral("Stage %1 not found").arg(stage));
        return;
    }
    changeCurrent({{"monitor", 1}});
}
