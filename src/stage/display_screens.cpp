#include "stage/display_screens.h"

#include <QGuiApplication>
#include <QScreen>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <cmath>

namespace {
class SystemScreens : public DisplayScreens {
public:
    QList<Monitor> monitors() const override
    {
        QList<Monitor> list;
        const QScreen* primary = QGuiApplication::primaryScreen();
        for (const QScreen* screen : QGuiApplication::screens())
            list.append({screen->name(), screen->geometry().width(), screen->geometry().height(),
                         screen == primary});
        return list;
    }

    bool canChangeMode() const override
    {
        return QGuiApplication::platformName() == QLatin1String("xcb");
    }

    bool changeMode(const QString& output, int width, int height) override
    {
        if (!canChangeMode() || width <= 0 || height <= 0)
            return false;
        Display* display = XOpenDisplay(nullptr);
        if (!display)
            return false;
        const bool changed = change(display, output.toUtf8(), width, height);
        XCloseDisplay(display);
        return changed;
    }

private:
    static double refreshRate(const XRRModeInfo& mode)
    {
        return mode.hTotal && mode.vTotal ? double(mode.dotClock) / (mode.hTotal * mode.vTotal) : 0;
    }

    // The test: the output exists, is driven by a CRTC and lists a mode of that size (the
    // one nearest 60 Hz); only then the CRTC is set to it, keeping its place and rotation.
    static bool change(Display* display, const QByteArray& name, int width, int height)
    {
        const Window root = DefaultRootWindow(display);
        XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
        if (!resources)
            return false;
        bool changed = false;
        for (int i = 0; i < resources->noutput && !changed; ++i) {
            XRROutputInfo* info = XRRGetOutputInfo(display, resources, resources->outputs[i]);
            if (!info)
                continue;
            if (name == info->name && info->crtc) {
                RRMode chosen = 0;
                double nearest = 1e9;
                for (int m = 0; m < info->nmode; ++m)
                    for (int k = 0; k < resources->nmode; ++k) {
                        const XRRModeInfo& mode = resources->modes[k];
                        if (mode.id != info->modes[m] || int(mode.width) != width ||
                            int(mode.height) != height)
                            continue;
                        const double distance = std::abs(refreshRate(mode) - 60);
                        if (distance < nearest) {
                            nearest = distance;
                            chosen = mode.id;
                        }
                    }
                XRRCrtcInfo* crtc =
                    chosen ? XRRGetCrtcInfo(display, resources, info->crtc) : nullptr;
                if (crtc) {
                    RROutput outputs[] = {resources->outputs[i]};
                    changed = XRRSetCrtcConfig(display, resources, info->crtc, CurrentTime, crtc->x,
                                               crtc->y, chosen, crtc->rotation, outputs,
                                               1) == RRSetConfigSuccess;
                    XRRFreeCrtcInfo(crtc);
                }
            }
            XRRFreeOutputInfo(info);
        }
        XRRFreeScreenResources(resources);
        return changed;
    }
};
} // namespace

std::unique_ptr<DisplayScreens> systemDisplayScreens()
{
    return std::make_unique<SystemScreens>();
}
