// Note names and key numbers of the key rows.
#include "editor/KeyNames.h"

#include <cstring>

#include "engine/Constants.h"

namespace tarnwick {

void keyName(int32_t k, char* out) {
  static constexpr const char* kPitchClass[12] = {"C ", "C#", "D ", "D#", "E ", "F ",
                                                  "F#", "G ", "G#", "A ", "A#", "B "};
  static constexpr const char* kOctave[11] = {"-2", "-1", "0", "1", "2", "3", "4", "5", "6", "7", "8"};
  if (out == nullptr) return;
  out[0] = '\0';
  if (k == kMasterRow) {
    std::strcpy(out, "MASTER");
  } else if (k >= 0 && k < kKeyCount) {
    std::strcpy(out, kPitchClass[k % 12]);
    std::strcat(out, kOctave[k / 12]);
  }
}

void keyNumberText(int32_t k, char* out) {
  if (out == nullptr) return;
  // Four characters at most, like the conversion it stands for: longer texts are cut at the end.
  char digits[16];
  int n = 0;
  const bool negative = k < 0;
  uint32_t v = negative ? 0u - static_cast<uint32_t>(k) : static_cast<uint32_t>(k);
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  if (negative) digits[n++] = '-';
  int length = 0;
  while (n > 0 && length < 4) out[length++] = digits[--n];
  out[length] = '\0';
}

}  // namespace tarnwick
