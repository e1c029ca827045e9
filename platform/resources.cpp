// Portable front of the resource facility: a test table first, then the
// back end.
#include "platform/resources.h"

#include <cstring>

namespace platform {

static const ResourceEntry* sOverride = nullptr;
static std::size_t sOverrideCount = 0;

void SetResourceTableOverride(const ResourceEntry* table, std::size_t count) {
  sOverride = table;
  sOverrideCount = table ? count : 0;
}

static bool FindInTable(const ResourceEntry* table, std::size_t count, const char* type,
                        std::uint16_t id, const char* name, ResourceData* out) {
  for (std::size_t i = 0; i < count; ++i) {
    const ResourceEntry& e = table[i];
    if (std::strcmp(e.type, type) != 0) continue;
    const bool match = name ? (e.name && std::strcmp(e.name, name) == 0) : (!e.name && e.id == id);
    if (!match) continue;
    out->bytes = e.bytes;
    out->size = e.size;
    return true;
  }
  return false;
}

static bool Find(const char* type, std::uint16_t id, const char* name, ResourceData* out) {
  *out = ResourceData{};
  if (!type) return false;
  if (sOverride) return FindInTable(sOverride, sOverrideCount, type, id, name, out);
  return detail::FindNativeResource(type, id, name, out);
}

bool FindResourceData(const char* type, std::uint16_t id, ResourceData* out) {
  return Find(type, id, nullptr, out);
}

bool FindNamedResourceData(const char* type, const char* name, ResourceData* out) {
  if (!name) {
    *out = ResourceData{};
    return false;
  }
  return Find(type, 0, name, out);
}

namespace detail {
// Used by resources_embedded.cpp, which has the same table form.
bool FindInEntryTable(const ResourceEntry* table, std::size_t count, const char* type,
                      std::uint16_t id, const char* name, ResourceData* out) {
  return FindInTable(table, count, type, id, name, out);
}
}  // namespace detail

}  // namespace platform
