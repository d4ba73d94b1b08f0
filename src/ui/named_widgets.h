#pragma once

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

// Widgets carry the names the console's documents and its automation use for them.
template <class W> W* named(const char* name, QWidget* parent)
{
    auto* widget = new W(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

inline QLabel* namedLabel(const char* name, const QString& text, QWidget* parent)
{
    auto* label = named<QLabel>(name, parent);
    label->setText(text);
    return label;
}

inline QPushButton* namedButton(const char* name, const QString& caption, QWidget* parent,
                                bool toggle = false)
{
    auto* button = named<QPushButton>(name, parent);
    button->setText(caption);
    button->setCheckable(toggle);
    return button;
}

// "SAVE" and "CANCEL" at the right of a dialog: "SAVE" runs `save` (which decides whether the
// dialog closes), "CANCEL" closes it with a cancel result.
template <class D> QHBoxLayout* saveCancelRow(D* dialog, void (D::*save)())
{
    auto* saveButton = namedButton("btnSave", "SAVE", dialog);
    auto* cancel = namedButton("btnCancel", "CANCEL", dialog);
    QObject::connect(saveButton, &QPushButton::clicked, dialog, save);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(saveButton);
    row->addWidget(cancel);
    return row;
}
