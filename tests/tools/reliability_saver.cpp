// The saver itself with one of its text resources replaced, to see how the
// running saver meets a shader that does not compile or link.
//
//   reliability_saver BREAK SWITCHES...
//
// BREAK is one of "vertex" (the vertex shader has a syntax error),
// "fragment" (so has the fragment shader) or "link" (a fragment shader
// without main, which compiles but does not link). The other resources are
// the saver's own; SWITCHES are handed to the saver as its command line.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/Entry.h"
#include "platform/resources.h"

namespace {

const char kBrokenVertex[] = "void main( {\r\n  gl_Position = vec4(0.0);\r\n}\r\n//~";
const char kBrokenFragment[] = "void main() {\r\n  gl_FragColor = vec4(0.0) +;\r\n}\r\n//~";
const char kUnlinkableFragment[] = "void helper() {\r\n  gl_FragColor = vec4(1.0);\r\n}\r\n//~";

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: reliability_saver vertex|fragment|link [SWITCHES...]\n");
    return 2;
  }
  const std::string what = argv[1];
  std::uint16_t id = 0;
  const char* text = nullptr;
  if (what == "vertex") id = 137, text = kBrokenVertex;
  if (what == "fragment") id = 136, text = kBrokenFragment;
  if (what == "link") id = 136, text = kUnlinkableFragment;
  if (!text) {
    std::fprintf(stderr, "reliability_saver: unknown break %s\n", argv[1]);
    return 2;
  }

  std::size_t count = 0;
  const platform::ResourceEntry* embedded = platform::EmbeddedResources(&count);
  static std::vector<platform::ResourceEntry> table(embedded, embedded + count);
  for (platform::ResourceEntry& e : table) {
    if (std::strcmp(e.type, "TEXTFILE") == 0 && e.id == id) {
      e.bytes = reinterpret_cast<const unsigned char*>(text);
      e.size = std::strlen(text);
    }
  }
  platform::SetResourceTableOverride(table.data(), table.size());

  std::string commandLine;
  for (int i = 2; i < argc; ++i) commandLine += (i > 2 ? " " : "") + std::string(argv[i]);
  return SaverEntry(commandLine.c_str(), nullptr, 1);
}
