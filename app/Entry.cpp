#include "app/Entry.h"

#include "app/AboutWindow.h"
#include "app/SaverLoop.h"
#include "app/ScreensaverApp.h"
#include "platform/display.h"
#include "platform/session_settings.h"
#include "platform/stop_signal.h"

int SaverEntry(const char* commandLine, void* instance, int showCommand) {
  gArgs = ParseCommandLine(commandLine);
  if (!gHosted.active && (gArgs->mode == ScreensaverMode::Preview || gArgs->mode == ScreensaverMode::None)) {
    if (!AcquireInstance()) return 0;
  }
  if (!gLayerShell && !platform::PrepareDisplay()) return 0;
  if (gArgs->mode == ScreensaverMode::Configure && !gHosted.active) {
    new CAboutWindow(instance, showCommand);
    return 0;
  }
  platform::InstallStopSignals();
  platform::KeepSessionSettings();
  gApp = new CScreensaverApp(gArgs);
  RunSaverLoop();
  return 0;
}
