// The saver's main loop.
#pragma once

// Builds the scene once, then draws, presents and polls frame after frame
// until Escape, a close request, a disabled (X11: vanished) preview parent or
// a stop signal ends it. Key and mouse-button events end the process from
// inside the poll.
void RunSaverLoop();
