#include "core/dmx_control.h"

#include "automation/action_runner.h"
#include "automation/control_commands.h"
#include "core/main_menu.h"
#include "core/platform_services.h"
#include "data/read_dataset.h"
#include "ui/control_mapper.h"

#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(dmxLog, "quillon.dmx")
}

DmxControl::DmxControl(MainMenu& menu, const ReadDataset& map, ActionRunner& runner,
                       ConsoleControl& controls, Hooks hooks, QObject* parent)
    : QObject(parent)
    , m_menu(menu)
    , m_map(map)
    , m_runner(runner)
    , m_controls(controls)
    , m_hooks(std::move(hooks))
{
    connect(m_menu.artNetActive(), &QAction::triggered, this, &DmxControl::setActive);
    connect(m_menu.artNetConfiguration(), &QAction::triggered, this, &DmxControl::showConfig);
    setLibrary(nullptr);
}

void DmxControl::setLibrary(ArtNetLibrary* library)
{
    if (m_library && m_library->isActive())
        m_library->deactivate();
    m_library = library;
    m_menu.artNetActive()->setEnabled(library != nullptr);
    showActive(false);
}

void DmxControl::showActive(bool on)
{
    m_menu.artNetActive()->setChecked(on);
    m_menu.artNetConfiguration()->setEnabled(on);
}

void DmxControl::setActive(bool on)
{
    if (!m_library)
        return;
    if (!on) {
        m_library->deactivate();
        showActive(false);
        return;
    }
    const auto error =
        m_library->activate([this](int subnet, int universe, int channel, int value) {
            receive(subnet, universe, channel, value);
        });
    showActive(!error); // shown as it is: not receiving
    if (error)
        m_hooks.showError(*error);
}

void DmxControl::showConfig()
{
    if (!m_library || !m_library->isActive())
        return;
    m_library->showConfig();
    showActive(m_library->isActive());
}

void DmxControl::reloadMap()
{
    QList<DmxMappingRow> rows;
    for (int row = 0; row < m_map.count(); ++row)
        rows.append({m_map.textAt(row, "codice"), m_map.textAt(row, "tipo"),
                     m_map.valueAt(row, "esegui").toInt(), m_map.valueAt(row, "universo").toInt(),
                     m_map.valueAt(row, "subnet").toInt(), m_map.valueAt(row, "channel").toInt(),
                     m_map.valueAt(row, "valore").toInt()});
    m_mapping.load(rows);
}

void DmxControl::receive(int subnet, int universe, int channel, int value)
{
    try {
        if (m_mapper && m_mapper->isLearning()) {
            m_mapper->learn({universe, subnet, channel, value}); // learning runs nothing
            return;
        }
        const DmxMatch match = m_mapping.match(subnet, universe, channel, value);
        if (match.action) {
            m_hooks.selectAction(*match.action);
            m_runner.runAction(*match.action, ActionRunner::Source::Dmx);
        }
        if (match.command)
            eseguiComando(m_controls, *match.command, value);
    } catch (const std::exception& error) {
        qCWarning(dmxLog).noquote() << QStringLiteral("DMX %1/%2/%3 = %4:")
                                           .arg(subnet)
                                           .arg(universe)
                                           .arg(channel)
                                           .arg(value)
                                    << error.what();
    }
}
