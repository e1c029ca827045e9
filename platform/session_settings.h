// What the session decides stays the session's while the saver runs: its
// screen saver timer (and so its blanking and the locker started on it), the
// display's power-down, sleep. The window library's full-screen mode, made
// for games, holds these back; this facility keeps it from doing so.
#pragma once

namespace platform {

// Called once before the first window is made. X11: the window library's
// calls that would turn off the X server's screen saver change nothing
// (session_settings_x11.cpp says how). Windows: nothing to do here.
void KeepSessionSettings();

// Whether the session's own screen saver is on now (its timer has fired:
// the screen is blanked, or a locker started on it covers the saver's
// windows), so that a full-screen saver nobody sees can end. X11: the X
// server's MIT-SCREEN-SAVER state. Windows: never (the system ends the
// saver itself before it starts another or locks).
bool SessionSaverOn();

}  // namespace platform
