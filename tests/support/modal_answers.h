#pragma once

#include <QObject>
#include <QQueue>
#include <QStringList>
#include <optional>

// Answers the modal dialogs a test provokes, in order, as the operator would: a message box
// by its button, the text prompt by typing a text and pressing Enter (or Escape). Records
// what each dialog said.
class ModalAnswers : public QObject {
public:
    ModalAnswers();

    // The next message box is answered with this button text ("OK", "Yes", "No").
    void button(const QString& caption) { m_answers.enqueue({caption, std::nullopt}); }
    // The next text prompt gets this text and Enter, the next file dialog this file and
    // Open; nullopt cancels either.
    void text(const std::optional<QString>& typed) { m_answers.enqueue({{}, typed}); }

    QStringList seen; // message texts and prompt captions, in order

private:
    void answer();
    struct Answer {
        QString button;
        std::optional<QString> text;
    };
    QQueue<Answer> m_answers;
};
