// Status-line texts: float2string, the bank line, the audio line and the loading line.
#include "editor/StatusText.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tarnwick {

namespace {

constexpr size_t kNumberKept = 10;

// The name part: the whole name up to `whole` characters, else "..." and its last `tail` characters.
std::string namePart(const std::string& name, size_t whole, size_t tail) {
  if (name.size() <= whole) return name;
  return std::string("...").append(name, name.size() - tail, tail);
}

// float2string with at most 10 characters kept, shortened by its last `drop` characters.
std::string shortNumber(float value, size_t drop) {
  char text[kNumberKept + 1] = {};
  float2string(value, text, kNumberKept);
  const size_t length = std::strlen(text);
  return std::string(text, length > drop ? length - drop : 0);
}

// Seconds as the audio line shows them (float2string's 8 characters less the last 3), rounded at the last
// place shown: the conversion only cuts, so 7.2 s (7.19999981 in a float) would show as 7.199.
float shownSeconds(int32_t frames, float sampleRate) {
  const double seconds = static_cast<double>(frames) / sampleRate;
  int digits = 1;
  for (double w = 10.0; w <= seconds && digits < 7; w *= 10.0) ++digits;
  const int places = std::max(0, 8 - 1 - digits - 3);
  return static_cast<float>(seconds + 0.5 * std::pow(10.0, -places));
}

}  // namespace

void float2string(float value, char* text, size_t maxLen) {
  if (text == nullptr || maxLen == 0) return;
  text[0] = '\0';
  double v = value;
  bool negative = false;
  int n = 0;  // characters produced
  if (v < 0.0) {
    negative = true;
    v = -v;
    n = 1;
    if (v > 9999999.0) return;
  } else if (v > 99999999.0) {
    return;
  }
  if (!std::isfinite(v)) return;
  // Integer part, produced right to left; the point counts as one character.
  char digits[16];
  int count = 0;
  ++n;
  double w = std::floor(v);
  do {
    digits[count++] = static_cast<char>('0' + static_cast<int>(std::fmod(w, 10.0)));
    ++n;
    w /= 10.0;
  } while (w >= 1.0 && n < 8);
  char whole[24];
  size_t length = 0;
  if (negative) whole[length++] = '-';
  while (count > 0) whole[length++] = digits[--count];
  whole[length++] = '.';
  const size_t kept = length < maxLen ? length : maxLen;
  std::memcpy(text, whole, kept);
  text[kept] = '\0';
  if (n >= 8 || kept == maxLen) return;
  // Decimals: the remaining places, filled right to left.
  const int places = 8 - n;
  double m = std::fmod(v, 1.0) * std::pow(10.0, places);
  char decimals[8];
  for (int i = places - 1; i >= 0; --i) {
    if (m <= 0.0) {
      decimals[i] = '0';
    } else {
      decimals[i] = static_cast<char>('0' + static_cast<int>(std::fmod(m, 10.0)));
      m /= 10.0;
    }
  }
  const size_t room = maxLen - kept;
  const size_t added = static_cast<size_t>(places) < room ? static_cast<size_t>(places) : room;
  std::memcpy(text + kept, decimals, added);
  text[kept + added] = '\0';
}

std::string bankLine(const StorageSummary& s) {
  const float megabytes =
      s.frameCount != 0 ? static_cast<float>(s.frameCount) / 1024000.0f * 2.0f * 4.0f + 0.024f : 0.0f;
  std::string line = namePart(s.bankFileName, 34, 35) + " [" + shortNumber(megabytes, 2) + " MB] ";
  if (!s.saved) line += "[audio changed]";
  return line;
}

std::string audioLine(const StorageSummary& s) {
  const float seconds = s.sampleRate > 0.0f ? shownSeconds(s.frameCount, s.sampleRate) : 0.0f;
  std::string line = namePart(s.audioFileName, 40, 37) + " [" + shortNumber(seconds, 3) + " sec audio] ";
  if (!s.saved) line += "[not saved]";
  return line;
}

std::string loadingLine(const std::string& path, int32_t percent) {
#if defined(_WIN32)
  const size_t slash = path.find_last_of("/\\");
#else
  const size_t slash = path.find_last_of('/');
#endif
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return "Loading " + namePart(name, 40, 37) + " ... " + std::to_string(std::clamp(percent, 0, 100)) + "%";
}

}  // namespace tarnwick
