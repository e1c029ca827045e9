// Message boxes: the one way the saver reports a failure to the user.
//
// On Windows a real MessageBoxA with no owner window; on X11 one block on
// standard error per box, headed by its title, after which the caller goes on
// exactly as it would once a box had been closed.
#pragma once

namespace platform {

enum class MessageIcon { Information, Warning };

// Shows `text` under `title` and returns when the box has been dismissed.
void ShowMessageBox(const char* text, const char* title, MessageIcon icon);

// Tests can route every box to a function of their own; nullptr restores the
// platform's box.
using MessageBoxHook = void (*)(const char* text, const char* title, MessageIcon icon);
void SetMessageBoxHook(MessageBoxHook hook);

namespace detail {
// The back end's box (message_box_win32.cpp / message_box_x11.cpp).
void ShowNativeMessageBox(const char* text, const char* title, MessageIcon icon);
}  // namespace detail

}  // namespace platform
