// One line of text: the status line and the key label (which also switches the edit mode).
#pragma once

#include <cstdint>

#include "gui/CParamDisplay.h"

namespace tarnwick {

class EditorCommands;

class CLabel : public gui::CParamDisplay {
 public:
  static constexpr int32_t kTextCapacity = 256;
  static constexpr int32_t kKeyTextCapacity = 8;
  static constexpr gui::CCoord kSmallestTextSize = 9;

  CLabel(const gui::CRect& size, gui::CBitmap* background, const char* text);

  // Copies at most 255 characters of text (null keeps the text) and marks the label dirty. [ui-thread]
  void setText(const char* text);
  const char* getText() const { return labelText; }

  // Key label: the edit row's note name and number, and which of the two is shown.
  void setKeyTexts(const char* name, const char* number);
  const char* getNameText() const { return nameText; }
  const char* getNumberText() const { return numberText; }
  bool getShowNumber() const { return showNumber; }

  // Clicks count only when switched on; the left button goes to the commands target.
  void setLabelMouse(bool on) { mouseOn = on; }
  bool getLabelMouse() const { return mouseOn; }
  void setCommandTarget(EditorCommands* target) { commands = target; }

  // The text in the font, colours and alignment set; a text wider than the label is set smaller.
  void draw(gui::CDrawContext* context) override;
  // Left: switch the edit mode and show the note name; right: toggle between name and number.
  void mouse(gui::CDrawContext* context, gui::CPoint& where, int32_t buttons = -1) override;

 protected:
  gui::CCoord textSize(gui::CDrawContext* context, const char* string, gui::CCoord width) override;

 private:
  static void copyLimited(char* to, const char* from, int32_t capacity);

  char labelText[kTextCapacity] = {};
  char nameText[kKeyTextCapacity] = {};
  char numberText[kKeyTextCapacity] = {};
  bool showNumber = false;
  bool mouseOn = false;
  EditorCommands* commands = nullptr;
};

}  // namespace tarnwick
