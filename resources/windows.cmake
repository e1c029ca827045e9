# Windows: the resource script, written from the same list as the Linux table
# (LUMITICK_RESOURCE_ENTRIES, "TYPE;ID;PATH" triples), plus a VERSIONINFO,
# compiled with windres. lumitick_resources hands the compiled resources to
# every executable that links lumitick_core: resources in a static archive
# would never be pulled into a program.
#
# Types: BITMAP and ICON are the script's own keywords (RT_BITMAP, an icon
# group); every other type (TEXTFILE, WAVE) is a custom type of that name.
# Numeric ids stay numeric (FindResourceA with MAKEINTRESOURCE); other ids are
# resource names.

set(rc "// Generated from resources/resources.list; do not edit.\n#include <winver.h>\n\n")
set(deps "")
set(entries ${LUMITICK_RESOURCE_ENTRIES})
list(LENGTH entries n)
set(i 0)
while(i LESS n)
  list(GET entries ${i} type)
  math(EXPR i "${i} + 1")
  list(GET entries ${i} id)
  math(EXPR i "${i} + 1")
  list(GET entries ${i} path)
  math(EXPR i "${i} + 1")
  list(APPEND deps ${path})
  string(APPEND rc "${id} ${type} \"${path}\"\n")
endwhile()

set(v ${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0)
string(APPEND rc "
1 VERSIONINFO
FILEVERSION ${v}
PRODUCTVERSION ${v}
FILEOS VOS_NT_WINDOWS32
FILETYPE VFT_APP
BEGIN
  BLOCK \"StringFileInfo\"
  BEGIN
    BLOCK \"040904B0\"
    BEGIN
      VALUE \"CompanyName\", \"Lumitick\"
      VALUE \"FileDescription\", \"Lumitick Screensaver\"
      VALUE \"FileVersion\", \"${PROJECT_VERSION}\"
      VALUE \"InternalName\", \"Lumitick\"
      VALUE \"OriginalFilename\", \"Lumitick.scr\"
      VALUE \"ProductName\", \"Lumitick Screensaver\"
      VALUE \"ProductVersion\", \"${PROJECT_VERSION}\"
    END
  END
  BLOCK \"VarFileInfo\"
  BEGIN
    VALUE \"Translation\", 0x409, 1200
  END
END
")

set(rc_file ${CMAKE_CURRENT_BINARY_DIR}/lumitick.rc)
file(CONFIGURE OUTPUT ${rc_file} CONTENT "${rc}")
set_source_files_properties(${rc_file} PROPERTIES OBJECT_DEPENDS "${deps}")

add_library(lumitick_resources_rc OBJECT ${rc_file})
add_dependencies(lumitick_resources_rc lumitick_generated)
add_library(lumitick_resources INTERFACE)
target_link_libraries(lumitick_resources INTERFACE lumitick_resources_rc $<TARGET_OBJECTS:lumitick_resources_rc>)
