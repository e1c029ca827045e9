// Windows audio output for CDirectSound: DirectSound's default device and one
// static secondary buffer per player. The results are DirectSound's own.
//
// Supports whatever format DirectSound accepts for a static buffer (PCM,
// IEEE float, WAVEFORMATEXTENSIBLE); no 3D, no effects, no notifications.
#include "sound/SoundDevice.h"

#include <windows.h>
#include <mmreg.h>
#include <dsound.h>

#include <cstring>
#include <new>

namespace sound {

struct Device {
  IDirectSound* ds;
};

struct Buffer {
  IDirectSoundBuffer* dsb;
  DWORD bytes;  // the buffer's size
  // The position was set to the very end, which DirectSound cannot hold: a
  // play once from there plays nothing, a looping one starts over.
  bool atEnd;
};

namespace detail {

SoundResult CreateDevice(Device** out) {
  *out = nullptr;
  IDirectSound* ds = nullptr;
  const HRESULT hr = DirectSoundCreate(nullptr, &ds, nullptr);
  if (FAILED(hr)) return static_cast<SoundResult>(hr);
  *out = new (std::nothrow) Device{ds};
  if (!*out) {
    ds->Release();
    return kOutOfMemory;
  }
  return kOk;
}

void SetCooperativeLevel(Device* device, platform::NativeHandle window) {
  HWND hwnd = window ? reinterpret_cast<HWND>(window) : GetDesktopWindow();
  device->ds->SetCooperativeLevel(hwnd, DSSCL_NORMAL);
}

void ReleaseDevice(Device* device) {
  if (!device) return;
  device->ds->Release();
  delete device;
}

SoundResult CreateBuffer(Device* device, const WaveFormat& format, std::uint32_t bytes, Buffer** out) {
  *out = nullptr;
  // The format as DirectSound reads it: WAVEFORMATEX and, right behind it,
  // the `extraSize` extension bytes (room for WAVEFORMATEXTENSIBLE's).
  WAVEFORMATEXTENSIBLE wfx;
  std::memset(&wfx, 0, sizeof wfx);
  wfx.Format.wFormatTag = format.formatTag;
  wfx.Format.nChannels = format.channels;
  wfx.Format.nSamplesPerSec = format.samplesPerSec;
  wfx.Format.nAvgBytesPerSec = format.avgBytesPerSec;
  wfx.Format.nBlockAlign = format.blockAlign;
  wfx.Format.wBitsPerSample = format.bitsPerSample;
  wfx.Format.cbSize = format.extraSize;
  static_assert(sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX) >= sizeof format.extra,
                "the extension bytes fit behind the format");
  std::memcpy(reinterpret_cast<unsigned char*>(&wfx) + sizeof(WAVEFORMATEX), format.extra, sizeof format.extra);

  DSBUFFERDESC desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  desc.dwFlags = DSBCAPS_STATIC;
  desc.dwBufferBytes = bytes;
  desc.lpwfxFormat = &wfx.Format;
  IDirectSoundBuffer* dsb = nullptr;
  const HRESULT hr = device->ds->CreateSoundBuffer(&desc, &dsb, nullptr);
  if (FAILED(hr)) return static_cast<SoundResult>(hr);
  *out = new (std::nothrow) Buffer{dsb, bytes, false};
  if (!*out) {
    dsb->Release();
    return kOutOfMemory;
  }
  return kOk;
}

void ReleaseBuffer(Buffer* buffer) {
  if (!buffer) return;
  buffer->dsb->Release();
  delete buffer;
}

SoundResult LockBuffer(Buffer* buffer, void** region, std::uint32_t* bytes) {
  DWORD length = 0;
  void* second = nullptr;
  DWORD secondLength = 0;
  const HRESULT hr = buffer->dsb->Lock(0, 0, region, &length, &second, &secondLength, DSBLOCK_ENTIREBUFFER);
  *bytes = FAILED(hr) ? 0 : length;
  return static_cast<SoundResult>(hr);
}

SoundResult UnlockBuffer(Buffer* buffer, void* region, std::uint32_t bytes) {
  return static_cast<SoundResult>(buffer->dsb->Unlock(region, bytes, nullptr, 0));
}

SoundResult RestoreBuffer(Buffer* buffer) { return static_cast<SoundResult>(buffer->dsb->Restore()); }

SoundResult SetPosition(Buffer* buffer, std::uint32_t position) {
  buffer->atEnd = position >= buffer->bytes;
  return static_cast<SoundResult>(buffer->dsb->SetCurrentPosition(buffer->atEnd ? 0 : position));
}

SoundResult GetPosition(Buffer* buffer, std::uint32_t* position) {
  DWORD play = 0;
  DWORD write = 0;
  const HRESULT hr = buffer->dsb->GetCurrentPosition(&play, &write);
  *position = FAILED(hr) ? 0 : play;
  if (buffer->atEnd) *position = buffer->bytes;
  return static_cast<SoundResult>(hr);
}

SoundResult PlayBuffer(Buffer* buffer, bool loop) {
  if (buffer->atEnd && !loop) return static_cast<SoundResult>(buffer->dsb->Stop());
  buffer->atEnd = false;
  return static_cast<SoundResult>(buffer->dsb->Play(0, 0, loop ? DSBPLAY_LOOPING : 0));
}

SoundResult StopBuffer(Buffer* buffer) { return static_cast<SoundResult>(buffer->dsb->Stop()); }

void SleepMilliseconds(std::uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace detail
}  // namespace sound
