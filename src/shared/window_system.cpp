#include "shared/window_system.h"

#include <QGuiApplication>
#include <xcb/xcb.h>

void flushWindowSystem()
{
    auto* app = qGuiApp;
    if (!app || QGuiApplication::platformName() != QLatin1String("xcb"))
        return; // the offscreen platform answers as X11 too, without a connection
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 && x11->connection())
        xcb_flush(x11->connection());
}
