// Linux audio output for CDirectSound: OpenAL Soft's default device with one
// context, and per player one OpenAL buffer played by one source.
//
// Supports PCM of 8 or 16 bits and, where AL_EXT_FLOAT32 is offered, 32-bit
// IEEE float, mono or stereo, as plain or WAVE_FORMAT_EXTENSIBLE "fmt "
// chunks; other formats fail to load (kBadFormat). The source plays
// unpositioned, at full gain. The window handle is not used.
//
// OpenAL has no lockable buffer memory: a lock hands out a staging copy,
// which the unlock uploads. OpenAL buffers are never lost. Positions are byte
// offsets in the samples, whole sample frames; a position at the very end
// plays nothing once and starts over when looping.
#include "sound/SoundDevice.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <new>
#include <vector>

namespace sound {

struct Device {
  ALCdevice* device;
  ALCcontext* context;
};

struct Buffer {
  ALuint source = 0;
  ALuint buffer = 0;
  ALenum format = 0;
  ALsizei rate = 0;
  std::uint32_t bytes = 0;   // the size asked for at creation
  std::uint32_t length = 0;  // bytes played: whole frames of `bytes`
  std::uint32_t frame = 1;   // bytes per sample frame
  std::uint32_t pending = 0; // position the next play starts from
  bool attached = false;
  std::vector<unsigned char> staging;
};

namespace detail {

namespace {

SoundResult TakeError() {
  switch (alGetError()) {
    case AL_NO_ERROR: return kOk;
    case AL_INVALID_VALUE: return kInvalidParam;
    case AL_OUT_OF_MEMORY: return kOutOfMemory;
    default: return kFailed;
  }
}

// The tail every KSDATAFORMAT_SUBTYPE GUID shares after its 16-bit tag.
const unsigned char kSubtypeTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
constexpr std::uint16_t kTagPcm = 1;
constexpr std::uint16_t kTagFloat = 3;
constexpr std::uint16_t kTagExtensible = 0xFFFE;

// The OpenAL format for `f`, or 0 when OpenAL cannot play it.
ALenum FormatFor(const WaveFormat& f) {
  std::uint16_t tag = f.formatTag;
  if (tag == kTagExtensible) {
    // validBits (2), channelMask (4), then the subformat GUID (16).
    if (f.extraSize < 22 || std::memcmp(f.extra + 8, kSubtypeTail, sizeof kSubtypeTail) != 0) return 0;
    tag = static_cast<std::uint16_t>(f.extra[6] | (f.extra[7] << 8));
  }
  if (f.channels != 1 && f.channels != 2) return 0;
  if (f.samplesPerSec == 0 || f.samplesPerSec > 1u << 20) return 0;
  unsigned bits = f.bitsPerSample;
  // A bare WAVEFORMAT (14 bytes) carries no sample size: the frame tells.
  if (bits == 0 && tag == kTagPcm) bits = 8u * f.blockAlign / f.channels;
  if (f.blockAlign != f.channels * bits / 8 || f.blockAlign == 0) return 0;
  const bool stereo = f.channels == 2;
  if (tag == kTagPcm && bits == 8) return stereo ? AL_FORMAT_STEREO8 : AL_FORMAT_MONO8;
  if (tag == kTagPcm && bits == 16) return stereo ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16;
  if (tag == kTagFloat && bits == 32 && alIsExtensionPresent("AL_EXT_FLOAT32"))
    return stereo ? AL_FORMAT_STEREO_FLOAT32 : AL_FORMAT_MONO_FLOAT32;
  return 0;
}

}  // namespace

SoundResult CreateDevice(Device** out) {
  *out = nullptr;
  ALCdevice* device = alcOpenDevice(nullptr);
  if (!device) return kNoDriver;  // no backend answered, or the device is busy
  ALCcontext* context = alcCreateContext(device, nullptr);
  if (!context) {
    const ALCenum error = alcGetError(device);
    alcCloseDevice(device);
    return error == ALC_OUT_OF_MEMORY ? kOutOfMemory : kAllocated;
  }
  if (!alcMakeContextCurrent(context)) {
    alcDestroyContext(context);
    alcCloseDevice(device);
    return kFailed;
  }
  *out = new (std::nothrow) Device{device, context};
  if (!*out) {
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context);
    alcCloseDevice(device);
    return kOutOfMemory;
  }
  return kOk;
}

void SetCooperativeLevel(Device*, platform::NativeHandle) {}

void ReleaseDevice(Device* device) {
  if (!device) return;
  if (alcGetCurrentContext() == device->context) alcMakeContextCurrent(nullptr);
  alcDestroyContext(device->context);
  alcCloseDevice(device->device);
  delete device;
}

SoundResult CreateBuffer(Device*, const WaveFormat& format, std::uint32_t bytes, Buffer** out) {
  *out = nullptr;
  const ALenum alFormat = FormatFor(format);
  if (alFormat == 0) return kBadFormat;
  const std::uint32_t length = bytes / format.blockAlign * format.blockAlign;
  if (length == 0 || length > static_cast<std::uint32_t>(INT_MAX)) return kInvalidParam;

  Buffer* b = new (std::nothrow) Buffer;
  if (!b) return kOutOfMemory;
  b->format = alFormat;
  b->rate = static_cast<ALsizei>(format.samplesPerSec);
  b->bytes = bytes;
  b->length = length;
  b->frame = format.blockAlign;
  alGetError();
  alGenSources(1, &b->source);
  SoundResult result = TakeError();
  if (result == kOk) {
    alGenBuffers(1, &b->buffer);
    result = TakeError();
    if (result != kOk) b->buffer = 0;
  } else {
    b->source = 0;
  }
  if (result == kOk) {
    // Plain playback: at the listener, whatever the listener does.
    alSourcei(b->source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(b->source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSourcef(b->source, AL_GAIN, 1.0f);
    result = TakeError();
  }
  if (result != kOk) {
    ReleaseBuffer(b);
    return result;
  }
  *out = b;
  return kOk;
}

void ReleaseBuffer(Buffer* buffer) {
  if (!buffer) return;
  if (buffer->source) {
    alSourceStop(buffer->source);
    alSourcei(buffer->source, AL_BUFFER, 0);
    alDeleteSources(1, &buffer->source);
  }
  if (buffer->buffer) alDeleteBuffers(1, &buffer->buffer);
  alGetError();
  delete buffer;
}

SoundResult LockBuffer(Buffer* buffer, void** region, std::uint32_t* bytes) {
  *region = nullptr;
  *bytes = 0;
  try {
    buffer->staging.assign(buffer->bytes, 0);
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
  *region = buffer->staging.data();
  *bytes = buffer->bytes;
  return kOk;
}

SoundResult UnlockBuffer(Buffer* buffer, void* region, std::uint32_t bytes) {
  if (region != buffer->staging.data() || bytes != buffer->bytes) return kInvalidParam;
  alGetError();
  if (buffer->attached) {
    alSourceRewind(buffer->source);
    alSourcei(buffer->source, AL_BUFFER, 0);
    buffer->attached = false;
  }
  alBufferData(buffer->buffer, buffer->format, buffer->staging.data(), static_cast<ALsizei>(buffer->length),
               buffer->rate);
  SoundResult result = TakeError();
  if (result == kOk) {
    alSourcei(buffer->source, AL_BUFFER, static_cast<ALint>(buffer->buffer));
    result = TakeError();
    buffer->attached = result == kOk;
  }
  // OpenAL holds its own copy now.
  std::vector<unsigned char>().swap(buffer->staging);
  return result;
}

SoundResult RestoreBuffer(Buffer*) { return kOk; }

SoundResult SetPosition(Buffer* buffer, std::uint32_t position) {
  if (position > buffer->length) position = buffer->length;
  buffer->pending = position / buffer->frame * buffer->frame;
  return kOk;
}

SoundResult GetPosition(Buffer* buffer, std::uint32_t* position) {
  alGetError();
  ALint state = AL_INITIAL;
  alGetSourcei(buffer->source, AL_SOURCE_STATE, &state);
  if (state == AL_PLAYING || state == AL_PAUSED) {
    ALint offset = 0;
    alGetSourcei(buffer->source, AL_BYTE_OFFSET, &offset);
    *position = offset > 0 ? static_cast<std::uint32_t>(offset) : 0;
  } else if (state == AL_STOPPED) {
    *position = buffer->length;  // played to the end
  } else {
    *position = buffer->pending;
  }
  const SoundResult result = TakeError();
  if (result != kOk) *position = 0;
  return result;
}

SoundResult PlayBuffer(Buffer* buffer, bool loop) {
  if (!buffer->attached) return kFailed;
  alGetError();
  // Back to the initial state, where an offset waits for the next play.
  alSourceRewind(buffer->source);
  alSourcei(buffer->source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
  if (buffer->pending >= buffer->length) {
    if (!loop) return TakeError();  // nothing left to play
    buffer->pending = 0;
  }
  if (buffer->pending > 0) alSourcei(buffer->source, AL_BYTE_OFFSET, static_cast<ALint>(buffer->pending));
  alSourcePlay(buffer->source);
  return TakeError();
}

SoundResult StopBuffer(Buffer* buffer) {
  alGetError();
  ALint state = AL_INITIAL;
  alGetSourcei(buffer->source, AL_SOURCE_STATE, &state);
  // Pausing keeps the position, as a stopped DirectSound buffer does.
  if (state == AL_PLAYING) alSourcePause(buffer->source);
  return TakeError();
}

void SleepMilliseconds(std::uint32_t milliseconds) {
  timespec left{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace detail
}  // namespace sound
