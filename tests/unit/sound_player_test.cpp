// The WAVE player over OpenAL Soft with no sound card: the "null" output in
// this process, and, in child processes of their own (OpenAL reads its
// configuration once a process), the "wave" output that writes what is mixed
// to a file, and a driver list with nothing usable in it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/resources.h"
#include "sound/DirectSound.h"
#include "unit/sound_wave_images.h"

using namespace sound_test;

namespace {

constexpr std::uint32_t kRate = 22050;

// Removes a folder made by MakeTempDir and the files the tests put in it.
void RemoveTempDir(const std::string& dir) {
  std::remove((dir + "/alsoft.conf").c_str());
  std::remove((dir + "/out.wav").c_str());
  rmdir(dir.c_str());
}

std::string MakeTempDir() {
  char path[] = "/tmp/lumitick_sound_XXXXXX";
  return mkdtemp(path) ? std::string(path) : std::string("/tmp");
}

// Points OpenAL Soft at a configuration of our own; effective only before
// the process's first device is opened.
void UseOpenAlConfig(const std::string& dir, const std::string& text) {
  const std::string file = dir + "/alsoft.conf";
  std::ofstream(file) << text;
  setenv("ALSOFT_CONF", file.c_str(), 1);
}

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::vector<std::uint32_t> gSleeps;
void RecordSleep(std::uint32_t ms) { gSleeps.push_back(ms); }

class SoundPlayer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sConfigDir = MakeTempDir();
    UseOpenAlConfig(sConfigDir, "[general]\ndrivers = null\n");
  }
  static void TearDownTestSuite() { RemoveTempDir(sConfigDir); }
  void SetUp() override {
    gSleeps.clear();
    CDirectSound::SetSleepFunction(RecordSleep);
  }
  void TearDown() override {
    CDirectSound::SetSleepFunction(nullptr);
    platform::SetResourceTableOverride(nullptr, 0);
  }
  static std::string sConfigDir;
};
std::string SoundPlayer::sConfigDir;

}  // namespace

TEST_F(SoundPlayer, LoadsNamedWaveResources) {
  static const Bytes tone = ToneImage(440, kRate, 0.1);
  const platform::ResourceEntry table[] = {{"WAVE", 0, "chime", tone.data(), tone.size()},
                                           {"TEXTFILE", 7, nullptr, tone.data(), tone.size()}};
  platform::SetResourceTableOverride(table, 2);
  CDirectSound player;
  platform::NativeHandle window = 0;
  EXPECT_FALSE(player.LoadFromResource("bell", &window));
  EXPECT_FALSE(player.LoadFromResource(nullptr, &window));
  EXPECT_TRUE(player.LoadFromResource("chime", &window));
  EXPECT_TRUE(player.IsReady());
  // A failed reload leaves nothing half loaded.
  EXPECT_FALSE(player.LoadFromResource("bell", &window));
  EXPECT_FALSE(player.IsReady());
  EXPECT_TRUE(player.LoadFromResource("chime", nullptr));
  EXPECT_TRUE(player.IsReady());
}

TEST_F(SoundPlayer, UnplayableImagesLeaveThePlayerInert) {
  const Bytes threeChannels =
      WaveBuilder().Chunk("fmt ", FormatBody(1, 3, kRate, 16)).Chunk("data", Bytes(600, 1)).Image();
  const Bytes badBlockAlign = [] {
    Bytes fmt = FormatBody(1, 2, kRate, 16);
    fmt[12] = 0;  // blockAlign 0
    return WaveBuilder().Chunk("fmt ", fmt).Chunk("data", Bytes(600, 1)).Image();
  }();
  const Bytes lessThanAFrame =
      WaveBuilder().Chunk("fmt ", FormatBody(1, 2, kRate, 16)).Chunk("data", Bytes(3, 1)).Image();
  const Bytes noSamples = WaveBuilder().Chunk("fmt ", FormatBody(1, 1, kRate, 16)).Chunk("data", Bytes{}).Image();
  const Bytes garbage(64, 0x5A);
  CDirectSound player;
  for (const Bytes* image : {&threeChannels, &badBlockAlign, &lessThanAFrame, &noSamples, &garbage}) {
    EXPECT_FALSE(player.LoadFromMemory(image->data(), image->size(), nullptr));
    EXPECT_FALSE(player.IsReady());
    EXPECT_EQ(player.Play(0, true), 0);
    EXPECT_EQ(player.Stop(), 0);
    EXPECT_EQ(player.Resume(), 0);
    EXPECT_EQ(player.Position(), 0u);
  }
  EXPECT_FALSE(player.LoadFromMemory(nullptr, 0, nullptr));
}

TEST_F(SoundPlayer, PlayersShareOneDeviceUntilTheLastIsGone) {
  const Bytes tone = ToneImage(440, kRate, 1.0);
  ASSERT_EQ(CDirectSound::SharedDevice(), nullptr);
  auto* first = new CDirectSound;
  ASSERT_TRUE(first->LoadFromMemory(tone.data(), tone.size(), nullptr));
  const sound::Device* device = CDirectSound::SharedDevice();
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(first->Play(0, true), 0);

  // A player made while another plays keeps the device, and reuses it.
  auto* second = new CDirectSound;
  EXPECT_EQ(CDirectSound::SharedDevice(), device);
  EXPECT_EQ(CDirectSound::Instances(), 2);
  ASSERT_TRUE(second->LoadFromMemory(tone.data(), tone.size(), nullptr));
  EXPECT_EQ(CDirectSound::SharedDevice(), device);
  EXPECT_TRUE(gSleeps.empty());

  // The first player's sound goes on through the shared device.
  EXPECT_EQ(first->Stop(), 0);
  const std::uint32_t stoppedAt = first->Position();
  EXPECT_EQ(first->Resume(), 0);
  // The mixer runs on its own thread: on a loaded machine it may take a
  // while to move on, so wait for it (up to 5 s) rather than for a fixed time.
  for (int i = 0; i < 250 && first->Position() <= stoppedAt; ++i) SleepMs(20);
  EXPECT_EQ(first->Stop(), 0);
  EXPECT_GT(first->Position(), stoppedAt);

  delete first;
  EXPECT_EQ(CDirectSound::SharedDevice(), device);
  EXPECT_EQ(second->Play(0, false), 0);
  delete second;
  EXPECT_EQ(CDirectSound::SharedDevice(), nullptr);
  EXPECT_EQ(CDirectSound::Instances(), 0);

  // A new player opens a new device.
  CDirectSound third;
  ASSERT_TRUE(third.LoadFromMemory(tone.data(), tone.size(), nullptr));
  EXPECT_NE(CDirectSound::SharedDevice(), nullptr);
}

TEST_F(SoundPlayer, PlaysFromPositionsStopsAndResumes) {
  const double seconds = 2.0;
  const Bytes tone = ToneImage(440, kRate, seconds);
  const std::uint32_t bytes = static_cast<std::uint32_t>(seconds * kRate) * 2;
  const std::uint32_t halfSecond = kRate;  // bytes of 0.5 s, 16-bit mono
  CDirectSound player;
  ASSERT_TRUE(player.LoadFromMemory(tone.data(), tone.size(), nullptr));
  EXPECT_EQ(player.Position(), 0u);

  // From a position: a stop right away keeps about that position.
  EXPECT_EQ(player.Play(bytes / 2, false), 0);
  EXPECT_EQ(player.Stop(), 0);
  std::uint32_t at = player.Position();
  EXPECT_GE(at, bytes / 2);
  EXPECT_LT(at, bytes / 2 + halfSecond);
  EXPECT_EQ(at % 2, 0u);

  // Resume goes on from there, not from the start.
  EXPECT_EQ(player.Resume(), 0);
  for (int i = 0; i < 250 && player.Position() <= at; ++i) SleepMs(20);  // the mixer may lag on a loaded machine
  EXPECT_EQ(player.Pause(), 0);
  const std::uint32_t later = player.Position();
  EXPECT_GT(later, at);

  // A start beyond the samples is the end: nothing is left to play once...
  EXPECT_EQ(player.Play(bytes * 10, false), 0);
  EXPECT_EQ(player.Position(), bytes);
  EXPECT_EQ(player.Resume(), 0);
  EXPECT_EQ(player.Position(), bytes);
  // ...and a loop starts over.
  EXPECT_EQ(player.Play(0xFFFFFFFFu, true), 0);
  EXPECT_EQ(player.Stop(), 0);
  EXPECT_LT(player.Position(), halfSecond);

  // An odd position is taken to the sample frame it falls in.
  EXPECT_EQ(player.Play(1001, false), 0);
  EXPECT_EQ(player.Stop(), 0);
  at = player.Position();
  EXPECT_GE(at, 1000u);
  EXPECT_EQ(at % 2, 0u);
}

// --- Child processes --------------------------------------------------------

namespace {

struct WaveFile {
  unsigned channels = 0, bits = 0;
  std::uint32_t rate = 0;
  std::vector<std::int16_t> left;  // first channel
};

std::uint32_t LittleEndian(const std::vector<unsigned char>& b, std::size_t at, int n) {
  std::uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | b[at + i];
  return v;
}

// A plain reader of the 16-bit files OpenAL's "wave" output writes.
bool ReadWaveFile(const std::string& path, WaveFile* out, std::string* why) {
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0) return *why = "no RIFF file", false;
  std::size_t at = 12;
  bool haveFormat = false;
  while (at + 8 <= b.size()) {
    const std::uint32_t length = LittleEndian(b, at + 4, 4);
    const std::size_t body = at + 8;
    if (std::memcmp(&b[at], "fmt ", 4) == 0 && length >= 16 && body + 16 <= b.size()) {
      out->channels = LittleEndian(b, body + 2, 2);
      out->rate = LittleEndian(b, body + 4, 4);
      out->bits = LittleEndian(b, body + 14, 2);
      haveFormat = true;
    } else if (std::memcmp(&b[at], "data", 4) == 0) {
      if (!haveFormat || out->bits != 16 || out->channels == 0) return *why = "not 16-bit samples", false;
      const std::size_t end = std::min<std::size_t>(b.size(), body + length);
      for (std::size_t i = body; i + 2 * out->channels <= end; i += 2 * out->channels)
        out->left.push_back(static_cast<std::int16_t>(LittleEndian(b, i, 2)));
      return true;
    }
    at = body + length + (length & 1);
  }
  return *why = "no data chunk", false;
}

// Plays a 0.4 s tone through the wave output: once from beyond its end
// (silence), then from the start with a stop and a resume in the middle.
// Exits 0 when the file holds 0.4 s of that tone in two runs.
void PlayToneToWaveFile() {
  const std::string dir = MakeTempDir();
  const std::string out = dir + "/out.wav";
  UseOpenAlConfig(dir, "[general]\ndrivers = wave\nfrequency = 22050\nchannels = mono\nsample-type = int16\n"
                       "period_size = 256\ndither = false\noutput-limiter = false\n[wave]\nfile = " + out + "\n");
  const double hz = 441.0, seconds = 0.4;
  const Bytes tone = ToneImage(hz, kRate, seconds, 0.5);
  {
    CDirectSound player;
    if (!player.LoadFromMemory(tone.data(), tone.size(), nullptr)) {
      std::fprintf(stderr, "load failed\n");
      std::exit(1);
    }
    player.Play(1u << 30, false);
    SleepMs(300);
    player.Play(0, false);
    SleepMs(200);
    player.Stop();
    SleepMs(300);
    player.Resume();
    SleepMs(500);
  }
  WaveFile wav;
  std::string why;
  const bool read = ReadWaveFile(out, &wav, &why);
  RemoveTempDir(dir);
  if (!read) {
    std::fprintf(stderr, "%s\n", why.c_str());
    std::exit(1);
  }
  // 10 ms blocks; a block sounds when its peak is well above silence. The
  // pitch is taken between the first and last zero crossing of each run.
  const std::size_t block = wav.rate / 100;
  std::size_t soundingBlocks = 0, runs = 0;
  double halfPeriods = 0, spanSamples = 0;
  long long firstCrossing = -1, lastCrossing = -1, runCrossings = 0;
  int peak = 0;
  bool inRun = false;
  auto endRun = [&] {
    if (runCrossings > 1) {
      halfPeriods += double(runCrossings - 1);
      spanSamples += double(lastCrossing - firstCrossing);
    }
    firstCrossing = lastCrossing = -1;
    runCrossings = 0;
  };
  for (std::size_t start = 0; block && start + block <= wav.left.size(); start += block) {
    int blockPeak = 0;
    for (std::size_t i = start; i < start + block; ++i) blockPeak = std::max(blockPeak, std::abs(int{wav.left[i]}));
    const bool sounding = blockPeak > 2000;
    if (sounding) {
      ++soundingBlocks;
      if (!inRun) ++runs;
      for (std::size_t i = std::max<std::size_t>(start, 1); i < start + block; ++i) {
        if ((wav.left[i - 1] < 0) == (wav.left[i] < 0)) continue;
        if (firstCrossing < 0) firstCrossing = static_cast<long long>(i);
        lastCrossing = static_cast<long long>(i);
        ++runCrossings;
      }
    } else if (inRun) {
      endRun();
    }
    inRun = sounding;
    peak = std::max(peak, blockPeak);
  }
  endRun();
  const double soundingSeconds = soundingBlocks / 100.0;
  const double measuredHz = spanSamples > 0 ? halfPeriods / 2.0 / (spanSamples / wav.rate) : 0.0;
  std::fprintf(stderr, "rate %u, %zu samples, sounding %.2f s in %zu runs, %.1f Hz, peak %d\n", wav.rate,
               wav.left.size(), soundingSeconds, runs, measuredHz, peak);
  const bool ok = std::abs(soundingSeconds - seconds) <= 0.05 && runs == 2 && std::abs(measuredHz - hz) < hz * 0.02 &&
                  peak > 8000;
  std::exit(ok ? 0 : 1);
}

// With no usable driver the load fails after ten attempts, nine pauses of
// 500 ms apart (recorded, not slept).
void LoadWithoutDevice() {
  const std::string dir = MakeTempDir();
  UseOpenAlConfig(dir, "[general]\ndrivers = nosuchdriver\n");
  gSleeps.clear();
  CDirectSound::SetSleepFunction(RecordSleep);
  const Bytes tone = ToneImage(440, kRate, 0.1);
  CDirectSound player;
  const bool loaded = player.LoadFromMemory(tone.data(), tone.size(), nullptr);
  const std::size_t sleeps = gSleeps.size();
  bool all500 = true;
  for (std::uint32_t ms : gSleeps) all500 = all500 && ms == 500;
  std::fprintf(stderr, "loaded %d, %zu pauses\n", loaded, sleeps);
  RemoveTempDir(dir);
  std::exit(!loaded && !player.IsReady() && sleeps == 9 && all500 && !CDirectSound::SharedDevice() &&
                    player.Play(0, false) == 0
                ? 0
                : 1);
}

}  // namespace

TEST(SoundOutput, ToneReachesTheWaveFileOutput) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(PlayToneToWaveFile(), ::testing::ExitedWithCode(0), "sounding 0\\.[34][0-9] s in 2 runs");
}

TEST(SoundOutput, NoUsableDriverFailsAfterBoundedRetries) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(LoadWithoutDevice(), ::testing::ExitedWithCode(0), "loaded 0, 9 pauses");
}
