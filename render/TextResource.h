// Texts carried as "TEXTFILE" resources.
//
// Two ways of taking a text out: marker-terminated (the shaders: the text
// ends at the first "~", which each shader keeps on its last line "//~") and
// sized (OBJ and MTL texts: the whole resource, by its stored size).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class TextResourceStatus {
  Ok,
  Missing,   // no such resource: the text is empty
  NoMarker,  // no "~": the text runs to the resource's end
  TooLong,   // more than `capacity` bytes before the marker: cut at capacity
};

// Copies the marker-terminated text of "TEXTFILE" `id` into `destination` and
// ends it with four NUL bytes where the "~" stood. `destination` provides
// capacity + 4 bytes; nothing is read past the resource or written past that.
// A missing resource, a text without marker and one longer than the capacity
// are reported in a "Debug" box naming the resource, and the text is the part
// that could be taken.
TextResourceStatus LoadTextResource(std::uint16_t id, char* destination, std::size_t capacity);

// The sized text of "TEXTFILE" `id`: every stored byte. False when missing.
bool LoadSizedTextResource(std::uint16_t id, std::string* text);
