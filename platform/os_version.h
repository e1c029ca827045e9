// The running Windows version as major * 10 + minor (GetVersion), which picks
// the full-screen size rule. Other systems answer kNotWindows: there the
// full-screen window always takes the monitor's current mode.
#pragma once

namespace platform {

constexpr int kNotWindows = -1;

int GetWindowsVersion();

}  // namespace platform
