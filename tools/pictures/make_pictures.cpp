// Draws the program's pictures as 24-bit BMP files (placeholder art: a black
// dial with grey hour blocks, a violet background with a coloured bottom glow,
// and a small swirl for the About window).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Image {
  int w, h;
  std::vector<uint8_t> rgb;  // top row first
  Image(int w_, int h_) : w(w_), h(h_), rgb(static_cast<size_t>(w_) * h_ * 3, 0) {}
  void Set(int x, int y, double r, double g, double b) {
    auto c = [](double v) { return static_cast<uint8_t>(std::lround(std::fmin(1.0, std::fmax(0.0, v)) * 255.0)); };
    uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
    p[0] = c(r), p[1] = c(g), p[2] = c(b);
  }
};

void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
void Put16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(static_cast<uint8_t>(x)), v.push_back(static_cast<uint8_t>(x >> 8));
}

bool WriteBmp(const std::string& path, const Image& img) {
  const uint32_t stride = (static_cast<uint32_t>(img.w) * 3 + 3) & ~3u;
  const uint32_t dataSize = stride * img.h;
  std::vector<uint8_t> f;
  f.push_back('B'), f.push_back('M');
  Put32(f, 54 + dataSize), Put32(f, 0), Put32(f, 54);
  Put32(f, 40), Put32(f, img.w), Put32(f, img.h), Put16(f, 1), Put16(f, 24);
  Put32(f, 0), Put32(f, dataSize), Put32(f, 2835), Put32(f, 2835), Put32(f, 0), Put32(f, 0);
  for (int y = img.h - 1; y >= 0; --y) {  // bottom row first
    const uint8_t* row = &img.rgb[static_cast<size_t>(y) * img.w * 3];
    for (int x = 0; x < img.w; ++x) f.push_back(row[3 * x + 2]), f.push_back(row[3 * x + 1]), f.push_back(row[3 * x]);
    for (uint32_t p = img.w * 3; p < stride; ++p) f.push_back(0);
  }
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  bool ok = std::fwrite(f.data(), 1, f.size(), out) == f.size();
  return std::fclose(out) == 0 && ok;
}

Image Dial(int s) {
  Image img(s, s);
  const double pi = 3.14159265358979323846;
  for (int k = 1; k <= 12; ++k) {
    const double a = pi / 2 - k * pi / 6;
    const double cx = s * (0.5 + 0.40 * std::cos(a)), cy = s * (0.5 - 0.40 * std::sin(a));
    const int half = s / 40;
    for (int y = static_cast<int>(cy) - half; y <= static_cast<int>(cy) + half; ++y)
      for (int x = static_cast<int>(cx) - half / 2; x <= static_cast<int>(cx) + half / 2; ++x) img.Set(x, y, 0.8, 0.8, 0.8);
  }
  return img;
}

Image Background(int s) {
  Image img(s, s);
  for (int y = 0; y < s; ++y)
    for (int x = 0; x < s; ++x) {
      const double t = static_cast<double>(x) / (s - 1), d = static_cast<double>(s - 1 - y) / s;
      const double glow = std::exp(-d * 12.0);
      img.Set(x, y, 0.05 + glow * t, 0.02, 0.08 + glow * (1 - t) + glow * 0.3 * (1 - std::fabs(2 * t - 1)));
    }
  return img;
}

Image About(int w, int h) {
  Image img(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double dx = x - w / 2.0, dy = y - h / 2.0, r = std::sqrt(dx * dx + dy * dy), a = std::atan2(dy, dx);
      const double v = 0.5 + 0.5 * std::sin(a * 3 + r * 0.25);
      img.Set(x, y, 0.05 + 0.8 * v, 0.02, 0.05 + 0.8 * (1 - v));
    }
  return img;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_pictures OUTPUT_DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  bool ok = WriteBmp(dir + "/dial.bmp", Dial(2048)) && WriteBmp(dir + "/background.bmp", Background(2048)) &&
            WriteBmp(dir + "/about.bmp", About(110, 83));
  if (!ok) std::fprintf(stderr, "make_pictures: cannot write to %s\n", dir.c_str());
  return ok ? 0 : 1;
}
