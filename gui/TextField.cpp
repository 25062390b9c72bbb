// Text field editing on code point boundaries (an invalid byte counts as one code point).
#include "gui/TextField.h"

#include <utility>

#include "gui/Utf8.h"

namespace tarnwick::gui {

void TextField::setText(std::string text) {
  text_ = std::move(text);
  caret_ = text_.size();
  allSelected_ = false;
}

bool TextField::replaceSelection() {
  if (!allSelected()) {
    allSelected_ = false;
    return false;
  }
  text_.clear();
  caret_ = 0;
  allSelected_ = false;
  return true;
}

void TextField::insert(char32_t codePoint) {
  replaceSelection();
  std::string encoded;
  appendUtf8(encoded, codePoint);
  text_.insert(caret_, encoded);
  caret_ += encoded.size();
}

void TextField::backspace() {
  if (replaceSelection() || caret_ == 0) return;
  const size_t start = previousBoundary();
  text_.erase(start, caret_ - start);
  caret_ = start;
}

void TextField::deleteForward() {
  if (replaceSelection() || caret_ >= text_.size()) return;
  text_.erase(caret_, nextBoundary() - caret_);
}

void TextField::left() {
  if (allSelected()) {
    home();
    return;
  }
  allSelected_ = false;
  if (caret_ > 0) caret_ = previousBoundary();
}

void TextField::right() {
  if (allSelected()) {
    end();
    return;
  }
  allSelected_ = false;
  if (caret_ < text_.size()) caret_ = nextBoundary();
}

void TextField::home() {
  allSelected_ = false;
  caret_ = 0;
}

void TextField::end() {
  allSelected_ = false;
  caret_ = text_.size();
}

size_t TextField::previousBoundary() const {
  size_t boundary = 0;
  for (const char* p = text_.c_str(); static_cast<size_t>(p - text_.c_str()) < caret_;) {
    boundary = static_cast<size_t>(p - text_.c_str());
    nextCodePoint(p);
  }
  return boundary;
}

size_t TextField::nextBoundary() const {
  const char* p = text_.c_str() + caret_;
  nextCodePoint(p);
  return static_cast<size_t>(p - text_.c_str());
}

}  // namespace tarnwick::gui
