#include "core/midi_control.h"

#include "automation/action_runner.h"
#include "automation/control_commands.h"
#include "core/main_menu.h"
#include "core/platform_services.h"
#include "data/read_dataset.h"
#include "shared/player_wait.h"
#include "ui/control_mapper.h"

#include <QActionGroup>
#include <QLoggingCategory>
#include <QMenu>
#include <QTimer>

namespace {
Q_LOGGING_CATEGORY(midiLog, "quillon.midi")
}

MidiControl::MidiControl(MidiInputDevices* input, MainMenu& menu, const ReadDataset& map,
                         ActionRunner& runner, ConsoleControl& controls, Hooks hooks,
                         QObject* parent)
    : QObject(parent)
    , m_input(input)
    , m_menu(menu)
    , m_map(map)
    , m_runner(runner)
    , m_controls(controls)
    , m_hooks(std::move(hooks))
    , m_losses([this] { return m_input ? m_input->overflows() : 0; },
               [](uint64_t lost) {
                   qCWarning(midiLog).noquote()
                       << QStringLiteral("%1 MIDI messages lost: they came faster than the "
                                         "console took them")
                              .arg(lost);
               })
{
    connect(m_menu.midiActive(), &QAction::triggered, this, &MidiControl::setActive);
    connect(m_menu.action("Communications/Refresh Midi Device"), &QAction::triggered, this,
            &MidiControl::fillDevices);
}

void MidiControl::fillDevices()
{
    // An open device is closed first: its port would hide the others' names.
    if (m_input)
        m_input->close();
    QMenu* devices = m_menu.midiDevice();
    devices->clear();
    QAction* active = m_menu.midiActive();
    active->setChecked(false);
    const QStringList names = m_input ? m_input->productNames() : QStringList();
    const bool any = !names.isEmpty();
    devices->menuAction()->setEnabled(any);
    active->setEnabled(any);
    m_menu.midiMapper()->setEnabled(any);
    if (!any)
        return;
    auto* group = new QActionGroup(devices);
    for (int i = 0; i < names.size(); ++i) {
        QAction* entry = devices->addAction(QStringLiteral("%1 (ID %2)").arg(names.at(i)).arg(i));
        entry->setData(i);
        entry->setProperty("device", names.at(i));
        entry->setCheckable(true);
        group->addAction(entry);
        connect(entry, &QAction::triggered, this, [this, entry, active] {
            // The device changes only while MIDI is off.
            if (m_input->isOpen()) {
                for (QAction* other : m_menu.midiDevice()->actions())
                    other->setChecked(other->data() == active->data());
                return;
            }
            active->setData(entry->data());
        });
    }
    devices->actions().last()->setChecked(true);
    active->setData(int(names.size() - 1));
}

void MidiControl::setActive(bool on)
{
    if (!m_input)
        return;
    if (!on) {
        m_input->close();
        return;
    }
    const int number = m_menu.midiActive()->data().toInt();
    QString name;
    for (QAction* entry : m_menu.midiDevice()->actions())
        if (entry->data().toInt() == number)
            name = entry->property("device").toString();
    m_losses.restart(); // a new input counts from 0
    if (const auto error = m_input->open(number, name, [this] { takeMessages(); })) {
        m_menu.midiActive()->setChecked(false); // shown as it is: not open
        m_hooks.showError(*error);
    }
}

void MidiControl::reloadMap()
{
    m_rows.clear();
    for (int row = 0; row < m_map.count(); ++row)
        m_rows.append({m_map.textAt(row, "codice"), m_map.textAt(row, "tipo"),
                       m_map.valueAt(row, "esegui").toInt(), m_map.valueAt(row, "midi1").toInt(),
                       m_map.valueAt(row, "midi2").toInt(), m_map.valueAt(row, "midi3").toInt()});
}

void MidiControl::takeMessages()
{
    if (!m_input || !m_input->isOpen())
        return;
    if (PlayerWait::active()) { // the messages wait in the buffer until the player is done
        QTimer::singleShot(RetryMs, this, &MidiControl::takeMessages);
        return;
    }
    m_losses.check();
    for (int taken = 0; taken < Batch; ++taken) {
        const auto event = m_input->take(); // out of the buffer before anything fails
        if (!event)
            return;
        try {
            if (m_mapper && m_mapper->isLearning()) {
                if (const auto address = midiAddress(*event))
                    m_mapper->learn({address->begin(), address->end()});
                continue; // learning runs nothing
            }
            const MidiMatch match = matchMidi(m_rows, *event);
            if (match.action) {
                m_hooks.selectAction(*match.action);
                m_runner.runAction(*match.action, ActionRunner::Source::Midi);
            }
            if (match.command)
                eseguiComando(m_controls, *match.command, match.value);
        } catch (const std::exception& error) {
            qCWarning(midiLog).noquote()
                << "MIDI message" << Qt::hex << event->status << ":" << error.what();
        }
    }
    QTimer::singleShot(0, this, &MidiControl::takeMessages); // the rest after the event loop
}
