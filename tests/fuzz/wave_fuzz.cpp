// Reads arbitrary bytes as a RIFF WAVE image. Besides the sanitizers' checks:
// the samples found must lie inside the image, and the format must never
// claim more extension bytes than it holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "sound/DirectSound.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An allocation of exactly the input's size, so any read past it is caught.
  std::unique_ptr<unsigned char[]> image(new unsigned char[size ? size : 1]);
  if (size) std::memcpy(image.get(), data, size);
  sound::WaveFormat format;
  const unsigned char* samples = nullptr;
  std::uint32_t bytes = 0;
  if (CDirectSound::ParseWave(image.get(), size, &format, &samples, &bytes)) {
    if (!samples || samples < image.get() || samples > image.get() + size ||
        bytes > static_cast<std::size_t>(image.get() + size - samples))
      std::abort();
    if (format.extraSize > sizeof format.extra) std::abort();
  } else if (samples || bytes || format.formatTag) {
    std::abort();
  }
  return 0;
}
