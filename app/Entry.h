// Start-up dispatch shared by the Windows and Linux entry points.
#pragma once

// The body of WinMain: parses `commandLine`, applies the single-instance test
// in Preview and no-switch mode, makes sure there is a display, then shows
// the About window (Configure) or runs the saver. `instance` and `showCommand` reach the About window only.
// Always answers 0.
int SaverEntry(const char* commandLine, void* instance, int showCommand);
