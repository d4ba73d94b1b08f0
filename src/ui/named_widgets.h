#pragma once

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
