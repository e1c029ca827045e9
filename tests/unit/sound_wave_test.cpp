// Reading RIFF WAVE images: where the format and the samples are found, and
// that no claimed size makes the reader leave the image (run under
// AddressSanitizer, the images sit in allocations of exactly their size).
#include <gtest/gtest.h>

#include <memory>

#include "sound/DirectSound.h"
#include "unit/sound_wave_images.h"

using namespace sound_test;

namespace {

struct Parsed {
  bool ok = false;
  sound::WaveFormat format;
  long long dataOffset = -1;  // of the samples in the image, -1 when none
  std::uint32_t dataBytes = 0;
};

Parsed Parse(const Bytes& image, std::size_t size) {
  std::unique_ptr<unsigned char[]> exact(new unsigned char[size ? size : 1]);
  if (size) std::memcpy(exact.get(), image.data(), size);
  Parsed p;
  const unsigned char* samples = reinterpret_cast<const unsigned char*>(1);
  p.ok = CDirectSound::ParseWave(exact.get(), size, &p.format, &samples, &p.dataBytes);
  if (samples) p.dataOffset = samples - exact.get();
  return p;
}

Parsed Parse(const Bytes& image) { return Parse(image, image.size()); }

void ExpectEmpty(const Parsed& p) {
  EXPECT_FALSE(p.ok);
  EXPECT_EQ(p.dataOffset, -1);
  EXPECT_EQ(p.dataBytes, 0u);
  EXPECT_EQ(p.format.formatTag, 0u);
}

const Bytes kSamples = {1, 2, 3, 4, 5, 6, 7, 8};

}  // namespace

TEST(ParseWave, FindsFormatAndSamplesInEitherOrder) {
  WaveBuilder fmtFirst;
  fmtFirst.Chunk("fmt ", FormatBody(1, 2, 44100, 16));
  const std::size_t fmtFirstData = fmtFirst.NextBody();
  fmtFirst.Chunk("data", kSamples);

  WaveBuilder dataFirst;
  dataFirst.Chunk("LIST", Bytes(6, 'x'));
  const std::size_t dataFirstData = dataFirst.NextBody();
  dataFirst.Chunk("data", kSamples).Chunk("fact", Bytes(4, 0)).Chunk("fmt ", FormatBody(1, 2, 44100, 16));

  for (const auto& [image, offset] : {std::pair{fmtFirst.Image(), fmtFirstData}, std::pair{dataFirst.Image(), dataFirstData}}) {
    const Parsed p = Parse(image);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.dataOffset, static_cast<long long>(offset));
    EXPECT_EQ(p.dataBytes, kSamples.size());
    EXPECT_EQ(p.format.formatTag, 1u);
    EXPECT_EQ(p.format.channels, 2u);
    EXPECT_EQ(p.format.samplesPerSec, 44100u);
    EXPECT_EQ(p.format.avgBytesPerSec, 44100u * 4);
    EXPECT_EQ(p.format.blockAlign, 4u);
    EXPECT_EQ(p.format.bitsPerSample, 16u);
  }
}

TEST(ParseWave, FirstFormatChunkWins) {
  // A second "fmt " is skipped, even one too short to be read.
  const Parsed p = Parse(WaveBuilder()
                             .Chunk("fmt ", FormatBody(1, 1, 8000, 8))
                             .Chunk("fmt ", FormatBody(3, 2, 48000, 32))
                             .Chunk("fmt ", Bytes(4, 0))
                             .Chunk("data", kSamples)
                             .Image());
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.format.samplesPerSec, 8000u);
  EXPECT_EQ(p.format.bitsPerSample, 8u);
}

TEST(ParseWave, FormatShorterThan14BytesFails) {
  ExpectEmpty(Parse(WaveBuilder().Chunk("data", kSamples).Chunk("fmt ", FormatBody(1, 1, 8000, 8, 13)).Image()));
  ExpectEmpty(Parse(WaveBuilder().Chunk("fmt ", FormatBody(1, 1, 8000, 8, 13)).Chunk("data", kSamples).Image()));
}

TEST(ParseWave, ShortFormatIsZeroFilledNotOverread) {
  // 14 bytes, the last thing in the image: nothing after it may be read.
  const Parsed bare = Parse(WaveBuilder().Chunk("data", kSamples).Chunk("fmt ", FormatBody(1, 2, 22050, 16, 14)).Image());
  ASSERT_TRUE(bare.ok);
  EXPECT_EQ(bare.format.blockAlign, 4u);
  EXPECT_EQ(bare.format.bitsPerSample, 0u);
  EXPECT_EQ(bare.format.extraSize, 0u);

  // An extension size larger than the chunk holds counts only what is there.
  Bytes body = FormatBody(0xFFFE, 2, 22050, 16, 18);
  body[16] = 22;
  body.push_back(0xAB);
  body.push_back(0xCD);
  const Parsed cut = Parse(WaveBuilder().Chunk("data", kSamples).Chunk("fmt ", body).Image());
  ASSERT_TRUE(cut.ok);
  EXPECT_EQ(cut.format.extraSize, 2u);
  EXPECT_EQ(cut.format.extra[0], 0xAB);
  EXPECT_EQ(cut.format.extra[1], 0xCD);
  EXPECT_EQ(cut.format.extra[2], 0);

  // A full WAVEFORMATEXTENSIBLE keeps its 22 extension bytes.
  body = FormatBody(0xFFFE, 2, 22050, 16, 18);
  body[16] = 22;
  for (int i = 0; i < 22; ++i) body.push_back(static_cast<unsigned char>(100 + i));
  const Parsed full = Parse(WaveBuilder().Chunk("fmt ", body).Chunk("data", kSamples).Image());
  ASSERT_TRUE(full.ok);
  EXPECT_EQ(full.format.extraSize, 22u);
  EXPECT_EQ(full.format.extra[21], 121);
}

TEST(ParseWave, OddChunkLengthsArePadded) {
  WaveBuilder b;
  b.Chunk("LIST", Bytes(3, 'x')).Chunk("fmt ", FormatBody(1, 1, 8000, 8)).Chunk("junk", Bytes(1, 'y'));
  const std::size_t dataAt = b.NextBody();
  b.Chunk("data", Bytes(5, 0x80));
  const Parsed p = Parse(b.Image());
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.dataOffset, static_cast<long long>(dataAt));
  EXPECT_EQ(p.dataBytes, 5u);
}

TEST(ParseWave, RejectsWrongHeadersAndChunksPastTheRiffSize) {
  Bytes image = ToneImage(440, 8000, 0.01);
  Bytes notRiff = image;
  notRiff[0] = 'X';
  ExpectEmpty(Parse(notRiff));
  Bytes notWave = image;
  notWave[11] = 'X';
  ExpectEmpty(Parse(notWave));
  ExpectEmpty(Parse(image, 11));
  ExpectEmpty(Parse(Bytes{}, 0));
  // The walk ends at the RIFF size: a "data" chunk beyond it is not seen.
  ExpectEmpty(Parse(WaveBuilder().Chunk("fmt ", FormatBody(1, 1, 8000, 8)).Chunk("data", kSamples).RiffSize(4 + 24).Image()));
}

TEST(ParseWave, TruncatedImagesFail) {
  const Bytes image = WaveBuilder().Chunk("fmt ", FormatBody(1, 1, 8000, 16)).Chunk("data", Bytes(30, 7)).Image();
  ASSERT_TRUE(Parse(image).ok);
  for (std::size_t size = 0; size < image.size(); ++size) {
    SCOPED_TRACE(size);
    ExpectEmpty(Parse(image, size));
  }
}

TEST(ParseWave, AbsurdLengthsFailInsideTheImage) {
  const Bytes fmt = FormatBody(1, 1, 8000, 16);
  // A "data" chunk longer than what is left, whichever order.
  ExpectEmpty(Parse(WaveBuilder().Chunk("fmt ", fmt).Chunk("data", kSamples, 9).Image()));
  ExpectEmpty(Parse(WaveBuilder().Chunk("data", kSamples, 0xFFFFFFFF).Chunk("fmt ", fmt).Image()));
  // A "fmt " chunk claiming more than the image.
  ExpectEmpty(Parse(WaveBuilder().Chunk("data", kSamples).Chunk("fmt ", fmt, 0xFFFFFFF0).Image()));
  // A huge unknown chunk jumps past the end: no wrap back into the image.
  ExpectEmpty(Parse(WaveBuilder().Chunk("junk", Bytes(2, 0), 0xFFFFFFFF).Chunk("fmt ", fmt).Chunk("data", kSamples).Image()));
  // A RIFF size far beyond the image, with no chunk to find.
  ExpectEmpty(Parse(WaveBuilder().Chunk("fmt ", fmt).Chunk("junk", Bytes(2, 0)).RiffSize(0xFFFFFFFF).Image()));
  // ... but chunks that are complete are still found.
  EXPECT_TRUE(Parse(WaveBuilder().Chunk("fmt ", fmt).Chunk("data", kSamples).RiffSize(0xFFFFFFFF).Image()).ok);
}
