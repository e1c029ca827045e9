# The pictures carried by the program (dial, background, About picture), made
# by a deterministic generator at build time. Included by tools/CMakeLists.txt.
set(LUMITICK_PICTURE_DIR ${LUMITICK_GENERATED_DIR}/pictures)
set(LUMITICK_PICTURE_FILES
  ${LUMITICK_PICTURE_DIR}/dial.bmp
  ${LUMITICK_PICTURE_DIR}/background.bmp
  ${LUMITICK_PICTURE_DIR}/about.bmp)

add_executable(make_pictures pictures/make_pictures.cpp)
lumitick_warnings(make_pictures)

add_custom_command(
  OUTPUT ${LUMITICK_PICTURE_FILES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${LUMITICK_PICTURE_DIR}
  COMMAND make_pictures ${LUMITICK_PICTURE_DIR}
  DEPENDS make_pictures
  COMMENT "Drawing the pictures"
  VERBATIM)

list(APPEND LUMITICK_GENERATED_FILES ${LUMITICK_PICTURE_FILES})
set(LUMITICK_PICTURE_DIR ${LUMITICK_PICTURE_DIR} PARENT_SCOPE)
