// Bounded reader over a byte span with explicit little- and big-endian field reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tarnwick {

// A four-character code as a number, first character most significant ("RIFF" -> 0x52494646).
constexpr uint32_t fourcc(const char (&text)[5]) {
  return (uint32_t(uint8_t(text[0])) << 24) | (uint32_t(uint8_t(text[1])) << 16) | (uint32_t(uint8_t(text[2])) << 8) |
         uint32_t(uint8_t(text[3]));
}

// Every read either succeeds whole or reports false and leaves the cursor and the output untouched.
class ByteCursor {
 public:
  ByteCursor(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}

  size_t size() const { return size_; }
  size_t position() const { return position_; }
  size_t remaining() const { return size_ - position_; }

  bool skip(size_t count) {
    if (count > remaining()) return false;
    position_ += count;
    return true;
  }

  bool bytes(void* destination, size_t count) {
    if (count > remaining()) return false;
    if (count > 0) std::memcpy(destination, data_ + position_, count);
    position_ += count;
    return true;
  }

  bool u8(uint8_t& value) { return read<1, false>(value); }
  bool u16le(uint16_t& value) { return read<2, false>(value); }
  bool u16be(uint16_t& value) { return read<2, true>(value); }
  bool u32le(uint32_t& value) { return read<4, false>(value); }
  bool u32be(uint32_t& value) { return read<4, true>(value); }
  bool i16le(int16_t& value) { return readSigned<uint16_t, false>(value); }
  bool i16be(int16_t& value) { return readSigned<uint16_t, true>(value); }
  bool i32le(int32_t& value) { return readSigned<uint32_t, false>(value); }
  bool i32be(int32_t& value) { return readSigned<uint32_t, true>(value); }

  // Four bytes in file order, comparable with fourcc("....").
  bool fourcc(uint32_t& value) { return read<4, true>(value); }

 private:
  template <size_t N, bool bigEndian, typename T>
  bool read(T& value) {
    if (N > remaining()) return false;
    const uint8_t* p = data_ + position_;
    T result = 0;
    for (size_t i = 0; i < N; ++i) {
      const size_t shift = bigEndian ? 8 * (N - 1 - i) : 8 * i;
      result = T(result | (T(p[i]) << shift));
    }
    value = result;
    position_ += N;
    return true;
  }

  template <typename U, bool bigEndian, typename S>
  bool readSigned(S& value) {
    U raw = 0;
    if (!read<sizeof(U), bigEndian>(raw)) return false;
    value = S(raw);  // two's complement wrap, defined since C++20
    return true;
  }

  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

}  // namespace tarnwick
