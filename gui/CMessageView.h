// The contents of a toolkit message box: title, wrapped text and OK or Yes / No buttons, answered by
// mouse or keyboard.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "gui/CView.h"
#include "platform/MessageBox.h"

namespace tarnwick::gui {

// [ui-thread] Mouse: a press on a button and its release over it answers. Keys: Enter = OK / Yes,
// Escape = OK / No, Y and N answer a Yes / No box.
class CMessageView : public CView {
 public:
  using Answer = platform::MessageBoxAnswer;
  using Buttons = platform::MessageBoxButtons;

  CMessageView(const CRect& size, std::string title, std::string text, Buttons buttons);

  // The window size that shows the title and the text wrapped to the box's width (long texts are cut).
  static CPoint sizeFor(const char* title, const char* text);
  // Where a button lies in a box of that size (empty for a button the box does not have).
  static CRect buttonRect(const CRect& size, Buttons buttons, Answer which);
  // The text broken into lines that fit the width in the box's font: at line breaks, between words, and
  // inside words longer than a line.
  static std::vector<std::string> wrap(const std::string& text, CCoord width);

  std::optional<Answer> answer() const { return answer_; }
  // What closing the box without a choice means: OK, or No.
  Answer dismissal() const { return buttons_ == Buttons::kOk ? Answer::kOk : Answer::kNo; }

  void draw(CDrawContext* context) override;
  void mouse(CDrawContext* context, CPoint& where, int32_t buttons = -1) override;
  bool onKeyDown(const KeyEvent& key) override;
  bool wantsKeys() const override { return true; }

 private:
  std::string title_;
  std::vector<std::string> lines_;
  Buttons buttons_;
  std::optional<Answer> answer_;
  std::optional<Answer> pressed_;  // the button held down
};

}  // namespace tarnwick::gui
