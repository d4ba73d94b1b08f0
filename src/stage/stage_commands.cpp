#include "stage/stage_commands.h"

#include "data/show_database.h"
#include "data/write_operation.h"
#include "library/playlists.h"
#include "stage/current_stage.h"

#include <QAbstractButton>

StageCommands::StageCommands(ShowDatabase& database, WriteOperation& write, PlaylistHost& host,
                             Playlists& playlists, CurrentStage& stage, Controls controls,
                             QObject* parent)
    : QObject(parent)
    , m_database(database)
    , m_write(write)
    , m_host(host)
    , m_playlists(playlists)
    , m_stage(stage)
    , m_controls(controls)
{
}

void StageCommands::refresh(const QString& stage)
{
    m_host.AggiornaElementi(int(m_database.playlist.integer("codice")), m_playlists.current(),
                            stage, 1, 1);
}

void StageCommands::addStage()
{
    const auto name = m_host.askText("Make a new stage", {}, 30);
    if (!name)
        return;
    // Names compare in their stored, blank-padded form.
    for (int row = 0; row < m_database.layoutdb1.count(); ++row) {
        if (m_database.layoutdb1.textAt(row, "nome") == rightTrimmed(*name) && !name->isEmpty()) {
            m_host.showWarning("The stage already exits.");
            return;
        }
    }
    if (name->isEmpty())
        return;
    const int sx = m_stage.sx;
    const int sy = m_stage.sy;
    m_database.layoutdb.setFilter("1 = 0"); // only the new row
    m_write.run(
        {&m_database.layoutdb},
        [&] {
            WriteDataset& stages = m_database.layoutdb;
            stages.append();
            const QList<std::pair<const char*, QVariant>> values = {
                {"nome", *name},
                {"ordine", m_database.nextValue(ShowDatabase::Maximum::StageOrder)},
                {"sfondo", QString()},
                {"sx", sx},
                {"sy", sy},
                {"offsetx", 0},
                {"offsety", 0},
                {"colore", 0},
                {"picture", 0},
                {"atop", 20},
                {"aleft", 20},
                {"awidth", sx / 2},
                {"aheigth", sy / 2},
                {"acolor", 0},
                {"btop", 5},
                {"bleft", 5},
                {"bwidth", sx / 2},
                {"bheigth", sy / 2},
                {"bcolor", 0},
                {"battivo", 1},
                {"schermo", 0},
                {"ashape", 0},
                {"bshape", 0},
                {"alati", 3},
                {"blati", 3},
                {"restart", 0}};
            for (const auto& [column, value] : values)
                stages.setValue(column, value);
        },
        [&] { refresh(m_stage.nome); });
}

void StageCommands::deleteStage()
{
    ReadDataset& stages = m_database.layoutdb1;
    if (stages.count() <= 1) {
        m_host.showWarning("One layout must be exist");
        return;
    }
    const QString name = stages.text("nome");
    if (!m_host.askYesNo(QStringLiteral("Do you want delete layout \"%1\" ?").arg(name)))
        return;
    m_database.layoutdb.setFilter(R"("nome" = ?)", {name});
    m_write.run(
        {&m_database.layoutdb},
        [&] {
            if (m_database.layoutdb.locate("nome", name))
                m_database.layoutdb.remove();
        },
        [&] {
            // As at start-up: the first playlist, the first stage. The windows stay as they
            // are: a deleted stage stays on screen until another is taken.
            m_database.lista.first();
            m_host.AggiornaElementi(-1, m_database.lista.text("lista"), QString(), 1, 1);
            m_playlists.showFirst();
            m_database.layoutdb1.first();
            m_stage.copiaLayout(m_database.layoutdb1);
        },
        false);
}

void StageCommands::move(int step)
{
    ReadDataset& stages = m_database.layoutdb1;
    const int row = stages.recNo();
    const int other = row + step;
    if (stages.count() <= 1 || other < 0 || other >= stages.count())
        return;
    const QVariant name = stages.valueAt(row, "nome");
    const QVariant otherName = stages.valueAt(other, "nome");
    m_database.layoutdb.setFilter(R"("nome" in (?, ?))", {name, otherName});
    m_write.run(
        {&m_database.layoutdb}, [&] { m_database.layoutdb.swapValues("ordine", name, otherName); },
        [&] { refresh(variantText(name)); });
}

bool StageCommands::saveToClip(int clipCode)
{
    const QString stage = m_database.layoutdb1.text("nome");
    bool found = false;
    m_database.p.setFilter(R"("codice" = ?)", {clipCode});
    m_write.run(
        {&m_database.p},
        [&] {
            found = m_database.p.locate("codice", clipCode);
            if (!found)
                return;
            m_database.p.setValue("nomelayout", stage);
            m_database.p.setValue("changeA", m_controls.changeLayerA->isChecked() ? 1 : 0);
            m_database.p.setValue("changeB", m_controls.changeLayerB->isChecked() ? 1 : 0);
            m_database.p.setValue("changeBG", m_controls.changeBackground->isChecked() ? 1 : 0);
            m_database.p.setValue("monitor", 1);
        },
        [&] { refresh(m_stage.nome); });
    return found;
}
