#pragma once

#include <optional>

enum class LockKey { Caps, Num, Scroll };

// Whether a lock key is on, as the platform tells it: on Windows from the
// keyboard state, on X11 from the keyboard's XKB indicators. Nothing where
// the platform cannot tell (Wayland, the offscreen platform of the tests):
// the status bar then leaves the key's pane out.
std::optional<bool> PlatformLockKey(LockKey key);

#ifdef VEXALOG_HAVE_XKB
typedef struct _XDisplay Display;
// The key's XKB indicator ("Caps Lock", "Num Lock", "Scroll Lock") on an X
// display; nothing when the display has no such indicator.
std::optional<bool> XkbLockKey(Display* display, LockKey key);
#endif
