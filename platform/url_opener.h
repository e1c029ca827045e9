// Opens a web address with the desktop's handler, as a click on a link would.
//
// Windows: ShellExecuteA with the verb "open". X11: the desktop's URL opener
// (xdg-open, looked up on PATH) started with the address as its one argument,
// never through a shell, and not waited for.
#pragma once

namespace platform {

// Starts the opener for `url` and returns at once. False when no opener could
// be started (none installed, no process to spare) or `url` is empty; what
// the opener then does with the address is not followed.
bool OpenUrl(const char* url, void* ownerWindow = nullptr);

}  // namespace platform
