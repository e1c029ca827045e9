#include "render/TextResource.h"

#include <cstdio>
#include <cstring>

#include "platform/message_box.h"
#include "platform/resources.h"

namespace {

void Report(const char* what, std::uint16_t id, std::size_t capacity) {
  char text[160];
  std::snprintf(text, sizeof text, what, static_cast<unsigned>(id), capacity);
  platform::ShowMessageBox(text, "Debug", platform::MessageIcon::Information);
}

}  // namespace

TextResourceStatus LoadTextResource(std::uint16_t id, char* destination, std::size_t capacity) {
  platform::ResourceData data;
  TextResourceStatus status = TextResourceStatus::Ok;
  std::size_t length = 0;
  if (!platform::FindResourceData("TEXTFILE", id, &data)) {
    status = TextResourceStatus::Missing;
  } else {
    const void* marker = std::memchr(data.bytes, '~', data.size);
    length = marker ? static_cast<std::size_t>(static_cast<const unsigned char*>(marker) - data.bytes) : data.size;
    if (!marker) status = TextResourceStatus::NoMarker;
    if (length > capacity) {
      length = capacity;
      status = TextResourceStatus::TooLong;
    }
    std::memcpy(destination, data.bytes, length);
  }
  std::memset(destination + length, 0, 4);

  switch (status) {
    case TextResourceStatus::Missing: Report("Text resource %u is missing", id, capacity); break;
    case TextResourceStatus::NoMarker: Report("Text resource %u has no end marker \"~\"", id, capacity); break;
    case TextResourceStatus::TooLong: Report("Text resource %u is longer than %zu bytes", id, capacity); break;
    case TextResourceStatus::Ok: break;
  }
  return status;
}

bool LoadSizedTextResource(std::uint16_t id, std::string* text) {
  platform::ResourceData data;
  if (!platform::FindResourceData("TEXTFILE", id, &data)) {
    text->clear();
    return false;
  }
  text->assign(reinterpret_cast<const char*>(data.bytes), data.size);
  return true;
}
