// Resources carried inside the executable, found by type and 16-bit id.
//
// Types are the resource-script names: "TEXTFILE" (shader, OBJ and MTL texts),
// "BITMAP" (BMP images, read through platform/bitmap.h), "WAVE" (RIFF WAVE
// images, found by name) and "ICON". On Windows the bytes come from the
// executable's resource section (FindResourceA, LoadResource, SizeofResource,
// LockResource); on Linux from a table the build links into the program
// (resources/resources.list names every entry once for both).
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

struct ResourceData {
  const unsigned char* bytes = nullptr;  // valid for the life of the process
  std::size_t size = 0;                  // the resource's stored size
};

// One entry of a resource table. `name` is set for resources found by name
// (the "WAVE" type); `id` is used otherwise.
struct ResourceEntry {
  const char* type;
  std::uint16_t id;
  const char* name;
  const unsigned char* bytes;
  std::size_t size;
};

// Finds the resource of `type` with integer name `id`. False when there is
// none; `out` is then left empty.
bool FindResourceData(const char* type, std::uint16_t id, ResourceData* out);

// Finds the resource of `type` with string name `name`.
bool FindNamedResourceData(const char* type, const char* name, ResourceData* out);

// Tests and fuzzers replace the program's resources with a table of their own
// (not copied: it must outlive its use); nullptr restores the embedded ones.
void SetResourceTableOverride(const ResourceEntry* table, std::size_t count);

// Every entry of the embedded table (for exporting them); empty on Windows,
// where the resource section is not enumerated.
const ResourceEntry* EmbeddedResources(std::size_t* count);

namespace detail {
// The back end's lookup (resources_win32.cpp / resources_embedded.cpp).
bool FindNativeResource(const char* type, std::uint16_t id, const char* name, ResourceData* out);
}  // namespace detail

}  // namespace platform
