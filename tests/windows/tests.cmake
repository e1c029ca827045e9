# Windows-only test programs, run under Wine by the cases of
# tests/windows/*_test.sh (cases.cmake):
#   lumitick_adopt_tests   glfwCreateWindowFromHandle and the preview host
#                          back end, in process (GoogleTest; needs a display)
#   preview_host           a window of another process for "/p HANDLE", and a
#                          probe of the windows the saver makes in it
# Included (not a subdirectory) from cmake/Windows.cmake once the project's
# targets exist; the programs land in tests-windows/ of the build.
add_executable(lumitick_adopt_tests ${CMAKE_CURRENT_LIST_DIR}/adopt_window_test.cpp)
target_link_libraries(lumitick_adopt_tests PRIVATE lumitick_core GTest::gtest GTest::gtest_main)
lumitick_warnings(lumitick_adopt_tests)

add_executable(preview_host ${CMAKE_CURRENT_LIST_DIR}/preview_host.cpp)
target_link_libraries(preview_host PRIVATE user32 gdi32)
lumitick_warnings(preview_host)

set_target_properties(lumitick_adopt_tests preview_host PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests-windows)
add_custom_target(lumitick_windows_tests DEPENDS lumitick_adopt_tests preview_host)
