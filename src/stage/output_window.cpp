#include "stage/output_window.h"

OutputWindow::OutputWindow(Role role)
    : QWidget(nullptr)
    , m_role(role)
{
    Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint;
    switch (role) {
    case Role::Background:
        setObjectName("playout0");
        setWindowTitle("PlayOut");
        break;
    case Role::LayerA:
        setObjectName("playout");
        setWindowTitle("playout");
        flags |= Qt::WindowStaysOnTopHint;
        break;
    case Role::LayerB:
        setObjectName("playoutB");
        setWindowTitle("Playout B");
        flags |= Qt::WindowStaysOnTopHint;
        break;
    }
    setWindowFlags(flags);
    // Black where nothing is drawn; Qt paints widgets double-buffered already.
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setCursor(Qt::BlankCursor);
}
