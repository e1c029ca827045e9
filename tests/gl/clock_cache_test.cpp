// After the fade-in the saver's frames are its static layer (the picture
// without hands, highlights and tints, drawn once per size) with the clock
// shader run again only over the regions that can differ from it. They
// must be the very frames the shader draws over every pixel: byte for byte,
// over thousands of hand positions (random ones and the hard ones), on
// landscape, portrait, square and very small viewports, and after resizes.
// Both are drawn by the scene itself, with the program's own pictures.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "gl/GLEntryPoints.h"
#include "platform/partial_present.h"
#include "render/OffscreenFramebuffer.h"
#include "scene/ChangingRegions.h"
#include "scene/Scene.h"
#include "tests/gl/clock_draw.h"
#include "tests/gl/gl_test_context.h"

#include <GLFW/glfw3.h>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kSector = kPi / 6;

double FixedTimer() { return 10.0; }

FrameInstant At(double time, double hour, double minute, double second) {
  FrameInstant f;
  f.time = time;
  f.hour = static_cast<float>(hour);
  f.minute = static_cast<float>(minute);
  f.second = static_cast<float>(second);
  return f;
}

// The saver's n-th frame: black, fading in, then after the fade-in, the
// hands moving fast enough to cross a mark every few frames and a sector
// boundary now and then.
FrameInstant Turn(int n) {
  const double t = n < 8 ? 2.9 + n * 0.01 : n < 16 ? 4.2 + n * 0.05 : 5.0 + n / 60.0;
  return At(t, 2.0 - n * 0.003, 1.0 - n * 0.011, 0.3 - n * 0.021);
}

// Two views: one drawing whole frames into a framebuffer of its own, one
// drawing from its static layer into another or into the test window (the
// saver's case, where the layer is kept with its rows reversed).
class FramePair {
 public:
  FramePair(int capacityWidth, int capacityHeight, bool cachedInWindow = false) {
    EXPECT_TRUE(whole.Create(capacityWidth, capacityHeight, false));
    if (!cachedInWindow) {
      EXPECT_TRUE(cached.Create(capacityWidth, capacityHeight, false));
    }
    wholeView.reset(new SceneView(whole.Id(), true));
    cachedView.reset(new SceneView(cached.Id(), false));
  }

  // Draws `f` both ways at w x h; false (with the first differing pixel
  // and the count of them in `report`) when the frames differ.
  bool Same(const FrameInstant& f, int w, int h, std::string* report) {
    gScene->Draw(*cachedView, f, w, h);
    return SameAsWhole({cached.Id()}, f, w, h, report);
  }

  // The same for what each of `fbos` holds.
  bool SameAsWhole(std::initializer_list<GLuint> fbos, const FrameInstant& f, int w, int h, std::string* report) {
    gScene->Draw(*wholeView, f, w, h);
    const std::vector<unsigned char> a = gltest::ReadPixels(whole.Id(), w, h);
    ++frames;
    for (GLuint fbo : fbos) {
      const std::vector<unsigned char> b = gltest::ReadPixels(fbo, w, h);
      if (a != b) return Report(a, b, f, w, h, report);
    }
    return true;
  }

  int frames = 0;

 private:
  static bool Report(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b, const FrameInstant& f,
                     int w, int h, std::string* report) {
    std::size_t differing = 0, first = 0;
    for (std::size_t p = a.size() / 4; p-- > 0;) {
      if (std::memcmp(&a[4 * p], &b[4 * p], 4) != 0) ++differing, first = p;
    }
    char text[256];
    std::snprintf(text, sizeof text,
                  "%dx%d, iTime %.2f, hour %.9g, minute %.9g, second %.9g: %zu pixels differ, first at (%zu, %zu): "
                  "whole %d,%d,%d,%d cached %d,%d,%d,%d",
                  w, h, f.time, f.hour, f.minute, f.second, differing, first % w, first / w, a[4 * first],
                  a[4 * first + 1], a[4 * first + 2], a[4 * first + 3], b[4 * first], b[4 * first + 1],
                  b[4 * first + 2], b[4 * first + 3]);
    *report = text;
    return false;
  }

  OffscreenFramebuffer whole, cached;
  std::unique_ptr<SceneView> wholeView;  // the views go first, with their framebuffers still there

 public:
  std::unique_ptr<SceneView> cachedView;
};

class CachedClockFrames : public testing::Test {
 protected:
  static void SetUpTestSuite() { SetUpScene(FixedTimer); }
  static void TearDownTestSuite() { TearDownScene(); }

  // Every instant at every size; stops reporting after a few failures.
  static void ExpectSame(FramePair& pair, const std::vector<FrameInstant>& instants, const std::vector<int>& sizes,
                         const char* what) {
    const auto start = std::chrono::steady_clock::now();
    int failures = 0;
    for (std::size_t s = 0; s + 1 < sizes.size(); s += 2) {
      for (const FrameInstant& f : instants) {
        std::string report;
        if (!pair.Same(f, sizes[s], sizes[s + 1], &report) && ++failures <= 5) ADD_FAILURE() << what << ": " << report;
      }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("[ figures  ] %s (%dx%d first): %d frame pairs in %.1f s, %d differ\n", what, sizes[0], sizes[1],
                pair.frames, seconds, failures);
    pair.frames = 0;
  }
};

// Hand positions where the regions' edges are tight: hands on marks and
// 3 degrees beside them, all three together, the 3 o'clock wrap, negative
// hour angles, half-way between sector marks, the square's corners.
std::vector<FrameInstant> HardInstants() {
  std::vector<FrameInstant> v;
  const double mark = 2 * kPi / 60;
  for (int k = 0; k < 60; ++k) {
    v.push_back(At(10, k * mark, k * mark, k * mark));
    v.push_back(At(10, k * mark, (k + 20) * mark, (k + 40) * mark - 2 * kPi));
    for (double beside : {kPi / 60 - 1e-5, -kPi / 60 + 1e-5, kPi / 60 + 1e-5})
      v.push_back(At(10, k * mark + beside, (k + 7) * mark - beside, (k + 31) * mark + beside));
  }
  for (double a : {0.0, 1e-6, -1e-6, 2 * kPi - 1e-6, -2 * kPi + 1e-6, 2 * kPi, -2 * kPi})
    for (double b : {0.0, 2 * kPi - 1e-6, -1e-6}) v.push_back(At(10, a, b, a - b));
  for (double hour : {-kPi / 6, -kPi / 2, -kPi, -3 * kPi / 2, -3 * kPi / 2 - 0.3, -2 * kPi + 0.01, -5.5})
    v.push_back(At(10, hour, hour + 0.8, -hour));
  for (int j = 0; j < 12; ++j) {
    for (double off : {0.0, 1e-5, -1e-5, 1e-3, 0.5 * kSector}) {
      const double half = (j + 0.5) * kSector + off;
      v.push_back(At(10, half, half - 2 * kPi, half + 1.0));
      v.push_back(At(10, j * kSector + off, (j + 0.5) * kSector - off, 0.3));
    }
  }
  for (int q = 0; q < 4; ++q) {
    const double corner = kPi / 4 + q * kPi / 2;
    v.push_back(At(10, corner, corner, corner));
    v.push_back(At(10, corner - 2 * kPi, corner + kPi / 2, corner + kPi));
  }
  return v;
}

TEST_F(CachedClockFrames, SameAsWholeFramesAtTheHardHandPositions) {
  FramePair pair(400, 400);
  // Landscape, portrait, square (odd and even), very small.
  ExpectSame(pair, HardInstants(), {400, 225, 181, 320, 256, 256, 257, 257, 37, 23, 5, 3, 1, 1},
             "hard hand positions");
}

// Each hand half-way between two marks, the hour and minute hands also
// half-way between two sector marks, over a dial lit everywhere: the most
// regions a frame can have fill the buffer; one region less room is a fault
// that ends the process instead of leaving a region out.
TEST(ChangingRegions, TheFullestFrameFillsTheBufferAndNoMore) {
  scene::DialLitBoxes litDial(16);
  const std::vector<float> lit(16 * 16 * 4, 1.0f);
  litDial.AddBand(0, 16, 16, lit.data());
  const double mark = 2 * kPi / 60;
  float triangles[scene::kMaxRegionFloats];
  const auto regions = [&](int capacity) {
    return scene::ChangingRegions(static_cast<float>(2.5 * mark), static_cast<float>(12.5 * mark),
                                  static_cast<float>(17.5 * mark), 400, 400, litDial, triangles, capacity);
  };
  EXPECT_EQ(regions(scene::kMaxRegionFloats), scene::kMaxRegionFloats / 2);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(regions(scene::kMaxRegionFloats - 12), "more changing regions");
}

TEST_F(CachedClockFrames, SameAsWholeFramesAtRandomHandPositionsAndAfterResizes) {
  FramePair pair(960, 540);
  std::mt19937 random(20);
  std::uniform_real_distribution<double> angle(-2 * kPi, 2 * kPi);
  // Runs of frames at one size (the static layer reused), then another
  // size (made again). The larger the viewport, the finer an error in the
  // regions that shows beyond their margin.
  const int sizes[][2] = {{320, 240}, {240, 320}, {300, 300}, {160, 90}, {64, 48}, {17, 29}, {960, 540}, {320, 240}};
  std::vector<FrameInstant> instants;
  for (int i = 0; i < 250; ++i) instants.push_back(At(10, angle(random), angle(random), angle(random)));
  for (const auto& s : sizes) {
    const std::size_t n = s[0] * s[1] > 320 * 320 ? 100 : instants.size();  // the large one costs most
    ExpectSame(pair, {instants.begin(), instants.begin() + n}, {s[0], s[1]}, "random hand positions");
  }
}

TEST_F(CachedClockFrames, SameAsWholeFramesInAWindow) {
  GLFWwindow* window = gltest::Window();
  glfwSetWindowSize(window, 400, 400);
  for (int i = 0; i < 50; ++i) {  // the server's answer to the resize
    int w = 0, h = 0;
    glfwPollEvents();
    glfwGetFramebufferSize(window, &w, &h);
    if (w == 400 && h == 400) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  glfwSwapBuffers(window);  // the driver takes the new size at a swap
  {
    FramePair pair(400, 400, true);
    std::vector<FrameInstant> instants = HardInstants();
    instants.resize(120);
    ExpectSame(pair, instants, {400, 400, 400, 225, 181, 320, 37, 23, 1, 1}, "in a window");
    // Frames one after another presented through the window's presenter:
    // the back buffer holds what the age it reports says.
    const std::unique_ptr<platform::FramePresenter> presenter = platform::MakeWindowPresenter(window);
    for (int n = 16; n < 60; ++n) {
      pair.cachedView->backBufferAge = presenter->BackBufferAge();
      gScene->Draw(*pair.cachedView, Turn(n), 400, 400);
      std::string report;
      if (!pair.SameAsWhole({0}, Turn(n), 400, 400, &report)) ADD_FAILURE() << "frame " << n << ": " << report;
      const FrameChanges& c = pair.cachedView->changes;
      platform::PresentRect rects[FrameChanges::kMaxRects];
      for (int i = 0; i < c.count; ++i) rects[i] = {c.rects[i].x, c.rects[i].y, c.rects[i].width, c.rects[i].height};
      presenter->Present(c.whole ? nullptr : rects, c.count);
    }
  }
  glfwSetWindowSize(window, gltest::kWindowWidth, gltest::kWindowHeight);
}

// Presents what the last draw changed onto `front`, as a partial present
// would (the whole frame where it says so).
void PresentOnto(const OffscreenFramebuffer& front, GLuint drawn, const FrameChanges& c, int w, int h) {
  glBindFramebuffer(GL_READ_FRAMEBUFFER, drawn);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, front.Id());
  const scene::PixelRect all{0, 0, w, h};
  for (int i = 0; i < (c.whole ? 1 : c.count); ++i) {
    const scene::PixelRect& r = c.whole ? all : c.rects[static_cast<std::size_t>(i)];
    glBlitFramebuffer(r.x, r.y, r.x + r.width, r.y + r.height, r.x, r.y, r.x + r.width, r.y + r.height,
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
  }
}

// Runs of frames into framebuffers that take turns as a window's buffers
// do, the target's age always 1, always 2, unknown (the target scribbled
// over first) or changing, the size changed midway and back: every frame
// drawn, and what is presented (the changes copied onto the frames before),
// is the whole frame of its instant, byte for byte. A black frame is drawn
// once, and again only once the window's picture is lost.
TEST_F(CachedClockFrames, RunsOfFramesForEveryBackBufferAge) {
  std::mt19937 random(32);
  for (const char* schedule : {"age 1", "age 2", "unknown", "changing"}) {
    FramePair pair(320, 320);
    SceneView& view = *pair.cachedView;
    OffscreenFramebuffer chain[3], front;
    for (auto* b : {&chain[0], &chain[1], &chain[2], &front}) ASSERT_TRUE(b->Create(320, 320, false));
    int presents = 0, lastDrawn[3] = {-1, -1, -1}, failures = 0;
    for (int n = 0; n < 140; ++n) {
      const bool turned = n >= 70 && n < 80;
      const int w = turned ? 240 : 320, h = turned ? 320 : 240;
      const std::string kind = schedule;
      const int b = kind == "age 1" ? 0 : kind == "age 2" ? n % 2 : kind == "unknown" ? n % 3 : random() % 3;
      view.target = chain[b].Id();
      view.backBufferAge = lastDrawn[b] < 0 ? 0 : presents + 1 - lastDrawn[b];
      if (kind == "unknown" || (kind == "changing" && random() % 4 == 0)) {
        view.backBufferAge = 0;
        glBindFramebuffer(GL_FRAMEBUFFER, view.target);
        glClearColor(0.2f, 0.7f, 0.4f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
      }
      if (n == 4) view.Forget();  // an expose
      const bool drew = gScene->Draw(view, Turn(n), w, h);
      if (n < 8) {
        EXPECT_EQ(drew, n == 0 || n == 4) << schedule << ", black frame " << n;
      }
      if (!drew) continue;
      lastDrawn[b] = ++presents;
      PresentOnto(front, view.target, view.changes, w, h);
      std::string report;
      if (!pair.SameAsWhole({view.target, front.Id()}, Turn(n), w, h, &report) && ++failures <= 3)
        ADD_FAILURE() << schedule << ", frame " << n << ": " << report;
    }
  }
}

TEST_F(CachedClockFrames, SameAsWholeFramesLargeBlackAndAtTheEndOfTheFadeIn) {
  FramePair pair(3840, 2160);
  const std::vector<FrameInstant> large = {At(10, 2.54, 0.68, 4.69), At(10, -kPi / 6, kPi / 4, 3 * kPi / 4),
                                           At(10, 5 * kPi / 4 - 2 * kPi, 7 * kPi / 4, (15 + 0.5) * kSector)};
  ExpectSame(pair, large, {1920, 1080, 1080, 1920, 3840, 2160}, "large viewports");
  // Before 3 s the cached view only clears; at 5 s it starts from its layer.
  ExpectSame(pair, {At(2.0, 1.0, 2.0, 3.0), At(2.999, 4.0, 5.0, 6.0), At(5.0, 1.0, 2.0, 3.0)}, {640, 360},
             "black and at 5 s");

  // The regions are what makes the cached frame cheap: a few per cent of
  // a full-HD viewport, not the whole of it.
  float triangles[scene::kMaxRegionFloats];
  scene::DialLitBoxes noLitDial(2048);
  const int n = scene::ChangingRegions(2.54f, 0.68f, 4.69f, 1920, 1080, noLitDial, triangles, scene::kMaxRegionFloats);
  double area = 0;
  for (int t = 0; t + 2 < n; t += 3) {
    const float* p = &triangles[2 * t];
    area += std::fabs((p[2] - p[0]) * (p[5] - p[1]) - (p[4] - p[0]) * (p[3] - p[1])) / 2 / 4;  // of the 2 x 2 clip square
  }
  EXPECT_LT(area, 0.05);
}

// OpenGL objects of the kinds the scene makes, among the first names.
int LiveObjects() {
  glUseProgram(0);  // a deleted program in use would still count
  int n = 0;
  for (GLuint id = 1; id < 4096; ++id)
    n += glIsTexture(id) + glIsBuffer(id) + glIsProgram(id) + glIsShader(id) + glIsFramebuffer(id) + glIsRenderbuffer(id);
  return n;
}

// Benchmarks set the scene up and tear it down again, once per variant:
// what it made goes with it, memory (LeakSanitizer, in the sanitizer build)
// and OpenGL objects alike, and a scene made again draws as the first did.
TEST_F(CachedClockFrames, SetUpAndTearDownTwiceLeaveNothingBehind) {
  TearDownScene();  // the suite's
  const int before = LiveObjects();
  for (int round = 0; round < 2; ++round) {
    SetUpScene(FixedTimer);
    {
      FramePair pair(160, 90);
      ExpectSame(pair, {At(10, 2.54, 0.68, 4.69)}, {160, 90}, "after a new set-up");
    }
    TearDownScene();
    EXPECT_EQ(LiveObjects(), before) << "round " << round;
  }
  SetUpScene(FixedTimer);  // for the suite's other cases
}

}  // namespace
