// RIFF WAVE images built in memory for the sound tests.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace sound_test {

using Bytes = std::vector<unsigned char>;

inline void PutU16(Bytes* b, unsigned v) {
  b->push_back(static_cast<unsigned char>(v & 0xFF));
  b->push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}

inline void PutU32(Bytes* b, std::uint32_t v) {
  PutU16(b, v & 0xFFFF);
  PutU16(b, v >> 16);
}

inline void SetU32(Bytes* b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) (*b)[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

// The body of a "fmt " chunk: WAVEFORMATEX with cbSize 0, cut to `length`
// bytes (14 to 18).
inline Bytes FormatBody(unsigned tag, unsigned channels, std::uint32_t rate, unsigned bits,
                        std::size_t length = 16) {
  Bytes b;
  PutU16(&b, tag);
  PutU16(&b, channels);
  PutU32(&b, rate);
  PutU32(&b, rate * channels * bits / 8);
  PutU16(&b, channels * bits / 8);
  PutU16(&b, bits);
  PutU16(&b, 0);
  b.resize(length);
  return b;
}

// Writes "RIFF" <size> "WAVE" and chunks; Image() fills in the RIFF size
// (everything after its field) unless one was forced.
class WaveBuilder {
 public:
  WaveBuilder() {
    const char head[] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    bytes_.assign(head, head + sizeof head);
  }
  // A chunk whose length field says `length` (the body's size by default);
  // odd bodies get their pad byte.
  WaveBuilder& Chunk(const char* id, const Bytes& body, long long length = -1) {
    bytes_.insert(bytes_.end(), id, id + 4);
    PutU32(&bytes_, length < 0 ? static_cast<std::uint32_t>(body.size()) : static_cast<std::uint32_t>(length));
    bytes_.insert(bytes_.end(), body.begin(), body.end());
    if (body.size() % 2) bytes_.push_back(0);
    return *this;
  }
  // Offset the next chunk's body will start at.
  std::size_t NextBody() const { return bytes_.size() + 8; }
  WaveBuilder& RiffSize(std::uint32_t size) {
    forcedRiff_ = true;
    riff_ = size;
    return *this;
  }
  Bytes Image() const {
    Bytes b = bytes_;
    SetU32(&b, 4, forcedRiff_ ? riff_ : static_cast<std::uint32_t>(b.size() - 8));
    return b;
  }

 private:
  Bytes bytes_;
  bool forcedRiff_ = false;
  std::uint32_t riff_ = 0;
};

// 16-bit mono samples of a sine of `hz` at `rate`, `seconds` long.
inline Bytes SineSamples16(double hz, std::uint32_t rate, double seconds, double amplitude) {
  Bytes b;
  const std::size_t n = static_cast<std::size_t>(seconds * rate);
  for (std::size_t i = 0; i < n; ++i) {
    const double v = amplitude * std::sin(2.0 * 3.14159265358979323846 * hz * static_cast<double>(i) / rate);
    PutU16(&b, static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(v * 32767.0))));
  }
  return b;
}

// A complete 16-bit mono PCM image of a sine.
inline Bytes ToneImage(double hz, std::uint32_t rate, double seconds, double amplitude = 0.5) {
  return WaveBuilder().Chunk("fmt ", FormatBody(1, 1, rate, 16)).Chunk("data", SineSamples16(hz, rate, seconds, amplitude)).Image();
}

}  // namespace sound_test
