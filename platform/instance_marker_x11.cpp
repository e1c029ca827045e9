// X11 (Linux) back end of the instance marker: an abstract-namespace Unix
// socket "\0<name>.<uid>". Binding fails with EADDRINUSE while another process
// of the same user holds it; the kernel frees the name when the holder exits,
// crashes or is killed. Nothing is written to the file system.
#include "platform/instance_marker.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace platform {

bool AcquireInstanceMarker(const char* name) {
  sockaddr_un addr;
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  // sun_path[0] stays 0: the abstract namespace.
  int len = std::snprintf(addr.sun_path + 1, sizeof addr.sun_path - 1, "%s.%u", name,
                          static_cast<unsigned>(getuid()));
  if (len < 0) return true;
  if (static_cast<std::size_t>(len) > sizeof addr.sun_path - 2) len = sizeof addr.sun_path - 2;

  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return true;  // no marker can be made: the test passes
  socklen_t size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + len);
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), size) == 0) return true;  // kept open until exit
  const int err = errno;
  close(fd);
  return err != EADDRINUSE;
}

}  // namespace platform
