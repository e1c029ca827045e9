// Line and word helpers of the OBJ and MTL readers. A blank is a space or a
// tab; a carriage return is not a blank.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace objl {

// The first word: from the first non-blank character to the next blank or
// the end; empty for an empty or all-blank line.
std::string FirstToken(const std::string& line);

// Everything after the first word and the blanks that follow it, up to the
// line's last non-blank character; empty for a one-word or blank line.
std::string AfterFirstToken(const std::string& line);

// Fields between separators, empty fields kept ("1//3" on "/" gives 1, "",
// 3); a trailing separator adds no field and an empty text gives none. An
// empty separator gives the whole text as one field.
std::vector<std::string> SplitOn(const std::string& text, const std::string& separator);

// The line without its trailing carriage returns and line feeds; a text of
// nothing but those is returned unchanged.
std::string TrimLineEnd(const std::string& line);

// The next line of `text` from `*pos` (without its line feed); false at the
// end. A last line without a line feed is returned too.
bool NextLine(const std::string& text, std::size_t* pos, std::string* line);

// Standard conversions of the number at the start of `text` (leading white
// space skipped, whatever follows the number ignored). False when the text
// starts with no number, or the value is not finite / does not fit.
bool ReadFloat(const std::string& text, float* out);
bool ReadInt(const std::string& text, std::int32_t* out);

// The element an OBJ index names: n > 0 is the n-th element, n < 0 counts
// back from the end (-1 is the last). nullptr when the text holds no number
// or names no element (0, or beyond either end).
template <class T>
const T* ResolveIndex(const std::vector<T>& list, const std::string& text) {
  std::int32_t n = 0;
  if (!ReadInt(text, &n) || n == 0) return nullptr;
  const std::size_t count = list.size();
  if (n > 0) {
    if (static_cast<std::size_t>(n) > count) return nullptr;
    return &list[static_cast<std::size_t>(n) - 1];
  }
  const std::size_t back = static_cast<std::size_t>(-static_cast<std::int64_t>(n));
  if (back > count) return nullptr;
  return &list[count - back];
}

}  // namespace objl
