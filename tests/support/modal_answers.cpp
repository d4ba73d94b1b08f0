#include "support/modal_answers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

ModalAnswers::ModalAnswers()
{
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &ModalAnswers::answer);
    timer->start(10);
}

void ModalAnswers::answer()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        seen.append(box->text());
        const QString wanted = m_answers.isEmpty() ? QString("OK") : m_answers.dequeue().button;
        for (QAbstractButton* button : box->buttons()) {
            if (button->text().remove('&') == wanted) {
                button->click();
                return;
            }
        }
        box->reject();
        return;
    }
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
        seen.append(dialog->windowTitle());
        const Answer next = m_answers.isEmpty() ? Answer{} : m_answers.dequeue();
        if (!next.text) {
            dialog->reject();
            return;
        }
        // Typed into the file name field, as the operator does (selectFile leaves the field
        // alone while it has the focus).
        dialog->selectFile(*next.text);
        if (auto* field = dialog->findChild<QLineEdit*>("fileNameEdit"))
            field->setText(*next.text);
        QMetaObject::invokeMethod(dialog, "accept"); // as its Open button does
        return;
    }
    if (modal->objectName() == "NuovoTesto") {
        seen.append(modal->windowTitle());
        auto* field = modal->findChild<QLineEdit*>("a1");
        const Answer next = m_answers.isEmpty() ? Answer{} : m_answers.dequeue();
        if (!next.text) {
            QTest::keyClick(field, Qt::Key_Escape);
            return;
        }
        field->setText(*next.text);
        QTest::keyClick(field, Qt::Key_Return);
    }
}
