#pragma once

#include "control/control_map_store.h"

#include <QDialog>
#include <functional>
#include <optional>

class DatasetGrid;
class QCheckBox;
class QLineEdit;
class ReadDataset;

// "MIDI Mapper" and "DMX Mapper": the map's rows in a grid, and the learn mode ("Active get
// value") in which the input writes what it receives into the edits instead of acting; the
// edits' values are then saved into the selected row or into a new row for an action. The
// window stays on top, is not modal and is left only with "EXIT" (or Escape, which does the
// same). In the DMX mapper "DELETE" and "RESET DMX VALUE" act only in learn mode.
class ControlMapper : public QDialog {
    Q_OBJECT
public:
    using ShowError = std::function<void(const QString&)>;
    ControlMapper(ControlMapKind kind, ReadDataset& rows, ControlMapStore& store,
                  ShowError showError, QWidget* parent = nullptr);

    // "Midi Mapper" / "DMX Mapper": the edits at "0", learn mode off, the window shown.
    void open() override;
    bool isLearning() const;
    // What the input received, written into the edits (in learn mode only).
    void learn(const ControlMapStore::Address& received);
    // "Set MIDI control" / "Set DMX control": a new row for the action with the edits' values
    // in learn mode, else 0; nothing while the window is hidden.
    void mapAction(int actionId, const QString& actionName);
    // Shows the rows again after the lists were refreshed.
    void reload();
    DatasetGrid* grid() const { return m_grid; }

    void reject() override; // "EXIT"

private:
    struct Field {
        const char* edit;
        QString label;
        int largest;
    };
    static QList<Field> fields(ControlMapKind kind);
    // The edits' values, or none (and the reason shown) when one is empty or out of range.
    std::optional<ControlMapStore::Address> address();
    // The id of the selected row; none in an empty map.
    std::optional<int> selectedId() const;
    void selectAgain(int id);
    void clearEdits();
    void save();
    void remove();
    void reset();

    ControlMapKind m_kind;
    ReadDataset& m_rows;
    ControlMapStore& m_store;
    ShowError m_showError;
    DatasetGrid* m_grid;
    QCheckBox* m_learn;
    QList<QLineEdit*> m_edits;
};
