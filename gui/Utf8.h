// UTF-8 for the toolkit's text: decoding for drawing, and the editing steps of a text field.
#pragma once

#include <cstddef>
#include <string>

namespace tarnwick::gui {

// Marks a byte that starts no valid UTF-8 sequence (drawn as the replacement glyph).
constexpr char32_t kInvalidUtf8 = 0xFFFFFFFFu;

// The code point that starts at p, moving p past it. Overlong forms, surrogates, values past U+10FFFF and
// cut sequences give kInvalidUtf8 and move p by one byte only, so any byte string can be drawn and edited.
char32_t nextCodePoint(const char*& p);

// Appends the code point's UTF-8 form; surrogates and values past U+10FFFF are not appended.
void appendUtf8(std::string& text, char32_t codePoint);

// Removes the last code point (or the last byte of an invalid sequence).
void removeLastCodePoint(std::string& text);

}  // namespace tarnwick::gui
