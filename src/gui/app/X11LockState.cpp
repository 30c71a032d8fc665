// Kept apart: the X11 headers define macros (KeyRelease, None, Bool) that clash with Qt's.
#include "gui/app/X11LockState.h"

#include <QGuiApplication>

#ifdef TOVAN_HAVE_X11
#include <X11/XKBlib.h>
#endif

namespace tovan {

bool x11LockIsOn(LockKey key) {
#ifdef TOVAN_HAVE_X11
    static const char* const names[] = {"Caps Lock", "Num Lock", "Scroll Lock"};
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return false;
    const Atom name = XInternAtom(display, names[static_cast<int>(key)], True);
    Bool on = False;
    if (name == None || !XkbGetNamedIndicator(display, name, nullptr, &on, nullptr, nullptr))
        return false;
    return on == True;
#else
    (void)key;
    return false;
#endif
}

} // namespace tovan
