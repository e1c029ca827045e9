// A player for sounds stored as "WAVE" resources (complete RIFF WAVE images).
//
// The samples are played from one static buffer, filled once at load: play
// from a byte position with or without looping, stop, resume from where the
// buffer stopped. All players of the process share one output device, opened
// by the first successful load and closed when the last player is destroyed.
// Windows plays through DirectSound; Linux through OpenAL Soft
// (SoundDevice_win32.cpp / SoundDevice_x11.cpp behind sound/SoundDevice.h).
// Nothing is shown to the user: loading answers false, playing answers the
// back end's result code (0 for success, DirectSound's HRESULT values).
//
// One thread: the class-wide state is not locked.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/host_window.h"

namespace sound {

struct Device;
struct Buffer;

// Result of a device or buffer operation: 0 for success, otherwise a
// negative code. The names and values are DirectSound's, so that Windows
// callers see the codes they know; the OpenAL back end answers the nearest.
using SoundResult = std::int32_t;
constexpr SoundResult kOk = 0;
constexpr SoundResult kFailed = static_cast<SoundResult>(0x80004005u);        // E_FAIL
constexpr SoundResult kOutOfMemory = static_cast<SoundResult>(0x8007000Eu);   // E_OUTOFMEMORY
constexpr SoundResult kInvalidParam = static_cast<SoundResult>(0x80070057u);  // DSERR_INVALIDPARAM
constexpr SoundResult kAllocated = static_cast<SoundResult>(0x8878000Au);     // DSERR_ALLOCATED
constexpr SoundResult kBadFormat = static_cast<SoundResult>(0x88780064u);     // DSERR_BADFORMAT
constexpr SoundResult kNoDriver = static_cast<SoundResult>(0x88780078u);      // DSERR_NODRIVER
constexpr SoundResult kBufferLost = static_cast<SoundResult>(0x88780096u);    // DSERR_BUFFERLOST

// The sample format of a "fmt " chunk: the fields of WAVEFORMATEX, then the
// extension bytes a chunk may carry (WAVEFORMATEXTENSIBLE's 22 at most).
// Copied out of the chunk; whatever the chunk does not hold is zero, and
// `extraSize` never counts more extension bytes than were copied.
struct WaveFormat {
  std::uint16_t formatTag = 0;
  std::uint16_t channels = 0;
  std::uint32_t samplesPerSec = 0;
  std::uint32_t avgBytesPerSec = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bitsPerSample = 0;
  std::uint16_t extraSize = 0;
  unsigned char extra[22] = {};
};

}  // namespace sound

class CDirectSound {
 public:
  CDirectSound();
  virtual ~CDirectSound();
  CDirectSound(const CDirectSound&) = delete;
  CDirectSound& operator=(const CDirectSound&) = delete;

  // Loads the "WAVE" resource `name` of the program. `window` points at the
  // handle of the window the sound belongs to (Windows; unused on X11; null
  // means the desktop). False when the resource is missing or cannot be
  // played.
  bool LoadFromResource(const char* name, platform::NativeHandle* window);

  // Loads a RIFF WAVE image of `size` bytes. The samples are not copied: the
  // image must outlive the player (resources live as long as the process).
  // Loading again drops what was loaded before.
  bool LoadFromMemory(const void* image, std::size_t size, platform::NativeHandle* window);

  // Device, buffer and samples are present.
  bool IsReady() const;

  // Plays from byte `position` (at most the sample length), looping or once.
  // 0 also when the player is not ready and nothing happens.
  sound::SoundResult Play(std::uint32_t position, bool loop);
  // Stops, keeping the play position. 0 when not ready.
  sound::SoundResult Stop();
  sound::SoundResult Pause();
  // Plays on, once, from where the buffer stopped.
  sound::SoundResult Resume();

  // The buffer's current play position in bytes (0 when not ready).
  std::uint32_t Position() const;

  // Finds the format and the samples inside a RIFF WAVE image of
  // `imageSize` bytes, never reading past it. On success `samples` points
  // into the image; on failure the outputs are empty.
  static bool ParseWave(const unsigned char* image, std::size_t imageSize, sound::WaveFormat* format,
                        const unsigned char** samples, std::uint32_t* sampleBytes);

  // The shared device (null when none is open) and the number of live
  // players.
  static const sound::Device* SharedDevice() { return sDevice; }
  static int Instances() { return sInstances; }

  // Opening the device retries after pauses; tests replace the pause (in
  // milliseconds) with a function of their own, nullptr restores the real one.
  using SleepFunction = void (*)(std::uint32_t milliseconds);
  static void SetSleepFunction(SleepFunction sleep);

 private:
  bool CreateBuffer(const sound::WaveFormat& format);
  bool FillBuffer();
  void ReleaseBuffer();

  static sound::Device* sDevice;
  static int sInstances;
  static SleepFunction sSleep;

  const unsigned char* waveData = nullptr;
  std::uint32_t waveSize = 0;
  sound::Buffer* buffer = nullptr;
};
