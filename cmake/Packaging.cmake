# The Debian package, built by CPack from the install rules of
# cmake/Install.cmake (component "saver"):
#
#   cpack --config <build>/CPackConfig.cmake -B <output folder>
#
# (scripts/package.sh builds and packs in one go). The package always
# installs under /usr, where Debian's xscreensaver looks for hacks, whatever
# the build's own install prefix.
#
# Runtime dependencies: dpkg-shlibdeps (package dpkg-dev) derives them from
# the libraries the program links (with the Wayland back end also
# libwayland-client0 and libwayland-egl1). libGL.so.1 and libEGL.so.1 are
# opened at run time (dlopen) and so are invisible to it: libgl1 and libegl1
# are named by hand (on the Wayland road libOpenGL.so.0 is taken where it
# is installed, else libGL.so.1 serves there too).

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumitick)
set(CPACK_PACKAGE_VENDOR Lumitick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Lumitick <hello@lumitick.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.lumitick.example")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "glowing analog-clock screensaver for X11, xscreensaver and Wayland")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};saver;/" "${CMAKE_BINARY_DIR};${PROJECT_NAME};debian;/")
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The package's own revision, after the program's version (0.1.0-1): the
# package is not a native Debian one, and its changes are in
# changelog.Debian.gz.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
# CPack counts the /usr/bin link's target into Installed-Size; the script
# counts as dpkg does.
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebInstalledSize.cmake)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libegl1")
# Liberation Sans stands in for the About window's Arial; xdg-open opens
# its website button.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | swayidle")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The long description, after the summary line; CPack indents it and turns
# the empty line into the control file's ".".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Lumitick draws an analog wall clock in glowing lines over a background
picture: red hour, green minute and blue second hands, sixty tick marks
that light up as the hands pass, and a fade-in a few seconds after start.
It draws with OpenGL and carries everything it draws with inside the
program.

The program is installed as an xscreensaver hack, with its entry for
xscreensaver's settings; it also runs full-screen on its own, on X11 and,
through the layer shell, on Wayland compositors such as sway and KDE
Plasma, started there by an idle tool such as swayidle.")

find_program(LUMITICK_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(NOT LUMITICK_DPKG_SHLIBDEPS)
  message(STATUS "dpkg-shlibdeps not found: install dpkg-dev to build the Debian package")
endif()

include(CPack)
