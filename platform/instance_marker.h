// The single-instance marker: a named object whose existence says that an
// instance is running. Windows: the named event, created manual-reset and
// non-signalled, kept open for the life of the process. X11: a socket in the
// abstract namespace named after the marker and the user, which the kernel
// removes when the process ends in any way, so no stale marker can block the
// next start.
#pragma once

namespace platform {

// True when this process is the first holder of the marker `name` (or when
// the marker cannot be made at all: the test then passes, as on Windows).
// The marker is kept until the process ends.
bool AcquireInstanceMarker(const char* name);

}  // namespace platform
