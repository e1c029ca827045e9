// Windows back end of the resource facility: the executable's own resource
// section. Custom types ("TEXTFILE", "WAVE") are found by their names;
// "BITMAP" and "ICON" are the predefined types RT_BITMAP and RT_GROUP_ICON
// (a bitmap resource holds a packed DIB, without the file header).
#undef APIENTRY  // given by the build for the OpenGL header; windows.h has its own
#include <windows.h>

#include <cstring>

#include "platform/resources.h"

namespace platform {
namespace detail {

bool FindNativeResource(const char* type, std::uint16_t id, const char* name, ResourceData* out) {
  LPCSTR resourceType = type;
  if (std::strcmp(type, "BITMAP") == 0) resourceType = MAKEINTRESOURCEA(2);       // RT_BITMAP
  else if (std::strcmp(type, "ICON") == 0) resourceType = MAKEINTRESOURCEA(14);   // RT_GROUP_ICON
  const LPCSTR resourceName = name ? name : MAKEINTRESOURCEA(id);
  HRSRC info = FindResourceA(nullptr, resourceName, resourceType);
  if (!info) return false;
  HGLOBAL loaded = LoadResource(nullptr, info);
  if (!loaded) return false;
  const void* bytes = LockResource(loaded);
  if (!bytes) return false;
  out->bytes = static_cast<const unsigned char*>(bytes);
  out->size = SizeofResource(nullptr, info);
  return true;
}

}  // namespace detail

const ResourceEntry* EmbeddedResources(std::size_t* count) {
  *count = 0;
  return nullptr;
}

}  // namespace platform
