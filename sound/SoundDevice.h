// The audio output behind CDirectSound, one implementation per platform:
// SoundDevice_win32.cpp (DirectSound) and SoundDevice_x11.cpp (OpenAL Soft).
// The operations mirror DirectSound's device and static secondary buffer;
// every call answers a sound::SoundResult. Internal to sound/.
#pragma once

#include <cstdint>

#include "platform/host_window.h"
#include "sound/DirectSound.h"

namespace sound {
namespace detail {

// One attempt at opening the default output device. kAllocated and kNoDriver
// mean it may succeed later (the device is busy, or no driver answered).
SoundResult CreateDevice(Device** out);
// Ties the device to the window (DSSCL_NORMAL on Windows; nothing on X11).
void SetCooperativeLevel(Device* device, platform::NativeHandle window);
void ReleaseDevice(Device* device);

// A static buffer of `bytes` bytes in `format`.
SoundResult CreateBuffer(Device* device, const WaveFormat& format, std::uint32_t bytes, Buffer** out);
void ReleaseBuffer(Buffer* buffer);

// Locks the whole buffer for writing: `region` and `bytes` describe it.
SoundResult LockBuffer(Buffer* buffer, void** region, std::uint32_t* bytes);
SoundResult UnlockBuffer(Buffer* buffer, void* region, std::uint32_t bytes);
// Gets a lost buffer's memory back (its contents must be written again).
SoundResult RestoreBuffer(Buffer* buffer);

SoundResult SetPosition(Buffer* buffer, std::uint32_t position);
SoundResult GetPosition(Buffer* buffer, std::uint32_t* position);
SoundResult PlayBuffer(Buffer* buffer, bool loop);
SoundResult StopBuffer(Buffer* buffer);

// The platform's pause between attempts at opening the device.
void SleepMilliseconds(std::uint32_t milliseconds);

}  // namespace detail
}  // namespace sound
