#pragma once

#include <QDialog>
#include <optional>

class QLabel;
class QLineEdit;

// The one-field prompt used for every typed name (`NuovoTesto`): "Save" (or Enter) closes it
// with 1, "Cancel" (or Escape) with -1. A caller may limit the length of the text; a longer
// text is refused with a word under the field instead of being cut.
class TextPrompt : public QDialog {
    Q_OBJECT
public:
    static constexpr int Saved = 1;
    static constexpr int Cancelled = -1;

    explicit TextPrompt(QWidget* parent = nullptr);

    // Shows the prompt centred on the console and waits; nullopt on "Cancel".
    std::optional<QString> ask(const QString& caption, const QString& text, int maxLength = 0);

    QString text() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void save();

    QLineEdit* m_field;
    QLabel* m_refusal;
    int m_maxLength = 0;
};
