#include "core/window_system.h"

#include <QGuiApplication>
#include <xcb/xcb.h>

void flushWindowSystem()
{
    auto* app = qGuiApp;
    if (!app)
        return;
    if (auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>())
        xcb_flush(x11->connection());
}
