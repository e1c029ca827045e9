// X11 back end of the URL opener: xdg-open, started by a short-lived
// intermediate child so that the opener is adopted by init and never becomes
// our zombie. The intermediate child reports through its exit status whether
// the opener could be started; the caller reaps it at once.
#include "platform/url_opener.h"

#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace platform {

bool OpenUrl(const char* url, void*) {
  if (!url || !*url) return false;
  // Both strings are prepared before fork: the child only spawns and exits.
  char program[] = "xdg-open";
  char* argv[] = {program, const_cast<char*>(url), nullptr};

  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    // The intermediate child: posix_spawnp reports a failed exec (no
    // xdg-open on PATH) as its result.
    pid_t opener = 0;
    const int error = posix_spawnp(&opener, program, nullptr, nullptr, argv, environ);
    _exit(error == 0 ? 0 : 1);
  }
  int status = 0;
  pid_t reaped;
  do {
    reaped = waitpid(child, &status, 0);
  } while (reaped < 0 && errno == EINTR);
  return reaped == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace platform
