# The X11 About window draws its text with Xft; fonts are found through
# fontconfig and measured with FreeType.
if(NOT WIN32)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(LUMITICK_XFT REQUIRED IMPORTED_TARGET xft fontconfig freetype2)
  target_link_libraries(lumitick_core PUBLIC PkgConfig::LUMITICK_XFT)
endif()
