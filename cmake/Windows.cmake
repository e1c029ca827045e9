# The Windows build (cross-compiled with mingw-w64, see the toolchain files):
#   - GLFW 3.3.8 from Debian's glfw3 source package, copied into the build
#     tree, patched for adopted windows and for the power plan (no execution
#     state held in full screen) and built with glfwCreateWindowFromHandle
#     (glfw_addition/) as one more of its sources;
#   - GoogleTest from the sources Debian's googletest package installs;
#   - the C and C++ runtimes linked statically, so that the program needs no
#     DLL beyond those of Windows;
#   - the saver as Lumitick.scr, a GUI-subsystem executable.
# Included by the top-level CMakeLists.txt before lumitick_core exists; what
# needs the project's own targets runs deferred, at the end of that file.

set(LUMITICK_GLFW_SOURCE_DIR "" CACHE PATH
  "An unpacked GLFW 3.3.8 source folder (used instead of LUMITICK_GLFW_ARCHIVE)")
set(LUMITICK_GLFW_ARCHIVE "" CACHE FILEPATH
  "glfw3_3.3.8.orig.tar.gz of Debian's glfw3 source package (scripts/build-windows.sh fetches it)")
set(LUMITICK_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources (Debian's googletest package)")

# Static runtimes: libgcc, libstdc++ and winpthread go into the executable.
add_link_options(-static -static-libgcc -static-libstdc++)
# NOMINMAX: std::min and std::max stay usable; _USE_MATH_DEFINES: M_PI and
# friends, which glibc gives in strict C++ too.
add_compile_definitions(NOMINMAX _USE_MATH_DEFINES)
enable_language(RC)

# --- GLFW --------------------------------------------------------------------
set(_glfw_copy ${CMAKE_BINARY_DIR}/glfw-3.3.8)
set(_glfw_patches ${CMAKE_SOURCE_DIR}/glfw_addition/adopted-windows.patch
  ${CMAKE_SOURCE_DIR}/glfw_addition/power-plan-windows.patch)
if(LUMITICK_GLFW_SOURCE_DIR)
  set(_glfw_origin ${LUMITICK_GLFW_SOURCE_DIR})
elseif(LUMITICK_GLFW_ARCHIVE)
  set(_glfw_origin ${LUMITICK_GLFW_ARCHIVE})
else()
  message(FATAL_ERROR "The Windows build needs GLFW's sources: set LUMITICK_GLFW_SOURCE_DIR "
    "(an unpacked GLFW 3.3.8) or LUMITICK_GLFW_ARCHIVE (Debian's glfw3_3.3.8.orig.tar.gz); "
    "scripts/build-windows.sh fetches the archive with apt-get source.")
endif()
set(_glfw_stamp "${_glfw_origin}")
foreach(_patch IN LISTS _glfw_patches)
  file(SHA256 ${_patch} _patch_hash)
  string(APPEND _glfw_stamp " ${_patch_hash}")
endforeach()
set(_glfw_stamp_file ${_glfw_copy}/.lumitick-stamp)
set(_old_stamp "")
if(EXISTS ${_glfw_stamp_file})
  file(READ ${_glfw_stamp_file} _old_stamp)
endif()
if(NOT _old_stamp STREQUAL _glfw_stamp)
  file(REMOVE_RECURSE ${_glfw_copy} ${CMAKE_BINARY_DIR}/glfw-unpack)
  if(LUMITICK_GLFW_SOURCE_DIR)
    file(COPY ${LUMITICK_GLFW_SOURCE_DIR}/ DESTINATION ${_glfw_copy})
  else()
    file(ARCHIVE_EXTRACT INPUT ${LUMITICK_GLFW_ARCHIVE} DESTINATION ${CMAKE_BINARY_DIR}/glfw-unpack)
    file(GLOB _unpacked LIST_DIRECTORIES true ${CMAKE_BINARY_DIR}/glfw-unpack/*)
    list(LENGTH _unpacked _n)
    if(NOT _n EQUAL 1 OR NOT EXISTS ${_unpacked}/src/win32_window.c)
      message(FATAL_ERROR "${LUMITICK_GLFW_ARCHIVE} does not hold one GLFW source folder")
    endif()
    file(RENAME ${_unpacked} ${_glfw_copy})
    file(REMOVE_RECURSE ${CMAKE_BINARY_DIR}/glfw-unpack)
  endif()
  find_program(LUMITICK_PATCH patch REQUIRED)
  foreach(_patch IN LISTS _glfw_patches)
    execute_process(COMMAND ${LUMITICK_PATCH} -p1 --forward --batch -i ${_patch}
      WORKING_DIRECTORY ${_glfw_copy} RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _out)
    if(NOT _rc EQUAL 0)
      get_filename_component(_name ${_patch} NAME)
      message(FATAL_ERROR "${_name} does not apply to ${_glfw_origin}:\n${_out}")
    endif()
  endforeach()
  file(WRITE ${_glfw_stamp_file} "${_glfw_stamp}")
endif()

set(GLFW_BUILD_EXAMPLES OFF CACHE BOOL "" FORCE)
set(GLFW_BUILD_TESTS OFF CACHE BOOL "" FORCE)
set(GLFW_BUILD_DOCS OFF CACHE BOOL "" FORCE)
set(GLFW_INSTALL OFF CACHE BOOL "" FORCE)
set(BUILD_SHARED_LIBS OFF)
set(CMAKE_POLICY_DEFAULT_CMP0077 NEW)  # the options above win over GLFW's own
add_subdirectory(${_glfw_copy} ${CMAKE_BINARY_DIR}/glfw-build EXCLUDE_FROM_ALL SYSTEM)
target_sources(glfw PRIVATE ${CMAKE_SOURCE_DIR}/glfw_addition/glfw_from_handle.c)
target_include_directories(glfw PUBLIC ${CMAKE_SOURCE_DIR}/glfw_addition)

# --- GoogleTest --------------------------------------------------------------
if(LUMITICK_TESTS)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  add_subdirectory(${LUMITICK_GTEST_SOURCE_DIR}/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  foreach(lib gtest gtest_main)
    if(NOT TARGET GTest::${lib})
      add_library(GTest::${lib} ALIAS ${lib})
    endif()
  endforeach()
  # find_package(GTest) in tests/ then finds these targets through an empty
  # package configuration.
  file(WRITE ${CMAKE_BINARY_DIR}/gtest-config/GTestConfig.cmake
    "# The targets come from ${LUMITICK_GTEST_SOURCE_DIR}, built in this tree.\n")
  set(GTest_DIR ${CMAKE_BINARY_DIR}/gtest-config CACHE PATH "" FORCE)
  # Test discovery runs the test binaries (under Wine) only when ctest runs.
  set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
endif()

# --- The project's targets, once they exist ------------------------------------
function(lumitick_windows_finish)
  # The OpenGL header includes windows.h unless APIENTRY is known; the portable
  # code must not see windows.h, so the calling convention is given here.
  target_compile_definitions(lumitick_core PUBLIC APIENTRY=__stdcall)
  target_link_libraries(lumitick_core PUBLIC glfw user32 gdi32 shell32)
  set_target_properties(lumitick PROPERTIES
    OUTPUT_NAME Lumitick SUFFIX .scr WIN32_EXECUTABLE ON)
  if(LUMITICK_TESTS AND TARGET lumitick_unit_tests)
    # Unit tests that exercise the X11 back ends only (POSIX processes,
    # signals and environment) are left out of the Windows suite; the Windows
    # saver takes no stop request from signals.
    get_target_property(unit_sources lumitick_unit_tests SOURCES)
    list(FILTER unit_sources EXCLUDE REGEX "/(about_url_opener_test|about_window_test|command_line_test|reliability_signals_test|sound_player_test)\\.cpp$")
    set_property(TARGET lumitick_unit_tests PROPERTY SOURCES ${unit_sources})
  endif()
  if(LUMITICK_TESTS)
    include(${CMAKE_SOURCE_DIR}/tests/windows/tests.cmake)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL lumitick_windows_finish)
