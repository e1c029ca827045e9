// Linux back end of the resource facility: the table the build links into
// the program (generated from resources/resources.list).
#include "platform/resources.h"

namespace platform {
namespace detail {

extern const ResourceEntry kEmbeddedResourceTable[];
extern const std::size_t kEmbeddedResourceCount;
bool FindInEntryTable(const ResourceEntry* table, std::size_t count, const char* type,
                      std::uint16_t id, const char* name, ResourceData* out);

bool FindNativeResource(const char* type, std::uint16_t id, const char* name, ResourceData* out) {
  return FindInEntryTable(kEmbeddedResourceTable, kEmbeddedResourceCount, type, id, name, out);
}

}  // namespace detail

const ResourceEntry* EmbeddedResources(std::size_t* count) {
  *count = detail::kEmbeddedResourceCount;
  return detail::kEmbeddedResourceTable;
}

}  // namespace platform
