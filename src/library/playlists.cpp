#include "library/playlists.h"

#include "data/database_error.h"
#include "data/read_dataset.h"
#include "data/show_database.h"
#include "data/write_operation.h"

#include <QSqlQuery>

namespace {
// Within the write: a name another playlist has is refused in words the operator
// understands, before the database's key refuses it in its own.
void refuseTakenName(const ShowDatabase& database, const QString& name)
{
    QSqlQuery query(database.dbs());
    query.prepare(R"(select count(*) from "liste" where "lista" = ?)");
    query.addBindValue(name);
    if (!query.exec() || !query.next())
        throw DatabaseError(query.lastError());
    if (query.value(0).toInt() > 0)
        throw DatabaseError(QStringLiteral("A playlist named \"%1\" exists already.").arg(name));
}
} // namespace

Playlists::Playlists(ShowDatabase& database, WriteOperation& write, PlaylistHost& host,
                     QObject* parent)
    : QObject(parent)
    , m_database(database)
    , m_write(write)
    , m_host(host)
{
}

QString Playlists::selected() const
{
    return m_database.lista.text("lista");
}

int Playlists::currentClip() const
{
    return int(m_database.playlist.integer("codice"));
}

void Playlists::setCurrent(const QString& name)
{
    m_current = name;
    emit currentChanged(m_current, m_database.playlist.count());
}

void Playlists::refresh(int clip, const QString& playlist)
{
    m_host.AggiornaElementi(clip, playlist, m_host.onAirStageName(), 1, 1);
}

void Playlists::showFirst()
{
    m_database.lista.first();
    setCurrent(selected());
}

void Playlists::select(int row)
{
    if (!m_database.lista.moveTo(row))
        return;
    // Read again, not only its clips: another workstation may have changed the show, and a
    // connection lost with its server is made again.
    const QString name = selected();
    if (m_host.AggiornaElementi(currentClip(), name, m_host.onAirStageName(),
                                int(m_database.dbAzioni.integer("id")),
                                int(m_database.dbConn.integer("id")))) {
        setCurrent(name);
        return;
    }
    // Not read: the console stays on the playlist whose clips it shows.
    m_database.lista.locate("lista", m_current);
    setCurrent(m_current);
}

void Playlists::setDestination(int row)
{
    if (!m_database.lista.moveTo(row))
        return;
    m_destination = selected();
    emit destinationChanged(m_destination);
}

void Playlists::clearDestination()
{
    m_destination = NoDestination;
    emit destinationChanged(m_destination);
}

void Playlists::create()
{
    const int clip = currentClip();
    const auto name = m_host.askText("Make a new playlist", {}, NameLength);
    if (!name || name->isEmpty() || *name == m_current)
        return;
    const bool created = m_write.run(
        {&m_database.listas},
        [&] {
            refuseTakenName(m_database, *name);
            m_database.listas.append();
            m_database.listas.setValue("lista", *name);
            m_database.listas.setValue("ordine",
                                       m_database.nextValue(ShowDatabase::Maximum::PlaylistOrder));
        },
        [&] { refresh(clip, *name); }, false);
    // A refused name leaves the console on the playlist it showed.
    if (created)
        setCurrent(*name);
}

void Playlists::rename()
{
    if (m_database.lista.isEmpty())
        return;
    const int clip = currentClip();
    const QString oldName = selected();
    const auto name = m_host.askText("Rename playlist", oldName, NameLength);
    if (!name || name->isEmpty() || *name == m_current)
        return;
    const QString shown = m_current == oldName ? *name : m_current;
    m_database.p.setFilter(R"("lista" = ?)", {oldName});
    const bool renamed = m_write.run(
        {&m_database.listas, &m_database.p},
        [&] {
            if (*name != oldName)
                refuseTakenName(m_database, *name);
            if (m_database.listas.locate("lista", oldName))
                m_database.listas.setValue("lista", *name);
            // Only the clips of exactly that playlist: "Show 2" is not "Show".
            WriteDataset& clips = m_database.p;
            for (int row = 0; row < clips.count(); ++row) {
                clips.moveTo(row);
                if (variantText(clips.value("lista")) == oldName)
                    clips.setValue("lista", *name);
            }
        },
        [&] { refresh(clip, shown); });
    if (renamed)
        setCurrent(shown);
}

void Playlists::remove()
{
    ReadDataset& lists = m_database.lista;
    if (lists.isEmpty())
        return;
    const QString name = selected();
    if (!m_host.askYesNo(QStringLiteral("Do you want delete playlist \"%1\" ?").arg(name)))
        return;
    // The first remaining playlist by order becomes current.
    QString first;
    for (int row = 0; row < lists.count(); ++row) {
        if (lists.textAt(row, "lista") != name) {
            first = lists.textAt(row, "lista");
            break;
        }
    }
    m_database.p.setFilter(R"("lista" = ?)", {name});
    const bool removed = m_write.run(
        {&m_database.listas, &m_database.p},
        [&] {
            if (m_database.listas.locate("lista", name))
                m_database.listas.remove();
            WriteDataset& clips = m_database.p;
            for (int row = clips.count() - 1; row >= 0; --row) {
                clips.moveTo(row);
                if (variantText(clips.value("lista")) == name)
                    clips.remove();
            }
        },
        [&] { refresh(currentClip(), first); });
    if (removed)
        setCurrent(first);
}

void Playlists::move(int step)
{
    ReadDataset& lists = m_database.lista;
    const int row = lists.recNo();
    const int other = row + step;
    if (lists.isEmpty() || other < 0 || other >= lists.count())
        return;
    m_host.setLevelMeters(false);
    const int clip = currentClip();
    const QVariant name = lists.valueAt(row, "lista"); // blank-padded, as stored
    const QVariant otherName = lists.valueAt(other, "lista");
    m_database.listas.setFilter(R"("lista" in (?, ?))", {name, otherName});
    m_write.run(
        {&m_database.listas}, [&] { m_database.listas.swapValues("ordine", name, otherName); },
        [&] {
            refresh(clip, m_current);
            m_database.lista.locate("lista", name);
        },
        false);
    m_host.setLevelMeters(true);
    emit currentChanged(m_current, m_database.playlist.count());
}

void Playlists::moveClipToDestination()
{
    if (m_database.playlist.isEmpty() || m_destination == NoDestination ||
        m_destination == m_database.playlist.text("lista"))
        return;
    const int clip = currentClip();
    const QVariant selectedName = m_database.lista.value("lista");
    m_database.p.setFilter(R"("codice" = ?)", {clip});
    m_write.run(
        {&m_database.p},
        [&] {
            if (m_database.p.locate("codice", clip))
                m_database.p.setValue("lista", m_destination);
        },
        [&] {
            refresh(clip, m_current);
            m_database.lista.locate("lista", selectedName);
        });
    setCurrent(m_current);
}

void Playlists::showSelected()
{
    setCurrent(selected());
}
