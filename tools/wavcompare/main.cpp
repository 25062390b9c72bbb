// tarnwick-wavcompare A.wav B.wav [--tolerance T]: compares two stereo renders sample by sample.
// Reads what tarnwick-host writes (WAV with 32-bit float, 16- or 24-bit integer samples). Prints the
// largest difference; exit 0 when the files have the same format and length and every sample pair
// differs by at most T (default 1e-6, a few single-precision steps at full scale), 1 when not, 2 when a
// file cannot be read.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Samples {
  int rate = 0;
  int channels = 0;
  std::vector<double> values;  // interleaved, full scale ±1
};

uint32_t le(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

bool readWav(const char* path, Samples& out, std::string& why) {
  std::ifstream file(path, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(&bytes[8], "WAVE", 4) != 0) {
    why = "not a WAV file";
    return false;
  }
  uint32_t tag = 0, bits = 0;
  for (size_t at = 12; at + 8 <= bytes.size();) {
    const uint32_t size = le(&bytes[at + 4], 4);
    const size_t body = at + 8;
    if (size > bytes.size() - body) break;
    if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && size >= 16) {
      tag = le(&bytes[body], 2);
      out.channels = static_cast<int>(le(&bytes[body + 2], 2));
      out.rate = static_cast<int>(le(&bytes[body + 4], 4));
      bits = le(&bytes[body + 14], 2);
      if (tag == 0xFFFE && size >= 26) tag = le(&bytes[body + 24], 2);  // the sub-format's tag
    } else if (std::memcmp(&bytes[at], "data", 4) == 0 && tag != 0) {
      const bool isFloat = tag == 3 && bits == 32;
      if (!isFloat && !(tag == 1 && (bits == 16 || bits == 24))) {
        why = "sample format not written by tarnwick-host";
        return false;
      }
      const size_t width = bits / 8;
      for (size_t i = body; i + width <= body + size; i += width) {
        const uint32_t code = le(&bytes[i], static_cast<int>(width));
        if (isFloat) {
          float x = 0.0f;
          std::memcpy(&x, &code, sizeof x);
          out.values.push_back(x);
        } else {
          const int shift = 32 - static_cast<int>(bits);
          const int32_t value = static_cast<int32_t>(code << shift) >> shift;
          out.values.push_back(std::ldexp(static_cast<double>(value), 1 - static_cast<int>(bits)));
        }
      }
      return true;
    }
    at = body + size + (size & 1);
  }
  why = "no format or data chunk";
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && !(argc == 5 && std::strcmp(argv[3], "--tolerance") == 0)) {
    std::fprintf(stderr, "usage: tarnwick-wavcompare A.wav B.wav [--tolerance T]\n");
    return 2;
  }
  const double tolerance = argc == 5 ? std::strtod(argv[4], nullptr) : 1e-6;
  Samples a, b;
  std::string why;
  for (auto [path, samples] : {std::pair{argv[1], &a}, std::pair{argv[2], &b}}) {
    if (!readWav(path, *samples, why)) {
      std::fprintf(stderr, "tarnwick-wavcompare: %s: %s\n", path, why.c_str());
      return 2;
    }
  }
  if (a.rate != b.rate || a.channels != b.channels || a.values.size() != b.values.size()) {
    std::printf("differ: %d Hz × %d channels × %zu samples against %d Hz × %d channels × %zu samples\n", a.rate,
                a.channels, a.values.size(), b.rate, b.channels, b.values.size());
    return 1;
  }
  double largest = 0.0;
  size_t where = 0, unequal = 0;
  for (size_t i = 0; i < a.values.size(); ++i) {
    const double d = std::fabs(a.values[i] - b.values[i]);
    unequal += d != 0.0 || std::isnan(d);
    if (d > largest || std::isnan(d)) {
      largest = std::isnan(d) ? INFINITY : d;
      where = i;
    }
  }
  std::printf("%zu samples, %zu unequal, largest difference %.3g (sample %zu)\n", a.values.size(), unequal, largest,
              where);
  return largest <= tolerance ? 0 : 1;
}
