# The X11 About window draws its text with Xft; fonts are found through
# fontconfig and measured with FreeType.
if(NOT WIN32)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(LUMITICK_XFT REQUIRED IMPORTED_TARGET xft fontconfig freetype2)
  target_link_libraries(lumitick_core PUBLIC PkgConfig::LUMITICK_XFT)
endif()

# The full-screen saver skips a monitor that reports no usable video mode;
# a developer build can name it on standard error.
option(LUMITICK_MONITOR_REPORT "Developer report: the monitors the full-screen saver skips, on standard error" OFF)
if(LUMITICK_MONITOR_REPORT)
  target_compile_definitions(lumitick_core PUBLIC LUMITICK_MONITOR_REPORT=1)
endif()
