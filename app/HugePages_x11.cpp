#include "app/HugePages.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace huge_pages {

namespace {
// "-" when GLIBC_TUNABLES was not set, "=" and its value when it was.
const char kMarker[] = "LUMITICK_TUNED";
const char kTunable[] = "glibc.malloc.hugetlb";
}  // namespace

bool PrepareRestart() {
  if (std::getenv(kMarker)) return false;
  const char* current = std::getenv("GLIBC_TUNABLES");
  if (current && std::strstr(current, kTunable)) return false;
  const std::string before = current ? std::string("=") + current : std::string("-");
  std::string tunables = current && *current ? std::string(current) + ":" : std::string();
  tunables += kTunable;
  tunables += "=1";
  setenv(kMarker, before.c_str(), 1);
  setenv("GLIBC_TUNABLES", tunables.c_str(), 1);
  return true;
}

bool RestoreEnvironment() {
  const char* marker = std::getenv(kMarker);
  if (!marker) return false;
  if (marker[0] == '=') {
    const std::string before = marker + 1;
    setenv("GLIBC_TUNABLES", before.c_str(), 1);
  } else {
    unsetenv("GLIBC_TUNABLES");
  }
  unsetenv(kMarker);
  return true;
}

}  // namespace huge_pages
