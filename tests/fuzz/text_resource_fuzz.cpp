// Fuzzes the text-resource reader. The first byte chooses the capacity
// (0 to 255); the rest is "TEXTFILE" 136 (an input of no bytes at all has
// no resource). The destination is exactly capacity + 4 bytes, so a write
// past it is caught; the text taken must be the bytes before the first "~",
// cut at the capacity, followed by four NUL bytes, and the status must say
// which case it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/message_box.h"
#include "platform/resources.h"
#include "render/TextResource.h"

static void Check(bool condition) {
  if (!condition) std::abort();
}

static int sBoxes = 0;
static void CountBox(const char*, const char* title, platform::MessageIcon) {
  Check(std::strcmp(title, "Debug") == 0);
  ++sBoxes;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::SetMessageBoxHook(CountBox);
  const std::size_t capacity = size ? data[0] : 16;
  const std::size_t resourceSize = size ? size - 1 : 0;
  // The resource's bytes in a heap block of their own size, so that a read
  // past the resource is caught.
  unsigned char* bytes = static_cast<unsigned char*>(std::malloc(resourceSize ? resourceSize : 1));
  if (resourceSize) std::memcpy(bytes, data + 1, resourceSize);
  const platform::ResourceEntry table[1] = {{"TEXTFILE", 136, nullptr, bytes, resourceSize}};
  platform::SetResourceTableOverride(table, size ? 1 : 0);

  char* destination = static_cast<char*>(std::malloc(capacity + 4));
  std::memset(destination, 'X', capacity + 4);
  sBoxes = 0;
  const TextResourceStatus status = LoadTextResource(136, destination, capacity);

  std::size_t expected = 0;
  TextResourceStatus expectedStatus = TextResourceStatus::Missing;
  if (size) {
    const void* marker = std::memchr(bytes, '~', resourceSize);
    expected = marker ? static_cast<std::size_t>(static_cast<const unsigned char*>(marker) - bytes) : resourceSize;
    expectedStatus = marker ? TextResourceStatus::Ok : TextResourceStatus::NoMarker;
    if (expected > capacity) expected = capacity, expectedStatus = TextResourceStatus::TooLong;
  }
  Check(status == expectedStatus);
  Check(sBoxes == (status == TextResourceStatus::Ok ? 0 : 1));
  Check(std::memcmp(destination, bytes, expected) == 0);
  for (std::size_t i = expected; i < expected + 4; ++i) Check(destination[i] == '\0');

  // The sized reading takes every stored byte.
  std::string sized;
  Check(LoadSizedTextResource(136, &sized) == (size != 0));
  Check(sized.size() == resourceSize && (resourceSize == 0 || std::memcmp(sized.data(), bytes, resourceSize) == 0));

  platform::SetResourceTableOverride(nullptr, 0);
  platform::SetMessageBoxHook(nullptr);
  std::free(destination);
  std::free(bytes);
  return 0;
}
