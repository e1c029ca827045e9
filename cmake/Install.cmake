# Install rules of the Linux program, laid out as Debian's xscreensaver
# expects a hack (and used unchanged by the .deb, cmake/Packaging.cmake):
#
#   <prefix>/libexec/xscreensaver/lumitick          the program
#   <prefix>/share/xscreensaver/config/lumitick.xml  its entry in xscreensaver's settings
#   <prefix>/share/applications/screensavers/lumitick.desktop
#                                                    its entry for mate-screensaver
#   <prefix>/share/man/man6/lumitick.6.gz            the manual page
#   <prefix>/bin/lumitick                            a link to the program, for shells
#   <prefix>/share/doc/lumitick/copyright, changelog.Debian.gz
#   <prefix>/share/lintian/overrides/lumitick        (the .deb only: component "debian")
#
# The compressed files (gzip -9n, as Debian wants them) and the desktop
# entry, which names the program by its full installed path, are made when
# installing, in <build>/install-files: the path is known only then (CPack
# installs under /usr whatever the build's prefix).
# xscreensaver looks in /usr only, so the prefix defaults to /usr (not
# /usr/local); another -DCMAKE_INSTALL_PREFIX works, but then xscreensaver
# needs the program's full path in its list.
if(WIN32)
  return()
endif()

# CMake's own default (/usr/local) is replaced on a build folder's first
# configure; a prefix the user chose, or one already in the cache, is kept.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX /usr CACHE PATH "Install prefix (/usr: where Debian's xscreensaver looks)" FORCE)
elseif(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  message(STATUS "Install prefix ${CMAKE_INSTALL_PREFIX}: Debian's xscreensaver looks for hacks under /usr (-DCMAKE_INSTALL_PREFIX=/usr)")
endif()
include(GNUInstallDirs)

# Installing (and CPack, through the "preinstall" target) needs only the
# program, not every test and benchmark: build the target lumitick first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(LUMITICK_HACK_DIR ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver CACHE STRING
  "Folder of xscreensaver's hacks, relative to the prefix")
set(LUMITICK_HACK_CONFIG_DIR ${CMAKE_INSTALL_DATADIR}/xscreensaver/config CACHE STRING
  "Folder of xscreensaver's hack descriptions, relative to the prefix")
option(LUMITICK_INSTALL_BIN_LINK "Also install <prefix>/bin/lumitick, a link to the program" ON)

install(TARGETS lumitick RUNTIME DESTINATION ${LUMITICK_HACK_DIR} COMPONENT saver)
install(FILES ${CMAKE_SOURCE_DIR}/resources/linux/lumitick.xml
  DESTINATION ${LUMITICK_HACK_CONFIG_DIR} COMPONENT saver)

set(made ${CMAKE_CURRENT_BINARY_DIR}/install-files)
set(linux ${CMAKE_SOURCE_DIR}/resources/linux)
file(MAKE_DIRECTORY ${made})
if(IS_ABSOLUTE "${LUMITICK_HACK_DIR}")
  set(hack_path "${LUMITICK_HACK_DIR}/lumitick")
else()
  set(hack_path "\${CMAKE_INSTALL_PREFIX}/${LUMITICK_HACK_DIR}/lumitick")
endif()
# Each file is removed before it is written, so that an earlier install as
# root leaves nothing a later one cannot replace.
install(CODE "
  file(REMOVE \"${made}/lumitick.desktop\" \"${made}/lumitick.6.gz\" \"${made}/changelog.Debian.gz\")
  file(READ \"${linux}/lumitick.desktop.in\" text)
  string(REPLACE \"@HACK@\" \"${hack_path}\" text \"\${text}\")
  file(WRITE \"${made}/lumitick.desktop\" \"\${text}\")
  foreach(pair \"lumitick.6;lumitick.6.gz\" \"changelog;changelog.Debian.gz\")
    list(GET pair 0 from)
    list(GET pair 1 to)
    execute_process(COMMAND gzip -9n -c \"${linux}/\${from}\" OUTPUT_FILE \"${made}/\${to}\" RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR \"gzip could not compress ${linux}/\${from}\")
    endif()
  endforeach()
" COMPONENT saver)
install(FILES ${made}/lumitick.desktop
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications/screensavers COMPONENT saver)
install(FILES ${made}/lumitick.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT saver)
install(FILES ${linux}/copyright ${made}/changelog.Debian.gz
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/lumitick COMPONENT saver)

# For the .deb only (component "debian", not installed unless asked for):
# lintian's overrides, each with its reason.
install(FILES ${linux}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
  RENAME lumitick COMPONENT debian EXCLUDE_FROM_ALL)

if(LUMITICK_INSTALL_BIN_LINK)
  # A relative link, made in the build folder and installed as it is, so that
  # it holds in DESTDIR staging and in the package, and the install manifest
  # lists it like every other file.
  file(RELATIVE_PATH link_target /${CMAKE_INSTALL_BINDIR} /${LUMITICK_HACK_DIR}/lumitick)
  set(link ${CMAKE_CURRENT_BINARY_DIR}/install-link/lumitick)
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/install-link)
  file(CREATE_LINK ${link_target} ${link} SYMBOLIC)
  install(FILES ${link} DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT saver)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/Packaging.cmake)
