// The run mode and preview handle read from the command line, and the
// single-instance test.
#pragma once

#include <cstdint>

enum class ScreensaverMode : std::int32_t {
  Preview = 0,    // "/p HANDLE": drawn into the preview area HANDLE
  Run = 1,        // "/s": full-screen saver
  Configure = 2,  // "/c": About window
  None = 3,       // no recognised switch: full-screen saver, as Run
};

struct CScreensaverArgs {
  ScreensaverMode mode = ScreensaverMode::None;
  std::int32_t parentWindow = 0;  // the number after the switch; 0 when none was read
};

extern CScreensaverArgs* gArgs;

// Builds the record from the command-line text (the arguments without the
// program name). Never reads past the text's terminating zero.
CScreensaverArgs* ParseCommandLine(const char* text);

// The handle rule's number: leading white space, an optional sign, decimal
// digits up to the first non-digit, 0 when there is none, like atoi; values
// beyond 32 bits saturate at INT32_MIN / INT32_MAX instead of being undefined.
std::int32_t ParseHandleNumber(const char* text);

// True when this process is the first holder of "K_OPENGL_SCREENSAVER".
bool AcquireInstance();
