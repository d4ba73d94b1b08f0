#include "ui/control_mapper.h"

#include "data/read_dataset.h"
#include "ui/dataset_grid.h"
#include "ui/named_widgets.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

ControlMapper::ControlMapper(ControlMapKind kind, ReadDataset& rows, ControlMapStore& store,
                             ShowError showError, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
    , m_kind(kind)
    , m_rows(rows)
    , m_store(store)
    , m_showError(std::move(showError))
{
    const bool midi = kind == ControlMapKind::Midi;
    const QString word = midi ? "MIDI" : "DMX";
    setObjectName(midi ? "elencoMIDI" : "elencoDMX");
    setWindowTitle(word + " Mapper");
    setModal(false);

    QList<GridColumn> columns = {
        {"CODE", "codice", 80}, {"TYPE", "tipo", 150}, {"ID", "esegui", 50}};
    const QStringList addressColumns = ControlMapStore::addressColumns(kind);
    const QList<Field> edits = fields(kind);
    for (int i = 0; i < edits.size(); ++i)
        columns.append({edits.at(i).label, addressColumns.at(i), 70});
    m_grid = new DatasetGrid("elenco", rows, columns, this);

    auto* group = new QGroupBox(word + " GET VALUE", this);
    m_learn = named<QCheckBox>("chkActiveGetValue", group);
    m_learn->setText("Active get value");
    auto* form = new QFormLayout(group);
    form->addRow(m_learn);
    auto* digits = new QRegularExpressionValidator(QRegularExpression("[0-9]{0,3}"), this);
    for (const Field& field : edits) {
        auto* edit = named<QLineEdit>(field.edit, group);
        edit->setValidator(digits);
        edit->setText("0");
        form->addRow(field.label, edit);
        m_edits.append(edit);
    }
    connect(m_learn, &QCheckBox::toggled, this, [this](bool on) {
        if (!on)
            clearEdits();
        m_grid->setFocus();
    });

    auto* buttons = new QVBoxLayout;
    const auto addButton = [&](const char* name, const QString& caption, auto handler) {
        QPushButton* button = namedButton(name, caption, this);
        connect(button, &QPushButton::clicked, this, handler);
        buttons->addWidget(button);
    };
    addButton("btnSave", "SAVE " + word + " VALUE", &ControlMapper::save);
    addButton("btnDelete", "DELETE", &ControlMapper::remove);
    addButton("btnReset", "RESET " + word + " VALUE", &ControlMapper::reset);
    addButton("btnFactoryReset", "FACTORY RESET", [this] { m_store.factoryReset(); });
    addButton("btnExit", "EXIT", &ControlMapper::reject);
    buttons->addStretch();

    auto* side = new QVBoxLayout;
    side->addWidget(group);
    side->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_grid, 1);
    layout->addLayout(side);
    setFixedSize(midi ? 760 : 830, 420);
}

QList<ControlMapper::Field> ControlMapper::fields(ControlMapKind kind)
{
    if (kind == ControlMapKind::Midi)
        return {
            {"txtMIDI1", "MIDI 1", 15}, {"txtMIDI2", "MIDI 2", 127}, {"txtMIDI3", "MIDI 3", 127}};
    return {{"txtUniverso", "UNIVERSE", 15},
            {"txtSubNet", "SUBNET", 15},
            {"txtChannel", "CHANNEL", 512},
            {"txtValue", "VALUE", 255}};
}

void ControlMapper::open()
{
    clearEdits();
    m_learn->setChecked(false);
    m_grid->reload();
    show();
    raise();
    activateWindow();
}

void ControlMapper::reject()
{
    m_learn->setChecked(false);
    hide();
}

bool ControlMapper::isLearning() const
{
    return m_learn->isChecked();
}

void ControlMapper::learn(const ControlMapStore::Address& received)
{
    if (!isLearning())
        return;
    for (int i = 0; i < m_edits.size(); ++i)
        m_edits.at(i)->setText(QString::number(received.value(i)));
}

void ControlMapper::clearEdits()
{
    for (QLineEdit* edit : std::as_const(m_edits))
        edit->setText("0");
}

std::optional<ControlMapStore::Address> ControlMapper::address()
{
    const QList<Field> edits = fields(m_kind);
    ControlMapStore::Address values;
    for (int i = 0; i < m_edits.size(); ++i) {
        const QString text = m_edits.at(i)->text();
        bool isNumber = false;
        const int value = text.toInt(&isNumber);
        if (!isNumber) {
            m_showError(QStringLiteral("'%1' is not a valid integer value").arg(text));
            return std::nullopt;
        }
        if (value > edits.at(i).largest) {
            m_showError(QStringLiteral("'%1' is out of range for %2 (0 to %3)")
                            .arg(text, edits.at(i).label)
                            .arg(edits.at(i).largest));
            return std::nullopt;
        }
        values.append(value);
    }
    return values;
}

std::optional<int> ControlMapper::selectedId() const
{
    if (m_rows.isEmpty())
        return std::nullopt;
    return int(m_rows.integer("id"));
}

void ControlMapper::selectAgain(int id)
{
    if (m_rows.locate("id", id))
        m_grid->showCursor();
}

void ControlMapper::mapAction(int actionId, const QString& actionName)
{
    if (!isVisible())
        return;
    ControlMapStore::Address values(m_edits.size(), 0);
    if (isLearning()) {
        const auto learnt = address();
        if (!learnt)
            return;
        values = *learnt;
    }
    m_store.addAction(actionId, actionName, values);
}

void ControlMapper::reload()
{
    m_grid->reload();
}

void ControlMapper::save()
{
    const auto id = selectedId();
    if (!isLearning() || !id)
        return;
    const auto values = address();
    if (values && m_store.setAddress(*id, *values))
        selectAgain(*id);
}

void ControlMapper::remove()
{
    const auto id = selectedId();
    if (!id || (m_kind == ControlMapKind::Dmx && !isLearning()))
        return;
    m_store.remove(*id);
}

void ControlMapper::reset()
{
    const auto id = selectedId();
    if (!id || (m_kind == ControlMapKind::Dmx && !isLearning()))
        return;
    if (m_store.resetAddress(*id))
        selectAgain(*id);
}
