// UTF-8 decoding and appending for the toolkit.
#include "gui/Utf8.h"

namespace tarnwick::gui {

char32_t nextCodePoint(const char*& p) {
  const auto* s = reinterpret_cast<const unsigned char*>(p);
  const unsigned char lead = s[0];
  if (lead < 0x80) {
    ++p;
    return lead;
  }
  int length = 0;
  char32_t value = 0, minimum = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1Fu;
    minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0Fu;
    minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07u;
    minimum = 0x10000;
  }
  for (int i = 1; i < length; ++i) {
    if ((s[i] & 0xC0u) != 0x80u) {  // also stops at the terminating zero
      length = 0;
      break;
    }
    value = (value << 6) | (s[i] & 0x3Fu);
  }
  if (length == 0 || value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    ++p;
    return kInvalidUtf8;
  }
  p += length;
  return value;
}

void appendUtf8(std::string& text, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return;
  if (c < 0x80) {
    text += static_cast<char>(c);
  } else if (c < 0x800) {
    text += static_cast<char>(0xC0 | (c >> 6));
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    text += static_cast<char>(0xE0 | (c >> 12));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | (c >> 18));
    text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void removeLastCodePoint(std::string& text) {
  if (text.empty()) return;
  // The start of the last sequence: at most three continuation bytes back; keep it only if it decodes
  // to exactly the rest of the text.
  size_t start = text.size() - 1;
  for (int i = 0; i < 3 && start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0u) == 0x80u; ++i) --start;
  const char* p = text.c_str() + start;
  if (nextCodePoint(p) == kInvalidUtf8 || p != text.c_str() + text.size()) start = text.size() - 1;
  text.erase(start);
}

}  // namespace tarnwick::gui
