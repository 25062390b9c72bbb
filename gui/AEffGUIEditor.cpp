// The editor base: rectangle, frame lifetime, idle and the edit bracket towards the instrument.
#include "gui/AEffGUIEditor.h"

#include "gui/CFrame.h"
#include "platform/MessageBox.h"

namespace tarnwick::gui {

AEffGUIEditor::~AEffGUIEditor() {
  if (frame) {
    CFrame* f = frame;
    frame = nullptr;
    f->forget();
  }
}

bool AEffGUIEditor::getRect(EditorRect** ppRect) {
  if (ppRect == nullptr) return false;
  *ppRect = &rect;
  return true;
}

bool AEffGUIEditor::open(void* ptr) {
  AEffEditor::open(ptr);
  // Message boxes belong to the host's window while the editor is in it.
  platform::setMessageBoxOwner(ptr);
  return true;
}

void AEffGUIEditor::close() {
  // Another instance's editor may own the boxes by now; only our own window is given up.
  if (systemWindow != nullptr && platform::messageBoxOwner() == systemWindow) platform::setMessageBoxOwner(nullptr);
  if (frame) {
    CFrame* f = frame;
    frame = nullptr;
    f->forget();
  }
  AEffEditor::close();
}

void AEffGUIEditor::idle() {
  // The host may call idle from inside its own idle that a modal loop asked for: the loop draws already.
  if (frame && !inIdleStuff) frame->idle();
}

bool AEffGUIEditor::onKeyDown(int32_t character, int32_t virtualKey, int32_t modifiers) {
  return frame != nullptr && frame->onKeyDown(KeyEvent{character, virtualKey, modifiers});
}

bool AEffGUIEditor::setKnobMode(int32_t mode) {
  knobMode = mode;
  return true;
}

void AEffGUIEditor::beginEdit(int32_t index) {
  if (effect) effect->beginEdit(index);
}

void AEffGUIEditor::endEdit(int32_t index) {
  if (effect) effect->endEdit(index);
}

void AEffGUIEditor::doIdleStuff() {
  if (inIdleStuff) return;
  inIdleStuff = true;
  modalIdle();
  if (effect) effect->idleHost();
  inIdleStuff = false;
}

uintptr_t AEffGUIEditor::windowHandle() const {
  const platform::EditorWindow* window = frame != nullptr ? frame->getPlatformWindow() : nullptr;
  return window != nullptr ? window->nativeHandle() : 0;
}

}  // namespace tarnwick::gui
