// One frame offscreen into a PNG, and the resource export.
//
// The snapshot makes a hidden window only for its OpenGL context, renders
// into a framebuffer object of the requested size through the saver's own
// scene, and reads the pixels back. The wall clock and the timer are
// replaced: two frames are drawn, the first at the whole second (it
// captures the time), the second `fraction` later, so the hands are those
// the running saver shows at that moment.
#include "app/Snapshot.h"

#include <GLFW/glfw3.h>
#include <png.h>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "app/ScreensaverApp.h"
#include "gl/GLEntryPoints.h"
#include "render/OffscreenFramebuffer.h"
#include "platform/message_box.h"
#include "platform/resources.h"
#include "scene/Scene.h"
#include "scene/WallClock.h"

namespace {

bool ParseInt(const char*& p, int digitsMin, int digitsMax, int* out) {
  int n = 0, value = 0;
  while (*p >= '0' && *p <= '9' && n < digitsMax) value = value * 10 + (*p++ - '0'), ++n;
  *out = value;
  return n >= digitsMin;
}

// The snapshot's wall clock and timer: fixed values.
class FixedClock : public WallClock {
 public:
  bool ReadLocalTime(std::tm* out) override {
    *out = local;
    return true;
  }
  std::tm local{};
  double timer = 0.0;
};
FixedClock sClock;

double SnapshotTimer() { return sClock.timer; }

}  // namespace

bool ParseSnapshotSize(const char* text, int* width, int* height) {
  const char* p = text;
  int w = 0, h = 0;
  if (!ParseInt(p, 1, 5, &w) || (*p != 'x' && *p != 'X')) return false;
  ++p;
  if (!ParseInt(p, 1, 5, &h) || *p != '\0') return false;
  if (w < 1 || h < 1 || w > 16384 || h > 16384) return false;
  *width = w;
  *height = h;
  return true;
}

bool ParseSnapshotTime(const char* text, SnapshotOptions* o) {
  const char* p = text;
  int h = 0, m = 0, s = 0;
  if (!ParseInt(p, 1, 2, &h) || *p++ != ':' || !ParseInt(p, 2, 2, &m) || *p++ != ':' || !ParseInt(p, 2, 2, &s))
    return false;
  double fraction = 0.0;
  if (*p == '.') {
    ++p;
    double scale = 0.1;
    if (!(*p >= '0' && *p <= '9')) return false;
    for (int n = 0; *p >= '0' && *p <= '9'; ++n, ++p) {
      if (n >= 9) return false;
      fraction += (*p - '0') * scale;
      scale /= 10;
    }
  }
  if (*p != '\0' || h > 23 || m > 59 || s > 60) return false;
  o->haveTime = true;
  o->hour = h, o->minute = m, o->second = s;
  o->fraction = fraction;
  return true;
}

bool ParseSnapshotITime(const char* text, double* iTime) {
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text, &end);
  if (end == text || *end != '\0' || errno != 0 || !std::isfinite(v) || v < 0.0 || v > 1e7) return false;
  *iTime = v;
  return true;
}

bool WritePng(const std::string& path, int width, int height, const unsigned char* rgb) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = false;
  if (png && info && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
      png_write_row(png, const_cast<png_bytep>(rgb + static_cast<std::size_t>(y) * width * 3));
    png_write_end(png, nullptr);
    ok = true;
  }
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  return std::fclose(f) == 0 && ok;
}

int RunSnapshot(const SnapshotOptions& o) {
  if (!glfwInit()) {
    std::fprintf(stderr, "lumitick: no display for the snapshot (set DISPLAY or run under xvfb-run)\n");
    return 1;
  }
  glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
  SetSaverWindowHints();
  GLFWwindow* window = glfwCreateWindow(64, 64, "Lumitick snapshot", nullptr, nullptr);
  if (!window) {
    std::fprintf(stderr, "lumitick: cannot make an OpenGL context for the snapshot\n");
    glfwTerminate();
    return 1;
  }
  glfwMakeContextCurrent(window);
  InitGLEntryPoints();
  if (const char* missing = gl_loader::MissingOffscreenRequirement()) {
    std::fprintf(stderr, "lumitick: %s\n", missing);
    glfwTerminate();
    return 1;
  }
  glCullFace(GL_BACK);
  glFrontFace(GL_CW);

  GLint maxSize = 0;
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSize);
  if (o.width > maxSize || o.height > maxSize) {
    std::fprintf(stderr, "lumitick: --size %dx%d is beyond this driver's limit of %d\n", o.width, o.height, maxSize);
    glfwTerminate();
    return 2;
  }
  OffscreenFramebuffer frame;
  if (!frame.Create(o.width, o.height, true)) {
    std::fprintf(stderr, "lumitick: cannot make a %dx%d offscreen frame\n", o.width, o.height);
    glfwTerminate();
    return 1;
  }

  // The wall clock: the given time today, or now.
  std::time_t now = std::time(nullptr);
  std::tm local{};
  if (!localtime_r(&now, &local)) std::memset(&local, 0, sizeof local);
  double fraction = o.fraction;
  if (o.haveTime) {
    local.tm_hour = o.hour, local.tm_min = o.minute, local.tm_sec = o.second;
  } else {
    fraction = 0.0;
  }
  sClock.local = local;

  sClock.timer = o.iTime - fraction;
  SetUpScene(SnapshotTimer, &sClock);
  {
    SceneView view(frame.Id(), true);  // snapshots are the reference: every pixel from the clock shader
    gScene->Draw(view, gScene->ReadFrameInstant(), o.width, o.height);  // captures the whole second
    sClock.timer = o.iTime;
    gScene->Draw(view, gScene->ReadFrameInstant(), o.width, o.height);
  }
  glFinish();

  std::vector<unsigned char> rgba(static_cast<std::size_t>(o.width) * o.height * 4);
  std::vector<unsigned char> rgb(static_cast<std::size_t>(o.width) * o.height * 3);
  glBindFramebuffer(GL_FRAMEBUFFER, frame.Id());
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, o.width, o.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  for (int y = 0; y < o.height; ++y) {  // GL rows are bottom-up
    const unsigned char* src = &rgba[static_cast<std::size_t>(o.height - 1 - y) * o.width * 4];
    unsigned char* dst = &rgb[static_cast<std::size_t>(y) * o.width * 3];
    for (int x = 0; x < o.width; ++x) dst[3 * x] = src[4 * x], dst[3 * x + 1] = src[4 * x + 1], dst[3 * x + 2] = src[4 * x + 2];
  }
  frame.Release();
  const bool written = WritePng(o.path, o.width, o.height, rgb.data());
  glfwTerminate();
  if (!written) {
    std::fprintf(stderr, "lumitick: cannot write %s\n", o.path.c_str());
    return 1;
  }
  return 0;
}

int ExportResources(const std::string& directory) {
  if (mkdir(directory.c_str(), 0777) != 0 && errno != EEXIST) {
    std::fprintf(stderr, "lumitick: cannot make %s: %s\n", directory.c_str(), std::strerror(errno));
    return 1;
  }
  std::size_t count = 0;
  const platform::ResourceEntry* entries = platform::EmbeddedResources(&count);
  for (std::size_t i = 0; i < count; ++i) {
    const platform::ResourceEntry& e = entries[i];
    const char* ext = std::strcmp(e.type, "BITMAP") == 0 ? ".bmp"
                      : std::strcmp(e.type, "ICON") == 0 ? ".ico"
                      : std::strcmp(e.type, "WAVE") == 0 ? ".wav"
                      : std::strcmp(e.type, "TEXTFILE") == 0 ? ".txt"
                                                           : ".bin";
    const std::string name = e.name ? std::string(e.name) : std::to_string(e.id);
    const std::string path = directory + "/" + e.type + "-" + name + ext;
    FILE* f = std::fopen(path.c_str(), "wb");
    const bool ok = f && std::fwrite(e.bytes, 1, e.size, f) == e.size;
    if (f && std::fclose(f) != 0) f = nullptr;
    if (!ok || !f) {
      std::fprintf(stderr, "lumitick: cannot write %s\n", path.c_str());
      return 1;
    }
    std::printf("%s\n", path.c_str());
  }
  return 0;
}
