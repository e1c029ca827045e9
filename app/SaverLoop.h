// The saver's main loop.
#pragma once

// Builds the scene once, then draws into the saver's windows, presents and
// polls frame after frame until they say the saver ends
// (app/SaverWindows.h). Key and mouse-button events end the process from
// inside the poll.
void RunSaverLoop();
