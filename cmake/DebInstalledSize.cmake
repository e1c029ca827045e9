# CPack post-build script (CPACK_POST_BUILD_SCRIPTS): sets each .deb's
# Installed-Size the way dpkg-gencontrol counts it. CPack's own count follows
# links, so the /usr/bin/lumitick link counted the whole program a second
# time (49 MB for 25 MB of files). dpkg's rule, in KiB: a regular file or a
# link its size rounded up, every other object (a folder) 1. The package is
# unpacked, its control file mended, and packed again with dpkg-deb (gzip,
# as CPack packs).
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  set(tree "${deb}.tree")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND dpkg-deb -R "${deb}" "${tree}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "dpkg-deb -R ${deb} failed")
  endif()
  file(GLOB_RECURSE objects LIST_DIRECTORIES true "${tree}/*")
  set(size 0)
  foreach(object IN LISTS objects)
    if(object MATCHES "^${tree}/DEBIAN(/|$)")
      continue()
    endif()
    if(IS_SYMLINK "${object}")
      file(READ_SYMLINK "${object}" target)
      string(LENGTH "${target}" bytes)
    elseif(IS_DIRECTORY "${object}")
      set(bytes 1)
    else()
      file(SIZE "${object}" bytes)
    endif()
    math(EXPR size "${size} + (${bytes} + 1023) / 1024")
  endforeach()
  file(READ "${tree}/DEBIAN/control" control)
  string(REGEX REPLACE "Installed-Size: [0-9]+" "Installed-Size: ${size}" control "${control}")
  file(WRITE "${tree}/DEBIAN/control" "${control}")
  execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip --build "${tree}" "${deb}"
    OUTPUT_QUIET RESULT_VARIABLE failed)
  file(REMOVE_RECURSE "${tree}")
  if(failed)
    message(FATAL_ERROR "dpkg-deb --build ${deb} failed")
  endif()
endforeach()
