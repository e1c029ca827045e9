#include "app/XScreensaverConfig.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace xscreensaver_config {

namespace {

using Lines = std::vector<std::string>;

Lines SplitLines(const std::string& text) {
  Lines lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string JoinLines(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + '\n';
  return text;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string TrimRight(const std::string& s) {
  std::size_t end = s.size();
  while (end > 0 && IsBlank(s[end - 1])) --end;
  return s.substr(0, end);
}

std::string Trim(const std::string& s) {
  std::size_t start = 0;
  while (start < s.size() && IsBlank(s[start])) ++start;
  return TrimRight(s.substr(start));
}

bool Continues(const std::string& line) {
  const std::string t = TrimRight(line);
  return !t.empty() && t.back() == '\\';
}

// The lines [first, last] of the programs resource: its "programs:" line
// ("*programs:" in X resource defaults) and every line it continues onto.
bool FindPrograms(const Lines& lines, std::size_t* first, std::size_t* last) {
  bool continued = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool starts = !continued;
    continued = Continues(lines[i]);
    if (!starts) continue;
    const std::string line = Trim(lines[i]);
    if (line.empty() || line[0] == '#' || line[0] == '!') continue;
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const std::string key = TrimRight(line.substr(0, colon));
    const std::string name = "programs";
    if (key != name && key != "*" + name &&
        !(key.size() > name.size() && key.compare(key.size() - name.size(), name.size(), name) == 0 &&
          (key[key.size() - name.size() - 1] == '*' || key[key.size() - name.size() - 1] == '.')))
      continue;
    *first = i;
    *last = i;
    while (Continues(lines[*last]) && *last + 1 < lines.size()) ++*last;
    return true;
  }
  return false;
}

// The entries of the list: the value over its lines, without the line
// continuations, split at each "\n".
Lines Entries(const Lines& lines, std::size_t first, std::size_t last) {
  std::string value;
  for (std::size_t i = first; i <= last; ++i) {
    std::string part = TrimRight(lines[i]);
    if (i == first) part = part.substr(part.find(':') + 1);
    if (i < last || Continues(part)) {
      if (!part.empty() && part.back() == '\\') part.pop_back();
    }
    value += part;
  }
  Lines entries;
  std::size_t start = 0;
  while (start <= value.size()) {
    std::size_t end = value.find("\\n", start);
    if (end == std::string::npos) end = value.size();
    const std::string entry = Trim(value.substr(start, end - start));
    if (!entry.empty()) entries.push_back(entry);
    start = end + 2;
  }
  return entries;
}

// The file name of an entry's program: after "-", a "visual:" word and a
// quoted name, the first word of the command, from its last "/".
std::string EntryProgram(std::string entry, bool* off) {
  entry = Trim(entry);
  *off = !entry.empty() && entry[0] == '-';
  if (*off) entry = Trim(entry.substr(1));
  std::size_t word = 0;
  while (word < entry.size() && !IsBlank(entry[word]) && entry[word] != ':' && entry[word] != '"') ++word;
  if (word < entry.size() && entry[word] == ':') entry = Trim(entry.substr(word + 1));
  if (!entry.empty() && entry[0] == '"') {
    const std::size_t close = entry.find('"', 1);
    entry = close == std::string::npos ? std::string() : Trim(entry.substr(close + 1));
  }
  std::size_t end = 0;
  while (end < entry.size() && !IsBlank(entry[end])) ++end;
  const std::string path = entry.substr(0, end);
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ReadFile(const std::string& path, std::string* text, int* error) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = errno;
    return false;
  }
  text->clear();
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *error = errno;
      close(fd);
      return false;
    }
    if (n == 0) break;
    text->append(buffer, static_cast<std::size_t>(n));
  }
  close(fd);
  return true;
}

// Writes `text` to `path` through a new file beside it, renamed over it once
// it is complete, so that a failure leaves the old file as it was.
bool WriteFileInOneStep(const std::string& path, const std::string& text, mode_t mode, int* error) {
  const std::string temporary = path + ".lumitick-new";
  unlink(temporary.c_str());
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) {
    *error = errno;
    return false;
  }
  bool ok = fchmod(fd, mode) == 0;  // whatever the umask
  std::size_t done = 0;
  while (ok && done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  ok = ok && fsync(fd) == 0;
  if (!ok) *error = errno;
  if (close(fd) != 0 && ok) {
    *error = errno;
    ok = false;
  }
  if (ok && rename(temporary.c_str(), path.c_str()) != 0) {
    *error = errno;
    ok = false;
  }
  if (!ok) unlink(temporary.c_str());
  return ok;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "lumitick: %s\n", message.c_str());
  return 1;
}

}  // namespace

bool ListsProgram(const std::string& text, const std::string& program, bool* off) {
  const Lines lines = SplitLines(text);
  std::size_t first = 0, last = 0;
  if (!FindPrograms(lines, &first, &last)) return false;
  for (const std::string& entry : Entries(lines, first, last)) {
    bool entryOff = false;
    if (EntryProgram(entry, &entryOff) == program) {
      if (off) *off = entryOff;
      return true;
    }
  }
  return false;
}

bool AddEntry(const std::string& text, const std::string& defaults, const std::string& command, std::string* out,
              std::string* problem) {
  Lines lines = SplitLines(text);
  std::size_t first = 0, last = 0;
  if (!FindPrograms(lines, &first, &last)) {
    const Lines from = SplitLines(defaults);
    std::size_t dFirst = 0, dLast = 0;
    if (!FindPrograms(from, &dFirst, &dLast)) {
      *problem = "xscreensaver's defaults hold no programs list";
      return false;
    }
    if (!lines.empty() && !Trim(lines.back()).empty()) lines.push_back("");
    first = lines.size();
    const std::string& head = from[dFirst];
    lines.push_back("programs:" + head.substr(head.find(':') + 1));
    for (std::size_t i = dFirst + 1; i <= dLast; ++i) lines.push_back(from[i]);
    last = lines.size() - 1;
    lines.push_back("");
  }

  const std::string entry = "\t\t\t\t" + command + "\t\t\t\t    \\n";
  std::string& end = lines[last];
  if (last > first && Trim(end).empty()) {
    // The usual end of the list: its last entry continues onto a blank line.
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last), entry + "\\");
    *out = JoinLines(lines);
    return true;
  }
  // The last line holds the list's end itself: it is made to continue onto
  // the new entry, which ends the list instead.
  std::string body = TrimRight(end);
  if (body.empty() || body.back() != '\\') {
    const std::string value = last == first ? Trim(body.substr(body.find(':') + 1)) : Trim(body);
    if (value.empty()) {
      body += "\t\\";
    } else if (value.size() >= 2 && value.compare(value.size() - 2, 2, "\\n") == 0) {
      body += "\\";
    } else {
      body += "\\n\\";
    }
  }
  end = body;
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last) + 1, entry);
  *out = JoinLines(lines);
  return true;
}

std::string EntryCommand(const std::string& programPath, const std::string& hackDir) {
  const std::size_t slash = programPath.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string() : programPath.substr(0, slash);
  if (!programPath.empty() && dir == hackDir) return programPath.substr(slash + 1) + " --root";
  return programPath + " --root";
}

int AddToXScreensaver(const std::string& home, const std::string& defaultsPath, const std::string& command) {
  if (home.empty()) return Fail("no home folder (HOME is not set)");
  const std::string path = home + "/.xscreensaver";
  // A link (a dotfiles repository, say) stays a link: the file it names is
  // the one edited.
  std::string target = path;
  struct stat link {};
  if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    char* real = realpath(path.c_str(), nullptr);
    if (!real) return Fail(path + " is a link to nothing (" + std::strerror(errno) + ")");
    target = real;
    std::free(real);
  }

  std::string text;
  int error = 0;
  const bool exists = ReadFile(target, &text, &error);
  if (!exists && error != ENOENT) return Fail("cannot read " + target + ": " + std::strerror(error));
  bool off = false;
  if (exists && ListsProgram(text, "lumitick", &off)) {
    std::printf("%s already lists Lumitick%s; nothing changed.\n", path.c_str(),
                off ? " (turned off: tick it in xscreensaver-settings)" : "");
    return 0;
  }

  std::string defaults, problem, updated;
  ReadFile(defaultsPath, &defaults, &error);
  if (!AddEntry(text, defaults, command, &updated, &problem)) {
    if (defaults.empty())
      return Fail(path + " has no programs list, and xscreensaver's defaults (" + defaultsPath +
                  ") cannot be read: is xscreensaver installed?");
    return Fail(problem + " (" + defaultsPath + ")");
  }

  mode_t mode = 0644;
  if (exists) {
    struct stat st {};
    if (stat(target.c_str(), &st) == 0) mode = st.st_mode & 07777;
    const std::string backup = path + ".before-lumitick";
    if (!WriteFileInOneStep(backup, text, mode, &error))
      return Fail("cannot keep the file as it was in " + backup + ": " + std::strerror(error) + "; nothing changed");
    if (!WriteFileInOneStep(target, updated, mode, &error))
      return Fail("cannot write " + target + ": " + std::strerror(error) + "; it is as it was");
    std::printf("Added \"%s\" at the end of the programs list of %s (the file as it was: %s).\n", command.c_str(),
                path.c_str(), backup.c_str());
  } else {
    updated = "# XScreenSaver Preferences File\n"
              "# Made by lumitick --add-to-xscreensaver from xscreensaver's defaults.\n"
              "# xscreensaver-settings writes the whole file anew when a setting changes.\n\n" +
              updated;
    if (!WriteFileInOneStep(target, updated, mode, &error))
      return Fail("cannot write " + target + ": " + std::strerror(error));
    std::printf("Made %s with xscreensaver's own list of programs and \"%s\" at its end.\n", path.c_str(),
                command.c_str());
  }
  std::printf("Choose Lumitick in xscreensaver-settings.\n");
  return 0;
}

}  // namespace xscreensaver_config
