#include "model/TextLines.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace objl {

static bool IsBlank(char c) { return c == ' ' || c == '\t'; }

static std::size_t FindBlank(const std::string& s, std::size_t from) {
  while (from < s.size() && !IsBlank(s[from])) ++from;
  return from;
}

static std::size_t FindNonBlank(const std::string& s, std::size_t from) {
  while (from < s.size() && IsBlank(s[from])) ++from;
  return from;
}

std::string FirstToken(const std::string& line) {
  const std::size_t start = FindNonBlank(line, 0);
  if (start == line.size()) return std::string();
  return line.substr(start, FindBlank(line, start) - start);
}

std::string AfterFirstToken(const std::string& line) {
  const std::size_t word = FindNonBlank(line, 0);
  const std::size_t start = FindNonBlank(line, FindBlank(line, word));
  if (start >= line.size()) return std::string();
  std::size_t end = line.size() - 1;
  while (IsBlank(line[end])) --end;  // stops at `start` at the latest
  return line.substr(start, end - start + 1);
}

std::vector<std::string> SplitOn(const std::string& text, const std::string& separator) {
  std::vector<std::string> fields;
  if (separator.empty()) {
    if (!text.empty()) fields.push_back(text);
    return fields;
  }
  const std::size_t n = separator.size();
  std::string field;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::string piece = text.substr(i, n);
    if (piece == separator) {
      if (!field.empty()) {
        fields.push_back(field);
        field.clear();
        i += n - 1;
      } else {
        fields.emplace_back();
      }
    } else if (i + n >= text.size()) {
      field += piece;
      fields.push_back(field);
      break;
    } else {
      field += text[i];
    }
  }
  return fields;
}

std::string TrimLineEnd(const std::string& line) {
  const std::size_t last = line.find_last_not_of("\r\n");
  if (last == std::string::npos) return line;
  return line.substr(0, last + 1);
}

bool NextLine(const std::string& text, std::size_t* pos, std::string* line) {
  if (*pos >= text.size()) return false;
  std::size_t end = text.find('\n', *pos);
  if (end == std::string::npos) end = text.size();
  line->assign(text, *pos, end - *pos);
  *pos = end + 1;
  return true;
}

bool ReadFloat(const std::string& text, float* out) {
  const char* begin = text.c_str();
  char* end = nullptr;
  const float value = std::strtof(begin, &end);
  if (end == begin || !std::isfinite(value)) return false;
  *out = value;
  return true;
}

bool ReadInt(const std::string& text, std::int32_t* out) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(begin, &end, 10);
  if (end == begin || errno == ERANGE || value < INT32_MIN || value > INT32_MAX) return false;
  *out = static_cast<std::int32_t>(value);
  return true;
}

}  // namespace objl
