// Bitmap textures under a real context: texels read back from level 0,
// storage and sampling state, the mipmap-list form, failures, and the
// generated dial. Also prints what building the two 2048 textures costs.
#include <gtest/gtest.h>

#include <malloc.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "gl/GLEntryPoints.h"
#include "platform/message_box.h"
#include "platform/resources.h"
#include "render/BitmapTexture.h"

// Bytes held through operator new, to see the scratch arrays come and go.
namespace {
std::atomic<long long> sLiveBytes{0};
std::atomic<long long> sPeakBytes{0};
}  // namespace

void* operator new(std::size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  const long long live = sLiveBytes += static_cast<long long>(malloc_usable_size(p));
  long long peak = sPeakBytes.load();
  while (live > peak && !sPeakBytes.compare_exchange_weak(peak, live)) {
  }
  return p;
}
void operator delete(void* p) noexcept {
  if (!p) return;
  sLiveBytes -= static_cast<long long>(malloc_usable_size(p));
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

struct Rgb {
  std::uint8_t r, g, b;
};

void Put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
}

// 24-bit bottom-up BMP of `picture` (rows top first, as seen).
std::vector<std::uint8_t> MakeBmp(int w, int h, const std::vector<Rgb>& picture) {
  const std::uint32_t stride = (w * 3 + 3) & ~3u;
  std::vector<std::uint8_t> f = {'B', 'M'};
  Put32(f, 54 + stride * h), Put32(f, 0), Put32(f, 54);
  Put32(f, 40), Put32(f, w), Put32(f, h), Put32(f, 1 | 24 << 16);
  for (int i = 0; i < 6; ++i) Put32(f, 0);
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) f.insert(f.end(), {picture[y * w + x].b, picture[y * w + x].g, picture[y * w + x].r});
    f.resize(f.size() + (stride - w * 3), 0);
  }
  return f;
}

// A w x h picture with a distinct colour in every pixel.
std::vector<Rgb> Gradient(int w, int h, int seed) {
  std::vector<Rgb> p(w * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      p[y * w + x] = {static_cast<std::uint8_t>(x * 40 + seed), static_cast<std::uint8_t>(y * 60 + seed),
                      static_cast<std::uint8_t>((x ^ y) * 17 + 3 * seed)};
  return p;
}

std::vector<float> ReadLevel(GLuint id, int level, int* w, int* h) {
  glBindTexture(GL_TEXTURE_2D, id);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, h);
  std::vector<float> texels(static_cast<std::size_t>(*w) * *h * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_FLOAT, texels.data());
  return texels;
}

// Texel (x, y) of level 0, y counted from the bottom, against the picture's
// pixel (x, h - 1 - y) as seen.
void ExpectTexelsMatch(const std::vector<float>& t, const std::vector<Rgb>& picture, int w, int h) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Rgb& p = picture[(h - 1 - y) * w + x];
      const float* q = &t[(static_cast<std::size_t>(y) * w + x) * 4];
      EXPECT_FLOAT_EQ(q[0], p.r / 255.0f) << x << "," << y;
      EXPECT_FLOAT_EQ(q[1], p.g / 255.0f) << x << "," << y;
      EXPECT_FLOAT_EQ(q[2], p.b / 255.0f) << x << "," << y;
      EXPECT_EQ(q[3], 1.0f) << x << "," << y;
    }
}

std::vector<std::string> sBoxes;
void CatchBox(const char* text, const char* title, platform::MessageIcon) {
  sBoxes.push_back(std::string(title) + ": " + text);
}

// Test bitmaps, in place of the program's own, and every box caught.
class BitmapTextureTest : public testing::Test {
 protected:
  void Use(std::vector<platform::ResourceEntry> entries) {
    table_ = std::move(entries);
    platform::SetResourceTableOverride(table_.data(), table_.size());
  }
  void SetUp() override {
    sBoxes.clear();
    platform::SetMessageBoxHook(CatchBox);
  }
  void TearDown() override {
    platform::SetResourceTableOverride(nullptr, 0);
    platform::SetMessageBoxHook(nullptr);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
  std::vector<platform::ResourceEntry> table_;
};

GLint TexInt(GLenum name) {
  GLint v = -1;
  glGetTexParameteriv(GL_TEXTURE_2D, name, &v);
  return v;
}

TEST_F(BitmapTextureTest, Level0HoldsThePictureBottomRowFirst) {
  // 4 x 4: bottom-left red, a mid-grey next to it, the rest distinct.
  std::vector<Rgb> picture = Gradient(4, 4, 5);
  picture[3 * 4 + 0] = {255, 0, 0};
  picture[3 * 4 + 1] = {128, 128, 128};
  const std::vector<std::uint8_t> bmp = MakeBmp(4, 4, picture);
  Use({{"BITMAP", 300, nullptr, bmp.data(), bmp.size()}});

  BitmapTexture texture(300, 4);
  int w = 0, h = 0;
  const std::vector<float> t = ReadLevel(texture.GetId(), 0, &w, &h);
  ASSERT_EQ(w, 4);
  ASSERT_EQ(h, 4);
  EXPECT_EQ(t[0], 1.0f);
  EXPECT_EQ(t[1], 0.0f);
  EXPECT_EQ(t[2], 0.0f);
  EXPECT_EQ(t[3], 1.0f);
  for (int c = 4; c < 7; ++c) EXPECT_NEAR(t[c], 0.50196, 1e-5);
  ExpectTexelsMatch(t, picture, 4, 4);
  EXPECT_TRUE(sBoxes.empty());
  texture.Release();
}

TEST_F(BitmapTextureTest, StorageAndSamplingStateAndBindingOnReturn) {
  // Sizes of the level table, each with its storage levels.
  const int sizes[] = {1, 2, 4, 64, 2048};
  const int levels[] = {1, 1, 2, 6, 11};
  std::vector<std::vector<std::uint8_t>> files;
  std::vector<platform::ResourceEntry> entries;
  for (int s : sizes) files.push_back(MakeBmp(s, s, std::vector<Rgb>(s * s, Rgb{9, 8, 7})));
  for (std::size_t i = 0; i < files.size(); ++i)
    entries.push_back({"BITMAP", static_cast<std::uint16_t>(400 + i), nullptr, files[i].data(), files[i].size()});
  Use(entries);

  for (std::size_t i = 0; i < files.size(); ++i) {
    glActiveTexture(GL_TEXTURE3);
    BitmapTexture texture(400 + static_cast<int>(i), sizes[i]);
    GLint active = 0, bound = 0, format = 0, width = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(active, GL_TEXTURE0);
    EXPECT_EQ(static_cast<GLuint>(bound), texture.GetId());
    EXPECT_EQ(TexInt(GL_TEXTURE_IMMUTABLE_FORMAT), GL_TRUE);
    EXPECT_EQ(TexInt(GL_TEXTURE_IMMUTABLE_LEVELS), levels[i]) << sizes[i];
    EXPECT_EQ(BitmapTexture::LevelCount(sizes[i]), levels[i]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(format, GL_RGBA32F);
    EXPECT_EQ(width, sizes[i]);
    EXPECT_EQ(TexInt(GL_TEXTURE_BASE_LEVEL), 0);
    EXPECT_EQ(TexInt(GL_TEXTURE_MAX_LEVEL), 0);
    EXPECT_EQ(TexInt(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(TexInt(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(TexInt(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(TexInt(GL_TEXTURE_WRAP_T), GL_REPEAT);
    const GLuint id = texture.GetId();
    texture.Release();
    EXPECT_EQ(glIsTexture(id), GL_FALSE);
  }
  EXPECT_TRUE(sBoxes.empty());
  for (int bad : {0, -4, 3, 100, 4096}) EXPECT_EQ(BitmapTexture::LevelCount(bad), 0) << bad;
}

TEST_F(BitmapTextureTest, MipmapListFillsEveryLevelFromItsOwnBitmap) {
  const std::vector<Rgb> p1 = Gradient(1, 1, 1), p2 = Gradient(2, 2, 2), p4 = Gradient(4, 4, 3);
  const std::vector<std::uint8_t> b1 = MakeBmp(1, 1, p1), b2 = MakeBmp(2, 2, p2), b4 = MakeBmp(4, 4, p4);
  Use({{"BITMAP", 501, nullptr, b1.data(), b1.size()},
       {"BITMAP", 502, nullptr, b2.data(), b2.size()},
       {"BITMAP", 504, nullptr, b4.data(), b4.size()}});
  const int ids[] = {501, 502, 504};
  BitmapTexture texture(ids, 3);
  const std::vector<Rgb>* pictures[] = {&p4, &p2, &p1};
  for (int level = 0; level < 3; ++level) {
    int w = 0, h = 0;
    const std::vector<float> t = ReadLevel(texture.GetId(), level, &w, &h);
    ASSERT_EQ(w, 4 >> level);
    ExpectTexelsMatch(t, *pictures[level], w, h);
  }
  glBindTexture(GL_TEXTURE_2D, texture.GetId());
  EXPECT_EQ(TexInt(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
  EXPECT_EQ(TexInt(GL_TEXTURE_WRAP_T), GL_REPEAT);
  EXPECT_TRUE(sBoxes.empty());
  glDisable(GL_TEXTURE_2D);
  texture.Release();
}

TEST_F(BitmapTextureTest, BadBitmapsAreReportedAndGiveOpaqueBlack) {
  const std::vector<std::uint8_t> small = MakeBmp(2, 2, Gradient(2, 2, 4));
  std::vector<std::uint8_t> cut = MakeBmp(4, 4, Gradient(4, 4, 4));
  cut.resize(cut.size() - 20);
  Use({{"BITMAP", 601, nullptr, small.data(), small.size()}, {"BITMAP", 602, nullptr, cut.data(), cut.size()}});

  struct Case {
    int id, size;
    const char* box;
    int side;  // of the texture made instead
  } cases[] = {
      {600, 4, "Debug: Failed to load bitmap 600", 4},
      {601, 4, "Debug: Bitmap 601 is 2 x 2, not 4 x 4", 4},
      {602, 4, "Debug: Failed to load bitmap 602", 4},
      {601, 3, "Debug: Unsupported bitmap size 3", 1},
      {601, 4096, "Debug: Unsupported bitmap size 4096", 1},
  };
  for (const Case& c : cases) {
    sBoxes.clear();
    BitmapTexture texture(c.id, c.size);
    ASSERT_EQ(sBoxes.size(), 1u) << c.box;
    EXPECT_EQ(sBoxes[0], c.box);
    int w = 0, h = 0;
    const std::vector<float> t = ReadLevel(texture.GetId(), 0, &w, &h);
    EXPECT_EQ(w, c.side) << c.box;
    EXPECT_EQ(h, c.side) << c.box;
    for (std::size_t k = 0; k < t.size(); ++k) ASSERT_EQ(t[k], k % 4 == 3 ? 1.0f : 0.0f) << c.box << " " << k;
    texture.Release();
  }

  sBoxes.clear();
  BitmapTexture list(nullptr, 40);
  EXPECT_EQ(sBoxes, std::vector<std::string>{"Debug: Unsupported mipmap level count 40"});
  glDisable(GL_TEXTURE_2D);
  list.Release();
}

TEST_F(BitmapTextureTest, GeneratedDialLightsOnlyTheTwelveNumerals) {
  BitmapTexture dial(208, 2048);
  int w = 0, h = 0;
  const std::vector<float> t = ReadLevel(dial.GetId(), 0, &w, &h);
  ASSERT_EQ(w, 2048);
  ASSERT_EQ(h, 2048);
  const double pi = 3.14159265358979323846;
  // Ink box of each hour's numeral, in texture coordinates about the centre.
  int lit[13] = {0};
  double minU[13], maxU[13], minV[13], maxV[13];
  for (int k = 0; k < 13; ++k) minU[k] = minV[k] = 1e9, maxU[k] = maxV[k] = -1e9;
  int stray = 0, notGrey = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const float* q = &t[(static_cast<std::size_t>(y) * w + x) * 4];
      if (q[0] == 0.0f && q[1] == 0.0f && q[2] == 0.0f) continue;
      if (q[0] != q[1] || q[1] != q[2]) ++notGrey;
      // v up: "12" should be at +v, "3" at +u.
      const double u = (x + 0.5) / w - 0.5, v = (y + 0.5) / h - 0.5, r = std::hypot(u, v);
      double clockwise = std::atan2(u, v);  // from the top
      if (clockwise < 0) clockwise += 2 * pi;
      const int hour = static_cast<int>(std::lround(clockwise / (pi / 6))) % 12;
      // Within the radii where the sector tint sees it, and near an hour.
      if (r < 0.31 || r > 0.45 || std::fabs(std::remainder(clockwise - hour * pi / 6, 2 * pi)) > 0.2) {
        ++stray;
        continue;
      }
      const int k = hour == 0 ? 12 : hour;
      ++lit[k];
      minU[k] = std::fmin(minU[k], u), maxU[k] = std::fmax(maxU[k], u);
      minV[k] = std::fmin(minV[k], v), maxV[k] = std::fmax(maxV[k], v);
    }
  EXPECT_EQ(stray, 0);
  EXPECT_EQ(notGrey, 0);
  for (int k = 1; k <= 12; ++k) {
    EXPECT_GT(lit[k], 1000) << "hour " << k;
    // The middle of the ink lies on the hour's direction, 0.38 to 0.42 out.
    const double cu = (minU[k] + maxU[k]) / 2, cv = (minV[k] + maxV[k]) / 2;
    const double r = std::hypot(cu, cv), across = cu * std::cos(k * pi / 6) - cv * std::sin(k * pi / 6);
    EXPECT_GE(r, 0.38) << "hour " << k;
    EXPECT_LE(r, 0.42) << "hour " << k;
    EXPECT_NEAR(across, 0.0, 0.003) << "hour " << k;
  }
  // Two-digit numerals at 10, 11 and 12 o'clock are the widest: the face is
  // neither upside down nor mirrored.
  EXPECT_GT(maxU[12] - minU[12], 1.5 * (maxU[6] - minU[6]));
  EXPECT_GT(maxU[10] - minU[10], 1.5 * (maxU[2] - minU[2]));
  EXPECT_GT(maxU[11] - minU[11], 1.5 * (maxU[1] - minU[1]));
  dial.Release();
}

long ProcKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::string(field).size());
  return -1;
}

TEST_F(BitmapTextureTest, FiguresForBuildingBothTextures) {
  glFinish();
  {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";  // restart the peak resident size
  }
  const long rssBefore = ProcKiB("VmRSS:");
  const long long liveBefore = sLiveBytes.load();
  sPeakBytes = liveBefore;
  const auto start = std::chrono::steady_clock::now();
  const std::clock_t cpuStart = std::clock();
  BitmapTexture dial(208, 2048);
  BitmapTexture background(209, 2048);
  glFinish();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const double cpuMs = (std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC;  // every thread's
  const long long scratchPeak = sPeakBytes.load() - liveBefore, scratchLeft = sLiveBytes.load() - liveBefore;
  std::printf("[figures] both 2048 textures: %.1f ms (%.1f ms of processor time); peak scratch %.1f MiB, left after %lld bytes; "
              "resident %+.1f MiB after, peak %+.1f MiB\n",
              ms, cpuMs, scratchPeak / 1048576.0, scratchLeft, (ProcKiB("VmRSS:") - rssBefore) / 1024.0,
              (ProcKiB("VmHWM:") - rssBefore) / 1024.0);
  EXPECT_EQ(scratchLeft, 0);  // the scratch arrays are gone once built
  EXPECT_TRUE(sBoxes.empty());
  dial.Release();
  background.Release();
}

}  // namespace
