// The environment of the saver's one restart with glibc's huge-page tunable
// (Linux). The picture's two float textures and the GL driver's storage for
// them are a few hundred MiB touched once at start; on 4 KiB pages that is
// tens of thousands of page faults (about half a second with a software
// renderer), and glibc's malloc asking for transparent huge pages takes it to
// a few milliseconds. glibc reads its tunables only when a program starts, so
// the modes that build the textures run the program again, once, with the
// tunable added to GLIBC_TUNABLES; the restarted image puts the variable back
// as it was, so that nothing it starts inherits the tunable.
#pragma once

namespace huge_pages {

// Before the restart: false when it would change nothing (the tunable is
// set already); otherwise GLIBC_TUNABLES gets the tunable and a marker
// remembers its value before, and true.
bool PrepareRestart();

// In the restarted image (or after a restart that failed): GLIBC_TUNABLES as
// it was before PrepareRestart, the marker gone. True when there was a
// marker, that is, when this image is the restarted one.
bool RestoreEnvironment();

}  // namespace huge_pages
