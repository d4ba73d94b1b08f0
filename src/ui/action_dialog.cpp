#include "ui/action_dialog.h"

#include "ui/named_widgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

ActionDialog::ActionDialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName("addAction");
    setWindowTitle("Action Script");
    setModal(true);
    m_name = named<QLineEdit>("nomeA", this);
    m_name->setMaxLength(25);
    m_script = named<QPlainTextEdit>("script", this);
    m_script->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Action name", this));
    layout->addWidget(m_name);
    layout->addWidget(new QLabel("Script", this));
    layout->addWidget(m_script, 1);
    layout->addLayout(saveCancelRow(this, &ActionDialog::save));
    resize(420, 360);
}

void ActionDialog::save()
{
    if (m_name->text().isEmpty()) {
        m_name->setFocus();
        return;
    }
    accept();
}

std::optional<std::pair<QString, QString>> ActionDialog::ask(const QString& name,
                                                             const QString& script)
{
    m_name->setText(name);
    m_script->setPlainText(QString(script).replace("\r\n", "\n"));
    m_name->setFocus();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return std::pair{m_name->text(), m_script->toPlainText().replace('\n', "\r\n")};
}
