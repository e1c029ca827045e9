// Frame time of the clock picture, side by side in one run, all drawn
// offscreen through the saver's own scene: the frame as the saver draws it
// after the fade-in ("cached": its static layer copied, the shader run over
// the changing regions), the shipped fragment shader over every pixel
// ("shipped"), and the literal baseline (clock_literal.frag: all sixty
// marks tested at every pixel).
//
//   lumitick_clock_bench [--size WxH]... [--frames N] [--rounds N] [--shipped-only]
//                        [--window] [--frag FILE] [--vert FILE]
//
// For every size and round the scene is set up once per variant (the
// baseline replaces text resource 136 for its set-up) and torn down after
// its frames: N frames are drawn, each followed by glFinish, with the hands
// sweeping 1/60 s a frame; the cached variant's static layer is made in the
// frames before the measured ones. Printed: the median and the spread of ms per frame and the
// ratios of the variants. --window draws into a window's back buffer (the
// bench window, resized) instead of a framebuffer object, each frame
// followed by glFinish and the buffer swap as in the saver's loop: a
// software renderer copies the static layer into a window more slowly than
// between framebuffer objects.
// Each --frag FILE adds a variant timed in the same rounds, its text read
// from the file in place of resource 136 (to see where a shader's time
// goes); a --vert FILE before it replaces resource 137 for it and the
// --frag files after it. Files are shader texts as the resources hold them
// (ending with "//~"), drawn whole. --shipped-only leaves the baseline out. The CPU
// column is the process's CPU time per frame over all threads.
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
#include "render/OffscreenFramebuffer.h"
#include "platform/resources.h"
#include "scene/Scene.h"
#include "scene/WallClock.h"

namespace {

constexpr std::uint16_t kFragmentShaderId = 136;
constexpr std::uint16_t kVertexShaderId = 137;

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
GLFWwindow* sWindow = nullptr;
bool sIntoWindow = false;

// The embedded resources with texts 136 and 137 replaced where `frag` or
// `vert` is given (NUL-terminated texts that outlive the table).
std::vector<platform::ResourceEntry> ReplacedTable(const std::string* frag, const std::string* vert) {
  std::size_t count = 0;
  const platform::ResourceEntry* embedded = platform::EmbeddedResources(&count);
  std::vector<platform::ResourceEntry> table(embedded, embedded + count);
  for (platform::ResourceEntry& e : table) {
    if (std::strcmp(e.type, "TEXTFILE") != 0) continue;
    const std::string* text = e.id == kFragmentShaderId ? frag : e.id == kVertexShaderId ? vert : nullptr;
    if (text) {
      e.bytes = reinterpret_cast<const unsigned char*>(text->c_str());
      e.size = text->size();
    }
  }
  return table;
}

bool ReadFile(const char* path, std::string* out) {
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  char buffer[4096];
  std::size_t n = 0;
  out->clear();
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out->append(buffer, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
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

// CPU time of the whole process: every thread, the driver's rasteriser
// threads included. Less disturbed than the wall clock by other work on a
// shared machine.
double ProcessCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Sets the scene up with the resources as they stand, times `frames`
// frames after two unmeasured ones (the first compiles the shader variant)
// and tears the scene down again: wall-clock ms of each frame, and its
// process CPU ms into `cpu`.
std::vector<double> TimeFrames(GLuint fbo, int width, int height, bool wholeFrames, int frames,
                               std::vector<double>* cpu) {
  // The model reader reports its progress on standard output; keep the
  // figures readable (the cached variant reads the model again for its
  // static layer in its first frame).
  std::fflush(stdout);
  const int saved = dup(1);
  const int devnull = open("/dev/null", O_WRONLY);
  if (devnull >= 0) dup2(devnull, 1);
  SetUpScene(BenchTimer, &sClock);
  std::vector<double> ms;
  {
    SceneView view(fbo, wholeFrames);
    for (int i = -2; i < frames; ++i) {
      if (i == 0) {
        std::fflush(stdout);
        if (saved >= 0) dup2(saved, 1);
        if (devnull >= 0) close(devnull);
        if (saved >= 0) close(saved);
      }
      sTimer += 1.0 / 60.0;
      const double c0 = ProcessCpuMs();
      const auto t0 = std::chrono::steady_clock::now();
      gScene->Draw(view, gScene->ReadFrameInstant(), width, height);
      glFinish();
      if (sIntoWindow) glfwSwapBuffers(sWindow);
      const auto t1 = std::chrono::steady_clock::now();
      const double c1 = ProcessCpuMs();
      if (i >= 0) {
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        cpu->push_back(c1 - c0);
      }
    }
  }
  TearDownScene();
  return ms;
}

bool ParseSize(const char* text, Size* s) {
  char x = 0;
  int consumed = 0;
  if (std::sscanf(text, "%d%c%d%n", &s->width, &x, &s->height, &consumed) != 3 || text[consumed] != '\0') return false;
  return (x == 'x' || x == 'X') && s->width > 0 && s->height > 0 && s->width <= 16384 && s->height <= 16384;
}

int Usage() {
  std::fprintf(stderr,
               "usage: lumitick_clock_bench [--size WxH]... [--frames N] [--rounds N] [--shipped-only]"
               " [--window] [--frag FILE] [--vert FILE]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<Size> sizes;
  int frames = 30, rounds = 1;
  bool shippedOnly = false;
  // Each --frag file with the --vert file given before it (if any).
  struct FileVariant {
    std::string name, frag, vert;
    bool haveVert;
  };
  std::vector<FileVariant> files;
  std::string vertText;
  bool haveVert = false;
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
    } else if (a == "--window") {
      sIntoWindow = true;
    } else if ((a == "--frag" || a == "--vert") && i + 1 < argc) {
      std::string text;
      if (!ReadFile(argv[++i], &text)) {
        std::fprintf(stderr, "lumitick_clock_bench: cannot read %s\n", argv[i]);
        return 1;
      }
      if (a == "--vert") {
        vertText = text, haveVert = true;
      } else {
        const char* base = std::strrchr(argv[i], '/');
        files.push_back({base ? base + 1 : argv[i], text, vertText, haveVert});
      }
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
  GLFWwindow* window = sWindow = glfwCreateWindow(64, 64, "lumitick bench", nullptr, nullptr);
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
  std::printf("frames per measurement: %d (median, 10th-90th percentile), rounds: %d, into %s\n", frames, rounds,
              sIntoWindow ? "a window" : "a framebuffer object");

  // 10:08:30, a time with the hands apart.
  sClock.local.tm_hour = 10, sClock.local.tm_min = 8, sClock.local.tm_sec = 30;

  // The variants, timed in turn in every round: the saver's cached frame,
  // the shipped shader over every pixel, the baseline, and each --frag file
  // (with the --vert file, if any).
  struct Variant {
    std::string name;
    std::vector<platform::ResourceEntry> table;  // empty: the embedded resources
    bool whole;
    std::vector<double> ms, cpu;
  };
  const std::string literalText = kLiteralClockShader;
  std::vector<Variant> variants;
  variants.push_back({"cached", {}, false, {}, {}});
  variants.push_back({"shipped", {}, true, {}, {}});
  if (!shippedOnly) variants.push_back({"literal", ReplacedTable(&literalText, nullptr), true, {}, {}});
  for (const FileVariant& f : files)
    variants.push_back({f.name, ReplacedTable(&f.frag, f.haveVert ? &f.vert : nullptr), true, {}, {}});

  std::printf("%-11s %-16s %10s %17s %13s\n", "size", "shader", "ms/frame", "p10-p90", "cpu ms/frame");
  for (const Size& s : sizes) {
    OffscreenFramebuffer frame;
    if (sIntoWindow) {
      glfwSetWindowSize(window, s.width, s.height);
      glfwSwapBuffers(window);  // the back buffer takes the new size
      int w = 0, h = 0;
      glfwGetFramebufferSize(window, &w, &h);
      if (w != s.width || h != s.height) {
        std::fprintf(stderr, "lumitick_clock_bench: the window is %dx%d, not %dx%d\n", w, h, s.width, s.height);
        return 1;
      }
    } else if (!frame.Create(s.width, s.height, true)) {
      std::fprintf(stderr, "lumitick_clock_bench: cannot make a %dx%d framebuffer\n", s.width, s.height);
      return 1;
    }
    for (Variant& v : variants) v.ms.clear(), v.cpu.clear();
    for (int r = 0; r < rounds; ++r) {
      for (Variant& v : variants) {
        platform::SetResourceTableOverride(v.table.empty() ? nullptr : v.table.data(), v.table.size());
        const std::vector<double> t = TimeFrames(frame.Id(), s.width, s.height, v.whole, frames, &v.cpu);
        v.ms.insert(v.ms.end(), t.begin(), t.end());
      }
      platform::SetResourceTableOverride(nullptr, 0);
    }
    char label[32];
    std::snprintf(label, sizeof label, "%dx%d", s.width, s.height);
    for (const Variant& v : variants)
      std::printf("%-11s %-16s %10.2f %8.2f-%-8.2f %13.2f\n", label, v.name.c_str(), Median(v.ms),
                  Percentile(v.ms, 0.1), Percentile(v.ms, 0.9), Median(v.cpu));
    // Each variant against the ones after it: how many times faster it is.
    for (std::size_t a = 0; a < variants.size(); ++a)
      for (std::size_t b = a + 1; b < variants.size(); ++b)
        std::printf("%-11s ratio %s/%s: %.2f\n", label, variants[b].name.c_str(), variants[a].name.c_str(),
                    Median(variants[b].ms) / Median(variants[a].ms));
    std::fflush(stdout);
  }
  glfwTerminate();
  return 0;
}
