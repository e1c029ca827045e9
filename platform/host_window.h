// Windows that belong to someone else and that the saver draws into: the
// preview area named on the command line ("/p HANDLE") and, on X11, the window
// xscreensaver hands to its hacks. Windows: an HWND, adopted with
// glfwCreateWindowFromHandle. X11: a window id, into which an undecorated GLFW
// window is reparented and kept at the host's size.
#pragma once

#include <cstdint>

struct GLFWwindow;

namespace platform {

using NativeHandle = std::uintptr_t;

// Client-area size of the host (GetClientRect). False when the handle names
// no window; the sizes are then left alone.
bool GetHostClientSize(NativeHandle host, int* width, int* height);

// A GLFW window with the current window hints that draws into the host's
// client area, or null when the handle names no window or no window can be
// made there. Nothing is drawn anywhere else.
GLFWwindow* CreateWindowInHost(NativeHandle host);

// Called once a frame: keeps the saver's window at the host's client size.
void FollowHostSize(GLFWwindow* window, NativeHandle host);

// Windows: IsWindowEnabled on the host. X11, which has no disabled windows:
// whether the host still exists.
bool IsHostWindowEnabled(NativeHandle host);

// The window `-root` draws into on X11: $XSCREENSAVER_WINDOW when set, else
// the screen's root window (0 elsewhere).
NativeHandle RootHostWindow();

// A window id as xscreensaver and its kin write it: decimal, or hexadecimal
// after "0x" (a leading 0 is not octal), nothing else around it, not 0, at
// most 32 bits. False for anything else.
bool ParseWindowId(const char* text, NativeHandle* id);

}  // namespace platform
