// BMP decoding and loading bitmap resources: pixel order, row order and
// padding, and orderly refusal of anything malformed or short.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/bitmap.h"
#include "platform/resources.h"

namespace {

struct Rgb {
  std::uint8_t r, g, b;
};

void Put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
}
void Put16(std::vector<std::uint8_t>& v, std::uint16_t x) {
  v.push_back(static_cast<std::uint8_t>(x));
  v.push_back(static_cast<std::uint8_t>(x >> 8));
}
void Set32(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + i] = static_cast<std::uint8_t>(x >> (8 * i));
}

// A BMP of `picture` (rows top first as seen), written bottom-up unless
// `topDown`. 32-bit files with `bitfields` carry the plain masks after the
// 40-byte header. Padding bytes are 0xEE so that reading them shows.
std::vector<std::uint8_t> MakeBmp(int w, int h, const std::vector<Rgb>& picture, int bits = 24,
                                  bool topDown = false, bool bitfields = false) {
  const std::uint32_t bpp = bits / 8;
  const std::uint32_t stride = (w * bpp + 3) & ~3u;
  const std::uint32_t offset = 54 + (bitfields ? 12 : 0);
  std::vector<std::uint8_t> f = {'B', 'M'};
  Put32(f, offset + stride * h), Put32(f, 0), Put32(f, offset);
  Put32(f, 40), Put32(f, w), Put32(f, topDown ? -h : h), Put16(f, 1), Put16(f, static_cast<std::uint16_t>(bits));
  Put32(f, bitfields ? 3 : 0), Put32(f, stride * h), Put32(f, 2835), Put32(f, 2835), Put32(f, 0), Put32(f, 0);
  if (bitfields) Put32(f, 0x00FF0000), Put32(f, 0x0000FF00), Put32(f, 0x000000FF);
  for (int i = 0; i < h; ++i) {
    const int y = topDown ? i : h - 1 - i;
    for (int x = 0; x < w; ++x) {
      const Rgb& p = picture[y * w + x];
      f.push_back(p.b), f.push_back(p.g), f.push_back(p.r);
      if (bpp == 4) f.push_back(0x7F);
    }
    for (std::uint32_t k = w * bpp; k < stride; ++k) f.push_back(0xEE);
  }
  return f;
}

// 3 x 2: a row of 9 bytes needs 3 bytes of padding.
const std::vector<Rgb> kPicture = {
    {10, 20, 30}, {40, 50, 60}, {70, 80, 90},       // top row
    {255, 0, 0}, {128, 128, 128}, {1, 2, 3},        // bottom row
};

// The expected output: bottom row first, blue, green, red, 0.
std::vector<std::uint8_t> Expected() {
  std::vector<std::uint8_t> e;
  for (int y : {1, 0})
    for (int x = 0; x < 3; ++x) {
      const Rgb& p = kPicture[y * 3 + x];
      e.insert(e.end(), {p.b, p.g, p.r, 0});
    }
  return e;
}

bool Decode(const std::vector<std::uint8_t>& f, platform::BitmapPixels* out) {
  return platform::DecodeBmp(f.data(), f.size(), out);
}

TEST(DecodeBmp, ReadsEveryLayoutIntoBottomUpBgrx) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> file;
  } cases[] = {
      {"24-bit bottom-up", MakeBmp(3, 2, kPicture)},
      {"24-bit top-down", MakeBmp(3, 2, kPicture, 24, true)},
      {"32-bit", MakeBmp(3, 2, kPicture, 32)},
      {"32-bit top-down with plain masks", MakeBmp(3, 2, kPicture, 32, true, true)},
  };
  for (const Case& c : cases) {
    platform::BitmapPixels out;
    ASSERT_TRUE(Decode(c.file, &out)) << c.what;
    EXPECT_EQ(out.width, 3) << c.what;
    EXPECT_EQ(out.height, 2) << c.what;
    EXPECT_EQ(out.bgrx, Expected()) << c.what;
  }
}

TEST(DecodeBmp, AcceptsMissingPaddingAfterLastRowAndLongerHeaders) {
  std::vector<std::uint8_t> f = MakeBmp(3, 2, kPicture);
  f.resize(f.size() - 3);
  platform::BitmapPixels out;
  ASSERT_TRUE(Decode(f, &out));
  EXPECT_EQ(out.bgrx, Expected());

  // A 124-byte header: the pixels start after it.
  std::vector<std::uint8_t> v5 = MakeBmp(3, 2, kPicture);
  v5.insert(v5.begin() + 54, 124 - 40, 0);
  Set32(v5, 10, 14 + 124);
  Set32(v5, 14, 124);
  ASSERT_TRUE(Decode(v5, &out));
  EXPECT_EQ(out.bgrx, Expected());
}

TEST(DecodeBmp, EveryTruncationFailsAndLeavesOutputEmpty) {
  const std::vector<std::uint8_t> f = MakeBmp(3, 2, kPicture);
  for (std::size_t n = 0; n + 3 < f.size(); ++n) {
    // An exact-size copy, so a read past the end is caught by the sanitizers.
    std::vector<std::uint8_t> prefix(f.begin(), f.begin() + static_cast<std::ptrdiff_t>(n));
    platform::BitmapPixels out;
    out.width = 7;
    out.bgrx.assign(5, 1);
    EXPECT_FALSE(platform::DecodeBmp(prefix.empty() ? nullptr : prefix.data(), n, &out)) << n;
    EXPECT_EQ(out.width, 0);
    EXPECT_EQ(out.height, 0);
    EXPECT_TRUE(out.bgrx.empty());
  }
}

TEST(DecodeBmp, RefusesMalformedHeaders) {
  struct Case {
    const char* what;
    std::size_t at;
    std::uint32_t value;
    int bytes;
  } cases[] = {
      {"magic", 0, 'X', 1},
      {"pixel offset inside the headers", 10, 20, 4},
      {"pixel offset past the end", 10, 1000, 4},
      {"header too short", 14, 12, 4},
      {"header longer than the file", 14, 4000, 4},
      {"zero width", 18, 0, 4},
      {"negative width", 18, 0xFFFFFFFDu, 4},
      {"zero height", 22, 0, 4},
      {"most negative height", 22, 0x80000000u, 4},
      {"huge width for the data", 18, 0x7FFFFFFFu, 4},
      {"huge height for the data", 22, 0x7FFFFFFFu, 4},
      {"two planes", 26, 2, 2},
      {"8 bits a pixel", 28, 8, 2},
      {"16 bits a pixel", 28, 16, 2},
      {"RLE compression", 30, 1, 4},
      {"bitfields on 24 bits", 30, 3, 4},
      {"PNG inside", 30, 5, 4},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> f = MakeBmp(3, 2, kPicture);
    for (int i = 0; i < c.bytes; ++i) f[c.at + i] = static_cast<std::uint8_t>(c.value >> (8 * i));
    platform::BitmapPixels out;
    EXPECT_FALSE(Decode(f, &out)) << c.what;
    EXPECT_TRUE(out.bgrx.empty()) << c.what;
  }

  std::vector<std::uint8_t> masks = MakeBmp(3, 2, kPicture, 32, false, true);
  Set32(masks, 54, 0xFF000000u);  // red mask in the top byte
  platform::BitmapPixels out;
  EXPECT_FALSE(Decode(masks, &out));

  // Bitfields with a 42-byte header, and the file ending inside the masks.
  std::vector<std::uint8_t> shortMasks = MakeBmp(1, 1, {{1, 2, 3}}, 32, false, true);
  Set32(shortMasks, 14, 42);
  Set32(shortMasks, 10, 56);
  shortMasks.resize(58);
  EXPECT_FALSE(Decode(shortMasks, &out));
}

TEST(LoadBitmapPixels, DecodesTheResourceOfThatIdAndFailsForOthers) {
  const std::vector<std::uint8_t> good = MakeBmp(3, 2, kPicture);
  const std::vector<std::uint8_t> bad(good.begin(), good.begin() + 40);
  const platform::ResourceEntry table[] = {
      {"BITMAP", 7, nullptr, good.data(), good.size()},
      {"BITMAP", 8, nullptr, bad.data(), bad.size()},
      {"TEXTFILE", 9, nullptr, good.data(), good.size()},
  };
  platform::SetResourceTableOverride(table, 3);
  platform::BitmapPixels out;
  EXPECT_TRUE(platform::LoadBitmapPixels(7, &out));
  EXPECT_EQ(out.bgrx, Expected());
  EXPECT_FALSE(platform::LoadBitmapPixels(8, &out));
  EXPECT_TRUE(out.bgrx.empty());
  EXPECT_FALSE(platform::LoadBitmapPixels(9, &out));  // not a bitmap resource
  EXPECT_FALSE(platform::LoadBitmapPixels(10, &out));
  platform::SetResourceTableOverride(nullptr, 0);
}

TEST(LoadBitmapPixels, EmbeddedPicturesHaveTheirSizes) {
  struct {
    std::uint16_t id;
    int w, h;
  } pictures[] = {{208, 2048, 2048}, {209, 2048, 2048}, {101, 110, 83}};
  for (const auto& p : pictures) {
    platform::BitmapPixels out;
    ASSERT_TRUE(platform::LoadBitmapPixels(p.id, &out)) << p.id;
    EXPECT_EQ(out.width, p.w) << p.id;
    EXPECT_EQ(out.height, p.h) << p.id;
  }
}

}  // namespace
