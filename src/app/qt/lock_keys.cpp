#include "app/qt/lock_keys.h"

#include <QGuiApplication>

#if defined(DRAVEL_HAVE_X11) && QT_CONFIG(xcb)
// After the Qt headers: Xlib defines macros (None, Bool, Status) that Qt's
// headers would trip over.
#include <X11/XKBlib.h>

namespace {

bool indicator(Display* display, const char* name)
{
    const Atom atom = XInternAtom(display, name, True);
    if (atom == 0)
        return false;
    Bool on = False;
    return XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr) && on;
}

} // namespace

std::optional<LockKeys> QueryLockKeys()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return std::nullopt;
    return LockKeys{indicator(display, "Caps Lock"), indicator(display, "Num Lock"), indicator(display, "Scroll Lock")};
}

#else

std::optional<LockKeys> QueryLockKeys()
{
    return std::nullopt;
}

#endif
