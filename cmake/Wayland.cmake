# The Wayland back end of the full-screen saver (platform/*_wayland.cpp):
# built when libwayland-client, wayland-egl, EGL, wayland-scanner,
# wayland-protocols and the layer-shell protocol description are all found
# (scripts/install-deps.sh installs them, and takes the description from
# Debian's wlroots source package into build/deps/). The protocols' client
# code is generated here at build time. Sets LUMITICK_WAYLAND.
set(LUMITICK_LAYER_SHELL_XML ${CMAKE_SOURCE_DIR}/build/deps/wlr-layer-shell-unstable-v1.xml
  CACHE FILEPATH "wlr-layer-shell-unstable-v1.xml (from Debian's wlroots source package)")
find_package(PkgConfig REQUIRED)
pkg_check_modules(LUMITICK_WL QUIET IMPORTED_TARGET wayland-client wayland-egl)
# EGL's headers only: the library is opened at run time.
pkg_check_modules(LUMITICK_EGL QUIET egl)
pkg_get_variable(LUMITICK_WL_PROTOCOLS wayland-protocols pkgdatadir)
find_program(LUMITICK_WAYLAND_SCANNER wayland-scanner)

set(LUMITICK_WAYLAND OFF)
if(LUMITICK_WL_FOUND AND LUMITICK_EGL_FOUND AND LUMITICK_WL_PROTOCOLS AND LUMITICK_WAYLAND_SCANNER AND EXISTS ${LUMITICK_LAYER_SHELL_XML})
  set(LUMITICK_WAYLAND ON)
  message(STATUS "Wayland back end: on")
else()
  message(STATUS "Wayland back end: off (scripts/install-deps.sh installs what it needs)")
  return()
endif()

# Client header and interface code of each protocol. The layer shell's
# popups are xdg-shell ones, so its code refers to xdg-shell's interfaces.
set(out ${LUMITICK_GENERATED_DIR}/wayland)
file(MAKE_DIRECTORY ${out})
set(protocol_sources)
foreach(pair "wlr-layer-shell-unstable-v1|${LUMITICK_LAYER_SHELL_XML}"
             "xdg-shell|${LUMITICK_WL_PROTOCOLS}/stable/xdg-shell/xdg-shell.xml")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 name)
  list(GET pair 1 xml)
  add_custom_command(OUTPUT ${out}/${name}-client-protocol.h ${out}/${name}-protocol.c
    COMMAND ${LUMITICK_WAYLAND_SCANNER} client-header ${xml} ${out}/${name}-client-protocol.h
    COMMAND ${LUMITICK_WAYLAND_SCANNER} private-code ${xml} ${out}/${name}-protocol.c
    DEPENDS ${xml} VERBATIM)
  list(APPEND protocol_sources ${out}/${name}-protocol.c ${out}/${name}-client-protocol.h)
endforeach()
add_library(lumitick_wayland_protocols STATIC ${protocol_sources})
target_include_directories(lumitick_wayland_protocols PUBLIC ${out})
target_include_directories(lumitick_wayland_protocols PUBLIC ${LUMITICK_EGL_INCLUDE_DIRS})
target_link_libraries(lumitick_wayland_protocols PUBLIC PkgConfig::LUMITICK_WL)
