// The editing state of a one-line text field: UTF-8 text, a caret between code points, and "everything
// selected" (Ctrl+A), which the next typed character or deletion replaces.
#pragma once

#include <cstddef>
#include <string>

namespace tarnwick::gui {

class TextField {
 public:
  const std::string& text() const { return text_; }
  // Byte offset of the caret in text().
  size_t caret() const { return caret_; }
  bool allSelected() const { return allSelected_ && !text_.empty(); }

  // Replaces the text; the caret goes to its end.
  void setText(std::string text);
  void selectAll() { allSelected_ = true; }
  // Inserts at the caret (in place of the selection).
  void insert(char32_t codePoint);
  // Deletes the code point before / after the caret, or the selection. Nothing at the start / end.
  void backspace();
  void deleteForward();
  // Caret moves; each ends the selection (Left and Home at its start, Right and End at its end).
  void left();
  void right();
  void home();
  void end();

 private:
  // The code point boundaries next to the caret.
  size_t previousBoundary() const;
  size_t nextBoundary() const;
  bool replaceSelection();

  std::string text_;
  size_t caret_ = 0;
  bool allSelected_ = false;
};

}  // namespace tarnwick::gui
