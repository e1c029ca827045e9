// CDirectSound: the WAVE image reader and the player's logic, shared by both
// audio back ends.
#include "sound/DirectSound.h"

#include <algorithm>
#include <cstring>

#include "platform/resources.h"
#include "sound/SoundDevice.h"

using sound::SoundResult;
namespace backend = sound::detail;

sound::Device* CDirectSound::sDevice = nullptr;
int CDirectSound::sInstances = 0;
CDirectSound::SleepFunction CDirectSound::sSleep = nullptr;

namespace {

constexpr int kDeviceAttempts = 10;
constexpr std::uint32_t kDeviceRetryPauseMs = 500;

std::uint16_t ReadU16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t ReadU32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Copies a "fmt " chunk of at least 14 bytes into a zero-filled format, so a
// short chunk is never read past its end.
sound::WaveFormat CopyFormat(const unsigned char* chunk, std::uint32_t length) {
  unsigned char raw[18 + sizeof(sound::WaveFormat::extra)] = {};
  const std::size_t copied = std::min<std::size_t>(length, sizeof raw);
  std::memcpy(raw, chunk, copied);
  sound::WaveFormat f;
  f.formatTag = ReadU16(raw);
  f.channels = ReadU16(raw + 2);
  f.samplesPerSec = ReadU32(raw + 4);
  f.avgBytesPerSec = ReadU32(raw + 8);
  f.blockAlign = ReadU16(raw + 12);
  f.bitsPerSample = ReadU16(raw + 14);
  f.extraSize = ReadU16(raw + 16);
  const std::size_t extraCopied = copied > 18 ? copied - 18 : 0;
  if (f.extraSize > extraCopied) f.extraSize = static_cast<std::uint16_t>(extraCopied);
  std::memcpy(f.extra, raw + 18, sizeof f.extra);
  return f;
}

}  // namespace

CDirectSound::CDirectSound() {
  // The shared device is left alone: players still alive may be using it.
  ++sInstances;
}

CDirectSound::~CDirectSound() {
  ReleaseBuffer();
  --sInstances;
  if (sInstances == 0 && sDevice) {
    backend::ReleaseDevice(sDevice);
    sDevice = nullptr;
  }
}

void CDirectSound::SetSleepFunction(SleepFunction sleep) { sSleep = sleep; }

void CDirectSound::ReleaseBuffer() {
  if (buffer) backend::ReleaseBuffer(buffer);
  buffer = nullptr;
  waveData = nullptr;
  waveSize = 0;
}

bool CDirectSound::LoadFromResource(const char* name, platform::NativeHandle* window) {
  ReleaseBuffer();
  platform::ResourceData data;
  if (!platform::FindNamedResourceData("WAVE", name, &data) || !data.bytes) return false;
  return LoadFromMemory(data.bytes, data.size, window);
}

bool CDirectSound::LoadFromMemory(const void* image, std::size_t size, platform::NativeHandle* window) {
  ReleaseBuffer();
  if (!sDevice) {
    SoundResult result = sound::kFailed;
    for (int attempt = 1; attempt <= kDeviceAttempts; ++attempt) {
      if (attempt > 1) (sSleep ? sSleep : backend::SleepMilliseconds)(kDeviceRetryPauseMs);
      result = backend::CreateDevice(&sDevice);
      if (result != sound::kAllocated && result != sound::kNoDriver) break;
    }
    if (result != sound::kOk || !sDevice) {
      sDevice = nullptr;
      return false;
    }
    backend::SetCooperativeLevel(sDevice, window ? *window : 0);
  }

  sound::WaveFormat format;
  const unsigned char* samples = nullptr;
  std::uint32_t sampleBytes = 0;
  if (!ParseWave(static_cast<const unsigned char*>(image), size, &format, &samples, &sampleBytes)) return false;
  waveData = samples;
  waveSize = sampleBytes;
  if (!CreateBuffer(format) || !FillBuffer()) {
    ReleaseBuffer();
    return false;
  }
  return true;
}

bool CDirectSound::ParseWave(const unsigned char* image, std::size_t imageSize, sound::WaveFormat* format,
                             const unsigned char** samples, std::uint32_t* sampleBytes) {
  *format = sound::WaveFormat{};
  *samples = nullptr;
  *sampleBytes = 0;
  if (!image || imageSize < 12) return false;
  if (std::memcmp(image, "RIFF", 4) != 0 || std::memcmp(image + 8, "WAVE", 4) != 0) return false;

  // 64-bit offsets: no chunk length can wrap them.
  const std::uint64_t riffEnd = static_cast<std::uint64_t>(ReadU32(image + 4)) + 8;
  bool haveFormat = false;
  sound::WaveFormat found;
  const unsigned char* data = nullptr;
  std::uint32_t dataBytes = 0;
  auto answer = [&] {
    *format = found;
    *samples = data;
    *sampleBytes = dataBytes;
    return true;
  };
  std::uint64_t chunk = 12;
  while (chunk < riffEnd) {
    if (chunk + 8 > imageSize) return false;  // truncated header
    const unsigned char* header = image + chunk;
    const std::uint32_t length = ReadU32(header + 4);
    const std::uint64_t body = chunk + 8;
    const bool fits = length <= imageSize - body;
    if (std::memcmp(header, "fmt ", 4) == 0) {
      if (!haveFormat) {
        if (length < 14 || !fits) return false;
        found = CopyFormat(image + body, length);
        haveFormat = true;
        if (data && dataBytes != 0) return answer();
      }
    } else if (std::memcmp(header, "data", 4) == 0) {
      if (!fits) return false;
      data = image + body;
      dataBytes = length;
      if (haveFormat) return answer();
    }
    chunk = body + length + (length & 1u);
  }
  return false;
}

bool CDirectSound::CreateBuffer(const sound::WaveFormat& format) {
  if (backend::CreateBuffer(sDevice, format, waveSize, &buffer) != sound::kOk) {
    buffer = nullptr;
    return false;
  }
  return true;
}

bool CDirectSound::FillBuffer() {
  void* region = nullptr;
  std::uint32_t bytes = 0;
  SoundResult result = backend::LockBuffer(buffer, &region, &bytes);
  if (result == sound::kBufferLost) {
    backend::RestoreBuffer(buffer);
    result = backend::LockBuffer(buffer, &region, &bytes);
  }
  if (result != sound::kOk) return false;
  // Never more than the samples hold, whatever size the lock hands out.
  const std::uint32_t copied = std::min(bytes, waveSize);
  std::memcpy(region, waveData, copied);
  std::memset(static_cast<unsigned char*>(region) + copied, 0, bytes - copied);
  return backend::UnlockBuffer(buffer, region, bytes) == sound::kOk;
}

bool CDirectSound::IsReady() const { return sDevice && buffer && waveData && waveSize != 0; }

SoundResult CDirectSound::Play(std::uint32_t position, bool loop) {
  if (!IsReady()) return sound::kOk;
  backend::SetPosition(buffer, std::min(position, waveSize));
  const SoundResult result = backend::PlayBuffer(buffer, loop);
  if (result != sound::kBufferLost) return result;
  FillBuffer();
  return backend::PlayBuffer(buffer, loop);
}

SoundResult CDirectSound::Stop() {
  if (!IsReady()) return sound::kOk;
  return backend::StopBuffer(buffer);
}

SoundResult CDirectSound::Pause() { return Stop(); }

SoundResult CDirectSound::Resume() {
  if (!IsReady()) return sound::kOk;
  std::uint32_t position = 0;
  backend::GetPosition(buffer, &position);
  return Play(position, false);
}

std::uint32_t CDirectSound::Position() const {
  std::uint32_t position = 0;
  if (IsReady()) backend::GetPosition(buffer, &position);
  return position;
}
