#include "core/console_keys.h"

#include "channels/channel_panel.h"
#include "channels/transport_bar.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>

namespace {
// Keys typed into these go to them, not to the console's shortcuts.
bool takesText(const QWidget* widget)
{
    return qobject_cast<const QLineEdit*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget);
}

bool noModifiers(const QKeyEvent* key)
{
    return (key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0 &&
           QGuiApplication::mouseButtons() == Qt::NoButton;
}
} // namespace

ConsoleKeys::ConsoleKeys(Targets targets, QObject* parent)
    : QObject(parent)
    , m_targets(std::move(targets))
{
    qApp->installEventFilter(this);
}

ConsoleKeys::~ConsoleKeys()
{
    stop();
}

void ConsoleKeys::stop()
{
    qApp->removeEventFilter(this);
}

bool ConsoleKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        // Each key event is offered once, to the window that has the focus.
        if (widget && widget->isWindow() == false && widget == QApplication::focusWidget() &&
            widget->window() == m_targets.console && !takesText(widget))
            return press(static_cast<QKeyEvent*>(event));
        if (widget == m_targets.console && QApplication::focusWidget() == nullptr)
            return press(static_cast<QKeyEvent*>(event));
    }
    return QObject::eventFilter(watched, event);
}

bool ConsoleKeys::press(QKeyEvent* key)
{
    const auto click = [](QPushButton* button) { button->click(); };
    const bool plain = noModifiers(key);
    const bool keypad = key->modifiers() & Qt::KeypadModifier;
    bool handled = true;
    switch (key->key()) {
    case Qt::Key_Space:
        click(m_targets.transport->load());
        break;
    case Qt::Key_L:
        plain ? click(m_targets.transport->play()) : void(handled = false);
        break;
    case Qt::Key_A:
    case Qt::Key_B:
        plain ? m_targets.selectLayer(key->key() == Qt::Key_A ? 1 : 2) : void(handled = false);
        break;
    case Qt::Key_End:
        plain ? click(m_targets.transport->stop()) : void(handled = false);
        break;
    case Qt::Key_P:
        click(m_targets.transport->pause());
        break;
    case Qt::Key_Plus:
    case Qt::Key_Minus: {
        if (!keypad) {
            handled = false;
            break;
        }
        QScrollBar* time =
            m_targets.panels[m_targets.selectedChannel() == 2 ? 1 : 0]->transitionTime();
        time->setValue(time->value() + (key->key() == Qt::Key_Plus ? 1 : -1));
        break;
    }
    default:
        handled = false;
    }
    // Whatever the key did, the shortcuts keep working from the clip grid.
    m_targets.clipGrid->setFocus();
    return handled;
}
