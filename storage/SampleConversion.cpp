// Sample conversion loops: runs of 16 frames with a fixed trip count, which the compiler can
// vectorise even at -O2, and a scalar tail; files of more than two channels take their first two.
#include "storage/SampleConversion.h"

#include <bit>
#include <cstring>

namespace tarnwick {

namespace {

constexpr float kScale8 = 1.0f / 128.0f;
constexpr float kScale24 = 1.0f / 2147483648.0f;

inline uint32_t load32le(const uint8_t* p) {
  uint32_t bytes;
  std::memcpy(&bytes, p, sizeof bytes);
  if constexpr (std::endian::native == std::endian::big) {
    bytes = (bytes >> 24) | ((bytes >> 8) & 0xFF00u) | ((bytes << 8) & 0xFF0000u) | (bytes << 24);
  }
  return bytes;
}

inline uint64_t load64le(const uint8_t* p) {
  uint64_t bytes;
  std::memcpy(&bytes, p, sizeof bytes);
  if constexpr (std::endian::native == std::endian::big) bytes = __builtin_bswap64(bytes);
  return bytes;
}

inline uint16_t load16le(const uint8_t* p) {
  uint16_t bytes;
  std::memcpy(&bytes, p, sizeof bytes);
  if constexpr (std::endian::native == std::endian::big) bytes = uint16_t((bytes << 8) | (bytes >> 8));
  return bytes;
}

// Each converts the sample whose first byte is at p to its float value.
struct Unsigned8 {
  static constexpr size_t bytes = 1;
  static float convert(const uint8_t* p) { return float(p[0]) * kScale8 - 1.0f; }
};

struct Signed8 {
  static constexpr size_t bytes = 1;
  static float convert(const uint8_t* p) { return float(int8_t(p[0])) * kScale8; }
};

// Division, not a reciprocal multiply: the float quotient of s and 32767 equals s / 32767.0
// computed in double and rounded to float.
struct Signed16le {
  static constexpr size_t bytes = 2;
  static float convert(const uint8_t* p) { return float(int16_t(load16le(p))) / 32767.0f; }
};

struct Signed16be {
  static constexpr size_t bytes = 2;
  static float convert(const uint8_t* p) {
    const uint16_t bytes = load16le(p);  // p[0] is the high byte
    return float(int32_t(int16_t(uint16_t(bytes << 8))) | int32_t(bytes >> 8)) / 32767.0f;
  }
};

// The three bytes become the upper bytes of an int32 with a zero low byte. One 4-byte load from
// the byte before the sample fetches them with that byte in the low position. The value has at
// most 24 significant bits, so the conversion to float and the power-of-two scale are exact.
struct Signed24le {
  static constexpr size_t bytes = 3;
  static float convert(const uint8_t* p) { return float(int32_t(load32le(p - 1) & 0xFFFFFF00u)) * kScale24; }
};

struct Signed24be {
  static constexpr size_t bytes = 3;
  static float convert(const uint8_t* p) {
    const uint32_t w = load32le(p - 1);  // p[-1], p[0], p[1], p[2] from low to high
    const uint32_t swapped = (w >> 24) | ((w >> 8) & 0xFF00u) | ((w << 8) & 0xFF0000u) | (w << 24);
    return float(int32_t(swapped << 8)) * kScale24;
  }
};

// The top three bytes of the int32 are the sample; the conversion to float rounds to 24 bits, and the
// power-of-two scale is exact, so the result is the double quotient s / 2^31 rounded to float.
struct Signed32le {
  static constexpr size_t bytes = 4;
  static float convert(const uint8_t* p) { return float(int32_t(load32le(p))) * kScale24; }
};

struct Signed32be {
  static constexpr size_t bytes = 4;
  static float convert(const uint8_t* p) { return float(int32_t(__builtin_bswap32(load32le(p)))) * kScale24; }
};

// Floats keep their value; an infinity or NaN, which no recording holds, becomes silence rather than
// spreading through every mix it takes part in (x - x is 0 for every finite x, NaN otherwise).
inline float finiteOrZero(float value) { return value - value == 0.0f ? value : 0.0f; }

struct Float32le {
  static constexpr size_t bytes = 4;
  static float convert(const uint8_t* p) { return finiteOrZero(std::bit_cast<float>(load32le(p))); }
};

struct Float32be {
  static constexpr size_t bytes = 4;
  static float convert(const uint8_t* p) { return finiteOrZero(std::bit_cast<float>(__builtin_bswap32(load32le(p)))); }
};

// Doubles are rounded to float; one beyond the float range would round to an infinity.
struct Float64le {
  static constexpr size_t bytes = 8;
  static float convert(const uint8_t* p) { return finiteOrZero(float(std::bit_cast<double>(load64le(p)))); }
};

struct Float64be {
  static constexpr size_t bytes = 8;
  static float convert(const uint8_t* p) {
    return finiteOrZero(float(std::bit_cast<double>(__builtin_bswap64(load64le(p)))));
  }
};

template <typename Sample>
void convertMono(const uint8_t* __restrict data, size_t frames, float* __restrict left, float* __restrict right) {
  constexpr size_t kBlock = 16;
  size_t i = 0;
  for (; i + kBlock <= frames; i += kBlock) {
    const uint8_t* p = data + i * Sample::bytes;
    for (size_t k = 0; k < kBlock; ++k) {
      const float value = Sample::convert(p + k * Sample::bytes);
      left[i + k] = value;
      right[i + k] = value;
    }
  }
  for (; i < frames; ++i) {
    const float value = Sample::convert(data + i * Sample::bytes);
    left[i] = value;
    right[i] = value;
  }
}

template <typename Sample>
void convertStereo(const uint8_t* __restrict data, size_t frames, float* __restrict left, float* __restrict right) {
  constexpr size_t kStride = 2 * Sample::bytes;
  constexpr size_t kBlock = 16;
  size_t i = 0;
  for (; i + kBlock <= frames; i += kBlock) {
    const uint8_t* p = data + i * kStride;
    for (size_t k = 0; k < kBlock; ++k) {
      left[i + k] = Sample::convert(p + k * kStride);
      right[i + k] = Sample::convert(p + k * kStride + Sample::bytes);
    }
  }
  for (; i < frames; ++i) {
    left[i] = Sample::convert(data + i * kStride);
    right[i] = Sample::convert(data + i * kStride + Sample::bytes);
  }
}

// The first two channels of frames of any width.
template <typename Sample>
void convertFirstTwo(const uint8_t* __restrict data, size_t stride, size_t frames, float* __restrict left,
                     float* __restrict right) {
  for (size_t i = 0; i < frames; ++i) {
    left[i] = Sample::convert(data + i * stride);
    right[i] = Sample::convert(data + i * stride + Sample::bytes);
  }
}

template <typename Sample>
void convert(int32_t channels, const uint8_t* data, size_t frames, float* left, float* right) {
  if (channels == 2) {
    convertStereo<Sample>(data, frames, left, right);
  } else if (channels > 2) {
    convertFirstTwo<Sample>(data, size_t(channels) * Sample::bytes, frames, left, right);
  } else {
    convertMono<Sample>(data, frames, left, right);
  }
}

}  // namespace

void convertSamples(SampleEncoding encoding, int32_t channels, const uint8_t* data, size_t frameCount, float* left,
                    float* right) {
  switch (encoding) {
    case SampleEncoding::unsigned8: return convert<Unsigned8>(channels, data, frameCount, left, right);
    case SampleEncoding::signed8: return convert<Signed8>(channels, data, frameCount, left, right);
    case SampleEncoding::signed16le: return convert<Signed16le>(channels, data, frameCount, left, right);
    case SampleEncoding::signed16be: return convert<Signed16be>(channels, data, frameCount, left, right);
    case SampleEncoding::signed24le: return convert<Signed24le>(channels, data, frameCount, left, right);
    case SampleEncoding::signed24be: return convert<Signed24be>(channels, data, frameCount, left, right);
    case SampleEncoding::signed32le: return convert<Signed32le>(channels, data, frameCount, left, right);
    case SampleEncoding::signed32be: return convert<Signed32be>(channels, data, frameCount, left, right);
    case SampleEncoding::float32le: return convert<Float32le>(channels, data, frameCount, left, right);
    case SampleEncoding::float32be: return convert<Float32be>(channels, data, frameCount, left, right);
    case SampleEncoding::float64le: return convert<Float64le>(channels, data, frameCount, left, right);
    case SampleEncoding::float64be: return convert<Float64be>(channels, data, frameCount, left, right);
  }
}

}  // namespace tarnwick
