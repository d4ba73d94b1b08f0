#include "library/clip_commands.h"

#include "data/show_database.h"
#include "data/write_operation.h"
#include "library/playlists.h"

namespace {
// Columns a duplicate always takes from its source.
const char* const CopiedColumns[] = {
    "titolo",      "file",    "tipo",        "duratams",    "start",         "end",
    "aspectratio", "status",  "risoluzione", "volume",      "frame",         "monitor",
    "player",      "gruppo",  "lista",       "aratio",      "azione_finale", "azione_iniziale",
    "w",           "h",       "preview",     "deinterlace", "trxtime",       "nomelayout",
    "changeA",     "changeB", "changeBG"};
// The filter columns, copied by "Make duplicated" and neutral otherwise.
const char* const FilterColumns[] = {
    "crop",  "cropx",  "cropy",   "cropw", "croph", "brightness", "saturation",  "hue",
    "ruota", "color",  "rs",      "gs",    "bs",    "rm",         "gm",          "bm",
    "rh",    "gh",     "bh",      "blur",  "croma", "cromaLR",    "perspective", "x0",
    "y0",    "x1",     "y1",      "x2",    "y2",    "x3",         "y3",          "rotation",
    "angle", "filtro", "opacity", "speed", "vflip"};
} // namespace

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
    const int w = int(m_database.playlist.integer("w"));
    const int h = int(m_database.playlist.integer("h"));
    return {{"crop", 0},         {"cropx", 0},
            {"cropy", 0},        {"cropw", w},
            {"croph", h},        {"brightness", 0.0},
            {"saturation", 1.0}, {"hue", 0.0},
            {"ruota", 4},        {"color", 0},
            {"rs", 0.0},         {"gs", 0.0},
            {"bs", 0.0},         {"rm", 0.0},
            {"gm", 0.0},         {"bm", 0.0},
            {"rh", 0.0},         {"gh", 0.0},
            {"bh", 0.0},         {"blur", 0},
            {"croma", 0},        {"cromaLR", 0},
            {"perspective", 0},  {"x0", 0},
            {"y0", 0},           {"x1", w},
            {"y1", 0},           {"x2", 0},
            {"y2", h},           {"x3", w},
            {"y3", h},           {"rotation", 0},
            {"angle", 0.0},      {"filtro", QVariant()},
            {"opacity", 255},    {"speed", 0},
            {"vflip", 0}};
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
    for (const char* column : CopiedColumns)
        values.append({column, clip.value(column)});
    if (withFilters) {
        for (const char* column : FilterColumns)
            values.append({column, clip.value(column)});
    } else {
        values.append(neutralFilters());
    }
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
