#include "app/LockKeys.h"

#include <QGuiApplication>

#ifdef Q_OS_WIN
#include <windows.h>
#endif
// Last: Xlib's macros (None, Bool, Status) would clash with Qt's names.
#ifdef VEXALOG_HAVE_XKB
#include <X11/XKBlib.h>
#endif

#ifdef VEXALOG_HAVE_XKB
std::optional<bool> XkbLockKey(Display* display, LockKey key)
{
    const char* name = key == LockKey::Caps ? "Caps Lock" : key == LockKey::Num ? "Num Lock" : "Scroll Lock";
    // Only an atom the server already knows can name one of its indicators.
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None)
        return std::nullopt;
    int index = 0;
    Bool on = False;
    if (!XkbGetNamedIndicator(display, atom, &index, &on, nullptr, nullptr))
        return std::nullopt;
    return on != False;
}
#endif

std::optional<bool> PlatformLockKey(LockKey key)
{
#if defined(Q_OS_WIN)
    const int vk = key == LockKey::Caps ? VK_CAPITAL : key == LockKey::Num ? VK_NUMLOCK : VK_SCROLL;
    return (GetKeyState(vk) & 1) != 0;
#elif defined(VEXALOG_HAVE_XKB) && QT_CONFIG(xcb)
    // The Xlib display of Qt's xcb platform; other platforms have none.
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->display() == nullptr)
        return std::nullopt;
    return XkbLockKey(x11->display(), key);
#else
    (void)key;
    return std::nullopt;
#endif
}
