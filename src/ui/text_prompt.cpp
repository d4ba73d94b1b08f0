#include "ui/text_prompt.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TextPrompt::TextPrompt(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName("NuovoTesto");
    setModal(true);
    m_field = new QLineEdit(this);
    m_field->setObjectName("a1");
    m_field->setMinimumWidth(360);
    m_refusal = new QLabel(this);
    m_refusal->setStyleSheet("color: #ff6060;");
    m_refusal->hide();
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("btnCancel");
    cancel->setAutoDefault(false);
    auto* saveButton = new QPushButton("Save", this);
    saveButton->setObjectName("btnSave");
    saveButton->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, [this] { done(Cancelled); });
    connect(saveButton, &QPushButton::clicked, this, &TextPrompt::save);
    connect(m_field, &QLineEdit::textEdited, m_refusal, &QWidget::hide);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(saveButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_field);
    layout->addWidget(m_refusal);
    layout->addLayout(buttons);
}

std::optional<QString> TextPrompt::ask(const QString& caption, const QString& text, int maxLength)
{
    setWindowTitle(caption);
    m_maxLength = maxLength;
    m_field->setText(text);
    m_refusal->hide();
    adjustSize();
    if (QWidget* console = parentWidget())
        move(console->geometry().center() - rect().center());
    m_field->setFocus();
    if (exec() != Saved)
        return std::nullopt;
    return m_field->text();
}

QString TextPrompt::text() const
{
    return m_field->text();
}

void TextPrompt::save()
{
    if (m_maxLength > 0 && m_field->text().size() > m_maxLength) {
        m_refusal->setText(QStringLiteral("At most %1 characters").arg(m_maxLength));
        m_refusal->show();
        return;
    }
    done(Saved);
}

void TextPrompt::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        save();
        return;
    case Qt::Key_Escape:
        done(Cancelled);
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
