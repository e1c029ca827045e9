# Shared by toolchain-i686-w64-mingw32.cmake and toolchain-x86_64-w64-mingw32.cmake,
# which set CMAKE_SYSTEM_PROCESSOR first.
# Cross build for Windows with Debian's mingw-w64 (POSIX thread model,
# so that the whole C++ library is there; linked statically, see Windows.cmake).
set(CMAKE_SYSTEM_NAME Windows)

set(LUMITICK_MINGW_TRIPLE ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)

foreach(suffix -posix "")
  find_program(CMAKE_C_COMPILER ${LUMITICK_MINGW_TRIPLE}-gcc${suffix})
  find_program(CMAKE_CXX_COMPILER ${LUMITICK_MINGW_TRIPLE}-g++${suffix})
endforeach()
set(CMAKE_ASM_COMPILER ${CMAKE_C_COMPILER})
find_program(CMAKE_RC_COMPILER ${LUMITICK_MINGW_TRIPLE}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${LUMITICK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs of this build run under Wine (tests/windows/wine-run.sh picks the
# 32- or 64-bit loader and a prefix of the build's own).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/windows/wine-run.sh)
