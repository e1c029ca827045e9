# Helpers shared by the project's CMake files.

# -Wall -Wextra on a target of ours.
function(lumitick_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra)
  endif()
endfunction()

# Adds every source of `folder` to `target`: portable files (*.cpp) and the
# back-end files of this build (*_x11.cpp or *_win32.cpp); back-end files of
# the other platform are left out; the Wayland back end's (*_wayland.cpp)
# only in builds with it (LUMITICK_WAYLAND). Files under folder/main/ are
# entry points and are not added.
function(lumitick_add_folder_sources target folder)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.c)
  foreach(src IN LISTS sources)
    get_filename_component(name ${src} NAME_WE)
    if(name MATCHES "_(x11|win32)$" AND NOT name MATCHES "_${LUMITICK_BACKEND}$")
      continue()
    endif()
    if(name MATCHES "_wayland$" AND NOT LUMITICK_WAYLAND)
      continue()
    endif()
    target_sources(${target} PRIVATE ${src})
  endforeach()
endfunction()
