// Frame time of the clock picture: the shipped fragment shader against the
// literal baseline (clock_literal.frag: all sixty marks tested at every
// pixel), both drawn offscreen through the saver's own scene set-up and frame
// step, side by side in one run.
//
//   lumitick_clock_bench [--size WxH]... [--frames N] [--rounds N] [--shipped-only]
//
// For every size and round the scene is set up once per shader (the baseline
// replaces text resource 136 for its set-up), then N frames are drawn, each
// followed by glFinish, with the hands sweeping 1/60 s a frame. Printed: the
// median and the spread of ms per frame and the ratio baseline / shipped.
// A figure, not a test: nothing here fails on time.
#include <GLFW/glfw3.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "app/ScreensaverApp.h"
#include "bench/clock_literal_frag.h"
#include "gl/GLEntryPoints.h"
#include "platform/resources.h"
#include "scene/Scene.h"
#include "scene/WallClock.h"

namespace {

constexpr std::uint16_t kFragmentShaderId = 136;

struct Size {
  int width, height;
};

class BenchClock : public WallClock {
 public:
  bool ReadLocalTime(std::tm* out) override {
    *out = local;
    return true;
  }
  std::tm local{};
};
BenchClock sClock;
double sTimer = 10.0;
double BenchTimer() { return sTimer; }

// The embedded resources with text 136 replaced by the baseline shader.
std::vector<platform::ResourceEntry> LiteralTable() {
  std::size_t count = 0;
  const platform::ResourceEntry* embedded = platform::EmbeddedResources(&count);
  std::vector<platform::ResourceEntry> table(embedded, embedded + count);
  for (platform::ResourceEntry& e : table) {
    if (std::strcmp(e.type, "TEXTFILE") == 0 && e.id == kFragmentShaderId) {
      e.bytes = reinterpret_cast<const unsigned char*>(kLiteralClockShader);
      e.size = sizeof kLiteralClockShader - 1;
    }
  }
  return table;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5)];
}

GLuint MakeFramebuffer(const Size& s) {
  GLuint fbo = 0, colour = 0, depth = 0;
  glGenFramebuffers(1, &fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  glGenRenderbuffers(1, &colour);
  glBindRenderbuffer(GL_RENDERBUFFER, colour);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, s.width, s.height);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
  glGenRenderbuffers(1, &depth);
  glBindRenderbuffer(GL_RENDERBUFFER, depth);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, s.width, s.height);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return 0;
  return fbo;
}

// Sets the scene up with the resources as they stand and times `frames`
// frames after two unmeasured ones (the first compiles the shader variant).
std::vector<double> TimeFrames(GLuint fbo, int frames) {
  SceneHooks hooks;
  hooks.framebuffer = fbo;
  hooks.timer = BenchTimer;
  hooks.wallClock = &sClock;
  SetSceneHooks(hooks);
  // The model reader reports its progress on standard output; keep the
  // figures readable.
  std::fflush(stdout);
  const int saved = dup(1);
  const int devnull = open("/dev/null", O_WRONLY);
  if (devnull >= 0) dup2(devnull, 1);
  SetUpScene();
  std::fflush(stdout);
  if (saved >= 0) dup2(saved, 1);
  if (devnull >= 0) close(devnull);
  if (saved >= 0) close(saved);
  std::vector<double> ms;
  for (int i = -2; i < frames; ++i) {
    sTimer += 1.0 / 60.0;
    const auto t0 = std::chrono::steady_clock::now();
    RunFrameStep();
    glFinish();
    const auto t1 = std::chrono::steady_clock::now();
    if (i >= 0) ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  return ms;
}

bool ParseSize(const char* text, Size* s) {
  char x = 0;
  int consumed = 0;
  if (std::sscanf(text, "%d%c%d%n", &s->width, &x, &s->height, &consumed) != 3 || text[consumed] != '\0') return false;
  return (x == 'x' || x == 'X') && s->width > 0 && s->height > 0 && s->width <= 16384 && s->height <= 16384;
}

int Usage() {
  std::fprintf(stderr, "usage: lumitick_clock_bench [--size WxH]... [--frames N] [--rounds N] [--shipped-only]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<Size> sizes;
  int frames = 30, rounds = 1;
  bool shippedOnly = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--size" && i + 1 < argc) {
      Size s{};
      if (!ParseSize(argv[++i], &s)) return Usage();
      sizes.push_back(s);
    } else if (a == "--frames" && i + 1 < argc) {
      frames = std::atoi(argv[++i]);
      if (frames < 1 || frames > 100000) return Usage();
    } else if (a == "--rounds" && i + 1 < argc) {
      rounds = std::atoi(argv[++i]);
      if (rounds < 1 || rounds > 100) return Usage();
    } else if (a == "--shipped-only") {
      shippedOnly = true;
    } else {
      return Usage();
    }
  }
  if (sizes.empty()) sizes = {{1920, 1080}, {3840, 2160}};

  if (!glfwInit()) {
    std::fprintf(stderr, "lumitick_clock_bench: no display (run under xvfb-run)\n");
    return 1;
  }
  glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
  SetSaverWindowHints();
  GLFWwindow* window = glfwCreateWindow(64, 64, "lumitick bench", nullptr, nullptr);
  if (!window) {
    std::fprintf(stderr, "lumitick_clock_bench: no OpenGL context\n");
    return 1;
  }
  glfwMakeContextCurrent(window);
  InitGLEntryPoints();
  if (const char* missing = gl_loader::MissingSceneRequirement()) {
    std::fprintf(stderr, "lumitick_clock_bench: %s\n", missing);
    return 1;
  }
  glCullFace(GL_BACK);
  glFrontFace(GL_CW);
  std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  std::printf("frames per measurement: %d (median, 10th-90th percentile), rounds: %d\n", frames, rounds);

  // 10:08:30, a time with the hands apart.
  sClock.local.tm_hour = 10, sClock.local.tm_min = 8, sClock.local.tm_sec = 30;
  const std::vector<platform::ResourceEntry> literal = LiteralTable();
  std::printf("%-11s %-8s %10s %17s\n", "size", "shader", "ms/frame", "p10-p90");
  for (const Size& s : sizes) {
    const GLuint fbo = MakeFramebuffer(s);
    if (!fbo) {
      std::fprintf(stderr, "lumitick_clock_bench: cannot make a %dx%d framebuffer\n", s.width, s.height);
      return 1;
    }
    StoreWindowSize(s.width, s.height);
    std::vector<double> shipped, baseline;
    for (int r = 0; r < rounds; ++r) {
      platform::SetResourceTableOverride(nullptr, 0);
      const std::vector<double> a = TimeFrames(fbo, frames);
      platform::SetResourceTableOverride(literal.data(), literal.size());
      const std::vector<double> b = shippedOnly ? a : TimeFrames(fbo, frames);
      platform::SetResourceTableOverride(nullptr, 0);
      shipped.insert(shipped.end(), a.begin(), a.end());
      baseline.insert(baseline.end(), b.begin(), b.end());
    }
    char label[32];
    std::snprintf(label, sizeof label, "%dx%d", s.width, s.height);
    for (const auto& [name, v] : {std::pair<const char*, const std::vector<double>&>{"shipped", shipped},
                                  std::pair<const char*, const std::vector<double>&>{"literal", baseline}}) {
      std::printf("%-11s %-8s %10.2f %8.2f-%-8.2f\n", label, name, Median(v), Percentile(v, 0.1), Percentile(v, 0.9));
    }
    std::printf("%-11s ratio literal/shipped: %.2f\n", label, Median(baseline) / Median(shipped));
    std::fflush(stdout);
  }
  glfwTerminate();
  return 0;
}
