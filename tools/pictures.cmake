# The pictures carried by the program (dial, background, About picture, the
# program icon), drawn by a deterministic generator at build time into the
# build tree. Included by tools/CMakeLists.txt. The dial's numerals come from
# Liberation Sans (Debian's fonts-liberation) through FreeType, linked into
# the generator alone.
set(LUMITICK_PICTURE_DIR ${LUMITICK_GENERATED_DIR}/pictures)
set(LUMITICK_PICTURE_FILES
  ${LUMITICK_PICTURE_DIR}/dial.bmp
  ${LUMITICK_PICTURE_DIR}/background.bmp
  ${LUMITICK_PICTURE_DIR}/about.bmp
  ${LUMITICK_PICTURE_DIR}/lumitick.ico)

find_package(Freetype REQUIRED)
find_file(LUMITICK_NUMERAL_FONT LiberationSans-Regular.ttf
  PATHS /usr/share/fonts/truetype/liberation /usr/share/fonts/liberation /usr/share/fonts/TTF
  NO_CMAKE_FIND_ROOT_PATH REQUIRED)

add_executable(make_pictures pictures/make_pictures.cpp pictures/image.cpp pictures/dial.cpp pictures/art.cpp)
target_link_libraries(make_pictures PRIVATE Freetype::Freetype)
lumitick_warnings(make_pictures)
# It runs in every fresh build: optimise it even in a Debug build.
target_compile_options(make_pictures PRIVATE $<$<CONFIG:Debug>:-O2>)

add_custom_command(
  OUTPUT ${LUMITICK_PICTURE_FILES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${LUMITICK_PICTURE_DIR}
  COMMAND make_pictures ${LUMITICK_PICTURE_DIR} ${LUMITICK_NUMERAL_FONT}
  DEPENDS make_pictures ${LUMITICK_NUMERAL_FONT}
  COMMENT "Drawing the pictures"
  VERBATIM)

list(APPEND LUMITICK_GENERATED_FILES ${LUMITICK_PICTURE_FILES})
set(LUMITICK_PICTURE_DIR ${LUMITICK_PICTURE_DIR} PARENT_SCOPE)
