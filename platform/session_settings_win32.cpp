// Win32 back end of the session settings: nothing to do in this file.
#include "platform/session_settings.h"

namespace platform {

void KeepSessionSettings() {}

bool SessionSaverOn() { return false; }

}  // namespace platform
